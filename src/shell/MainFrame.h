#pragma once

#include <QHash>
#include <QMainWindow>
#include <array>
#include <memory>

#include "ExportRunner.h"
#include "PublishRunner.h"
#include "RecentFileList.h"
#include "SiteDocument.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTemporaryDir;
class QToolBar;
class CSiteTreeView;
class CSiteListView;
class CSitePropertyView;
struct CImportResult;

// The main window: the site tree on the left, the list over the property form on the right,
// with the menus, the toolbar and the status bar. It owns the open project (the document) and
// carries every command; the panes follow the document and never call each other. The commands
// live in files of their own: the file commands in MainFrameFileCommands.cpp, the edit commands
// in MainFrameEditCommands.cpp.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    CSiteTreeView* GetTreeView() const { return treeView; }
    CSiteListView* GetListView() const { return listView; }
    CSitePropertyView* GetPropertyView() const { return propertyView; }
    CSiteDocument& Document() { return *document; }

    // The action of a command (ids in CommandIds.h), or null.
    QAction* Action(int commandId) const { return actions.value(commandId); }
    QToolBar* ToolBar() const { return toolBar; }
    QMenu* FileMenu() const { return fileMenu; }
    QMenu* SortMenu() const { return sortMenu; }

    // Full path of the open project file; empty while the project is untitled.
    const QString& PathName() const { return document->FilePath(); }

    // Reads a project file into the window, as File > Open does once the file is chosen. Tells
    // the user what went wrong; false when the file could not be read whole.
    bool OpenProject(const QString& path);
    // Opens as the Open command does: a file read whole becomes the most recent file.
    void OpenAndRemember(const QString& path);

    // Decides which commands are enabled, from the focus, the selections and the project.
    void UpdateActions();

    const CRecentFileList& RecentFiles() const { return recentFiles; }
    CExportRunner& ExportRunner() { return exportRunner; }
    CPublishRunner& PublishRunner() { return publishRunner; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QAction* AddAction(int commandId, const QString& text, const QString& statusText,
                       const QString& iconName = QString());
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePanes();
    void CycleFocus(bool forward);
    void OnAppAbout();

    enum class FocusedPane { None, Tree, List };
    // The pane the edit commands act on: the tree or the list when one of them had the focus
    // last among the window's controls (the menu bar and the toolbar do not count), else none.
    FocusedPane Focused() const { return lastPane; }
    void FocusMoved(QWidget* now);
    // Ends a rename in place (the caption typed so far is kept) before a command changes the
    // project under the editor.
    void FinishEditing();
    // After a dialog: the window active again, the focus on the widget (the tree when it is
    // gone) and the commands enabled for it.
    void ReturnFocus(QWidget* widget);

    // MainFrameFileCommands.cpp
    void ConnectFileCommands();
    void UpdateFileActions();
    // The title: the project's file name with a mark while it has unsaved changes.
    void ShowTitle();
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSaveAs();
    void OnOpenRecentFile(int slot);
    void OnExport();
    void OnPreview();
    void OnHelpContents();
    // Offers to save a modified project; false when the command that asked must not go on.
    bool SaveChangesFirst();
    bool SaveOrSaveAs();
    bool SaveTo(const QString& path);
    void ShowRecentFiles();
    // Exports the website, or with `preview` its preview; true when every folder was written.
    bool ExportSite(bool preview);
    // Asks before an export deletes files and folders of its folder that it did not make; true
    // when there are none or the user agrees.
    bool AgreeToDeleteUnplanned(const std::filesystem::path& exportFolder,
                                const UnplannedEntries& unplanned);

    // MainFramePublishCommand.cpp: Site > Publish.
    void ConnectPublishCommand();
    void OnPublish();

    // MainFrameCheckCommand.cpp: Site > Check website.
    void ConnectCheckCommand();
    void OnCheckWebsite();
    // Selects what a problem of the check names: the folder, and the item in the list.
    void SelectProblemPlace(CFolderKey folder, CItemKey item);

    // MainFrameEditCommands.cpp
    void ConnectEditCommands();
    void UpdateEditActions();
    void OnNewFolder();
    void OnNewItem();
    void OnDelete();
    void OnCutCopy(bool cut);
    void OnPaste();
    void OnMove(bool down);
    void OnSortItems(CSortOrder order);
    void OnUndoRedo(bool redo);
    void ShowUndoTexts();

    // MainFrameImportCommands.cpp
    void ConnectImportCommands();
    void UpdateImportActions();
    // Import a folder; with asSite, into a new sub-site named after the folder.
    void OnImportFolder(bool asSite);
    void OnImportFiles();
    // Tells the user what an import left out.
    void ReportImport(const CImportResult& result);
    // After an import: the folder opened, focused, selected and shown.
    void ShowImportTarget(CFolderKey folder);
    // How the website's settings ask imports to caption, order and pick files.
    ImportOptions ImportOptionsOf() const;

    // MainFramePropertyCommands.cpp: the two property sheets.
    void ConnectPropertyCommands();
    void UpdatePropertyActions();
    void OnWebsiteProperties();
    void OnLayoutProperties();

    std::unique_ptr<CSiteDocument> document;
    FocusedPane lastPane = FocusedPane::None;
    CRecentFileList recentFiles;
    // The separator and the entries of the recent files, hidden while their slot is empty.
    QAction* recentSeparator = nullptr;
    std::array<QAction*, CRecentFileList::kSlotCount> recentFileActions{};
    CExportRunner exportRunner;
    CPublishRunner publishRunner;
    bool exporting = false;
    // Where Preview writes: a folder of its own per project inside this temporary folder, made at
    // the first Preview and removed with the window.
    std::unique_ptr<QTemporaryDir> previewRoot;
    // The first page of the last preview, which the browser opens.
    QString previewPage;

    QHash<int, QAction*> actions;
    QMenu* fileMenu = nullptr;
    QMenu* sortMenu = nullptr;
    // The separator above "E&xit": the recent files go in front of it.
    QAction* exitSeparator = nullptr;
    QToolBar* toolBar = nullptr;
    QSplitter* mainSplitter = nullptr;
    QSplitter* rightSplitter = nullptr;
    CSiteTreeView* treeView = nullptr;
    CSiteListView* listView = nullptr;
    CSitePropertyView* propertyView = nullptr;
};
