#pragma once

#include <QTreeView>
#include <cstdint>
#include <functional>

#include "SiteImport.h"
#include "SiteTree.h"
#include "SiteTreeModel.h"

class CSiteListView;
class CSitePropertyView;

// The left pane: the website tree. It shows the CSiteTree of the open project, turns the user's
// commands into the tree's operations, and fills the list and the property form with the
// selected node's contents.
class CSiteTreeView : public QTreeView {
    Q_OBJECT
public:
    CSiteTreeView(CSiteTree& tree, QWidget* parent = nullptr);

    CSiteTree& Tree() { return tree; }
    CSiteTreeModel& Model() { return treeModel; }

    // Connects the panes once: the list learns this tree, and both learn the property form.
    void SetListView(CSiteListView* list);
    void SetPropertyView(CSitePropertyView* form);

    // The selected folder (none when nothing is selected).
    CFolderKey SelectedNode() const;
    // Makes the folder the selected one (its ancestors open) and shows its contents.
    void SelectNode(CFolderKey folder);

    bool IsModified() const { return tree.IsModified(); }
    void SetModified(bool flag);

    // A fresh project: the root "Index", nothing modified, nothing cut or copied.
    void NewProject();
    // Runs something that replaces the whole project (a load), then shows the root.
    void ReplaceProject(const std::function<void()>& load);
    // Fills the list with the folder's sub-sites and items and shows it in the form.
    void ShowFolder(CFolderKey folder);

    // Commands on the selected node.
    void NewFolder();
    void NewItem();
    // Asks, then deletes the selected node with its sub-sites; never the root.
    void DeleteSelected();
    void Copy();
    void Cut();
    // Pastes what was cut or copied into the selected node; a refused paste changes nothing.
    void Paste();
    void MoveUp();
    void MoveDown();

    // For the list: the selected rows deleted after the question, the child of the selected node
    // made the selected node, labels refreshed, a sub-site row moved among its siblings.
    void DeleteListSelection();
    void SelectChildFolder(CFolderKey child);
    void RefreshSelectedLabel();
    void RefreshChildLabel(CFolderKey child);
    bool MoveChildFolder(bool down, CFolderKey child);

    // Imports: what a scan found, or the files of the list (full paths, in order), goes into the
    // selected node, which is then opened, focused, selected and shown.
    CImportResult AddImport(CImportScan scan);
    CImportResult ImportFiles(const QStringList& paths);

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

signals:
    // The selection, the project's state or the cut/copy state changed: commands may change
    // their enabling.
    void StateChanged();

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
    // Runs a change of the tree's shape. The panes let go of every record first; afterwards
    // the open folders stay open, `change`'s result (or the folder selected before, or the
    // root) becomes the selected one and is shown.
    void Restructure(const std::function<CFolderKey()>& change);
    void OnCurrentChanged(const QModelIndex& current);
    void ExpandTo(const QModelIndex& index);
    // After a restructure of an import: the node opened, focused, selected and shown.
    void ShowImportTarget(CFolderKey folder);
    // Takes the node under the pointer as the drop target and says whether the drop would copy.
    bool TrackDrag(QDropEvent* event);
    void SetDropTarget(CFolderKey folder);

    CSiteTree& tree;
    CSiteTreeModel treeModel;
    CSiteListView* listView = nullptr;
    CSitePropertyView* propertyView = nullptr;
    bool restructuring = false;
    bool dragging = false;
    CFolderKey dragSource;
    CFolderKey dropTarget;
};
