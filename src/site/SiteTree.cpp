#include "SiteTree.h"

#include <algorithm>
#include <cctype>

CSiteNode::~CSiteNode() {
    std::vector<std::unique_ptr<CSiteNode>> pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<CSiteNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children) pending.push_back(std::move(child));
        node->children.clear();
    }
}

std::size_t CSiteNode::IndexInParent() const {
    if (!parent) return 0;
    const auto& siblings = parent->children;
    for (std::size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) return i;
    return 0;
}

CSiteNode* CSiteNode::PreviousSibling() const {
    if (!parent) return nullptr;
    const std::size_t index = IndexInParent();
    return index > 0 ? parent->children[index - 1].get() : nullptr;
}

CSiteNode* CSiteNode::NextSibling() const {
    if (!parent) return nullptr;
    const std::size_t index = IndexInParent();
    return index + 1 < parent->children.size() ? parent->children[index + 1].get() : nullptr;
}

CSiteNode* CSiteNode::FindChildByFolderId(std::int32_t folderId) const {
    for (const auto& child : children)
        if (child->folder->id == folderId) return child.get();
    return nullptr;
}

int CSiteNode::Depth() const {
    int depth = 0;
    for (const CSiteNode* node = parent; node; node = node->parent) ++depth;
    return depth;
}

CSiteTree::CSiteTree() {
    NewProject();
}

CSiteTree::~CSiteTree() = default;

void CSiteTree::SetModified(bool flag) {
    modified = flag;
    if (flag) exportPending = true;
}

CSiteNode& CSiteTree::NewProject() {
    auto folder = std::make_unique<CSiteFolder>();
    folder->caption = kRootCaption;
    CSiteNode& node = SetRoot(std::move(folder));
    SetModified(false);
    // Pages exported before belong to another website.
    exportPending = true;
    return node;
}

void CSiteTree::Clear() {
    clipboard.Clear();
    root.reset();
    nextFolderId = 0;
}

void CSiteTree::Swap(CSiteTree& other) noexcept {
    std::swap(root, other.root);
    std::swap(nextFolderId, other.nextFolderId);
    std::swap(modified, other.modified);
    std::swap(exportPending, other.exportPending);
    std::swap(clipboard, other.clipboard);
}

CSiteNode& CSiteTree::SetRoot(std::unique_ptr<CSiteFolder> folder) {
    clipboard.Clear();
    folder->id = TakeFolderId();
    root.reset(new CSiteNode(std::move(folder)));
    return *root;
}

CSiteNode& CSiteTree::InsertChild(CSiteNode& parent, std::size_t index,
                                  std::unique_ptr<CSiteNode> node) {
    node->parent = &parent;
    index = std::min(index, parent.children.size());
    auto it = parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(index),
                                     std::move(node));
    return **it;
}

CSiteNode& CSiteTree::AppendChild(CSiteNode& parent, std::unique_ptr<CSiteFolder> folder) {
    folder->id = TakeFolderId();
    return InsertChild(parent, parent.children.size(),
                       std::unique_ptr<CSiteNode>(new CSiteNode(std::move(folder))));
}

std::unique_ptr<CSiteNode> CSiteTree::Detach(CSiteNode& node) {
    CSiteNode* parent = node.parent;
    auto& siblings = parent->children;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [&](const auto& child) { return child.get() == &node; });
    std::unique_ptr<CSiteNode> owned = std::move(*it);
    siblings.erase(it);
    owned->parent = nullptr;
    return owned;
}

CSiteNode& CSiteTree::NewFolder(CSiteNode& parent) {
    auto folder = std::make_unique<CSiteFolder>();
    folder->caption = kNewFolderCaption;
    CSiteNode& node = AppendChild(parent, std::move(folder));
    SetModified(true);
    return node;
}

CSiteItem& CSiteTree::NewItem(CSiteNode& node) {
    CSiteItem& item = node.Folder().AddItem(kNewItemCaption);
    SetModified(true);
    return item;
}

void CSiteTree::RenameFolder(CSiteNode& node, std::string caption) {
    node.Folder().caption = std::move(caption);
    SetModified(true);
}

void CSiteTree::ForgetSubtree(const CSiteNode& node) {
    if ((clipboard.folderNode && IsWithin(clipboard.folderNode, &node)) ||
        (clipboard.sourceNode && IsWithin(clipboard.sourceNode, &node)))
        clipboard.Clear();
}

