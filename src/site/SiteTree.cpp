// The tree's own operations: building, commands, reordering and the primitive changes they are
// made of. Cut, copy and paste are in SiteClipboard.cpp, the undo records in SiteEditRecords.cpp.
#include "SiteTree.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <unordered_set>

std::string_view Describe(CSiteStatus status) {
    switch (status) {
        case CSiteStatus::Done:
            return "done";
        case CSiteStatus::NoSuchFolder:
            return "no such folder";
        case CSiteStatus::NoSuchItem:
            return "no such item";
        case CSiteStatus::RootRefused:
            return "the root cannot be deleted, moved, cut or copied";
        case CSiteStatus::IntoItself:
            return "a folder cannot go into itself or below itself";
        case CSiteStatus::OutOfRange:
            return "the position is out of range";
        case CSiteStatus::NoSibling:
            return "nothing to move past";
        case CSiteStatus::NotARow:
            return "not a sub-site or item of that folder";
        case CSiteStatus::NothingToPaste:
            return "nothing to paste";
        case CSiteStatus::InvalidDrop:
            return "not a place to drop that folder";
        case CSiteStatus::NoSuchField:
            return "a folder has no url";
        case CSiteStatus::WrongProject:
            return "the edit does not belong to this state of the project";
    }
    return "unknown";
}

namespace {

std::uint64_t NewProjectSerial() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

// Case-insensitive order of labels, as a sorted tree shows them.
bool LabelLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

CSiteText* FieldOf(CSiteFolder& folder, CSiteField field) {
    switch (field) {
        case CSiteField::Caption:
            return &folder.caption;
        case CSiteField::Description:
            return &folder.description;
        case CSiteField::Url:
            break;
    }
    return nullptr;
}

CSiteText* FieldOf(CSiteItem& item, CSiteField field) {
    switch (field) {
        case CSiteField::Caption:
            return &item.caption;
        case CSiteField::Description:
            return &item.description;
        case CSiteField::Url:
            return &item.url;
    }
    return nullptr;
}

template <typename Key>
bool Contains(const std::vector<Key>& keys, Key key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

// --- CSiteNode ---------------------------------------------------------------------------------

CSiteNode::~CSiteNode() {
    std::vector<std::unique_ptr<CSiteNode>> pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<CSiteNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children) pending.push_back(std::move(child));
        node->children.clear();
    }
}

const CSiteNode* CSiteNode::PreviousSibling() const {
    return parent && position > 0 ? parent->children[position - 1].get() : nullptr;
}

const CSiteNode* CSiteNode::NextSibling() const {
    return parent && position + 1 < parent->children.size() ? parent->children[position + 1].get()
                                                            : nullptr;
}

bool CSiteNode::LiesWithin(const CSiteNode* other) const {
    for (const CSiteNode* node = this; node; node = node->parent)
        if (node == other) return true;
    return false;
}

int CSiteNode::Depth() const {
    int depth = 0;
    for (const CSiteNode* node = parent; node; node = node->parent) ++depth;
    return depth;
}

// --- construction and project state -----------------------------------------------------------

CSiteTree::CSiteTree() {
    CSiteFolder rootFolder;
    rootFolder.caption = kRootCaption;
    StartProject(std::move(rootFolder));
}

CSiteTree::CSiteTree(CSiteFolder rootFolder) {
    StartProject(std::move(rootFolder));
}

CSiteTree::CSiteTree(const CSiteTree& other)
    : folderSlots(other.folderSlots.size(), nullptr),
      itemSlots(other.itemSlots),
      textStorage(other.textStorage),
      project(other.project),
      nextFolderId(other.nextFolderId),
      clipboardStale(other.clipboardStale),
      clipboard(other.clipboard) {
    // Same keys and ids: the copy names its records as the original does.
    auto copyNode = [](const CSiteNode& source) {
        auto node = std::make_unique<CSiteNode>(CSiteNode::Token{});
        node->key = source.key;
        node->folder = source.folder;
        node->position = source.position;
        return node;
    };
    root = copyNode(*other.root);
    std::vector<std::pair<const CSiteNode*, CSiteNode*>> pending{{other.root.get(), root.get()}};
    while (!pending.empty()) {
        auto [source, copy] = pending.back();
        pending.pop_back();
        copy->children.reserve(source->children.size());
        for (const auto& child : source->children) {
            copy->children.push_back(copyNode(*child));
            copy->children.back()->parent = copy;
            pending.emplace_back(child.get(), copy->children.back().get());
        }
    }
    Register(*root);
}

