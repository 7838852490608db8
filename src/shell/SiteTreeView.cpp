#include "SiteTreeView.h"

#include <QDrag>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <algorithm>
#include <unordered_set>
#include <vector>

#include "Desktop.h"
#include "SiteListView.h"
#include "SitePropertyView.h"

namespace {

const QString kDeleteOneQuestion = QStringLiteral("Do you really want to delete this item?");
const QString kDeleteManyQuestion = QStringLiteral("Do you really want to delete these items?");

}  // namespace

CSiteTreeView::CSiteTreeView(CSiteTree& siteTree, QWidget* parent)
    : QTreeView(parent), tree(siteTree), treeModel(siteTree) {
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
            [this](const QModelIndex& current) { OnCurrentChanged(current); });
    connect(&treeModel, &CSiteTreeModel::Renamed, this, [this](CSiteNode* node) {
        if (propertyView) propertyView->DisplayFolder(&node->Folder());
        if (listView) listView->Model().TextsChanged();
        emit StateChanged();
    });
}

void CSiteTreeView::SetListView(CSiteListView* list) {
    listView = list;
    if (listView) listView->SetTreeView(this);
}

void CSiteTreeView::SetPropertyView(CSitePropertyView* form) {
    propertyView = form;
    if (listView) listView->SetPropertyView(form);
    if (propertyView) propertyView->SetListView(listView);
}

CSiteNode* CSiteTreeView::SelectedNode() const {
    return CSiteTreeModel::NodeOf(selectionModel()->currentIndex());
}

void CSiteTreeView::ExpandTo(const QModelIndex& index) {
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) expand(up);
}

void CSiteTreeView::SelectNode(CSiteNode* node) {
    const QModelIndex index = treeModel.IndexOf(node);
    if (!index.isValid()) return;
    ExpandTo(index);
    const bool already = selectionModel()->currentIndex() == index;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
    if (already && !restructuring) ShowFolder(node);
}

void CSiteTreeView::OnCurrentChanged(const QModelIndex& current) {
    if (restructuring) return;
    if (CSiteNode* node = CSiteTreeModel::NodeOf(current)) ShowFolder(node);
    emit StateChanged();
}

void CSiteTreeView::SetModified(bool flag) {
    tree.SetModified(flag);
    emit StateChanged();
}

void CSiteTreeView::ShowFolder(CSiteNode* node) {
    if (listView) listView->ShowNode(node);
    if (node && propertyView) propertyView->DisplayFolder(&node->Folder());
}

void CSiteTreeView::Restructure(const std::function<CSiteNode*()>& change) {
    std::unordered_set<const CSiteNode*> expanded;
    std::vector<QModelIndex> pending{treeModel.index(0, 0, {})};
    while (!pending.empty()) {
        const QModelIndex index = pending.back();
        pending.pop_back();
        if (!index.isValid() || !isExpanded(index)) continue;
        expanded.insert(CSiteTreeModel::NodeOf(index));
        for (int row = 0, rows = treeModel.rowCount(index); row < rows; ++row)
            pending.push_back(treeModel.index(row, 0, index));
    }
    CSiteNode* before = SelectedNode();

    restructuring = true;
    if (listView) listView->ShowNode(nullptr);
    if (propertyView) propertyView->ClearForm();
    treeModel.BeginRestructure();
    CSiteNode* chosen = change();
    treeModel.EndRestructure();

    // Nodes that are gone may have left their addresses to new ones, so only what the tree
    // still holds is looked at.
    std::unordered_set<const CSiteNode*> live;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int) { live.insert(&node); });
    pending.assign({treeModel.index(0, 0, {})});
    while (!pending.empty()) {
        const QModelIndex index = pending.back();
        pending.pop_back();
        if (!index.isValid() || !expanded.contains(CSiteTreeModel::NodeOf(index))) continue;
        expand(index);
        for (int row = 0, rows = treeModel.rowCount(index); row < rows; ++row)
            pending.push_back(treeModel.index(row, 0, index));
    }
    if (!chosen || !live.contains(chosen)) chosen = live.contains(before) ? before : tree.Root();
    SelectNode(chosen);
    restructuring = false;
    ShowFolder(chosen);
    emit StateChanged();
}

void CSiteTreeView::NewProject() {
    Restructure([this] {
        tree.NewProject();
        return tree.Root();
    });
}

