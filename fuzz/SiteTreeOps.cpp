#include "SiteTreeOps.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteImport.h"
#include "SiteTree.h"

namespace {

class Input {
public:
    explicit Input(std::span<const std::uint8_t> data) : bytes(data) {}

    bool AtEnd() const { return at >= bytes.size(); }
    std::uint8_t Byte() { return at < bytes.size() ? bytes[at++] : 0; }
    // A number below n (0 when n is 0).
    std::size_t Below(std::size_t n) {
        if (n == 0) return 0;
        const std::size_t value = n > 256 ? Byte() * 256u + Byte() : Byte();
        return value % n;
    }
    bool Flag() { return (Byte() & 1) != 0; }
    template <typename T>
    T Pick(const std::vector<T>& values) {
        return values.empty() ? T{} : values[Below(values.size())];
    }

private:
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
};

// The tree as text: with keys and folder ids every record is told apart; without them two
// projects with the same contents give the same text.
std::string Outline(const CSiteTree& tree, bool withKeys) {
    std::string text;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int depth) {
        text += std::string(static_cast<std::size_t>(depth), ' ');
        text += node.Label();
        if (withKeys)
            text += "#" + std::to_string(node.Key().value) + "/" + std::to_string(node.Folder().id);
        text += "[" + node.Folder().description.Str() + "]" +
                std::to_string(node.Folder().itemCount) + "\n";
        for (const CSiteItem& item : node.Folder().items) {
            text += " " + std::to_string(item.id);
            if (withKeys) text += "#" + std::to_string(item.key.value);
            text += " " + item.caption.Str() + "|" + item.url.Str() + "|" + item.description.Str() +
                    "\n";
        }
    });
    return text;
}

// Follows the tree from its notices alone; any notice that does not fit what it knows, or a
// tree that no longer matches it after a step, is a problem.
class Mirror : public CSiteTreeObserver {
public:
    explicit Mirror(const CSiteTree& watched) : tree(watched) { Rebuild(); }

    std::string problem;
    std::size_t changesTold = 0;  // every change ended, as the document counts its revisions

    void ChangeBegins(const CSiteChange& c) override {
        using Kind = CSiteChange::Kind;
        switch (c.kind) {
            case Kind::Reset:
                break;
            case Kind::FolderInserted:
                Require(Has(c.parent) && !Has(c.folder) &&
                            c.position <= folders[c.parent.value].children.size(),
                        "folder insert");
                Require(ChildrenMatch(c.parent), "insert told after the change");
                break;
            case Kind::FolderRemoved:
            case Kind::FolderMoved:
                Require(ChildAt(c.parent, c.position) == c.folder.value, "folder leaves");
                Require(ChildrenMatch(c.parent), "remove told after the change");
                if (c.kind == Kind::FolderMoved) Require(Has(c.toParent), "move target");
                break;
            case Kind::ItemsInserted:
                Require(Has(c.folder) && c.position <= folders[c.folder.value].items.size(),
                        "items insert");
                Require(ItemsMatch(c.folder), "items told after the change");
                break;
            case Kind::ItemsRemoved:
            case Kind::ItemMoved: {
                const std::size_t last = c.kind == Kind::ItemsRemoved
                                             ? c.position + c.count
                                             : std::max(c.position, c.toPosition) + 1;
                Require(Has(c.folder) && last <= folders[c.folder.value].items.size() &&
                            (c.kind == Kind::ItemMoved || c.count > 0),
                        "items leave");
                Require(ItemsMatch(c.folder), "items told after the change");
                break;
            }
            case Kind::TextChanged:
                Require(Has(c.folder), "text of an unknown folder");
                if (c.item)
                    Require(Has(c.folder) && Contains(folders[c.folder.value].items, c.item.value),
                            "text of an unknown item");
                break;
        }
    }