CSiteTree::~CSiteTree() = default;

void CSiteTree::StartProject(CSiteFolder rootFolder) {
    recording = nullptr;
    std::unique_ptr<CSiteNode> old = std::move(root);
    folderSlots.assign(1, nullptr);
    itemSlots.assign(1, ItemSlot{});
    folderCount = 0;
    itemCount = 0;
    project = NewProjectSerial();
    clipboard.Clear();
    clipboardStale = false;
    root = MakeNode(std::move(rootFolder));
    Register(*root);
    // The old records may borrow from the old storage: they go first.
    old.reset();
    textStorage.clear();
}

void CSiteTree::AddObserver(CSiteTreeObserver* observer) {
    if (observer && !Contains(observers, observer)) observers.push_back(observer);
}

void CSiteTree::RemoveObserver(CSiteTreeObserver* observer) {
    std::erase(observers, observer);
}

void CSiteTree::Notify(bool ended, const CSiteChange& change) {
    // By index: an observer may remove itself while it is told.
    for (std::size_t i = 0; i < observers.size(); ++i) {
        if (ended)
            observers[i]->ChangeEnded(change);
        else
            observers[i]->ChangeBegins(change);
    }
}

void CSiteTree::Changed() {
    PruneClipboard();
}

void CSiteTree::NewProject() {
    const CSiteChange change{.kind = CSiteChange::Kind::Reset};
    Notify(false, change);
    CSiteFolder rootFolder;
    rootFolder.caption = kRootCaption;
    StartProject(std::move(rootFolder));
    Notify(true, change);
}

void CSiteTree::Swap(CSiteTree& other) noexcept {
    const CSiteChange change{.kind = CSiteChange::Kind::Reset};
    Notify(false, change);
    other.Notify(false, change);
    std::swap(root, other.root);
    std::swap(folderSlots, other.folderSlots);
    std::swap(itemSlots, other.itemSlots);
    std::swap(textStorage, other.textStorage);
    std::swap(folderCount, other.folderCount);
    std::swap(itemCount, other.itemCount);
    std::swap(project, other.project);
    std::swap(nextFolderId, other.nextFolderId);
    std::swap(clipboardStale, other.clipboardStale);
    std::swap(clipboard, other.clipboard);
    recording = nullptr;
    other.recording = nullptr;
    Notify(true, change);
    other.Notify(true, change);
}

void CSiteTree::KeepTexts(std::shared_ptr<const void> storage) {
    if (storage) textStorage.push_back(std::move(storage));
}

// --- keys and lookups ---------------------------------------------------------------------------

