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
    connect(&treeModel, &CSiteTreeModel::Renamed, this, [this](CFolderKey folder) {
        if (propertyView) propertyView->DisplayFolder(folder);
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

CFolderKey CSiteTreeView::SelectedNode() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return treeModel.NodeOf(current) ? CSiteTreeModel::KeyOf(current) : CFolderKey{};
}

void CSiteTreeView::ExpandTo(const QModelIndex& index) {
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) expand(up);
}

void CSiteTreeView::SelectNode(CFolderKey node) {
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
    if (treeModel.NodeOf(current)) ShowFolder(CSiteTreeModel::KeyOf(current));
    emit StateChanged();
}

void CSiteTreeView::SetModified(bool flag) {
    tree.SetModified(flag);
    emit StateChanged();
}

void CSiteTreeView::ShowFolder(CFolderKey node) {
    if (listView) listView->ShowNode(node);
    if (node && propertyView) propertyView->DisplayFolder(node);
}

void CSiteTreeView::Restructure(const std::function<CFolderKey()>& change) {
    std::unordered_set<CFolderKey> expanded;
    std::vector<QModelIndex> pending{treeModel.index(0, 0, {})};
    while (!pending.empty()) {
        const QModelIndex index = pending.back();
        pending.pop_back();
        if (!index.isValid() || !isExpanded(index)) continue;
        expanded.insert(CSiteTreeModel::KeyOf(index));
        for (int row = 0, rows = treeModel.rowCount(index); row < rows; ++row)
            pending.push_back(treeModel.index(row, 0, index));
    }
    const CFolderKey before = SelectedNode();

    restructuring = true;
    if (listView) listView->ShowNode({});
    if (propertyView) propertyView->ClearForm();
    treeModel.BeginRestructure();
    CFolderKey chosen = change();
    treeModel.EndRestructure();

    pending.assign({treeModel.index(0, 0, {})});
    while (!pending.empty()) {
        const QModelIndex index = pending.back();
        pending.pop_back();
        if (!index.isValid() || !expanded.contains(CSiteTreeModel::KeyOf(index))) continue;
        expand(index);
        for (int row = 0, rows = treeModel.rowCount(index); row < rows; ++row)
            pending.push_back(treeModel.index(row, 0, index));
    }
    if (!tree.Find(chosen)) chosen = tree.Find(before) ? before : tree.RootKey();
    SelectNode(chosen);
    restructuring = false;
    ShowFolder(chosen);
    emit StateChanged();
}

void CSiteTreeView::NewProject() {
    Restructure([this] {
        tree.NewProject();
        return tree.RootKey();
    });
}

void CSiteTreeView::ReplaceProject(const std::function<void()>& load) {
    Restructure([&] {
        load();
        return tree.RootKey();
    });
    collapseAll();
    expand(treeModel.index(0, 0, {}));
}

void CSiteTreeView::NewFolder() {
    const CFolderKey node = SelectedNode();
    if (!node) return;
    Restructure([&] { return tree.NewFolder(node).key; });
}

void CSiteTreeView::NewItem() {
    const CFolderKey node = SelectedNode();
    if (!node) return;
    const CItemKey item = tree.NewItem(node).key;
    if (listView && listView->Model().ShownNode() == node) listView->AddItemRow(item, true);
    emit StateChanged();
}

void CSiteTreeView::DeleteSelected() {
    const CFolderKey key = SelectedNode();
    const CSiteNode* node = tree.Find(key);
    if (!node || key == tree.RootKey()) return;
    if (TheDesktop().Ask(this, kDeleteOneQuestion, false) != CDesktop::Answer::Yes) return;
    node = tree.Find(key);
    if (!node) return;
    const CSiteNode* next = node->NextSibling();
    if (!next) next = node->PreviousSibling();
    if (!next) next = node->Parent();
    const CFolderKey nextKey = next->Key();
    Restructure([&] {
        tree.DeleteFolder(key);
        return nextKey;
    });
}

void CSiteTreeView::Copy() {
    if (const CFolderKey node = SelectedNode()) tree.Copy(node);
    emit StateChanged();
}

void CSiteTreeView::Cut() {
    if (const CFolderKey node = SelectedNode()) tree.Cut(node);
    emit StateChanged();
}

