#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SiteFolder.h"

class CSiteTree;

// One node of the website tree: the root or a sub-site. It owns its folder and its child nodes.
// A node's label in the tree is always its folder's caption.
class CSiteNode {
public:
    CSiteNode(const CSiteNode&) = delete;
    CSiteNode& operator=(const CSiteNode&) = delete;
    // Tears the subtree down without recursion, so a hostile file with a very deep tree cannot
    // exhaust the stack.
    ~CSiteNode();

    CSiteFolder& Folder() { return *folder; }
    const CSiteFolder& Folder() const { return *folder; }
    const std::string& Label() const { return folder->caption; }
    CSiteNode* Parent() const { return parent; }
    std::size_t ChildCount() const { return children.size(); }
    CSiteNode* Child(std::size_t index) const { return children[index].get(); }
    const std::vector<std::unique_ptr<CSiteNode>>& Children() const { return children; }
    // Position among the parent's children (0 for the root).
    std::size_t IndexInParent() const;
    CSiteNode* PreviousSibling() const;
    CSiteNode* NextSibling() const;
    // The first child whose folder has that id, or null.
    CSiteNode* FindChildByFolderId(std::int32_t folderId) const;
    // Number of nodes above this one (0 for the root).
    int Depth() const;

private:
    friend class CSiteTree;
    explicit CSiteNode(std::unique_ptr<CSiteFolder> ownedFolder) : folder(std::move(ownedFolder)) {}

    std::unique_ptr<CSiteFolder> folder;
    CSiteNode* parent = nullptr;
    std::vector<std::unique_ptr<CSiteNode>> children;
};

// The cut/copy state: either one node cut or copied in the tree (folderNode), or rows cut or
// copied in the list (sub-site rows by folder id, item rows by item id, taken from sourceNode).
struct CSiteClipboard {
    bool cut = false;
    bool holdsRows = false;
    CSiteNode* folderNode = nullptr;
    CSiteNode* sourceNode = nullptr;
    std::vector<std::int32_t> folderIds;
    std::vector<std::int32_t> itemIds;

    void Clear() { *this = CSiteClipboard{}; }
    bool IsEmpty() const { return folderNode == nullptr && !holdsRows; }
};

// The website tree and every structural operation on it. The tree views of the window only call
// these; they hold no data of their own.
class CSiteTree {
public:
    CSiteTree();  // the default project: a root "Index"
    CSiteTree(const CSiteTree&) = delete;
    CSiteTree& operator=(const CSiteTree&) = delete;
    ~CSiteTree();

    CSiteNode* Root() const { return root.get(); }

    // --- project state -------------------------------------------------------------------
    bool IsModified() const { return modified; }
    // A set flag also makes the next Preview export again.
    void SetModified(bool flag);
    bool IsExportPending() const { return exportPending; }
    void SetExportPending(bool flag) { exportPending = flag; }
    std::int32_t NextFolderId() const { return nextFolderId; }
    CSiteClipboard& Clipboard() { return clipboard; }
    const CSiteClipboard& Clipboard() const { return clipboard; }

    // --- building ------------------------------------------------------------------------
    // Replaces the tree by a root "Index" (the folder counter goes on counting), clears the
    // cut/copy state and the modified flag.
    CSiteNode& NewProject();
    // Drops every node and starts the folder counter at 0 again (a load renumbers the folders).
    void Clear();
    // Exchanges the whole project with another tree: nodes, folder counter, flags and the
    // cut/copy state (which only ever refers to its own tree's nodes).
    void Swap(CSiteTree& other) noexcept;
    // Makes the folder the root (any old tree is dropped); it gets the next folder id.
    CSiteNode& SetRoot(std::unique_ptr<CSiteFolder> folder);
    // Appends the folder as the last child of parent; it gets the next folder id.
    CSiteNode& AppendChild(CSiteNode& parent, std::unique_ptr<CSiteFolder> folder);