    void ChangeEnded(const CSiteChange& c) override {
        using Kind = CSiteChange::Kind;
        ++changesTold;
        if (!problem.empty()) return;
        switch (c.kind) {
            case Kind::Reset:
                Rebuild();
                break;
            case Kind::FolderInserted: {
                const CSiteNode* node = tree.Find(c.folder);
                Require(node && node->Parent() && node->Parent()->Key() == c.parent &&
                            node->IndexInParent() == c.position,
                        "inserted folder is elsewhere");
                if (!node) return;
                auto& children = folders[c.parent.value].children;
                children.insert(children.begin() + static_cast<std::ptrdiff_t>(c.position),
                                c.folder.value);
                AddSubtree(*node);
                break;
            }
            case Kind::FolderRemoved: {
                auto& children = folders[c.parent.value].children;
                children.erase(children.begin() + static_cast<std::ptrdiff_t>(c.position));
                RemoveSubtree(c.folder.value);
                Require(!tree.Find(c.folder), "removed folder still found");
                break;
            }
            case Kind::FolderMoved: {
                auto& from = folders[c.parent.value].children;
                from.erase(from.begin() + static_cast<std::ptrdiff_t>(c.position));
                auto& to = folders[c.toParent.value].children;
                Require(c.toPosition <= to.size(), "move position");
                if (c.toPosition > to.size()) return;
                to.insert(to.begin() + static_cast<std::ptrdiff_t>(c.toPosition), c.folder.value);
                const CSiteNode* node = tree.Find(c.folder);
                Require(node && node->Parent()->Key() == c.toParent &&
                            node->IndexInParent() == c.toPosition,
                        "moved folder is elsewhere");
                break;
            }
            case Kind::ItemsInserted: {
                const CSiteNode* node = tree.Find(c.folder);
                auto& items = folders[c.folder.value].items;
                Require(node && c.position + c.count <= node->Folder().items.size(), "items in");
                if (!node || c.position + c.count > node->Folder().items.size()) return;
                for (std::size_t i = 0; i < c.count; ++i)
                    items.insert(items.begin() + static_cast<std::ptrdiff_t>(c.position + i),
                                 node->Folder().items[c.position + i].key.value);
                break;
            }
            case Kind::ItemsRemoved: {
                auto& items = folders[c.folder.value].items;
                for (std::size_t i = c.position; i < c.position + c.count; ++i)
                    Require(!tree.Find(CItemKey{items[i]}), "removed item still found");
                items.erase(items.begin() + static_cast<std::ptrdiff_t>(c.position),
                            items.begin() + static_cast<std::ptrdiff_t>(c.position + c.count));
                break;
            }
            case Kind::ItemMoved: {
                auto& items = folders[c.folder.value].items;
                const auto at = [&](std::size_t i) {
                    return items.begin() + static_cast<std::ptrdiff_t>(i);
                };
                if (c.position < c.toPosition)
                    std::rotate(at(c.position), at(c.position + 1), at(c.toPosition + 1));
                else
                    std::rotate(at(c.toPosition), at(c.position), at(c.position + 1));
                break;
            }
            case Kind::TextChanged:
                break;
        }
    }

    // Whether what the notices built is the tree.
    void Compare() {
        std::size_t seen = 0;
        tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
            ++seen;
            const auto it = folders.find(node.Key().value);
            if (it == folders.end()) {
                Require(false, "a folder nobody was told of");
                return;
            }
            std::vector<std::uint32_t> children;
            for (const auto& child : node.Children()) children.push_back(child->Key().value);
            std::vector<std::uint32_t> items;
            for (const CSiteItem& item : node.Folder().items) items.push_back(item.key.value);
            Require(children == it->second.children, "children differ from the notices");
            Require(items == it->second.items, "items differ from the notices");
        });
        Require(seen == folders.size(), "folders that were removed without a notice");
    }