void CSiteTreeView::ReplaceProject(const std::function<void()>& load) {
    Restructure([&] {
        load();
        return tree.Root();
    });
    collapseAll();
    expand(treeModel.index(0, 0, {}));
}

void CSiteTreeView::NewFolder() {
    CSiteNode* node = SelectedNode();
    if (!node) return;
    Restructure([&] { return &tree.NewFolder(*node); });
}

void CSiteTreeView::NewItem() {
    CSiteNode* node = SelectedNode();
    if (!node) return;
    CSiteItem& item = tree.NewItem(*node);
    if (listView && listView->Model().ShownNode() == node) listView->AddItemRow(item, true);
    emit StateChanged();
}

void CSiteTreeView::DeleteSelected() {
    CSiteNode* node = SelectedNode();
    if (!node || node == tree.Root()) return;
    if (TheDesktop().Ask(this, kDeleteOneQuestion, false) != CDesktop::Answer::Yes) return;
    CSiteNode* next = node->NextSibling();
    if (!next) next = node->PreviousSibling();
    if (!next) next = node->Parent();
    Restructure([&] {
        tree.DeleteNode(node);
        return next;
    });
}

void CSiteTreeView::Copy() {
    if (CSiteNode* node = SelectedNode()) tree.Copy(*node);
    emit StateChanged();
}

void CSiteTreeView::Cut() {
    if (CSiteNode* node = SelectedNode()) tree.Cut(*node);
    emit StateChanged();
}

void CSiteTreeView::Paste() {
    CSiteNode* target = SelectedNode();
    if (!target || !tree.CanPaste(*target)) return;
    const CSiteNode* source = tree.Clipboard().folderNode;
    if (source && CSiteTree::IsWithin(target, source)) return;
    Restructure([&] {
        tree.Paste(*target);
        return target;
    });
    expand(treeModel.IndexOf(target));
}

void CSiteTreeView::MoveUp() {
    CSiteNode* node = SelectedNode();
    if (!node || !node->PreviousSibling()) return;
    Restructure([&] {
        tree.MoveUp(*node);
        return node;
    });
}

void CSiteTreeView::MoveDown() {
    CSiteNode* node = SelectedNode();
    if (!node || !node->NextSibling()) return;
    Restructure([&] {
        tree.MoveDown(*node);
        return node;
    });
}

void CSiteTreeView::DeleteListSelection() {
    CSiteNode* node = SelectedNode();
    if (!node || !listView) return;
    const std::vector<int> rows = listView->SelectedRows();
    if (rows.empty()) return;
    const QString& question = rows.size() == 1 ? kDeleteOneQuestion : kDeleteManyQuestion;
    if (TheDesktop().Ask(this, question, false) != CDesktop::Answer::Yes) return;

    std::vector<std::int32_t> folderIds;
    std::vector<std::int32_t> itemIds;
    for (int row : rows) {
        const CSiteNodeRef ref = listView->Model().RowRef(row);
        if (ref.kind == CSiteNodeRef::Folder) folderIds.push_back(ref.node->Folder().id);
        if (ref.kind == CSiteNodeRef::Item) itemIds.push_back(ref.item->id);
    }
    Restructure([&] {
        tree.DeleteRows(*node, folderIds, itemIds);
        return node;
    });
    const int remaining = listView->Model().rowCount({});
    if (remaining > 0)
        listView->SelectRow(std::clamp(rows.front(), 0, remaining - 1));
    else if (propertyView)
        propertyView->HideAll();
}

void CSiteTreeView::SelectChildFolder(CSiteNode* child) {
    CSiteNode* node = SelectedNode();
    if (!node || !child || child->Parent() != node) return;
    SelectNode(child);
    expand(treeModel.IndexOf(child));
}

void CSiteTreeView::RefreshSelectedLabel() {
    treeModel.LabelChanged(SelectedNode());
}

void CSiteTreeView::RefreshChildLabel(CSiteNode* child) {
    CSiteNode* node = SelectedNode();
    if (node && child && child->Parent() == node) treeModel.LabelChanged(child);
}

