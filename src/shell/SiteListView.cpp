#include "SiteListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

#include "Desktop.h"
#include "SitePropertyView.h"
#include "SiteTreeView.h"
#include "TextCodec.h"

CSiteListView::CSiteListView(CSiteTree& siteTree, QWidget* parent)
    : QTreeView(parent), tree(siteTree), listModel(siteTree) {
    setObjectName(QStringLiteral("siteListView"));
    setModel(&listModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setSortingEnabled(false);
    setDragEnabled(false);
    setIconSize(QSize(16, 16));
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setColumnWidth(CSiteListModel::kCaptionColumn, 100);
    setColumnWidth(CSiteListModel::kIdColumn, 100);
    setColumnWidth(CSiteListModel::kUrlColumn, 300);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        ShowSelection();
        emit SelectionChanged();
    });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OnDoubleClicked(index); });
    connect(&listModel, &CSiteListModel::Renamed, this,
            [this](CSiteNodeRef row) { OnRenamed(row); });
}

void CSiteListView::ShowNode(CFolderKey folder) {
    listModel.ShowNode(folder);
    emit SelectionChanged();
}

void CSiteListView::AddItemRow(CItemKey item, bool select) {
    listModel.Reload();
    const CSiteItem* added = tree.Find(item);
    if (select && added) SelectRow(listModel.RowOfItem(added->id));
}

void CSiteListView::SelectRow(int row) {
    const QModelIndex index = listModel.index(row, 0);
    if (!index.isValid()) return;
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index, QAbstractItemView::EnsureVisible);
}

std::vector<int> CSiteListView::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int CSiteListView::GetSelectionPosition() const {
    const std::vector<int> rows = SelectedRows();
    if (rows.size() != 1) return 3;
    if (rows.front() == 0) return 1;
    return rows.front() == listModel.rowCount({}) - 1 ? 0 : 2;
}

bool CSiteListView::IsFolderRowSelected() const {
    const std::vector<int> rows = SelectedRows();
    return rows.size() == 1 && listModel.RowRef(rows.front()).kind == CSiteNodeRef::Folder;
}

void CSiteListView::ShowSelection() {
    if (!propertyView) return;
    const std::vector<int> rows = SelectedRows();
    const CSiteNodeRef ref = rows.size() == 1 ? listModel.RowRef(rows.front()) : CSiteNodeRef{};
    if (ref.kind == CSiteNodeRef::Folder)
        propertyView->DisplayFolder(ref.folder);
    else if (ref.kind == CSiteNodeRef::Item)
        propertyView->DisplayItem(ref.item);
    else
        propertyView->HideAll();
}

void CSiteListView::RefreshSelectedRow() {
    if (treeView) treeView->RefreshSelectedLabel();
    SetModified(true);
    listModel.TextsChanged();
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    const CSiteNodeRef ref = listModel.RowRef(rows.front());
    if (ref.kind == CSiteNodeRef::Folder && treeView) treeView->RefreshChildLabel(ref.folder);
}

void CSiteListView::SetModified(bool flag) {
    if (treeView)
        treeView->SetModified(flag);
    else
        tree.SetModified(flag);
}

void CSiteListView::CopyRows(bool cut) {
    const CFolderKey source = listModel.ShownNode();
    if (!source) return;
    std::vector<CFolderKey> folders;
    std::vector<CItemKey> items;
    for (int row : SelectedRows()) {
        const CSiteNodeRef ref = listModel.RowRef(row);
        if (ref.kind == CSiteNodeRef::Folder) folders.push_back(ref.folder);
        if (ref.kind == CSiteNodeRef::Item) items.push_back(ref.item);
    }
    tree.CopyRows(source, cut, std::move(folders), std::move(items));
    emit SelectionChanged();
}

void CSiteListView::PasteIntoSelectedFolder() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty() || !treeView) return;
    // Only a sub-site row names a folder to paste into.
    const CSiteNodeRef ref = listModel.RowRef(rows.front());
    if (ref.kind != CSiteNodeRef::Folder) return;
    treeView->SelectChildFolder(ref.folder);
    treeView->Paste();
}

void CSiteListView::MoveSelectedRow(bool down) {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty() || !treeView) return;
    const int row = rows.front();
    const CSiteNodeRef ref = listModel.RowRef(row);
    if (ref.kind == CSiteNodeRef::Folder) {
        if (treeView->MoveChildFolder(down, ref.folder)) SelectRow(down ? row + 1 : row - 1);
        return;
    }
    const CFolderKey node = listModel.ShownNode();
    if (ref.kind != CSiteNodeRef::Item || !node) return;
    if (tree.MoveItem(ref.item, down) != CSiteStatus::Done) return;
    treeView->ShowFolder(node);
    SelectRow(down ? row + 1 : row - 1);
    treeView->SetModified(true);
}

void CSiteListView::OnDoubleClicked(const QModelIndex& index) {
    const CSiteNodeRef ref = listModel.RowRef(index.row());
    if (ref.kind == CSiteNodeRef::Folder) {
        if (treeView) treeView->SelectChildFolder(ref.folder);
    } else if (ref.kind == CSiteNodeRef::Item) {
        const QString url = FromBytes(tree.Find(ref.item)->url).trimmed();
        if (!url.isEmpty()) TheDesktop().OpenUrl(UrlForOpening(url));
    }
}

void CSiteListView::OnRenamed(CSiteNodeRef row) {
    if (row.kind == CSiteNodeRef::Folder) {
        if (treeView) treeView->RefreshChildLabel(row.folder);
        if (propertyView && propertyView->ShownFolder() == row.folder)
            propertyView->DisplayFolder(row.folder);
    } else if (propertyView) {
        propertyView->DisplayItem(row.item);
    }
    if (treeView) emit treeView->StateChanged();
}

void CSiteListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier &&
        state() != QAbstractItemView::EditingState && treeView) {
        treeView->DeleteListSelection();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CSiteListView::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    ShowSelection();
}
