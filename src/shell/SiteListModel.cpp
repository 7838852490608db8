#include "SiteListModel.h"

#include <algorithm>

#include "ModelText.h"
#include "ThemeIcon.h"

CSiteListModel::CSiteListModel(CSiteDocument& siteDocument, QObject* parent)
    : CRowChanges(parent),
      document(siteDocument),
      tree(siteDocument.Tree()),
      folderIcon(ThemeIcon(QStringLiteral("subsite"))),
      itemIcon(ThemeIcon(QStringLiteral("item"))) {
    connect(&document, &CSiteDocument::TreeChangeBegins, this,
            [this](const CSiteChange& change) { ChangeBegins(change); });
    connect(&document, &CSiteDocument::TreeChangeEnded, this,
            [this](const CSiteChange& change) { ChangeEnded(change); });
}

void CSiteListModel::ShowNode(CFolderKey folder) {
    if (folder == shown) return;
    beginResetModel();
    shown = folder;
    rows = RowCount(tree, shown);
    endResetModel();
}

void CSiteListModel::ChangeBegins(const CSiteChange& change) {
    using Kind = CSiteChange::Kind;
    const CSiteNode* node = tree.Find(shown);
    if (!node) return;
    const int folders = static_cast<int>(node->ChildCount());
    const int from = static_cast<int>(change.position);
    auto insert = [&](int first, int last) { BeginInsert({}, first, last); };
    auto remove = [&](int first, int last) { BeginRemove({}, first, last); };
    switch (change.kind) {
        case Kind::Reset:
            BeginReset();
            break;
        case Kind::FolderInserted:
            if (change.parent == shown) insert(from, from);
            break;
        case Kind::FolderRemoved:
            if (change.parent == shown) {
                remove(from, from);
            } else if (tree.IsWithin(shown, change.folder)) {
                losingShown = true;
                if (rows > 0) remove(0, rows - 1);
            }
            break;
        case Kind::FolderMoved: {
            const int to = static_cast<int>(change.toPosition);
            const bool out = change.parent == shown;
            const bool in = change.toParent == shown;
            if (out && in) {
                BeginMove({}, from, {}, to);
            } else if (out) {
                remove(from, from);
            } else if (in) {
                insert(to, to);
            }
            break;
        }
        case Kind::ItemsInserted:
            if (change.folder == shown)
                insert(folders + from, folders + from + static_cast<int>(change.count) - 1);
            break;
        case Kind::ItemsRemoved:
            if (change.folder == shown)
                remove(folders + from, folders + from + static_cast<int>(change.count) - 1);
            break;
        case Kind::ItemMoved:
            if (change.folder == shown)
                BeginMove({}, folders + from, {}, folders + static_cast<int>(change.toPosition));
            break;
        case Kind::TextChanged:
            break;
    }
}

void CSiteListModel::ChangeEnded(const CSiteChange& change) {
    using Kind = CSiteChange::Kind;
    if (std::exchange(losingShown, false)) shown = {};
    // A new project shows nothing until the window picks a folder.
    if (ResetPending()) shown = {};
    rows = RowCount(tree, shown);
    EndChange();
    const CSiteNode* node = tree.Find(shown);
    if (!node) return;
    switch (change.kind) {
        case Kind::ItemsInserted:
        case Kind::ItemsRemoved:
            // The items behind the change got new ids.
            if (change.folder == shown) IdsChanged(change.position, node->Folder().items.size());
            break;
        case Kind::ItemMoved:
            if (change.folder == shown)
                IdsChanged(std::min(change.position, change.toPosition),
                           std::max(change.position, change.toPosition) + 1);
            break;
        case Kind::TextChanged: {
            int row = -1;
            if (change.item) {
                if (change.folder == shown) row = RowOf(CSiteNodeRef::Of(change.item));
            } else if (change.field == CSiteField::Caption) {
                row = RowOf(CSiteNodeRef::Of(change.folder));
            }
            if (row >= 0) emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
            break;
        }
        default:
            break;
    }
}

void CSiteListModel::IdsChanged(std::size_t first, std::size_t last) {
    if (first >= last) return;
    const int folders = FolderRowCount();
    emit dataChanged(index(folders + static_cast<int>(first), kIdColumn),
                     index(folders + static_cast<int>(last) - 1, kIdColumn), {Qt::DisplayRole});
}

int CSiteListModel::FolderRowCount() const {
    const CSiteNode* node = tree.Find(shown);
    return node ? static_cast<int>(node->ChildCount()) : 0;
}

int CSiteListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows;
}

int CSiteListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CSiteListModel::data(const QModelIndex& index, int role) const {
    const CSiteNodeRef ref = RowRef(index.row());
    if (!ref) return {};
    if (role == Qt::DecorationRole && index.column() == kCaptionColumn)
        return ref.kind == CSiteNodeRef::Folder ? folderIcon : itemIcon;
    // A text cut short in its column shows whole as a tooltip.
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole) return {};
    if (role == Qt::ToolTipRole && index.column() == kIdColumn) return {};
    if (ref.kind == CSiteNodeRef::Folder)
        return index.column() == kCaptionColumn ? TextFromBytes(tree.Find(ref.folder)->Label())
                                                : QString();
    const CSiteItem& item = *tree.Find(ref.item);
    switch (index.column()) {
        case kCaptionColumn:
            return TextFromBytes(item.caption);
        case kIdColumn:
            return QString::number(item.id);
        case kUrlColumn:
            return TextFromBytes(item.url);
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
            return tr("Caption");
        case kIdColumn:
            return tr("ID");
        case kUrlColumn:
            return tr("Url");
        default:
            return {};
    }
}

bool CSiteListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const CSiteNodeRef ref = RowRef(index.row());
    if (!ref || role != Qt::EditRole || index.column() != kCaptionColumn) return false;
    const std::string_view current = ref.kind == CSiteNodeRef::Folder
                                         ? tree.Find(ref.folder)->Label()
                                         : std::string_view(tree.Find(ref.item)->caption);
    std::string caption(current);
    if (!AssignEdited(caption, value.toString())) return true;
    document.SetText(ref, CSiteField::Caption, caption, false);
    return true;
}

Qt::ItemFlags CSiteListModel::flags(const QModelIndex& index) const {
    // The view asks for every row when it lays them out: a range check, not a lookup.
    if (index.row() < 0 || index.row() >= rowCount({})) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (index.column() == kCaptionColumn) flags |= Qt::ItemIsEditable;
    return flags;
}
