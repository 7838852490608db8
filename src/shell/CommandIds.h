#pragma once

// The commands of the main window, numbered as the menus, toolbar and status texts know them.
namespace CommandId {
inline constexpr int kNewFolder = 110;
inline constexpr int kNewItem = 111;
inline constexpr int kDelete = 112;
inline constexpr int kMoveUp = 113;
inline constexpr int kMoveDown = 114;
inline constexpr int kSortByCaption = 115;
inline constexpr int kSortByFileName = 116;
inline constexpr int kSortByDateTaken = 117;
inline constexpr int kPreview = 124;
inline constexpr int kExport = 125;
inline constexpr int kCheckWebsite = 126;
inline constexpr int kPublish = 127;
inline constexpr int kImportFolder = 130;
inline constexpr int kImportFolderAsSite = 131;
inline constexpr int kImportFiles = 146;
inline constexpr int kLayoutProperties = 147;
inline constexpr int kWebsiteProperties = 150;
inline constexpr int kHelpContents = 269;
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileClose = 57602;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditUndo = 57643;
inline constexpr int kEditRedo = 57644;
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;
inline constexpr int kNextPane = 57680;
inline constexpr int kPreviousPane = 57681;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
}  // namespace CommandId
