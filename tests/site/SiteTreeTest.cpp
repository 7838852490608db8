#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SiteTree.h"
#include "TreeInvariants.h"

namespace {

CSiteNode& AddFolder(CSiteTree& tree, CSiteNode& parent, const std::string& caption) {
    CSiteNode& node = tree.NewFolder(parent);
    tree.RenameFolder(node, caption);
    return node;
}

std::vector<std::string> Labels(const CSiteTree& tree, const CSiteNode& node) {
    return tree.GetChildLabels(node);
}

std::vector<std::string> ItemCaptions(const CSiteNode& node) {
    std::vector<std::string> captions;
    for (const auto& item : node.Folder().items) captions.push_back(item->caption);
    return captions;
}

}  // namespace

TEST(SiteTree, NewProjectHasARootIndexAndKeepsCountingFolderIds) {
    CSiteTree tree;
    ASSERT_NE(tree.Root(), nullptr);
    EXPECT_EQ(tree.Root()->Label(), "Index");
    EXPECT_EQ(tree.Root()->Folder().id, 0);
    EXPECT_FALSE(tree.IsModified());
    EXPECT_TRUE(tree.IsExportPending());

    tree.NewFolder(*tree.Root());
    tree.Copy(*tree.Root()->Child(0));
    tree.NewProject();
    EXPECT_EQ(tree.Root()->ChildCount(), 0u);
    EXPECT_EQ(tree.Root()->Folder().id, 2);  // the counter is never reset by New
    EXPECT_TRUE(tree.Clipboard().IsEmpty());
    EXPECT_FALSE(tree.IsModified());
}

TEST(SiteTree, NewFoldersAndItemsGetTheirIdsAndMarkTheProjectModified) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    CSiteNode& first = tree.NewFolder(root);
    CSiteNode& second = tree.NewFolder(root);
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"New SubSite", "New SubSite"}));
    EXPECT_EQ(root.Child(0), &first);
    EXPECT_NE(first.Folder().id, second.Folder().id);
    EXPECT_TRUE(tree.IsModified());

    tree.SetModified(false);
    tree.SetExportPending(false);
    for (int i = 0; i < 3; ++i) tree.NewItem(root);
    CSiteItem& fourth = tree.NewItem(root);
    EXPECT_EQ(fourth.id, 3);
    EXPECT_EQ(fourth.caption, "New Item");
    EXPECT_TRUE(tree.IsModified());
    EXPECT_TRUE(tree.IsExportPending());
}

TEST(SiteTree, DeletingNodesAndRows) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    EXPECT_FALSE(tree.DeleteNode(&root));
    EXPECT_FALSE(tree.IsModified());

    CSiteNode& a = AddFolder(tree, root, "A");
    AddFolder(tree, a, "A1");
    CSiteNode& b = AddFolder(tree, root, "B");
    for (const char* caption : {"0", "1", "2", "3", "4"}) root.Folder().AddItem(caption);

    // Sub-site rows by folder id, item rows by item id (ids 1 and 2 of five).
    tree.DeleteRows(root, {a.Folder().id}, {1, 2});
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"B"}));
    EXPECT_EQ(ItemCaptions(root), (std::vector<std::string>{"0", "3", "4"}));
    ExpectRecordInvariants(tree);

    EXPECT_TRUE(tree.DeleteChildFolder(root, b.Folder().id));
    EXPECT_EQ(root.ChildCount(), 0u);
    EXPECT_FALSE(tree.DeleteChildFolder(root, 12345));
}

TEST(SiteTree, CopiedFolderPastesAgainAndAgainAndCutPastesOnce) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    CSiteNode& photos = AddFolder(tree, root, "Photos");
    AddFolder(tree, photos, "Summer").Folder().AddItem("beach.jpg");
    CSiteNode& target = AddFolder(tree, root, "Target");

    tree.Copy(photos);
    EXPECT_TRUE(tree.CanPaste(target));
    EXPECT_FALSE(tree.CanPaste(photos));
    ASSERT_TRUE(tree.Paste(target));
    ASSERT_TRUE(tree.Paste(target));
    ASSERT_EQ(target.ChildCount(), 2u);
    EXPECT_EQ(target.Child(0)->Child(0)->Label(), "Summer");
    EXPECT_EQ(ItemCaptions(*target.Child(0)->Child(0)), (std::vector<std::string>{"beach.jpg"}));
    EXPECT_NE(target.Child(0)->Folder().id, photos.Folder().id);
    EXPECT_EQ(root.Child(0), &photos);
    ExpectRecordInvariants(tree);

    tree.Cut(photos);
    ASSERT_TRUE(tree.Paste(target));
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"Target"}));
    EXPECT_EQ(target.ChildCount(), 3u);
    EXPECT_TRUE(tree.Clipboard().IsEmpty());
    EXPECT_FALSE(tree.Paste(target));
}