CFolderKey CSiteTree::TakeFolderKey() {
    if (folderSlots.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many folders for one project");
    folderSlots.push_back(nullptr);
    return CFolderKey{static_cast<std::uint32_t>(folderSlots.size() - 1)};
}

CItemKey CSiteTree::TakeItemKey() {
    if (itemSlots.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many items for one project");
    itemSlots.push_back(ItemSlot{});
    return CItemKey{static_cast<std::uint32_t>(itemSlots.size() - 1)};
}

CSiteNode* CSiteTree::Node(CFolderKey key) const {
    return key.value < folderSlots.size() ? folderSlots[key.value] : nullptr;
}

CSiteNode* CSiteTree::ItemNode(CItemKey key, std::size_t& position) const {
    if (key.value == 0 || key.value >= itemSlots.size()) return nullptr;
    const ItemSlot slot = itemSlots[key.value];
    if (slot.folder == 0) return nullptr;
    position = slot.position;
    return folderSlots[slot.folder];
}

const CSiteNode* CSiteTree::Find(CFolderKey key) const {
    return Node(key);
}

const CSiteItem* CSiteTree::Find(CItemKey key) const {
    std::size_t position = 0;
    const CSiteNode* node = ItemNode(key, position);
    return node ? &node->folder.items[position] : nullptr;
}

CFolderKey CSiteTree::FolderOf(CItemKey key) const {
    std::size_t position = 0;
    const CSiteNode* node = ItemNode(key, position);
    return node ? node->key : CFolderKey{};
}

bool CSiteTree::IsWithin(CFolderKey a, CFolderKey b) const {
    const CSiteNode* nodeA = Node(a);
    const CSiteNode* nodeB = Node(b);
    return nodeA && nodeB && nodeA->LiesWithin(nodeB);
}

bool CSiteTree::IsValidDrop(CFolderKey source, CFolderKey target) const {
    const CSiteNode* from = Node(source);
    const CSiteNode* onto = Node(target);
    return from && onto && from != onto && !onto->LiesWithin(from) && from->parent != onto;
}

std::vector<std::string> CSiteTree::GetChildLabels(CFolderKey key) const {
    std::vector<std::string> labels;
    if (const CSiteNode* node = Node(key)) {
        labels.reserve(node->children.size());
        for (const auto& child : node->children) labels.emplace_back(child->Label());
    }
    return labels;
}

// --- the primitive changes ----------------------------------------------------------------------

std::unique_ptr<CSiteNode> CSiteTree::MakeNode(CSiteFolder folder) {
    auto node = std::make_unique<CSiteNode>(CSiteNode::Token{});
    node->key = TakeFolderKey();
    folder.id = nextFolderId++;
    // Keys for all the items at once: a loaded project makes 100,000 of them.
    const std::size_t count = folder.items.size();
    const std::size_t first = itemSlots.size();
    if (count > std::numeric_limits<std::uint32_t>::max() - first)
        throw std::length_error("too many items for one project");
    itemSlots.resize(first + count);
    for (std::size_t i = 0; i < count; ++i) {
        folder.items[i].key = CItemKey{static_cast<std::uint32_t>(first + i)};
        folder.items[i].id = static_cast<std::int32_t>(i);
    }
    folder.itemCount = static_cast<std::int32_t>(folder.items.size());
    node->folder = std::move(folder);
    return node;
}

std::unique_ptr<CSiteNode> CSiteTree::CopyBranch(const CSiteNode& source) {
    // Folder ids go out depth first, each folder before its children.
    std::unique_ptr<CSiteNode> top = MakeNode(source.folder);
    std::vector<std::pair<const CSiteNode*, CSiteNode*>> pending;
    for (auto it = source.children.rbegin(); it != source.children.rend(); ++it)
        pending.emplace_back(it->get(), top.get());
    while (!pending.empty()) {
        auto [from, parent] = pending.back();
        pending.pop_back();
        std::unique_ptr<CSiteNode> made = MakeNode(from->folder);
        CSiteNode* node = made.get();
        node->parent = parent;
        node->position = parent->children.size();
        parent->children.push_back(std::move(made));
        for (auto it = from->children.rbegin(); it != from->children.rend(); ++it)
            pending.emplace_back(it->get(), node);
    }
    return top;
}

void CSiteTree::Register(CSiteNode& top) {
    std::vector<CSiteNode*> pending{&top};
    while (!pending.empty()) {
        CSiteNode* node = pending.back();
        pending.pop_back();
        folderSlots[node->key.value] = node;
        ++folderCount;
        const auto& items = node->folder.items;
        for (std::size_t i = 0; i < items.size(); ++i)
            itemSlots[items[i].key.value] = {node->key.value, static_cast<std::uint32_t>(i)};
        itemCount += items.size();
        for (auto& child : node->children) pending.push_back(child.get());
    }
}

void CSiteTree::Unregister(CSiteNode& top) {
    std::vector<CSiteNode*> pending{&top};
    while (!pending.empty()) {
        CSiteNode* node = pending.back();
        pending.pop_back();
        folderSlots[node->key.value] = nullptr;
        --folderCount;
        for (const CSiteItem& item : node->folder.items) itemSlots[item.key.value].folder = 0;
        itemCount -= node->folder.items.size();
        for (auto& child : node->children) pending.push_back(child.get());
    }
    clipboardStale = true;
}

void CSiteTree::RenumberChildren(CSiteNode& node, std::size_t from) {
    for (std::size_t i = from; i < node.children.size(); ++i) node.children[i]->position = i;
}

void CSiteTree::RenumberItems(CSiteNode& node, std::size_t from) {
    auto& items = node.folder.items;
    for (std::size_t i = from; i < items.size(); ++i) {
        items[i].id = static_cast<std::int32_t>(i);
        itemSlots[items[i].key.value] = {node.key.value, static_cast<std::uint32_t>(i)};
    }
    node.folder.itemCount = static_cast<std::int32_t>(items.size());
}

void CSiteTree::AttachNode(CSiteNode& parent, std::size_t position,
                           std::unique_ptr<CSiteNode> node) {
    const CSiteChange change{.kind = CSiteChange::Kind::FolderInserted,
                             .folder = node->key,
                             .parent = parent.key,
                             .position = position};
    Notify(false, change);
    CSiteNode& attached = *node;
    node->parent = &parent;
    parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(position),
                           std::move(node));
    RenumberChildren(parent, position);
    Register(attached);
    Notify(true, change);
}

std::unique_ptr<CSiteNode> CSiteTree::DetachNode(CSiteNode& node) {
    CSiteNode& parent = *node.parent;
    const std::size_t position = node.position;
    const CSiteChange change{.kind = CSiteChange::Kind::FolderRemoved,
                             .folder = node.key,
                             .parent = parent.key,
                             .position = position};
    Notify(false, change);
    std::unique_ptr<CSiteNode> owned = std::move(parent.children[position]);
    parent.children.erase(parent.children.begin() + static_cast<std::ptrdiff_t>(position));
    RenumberChildren(parent, position);
    owned->parent = nullptr;
    Unregister(*owned);
    Notify(true, change);
    return owned;
}

void CSiteTree::RelocateNode(CSiteNode& node, CSiteNode& parent, std::size_t position) {
    CSiteNode& oldParent = *node.parent;
    const std::size_t from = node.position;
    const CSiteChange change{.kind = CSiteChange::Kind::FolderMoved,
                             .folder = node.key,
                             .parent = oldParent.key,
                             .position = from,
                             .toParent = parent.key,
                             .toPosition = position};
    Notify(false, change);
    std::unique_ptr<CSiteNode> owned = std::move(oldParent.children[from]);
    oldParent.children.erase(oldParent.children.begin() + static_cast<std::ptrdiff_t>(from));
    RenumberChildren(oldParent, from);
    owned->parent = &parent;
    parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(position),
                           std::move(owned));
    RenumberChildren(parent, position);
    Notify(true, change);
}

