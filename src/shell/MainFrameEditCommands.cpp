// The edit commands of the main window: undo and redo, new sub-sites and items, and the commands
// that act on the tree or on the list, whichever had the keyboard focus last.
#include <QAction>
#include <QMenu>
#include <filesystem>

#include "CommandIds.h"
#include "MainFrame.h"
#include "SiteListView.h"
#include "SiteTreeView.h"
#include "Thumbnail.h"

namespace {

// A step's text in a menu entry: an "&" of a caption is no mnemonic.
QString MenuEscaped(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}

}  // namespace

void CMainFrame::ConnectEditCommands() {
    using namespace CommandId;
    connect(Action(kEditUndo), &QAction::triggered, this, [this] { OnUndoRedo(false); });
    connect(Action(kEditRedo), &QAction::triggered, this, [this] { OnUndoRedo(true); });
    connect(Action(kNewFolder), &QAction::triggered, this, &CMainFrame::OnNewFolder);
    connect(Action(kNewItem), &QAction::triggered, this, &CMainFrame::OnNewItem);
    connect(Action(kDelete), &QAction::triggered, this, &CMainFrame::OnDelete);
    connect(Action(kEditCut), &QAction::triggered, this, [this] { OnCutCopy(true); });
    connect(Action(kEditCopy), &QAction::triggered, this, [this] { OnCutCopy(false); });
    connect(Action(kEditPaste), &QAction::triggered, this, &CMainFrame::OnPaste);
    connect(Action(kMoveUp), &QAction::triggered, this, [this] { OnMove(false); });
    connect(Action(kMoveDown), &QAction::triggered, this, [this] { OnMove(true); });
    const std::pair<int, CSortOrder> sorts[] = {{kSortByCaption, CSortOrder::Caption},
                                                {kSortByFileName, CSortOrder::FileName},
                                                {kSortByDateTaken, CSortOrder::DateTaken}};
    for (const auto& [id, order] : sorts)
        connect(Action(id), &QAction::triggered, this, [this, order] { OnSortItems(order); });

    QUndoStack& history = document->UndoStack();
    connect(&history, &QUndoStack::indexChanged, this, [this] {
        ShowUndoTexts();
        UpdateActions();
    });
    ShowUndoTexts();
}

void CMainFrame::ShowUndoTexts() {
    using namespace CommandId;
    const QUndoStack& history = document->UndoStack();
    const QString undo = history.undoText();
    const QString redo = history.redoText();
    Action(kEditUndo)->setText(undo.isEmpty() ? tr("&Undo\tCtrl+Z")
                                              : tr("&Undo %1\tCtrl+Z").arg(MenuEscaped(undo)));
    Action(kEditUndo)->setToolTip(undo.isEmpty() ? tr("Undo") : tr("Undo %1").arg(undo));
    Action(kEditRedo)->setText(redo.isEmpty()
                                   ? tr("&Redo\tCtrl+Shift+Z")
                                   : tr("&Redo %1\tCtrl+Shift+Z").arg(MenuEscaped(redo)));
    Action(kEditRedo)->setToolTip(redo.isEmpty() ? tr("Redo") : tr("Redo %1").arg(redo));
}

void CMainFrame::UpdateEditActions() {
    using namespace CommandId;
    const QUndoStack& history = document->UndoStack();
    Action(kEditUndo)->setEnabled(history.canUndo());
    Action(kEditRedo)->setEnabled(history.canRedo());

    const FocusedPane focus = Focused();
    const CFolderKey selected = treeView->SelectedNode();
    const bool treeFocus = focus == FocusedPane::Tree && selected;
    const bool listFocus = focus == FocusedPane::List;
    const bool belowRoot = treeFocus && selected != document->Tree().RootKey();
    const bool rowsSelected = listFocus && !document->Selection().rows.empty();
    // 3 unless exactly one row is selected; 1 for the first row, 0 for the last, 2 between.
    const int position = listFocus ? listView->GetSelectionPosition() : 3;

    Action(kNewFolder)->setEnabled(treeFocus);
    Action(kNewItem)->setEnabled(treeFocus || listFocus);
    for (int id : {kEditCut, kEditCopy, kDelete}) Action(id)->setEnabled(belowRoot || rowsSelected);
    // A cut or copied folder offers Paste on every other node; a paste below itself is then
    // refused without a word.
    const CSiteClipboard& clipboard = document->Tree().Clipboard();
    const bool somethingHeld =
        clipboard.folderNode ? clipboard.folderNode != selected : clipboard.holdsRows;
    Action(kEditPaste)
        ->setEnabled((treeFocus && somethingHeld) ||
                     (listFocus && listView->IsFolderRowSelected()));
    Action(kMoveUp)->setEnabled(belowRoot || position == 0 || position == 2);
    Action(kMoveDown)->setEnabled(belowRoot || position == 1 || position == 2);
    // Sorting acts on the items of the folder the list shows.
    const CSiteNode* shown = document->Tree().Find(document->Selection().folder);
    const bool canSort = shown != nullptr && shown->Folder().items.size() > 1;
    sortMenu->setEnabled(canSort);
    for (int id : {kSortByCaption, kSortByFileName, kSortByDateTaken})
        Action(id)->setEnabled(canSort);
}

void CMainFrame::OnUndoRedo(bool redo) {
    FinishEditing();
    QUndoStack& history = document->UndoStack();
    if (redo)
        history.redo();
    else
        history.undo();
}

void CMainFrame::OnNewFolder() {
    if (Focused() == FocusedPane::Tree) document->NewFolder(treeView->SelectedNode());
}

void CMainFrame::OnNewItem() {
    const FocusedPane focus = Focused();
    if (focus == FocusedPane::Tree || focus == FocusedPane::List)
        document->NewItem(document->Selection().folder);
}

void CMainFrame::OnDelete() {
    switch (Focused()) {
        case FocusedPane::Tree:
            treeView->DeleteSelected();
            break;
        case FocusedPane::List:
            listView->DeleteSelectedRows();
            break;
        case FocusedPane::None:
            break;
    }
}

void CMainFrame::OnCutCopy(bool cut) {
    switch (Focused()) {
        case FocusedPane::Tree:
            if (cut)
                document->Cut(treeView->SelectedNode());
            else
                document->Copy(treeView->SelectedNode());
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
        case FocusedPane::Tree: {
            const CFolderKey target = treeView->SelectedNode();
            if (document->Paste(target)) treeView->ExpandNode(target);
            break;
        }
        case FocusedPane::List:
            treeView->ExpandNode(listView->PasteIntoSelectedFolder());
            break;
        case FocusedPane::None:
            break;
    }
}

void CMainFrame::OnSortItems(CSortOrder order) {
    FinishEditing();
    const QString project = document->FilePath();
    const std::filesystem::path projectFolder =
        project.isEmpty() ? std::filesystem::path()
                          : std::filesystem::path(project.toStdU16String()).parent_path();
    document->SortItems(document->Selection().folder, order, ItemDatesTaken(projectFolder));
}

void CMainFrame::OnMove(bool down) {
    switch (Focused()) {
        case FocusedPane::Tree:
            document->MoveFolder(treeView->SelectedNode(), down);
            break;
        case FocusedPane::List:
            listView->MoveSelectedRow(down);
            break;
        case FocusedPane::None:
            break;
    }
}