TEST(SiteTree, PasteIntoItselfOrBelowChangesNothing) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    CSiteNode& a = AddFolder(tree, root, "A");
    CSiteNode& below = AddFolder(tree, a, "Below");
    tree.SetModified(false);

    tree.Copy(a);
    EXPECT_FALSE(tree.Paste(a));
    EXPECT_FALSE(tree.Paste(below));
    tree.Cut(a);
    EXPECT_FALSE(tree.Paste(below));
    EXPECT_EQ(a.ChildCount(), 1u);
    EXPECT_EQ(below.ChildCount(), 0u);
    EXPECT_FALSE(tree.IsModified());
    EXPECT_EQ(tree.Clipboard().folderNode, &a);
}

TEST(SiteTree, CutRowsArePastedWithTheNextIdsAndBothFoldersRenumbered) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    CSiteNode& sub = AddFolder(tree, root, "Sub");
    CSiteNode& moved = AddFolder(tree, root, "Moved");
    sub.Folder().AddItem("existing");
    for (const char* caption : {"a", "b", "c", "d"}) root.Folder().AddItem(caption);

    tree.CopyRows(root, true, {moved.Folder().id}, {1, 3});
    ASSERT_TRUE(tree.Paste(sub));
    EXPECT_EQ(ItemCaptions(sub), (std::vector<std::string>{"existing", "b", "d"}));
    EXPECT_EQ(ItemCaptions(root), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"Sub"}));
    EXPECT_EQ(Labels(tree, sub), (std::vector<std::string>{"Moved"}));
    EXPECT_TRUE(tree.Clipboard().IsEmpty());
    ExpectRecordInvariants(tree);
}

TEST(SiteTree, CopiedItemRowsAreForgottenWhenTheirFolderIsReordered) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    CSiteNode& target = AddFolder(tree, root, "Target");
    for (const char* caption : {"a", "b", "c"}) root.Folder().AddItem(caption);

    // Ids are positions: after a move or a removal id 0 would name another item.
    tree.CopyRows(root, false, {}, {0});
    tree.MoveItem(root, 0, true);
    EXPECT_FALSE(tree.CanPaste(target));
    tree.CopyRows(root, false, {}, {0});
    tree.DeleteRows(root, {}, {2});
    EXPECT_FALSE(tree.Paste(target));
    EXPECT_EQ(target.Folder().itemCount, 0);

    // Changes elsewhere, and sub-site rows alone, keep the state.
    tree.CopyRows(root, false, {}, {1});
    tree.NewItem(target);
    tree.MoveItem(target, 0, true);
    ASSERT_TRUE(tree.Paste(target));
    EXPECT_EQ(target.Folder().items.back()->caption, "a");
}

TEST(SiteTree, CopiedRowsPastedIntoTheirOwnFolderAreAppendedOnce) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    for (const char* caption : {"a", "b"}) root.Folder().AddItem(caption);
    tree.CopyRows(root, false, {}, {0, 1});
    ASSERT_TRUE(tree.Paste(root));
    EXPECT_EQ(ItemCaptions(root), (std::vector<std::string>{"a", "b", "a", "b"}));
    ExpectRecordInvariants(tree);
}

TEST(SiteTree, CopiesGoToTheirSortedPlaceAndKeepTheOrderOfTheirDescendants) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    CSiteNode& target = AddFolder(tree, root, "Target");
    AddFolder(tree, target, "A");
    AddFolder(tree, target, "D");
    CSiteNode& b = AddFolder(tree, root, "b");
    AddFolder(tree, b, "Zeta");
    AddFolder(tree, b, "Alpha");
    const std::string longCaption(60, 'L');
    CSiteNode& longOne = AddFolder(tree, root, longCaption);

    CSiteNode& copy = tree.CopySubtree(b, target);
    EXPECT_EQ(Labels(tree, target), (std::vector<std::string>{"A", "b", "D"}));
    EXPECT_EQ(Labels(tree, copy), (std::vector<std::string>{"Zeta", "Alpha"}));

    tree.CopySubtree(longOne, target);
    EXPECT_EQ(target.Child(3)->Label(), longCaption);

    tree.MoveSubtree(b, target);
    EXPECT_EQ(Labels(tree, target), (std::vector<std::string>{"A", "b", "D", longCaption, "b"}));
    EXPECT_EQ(target.Child(4), &b);
    ExpectRecordInvariants(tree);
}

TEST(SiteTree, ACopyStillPastesAfterAnotherFolderWasDragged) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    CSiteNode& copied = AddFolder(tree, root, "Copied");
    CSiteNode& dragged = AddFolder(tree, root, "Dragged");
    CSiteNode& target = AddFolder(tree, root, "Target");

    tree.Copy(copied);
    ASSERT_TRUE(CSiteTree::IsValidDrop(&dragged, &target));
    tree.MoveSubtree(dragged, target);
    ASSERT_TRUE(tree.Paste(target));
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"Copied", "Target"}));
    EXPECT_EQ(Labels(tree, target), (std::vector<std::string>{"Copied", "Dragged"}));
}