void CSiteTree::AttachItems(CSiteNode& node, std::size_t position, std::vector<CSiteItem> items) {
    if (items.empty()) return;
    const CSiteChange change{.kind = CSiteChange::Kind::ItemsInserted,
                             .folder = node.key,
                             .position = position,
                             .count = items.size()};
    Notify(false, change);
    auto& list = node.folder.items;
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(position),
                std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
    RenumberItems(node, position);
    itemCount += items.size();
    Notify(true, change);
}

std::vector<CSiteItem> CSiteTree::DetachItems(CSiteNode& node, std::size_t first,
                                              std::size_t count) {
    const CSiteChange change{.kind = CSiteChange::Kind::ItemsRemoved,
                             .folder = node.key,
                             .position = first,
                             .count = count};
    Notify(false, change);
    auto& list = node.folder.items;
    const auto begin = list.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = begin + static_cast<std::ptrdiff_t>(count);
    std::vector<CSiteItem> taken(std::make_move_iterator(begin), std::make_move_iterator(end));
    list.erase(begin, end);
    for (const CSiteItem& item : taken) itemSlots[item.key.value].folder = 0;
    RenumberItems(node, first);
    itemCount -= count;
    clipboardStale = true;
    Notify(true, change);
    return taken;
}

void CSiteTree::RelocateItem(CSiteNode& node, std::size_t from, std::size_t to) {
    const CSiteChange change{.kind = CSiteChange::Kind::ItemMoved,
                             .folder = node.key,
                             .position = from,
                             .toPosition = to};
    Notify(false, change);
    auto& list = node.folder.items;
    const auto at = [&](std::size_t i) { return list.begin() + static_cast<std::ptrdiff_t>(i); };
    if (from < to)
        std::rotate(at(from), at(from + 1), at(to + 1));
    else
        std::rotate(at(to), at(from), at(from + 1));
    RenumberItems(node, std::min(from, to));
    Notify(true, change);
}

void CSiteTree::SwapText(CSiteNode& node, CItemKey item, CSiteField field, CSiteText& text) {
    const CSiteChange change{
        .kind = CSiteChange::Kind::TextChanged, .folder = node.key, .item = item, .field = field};
    Notify(false, change);
    std::size_t position = 0;
    CSiteText* target = item && ItemNode(item, position)
                            ? FieldOf(node.folder.items[position], field)
                            : FieldOf(node.folder, field);
    std::swap(*target, text);
    Notify(true, change);
}