bool CSiteTreeView::MoveChildFolder(bool down, std::int32_t folderId) {
    CSiteNode* node = SelectedNode();
    if (!node) return false;
    CSiteNode* child = node->FindChildByFolderId(folderId);
    if (!child || !(down ? child->NextSibling() : child->PreviousSibling())) return false;
    Restructure([&] {
        tree.MoveChildFolder(*node, down, folderId);
        return node;
    });
    return true;
}

void CSiteTreeView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier &&
        state() != QAbstractItemView::EditingState) {
        DeleteSelected();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CSiteTreeView::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    if (CSiteNode* node = SelectedNode(); node && propertyView)
        propertyView->DisplayFolder(&node->Folder());
}

void CSiteTreeView::ShowImportTarget(CSiteNode* node) {
    if (!node) return;
    expand(treeModel.IndexOf(node));
    setFocus(Qt::OtherFocusReason);
    SelectNode(node);
}

CImportResult CSiteTreeView::AddImport(CImportScan scan) {
    CImportResult result;
    CSiteNode* node = SelectedNode();
    if (!node) return result;
    Restructure([&] {
        result = AddImportedScan(tree, *node, std::move(scan));
        return node;
    });
    ShowImportTarget(node);
    return result;
}

CImportResult CSiteTreeView::ImportFiles(const QStringList& paths) {
    CImportResult result;
    CSiteNode* node = SelectedNode();
    if (!node) return result;
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) names.push_back(QFile::encodeName(path).toStdString());
    Restructure([&] {
        result = ::ImportFiles(tree, *node, names);
        return node;
    });
    ShowImportTarget(node);
    return result;
}

void CSiteTreeView::BeginNodeDrag(CSiteNode* source) {
    dragging = source != nullptr;
    dragSource = source;
    SetDropTarget(nullptr);
}

void CSiteTreeView::EndNodeDrag() {
    dragging = false;
    dragSource = nullptr;
    SetDropTarget(nullptr);
}

void CSiteTreeView::SetDropTarget(CSiteNode* node) {
    if (node == dropTarget) return;
    dropTarget = node;
    viewport()->update();
}

bool CSiteTreeView::DropNode(CSiteNode* source, CSiteNode* target, bool copy) {
    if (!CSiteTree::IsValidDrop(source, target)) {
        TheDesktop().Beep();
        return false;
    }
    CSiteNode* selected = SelectedNode();
    Restructure([&] {
        if (copy)
            tree.CopySubtree(*source, *target);
        else
            tree.MoveSubtree(*source, *target);
        tree.SetModified(true);
        return selected;
    });
    return true;
}

void CSiteTreeView::startDrag(Qt::DropActions) {
    // The press that began the drag made its node the current one.
    CSiteNode* source = SelectedNode();
    if (!source) return;
    const QRect rect = visualRect(treeModel.IndexOf(source));
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setData(QString::fromUtf8(kNodeMimeType), QByteArray::number(source->Folder().id));
    drag->setMimeData(data);
    drag->setPixmap(viewport()->grab(rect));
    drag->setHotSpot(viewport()->mapFromGlobal(QCursor::pos()) - rect.topLeft());
    BeginNodeDrag(source);
    // Escape, or a release outside the tree, ends the drag without a drop.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    EndNodeDrag();
}

bool CSiteTreeView::TrackDrag(QDropEvent* event) {
    if (CSiteNode* node = CSiteTreeModel::NodeOf(indexAt(event->position().toPoint())))
        SetDropTarget(node);
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
    SetDropTarget(nullptr);
}

void CSiteTreeView::dropEvent(QDropEvent* event) {
    if (!dragging) {
        event->ignore();
        return;
    }
    const bool copy = TrackDrag(event);
    CSiteNode* source = dragSource;
    CSiteNode* target = dropTarget;
    EndNodeDrag();
    // As the base class does after a drop: no more scrolling at the edges.
    stopAutoScroll();
    setState(NoState);
    DropNode(source, target, copy);
}

void CSiteTreeView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    if (!dropTarget || CSiteTreeModel::NodeOf(index) != dropTarget) {
        QTreeView::drawRow(painter, option, index);
        return;
    }
    QStyleOptionViewItem highlighted = option;
    highlighted.palette.setBrush(QPalette::Text, option.palette.brush(QPalette::HighlightedText));
    painter->fillRect(visualRect(index), option.palette.brush(QPalette::Highlight));
    QTreeView::drawRow(painter, highlighted, index);
}
