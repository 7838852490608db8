// The import commands of the main window: a folder tree or chosen files become sub-sites and
// items of the node selected in the tree.
#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QStatusBar>
#include <filesystem>

#include "CommandIds.h"
#include "Desktop.h"
#include "ImportFacts.h"
#include "ImportJob.h"
#include "MainFrame.h"
#include "SiteTreeView.h"

namespace {

// "All Files" matches every name: "*.*" would leave out names without a dot.
QString ImportFilesFilter() {
    return CMainFrame::tr(
        "All Files (*);;Html Files (*.htm);;Html Files (*.html);;Gif Files (*.gif);;"
        "JPEG Files (*.jpg);;MP3 Files (*.mp3);;Zip files (*.zip)");
}

constexpr std::size_t kSkippedPathsShown = 10;

}  // namespace

void CMainFrame::ConnectImportCommands() {
    using namespace CommandId;
    connect(Action(kImportFolder), &QAction::triggered, this, [this] { OnImportFolder(false); });
    connect(Action(kImportFolderAsSite), &QAction::triggered, this,
            [this] { OnImportFolder(true); });
    connect(Action(kImportFiles), &QAction::triggered, this, &CMainFrame::OnImportFiles);
}

void CMainFrame::UpdateImportActions() {
    using namespace CommandId;
    const bool target = static_cast<bool>(treeView->SelectedNode());
    Action(kImportFolder)->setEnabled(target);
    Action(kImportFiles)->setEnabled(target);
    Action(kImportFolderAsSite)->setEnabled(target);
}

void CMainFrame::OnImportFolder(bool asSite) {
    if (!treeView->SelectedNode()) return;
    const QString folder = TheDesktop().ExistingFolder(this, tr("Please select import folder"));
    if (folder.isEmpty()) return;
    CImportJob job(this);
    const std::filesystem::path path(QFile::encodeName(folder).toStdString());
    CImportScan scan = job.Run(path, ImportOptionsOf());
    if (!job.Failure().empty()) {
        TheDesktop().Tell(
            this,
            tr("The import stopped early: %1").arg(QString::fromLocal8Bit(job.Failure().c_str())),
            CDesktop::Severity::Warning);
    }
    const CFolderKey target = treeView->SelectedNode();
    const CImportResult result =
        asSite ? document->ImportAsSite(target, ImportSiteName(path), std::move(scan))
               : document->Import(target, std::move(scan));
    // The report first: the focus goes back to the tree once the last dialog is closed.
    ReportImport(result);
    ShowImportTarget(target);
}

void CMainFrame::OnImportFiles() {
    if (!treeView->SelectedNode()) return;
    const QStringList files = TheDesktop().OpenFileNames(this, ImportFilesFilter());
    if (files.isEmpty()) return;
    const CFolderKey target = treeView->SelectedNode();
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(files.size()));
    for (const QString& file : files) paths.push_back(QFile::encodeName(file).toStdString());
    CImportResult result;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        result = document->ImportFiles(target, paths, ImportOptionsOf());
    }
    // The report first: the focus goes back to the tree once the last dialog is closed.
    ReportImport(result);
    ShowImportTarget(target);
}

ImportOptions CMainFrame::ImportOptionsOf() const {
    return {document->Settings().importing,
            [](const std::string& path) { return ReadImportFacts(path); }};
}

void CMainFrame::ShowImportTarget(CFolderKey folder) {
    treeView->ExpandNode(folder);
    document->SelectFolder(folder);
    ReturnFocus(treeView);
}

void CMainFrame::ReportImport(const CImportResult& result) {
    // Junk left out is what the settings asked for: the status bar counts it.
    if (result.leftOut > 0)
        statusBar()->showMessage(
            result.leftOut == 1
                ? tr("1 hidden or junk entry left out of the import")
                : tr("%1 hidden or junk entries left out of the import").arg(result.leftOut),
            10000);
    if (result.skipped == 0) return;
    QString text = result.skipped == 1 ? tr("1 entry was not imported")
                                       : tr("%1 entries were not imported").arg(result.skipped);
    text +=
        tr(": only regular files are imported; links to folders are not followed, and "
           "entries that cannot be read or no longer exist are left out.\n");
    const std::size_t shown = std::min(result.skippedEntries.size(), kSkippedPathsShown);
    for (std::size_t i = 0; i < shown; ++i) {
        const ImportSkip& skip = result.skippedEntries[i];
        text += u'\n' + QFile::decodeName(QByteArray::fromStdString(skip.path)) +
                QStringLiteral(": ") + QString::fromUtf8(skip.reason);
    }
    if (result.skipped > shown) text += QStringLiteral("\n...");
    TheDesktop().Tell(this, text, CDesktop::Severity::Warning);
}
