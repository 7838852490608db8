// Site > "Check website...": the export's plan made on a worker thread, its problems shown in a
// dialog from which a double-click selects the folder or item a problem names.
#include <QAction>
#include <QApplication>
#include <QPointer>
#include <filesystem>

#include "CheckDialog.h"
#include "CommandIds.h"
#include "ExportLocation.h"
#include "ExportParametersFor.h"
#include "MainFrame.h"
#include "SiteListView.h"
#include "SiteTreeView.h"

namespace fs = std::filesystem;

void CMainFrame::ConnectCheckCommand() {
    connect(Action(CommandId::kCheckWebsite), &QAction::triggered, this,
            &CMainFrame::OnCheckWebsite);
}

void CMainFrame::OnCheckWebsite() {
    if (exporting) return;
    // The check reads a copy of the project: what it lists is the project as it was asked about.
    const std::shared_ptr<const CProject> project = document->Snapshot();
    const CPageOption& page = project->PageOption();
    const ExportLocation location =
        ResolveExportLocation(page.general.location.View(), project->Path());
    const ExportParameters parameters = ExportParametersFor(*project, location.folder);
    exporting = true;
    ExportPlan plan = exportRunner.Check(this, parameters);
    exporting = false;
    if (plan.stopped) return;
    if (!location.problem.empty())
        plan.problems.insert(plan.problems.begin(),
                             ExportFolderProblem(page.general.location.View(), location.problem));
    if (std::optional<ExportProblem> ftp = PublishAddressProblem(project->Settings().publish.url))
        plan.problems.push_back(std::move(*ftp));

    // One list at a time: a new check replaces the last one's, where it stands.
    QPointer<CCheckDialog> dialog = findChild<CCheckDialog*>();
    if (!dialog) {
        dialog = new CCheckDialog(
            this, [this](CFolderKey folder, CItemKey item) { SelectProblemPlace(folder, item); },
            [this](CFolderKey folder, CItemKey item) {
                const CSiteTree& tree = document->Tree();
                return tree.Find(folder) != nullptr &&
                       (!item || (tree.Find(item) != nullptr && tree.FolderOf(item) == folder));
            },
            [this] { OnCheckWebsite(); });
        // The list follows the project while it is open.
        connect(document.get(), &CSiteDocument::TreeChangeEnded, dialog,
                [dialog] { dialog->FollowProject(); });
    }
    dialog->SetProblems(plan.problems, plan.ErrorCount());
    dialog->show();
    dialog->raise();
}

void CMainFrame::SelectProblemPlace(CFolderKey folder, CItemKey item) {
    // The project may have changed since the check: what is gone is not selected.
    const CSiteTree& tree = document->Tree();
    if (tree.Find(folder) == nullptr) return;
    if (tree.Find(item) != nullptr && tree.FolderOf(item) == folder) {
        document->Select(CSiteSelection::OfRows(folder, {CSiteNodeRef::Of(item)}));
        listView->setFocus(Qt::OtherFocusReason);
    } else {
        document->SelectFolder(folder);
        treeView->setFocus(Qt::OtherFocusReason);
    }
}
