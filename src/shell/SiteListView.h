#pragma once

#include <QTreeView>
#include <vector>

#include "SiteListModel.h"

class CSiteTreeView;
class CSitePropertyView;

// The upper right pane: the selected node's sub-sites and items in report form. Selecting one
// row shows it in the property form; the rows can be renamed in place, opened with a
// double-click, deleted, cut or copied, pasted into and moved.
class CSiteListView : public QTreeView {
    Q_OBJECT
public:
    CSiteListView(CSiteTree& tree, QWidget* parent = nullptr);

    CSiteListModel& Model() { return listModel; }
    void SetTreeView(CSiteTreeView* view) { treeView = view; }
    void SetPropertyView(CSitePropertyView* view) { propertyView = view; }

    // Rows for the folder's sub-sites and items (none for no folder).
    void ShowNode(CFolderKey folder);
    // After an item was appended to the shown folder; with `select` it becomes the only
    // selected row.
    void AddItemRow(CItemKey item, bool select);
    // Makes the row the only selected one and scrolls it fully into view.
    void SelectRow(int row);
    // The selected rows, in row order.
    std::vector<int> SelectedRows() const;

    // 3 unless exactly one row is selected; then 1 for the first row, 0 for the last, 2 between.
    int GetSelectionPosition() const;
    bool IsFolderRowSelected() const;

    // After the property form changed the caption or URL of the shown record: labels and row
    // texts follow, and the project is modified.
    void RefreshSelectedRow();
    void SetModified(bool flag);

    // The Cut/Copy, Paste and Move commands while the list has the focus.
    void CopyRows(bool cut);
    void PasteIntoSelectedFolder();
    void MoveSelectedRow(bool down);

signals:
    void SelectionChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void ShowSelection();
    void OnDoubleClicked(const QModelIndex& index);
    void OnRenamed(CSiteNodeRef row);

    CSiteTree& tree;
    CSiteListModel listModel;
    CSiteTreeView* treeView = nullptr;
    CSitePropertyView* propertyView = nullptr;
};
