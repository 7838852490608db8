#pragma once

#include <QTreeView>
#include <vector>

#include "SiteListModel.h"

// The upper right pane: the sub-sites and items of the folder the document has selected, in
// report form. It shows the rows the document has selected and tells the document when the user
// selects others; the rows can be renamed in place, opened with a double-click, deleted, cut or
// copied, pasted into and moved, each through the document's commands.
class CSiteListView : public QTreeView {
    Q_OBJECT
public:
    explicit CSiteListView(CSiteDocument& document, QWidget* parent = nullptr);

    CSiteListModel& Model() { return listModel; }

    // Makes the row the only selected one and scrolls it fully into view.
    void SelectRow(int row);
    // The selected rows, in row order.
    std::vector<int> SelectedRows() const;

    // 3 unless exactly one row is selected; then 1 for the first row, 0 for the last, 2 between.
    int GetSelectionPosition() const;
    bool IsFolderRowSelected() const;

    // The Delete, Cut/Copy, Paste and Move commands while the list has the focus. Delete asks
    // first; Paste goes into the sub-site of the selected row, which becomes the selected folder
    // (returned; none when no sub-site row is selected).
    void DeleteSelectedRows();
    void CopyRows(bool cut);
    CFolderKey PasteIntoSelectedFolder();
    void MoveSelectedRow(bool down);

signals:
    // A sub-site row was double-clicked: its folder is now the selected one and wants opening.
    void FolderOpened(CFolderKey folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    // Shows the document's selected folder and rows.
    void ShowSelection();
    void OnDoubleClicked(const QModelIndex& index);

    CSiteDocument& document;
    CSiteListModel listModel;
    bool showing = false;       // the view is being made to show the document's selection
    bool reporting = false;     // the document is being told of the user's selection
    bool captionSized = false;  // the user dragged the caption column's width
};
