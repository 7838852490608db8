#include "SiteTreeView.h"

#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

#include "Desktop.h"

CSiteTreeView::CSiteTreeView(CSiteDocument& siteDocument, QWidget* parent)
    : QTreeView(parent), document(siteDocument), treeModel(siteDocument) {
    setObjectName(QStringLiteral("siteTreeView"));
    setModel(&treeModel);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setIconSize(QSize(16, 16));
    setDragDropMode(QAbstractItemView::DragDrop);
    viewport()->setAcceptDrops(true);
    // The drop target is highlighted as a whole node instead.
    setDropIndicatorShown(false);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!showing && treeModel.NodeOf(current))
                    document.SelectFolder(CSiteTreeModel::KeyOf(current));
            });
    connect(&document, &CSiteDocument::SelectionChanged, this, [this] { ShowSelection(); });
    // A new project shows its root open.
    connect(&treeModel, &QAbstractItemModel::modelReset, this,
            [this] { expand(treeModel.index(0, 0, {})); });
    ShowSelection();
}

CFolderKey CSiteTreeView::SelectedNode() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return treeModel.NodeOf(current) ? CSiteTreeModel::KeyOf(current) : CFolderKey{};
}

void CSiteTreeView::ExpandTo(const QModelIndex& index) {
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) expand(up);
}

void CSiteTreeView::ExpandNode(CFolderKey folder) {
    const QModelIndex index = treeModel.IndexOf(folder);
    if (!index.isValid()) return;
    ExpandTo(index);
    expand(index);
}

void CSiteTreeView::ShowSelection() {
    const QModelIndex index = treeModel.IndexOf(document.Selection().folder);
    if (!index.isValid()) return;
    // The view is left as it is (its scroll position too) while it shows the folder already, in
    // sight: a folder dropped or pasted into a collapsed one stays the current node, and Delete
    // and Cut must not act on a node the user cannot see.
    if (selectionModel()->currentIndex() == index && selectionModel()->isSelected(index)) {
        bool hidden = false;
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
            hidden = hidden || !isExpanded(up);
        if (hidden || !viewport()->rect().contains(visualRect(index))) {
            ExpandTo(index);
            scrollTo(index);
        }
        return;
    }
    showing = true;
    ExpandTo(index);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
    showing = false;
}

void CSiteTreeView::DeleteSelected() {
    const CFolderKey key = SelectedNode();
    const CSiteNode* node = document.Tree().Find(key);
    if (!node || !node->Parent()) return;
    if (TheDesktop().Ask(this, document.DeleteQuestion({CSiteNodeRef::Of(key)}), false) !=
        CDesktop::Answer::Yes)
        return;
    document.DeleteFolder(key);
}

void CSiteTreeView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier &&
        state() != QAbstractItemView::EditingState) {
        DeleteSelected();
        event->accept();
        return;
    }
    // Ctrl+Up and Ctrl+Down belong to Move up and Move down: while those are disabled the keys
    // do nothing, instead of moving the current node without selecting it.
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) &&
        event->modifiers() == Qt::ControlModifier) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CSiteTreeView::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    document.SetPane(CSiteSelection::Pane::Tree);
}

void CSiteTreeView::BeginNodeDrag(CFolderKey source) {
    dragging = static_cast<bool>(source);
    dragSource = source;
    SetDropTarget({});
}

void CSiteTreeView::EndNodeDrag() {
    dragging = false;
    dragSource = {};
    SetDropTarget({});
}

void CSiteTreeView::SetDropTarget(CFolderKey node) {
    if (node == dropTarget) return;
    dropTarget = node;
    viewport()->update();
}

bool CSiteTreeView::DropNode(CFolderKey source, CFolderKey target, bool copy) {
    if (!document.Tree().IsValidDrop(source, target)) {
        TheDesktop().Beep();
        return false;
    }
    return document.Drop(source, target, copy);
}

void CSiteTreeView::startDrag(Qt::DropActions) {
    // The press that began the drag made its node the current one.
    const CFolderKey source = SelectedNode();
    if (!source) return;
    const QRect rect = visualRect(treeModel.IndexOf(source));
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setData(QString::fromUtf8(kNodeMimeType), QByteArray::number(source.value));
    drag->setMimeData(data);
    drag->setPixmap(viewport()->grab(rect));
    drag->setHotSpot(viewport()->mapFromGlobal(QCursor::pos()) - rect.topLeft());
    BeginNodeDrag(source);
    // Escape, or a release outside the tree, ends the drag without a drop.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    EndNodeDrag();
}

bool CSiteTreeView::TrackDrag(QDropEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (treeModel.NodeOf(index)) SetDropTarget(CSiteTreeModel::KeyOf(index));
    // Only Ctrl alone copies; any other key held with it moves.
    const bool copy = event->modifiers() == Qt::ControlModifier;
    event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    // Even a drop that will be refused is taken, so that it can beep.
    event->accept();
    return copy;
}

void CSiteTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (!dragging || !event->mimeData()->hasFormat(QString::fromUtf8(kNodeMimeType))) {
        event->ignore();
        return;
    }
    TrackDrag(event);
}

void CSiteTreeView::dragMoveEvent(QDragMoveEvent* event) {
    if (!dragging) {
        event->ignore();
        return;
    }
    // The base class scrolls the tree when the pointer nears an edge.
    QTreeView::dragMoveEvent(event);
    TrackDrag(event);
}

void CSiteTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
    QTreeView::dragLeaveEvent(event);
    SetDropTarget({});
}

void CSiteTreeView::dropEvent(QDropEvent* event) {
    if (!dragging) {
        event->ignore();
        return;
    }
    const bool copy = TrackDrag(event);
    const CFolderKey source = dragSource;
    const CFolderKey target = dropTarget;
    EndNodeDrag();
    // As the base class does after a drop: no more scrolling at the edges.
    stopAutoScroll();
    setState(NoState);
    DropNode(source, target, copy);
}

void CSiteTreeView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    if (!dropTarget || CSiteTreeModel::KeyOf(index) != dropTarget) {
        QTreeView::drawRow(painter, option, index);
        return;
    }
    QStyleOptionViewItem highlighted = option;
    highlighted.palette.setBrush(QPalette::Text, option.palette.brush(QPalette::HighlightedText));
    painter->fillRect(visualRect(index), option.palette.brush(QPalette::Highlight));
    QTreeView::drawRow(painter, highlighted, index);
}