void CSiteTreeView::Paste() {
    const CFolderKey target = SelectedNode();
    if (!target || !tree.CanPaste(target)) return;
    Restructure([&] {
        tree.Paste(target);
        return target;
    });
    expand(treeModel.IndexOf(target));
}

void CSiteTreeView::MoveUp() {
    const CFolderKey node = SelectedNode();
    const CSiteNode* found = tree.Find(node);
    if (!found || !found->PreviousSibling()) return;
    Restructure([&] {
        tree.MoveUp(node);
        return node;
    });
}

void CSiteTreeView::MoveDown() {
    const CFolderKey node = SelectedNode();
    const CSiteNode* found = tree.Find(node);
    if (!found || !found->NextSibling()) return;
    Restructure([&] {
        tree.MoveDown(node);
        return node;
    });
}

void CSiteTreeView::DeleteListSelection() {
    const CFolderKey node = SelectedNode();
    if (!node || !listView) return;
    const std::vector<int> rows = listView->SelectedRows();
    if (rows.empty()) return;
    const QString& question = rows.size() == 1 ? kDeleteOneQuestion : kDeleteManyQuestion;
    if (TheDesktop().Ask(this, question, false) != CDesktop::Answer::Yes) return;

    std::vector<CFolderKey> folders;
    std::vector<CItemKey> items;
    for (int row : rows) {
        const CSiteNodeRef ref = listView->Model().RowRef(row);
        if (ref.kind == CSiteNodeRef::Folder) folders.push_back(ref.folder);
        if (ref.kind == CSiteNodeRef::Item) items.push_back(ref.item);
    }
    Restructure([&] {
        tree.DeleteRows(node, folders, items);
        return node;
    });
    const int remaining = listView->Model().rowCount({});
    if (remaining > 0)
        listView->SelectRow(std::clamp(rows.front(), 0, remaining - 1));
    else if (propertyView)
        propertyView->HideAll();
}

namespace {

bool IsChildOf(const CSiteTree& tree, CFolderKey child, CFolderKey parent) {
    const CSiteNode* node = tree.Find(child);
    return parent && node && node->Parent() && node->Parent()->Key() == parent;
}

}  // namespace

void CSiteTreeView::SelectChildFolder(CFolderKey child) {
    if (!IsChildOf(tree, child, SelectedNode())) return;
    SelectNode(child);
    expand(treeModel.IndexOf(child));
}

void CSiteTreeView::RefreshSelectedLabel() {
    treeModel.LabelChanged(SelectedNode());
}

void CSiteTreeView::RefreshChildLabel(CFolderKey child) {
    if (IsChildOf(tree, child, SelectedNode())) treeModel.LabelChanged(child);
}

bool CSiteTreeView::MoveChildFolder(bool down, CFolderKey child) {
    const CFolderKey node = SelectedNode();
    if (!IsChildOf(tree, child, node)) return false;
    const CSiteNode* found = tree.Find(child);
    if (!(down ? found->NextSibling() : found->PreviousSibling())) return false;
    Restructure([&] {
        if (down)
            tree.MoveDown(child);
        else
            tree.MoveUp(child);
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
    if (const CFolderKey node = SelectedNode(); node && propertyView)
        propertyView->DisplayFolder(node);
}

void CSiteTreeView::ShowImportTarget(CFolderKey node) {
    if (!node) return;
    expand(treeModel.IndexOf(node));
    setFocus(Qt::OtherFocusReason);
    SelectNode(node);
}

CImportResult CSiteTreeView::AddImport(CImportScan scan) {
    CImportResult result;
    const CFolderKey node = SelectedNode();
    if (!node) return result;
    Restructure([&] {
        result = AddImportedScan(tree, node, std::move(scan));
        return node;
    });
    ShowImportTarget(node);
    return result;
}

CImportResult CSiteTreeView::ImportFiles(const QStringList& paths) {
    CImportResult result;
    const CFolderKey node = SelectedNode();
    if (!node) return result;
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) names.push_back(QFile::encodeName(path).toStdString());
    Restructure([&] {
        result = ::ImportFiles(tree, node, names);
        return node;
    });
    ShowImportTarget(node);
    return result;
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
    if (!tree.IsValidDrop(source, target)) {
        TheDesktop().Beep();
        return false;
    }
    const CFolderKey selected = SelectedNode();
    Restructure([&] {
        tree.Drop(source, target, copy);
        return selected;
    });
    return true;
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