void CSiteTree::RemoveItemKeys(CSiteNode& node, std::vector<CItemKey> keys) {
    std::vector<std::size_t> positions;
    positions.reserve(keys.size());
    for (CItemKey key : keys) {
        std::size_t position = 0;
        if (ItemNode(key, position) == &node) positions.push_back(position);
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    // From the back, one run of neighbours at a time, so that the positions ahead stay right.
    while (!positions.empty()) {
        std::size_t first = positions.back();
        positions.pop_back();
        std::size_t count = 1;
        while (!positions.empty() && positions.back() + 1 == first) {
            first = positions.back();
            positions.pop_back();
            ++count;
        }
        RemoveItems(node, first, count);
    }
}

// --- building and commands ----------------------------------------------------------------------

CSiteFolderResult CSiteTree::AddFolder(CFolderKey parent, CSiteFolder folder) {
    CSiteNode* node = Node(parent);
    if (!node) return {CSiteStatus::NoSuchFolder, {}};
    std::unique_ptr<CSiteNode> made = MakeNode(std::move(folder));
    const CFolderKey key = made->key;
    InsertNode(*node, node->children.size(), std::move(made));
    Changed();
    return {CSiteStatus::Done, key};
}

CSiteFolderResult CSiteTree::AddFolder(CFolderKey parent, CSiteText caption,
                                       CSiteText description) {
    CSiteFolder folder;
    folder.caption = std::move(caption);
    folder.description = std::move(description);
    return AddFolder(parent, std::move(folder));
}

CSiteItemResult CSiteTree::AddItem(CFolderKey folder, CSiteText caption, CSiteText url,
                                   CSiteText description) {
    CSiteNode* node = Node(folder);
    if (!node) return {CSiteStatus::NoSuchFolder, {}};
    std::vector<CSiteItem> items(1);
    items[0].key = TakeItemKey();
    items[0].caption = std::move(caption);
    items[0].url = std::move(url);
    items[0].description = std::move(description);
    const CItemKey key = items[0].key;
    InsertItems(*node, node->folder.items.size(), std::move(items));
    Changed();
    return {CSiteStatus::Done, key};
}

CSiteStatus CSiteTree::AddItems(CFolderKey folder, std::vector<CSiteItem> items) {
    CSiteNode* node = Node(folder);
    if (!node) return CSiteStatus::NoSuchFolder;
    if (items.empty()) return CSiteStatus::Done;
    for (CSiteItem& item : items) item.key = TakeItemKey();
    InsertItems(*node, node->folder.items.size(), std::move(items));
    Changed();
    return CSiteStatus::Done;
}

CSiteFolderResult CSiteTree::NewFolder(CFolderKey parent) {
    return AddFolder(parent, kNewFolderCaption);
}

CSiteItemResult CSiteTree::NewItem(CFolderKey folder) {
    return AddItem(folder, kNewItemCaption);
}

CSiteStatus CSiteTree::SetText(CFolderKey folder, CSiteField field, CSiteText text) {
    CSiteNode* node = Node(folder);
    if (!node) return CSiteStatus::NoSuchFolder;
    const CSiteText* current = FieldOf(node->folder, field);
    if (!current) return CSiteStatus::NoSuchField;
    if (*current == text) return CSiteStatus::Done;
    ExchangeText(*node, {}, field, text);
    Changed();
    return CSiteStatus::Done;
}

CSiteStatus CSiteTree::SetText(CItemKey item, CSiteField field, CSiteText text) {
    std::size_t position = 0;
    CSiteNode* node = ItemNode(item, position);
    if (!node) return CSiteStatus::NoSuchItem;
    if (*FieldOf(node->folder.items[position], field) == text) return CSiteStatus::Done;
    ExchangeText(*node, item, field, text);
    Changed();
    return CSiteStatus::Done;
}

CSiteStatus CSiteTree::DeleteFolder(CFolderKey folder) {
    CSiteNode* node = Node(folder);
    if (!node) return CSiteStatus::NoSuchFolder;
    if (node == root.get()) return CSiteStatus::RootRefused;
    RemoveNode(*node);
    Changed();
    return CSiteStatus::Done;
}

CSiteStatus CSiteTree::DeleteItem(CItemKey item) {
    std::size_t position = 0;
    CSiteNode* node = ItemNode(item, position);
    if (!node) return CSiteStatus::NoSuchItem;
    RemoveItems(*node, position, 1);
    Changed();
    return CSiteStatus::Done;
}

CSiteStatus CSiteTree::DeleteRows(CFolderKey folder, const std::vector<CFolderKey>& folders,
                                  const std::vector<CItemKey>& items) {
    CSiteNode* node = Node(folder);
    if (!node) return CSiteStatus::NoSuchFolder;
    for (CFolderKey key : folders) {
        const CSiteNode* child = Node(key);
        if (!child || child->parent != node) return CSiteStatus::NotARow;
    }
    for (CItemKey key : items) {
        std::size_t position = 0;
        if (ItemNode(key, position) != node) return CSiteStatus::NotARow;
    }
    if (folders.empty() && items.empty()) return CSiteStatus::Done;
    // A key given twice is found only the first time.
    for (CFolderKey key : folders)
        if (CSiteNode* child = Node(key)) RemoveNode(*child);
    RemoveItemKeys(*node, items);
    Changed();
    return CSiteStatus::Done;
}

CFolderKey CSiteTree::InsertCopy(const CSiteNode& source, CSiteNode& target) {
    const std::string_view label = source.Label();
    std::size_t index = 0;
    while (index < target.children.size() && !LabelLess(label, target.children[index]->Label()))
        ++index;
    std::unique_ptr<CSiteNode> copy = CopyBranch(source);
    const CFolderKey key = copy->key;
    InsertNode(target, index, std::move(copy));
    return key;
}

CSiteFolderResult CSiteTree::CopySubtree(CFolderKey source, CFolderKey target) {
    const CSiteNode* from = Node(source);
    CSiteNode* onto = Node(target);
    if (!from || !onto) return {CSiteStatus::NoSuchFolder, {}};
    if (onto->LiesWithin(from)) return {CSiteStatus::IntoItself, {}};
    const CFolderKey key = InsertCopy(*from, *onto);
    Changed();
    return {CSiteStatus::Done, key};
}

CSiteStatus CSiteTree::MoveSubtree(CFolderKey source, CFolderKey target) {
    const CSiteNode* from = Node(source);
    const CSiteNode* onto = Node(target);
    if (!from || !onto) return CSiteStatus::NoSuchFolder;
    const std::size_t end = onto->children.size() - (from->parent == onto ? 1 : 0);
    return MoveFolder(source, target, end);
}

CSiteStatus CSiteTree::MoveFolder(CFolderKey folder, CFolderKey parent, std::size_t position) {
    CSiteNode* node = Node(folder);
    CSiteNode* onto = Node(parent);
    if (!node || !onto) return CSiteStatus::NoSuchFolder;
    if (node == root.get()) return CSiteStatus::RootRefused;
    if (onto->LiesWithin(node)) return CSiteStatus::IntoItself;
    const std::size_t limit = onto->children.size() - (node->parent == onto ? 1 : 0);
    if (position > limit) return CSiteStatus::OutOfRange;
    if (node->parent == onto && node->position == position) return CSiteStatus::Done;
    MoveNode(*node, *onto, position);
    Changed();
    return CSiteStatus::Done;
}

CSiteStatus CSiteTree::Drop(CFolderKey source, CFolderKey target, bool copy) {
    if (!Node(source) || !Node(target)) return CSiteStatus::NoSuchFolder;
    if (!IsValidDrop(source, target)) return CSiteStatus::InvalidDrop;
    return copy ? CopySubtree(source, target).status : MoveSubtree(source, target);
}

// --- reordering ---------------------------------------------------------------------------------

CSiteStatus CSiteTree::MoveUp(CFolderKey folder) {
    const CSiteNode* node = Node(folder);
    if (!node) return CSiteStatus::NoSuchFolder;
    if (node == root.get()) return CSiteStatus::RootRefused;
    if (node->position == 0) return CSiteStatus::NoSibling;
    return MoveFolder(folder, node->parent->key, node->position - 1);
}

CSiteStatus CSiteTree::MoveDown(CFolderKey folder) {
    const CSiteNode* node = Node(folder);
    if (!node) return CSiteStatus::NoSuchFolder;
    if (node == root.get()) return CSiteStatus::RootRefused;
    if (node->position + 1 >= node->parent->children.size()) return CSiteStatus::NoSibling;
    return MoveFolder(folder, node->parent->key, node->position + 1);
}

CSiteStatus CSiteTree::MoveItem(CItemKey item, bool down) {
    std::size_t position = 0;
    const CSiteNode* node = ItemNode(item, position);
    if (!node) return CSiteStatus::NoSuchItem;
    if (down ? position + 1 >= node->folder.items.size() : position == 0)
        return CSiteStatus::NoSibling;
    return MoveItemTo(item, down ? position + 1 : position - 1);
}

CSiteStatus CSiteTree::MoveItemTo(CItemKey item, std::size_t position) {
    std::size_t from = 0;
    CSiteNode* node = ItemNode(item, from);
    if (!node) return CSiteStatus::NoSuchItem;
    if (position >= node->folder.items.size()) return CSiteStatus::OutOfRange;
    if (position == from) return CSiteStatus::Done;
    MoveItemWithin(*node, from, position);
    Changed();
    return CSiteStatus::Done;
}

// --- checks -------------------------------------------------------------------------------------

std::string CSiteTree::CheckInvariants() const {
    if (!root) return "no root";
    if (root->parent || root->position != 0) return "the root has a parent";
    std::unordered_set<std::int32_t> ids;
    std::size_t folders = 0;
    std::size_t items = 0;
    std::vector<const CSiteNode*> pending{root.get()};
    while (!pending.empty()) {
        const CSiteNode* node = pending.back();
        pending.pop_back();
        if (++folders > folderSlots.size()) return "more folders than keys";
        const std::string name = "folder " + std::to_string(node->key.value);
        if (Node(node->key) != node) return name + ": its key does not find it";
        const CSiteFolder& folder = node->folder;
        if (folder.id < 0 || folder.id >= nextFolderId)
            return name + ": id " + std::to_string(folder.id) + " was never handed out";
        if (!ids.insert(folder.id).second)
            return name + ": id " + std::to_string(folder.id) + " twice";
        if (folder.itemCount != static_cast<std::int32_t>(folder.items.size()))
            return name + ": itemCount is not the number of items";
        for (std::size_t i = 0; i < folder.items.size(); ++i) {
            const CSiteItem& item = folder.items[i];
            if (item.id != static_cast<std::int32_t>(i))
                return name + ": item " + std::to_string(i) + " has id " + std::to_string(item.id);
            if (Find(item.key) != &item)
                return name + ": item " + std::to_string(i) + " is not found by its key";
        }
        items += folder.items.size();
        for (std::size_t i = 0; i < node->children.size(); ++i) {
            const CSiteNode* child = node->children[i].get();
            if (child->parent != node || child->position != i)
                return name + ": child " + std::to_string(i) + " does not know its place";
            pending.push_back(child);
        }
    }
    if (folders != folderCount || items != itemCount) return "the counts are wrong";
    const auto liveFolders =
        std::count_if(folderSlots.begin(), folderSlots.end(), [](const CSiteNode* n) { return n; });
    const auto liveItems = std::count_if(itemSlots.begin(), itemSlots.end(),
                                         [](const ItemSlot& slot) { return slot.folder != 0; });
    if (static_cast<std::size_t>(liveFolders) != folders ||
        static_cast<std::size_t>(liveItems) != items)
        return "keys name records that are not in the tree";
    if (clipboard.folderNode) {
        if (clipboard.holdsRows || Node(clipboard.folderNode) == nullptr ||
            clipboard.folderNode == root->key)
            return "the cut/copy state names a folder that cannot be pasted";
    } else if (clipboard.holdsRows) {
        if (clipboard.folderKeys.empty() && clipboard.itemKeys.empty())
            return "the cut/copy state holds no rows";
        for (CFolderKey key : clipboard.folderKeys)
            if (!Node(key)) return "the cut/copy state names a deleted folder";
        for (CItemKey key : clipboard.itemKeys)
            if (!Find(key)) return "the cut/copy state names a deleted item";
    } else if (clipboard.cut || !clipboard.folderKeys.empty() || !clipboard.itemKeys.empty()) {
        return "the cut/copy state is half empty";
    }
    return {};
}