    // --- commands --------------------------------------------------------------------------
    // A new sub-site "New SubSite" as the last child of parent.
    CSiteNode& NewFolder(CSiteNode& parent);
    // A new item "New Item" at the end of the node's folder.
    CSiteItem& NewItem(CSiteNode& node);
    void RenameFolder(CSiteNode& node, std::string caption);
    // Deletes a node with all its descendants; the root is never deleted (false).
    bool DeleteNode(CSiteNode* node);
    // Removes one item; the ids above it shift down.
    void RemoveItem(CSiteNode& node, std::int32_t itemId);
    // Deletes list rows of the node's folder: sub-site rows by folder id, item rows by item id.
    void DeleteRows(CSiteNode& node, const std::vector<std::int32_t>& folderIds,
                    const std::vector<std::int32_t>& itemIds);
    bool DeleteChildFolder(CSiteNode& parent, std::int32_t folderId);
    std::vector<std::string> GetChildLabels(const CSiteNode& node) const;

    // --- cut, copy, paste ------------------------------------------------------------------
    void Copy(CSiteNode& node);  // ignored for the root
    void Cut(CSiteNode& node);   // ignored for the root
    // Rows of the source node's list: sub-sites by folder id, items by item id.
    void CopyRows(CSiteNode& source, bool cut, std::vector<std::int32_t> folderIds,
                  std::vector<std::int32_t> itemIds);
    // Whether Paste onto target would do something.
    bool CanPaste(const CSiteNode& target) const;
    // Pastes the cut/copy state into target. False when there was nothing to paste or the
    // folder paste was refused (target is the node itself or lies below it); then nothing
    // changed. A pasted cut clears the state; a copy can be pasted again and again.
    bool Paste(CSiteNode& target);
    // Copies node below target unless target is node or lies below it.
    bool PasteFolder(CSiteNode& target, const CSiteNode& node);
    // A copy of node and its descendants under target, with new folder ids. The copy goes to
    // its alphabetical place among target's children; its descendants keep their order.
    CSiteNode& CopySubtree(const CSiteNode& node, CSiteNode& target);
    // Moves node with its descendants to the end of target's children; records and ids stay.
    CSiteNode& MoveSubtree(CSiteNode& node, CSiteNode& target);

    // --- reordering and drag and drop ------------------------------------------------------
    // True when a is b or lies below b.
    static bool IsWithin(const CSiteNode* a, const CSiteNode* b);
    // A drop of source on target is valid when both exist and differ, target is not below
    // source, and target is not already source's parent.
    static bool IsValidDrop(const CSiteNode* source, const CSiteNode* target);
    // Swaps the node with its previous / next sibling; false when there is none.
    bool MoveUp(CSiteNode& node);
    bool MoveDown(CSiteNode& node);
    // Moves the child of parent with that folder id; false when there is no such child or no
    // sibling in that direction.
    bool MoveChildFolder(CSiteNode& parent, bool down, std::int32_t folderId);
    // Swaps an item with its neighbour (and their ids); false at either end.
    bool MoveItem(CSiteNode& node, std::int32_t itemId, bool down);

    // --- traversal -------------------------------------------------------------------------
    // Visits every node depth first (each node before its children, children in order) with
    // its depth, without recursion.
    template <typename Visitor>
    void ForEachDepthFirst(Visitor&& visit) const {
        if (!root) return;
        std::vector<std::pair<const CSiteNode*, int>> stack{{root.get(), 0}};
        while (!stack.empty()) {
            auto [node, depth] = stack.back();
            stack.pop_back();
            visit(*node, depth);
            for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
                stack.emplace_back(it->get(), depth + 1);
        }
    }
    std::size_t FolderCount() const;
    std::size_t ItemCount() const;

private:
    CSiteNode& InsertChild(CSiteNode& parent, std::size_t index, std::unique_ptr<CSiteNode> node);
    std::unique_ptr<CSiteNode> Detach(CSiteNode& node);
    // Forgets cut/copy references into a subtree that is about to go.
    void ForgetSubtree(const CSiteNode& node);
    // Item rows are held by id, which is a position: once the source folder's items are removed
    // or reordered the ids name other items, so the rows are forgotten.
    void ForgetItemRowsOf(const CSiteNode& node);
    std::int32_t TakeFolderId() { return nextFolderId++; }

    std::unique_ptr<CSiteNode> root;
    std::int32_t nextFolderId = 0;
    bool modified = false;
    bool exportPending = true;
    CSiteClipboard clipboard;
};

inline constexpr const char* kRootCaption = "Index";
inline constexpr const char* kNewFolderCaption = "New SubSite";
inline constexpr const char* kNewItemCaption = "New Item";
