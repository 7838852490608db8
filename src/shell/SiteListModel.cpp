#include "SiteListModel.h"

#include "TextCodec.h"

CSiteListModel::CSiteListModel(CSiteTree& siteTree, QObject* parent)
    : QAbstractTableModel(parent),
      tree(siteTree),
      folderIcon(QStringLiteral(":/icons/subsite.svg")),
      itemIcon(QStringLiteral(":/icons/item.svg")) {}

void CSiteListModel::ShowNode(CFolderKey folder) {
    beginResetModel();
    shown = folder;
    endResetModel();
}

void CSiteListModel::Reload() {
    beginResetModel();
    endResetModel();
}

void CSiteListModel::TextsChanged() {
    const int rows = rowCount({});
    if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, kColumnCount - 1));
}

int CSiteListModel::FolderRowCount() const {
    const CSiteNode* node = Shown();
    return node ? static_cast<int>(node->ChildCount()) : 0;
}

CSiteNodeRef CSiteListModel::RowRef(int row) const {
    const CSiteNode* node = Shown();
    if (!node || row < 0) return {};
    const int folders = FolderRowCount();
    if (row < folders)
        return {CSiteNodeRef::Folder, node->Child(static_cast<std::size_t>(row))->Key(), {}};
    const auto itemIndex = static_cast<std::size_t>(row - folders);
    const auto& items = node->Folder().items;
    if (itemIndex >= items.size()) return {};
    return {CSiteNodeRef::Item, {}, items[itemIndex].key};
}

int CSiteListModel::rowCount(const QModelIndex& parent) const {
    const CSiteNode* node = Shown();
    if (parent.isValid() || !node) return 0;
    return FolderRowCount() + static_cast<int>(node->Folder().items.size());
}

int CSiteListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CSiteListModel::data(const QModelIndex& index, int role) const {
    const CSiteNodeRef ref = RowRef(index.row());
    if (!ref) return {};
    if (role == Qt::DecorationRole && index.column() == kCaptionColumn)
        return ref.kind == CSiteNodeRef::Folder ? folderIcon : itemIcon;
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    if (ref.kind == CSiteNodeRef::Folder)
        return index.column() == kCaptionColumn ? FromBytes(tree.Find(ref.folder)->Label())
                                                : QString();
    const CSiteItem& item = *tree.Find(ref.item);
    switch (index.column()) {
        case kCaptionColumn:
            return FromBytes(item.caption);
        case kIdColumn:
            return QString::number(item.id);
        case kUrlColumn:
            return FromBytes(item.url);
        default:
            return {};
    }
}

QVariant CSiteListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (section) {
        case kCaptionColumn:
            return QStringLiteral("Caption");
        case kIdColumn:
            return QStringLiteral("ID");
        case kUrlColumn:
            return QStringLiteral("Url");
        default:
            return {};
    }
}

bool CSiteListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const CSiteNodeRef ref = RowRef(index.row());
    if (!ref || role != Qt::EditRole || index.column() != kCaptionColumn) return false;
    const QString text = value.toString();
    if (ref.kind == CSiteNodeRef::Folder) {
        std::string caption(tree.Find(ref.folder)->Label());
        if (!AssignEdited(caption, text)) return true;
        tree.RenameFolder(ref.folder, caption);
    } else {
        std::string caption(tree.Find(ref.item)->caption);
        if (!AssignEdited(caption, text)) return true;
        tree.SetText(ref.item, CSiteField::Caption, caption);
    }
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    emit Renamed(ref);
    return true;
}

Qt::ItemFlags CSiteListModel::flags(const QModelIndex& index) const {
    if (!RowRef(index.row())) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.column() == kCaptionColumn) flags |= Qt::ItemIsEditable;
    return flags;
}
