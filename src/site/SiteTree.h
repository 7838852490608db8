#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "SiteChange.h"
#include "SiteClipboard.h"
#include "SiteEditRecords.h"
#include "SiteFolder.h"
#include "SiteKey.h"

// One node of the website tree: the root or a sub-site, owning its folder record and its child
// nodes. Callers see nodes only as const and only between two edits: every change goes through
// CSiteTree, and a node may be gone after any change. Keep a CFolderKey instead of a pointer.
class CSiteNode {
    struct Token {
        explicit Token() = default;
    };

public:
    explicit CSiteNode(Token) {}  // only the tree makes nodes
    CSiteNode(const CSiteNode&) = delete;
    CSiteNode& operator=(const CSiteNode&) = delete;
    // Tears the subtree down without recursion, so a hostile file with a very deep tree cannot
    // exhaust the stack.
    ~CSiteNode();

    CFolderKey Key() const { return key; }
    const CSiteFolder& Folder() const { return folder; }
    // A node's label in the tree is always its folder's caption.
    std::string_view Label() const { return folder.caption; }
    const CSiteNode* Parent() const { return parent; }
    std::size_t ChildCount() const { return children.size(); }
    const CSiteNode* Child(std::size_t index) const { return children[index].get(); }
    const std::vector<std::unique_ptr<CSiteNode>>& Children() const { return children; }
    // Position among the parent's children (0 for the root).
    std::size_t IndexInParent() const { return position; }
    const CSiteNode* PreviousSibling() const;
    const CSiteNode* NextSibling() const;
    // Whether this node is `other` or lies below it.
    bool LiesWithin(const CSiteNode* other) const;
    // Number of nodes above this one (0 for the root).
    int Depth() const;

private:
    friend class CSiteTree;
    friend class CSiteTreeLoader;

    CFolderKey key;
    CSiteFolder folder;
    CSiteNode* parent = nullptr;
    std::size_t position = 0;
    std::vector<std::unique_ptr<CSiteNode>> children;
};

struct CSiteFolderResult {
    CSiteStatus status = CSiteStatus::Done;
    CFolderKey key;  // the new folder when Done

    explicit operator bool() const { return status == CSiteStatus::Done; }
};

struct CSiteItemResult {
    CSiteStatus status = CSiteStatus::Done;
    CItemKey key;  // the new item when Done

    explicit operator bool() const { return status == CSiteStatus::Done; }
};

// The website tree of one project and every operation on it. It keeps every rule of the tree
// itself: one root, no cycles, every folder id distinct, every folder's items numbered 0, 1,
// 2 ... with itemCount matching. Each operation checks its own preconditions and returns what
// it refused (CSiteStatus); an operation that changes the tree tells the observers. Records are
// read through const nodes and looked up by key in constant time.
class CSiteTree {
public:
    CSiteTree();  // the default project: a root "Index" with folder id 0
    // A project whose root is that record (with its items); its folder id becomes 0.
    explicit CSiteTree(CSiteFolder root);
    // A copy of the whole project (records, keys, folder ids, cut/copy state) that
    // shares nothing that can change with this one, so that it can be read on another thread
    // while this one is edited. Observers are not copied.
    CSiteTree(const CSiteTree& other);
    CSiteTree& operator=(const CSiteTree&) = delete;
    ~CSiteTree();

    void AddObserver(CSiteTreeObserver* observer);
    void RemoveObserver(CSiteTreeObserver* observer);

    // --- reading ---------------------------------------------------------------------------
    const CSiteNode* Root() const { return root.get(); }  // never null
    CFolderKey RootKey() const { return root->key; }
    // The folder or item with that key, or null when the tree holds none. The pointer is good
    // until the next change of the tree.
    const CSiteNode* Find(CFolderKey key) const;
    const CSiteItem* Find(CItemKey key) const;
    // The folder that holds the item (none when there is no such item).
    CFolderKey FolderOf(CItemKey key) const;
    // True when a is b or lies below b (false when either is unknown).
    bool IsWithin(CFolderKey a, CFolderKey b) const;
    // A drop of source on target is valid when both exist and differ, target is not below
    // source, and target is not already source's parent.
    bool IsValidDrop(CFolderKey source, CFolderKey target) const;
    std::vector<std::string> GetChildLabels(CFolderKey key) const;
    // Visits every node depth first (each node before its children, children in order) with
    // its depth, without recursion.
    template <typename Visitor>
    void ForEachDepthFirst(Visitor&& visit) const {
        std::vector<std::pair<const CSiteNode*, int>> stack{{root.get(), 0}};
        while (!stack.empty()) {
            auto [node, depth] = stack.back();
            stack.pop_back();
            visit(*node, depth);
            for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
                stack.emplace_back(it->get(), depth + 1);
        }
    }
    std::size_t FolderCount() const { return folderCount; }
    std::size_t ItemCount() const { return itemCount; }

