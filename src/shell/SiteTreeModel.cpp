#include "SiteTreeModel.h"

#include "TextCodec.h"

CSiteTreeModel::CSiteTreeModel(CSiteTree& siteTree, QObject* parent)
    : QAbstractItemModel(parent), tree(siteTree) {
    rootIcon.addFile(QStringLiteral(":/icons/root.svg"), QSize(16, 16));
    folderIcon.addFile(QStringLiteral(":/icons/subsite.svg"), QSize(16, 16), QIcon::Normal);
    folderIcon.addFile(QStringLiteral(":/icons/subsite-open.svg"), QSize(16, 16), QIcon::Selected);
}

CSiteNode* CSiteTreeModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<CSiteNode*>(index.internalPointer()) : nullptr;
}

QModelIndex CSiteTreeModel::IndexOf(const CSiteNode* node) const {
    if (!node) return {};
    return createIndex(static_cast<int>(node->IndexInParent()), 0, const_cast<CSiteNode*>(node));
}

void CSiteTreeModel::LabelChanged(const CSiteNode* node) {
    const QModelIndex index = IndexOf(node);
    if (index.isValid()) emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
}

QModelIndex CSiteTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid())
        return row == 0 && tree.Root() ? createIndex(0, 0, tree.Root()) : QModelIndex();
    const CSiteNode* node = NodeOf(parent);
    if (static_cast<std::size_t>(row) >= node->ChildCount()) return {};
    return createIndex(row, 0, node->Child(static_cast<std::size_t>(row)));
}

QModelIndex CSiteTreeModel::parent(const QModelIndex& child) const {
    const CSiteNode* node = NodeOf(child);
    return node ? IndexOf(node->Parent()) : QModelIndex();
}

int CSiteTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return tree.Root() ? 1 : 0;
    if (parent.column() != 0) return 0;
    return static_cast<int>(NodeOf(parent)->ChildCount());
}

int CSiteTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant CSiteTreeModel::data(const QModelIndex& index, int role) const {
    const CSiteNode* node = NodeOf(index);
    if (!node) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return FromBytes(node->Label());
        case Qt::DecorationRole:
            return node->Parent() ? folderIcon : rootIcon;
        default:
            return {};
    }
}

bool CSiteTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    CSiteNode* node = NodeOf(index);
    if (!node || role != Qt::EditRole) return false;
    // The editor commits on every way out, also unchanged: only a real change renames, so an
    // untouched caption keeps its bytes and the project its state.
    std::string caption = node->Folder().caption;
    if (!AssignEdited(caption, value.toString())) return true;
    tree.RenameFolder(*node, std::move(caption));
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    emit Renamed(node);
    return true;
}

Qt::ItemFlags CSiteTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}
