#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "SiteTree.h"

struct CSiteEditRecord::Step {
    enum class Kind { Folder, Items, FolderMove, ItemMove, Text };

    Kind kind = Kind::Folder;
    // Folder, Items: whether the edit put the records into the tree (else it took them out).
    bool inserted = false;
    CFolderKey folder{};  // the folder concerned; for items and texts of items, their folder
    CFolderKey parent{};
    std::size_t position = 0;  // in parent (folders) or in folder (items); where a move starts
    CFolderKey toParent{};
    std::size_t toPosition = 0;
    std::size_t count = 0;
    std::unique_ptr<CSiteNode> subtree{};  // the folder while it is out of the tree
    std::vector<CSiteItem> items{};        // the items while they are out of the tree
    CItemKey item{};
    CSiteField field = CSiteField::Caption;
    CSiteText text{};  // the text the record does not hold at the moment
};

CSiteEditRecord::CSiteEditRecord() = default;
CSiteEditRecord::CSiteEditRecord(CSiteEditRecord&&) noexcept = default;
CSiteEditRecord& CSiteEditRecord::operator=(CSiteEditRecord&&) noexcept = default;
CSiteEditRecord::~CSiteEditRecord() = default;

// The primitive changes of the tree, written into the record being made.

void CSiteTree::InsertNode(CSiteNode& parent, std::size_t position,
                           std::unique_ptr<CSiteNode> node) {
    const CFolderKey key = node->key;
    AttachNode(parent, position, std::move(node));
    if (recording)
        recording->steps.push_back({.kind = CSiteEditRecord::Step::Kind::Folder,
                                    .inserted = true,
                                    .folder = key,
                                    .parent = parent.key,
                                    .position = position});
}

void CSiteTree::RemoveNode(CSiteNode& node) {
    const CFolderKey key = node.key;
    const CFolderKey parent = node.parent->key;
    const std::size_t position = node.position;
    std::unique_ptr<CSiteNode> subtree = DetachNode(node);
    if (recording)
        recording->steps.push_back({.kind = CSiteEditRecord::Step::Kind::Folder,
                                    .folder = key,
                                    .parent = parent,
                                    .position = position,
                                    .subtree = std::move(subtree)});
}

void CSiteTree::MoveNode(CSiteNode& node, CSiteNode& parent, std::size_t position) {
    const CFolderKey oldParent = node.parent->key;
    const std::size_t from = node.position;
    RelocateNode(node, parent, position);
    if (recording)
        recording->steps.push_back({.kind = CSiteEditRecord::Step::Kind::FolderMove,
                                    .folder = node.key,
                                    .parent = oldParent,
                                    .position = from,
                                    .toParent = parent.key,
                                    .toPosition = position});
}

void CSiteTree::InsertItems(CSiteNode& node, std::size_t position, std::vector<CSiteItem> items) {
    const std::size_t count = items.size();
    if (count == 0) return;
    AttachItems(node, position, std::move(items));
    if (recording)
        recording->steps.push_back({.kind = CSiteEditRecord::Step::Kind::Items,
                                    .inserted = true,
                                    .folder = node.key,
                                    .position = position,
                                    .count = count});
}

void CSiteTree::RemoveItems(CSiteNode& node, std::size_t first, std::size_t count) {
    std::vector<CSiteItem> taken = DetachItems(node, first, count);
    if (recording)
        recording->steps.push_back({.kind = CSiteEditRecord::Step::Kind::Items,
                                    .folder = node.key,
                                    .position = first,
                                    .count = count,
                                    .items = std::move(taken)});
}

void CSiteTree::MoveItemWithin(CSiteNode& node, std::size_t from, std::size_t to) {
    RelocateItem(node, from, to);
    if (recording)
        recording->steps.push_back({.kind = CSiteEditRecord::Step::Kind::ItemMove,
                                    .folder = node.key,
                                    .position = from,
                                    .toPosition = to});
}

