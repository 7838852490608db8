#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <span>
#include <vector>

#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteTree.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// What every load must leave behind, whatever the bytes were.
void CheckTree(const CSiteTree& tree) {
    Require(tree.Root() != nullptr);
    Require(tree.Root()->Parent() == nullptr);
    Require(tree.Clipboard().IsEmpty());
    Require(tree.CheckInvariants().empty());
    std::set<std::int32_t> folderIds;
    std::size_t folders = 0;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
        folderIds.insert(node.Folder().id);
        ++folders;
    });
    Require(*folderIds.begin() == 0);
    Require(*folderIds.rbegin() == static_cast<std::int32_t>(folders) - 1);
    Require(tree.NextFolderId() == static_cast<std::int32_t>(folders));
}

// A copy that owns its texts (a listing's borrow from its window) and has no item keys (a
// listing gives none).
CSiteFolder OwnedCopy(const CSiteFolder& folder) {
    CSiteFolder copy = folder;
    copy.caption = CSiteText(folder.caption.View());
    copy.description = CSiteText(folder.description.View());
    for (CSiteItem& item : copy.items) {
        item.key = {};
        for (CSiteText* text : {&item.caption, &item.url, &item.description})
            *text = CSiteText(text->View());
    }
    return copy;
}

// The folders and depths a listing is handed must be the tree's, in its order.
void CheckListing(std::span<const unsigned char> bytes, const LoadResult& loaded,
                  const CPageOption& page, const CLayoutOption& layout, const CSiteTree& tree) {
    std::vector<std::pair<std::size_t, CSiteFolder>> listed;
    CPageOption listedPage;
    CLayoutOption listedLayout;
    const LoadResult result = ReadProjectFoldersFromBytes(
        bytes, listedPage, listedLayout, [&](const CSiteFolder& folder, std::size_t depth) {
            listed.emplace_back(depth, OwnedCopy(folder));
        });
    Require(result.status == loaded.status && result.foldersRead == loaded.foldersRead &&
            result.message == loaded.message);
    Require(listedPage == page && listedLayout == layout);
    if (result.status != LoadStatus::Complete && result.status != LoadStatus::TreeDamaged) {
        Require(listed.empty());
        return;
    }
    std::size_t at = 0;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int depth) {
        Require(at < listed.size() && listed[at].first == static_cast<std::size_t>(depth) &&
                listed[at].second == OwnedCopy(node.Folder()));
        ++at;
    });
    Require(at == listed.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    const LoadResult result =
        LoadProjectFromBytes(std::span<const unsigned char>(data, size), page, layout, tree);
    CheckTree(tree);
    CheckListing(std::span<const unsigned char>(data, size), result, page, layout, tree);
    if (result.status == LoadStatus::Complete) Require(result.foldersRead == tree.FolderCount());
    if (result.status == LoadStatus::Complete || result.status == LoadStatus::TreeDamaged) {
        // Whatever was read must survive a save and a load unchanged.
        const std::vector<unsigned char> saved = WriteProjectBytes(page, layout, tree);
        CPageOption page2;
        CLayoutOption layout2;
        CSiteTree tree2;
        const LoadResult reloaded = LoadProjectFromBytes(saved, page2, layout2, tree2);
        Require(reloaded.status == LoadStatus::Complete);
        Require(reloaded.foldersRead == tree.FolderCount());
        Require(page2 == page && layout2 == layout);
        Require(WriteProjectBytes(page2, layout2, tree2) == saved);
    } else {
        Require(result.foldersRead == 0);
        Require(tree.FolderCount() == 1 && tree.Root()->Folder().caption == kRootCaption);
    }
    return 0;
}
