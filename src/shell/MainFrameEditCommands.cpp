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
    connect(Action(kEditCut), &QAction::triggered, this, [this] { OnCutCopy(true); });
    connect(Action(kEditCopy), &QAction::triggered, this, [this] { OnCutCopy(false); });
    connect(Action(kEditPaste), &QAction::triggered, this, &CMainFrame::OnPaste);
    connect(Action(kMoveUp), &QAction::triggered, this, [this] { OnMove(false); });
    connect(Action(kMoveDown), &QAction::triggered, this, [this] { OnMove(true); });
}

void CMainFrame::UpdateEditActions() {
    using namespace CommandId;
    const FocusedPane focus = Focused();
    const CFolderKey selected = treeView->SelectedNode();
    const bool treeFocus = focus == FocusedPane::Tree && selected;
    const bool listFocus = focus == FocusedPane::List;
    const bool belowRoot = treeFocus && selected != tree->RootKey();
    const bool rowsSelected = listFocus && !listView->SelectedRows().empty();
    // 3 unless exactly one row is selected; 1 for the first row, 0 for the last, 2 between.
    const int position = listFocus ? listView->GetSelectionPosition() : 3;

    Action(kNewFolder)->setEnabled(treeFocus);
    Action(kNewItem)->setEnabled(treeFocus || listFocus);
    for (int id : {kEditCut, kEditCopy, kDelete}) Action(id)->setEnabled(belowRoot || rowsSelected);
    // A cut or copied folder offers Paste on every other node; a paste below itself is then
    // refused without a word.
    const CSiteClipboard& clipboard = tree->Clipboard();
    const bool somethingHeld =
        clipboard.folderNode ? clipboard.folderNode != selected : clipboard.holdsRows;
    Action(kEditPaste)
        ->setEnabled((treeFocus && somethingHeld) ||
                     (listFocus && listView->IsFolderRowSelected()));
    Action(kMoveUp)->setEnabled(belowRoot || position == 0 || position == 2);
    Action(kMoveDown)->setEnabled(belowRoot || position == 1 || position == 2);
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

void CMainFrame::OnCutCopy(bool cut) {
    switch (Focused()) {
        case FocusedPane::Tree:
            if (cut)
                treeView->Cut();
            else
                treeView->Copy();
            break;
        case FocusedPane::List:
            listView->CopyRows(cut);
            break;
        case FocusedPane::None:
            break;
    }
}

void CMainFrame::OnPaste() {
    switch (Focused()) {
        case FocusedPane::Tree:
            treeView->Paste();
            break;
        case FocusedPane::List:
            listView->PasteIntoSelectedFolder();
            break;
        case FocusedPane::None:
            break;
    }
}

void CMainFrame::OnMove(bool down) {
    switch (Focused()) {
        case FocusedPane::Tree:
            if (down)
                treeView->MoveDown();
            else
                treeView->MoveUp();
            break;
        case FocusedPane::List:
            listView->MoveSelectedRow(down);
            break;
        case FocusedPane::None:
            break;
    }
}