private:
    struct Folder {
        std::vector<std::uint32_t> children;
        std::vector<std::uint32_t> items;
    };

    void Require(bool condition, const char* what) {
        if (!condition && problem.empty()) problem = std::string("notice: ") + what;
    }
    bool Has(CFolderKey key) const { return folders.count(key.value) > 0; }
    static bool Contains(const std::vector<std::uint32_t>& keys, std::uint32_t key) {
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    }
    std::uint32_t ChildAt(CFolderKey parent, std::size_t position) const {
        const auto it = folders.find(parent.value);
        return it != folders.end() && position < it->second.children.size()
                   ? it->second.children[position]
                   : 0;
    }
    bool ChildrenMatch(CFolderKey key) const {
        const CSiteNode* node = tree.Find(key);
        return node && Has(key) && node->ChildCount() == folders.at(key.value).children.size();
    }
    bool ItemsMatch(CFolderKey key) const {
        const CSiteNode* node = tree.Find(key);
        return node && Has(key) &&
               node->Folder().items.size() == folders.at(key.value).items.size();
    }
    void Rebuild() {
        folders.clear();
        AddSubtree(*tree.Root());
    }
    void AddSubtree(const CSiteNode& top) {
        std::vector<const CSiteNode*> pending{&top};
        while (!pending.empty()) {
            const CSiteNode* node = pending.back();
            pending.pop_back();
            Folder& folder = folders[node->Key().value];
            folder = {};
            for (const auto& child : node->Children()) {
                folder.children.push_back(child->Key().value);
                pending.push_back(child.get());
            }
            for (const CSiteItem& item : node->Folder().items)
                folder.items.push_back(item.key.value);
        }
    }
    void RemoveSubtree(std::uint32_t top) {
        std::vector<std::uint32_t> pending{top};
        while (!pending.empty()) {
            const std::uint32_t key = pending.back();
            pending.pop_back();
            const auto it = folders.find(key);
            if (it == folders.end()) continue;
            pending.insert(pending.end(), it->second.children.begin(), it->second.children.end());
            folders.erase(it);
        }
    }

    const CSiteTree& tree;
    std::map<std::uint32_t, Folder> folders;
};

class Driver {
public:
    explicit Driver(std::span<const std::uint8_t> bytes) : in(bytes) { tree.AddObserver(&mirror); }
    ~Driver() { tree.RemoveObserver(&mirror); }

    std::string Run() {
        for (int step = 0; step < 2000 && !in.AtEnd(); ++step) {
            std::string failure = Step();
            if (failure.empty()) failure = mirror.problem;
            if (failure.empty()) failure = tree.CheckInvariants();
            if (failure.empty() && copy && Outline(copy->first, true) != copy->second)
                failure = "a copy of the project changed with the original";
            if (!failure.empty()) return failure + "\nafter:\n" + History();
        }
        return {};
    }

private:
    enum class Effect { Edit, Clipboard };
    struct Undoable {
        CSiteEditRecord record;
        std::string before;
        std::string after;
    };

    std::string History() const {
        std::string text;
        const std::size_t from = log.size() > 40 ? log.size() - 40 : 0;
        for (std::size_t i = from; i < log.size(); ++i) text += "  " + log[i] + "\n";
        return text;
    }

    std::string Text() {
        static constexpr char kAlphabet[] = {'a', 'B', 'z', ' ', '0', '\0', '\xC3', '\xA9', '/'};
        std::size_t length = in.Below(6);
        if (in.Below(20) == 0) length = 300;
        std::string text;
        for (std::size_t i = 0; i < length; ++i) text += kAlphabet[in.Below(sizeof kAlphabet)];
        return text;
    }