    // --- project state ---------------------------------------------------------------------
    std::int32_t NextFolderId() const { return nextFolderId; }
    const CSiteClipboard& Clipboard() const { return clipboard; }
    void ClearClipboard() { clipboard.Clear(); }

    // Replaces the tree by a root "Index" (the folder counter goes on counting) and clears the
    // cut/copy state.
    void NewProject();
    // Exchanges the whole project with another tree; the observers of both stay with their
    // trees and are told of a Reset.
    void Swap(CSiteTree& other) noexcept;
    // Keeps storage alive that texts of this project borrow from (CSiteText::Borrow), until
    // the project is replaced; copies of the tree share it.
    void KeepTexts(std::shared_ptr<const void> storage);
    // That storage, for copies of records that outlive the tree.
    const std::vector<std::shared_ptr<const void>>& KeptTexts() const { return textStorage; }

    // --- building --------------------------------------------------------------------------
    // Appends a folder record with its items as the last child of parent. The folder gets the
    // next folder id, the items new keys and the ids of their positions.
    CSiteFolderResult AddFolder(CFolderKey parent, CSiteFolder folder);
    // Appends a folder with that caption and description.
    CSiteFolderResult AddFolder(CFolderKey parent, CSiteText caption, CSiteText description = {});
    // Appends an item to the folder.
    CSiteItemResult AddItem(CFolderKey folder, CSiteText caption, CSiteText url = {},
                            CSiteText description = {});
    // Appends items to the folder (their keys and ids are given here).
    CSiteStatus AddItems(CFolderKey folder, std::vector<CSiteItem> items);

    // --- commands --------------------------------------------------------------------------
    // A new sub-site "New SubSite" as the last child of parent.
    CSiteFolderResult NewFolder(CFolderKey parent);
    // A new item "New Item" at the end of the folder.
    CSiteItemResult NewItem(CFolderKey folder);
    // Sets a text of a folder (caption or description) or of an item. Setting the text a
    // record already has changes nothing.
    CSiteStatus SetText(CFolderKey folder, CSiteField field, CSiteText text);
    CSiteStatus SetText(CItemKey item, CSiteField field, CSiteText text);
    CSiteStatus RenameFolder(CFolderKey folder, CSiteText caption) {
        return SetText(folder, CSiteField::Caption, std::move(caption));
    }
    // Deletes a folder with all its descendants; never the root.
    CSiteStatus DeleteFolder(CFolderKey folder);
    // Deletes an item; the ids of the items behind it go down by one.
    CSiteStatus DeleteItem(CItemKey item);
    // Deletes rows of a folder's list: sub-sites of that folder and items of it. Refused whole
    // (NotARow) when any key is not a row of the folder.
    CSiteStatus DeleteRows(CFolderKey folder, const std::vector<CFolderKey>& folders,
                           const std::vector<CItemKey>& items);

    // --- cut, copy, paste ------------------------------------------------------------------
    CSiteStatus Copy(CFolderKey folder);  // not the root
    CSiteStatus Cut(CFolderKey folder);   // not the root
    // Rows of the source folder's list: sub-sites of it and items of it, in row order.
    CSiteStatus CopyRows(CFolderKey source, bool cut, std::vector<CFolderKey> folders,
                         std::vector<CItemKey> items);
    // Whether Paste into target would paste something.
    bool CanPaste(CFolderKey target) const;
    // Pastes the cut/copy state into target: folders as copies (new keys and folder ids) at
    // their alphabetical places, items as copies appended in row order. A folder is never
    // pasted into itself or below itself (those are left out; IntoItself when nothing else is
    // left). A pasted cut deletes what it pasted from and clears the state; a copy can be
    // pasted again and again.
    CSiteStatus Paste(CFolderKey target);
    // A copy of source and its descendants under target, with new keys and folder ids, at its
    // alphabetical place among target's children; its descendants keep their order.
    CSiteFolderResult CopySubtree(CFolderKey source, CFolderKey target);
    // Moves source with its descendants to the end of target's children; records, keys and
    // ids stay.
    CSiteStatus MoveSubtree(CFolderKey source, CFolderKey target);
    // Moves a folder to a position among parent's children (counted without the folder).
    CSiteStatus MoveFolder(CFolderKey folder, CFolderKey parent, std::size_t position);
    // A drop of source on target (IsValidDrop): a copy or a move.
    CSiteStatus Drop(CFolderKey source, CFolderKey target, bool copy);

