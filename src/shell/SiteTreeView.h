#pragma once

#include <QTreeView>

#include "SiteDocument.h"
#include "SiteTreeModel.h"

// The left pane: the website tree of the document. It shows the folder the document has
// selected and tells the document when the user selects another one; its edits (renaming in
// place, Delete, drag and drop) are the document's commands.
class CSiteTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit CSiteTreeView(CSiteDocument& document, QWidget* parent = nullptr);

    CSiteTreeModel& Model() { return treeModel; }

    // The selected folder (none when nothing is selected).
    CFolderKey SelectedNode() const;
    // Opens the folder in the tree.
    void ExpandNode(CFolderKey folder);

    // Asks, then deletes the selected node with its sub-sites; never the root.
    void DeleteSelected();

    // Drag and drop of sub-sites. A drag runs from BeginNodeDrag to EndNodeDrag; the node last
    // under the pointer is the drop target and is highlighted.
    void BeginNodeDrag(CFolderKey source);
    void EndNodeDrag();
    bool IsDragging() const { return dragging; }
    CFolderKey DropTarget() const { return dropTarget; }
    // Drops source on target: a copy goes to its sorted place among target's children, a move
    // to their end. A drop on the node itself, below it or on its own parent beeps and changes
    // nothing (false).
    bool DropNode(CFolderKey source, CFolderKey target, bool copy);

    // The format of the data a node drag carries.
    static constexpr const char* kNodeMimeType = "application/x-pagelorn-site-node";

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    // Shows the document's selected folder.
    void ShowSelection();
    void ExpandTo(const QModelIndex& index);
    // Takes the node under the pointer as the drop target and says whether the drop would copy.
    bool TrackDrag(QDropEvent* event);
    void SetDropTarget(CFolderKey folder);

    CSiteDocument& document;
    CSiteTreeModel treeModel;
    bool showing = false;  // the view is being made to show the document's selection
    bool dragging = false;
    CFolderKey dragSource;
    CFolderKey dropTarget;
};