TEST(SiteTree, DropsOnItselfItsDescendantOrItsParentAreRefused) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    CSiteNode& a = AddFolder(tree, root, "A");
    CSiteNode& child = AddFolder(tree, a, "Child");
    CSiteNode& grandChild = AddFolder(tree, child, "GrandChild");
    CSiteNode& other = AddFolder(tree, root, "Other");

    EXPECT_FALSE(CSiteTree::IsValidDrop(&a, &a));
    EXPECT_FALSE(CSiteTree::IsValidDrop(&a, &grandChild));
    EXPECT_FALSE(CSiteTree::IsValidDrop(&a, &root));
    EXPECT_FALSE(CSiteTree::IsValidDrop(nullptr, &other));
    EXPECT_FALSE(CSiteTree::IsValidDrop(&a, nullptr));
    EXPECT_TRUE(CSiteTree::IsValidDrop(&a, &other));
    EXPECT_TRUE(CSiteTree::IsValidDrop(&grandChild, &root));
}

TEST(SiteTree, PasteNeverActsOnADeletedNode) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    CSiteNode& doomed = AddFolder(tree, root, "Doomed");
    CSiteNode& inner = AddFolder(tree, doomed, "Inner");
    CSiteNode& target = AddFolder(tree, root, "Target");

    tree.Copy(inner);
    tree.DeleteNode(&doomed);  // takes the copied node with it
    EXPECT_TRUE(tree.Clipboard().IsEmpty());
    EXPECT_FALSE(tree.CanPaste(target));
    EXPECT_FALSE(tree.Paste(target));

    CSiteNode& source = AddFolder(tree, root, "Source");
    source.Folder().AddItem("x");
    tree.CopyRows(source, false, {}, {0});
    tree.DeleteChildFolder(root, source.Folder().id);
    EXPECT_FALSE(tree.Paste(target));
    EXPECT_EQ(target.Folder().itemCount, 0);

    // Deleting an unrelated node keeps the state.
    CSiteNode& kept = AddFolder(tree, root, "Kept");
    CSiteNode& unrelated = AddFolder(tree, root, "Unrelated");
    tree.Cut(kept);
    tree.DeleteNode(&unrelated);
    EXPECT_EQ(tree.Clipboard().folderNode, &kept);
}

TEST(SiteTree, MovingFoldersAndItemsAmongTheirSiblings) {
    CSiteTree tree;
    CSiteNode& root = *tree.Root();
    CSiteNode& first = AddFolder(tree, root, "First");
    AddFolder(tree, first, "Zeta");
    AddFolder(tree, first, "Alpha");
    CSiteNode& second = AddFolder(tree, root, "Second");
    const std::int32_t firstId = first.Folder().id;

    EXPECT_FALSE(tree.MoveUp(first));
    EXPECT_FALSE(tree.MoveDown(second));
    ASSERT_TRUE(tree.MoveUp(second));
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"Second", "First"}));
    EXPECT_EQ(Labels(tree, first), (std::vector<std::string>{"Zeta", "Alpha"}));
    EXPECT_EQ(first.Folder().id, firstId);

    ASSERT_TRUE(tree.MoveChildFolder(root, false, firstId));
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"First", "Second"}));
    EXPECT_FALSE(tree.MoveChildFolder(root, false, firstId));
    EXPECT_FALSE(tree.MoveChildFolder(root, true, 999));

    for (const char* caption : {"a", "b", "c"}) root.Folder().AddItem(caption);
    EXPECT_FALSE(tree.MoveItem(root, 0, false));
    EXPECT_FALSE(tree.MoveItem(root, 2, true));
    ASSERT_TRUE(tree.MoveItem(root, 0, true));
    EXPECT_EQ(ItemCaptions(root), (std::vector<std::string>{"b", "a", "c"}));
    ExpectRecordInvariants(tree);
}

TEST(SiteTree, SwappingProjectsTakesTheCutCopyStateAndFlagsAlong) {
    CSiteTree open;
    CSiteNode& copied = AddFolder(open, *open.Root(), "Copied");
    open.Copy(copied);
    CSiteTree loaded;
    loaded.Clear();
    loaded.SetRoot(std::make_unique<CSiteFolder>());

    open.Swap(loaded);
    EXPECT_FALSE(open.IsModified());
    EXPECT_TRUE(open.Clipboard().IsEmpty());
    EXPECT_EQ(open.NextFolderId(), 1);
    EXPECT_TRUE(loaded.IsModified());
    EXPECT_EQ(loaded.Clipboard().folderNode, &copied);
    EXPECT_TRUE(loaded.Paste(*loaded.Root()));
}

TEST(SiteTree, AVeryDeepTreeIsWalkedAndDestroyedWithoutRecursion) {
    auto tree = std::make_unique<CSiteTree>();
    CSiteNode* node = tree->Root();
    constexpr int kDepth = 200000;
    for (int i = 0; i < kDepth; ++i)
        node = &tree->AppendChild(*node, std::make_unique<CSiteFolder>());
    int deepest = 0;
    tree->ForEachDepthFirst(
        [&](const CSiteNode&, int depth) { deepest = std::max(deepest, depth); });
    EXPECT_EQ(deepest, kDepth);
    EXPECT_EQ(tree->FolderCount(), static_cast<std::size_t>(kDepth) + 1);
    tree.reset();
}