    // --- reordering ------------------------------------------------------------------------
    // Swaps the folder with its previous / next sibling.
    CSiteStatus MoveUp(CFolderKey folder);
    CSiteStatus MoveDown(CFolderKey folder);
    // Swaps an item with its neighbour (and their ids).
    CSiteStatus MoveItem(CItemKey item, bool down);
    // Moves an item to another position of its folder.
    CSiteStatus MoveItemTo(CItemKey item, std::size_t position);

    // --- undo ------------------------------------------------------------------------------
    // While a record is set, every change is also written into it (null stops recording).
    void RecordInto(CSiteEditRecord* record);
    // Takes back, or does again, what a record holds.
    CSiteStatus Undo(CSiteEditRecord& record);
    CSiteStatus Redo(CSiteEditRecord& record);

    // The first broken rule of the tree, or "" when every rule holds. For tests and checks.
    std::string CheckInvariants() const;

private:
    // The project file reader, which builds a tree record by record at the speed of the disk.
    friend class CSiteTreeLoader;

    struct ItemSlot {
        std::uint32_t folder = 0;  // key of the holding folder; 0 when the item is not in the tree
        std::uint32_t position = 0;
    };

    void StartProject(CSiteFolder rootFolder);
    CSiteNode* Node(CFolderKey key) const;
    CSiteNode* ItemNode(CItemKey key, std::size_t& position) const;
    CFolderKey TakeFolderKey();
    CItemKey TakeItemKey();
    std::unique_ptr<CSiteNode> MakeNode(CSiteFolder folder);
    std::unique_ptr<CSiteNode> CopyBranch(const CSiteNode& source);
    // Inserts a copy of source at its alphabetical place among target's children.
    CFolderKey InsertCopy(const CSiteNode& source, CSiteNode& target);
    void Notify(bool ended, const CSiteChange& change);
    void Changed();

    // The primitive changes: each tells the observers, keeps keys and positions right and
    // writes a step into the record being made, if any.
    void InsertNode(CSiteNode& parent, std::size_t position, std::unique_ptr<CSiteNode> node);
    void RemoveNode(CSiteNode& node);
    void MoveNode(CSiteNode& node, CSiteNode& parent, std::size_t position);
    void InsertItems(CSiteNode& node, std::size_t position, std::vector<CSiteItem> items);
    void RemoveItems(CSiteNode& node, std::size_t first, std::size_t count);
    void MoveItemWithin(CSiteNode& node, std::size_t from, std::size_t to);
    void ExchangeText(CSiteNode& node, CItemKey item, CSiteField field, CSiteText& text);
    // The same without recording, for replaying records.
    void AttachNode(CSiteNode& parent, std::size_t position, std::unique_ptr<CSiteNode> node);
    std::unique_ptr<CSiteNode> DetachNode(CSiteNode& node);
    void RelocateNode(CSiteNode& node, CSiteNode& parent, std::size_t position);
    void AttachItems(CSiteNode& node, std::size_t position, std::vector<CSiteItem> items);
    std::vector<CSiteItem> DetachItems(CSiteNode& node, std::size_t first, std::size_t count);
    void RelocateItem(CSiteNode& node, std::size_t from, std::size_t to);
    void SwapText(CSiteNode& node, CItemKey item, CSiteField field, CSiteText& text);

    void Register(CSiteNode& top);
    void Unregister(CSiteNode& top);
    void RenumberItems(CSiteNode& node, std::size_t from);
    void RenumberChildren(CSiteNode& node, std::size_t from);
    void RemoveItemKeys(CSiteNode& node, std::vector<CItemKey> keys);
    // Forgets what the cut/copy state names that is no longer in the tree.
    void PruneClipboard();
    bool Replay(CSiteEditRecord& record, bool forward);

    std::unique_ptr<CSiteNode> root;
    std::vector<CSiteNode*> folderSlots;  // by key value; null: not in the tree
    std::vector<ItemSlot> itemSlots;      // by key value
    std::vector<std::shared_ptr<const void>> textStorage;
    std::size_t folderCount = 0;
    std::size_t itemCount = 0;
    std::uint64_t project = 0;
    std::int32_t nextFolderId = 0;
    bool clipboardStale = false;
    CSiteClipboard clipboard;
    CSiteEditRecord* recording = nullptr;
    std::vector<CSiteTreeObserver*> observers;
};

inline constexpr const char* kRootCaption = "Index";
inline constexpr const char* kNewFolderCaption = "New SubSite";
inline constexpr const char* kNewItemCaption = "New Item";
