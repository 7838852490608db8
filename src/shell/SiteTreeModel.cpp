#include "SiteTreeModel.h"

#include "ModelText.h"
#include "ThemeIcon.h"

CSiteTreeModel::CSiteTreeModel(CSiteDocument& siteDocument, QObject* parent)
    : CRowChanges(parent), document(siteDocument), tree(siteDocument.Tree()) {
    rootIcon.addFile(QStringLiteral(":/icons/root.svg"), QSize(16, 16));
    // A closed folder, and an open one for the selected node, from the same set of icons.
    const bool themed =
        HasThemeIcon(QStringLiteral("subsite")) && HasThemeIcon(QStringLiteral("subsite-open"));
    for (const int side : {16, 32}) {
        const QSize size(side, side);
        if (themed) {
            folderIcon.addPixmap(ThemeIcon(QStringLiteral("subsite")).pixmap(size), QIcon::Normal);
            folderIcon.addPixmap(ThemeIcon(QStringLiteral("subsite-open")).pixmap(size),
                                 QIcon::Selected);
        } else {
            folderIcon.addFile(QStringLiteral(":/icons/subsite.svg"), size, QIcon::Normal);
            folderIcon.addFile(QStringLiteral(":/icons/subsite-open.svg"), size, QIcon::Selected);
        }
    }
    connect(&document, &CSiteDocument::TreeChangeBegins, this,
            [this](const CSiteChange& change) { ChangeBegins(change); });
    connect(&document, &CSiteDocument::TreeChangeEnded, this,
            [this](const CSiteChange& change) { ChangeEnded(change); });
}

void CSiteTreeModel::ChangeBegins(const CSiteChange& change) {
    using Kind = CSiteChange::Kind;
    const int from = static_cast<int>(change.position);
    switch (change.kind) {
        case Kind::Reset:
            BeginReset();
            break;
        case Kind::FolderInserted:
            BeginInsert(IndexOf(change.parent), from, from);
            break;
        case Kind::FolderRemoved:
            BeginRemove(IndexOf(change.parent), from, from);
            break;
        case Kind::FolderMoved:
            BeginMove(IndexOf(change.parent), from, IndexOf(change.toParent),
                      static_cast<int>(change.toPosition));
            break;
        case Kind::ItemsInserted:
        case Kind::ItemsRemoved:
        case Kind::ItemMoved:
        case Kind::TextChanged:
            break;
    }
}

void CSiteTreeModel::ChangeEnded(const CSiteChange& change) {
    EndChange();
    if (change.kind == CSiteChange::Kind::TextChanged && !change.item &&
        change.field == CSiteField::Caption) {
        const QModelIndex index = IndexOf(change.folder);
        if (index.isValid()) emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    }
}

CFolderKey CSiteTreeModel::KeyOf(const QModelIndex& index) {
    return index.isValid() ? CFolderKey{static_cast<std::uint32_t>(index.internalId())}
                           : CFolderKey{};
}

const CSiteNode* CSiteTreeModel::NodeOf(const QModelIndex& index) const {
    return tree.Find(KeyOf(index));
}

QModelIndex CSiteTreeModel::IndexOf(CFolderKey key) const {
    const CSiteNode* node = tree.Find(key);
    if (!node) return {};
    return createIndex(static_cast<int>(node->IndexInParent()), 0, quintptr{key.value});
}

QModelIndex CSiteTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid())
        return row == 0 ? createIndex(0, 0, quintptr{tree.RootKey().value}) : QModelIndex();
    const CSiteNode* node = NodeOf(parent);
    if (!node || static_cast<std::size_t>(row) >= node->ChildCount()) return {};
    return createIndex(row, 0, quintptr{node->Child(static_cast<std::size_t>(row))->Key().value});
}

QModelIndex CSiteTreeModel::parent(const QModelIndex& child) const {
    const CSiteNode* node = NodeOf(child);
    return node && node->Parent() ? IndexOf(node->Parent()->Key()) : QModelIndex();
}

int CSiteTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return 1;
    if (parent.column() != 0) return 0;
    const CSiteNode* node = NodeOf(parent);
    return node ? static_cast<int>(node->ChildCount()) : 0;
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
            return TextFromBytes(node->Label());
        case Qt::DecorationRole:
            return node->Parent() ? folderIcon : rootIcon;
        default:
            return {};
    }
}

bool CSiteTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const CSiteNode* node = NodeOf(index);
    if (!node || role != Qt::EditRole) return false;
    // The editor commits on every way out, also unchanged: only a real change renames, so an
    // untouched caption keeps its bytes and the project its state.
    std::string caption(node->Label());
    if (!AssignEdited(caption, value.toString())) return true;
    document.SetText(CSiteNodeRef::Of(node->Key()), CSiteField::Caption, caption, false);
    return true;
}

Qt::ItemFlags CSiteTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}
