// The project commands of the main window: opening and saving project files, the recent files,
// export and preview, help, and closing the window.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QScopeGuard>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

#include "CommandIds.h"
#include "Desktop.h"
#include "ExportLocation.h"
#include "ExportParametersFor.h"
#include "ExportPlan.h"
#include "MainFrame.h"
#include "ModelText.h"
#include "ProgramInfo.h"
#include "ProgramPaths.h"
#include "ProjectFile.h"
#include "SiteTreeView.h"
#include "Utf8Path.h"
#include "WebsiteExporter.h"

namespace fs = std::filesystem;

namespace {

const QString kProjectSuffix = QStringLiteral("www");

QString ProjectFilter() {
    return CMainFrame::tr("WWW files (*.www);;All Files (*)");
}
// An export with more failures than this lists the first ones and counts the rest.
constexpr std::size_t kFailuresListed = 10;
// The export's question names this many of the files and folders it would delete.
constexpr std::size_t kUnplannedNamesShown = 5;

QSettings RecentFileSettings() {
    return QSettings(QStringLiteral("Pagelorn"), QStringLiteral("Pagelorn"));
}

fs::path PathOf(const QString& path) {
    return fs::path(path.toStdU16String());
}

// A project's path as the window keeps it: absolute, so that a recent-file entry still finds the
// file when the program starts in another folder.
QString AbsoluteProjectPath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString ShownPath(const fs::path& path) {
    return TextFromBytes(Utf8FromPath(path));
}

// A menu entry shows the path as it is (an "&" in it would otherwise mark a mnemonic), behind
// its slot's number, which is its key.
QString MenuText(int slot, const QString& path) {
    QString text = path;
    return QStringLiteral("&%1 %2").arg(slot).arg(text.replace(u'&', QStringLiteral("&&")));
}

QString ExportFailureReport(const ExportResult& result) {
    QString text = TextFromBytes(result.message);
    if (result.failures.empty()) return text;
    text += CMainFrame::tr("\n\nNot everything could be written:");
    const std::size_t listed = std::min(result.failures.size(), kFailuresListed);
    for (std::size_t i = 0; i < listed; ++i) {
        const ExportFailure& failure = result.failures[i];
        text += QStringLiteral("\n%1: %2")
                    .arg(TextFromBytes(failure.path), TextFromBytes(failure.reason));
    }
    if (result.failures.size() > listed)
        text += CMainFrame::tr("\n... and %1 more.").arg(result.failures.size() - listed);
    return text;
}

}  // namespace