void CSiteTree::ExchangeText(CSiteNode& node, CItemKey item, CSiteField field, CSiteText& text) {
    SwapText(node, item, field, text);
    if (recording)
        recording->steps.push_back({.kind = CSiteEditRecord::Step::Kind::Text,
                                    .folder = node.key,
                                    .item = item,
                                    .field = field,
                                    .text = std::move(text)});
}

// --- undo ---------------------------------------------------------------------------------------

void CSiteTree::RecordInto(CSiteEditRecord* record) {
    recording = record;
    if (record && record->steps.empty()) {
        record->project = project;
        record->undone = false;
    }
}

CSiteStatus CSiteTree::Undo(CSiteEditRecord& record) {
    if (recording || record.project != project || record.undone) return CSiteStatus::WrongProject;
    const bool replayed = Replay(record, false);
    record.undone = true;
    Changed();
    return replayed ? CSiteStatus::Done : CSiteStatus::WrongProject;
}

CSiteStatus CSiteTree::Redo(CSiteEditRecord& record) {
    if (recording || record.project != project || !record.undone) return CSiteStatus::WrongProject;
    const bool replayed = Replay(record, true);
    record.undone = false;
    Changed();
    return replayed ? CSiteStatus::Done : CSiteStatus::WrongProject;
}

bool CSiteTree::Replay(CSiteEditRecord& record, bool forward) {
    using Kind = CSiteEditRecord::Step::Kind;
    const std::size_t count = record.steps.size();
    for (std::size_t n = 0; n < count; ++n) {
        CSiteEditRecord::Step& step = record.steps[forward ? n : count - 1 - n];
        switch (step.kind) {
            case Kind::Folder: {
                CSiteNode* parent = Node(step.parent);
                if (!parent) return false;
                if (step.inserted == forward) {
                    if (!step.subtree || step.position > parent->children.size()) return false;
                    AttachNode(*parent, step.position, std::move(step.subtree));
                } else {
                    CSiteNode* node = Node(step.folder);
                    if (!node || node->parent != parent || node->position != step.position)
                        return false;
                    step.subtree = DetachNode(*node);
                }
                break;
            }
            case Kind::Items: {
                CSiteNode* node = Node(step.folder);
                if (!node) return false;
                const std::size_t size = node->folder.items.size();
                if (step.inserted == forward) {
                    if (step.position > size || step.items.size() != step.count) return false;
                    AttachItems(*node, step.position, std::move(step.items));
                    step.items.clear();
                } else {
                    if (step.position + step.count > size) return false;
                    step.items = DetachItems(*node, step.position, step.count);
                }
                break;
            }
            case Kind::FolderMove: {
                CSiteNode* node = Node(step.folder);
                CSiteNode* from = Node(forward ? step.parent : step.toParent);
                CSiteNode* onto = Node(forward ? step.toParent : step.parent);
                const std::size_t at = forward ? step.position : step.toPosition;
                const std::size_t to = forward ? step.toPosition : step.position;
                if (!node || !from || !onto || node->parent != from || node->position != at ||
                    onto->LiesWithin(node) || to > onto->children.size() - (from == onto ? 1 : 0))
                    return false;
                RelocateNode(*node, *onto, to);
                break;
            }
            case Kind::ItemMove: {
                CSiteNode* node = Node(step.folder);
                const std::size_t at = forward ? step.position : step.toPosition;
                const std::size_t to = forward ? step.toPosition : step.position;
                if (!node || at >= node->folder.items.size() || to >= node->folder.items.size())
                    return false;
                RelocateItem(*node, at, to);
                break;
            }
            case Kind::Text: {
                std::size_t position = 0;
                CSiteNode* node = step.item ? ItemNode(step.item, position) : Node(step.folder);
                if (!node || node->key != step.folder) return false;
                SwapText(*node, step.item, step.field, step.text);
                break;
            }
        }
    }
    return true;
}
