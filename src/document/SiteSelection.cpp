#include "SiteSelection.h"

#include "SiteTree.h"

CSiteNodeRef CSiteSelection::Shown() const {
    if (pane == Pane::Tree) return folder ? CSiteNodeRef::Of(folder) : CSiteNodeRef{};
    return rows.size() == 1 ? rows.front() : CSiteNodeRef{};
}

int RowCount(const CSiteTree& tree, CFolderKey folder) {
    const CSiteNode* node = tree.Find(folder);
    return node ? static_cast<int>(node->ChildCount() + node->Folder().items.size()) : 0;
}

CSiteNodeRef RowAt(const CSiteTree& tree, CFolderKey folder, int row) {
    const CSiteNode* node = tree.Find(folder);
    if (!node || row < 0) return {};
    const auto index = static_cast<std::size_t>(row);
    if (index < node->ChildCount()) return CSiteNodeRef::Of(node->Child(index)->Key());
    const auto& items = node->Folder().items;
    const std::size_t item = index - node->ChildCount();
    return item < items.size() ? CSiteNodeRef::Of(items[item].key) : CSiteNodeRef{};
}

int RowOf(const CSiteTree& tree, CFolderKey folder, CSiteNodeRef record) {
    const CSiteNode* node = tree.Find(folder);
    if (!node) return -1;
    if (record.kind == CSiteNodeRef::Folder) {
        const CSiteNode* child = tree.Find(record.folder);
        if (!child || child->Parent() != node) return -1;
        return static_cast<int>(child->IndexInParent());
    }
    if (record.kind == CSiteNodeRef::Item && tree.FolderOf(record.item) == folder)
        return static_cast<int>(node->ChildCount()) + tree.Find(record.item)->id;
    return -1;
}