void CSiteTree::ForgetItemRowsOf(const CSiteNode& node) {
    if (clipboard.holdsRows && clipboard.sourceNode == &node && !clipboard.itemIds.empty())
        clipboard.Clear();
}

bool CSiteTree::DeleteNode(CSiteNode* node) {
    if (!node || node == root.get() || !node->parent) return false;
    ForgetSubtree(*node);
    Detach(*node);
    SetModified(true);
    return true;
}

void CSiteTree::RemoveItem(CSiteNode& node, std::int32_t itemId) {
    ForgetItemRowsOf(node);
    node.Folder().RemoveItem(itemId);
    SetModified(true);
}

void CSiteTree::DeleteRows(CSiteNode& node, const std::vector<std::int32_t>& folderIds,
                           const std::vector<std::int32_t>& itemIds) {
    for (std::int32_t id : folderIds) DeleteChildFolder(node, id);
    if (!itemIds.empty()) ForgetItemRowsOf(node);
    // Ids shift as items go, so the items are found before any is removed.
    CSiteFolder& folder = node.Folder();
    std::vector<const CSiteItem*> doomed;
    for (std::int32_t id : itemIds)
        if (const CSiteItem* item = folder.FindItem(id)) doomed.push_back(item);
    std::erase_if(folder.items, [&](const std::unique_ptr<CSiteItem>& item) {
        return std::find(doomed.begin(), doomed.end(), item.get()) != doomed.end();
    });
    folder.RenumberItems();
    SetModified(true);
}

bool CSiteTree::DeleteChildFolder(CSiteNode& parent, std::int32_t folderId) {
    return DeleteNode(parent.FindChildByFolderId(folderId));
}

std::vector<std::string> CSiteTree::GetChildLabels(const CSiteNode& node) const {
    std::vector<std::string> labels;
    labels.reserve(node.children.size());
    for (const auto& child : node.children) labels.push_back(child->Label());
    return labels;
}

void CSiteTree::Copy(CSiteNode& node) {
    if (&node == root.get()) return;
    clipboard.Clear();
    clipboard.folderNode = &node;
}

void CSiteTree::Cut(CSiteNode& node) {
    if (&node == root.get()) return;
    clipboard.Clear();
    clipboard.cut = true;
    clipboard.folderNode = &node;
}

void CSiteTree::CopyRows(CSiteNode& source, bool cut, std::vector<std::int32_t> folderIds,
                         std::vector<std::int32_t> itemIds) {
    clipboard.Clear();
    clipboard.cut = cut;
    clipboard.holdsRows = true;
    clipboard.sourceNode = &source;
    clipboard.folderIds = std::move(folderIds);
    clipboard.itemIds = std::move(itemIds);
}

bool CSiteTree::CanPaste(const CSiteNode& target) const {
    if (clipboard.folderNode) return clipboard.folderNode != &target;
    return clipboard.holdsRows && clipboard.sourceNode;
}

bool CSiteTree::IsWithin(const CSiteNode* a, const CSiteNode* b) {
    for (const CSiteNode* node = a; node; node = node->parent)
        if (node == b) return true;
    return false;
}

bool CSiteTree::IsValidDrop(const CSiteNode* source, const CSiteNode* target) {
    return source && target && source != target && !IsWithin(target, source) &&
           source->parent != target;
}

bool CSiteTree::PasteFolder(CSiteNode& target, const CSiteNode& node) {
    if (IsWithin(&target, &node)) return false;
    CopySubtree(node, target);
    return true;
}