    std::vector<CFolderKey> LiveFolders() const {
        std::vector<CFolderKey> keys;
        tree.ForEachDepthFirst([&](const CSiteNode& node, int) { keys.push_back(node.Key()); });
        return keys;
    }
    std::vector<CItemKey> LiveItems() const {
        std::vector<CItemKey> keys;
        tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
            for (const CSiteItem& item : node.Folder().items) keys.push_back(item.key);
        });
        return keys;
    }
    // Mostly a folder of the tree, now and then one that is gone or never was.
    CFolderKey AnyFolder() {
        const std::size_t choice = in.Below(16);
        if (choice == 0) return {};
        if (choice == 1) return in.Pick(seenFolders);
        return in.Pick(LiveFolders());
    }
    CItemKey AnyItem() {
        const std::size_t choice = in.Below(16);
        if (choice == 0) return {};
        if (choice == 1) return in.Pick(seenItems);
        return in.Pick(LiveItems());
    }
    // Some sub-sites and items of a folder, in row order, now and then with a stranger.
    std::pair<std::vector<CFolderKey>, std::vector<CItemKey>> Rows(CFolderKey key) {
        std::vector<CFolderKey> folders;
        std::vector<CItemKey> items;
        if (const CSiteNode* node = tree.Find(key)) {
            for (const auto& child : node->Children())
                if (in.Flag()) folders.push_back(child->Key());
            for (const CSiteItem& item : node->Folder().items)
                if (in.Flag()) items.push_back(item.key);
        }
        if (in.Below(12) == 0) items.push_back(AnyItem());
        return {folders, items};
    }

    CImportScan Scan() {
        CImportScan scan;
        scan.found = true;
        scan.isFolder = true;
        std::vector<std::size_t> folders{CImportScan::kTop};
        for (std::size_t n = in.Below(4); n > 0; --n)
            folders.push_back(scan.AddFolder(in.Pick(folders), Text()));
        for (std::size_t n = in.Below(6); n > 0; --n) {
            const std::string name = Text();
            scan.AddFile(in.Pick(folders), "/imported/" + name, name.size());
        }
        return scan;
    }

    void Remember() {
        tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
            if (knownFolders.insert(node.Key().value).second) seenFolders.push_back(node.Key());
            for (const CSiteItem& item : node.Folder().items)
                if (knownItems.insert(item.key.value).second) seenItems.push_back(item.key);
        });
    }

    void Forget() {
        undone.clear();
        redone.clear();
        seenFolders.clear();
        seenItems.clear();
        knownFolders.clear();
        knownItems.clear();
    }

    // One operation with every check around it.
    std::string Step() {
        Remember();
        // Large trees are pruned so that each check stays cheap.
        const bool large = tree.FolderCount() > 120 || tree.ItemCount() > 400;
        const std::size_t op = large ? 4 : in.Below(26);
        std::string name;
        Effect effect = Effect::Edit;
        CSiteStatus status = CSiteStatus::Done;

        switch (op) {
            case 21:
                return Undo();
            case 22:
                return Redo();
            case 23:
                if (in.Below(4) == 0) {
                    copy.emplace(tree, Outline(tree, true));
                    log.push_back("copy the project");
                    if (copy->first.CheckInvariants() != "") return "the copy breaks a rule";
                }
                return {};
            case 24:
                return SaveAndLoad();
            case 25:
                if (in.Below(8) == 0) {
                    log.push_back("new project");
                    tree.NewProject();
                    Forget();
                    mirror.Compare();
                }
                return {};
            default:
                break;
        }

        const std::string before = Outline(tree, true);
        const std::size_t changesBefore = mirror.changesTold;
        const CSiteClipboard clipboard = tree.Clipboard();
        CSiteEditRecord record;
        tree.RecordInto(&record);
        switch (op) {
            case 0: {
                const CFolderKey parent = AnyFolder();
                name = "new folder in " + std::to_string(parent.value);
                status = tree.NewFolder(parent).status;
                break;
            }
            case 1: {
                const CFolderKey folder = AnyFolder();
                name = "new item in " + std::to_string(folder.value);
                status = tree.AddItem(folder, Text(), Text(), Text()).status;
                break;
            }
            case 2: {
                const CFolderKey folder = AnyFolder();
                const auto field = static_cast<CSiteField>(in.Below(3));
                name = "text of folder " + std::to_string(folder.value);
                status = tree.SetText(folder, field, Text());
                break;
            }
            case 3: {
                const CItemKey item = AnyItem();
                const auto field = static_cast<CSiteField>(in.Below(3));
                name = "text of item " + std::to_string(item.value);
                status = tree.SetText(item, field, Text());
                break;
            }
            case 4: {
                const CFolderKey folder = large ? in.Pick(LiveFolders()) : AnyFolder();
                name = "delete folder " + std::to_string(folder.value);
                status = tree.DeleteFolder(folder);
                if (large && status != CSiteStatus::Done) {
                    const CItemKey item = in.Pick(LiveItems());
                    name = "delete item " + std::to_string(item.value);
                    status = tree.DeleteItem(item);
                }
                break;
            }
            case 5: {
                const CItemKey item = AnyItem();
                name = "delete item " + std::to_string(item.value);
                status = tree.DeleteItem(item);
                break;
            }
            case 6: {
                const CFolderKey folder = AnyFolder();
                auto [folders, items] = Rows(folder);
                name = "delete rows of " + std::to_string(folder.value);
                status = tree.DeleteRows(folder, folders, items);
                break;
            }
            case 7:
            case 8: {
                const CFolderKey folder = AnyFolder();
                name = (op == 7 ? "copy " : "cut ") + std::to_string(folder.value);
                status = op == 7 ? tree.Copy(folder) : tree.Cut(folder);
                effect = Effect::Clipboard;
                break;
            }
            case 9: {
                const CFolderKey folder = AnyFolder();
                auto [folders, items] = Rows(folder);
                const bool cut = in.Flag();
                name =
                    std::string(cut ? "cut" : "copy") + " rows of " + std::to_string(folder.value);
                status = tree.CopyRows(folder, cut, std::move(folders), std::move(items));
                effect = Effect::Clipboard;
                break;
            }
            case 10:
            case 11: {
                const CFolderKey target = AnyFolder();
                name = "paste into " + std::to_string(target.value);
                const bool could = tree.CanPaste(target);
                status = tree.Paste(target);
                if (could != (status == CSiteStatus::Done))
                    return "CanPaste said " + std::to_string(could) + " but " + name + ": " +
                           std::string(Describe(status));
                break;
            }
            case 12:
            case 13: {
                const CFolderKey source = AnyFolder();
                const CFolderKey target = AnyFolder();
                const bool copy = op == 12;
                name = std::string(copy ? "copy-drop " : "drop ") + std::to_string(source.value) +
                       " on " + std::to_string(target.value);
                const bool valid = tree.IsValidDrop(source, target);
                status = tree.Drop(source, target, copy);
                if (valid != (status == CSiteStatus::Done)) return name + ": IsValidDrop disagrees";
                break;
            }
            case 14: {
                const CFolderKey folder = AnyFolder();
                const bool down = in.Flag();
                name = std::string(down ? "move down " : "move up ") + std::to_string(folder.value);
                status = down ? tree.MoveDown(folder) : tree.MoveUp(folder);
                break;
            }
            case 15: {
                const CItemKey item = AnyItem();
                const bool down = in.Flag();
                name = std::string(down ? "item down " : "item up ") + std::to_string(item.value);
                status = tree.MoveItem(item, down);
                break;
            }
            case 16: {
                const CItemKey item = AnyItem();
                const std::size_t position = in.Below(8);
                name = "item " + std::to_string(item.value) + " to " + std::to_string(position);
                status = tree.MoveItemTo(item, position);
                break;
            }
            case 17: {
                const CFolderKey folder = AnyFolder();
                const CFolderKey parent = AnyFolder();
                const std::size_t position = in.Below(6);
                name = "move " + std::to_string(folder.value) + " to " +
                       std::to_string(parent.value) + "@" + std::to_string(position);
                status = tree.MoveFolder(folder, parent, position);
                break;
            }
            case 18: {
                const CFolderKey source = AnyFolder();
                const CFolderKey target = AnyFolder();
                name = "move subtree " + std::to_string(source.value) + " to " +
                       std::to_string(target.value);
                status = tree.MoveSubtree(source, target);
                break;
            }
            default: {
                const CFolderKey folder = AnyFolder();
                name = "import into " + std::to_string(folder.value);
                const CImportResult result = AddImportedScan(tree, folder, Scan());
                status = result.status;
                break;
            }
        }
        tree.RecordInto(nullptr);
        log.push_back(name + ": " + std::string(Describe(status)));
        mirror.Compare();

        const std::string after = Outline(tree, true);
        if (status != CSiteStatus::Done) {
            if (after != before || mirror.changesTold != changesBefore)
                return "a refused operation changed the project";
            if (tree.Clipboard().folderNode != clipboard.folderNode ||
                tree.Clipboard().itemKeys != clipboard.itemKeys)
                return "a refused operation changed the cut/copy state";
            return {};
        }
        if (effect == Effect::Clipboard) {
            if (after != before) return "cut or copy changed the tree";
            return {};
        }
        if (after == before) {
            if (!record.Empty()) return "an operation that changed nothing recorded steps";
            return {};
        }
        if (mirror.changesTold == changesBefore) return "a change was not told to the observers";
        if (record.Empty()) return "a change recorded nothing to undo";
        undone.push_back({std::move(record), before, after});
        redone.clear();
        return {};
    }

    std::string Undo() {
        if (undone.empty()) return {};
        Undoable entry = std::move(undone.back());
        undone.pop_back();
        log.push_back("undo");
        const CSiteStatus status = tree.Undo(entry.record);
        mirror.Compare();
        if (status != CSiteStatus::Done) return "undo refused: " + std::string(Describe(status));
        if (Outline(tree, true) != entry.before) return "undo did not give back the tree before";
        redone.push_back(std::move(entry));
        return {};
    }

    std::string Redo() {
        if (redone.empty()) return {};
        Undoable entry = std::move(redone.back());
        redone.pop_back();
        log.push_back("redo");
        const CSiteStatus status = tree.Redo(entry.record);
        mirror.Compare();
        if (status != CSiteStatus::Done) return "redo refused: " + std::string(Describe(status));
        if (Outline(tree, true) != entry.after) return "redo did not give back the tree after";
        undone.push_back(std::move(entry));
        return {};
    }

    std::string SaveAndLoad() {
        if (in.Below(4) != 0) return {};
        log.push_back("save and load");
        const std::vector<unsigned char> bytes = WriteProjectBytes(page, layout, tree);
        const std::string contents = Outline(tree, false);
        CSiteEditRecord* stale = undone.empty() ? nullptr : &undone.back().record;
        std::optional<CSiteEditRecord> kept;
        if (stale) kept.emplace(std::move(*stale));
        const LoadResult loaded = LoadProjectFromBytes(bytes, page, layout, tree);
        mirror.Compare();
        if (loaded.status != LoadStatus::Complete) return "a saved project did not load whole";
        if (Outline(tree, false) != contents) return "a saved project loaded different";
        if (WriteProjectBytes(page, layout, tree) != bytes)
            return "a loaded project saved different";
        if (kept && tree.Undo(*kept) != CSiteStatus::WrongProject)
            return "an edit of the old project was undone in the loaded one";
        Forget();
        return {};
    }

    Input in;
    CSiteTree tree;
    Mirror mirror{tree};
    CPageOption page;
    CLayoutOption layout;
    std::vector<std::string> log;
    std::vector<Undoable> undone;
    std::vector<Undoable> redone;
    std::vector<CFolderKey> seenFolders;
    std::vector<CItemKey> seenItems;
    std::set<std::uint32_t> knownFolders;
    std::set<std::uint32_t> knownItems;
    std::optional<std::pair<CSiteTree, std::string>> copy;
};

}  // namespace

std::string RunSiteTreeOps(std::span<const std::uint8_t> bytes) {
    return Driver(bytes).Run();
}
