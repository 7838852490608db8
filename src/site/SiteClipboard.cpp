// Cut, copy and paste of the website tree.
#include <cstddef>
#include <utility>
#include <vector>

#include "SiteTree.h"

CSiteStatus CSiteTree::Copy(CFolderKey folder) {
    const CSiteNode* node = Node(folder);
    if (!node) return CSiteStatus::NoSuchFolder;
    if (node == root.get()) return CSiteStatus::RootRefused;
    clipboard.Clear();
    clipboard.folderNode = folder;
    return CSiteStatus::Done;
}

CSiteStatus CSiteTree::Cut(CFolderKey folder) {
    const CSiteStatus status = Copy(folder);
    if (status == CSiteStatus::Done) clipboard.cut = true;
    return status;
}

CSiteStatus CSiteTree::CopyRows(CFolderKey source, bool cut, std::vector<CFolderKey> folders,
                                std::vector<CItemKey> items) {
    const CSiteNode* node = Node(source);
    if (!node) return CSiteStatus::NoSuchFolder;
    for (CFolderKey key : folders) {
        const CSiteNode* child = Node(key);
        if (!child || child->parent != node) return CSiteStatus::NotARow;
    }
    for (CItemKey key : items) {
        std::size_t position = 0;
        if (ItemNode(key, position) != node) return CSiteStatus::NotARow;
    }
    clipboard.Clear();
    if (folders.empty() && items.empty()) return CSiteStatus::Done;
    clipboard.cut = cut;
    clipboard.holdsRows = true;
    clipboard.folderKeys = std::move(folders);
    clipboard.itemKeys = std::move(items);
    return CSiteStatus::Done;
}

bool CSiteTree::CanPaste(CFolderKey target) const {
    const CSiteNode* node = Node(target);
    if (!node) return false;
    if (clipboard.folderNode) {
        const CSiteNode* source = Node(clipboard.folderNode);
        return source && !node->LiesWithin(source);
    }
    if (!clipboard.holdsRows) return false;
    for (CItemKey key : clipboard.itemKeys)
        if (Find(key)) return true;
    for (CFolderKey key : clipboard.folderKeys) {
        const CSiteNode* source = Node(key);
        if (source && !node->LiesWithin(source)) return true;
    }
    return false;
}

CSiteStatus CSiteTree::Paste(CFolderKey target) {
    CSiteNode* node = Node(target);
    if (!node) return CSiteStatus::NoSuchFolder;
    if (clipboard.folderNode) {
        CSiteNode* source = Node(clipboard.folderNode);
        if (!source) return CSiteStatus::NothingToPaste;
        if (node->LiesWithin(source)) return CSiteStatus::IntoItself;
        InsertCopy(*source, *node);
        if (clipboard.cut) {
            clipboard.Clear();
            RemoveNode(*source);
        }
        Changed();
        return CSiteStatus::Done;
    }
    if (!clipboard.holdsRows) return CSiteStatus::NothingToPaste;

    std::vector<CFolderKey> folders;
    bool leftOut = false;
    for (CFolderKey key : clipboard.folderKeys) {
        const CSiteNode* source = Node(key);
        if (!source) continue;
        if (node->LiesWithin(source)) {
            leftOut = true;
            continue;
        }
        folders.push_back(key);
    }
    // The items are copied before any is added, so rows pasted into their own folder come once.
    std::vector<CSiteItem> copies;
    std::vector<CItemKey> taken;
    for (CItemKey key : clipboard.itemKeys) {
        const CSiteItem* item = Find(key);
        if (!item) continue;
        copies.push_back(*item);
        taken.push_back(key);
    }
    if (folders.empty() && copies.empty())
        return leftOut ? CSiteStatus::IntoItself : CSiteStatus::NothingToPaste;

    for (CFolderKey key : folders) InsertCopy(*Node(key), *node);
    for (CSiteItem& copy : copies) copy.key = TakeItemKey();
    InsertItems(*node, node->folder.items.size(), std::move(copies));
    if (clipboard.cut) {
        clipboard.Clear();
        // By key: a folder of the rows may have been moved below another one since.
        for (CFolderKey key : folders)
            if (CSiteNode* source = Node(key)) RemoveNode(*source);
        while (!taken.empty()) {
            std::size_t position = 0;
            CSiteNode* holder = ItemNode(taken.front(), position);
            if (!holder) {
                taken.erase(taken.begin());
                continue;
            }
            std::vector<CItemKey> ofHolder;
            std::erase_if(taken, [&](CItemKey key) {
                std::size_t at = 0;
                if (ItemNode(key, at) != holder) return false;
                ofHolder.push_back(key);
                return true;
            });
            RemoveItemKeys(*holder, std::move(ofHolder));
        }
    }
    Changed();
    return CSiteStatus::Done;
}

void CSiteTree::PruneClipboard() {
    if (!clipboardStale) return;
    clipboardStale = false;
    if (clipboard.folderNode) {
        if (!Node(clipboard.folderNode)) clipboard.Clear();
        return;
    }
    if (!clipboard.holdsRows) return;
    std::erase_if(clipboard.folderKeys, [&](CFolderKey key) { return !Node(key); });
    std::erase_if(clipboard.itemKeys, [&](CItemKey key) { return !Find(key); });
    if (clipboard.folderKeys.empty() && clipboard.itemKeys.empty()) clipboard.Clear();
}