void CMainFrame::ConnectFileCommands() {
    using namespace CommandId;
    connect(Action(kFileNew), &QAction::triggered, this, &CMainFrame::OnFileNew);
    connect(Action(kFileOpen), &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(Action(kFileClose), &QAction::triggered, this, &CMainFrame::OnFileNew);
    connect(Action(kFileSave), &QAction::triggered, this, &CMainFrame::SaveOrSaveAs);
    connect(Action(kFileSaveAs), &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
    connect(Action(kAppExit), &QAction::triggered, this, &QWidget::close);
    connect(Action(kExport), &QAction::triggered, this, &CMainFrame::OnExport);
    connect(Action(kPreview), &QAction::triggered, this, &CMainFrame::OnPreview);
    connect(Action(kHelpContents), &QAction::triggered, this, &CMainFrame::OnHelpContents);

    // The recent files stand between "Save As..." and the separator above "Exit", behind a
    // separator of their own.
    recentSeparator = new QAction(this);
    recentSeparator->setSeparator(true);
    fileMenu->insertAction(exitSeparator, recentSeparator);
    for (int slot = 1; slot <= CRecentFileList::kSlotCount; ++slot) {
        auto* action = new QAction(this);
        connect(action, &QAction::triggered, this, [this, slot] { OnOpenRecentFile(slot); });
        fileMenu->insertAction(exitSeparator, action);
        recentFileActions[static_cast<std::size_t>(slot - 1)] = action;
    }
    QSettings settings = RecentFileSettings();
    recentFiles.LoadRecentFiles(settings);
    ShowRecentFiles();
}

void CMainFrame::UpdateFileActions() {
    using namespace CommandId;
    for (int id : {kFileNew, kFileOpen, kFileClose, kFileSave, kFileSaveAs, kPreview, kExport,
                   kHelpContents})
        Action(id)->setEnabled(true);
    ShowTitle();
}

void CMainFrame::ShowTitle() {
    // As desktop programs name what they show: the project's file and its unsaved changes.
    const QString path = document->FilePath();
    const QString title =
        path.isEmpty()
            ? QString::fromUtf8(kAppTitle)
            : tr("%1[*] - %2").arg(QFileInfo(path).fileName(), QString::fromUtf8(kAppTitle));
    if (windowFilePath() != path) setWindowFilePath(path);
    if (windowTitle() != title) setWindowTitle(title);
    setWindowModified(!path.isEmpty() && document->IsModified());
}

void CMainFrame::ShowRecentFiles() {
    recentSeparator->setVisible(!recentFiles.IsEmpty());
    for (int slot = 1; slot <= CRecentFileList::kSlotCount; ++slot) {
        QAction* action = recentFileActions[static_cast<std::size_t>(slot - 1)];
        const QString path = recentFiles.File(slot);
        action->setText(path.isEmpty() ? QString() : MenuText(slot, path));
        action->setStatusTip(path);
        action->setVisible(!path.isEmpty());
    }
}

bool CMainFrame::SaveChangesFirst() {
    if (!document->IsModified()) return true;
    const auto answer = TheDesktop().Ask(
        this,
        document->FilePath().isEmpty() ? tr("Do you want to save the changes to the new project?")
                                       : tr("Do you want to save the changes to %1?")
                                             .arg(QFileInfo(document->FilePath()).fileName()),
        true, CDesktop::Icon::Warning);
    switch (answer) {
        case CDesktop::Answer::Yes:
            return SaveOrSaveAs();
        case CDesktop::Answer::No:
            return true;
        case CDesktop::Answer::Cancel:
            break;
    }
    return false;
}

bool CMainFrame::SaveOrSaveAs() {
    const QString path = document->FilePath();
    return path.isEmpty() ? OnFileSaveAs() : SaveTo(path);
}

// A project file that could not be written neither becomes the project's file nor a recent
// file.
bool CMainFrame::OnFileSaveAs() {
    const QString chosen = TheDesktop().SaveFileName(this, ProjectFilter(), kProjectSuffix);
    if (chosen.isEmpty()) return false;
    const QString path = AbsoluteProjectPath(chosen);
    const bool saved = SaveTo(path);
    if (document->FilePath() == path && recentFiles.AddRecentFile(path)) ShowRecentFiles();
    return saved;
}

bool CMainFrame::SaveTo(const QString& path) {
    // A caption still being typed in place belongs in the file; the toolbar takes no focus, so
    // the editor would otherwise stay open past the save.
    FinishEditing();
    const fs::path file = PathOf(path);
    ProjectSaveOptions options;
    // pagelorn-cli import holds the lock from reading the file to saving it; saving in between
    // would be lost under its save.
    options.lock.wait = std::chrono::milliseconds(1000);
    options.overwriteChanged = [this](const std::vector<fs::path>& files) {
        QStringList changed;
        for (const fs::path& onDisk : files) changed << ShownPath(onDisk);
        const QString question =
            changed.size() == 1
                ? tr("%1 was changed by another program since it was opened or last saved.\n\n"
                     "Overwrite it with this project? Cancel keeps the file as the other "
                     "program left it.")
                      .arg(changed.front())
                : tr("%1 and %2 were changed by another program since they were opened or last "
                     "saved.\n\nOverwrite them with this project? Cancel keeps the files as the "
                     "other program left them.")
                      .arg(changed.value(0), changed.value(1));
        return TheDesktop().Confirm(this, question, tr("Overwrite"));
    };
    // The settings file found damaged at Open is replaced only when the user agrees.
    options.replaceDamaged = [this, &file]() -> std::optional<SettingsSave> {
        const auto answer = TheDesktop().Ask(
            this,
            tr("The website settings file %1 could not be read when the project was "
               "opened, so every setting in it was taken as off.\n\nReplace it with "
               "the settings the project has now? No saves the project and leaves "
               "that file as it is.")
                .arg(ShownPath(WebsiteSettingsPath(file))),
            true, CDesktop::Icon::Warning);
        if (answer == CDesktop::Answer::Cancel) return std::nullopt;
        return answer == CDesktop::Answer::Yes ? SettingsSave::OverwriteDamaged
                                               : SettingsSave::KeepDamaged;
    };
    const ProjectSaveResult result = document->Save(path, options);
    ShowTitle();
    switch (result.status) {
        case ProjectSaveStatus::Saved:
            return true;
        case ProjectSaveStatus::Cancelled:
            return false;
        case ProjectSaveStatus::Busy:
            TheDesktop().Tell(this, TextFromBytes(result.message), CDesktop::Severity::Warning);
            return false;
        case ProjectSaveStatus::SettingsFailed:
            TheDesktop().Tell(this,
                              TextFromBytes("The project was saved, but its website settings "
                                            "could not be written: " +
                                            result.message),
                              CDesktop::Severity::Critical);
            return false;
        case ProjectSaveStatus::Failed:
            break;
    }
    TheDesktop().Tell(this, TextFromBytes(result.message), CDesktop::Severity::Critical);
    return false;
}

void CMainFrame::OnFileNew() {
    if (!SaveChangesFirst()) return;
    document->NewProject();
    UpdateActions();
}

void CMainFrame::OnFileOpen() {
    if (!SaveChangesFirst()) return;
    const QString path = TheDesktop().OpenFileName(this, ProjectFilter());
    if (path.isEmpty()) return;
    OpenAndRemember(path);
}

void CMainFrame::OpenAndRemember(const QString& chosen) {
    const QString path = AbsoluteProjectPath(chosen);
    if (OpenProject(path) && recentFiles.AddRecentFile(path)) ShowRecentFiles();
}

void CMainFrame::OnOpenRecentFile(int slot) {
    // Taken before the save prompt: a Save As there moves the entries to other slots.
    const QString path = recentFiles.File(slot);
    if (path.isEmpty() || !SaveChangesFirst()) return;
    if (OpenProject(path)) {
        if (recentFiles.AddRecentFile(path)) ShowRecentFiles();
        return;
    }
    // A file that cannot be read whole leaves the list.
    recentFiles.RemoveRecentFile(recentFiles.SlotOf(path));
    ShowRecentFiles();
}

bool CMainFrame::OpenProject(const QString& chosen) {
    const QString path = AbsoluteProjectPath(chosen);
    FinishEditing();
    const ProjectOpenResult result = document->Open(path);
    if (!result.replaced) {
        TheDesktop().Tell(this, TextFromBytes(result.load.message),
                          result.load.status == LoadStatus::WrongVersion
                              ? CDesktop::Severity::Warning
                              : CDesktop::Severity::Critical);
        return false;
    }
    QStringList problems;
    if (result.load.status == LoadStatus::TreeDamaged)
        problems << TextFromBytes(result.load.message) +
                        tr("\n\nWhat could be read is shown. Save it under a new name to keep "
                           "it; the file itself is left as it is.");
    if (result.settings.status == SettingsLoadStatus::Damaged)
        // The message says already that every setting is off.
        problems << TextFromBytes(result.settings.message) +
                        tr("\n\nSaving the project asks before that file is replaced.");
    if (!problems.isEmpty())
        TheDesktop().Tell(this, problems.join(QStringLiteral("\n\n")), CDesktop::Severity::Warning);
    UpdateActions();
    return result.load.IsComplete();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The export reads the tree on another thread until it is over.
    if (exporting || !SaveChangesFirst()) {
        event->ignore();
        return;
    }
    QSettings settings = RecentFileSettings();
    recentFiles.SaveRecentFiles(settings);
    event->accept();
}

bool CMainFrame::ExportSite(bool preview) {
    if (exporting) return false;
    // The export reads a copy of the project taken now.
    const std::shared_ptr<const CProject> project = document->Snapshot();
    const std::uint64_t revision = document->Revision();
    std::filesystem::path folder;
    if (preview) {
        // Preview shows the project as it is now without touching its export: its pages go into
        // a temporary folder of this window's, removed when the program ends.
        if (!previewRoot || !previewRoot->isValid())
            previewRoot = std::make_unique<QTemporaryDir>(
                QDir::tempPath() + QStringLiteral("/pagelorn-preview-XXXXXX"));
        if (!previewRoot->isValid()) {
            TheDesktop().Tell(this,
                              tr("No temporary folder could be made for the preview: %1")
                                  .arg(previewRoot->errorString()),
                              CDesktop::Severity::Critical);
            return false;
        }
        folder = PreviewFolder(PathOf(previewRoot->path()), project->Path());
    } else {
        // A relative location belongs to the project's folder, never to wherever the program
        // happened to be started; the rule is the one pagelorn-cli follows.
        const ExportLocation location =
            ResolveExportLocation(project->PageOption().general.location.View(), project->Path());
        if (!location.problem.empty()) {
            TheDesktop().Tell(this, TextFromBytes(location.problem), CDesktop::Severity::Critical);
            return false;
        }
        folder = location.folder;
    }

    ExportParameters parameters = ExportParametersFor(*project, folder);
    // An edit box left open would write into the tree when the progress dialog takes the focus.
    const QPointer<QWidget> focused = QApplication::focusWidget();
    if (focused) focused->clearFocus();
    const auto returnFocus = qScopeGuard([&] { ReturnFocus(focused); });

    // Checked, and planned where the export would delete files, with the progress dialog: a large
    // website takes a while to look at. The window stays while the worker reads the project.
    exporting = true;
    CExportRunner::Preparation prepared =
        exportRunner.Prepare(this, parameters, !preview, kUnplannedNamesShown);
    exporting = false;
    if (!prepared.failure.isEmpty()) {
        TheDesktop().Tell(this, prepared.failure, CDesktop::Severity::Critical);
        return false;
    }
    if (prepared.stopped) return false;
    const ExportFolderCheck& check = prepared.check;
    // What was checked is what is written, even if a link changes meanwhile.
    if (!check.folder.empty()) parameters.exportFolder = check.folder;
    switch (check.state) {
        case ExportFolderState::Refused:
        case ExportFolderState::Unusable:
            TheDesktop().Tell(this, TextFromBytes(check.message), CDesktop::Severity::Critical);
            return false;
        case ExportFolderState::NotEmpty:
            if (!preview && prepared.plan &&
                !AgreeToDeleteUnplanned(check.folder, prepared.unplanned))
                return false;
            // The plan that found what is deleted is the plan carried out.
            if (prepared.plan)
                parameters.knownPlan = std::make_shared<ExportPlan>(std::move(*prepared.plan));
            parameters.clearExistingFolder = true;
            break;
        case ExportFolderState::Missing:
        case ExportFolderState::Empty:
            break;
    }

    exporting = true;
    const ExportResult result = exportRunner.Run(this, parameters);
    exporting = false;

    switch (result.status) {
        case ExportStatus::Completed:
            if (preview) {
                previewPage = ShownPath(result.rootPage);
            } else {
                document->ExportWritten(revision);
                statusBar()->showMessage(TextFromBytes(result.message), 10000);
            }
            if (!result.failures.empty())
                TheDesktop().Tell(this, ExportFailureReport(result), CDesktop::Severity::Warning);
            UpdateActions();
            return true;
        case ExportStatus::Stopped:
            TheDesktop().Tell(
                this,
                ExportFailureReport(result) + tr("\n\nThe pages written so far stay in the folder; "
                                                 "export again to write the whole website."),
                CDesktop::Severity::Information);
            return false;
        case ExportStatus::Refused:
        case ExportStatus::NotCleared:
        case ExportStatus::NoRoot:
        case ExportStatus::FolderNotMade:
        case ExportStatus::Busy:
            break;
    }
    TheDesktop().Tell(this, ExportFailureReport(result), CDesktop::Severity::Critical);
    return false;
}

bool CMainFrame::AgreeToDeleteUnplanned(const std::filesystem::path& exportFolder,
                                        const UnplannedEntries& unplanned) {
    // A folder holding only an earlier export of this website is brought up to date without a
    // question; only what the export would delete and did not make is worth one.
    if (unplanned.count == 0 && !unplanned.unreadable) return true;
    QString names;
    for (const std::string& name : unplanned.names)
        names += QStringLiteral("\n") + TextFromBytes(name);
    if (unplanned.count > unplanned.names.size())
        names += QStringLiteral("\n") +
                 tr("... and %1 more").arg(unplanned.count - unplanned.names.size());
    const QString folder = ShownPath(exportFolder);
    const QString question =
        unplanned.count == 0
            ? tr("Warning: %1 holds folders that cannot be read; exporting into it deletes "
                 "whatever they hold.")
                  .arg(folder)
        : unplanned.count == 1
            ? tr("Warning: exporting into %1 deletes 1 file or folder that is not part of this "
                 "website:\n%2")
                  .arg(folder, names)
            : tr("Warning: exporting into %1 deletes %2 files and folders that are not part of "
                 "this website:\n%3")
                  .arg(folder)
                  .arg(unplanned.count)
                  .arg(names);
    return TheDesktop().Confirm(this, question, tr("Delete and Export"));
}

void CMainFrame::OnExport() {
    ExportSite(false);
}

void CMainFrame::OnPreview() {
    // Written again each time (only what changed): pages deleted meanwhile come back too.
    if (!ExportSite(true)) return;
    if (!TheDesktop().OpenUrl(QUrl::fromLocalFile(previewPage)))
        TheDesktop().Tell(this,
                          tr("The preview was written, but %1 could not be opened in the "
                             "browser.")
                              .arg(previewPage),
                          CDesktop::Severity::Warning);
}

void CMainFrame::OnHelpContents() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString guide = FindUserGuide(programFolder);
    if (guide.isEmpty()) {
        TheDesktop().Tell(
            this,
            tr("The user guide is missing: it belongs in %1.").arg(UserGuidePath(programFolder)),
            CDesktop::Severity::Warning);
        return;
    }
    if (!TheDesktop().OpenUrl(QUrl::fromLocalFile(guide)))
        TheDesktop().Tell(this,
                          tr("The user guide %1 could not be opened in the browser.").arg(guide),
                          CDesktop::Severity::Warning);
}
