// The edit commands of the main window: new sub-sites and items, and the commands that act on
// the tree or on the list, whichever has the keyboard focus.
#include <QAction>

#include "CommandIds.h"
#include "MainFrame.h"
#include "SiteListView.h"
#include "SiteTreeView.h"

void CMainFrame::ConnectEditCommands() {
    using namespace CommandId;
    connect(Action(kNewFolder), &QAction::triggered, this, &CMainFrame::OnNewFolder);
    connect(Action(kNewItem), &QAction::triggered, this, &CMainFrame::OnNewItem);
    connect(Action(kDelete), &QAction::triggered, this, &CMainFrame::OnDelete);
}

void CMainFrame::UpdateEditActions() {
    using namespace CommandId;
    const FocusedPane focus = Focused();
    const CSiteNode* selected = treeView->SelectedNode();
    const bool treeFocus = focus == FocusedPane::Tree;
    const bool listFocus = focus == FocusedPane::List;

    Action(kNewFolder)->setEnabled(treeFocus && selected);
    Action(kNewItem)->setEnabled((treeFocus && selected) || listFocus);
    const bool canDelete = (treeFocus && selected && selected != tree->Root()) ||
                           (listFocus && !listView->SelectedRows().empty());
    Action(kDelete)->setEnabled(canDelete);

    for (int id : {kEditCut, kEditCopy, kEditPaste, kMoveUp, kMoveDown})
        Action(id)->setEnabled(false);
}

void CMainFrame::OnNewFolder() {
    if (Focused() == FocusedPane::Tree) treeView->NewFolder();
}

void CMainFrame::OnNewItem() {
    const FocusedPane focus = Focused();
    if (focus == FocusedPane::Tree || focus == FocusedPane::List) treeView->NewItem();
}

void CMainFrame::OnDelete() {
    switch (Focused()) {
        case FocusedPane::Tree:
            treeView->DeleteSelected();
            break;
        case FocusedPane::List:
            treeView->DeleteListSelection();
            break;
        case FocusedPane::None:
            break;
    }
}
