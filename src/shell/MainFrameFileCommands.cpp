// The project commands of the main window: opening and saving project files, export and
// preview, help, and closing the window.
#include <QAction>
#include <filesystem>

#include "AppOptions.h"
#include "CommandIds.h"
#include "Desktop.h"
#include "MainFrame.h"
#include "ProjectFile.h"
#include "SiteTreeView.h"
#include "TextCodec.h"

void CMainFrame::ConnectFileCommands() {
    connect(Action(CommandId::kAppExit), &QAction::triggered, this, &QWidget::close);
}

// Commands whose handlers are not part of the window yet stay disabled.
void CMainFrame::UpdateFileActions() {
    using namespace CommandId;
    for (int id : {kFileNew, kFileOpen, kFileClose, kFileSave, kFileSaveAs, kPreview, kExport,
                   kImportFolder, kImportFiles, kHelpContents})
        Action(id)->setEnabled(false);
}

bool CMainFrame::OpenProject(const QString& path) {
    thePageOption.Reset(true);
    theLayoutOption.Reset();
    pathName = path;
    LoadResult result;
    treeView->ReplaceProject([&] {
        result = LoadProject(std::filesystem::path(path.toStdU16String()), thePageOption,
                             theLayoutOption, *tree);
    });
    if (result.IsComplete()) return true;

    // Saving over a file that was not read whole would lose what could not be read, so the
    // project goes on untitled.
    pathName.clear();
    const auto severity = result.status == LoadStatus::TreeDamaged ? CDesktop::Severity::Warning
                                                                   : CDesktop::Severity::Critical;
    TheDesktop().Tell(this, FromBytes(result.message), severity);
    return false;
}