bool CSiteTree::Paste(CSiteNode& target) {
    if (CSiteNode* source = clipboard.folderNode) {
        if (!PasteFolder(target, *source)) return false;
        if (clipboard.cut) {
            clipboard.Clear();
            DeleteNode(source);
        }
    } else if (clipboard.holdsRows && clipboard.sourceNode) {
        CSiteNode& source = *clipboard.sourceNode;
        const auto& ids = clipboard.folderIds;
        std::vector<CSiteNode*> pastedChildren;
        std::size_t found = 0;
        // Pasting into the source itself adds children while they are walked.
        std::vector<CSiteNode*> sourceChildren;
        for (const auto& child : source.children) sourceChildren.push_back(child.get());
        for (std::size_t i = 0; i < sourceChildren.size() && found < ids.size(); ++i) {
            CSiteNode* child = sourceChildren[i];
            if (std::find(ids.begin(), ids.end(), child->folder->id) == ids.end()) continue;
            ++found;
            if (PasteFolder(target, *child) && clipboard.cut) pastedChildren.push_back(child);
        }

        CSiteFolder& destination = target.Folder();
        CSiteFolder& origin = source.Folder();
        std::vector<const CSiteItem*> taken;
        // Copies are made from a snapshot, so pasting a folder's rows into itself appends each
        // item once.
        std::vector<const CSiteItem*> originItems;
        for (const auto& item : origin.items) originItems.push_back(item.get());
        for (const CSiteItem* item : originItems) {
            if (std::find(clipboard.itemIds.begin(), clipboard.itemIds.end(), item->id) ==
                clipboard.itemIds.end())
                continue;
            destination.AddItem(std::make_unique<CSiteItem>(*item));
            if (clipboard.cut) taken.push_back(item);
        }
        destination.RenumberItems();
        std::erase_if(origin.items, [&](const std::unique_ptr<CSiteItem>& item) {
            return std::find(taken.begin(), taken.end(), item.get()) != taken.end();
        });
        origin.RenumberItems();

        const bool wasCut = clipboard.cut;
        if (wasCut) clipboard.Clear();
        for (CSiteNode* child : pastedChildren) DeleteNode(child);
    } else {
        return false;
    }
    SetModified(true);
    return true;
}

namespace {

// Case-insensitive order of labels, as a sorted tree shows them.
bool LabelLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

CSiteNode& CSiteTree::CopySubtree(const CSiteNode& node, CSiteNode& target) {
    // Snapshot the source first: copying a node into its own parent must not copy the copy.
    std::vector<std::pair<const CSiteNode*, CSiteNode*>> work;
    const std::string& label = node.Label();
    std::size_t index = 0;
    while (index < target.children.size() && !LabelLess(label, target.children[index]->Label()))
        ++index;
    auto folder = std::make_unique<CSiteFolder>(*node.folder);
    folder->id = TakeFolderId();
    CSiteNode& copy =
        InsertChild(target, index, std::unique_ptr<CSiteNode>(new CSiteNode(std::move(folder))));
    for (const auto& child : node.children) work.emplace_back(child.get(), &copy);
    for (std::size_t i = 0; i < work.size(); ++i) {
        auto [source, parent] = work[i];
        if (source == &copy) continue;
        auto childFolder = std::make_unique<CSiteFolder>(*source->folder);
        CSiteNode& made = AppendChild(*parent, std::move(childFolder));
        for (const auto& child : source->children) work.emplace_back(child.get(), &made);
    }
    return copy;
}

CSiteNode& CSiteTree::MoveSubtree(CSiteNode& node, CSiteNode& target) {
    std::unique_ptr<CSiteNode> owned = Detach(node);
    return InsertChild(target, target.children.size(), std::move(owned));
}

bool CSiteTree::MoveUp(CSiteNode& node) {
    CSiteNode* previous = node.PreviousSibling();
    if (!previous) return false;
    const std::size_t index = node.IndexInParent();
    std::swap(node.parent->children[index], node.parent->children[index - 1]);
    SetModified(true);
    return true;
}

bool CSiteTree::MoveDown(CSiteNode& node) {
    CSiteNode* next = node.NextSibling();
    if (!next) return false;
    const std::size_t index = node.IndexInParent();
    std::swap(node.parent->children[index], node.parent->children[index + 1]);
    SetModified(true);
    return true;
}

bool CSiteTree::MoveChildFolder(CSiteNode& parent, bool down, std::int32_t folderId) {
    CSiteNode* child = parent.FindChildByFolderId(folderId);
    if (!child) return false;
    return down ? MoveDown(*child) : MoveUp(*child);
}

bool CSiteTree::MoveItem(CSiteNode& node, std::int32_t itemId, bool down) {
    CSiteFolder& folder = node.Folder();
    const auto count = static_cast<std::int32_t>(folder.items.size());
    if (itemId < 0 || itemId >= count) return false;
    const std::int32_t other = down ? itemId + 1 : itemId - 1;
    if (other < 0 || other >= count) return false;
    ForgetItemRowsOf(node);
    std::swap(folder.items[static_cast<std::size_t>(itemId)],
              folder.items[static_cast<std::size_t>(other)]);
    folder.RenumberItems();
    SetModified(true);
    return true;
}

std::size_t CSiteTree::FolderCount() const {
    std::size_t count = 0;
    ForEachDepthFirst([&](const CSiteNode&, int) { ++count; });
    return count;
}

std::size_t CSiteTree::ItemCount() const {
    std::size_t count = 0;
    ForEachDepthFirst([&](const CSiteNode& node, int) { count += node.Folder().items.size(); });
    return count;
}
