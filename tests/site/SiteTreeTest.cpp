#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SiteTree.h"
#include "TreeInvariants.h"

namespace {

CFolderKey AddFolder(CSiteTree& tree, CFolderKey parent, const std::string& caption) {
    return tree.AddFolder(parent, caption).key;
}

std::vector<std::string> Labels(const CSiteTree& tree, CFolderKey folder) {
    return tree.GetChildLabels(folder);
}

std::vector<std::string> ItemCaptions(const CSiteTree& tree, CFolderKey folder) {
    std::vector<std::string> captions;
    for (const CSiteItem& item : tree.Find(folder)->Folder().items)
        captions.push_back(item.caption.Str());
    return captions;
}

std::vector<CItemKey> AddItems(CSiteTree& tree, CFolderKey folder,
                               std::initializer_list<const char*> captions) {
    std::vector<CItemKey> keys;
    for (const char* caption : captions) keys.push_back(tree.AddItem(folder, caption).key);
    return keys;
}

// The whole tree as text, keys and ids included: equal outlines mean equal trees.
std::string Outline(const CSiteTree& tree) {
    std::string text;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int depth) {
        text += std::string(static_cast<std::size_t>(depth), ' ') + std::string(node.Label()) +
                "#" + std::to_string(node.Key().value) + "/" + std::to_string(node.Folder().id) +
                " [" + node.Folder().description.Str() + "]\n";
        for (const CSiteItem& item : node.Folder().items)
            text += " " + std::to_string(item.id) + "#" + std::to_string(item.key.value) + " " +
                    item.caption.Str() + "|" + item.url.Str() + "|" + item.description.Str() + "\n";
    });
    return text;
}

}  // namespace

TEST(SiteTree, NewProjectHasARootIndexAndKeepsCountingFolderIds) {
    CSiteTree tree;
    EXPECT_EQ(tree.Root()->Label(), "Index");
    EXPECT_EQ(tree.Root()->Folder().id, 0);

    tree.Copy(tree.NewFolder(tree.RootKey()).key);
    CChangeCount changes(tree);
    tree.NewProject();
    EXPECT_EQ(tree.Root()->ChildCount(), 0u);
    EXPECT_EQ(tree.Root()->Folder().id, 2);  // the counter is never reset by New
    EXPECT_TRUE(tree.Clipboard().IsEmpty());
    EXPECT_EQ(changes.count, 1u);  // one Reset
}

TEST(SiteTree, NewFoldersAndItemsGetTheirIdsAndMarkTheProjectModified) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey first = tree.NewFolder(root).key;
    const CFolderKey second = tree.NewFolder(root).key;
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"New SubSite", "New SubSite"}));
    EXPECT_EQ(tree.Root()->Child(0)->Key(), first);
    EXPECT_NE(tree.Find(first)->Folder().id, tree.Find(second)->Folder().id);

    CChangeCount changes(tree);
    for (int i = 0; i < 3; ++i) tree.NewItem(root);
    const CSiteItem* fourth = tree.Find(tree.NewItem(root).key);
    EXPECT_EQ(fourth->id, 3);
    EXPECT_EQ(fourth->caption, "New Item");
    EXPECT_EQ(changes.count, 4u);
}

TEST(SiteTree, KeysKeepNamingTheirRecordsAndAreNeverGivenAgain) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey a = AddFolder(tree, root, "A");
    const CFolderKey b = AddFolder(tree, root, "B");
    const std::vector<CItemKey> items = AddItems(tree, root, {"0", "1", "2", "3"});

    tree.MoveUp(b);
    tree.MoveSubtree(a, b);
    tree.DeleteItem(items[1]);
    tree.MoveItem(items[3], false);
    EXPECT_EQ(tree.Find(a)->Parent()->Key(), b);
    EXPECT_EQ(tree.Find(items[3])->caption, "3");
    EXPECT_EQ(tree.Find(items[3])->id, 1);  // the id is the position, the key stays
    EXPECT_EQ(tree.FolderOf(items[2]), root);
    EXPECT_EQ(tree.Find(items[1]), nullptr);

    tree.DeleteFolder(b);
    EXPECT_EQ(tree.Find(a), nullptr);
    const CFolderKey c = AddFolder(tree, root, "C");
    const CItemKey added = tree.NewItem(c).key;
    EXPECT_NE(c, a);
    EXPECT_NE(c, b);
    EXPECT_NE(added, items[1]);
    ExpectRecordInvariants(tree);
}

TEST(SiteTree, DeletingFoldersAndRows) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey a = AddFolder(tree, root, "A");
    AddFolder(tree, a, "A1");
    const CFolderKey b = AddFolder(tree, root, "B");
    const std::vector<CItemKey> items = AddItems(tree, root, {"0", "1", "2", "3", "4"});

    // Items 1 and 2 of five: the ids above them shift down.
    EXPECT_EQ(tree.DeleteRows(root, {a}, {items[1], items[2]}), CSiteStatus::Done);
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"B"}));
    EXPECT_EQ(ItemCaptions(tree, root), (std::vector<std::string>{"0", "3", "4"}));
    EXPECT_EQ(tree.Find(items[4])->id, 2);
    ExpectRecordInvariants(tree);

    EXPECT_EQ(tree.DeleteFolder(b), CSiteStatus::Done);
    EXPECT_EQ(tree.Root()->ChildCount(), 0u);
}

TEST(SiteTree, EveryOperationRefusesWhatWouldBreakTheTreeAndChangesNothing) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey a = AddFolder(tree, root, "A");
    const CFolderKey below = AddFolder(tree, a, "Below");
    const CFolderKey other = AddFolder(tree, root, "Other");
    const std::vector<CItemKey> items = AddItems(tree, a, {"x", "y"});
    const CItemKey rootItem = tree.NewItem(root).key;
    const CFolderKey gone = AddFolder(tree, root, "Gone");
    tree.DeleteFolder(gone);
    tree.Copy(a);
    CChangeCount changes(tree);
    const std::string before = Outline(tree);

    struct Case {
        const char* what;
        std::function<CSiteStatus()> run;
        CSiteStatus expected;
    };
    const std::vector<Case> cases = {
        {"delete the root", [&] { return tree.DeleteFolder(root); }, CSiteStatus::RootRefused},
        {"delete an unknown folder", [&] { return tree.DeleteFolder(gone); },
         CSiteStatus::NoSuchFolder},
        {"move into itself", [&] { return tree.MoveSubtree(a, a); }, CSiteStatus::IntoItself},
        {"move below itself", [&] { return tree.MoveSubtree(a, below); }, CSiteStatus::IntoItself},
        {"move the root (a second root)", [&] { return tree.MoveSubtree(root, other); },
         CSiteStatus::RootRefused},
        {"copy below itself", [&] { return tree.CopySubtree(a, below).status; },
         CSiteStatus::IntoItself},
        {"paste below itself", [&] { return tree.Paste(below); }, CSiteStatus::IntoItself},
        {"drop on its parent", [&] { return tree.Drop(below, a, false); },
         CSiteStatus::InvalidDrop},
        {"drop below itself", [&] { return tree.Drop(a, below, true); }, CSiteStatus::InvalidDrop},
        {"folder position out of range", [&] { return tree.MoveFolder(below, other, 1); },
         CSiteStatus::OutOfRange},
        {"item position out of range", [&] { return tree.MoveItemTo(items[0], 2); },
         CSiteStatus::OutOfRange},
        {"first item up", [&] { return tree.MoveItem(items[0], false); }, CSiteStatus::NoSibling},
        {"last folder down", [&] { return tree.MoveDown(other); }, CSiteStatus::NoSibling},
        {"rows of another folder", [&] { return tree.DeleteRows(root, {below}, {}); },
         CSiteStatus::NotARow},
        {"an item of another folder", [&] { return tree.DeleteRows(a, {}, {rootItem}); },
         CSiteStatus::NotARow},
        {"a url for a folder", [&] { return tree.SetText(a, CSiteField::Url, "x"); },
         CSiteStatus::NoSuchField},
        {"cut the root", [&] { return tree.Cut(root); }, CSiteStatus::RootRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.run(), c.expected);
        EXPECT_EQ(Outline(tree), before);
        EXPECT_EQ(changes.count, 0u);
        EXPECT_EQ(tree.Clipboard().folderNode, a);
    }

    // What the core allows it tells of itself, a drag's move too.
    EXPECT_EQ(tree.MoveSubtree(below, other), CSiteStatus::Done);
    EXPECT_EQ(changes.count, 1u);
    ExpectRecordInvariants(tree);
}

TEST(SiteTree, CopiedFolderPastesAgainAndAgainAndCutPastesOnce) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey photos = AddFolder(tree, root, "Photos");
    tree.AddItem(AddFolder(tree, photos, "Summer"), "beach.jpg");
    const CFolderKey target = AddFolder(tree, root, "Target");

    tree.Copy(photos);
    EXPECT_TRUE(tree.CanPaste(target));
    EXPECT_FALSE(tree.CanPaste(photos));
    ASSERT_EQ(tree.Paste(target), CSiteStatus::Done);
    ASSERT_EQ(tree.Paste(target), CSiteStatus::Done);
    const CSiteNode* pasted = tree.Find(target)->Child(0);
    ASSERT_EQ(tree.Find(target)->ChildCount(), 2u);
    EXPECT_EQ(pasted->Child(0)->Label(), "Summer");
    EXPECT_EQ(ItemCaptions(tree, pasted->Child(0)->Key()), std::vector<std::string>{"beach.jpg"});
    EXPECT_NE(pasted->Folder().id, tree.Find(photos)->Folder().id);
    EXPECT_NE(pasted->Key(), photos);
    ExpectRecordInvariants(tree);

    tree.Cut(photos);
    ASSERT_EQ(tree.Paste(target), CSiteStatus::Done);
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"Target"}));
    EXPECT_EQ(tree.Find(target)->ChildCount(), 3u);
    EXPECT_TRUE(tree.Clipboard().IsEmpty());
    EXPECT_EQ(tree.Paste(target), CSiteStatus::NothingToPaste);
}

TEST(SiteTree, CutRowsArePastedWithTheNextIdsAndBothFoldersRenumbered) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey sub = AddFolder(tree, root, "Sub");
    const CFolderKey moved = AddFolder(tree, root, "Moved");
    tree.AddItem(sub, "existing");
    const std::vector<CItemKey> items = AddItems(tree, root, {"a", "b", "c", "d"});

    ASSERT_EQ(tree.CopyRows(root, true, {moved}, {items[1], items[3]}), CSiteStatus::Done);
    ASSERT_EQ(tree.Paste(sub), CSiteStatus::Done);
    EXPECT_EQ(ItemCaptions(tree, sub), (std::vector<std::string>{"existing", "b", "d"}));
    EXPECT_EQ(ItemCaptions(tree, root), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"Sub"}));
    EXPECT_EQ(Labels(tree, sub), (std::vector<std::string>{"Moved"}));
    EXPECT_TRUE(tree.Clipboard().IsEmpty());
    ExpectRecordInvariants(tree);
}

TEST(SiteTree, CopiedRowsSurviveOtherEditsAndForgetWhatIsDeleted) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey target = AddFolder(tree, root, "Target");
    const std::vector<CItemKey> items = AddItems(tree, root, {"a", "b", "c"});

    // Reordering and deleting other items leaves the rows naming the same items.
    tree.CopyRows(root, false, {}, {items[0], items[2]});
    tree.MoveItem(items[0], true);
    tree.DeleteItem(items[1]);
    tree.NewItem(root);
    ASSERT_TRUE(tree.CanPaste(target));
    ASSERT_EQ(tree.Paste(target), CSiteStatus::Done);
    EXPECT_EQ(ItemCaptions(tree, target), (std::vector<std::string>{"a", "c"}));

    // A deleted row is forgotten; the state empties with the last one.
    tree.DeleteItem(items[0]);
    EXPECT_EQ(tree.Clipboard().itemKeys, std::vector<CItemKey>{items[2]});
    tree.DeleteItem(items[2]);
    EXPECT_TRUE(tree.Clipboard().IsEmpty());
    EXPECT_FALSE(tree.CanPaste(target));

    // So is a copied folder that goes with its parent; deleting something else keeps it.
    const CFolderKey doomed = AddFolder(tree, root, "Doomed");
    const CFolderKey inner = AddFolder(tree, doomed, "Inner");
    const CFolderKey kept = AddFolder(tree, root, "Kept");
    tree.Cut(kept);
    tree.DeleteFolder(AddFolder(tree, root, "Unrelated"));
    EXPECT_EQ(tree.Clipboard().folderNode, kept);
    tree.Copy(inner);
    tree.DeleteFolder(doomed);  // takes the copied folder with it
    EXPECT_TRUE(tree.Clipboard().IsEmpty());
    EXPECT_EQ(tree.Paste(target), CSiteStatus::NothingToPaste);
}

TEST(SiteTree, CopiedRowsPastedIntoTheirOwnFolderAreAppendedOnce) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const std::vector<CItemKey> items = AddItems(tree, root, {"a", "b"});
    tree.CopyRows(root, false, {}, items);
    ASSERT_EQ(tree.Paste(root), CSiteStatus::Done);
    EXPECT_EQ(ItemCaptions(tree, root), (std::vector<std::string>{"a", "b", "a", "b"}));
    ExpectRecordInvariants(tree);
}

TEST(SiteTree, CopiesGoToTheirSortedPlaceAndKeepTheOrderOfTheirDescendants) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey target = AddFolder(tree, root, "Target");
    AddFolder(tree, target, "A");
    AddFolder(tree, target, "D");
    const CFolderKey b = AddFolder(tree, root, "b");
    AddFolder(tree, b, "Zeta");
    AddFolder(tree, b, "Alpha");
    AddItems(tree, b, {"0", "1", "2"});
    const std::string longCaption(60, 'L');
    const CFolderKey longOne = AddFolder(tree, root, longCaption);

    const CFolderKey copy = tree.CopySubtree(b, target).key;
    EXPECT_EQ(Labels(tree, target), (std::vector<std::string>{"A", "b", "D"}));
    EXPECT_EQ(Labels(tree, copy), (std::vector<std::string>{"Zeta", "Alpha"}));
    EXPECT_EQ(tree.Find(copy)->Folder().itemCount, 3);

    tree.CopySubtree(longOne, target);
    EXPECT_EQ(tree.Find(target)->Child(3)->Label(), longCaption);

    ASSERT_EQ(tree.Drop(b, target, false), CSiteStatus::Done);
    EXPECT_EQ(Labels(tree, target), (std::vector<std::string>{"A", "b", "D", longCaption, "b"}));
    EXPECT_EQ(tree.Find(target)->Child(4)->Key(), b);
    ExpectRecordInvariants(tree);
}

TEST(SiteTree, ACopyStillPastesAfterAnotherFolderWasDragged) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey copied = AddFolder(tree, root, "Copied");
    const CFolderKey dragged = AddFolder(tree, root, "Dragged");
    const CFolderKey target = AddFolder(tree, root, "Target");

    tree.Copy(copied);
    ASSERT_EQ(tree.Drop(dragged, target, false), CSiteStatus::Done);
    ASSERT_EQ(tree.Paste(target), CSiteStatus::Done);
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"Copied", "Target"}));
    EXPECT_EQ(Labels(tree, target), (std::vector<std::string>{"Copied", "Dragged"}));
}

TEST(SiteTree, DropsOnItselfItsDescendantOrItsParentAreRefused) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey a = AddFolder(tree, root, "A");
    const CFolderKey child = AddFolder(tree, a, "Child");
    const CFolderKey grandChild = AddFolder(tree, child, "GrandChild");
    const CFolderKey other = AddFolder(tree, root, "Other");

    EXPECT_FALSE(tree.IsValidDrop(a, a));
    EXPECT_FALSE(tree.IsValidDrop(a, grandChild));
    EXPECT_FALSE(tree.IsValidDrop(a, root));
    EXPECT_FALSE(tree.IsValidDrop({}, other));
    EXPECT_FALSE(tree.IsValidDrop(a, {}));
    EXPECT_TRUE(tree.IsValidDrop(a, other));
    EXPECT_TRUE(tree.IsValidDrop(grandChild, root));
}

TEST(SiteTree, MovingFoldersAndItemsAmongTheirSiblings) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey first = AddFolder(tree, root, "First");
    AddFolder(tree, first, "Zeta");
    AddFolder(tree, first, "Alpha");
    const CFolderKey second = AddFolder(tree, root, "Second");
    const std::int32_t firstId = tree.Find(first)->Folder().id;

    EXPECT_EQ(tree.MoveUp(first), CSiteStatus::NoSibling);
    ASSERT_EQ(tree.MoveUp(second), CSiteStatus::Done);
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"Second", "First"}));
    EXPECT_EQ(Labels(tree, first), (std::vector<std::string>{"Zeta", "Alpha"}));
    EXPECT_EQ(tree.Find(first)->Folder().id, firstId);
    ASSERT_EQ(tree.MoveUp(first), CSiteStatus::Done);
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"First", "Second"}));

    const std::vector<CItemKey> items = AddItems(tree, root, {"a", "b", "c"});
    EXPECT_EQ(tree.MoveItem(items[2], true), CSiteStatus::NoSibling);
    ASSERT_EQ(tree.MoveItem(items[0], true), CSiteStatus::Done);
    EXPECT_EQ(ItemCaptions(tree, root), (std::vector<std::string>{"b", "a", "c"}));
    ASSERT_EQ(tree.MoveItemTo(items[2], 0), CSiteStatus::Done);
    EXPECT_EQ(ItemCaptions(tree, root), (std::vector<std::string>{"c", "b", "a"}));
    ExpectRecordInvariants(tree);
}

TEST(SiteTree, ObserversAreToldEveryStepBeforeAndAfterIt) {
    struct Log : CSiteTreeObserver {
        const CSiteTree* tree = nullptr;
        std::vector<std::string> lines;
        void ChangeBegins(const CSiteChange& change) override {
            lines.push_back("begin " + Text(change) + " items " +
                            std::to_string(tree->Find(change.folder)
                                               ? tree->Find(change.folder)->Folder().items.size()
                                               : 0));
        }
        void ChangeEnded(const CSiteChange& change) override {
            lines.push_back("end " + Text(change));
        }
        static std::string Text(const CSiteChange& c) {
            return std::to_string(static_cast<int>(c.kind)) + " f" +
                   std::to_string(c.folder.value) + " p" + std::to_string(c.parent.value) + " @" +
                   std::to_string(c.position) + " n" + std::to_string(c.count) + " to" +
                   std::to_string(c.toParent.value) + "@" + std::to_string(c.toPosition);
        }
    };
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const std::vector<CItemKey> items = AddItems(tree, root, {"0", "1", "2", "3", "4"});
    const CFolderKey a = AddFolder(tree, root, "A");
    const CFolderKey b = AddFolder(tree, root, "B");
    Log log;
    log.tree = &tree;
    tree.AddObserver(&log);

    // Rows 1, 2 and 4 go as two runs, the later one first; then a move and a text.
    tree.DeleteRows(root, {}, {items[1], items[4], items[2]});
    tree.MoveSubtree(a, b);
    tree.SetText(items[0], CSiteField::Url, "u");
    const std::string r = std::to_string(root.value);
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{
                  "begin 5 f" + r + " p0 @4 n1 to0@0 items 5", "end 5 f" + r + " p0 @4 n1 to0@0",
                  "begin 5 f" + r + " p0 @1 n2 to0@0 items 4", "end 5 f" + r + " p0 @1 n2 to0@0",
                  "begin 3 f" + std::to_string(a.value) + " p" + r + " @0 n0 to" +
                      std::to_string(b.value) + "@0 items 0",
                  "end 3 f" + std::to_string(a.value) + " p" + r + " @0 n0 to" +
                      std::to_string(b.value) + "@0",
                  "begin 7 f" + r + " p0 @0 n0 to0@0 items 2", "end 7 f" + r + " p0 @0 n0 to0@0"}));
    tree.RemoveObserver(&log);
}

TEST(SiteTree, UndoBringsRecordsBackWithTheirKeysAndPlacesAndRedoTakesThemAgain) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey a = AddFolder(tree, root, "A");
    const CFolderKey inner = AddFolder(tree, a, "Inner");
    AddFolder(tree, root, "B");
    const std::vector<CItemKey> items = AddItems(tree, a, {"x", "y", "z"});
    const std::string before = Outline(tree);

    CSiteEditRecord record;
    tree.RecordInto(&record);
    tree.CopyRows(a, true, {}, {items[0], items[2]});
    tree.Paste(root);
    tree.SetText(inner, CSiteField::Caption, "Renamed");
    tree.DeleteFolder(a);
    tree.RecordInto(nullptr);
    const std::string after = Outline(tree);

    ASSERT_EQ(tree.Undo(record), CSiteStatus::Done);
    EXPECT_EQ(Outline(tree), before);
    EXPECT_EQ(tree.Find(items[1])->caption, "y");
    EXPECT_EQ(tree.Undo(record), CSiteStatus::WrongProject);
    ASSERT_EQ(tree.Redo(record), CSiteStatus::Done);
    EXPECT_EQ(Outline(tree), after);
    ASSERT_EQ(tree.Undo(record), CSiteStatus::Done);
    EXPECT_EQ(Outline(tree), before);
    ExpectRecordInvariants(tree);

    tree.NewProject();
    EXPECT_EQ(tree.Redo(record), CSiteStatus::WrongProject);
}

TEST(SiteTree, ACopySharesNothingThatChanges) {
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    const CFolderKey a = AddFolder(tree, root, "A");
    const CItemKey item = tree.AddItem(a, "photo", "file:///p.jpg").key;
    tree.Copy(a);
    const std::string before = Outline(tree);

    const CSiteTree copy(tree);
    EXPECT_EQ(Outline(copy), before);
    EXPECT_EQ(copy.Clipboard().folderNode, a);
    EXPECT_EQ(copy.CheckInvariants(), "");
    tree.SetText(item, CSiteField::Caption, "changed");
    tree.DeleteFolder(a);
    tree.NewFolder(root);
    EXPECT_EQ(Outline(copy), before);
    EXPECT_NE(copy.Find(item)->caption.data(), nullptr);
    EXPECT_EQ(copy.Find(item)->caption, "photo");
}

TEST(SiteTree, SwappingProjectsTakesTheCutCopyStateAndFlagsAlong) {
    CSiteTree open;
    open.Copy(AddFolder(open, open.RootKey(), "Copied"));
    CSiteTree loaded(CSiteFolder{});

    open.Swap(loaded);
    EXPECT_TRUE(open.Clipboard().IsEmpty());
    EXPECT_EQ(open.NextFolderId(), 1);
    EXPECT_EQ(loaded.Root()->Child(0)->Label(), "Copied");
    EXPECT_FALSE(loaded.Clipboard().IsEmpty());
    EXPECT_EQ(loaded.Paste(loaded.RootKey()), CSiteStatus::Done);
}

TEST(SiteTree, AVeryDeepTreeIsWalkedCopiedAndDestroyedWithoutRecursion) {
    auto tree = std::make_unique<CSiteTree>();
    CFolderKey node = tree->RootKey();
    constexpr int kDepth = 200000;
    for (int i = 0; i < kDepth; ++i) node = tree->AddFolder(node, CSiteFolder{}).key;
    int deepest = 0;
    tree->ForEachDepthFirst(
        [&](const CSiteNode&, int depth) { deepest = std::max(deepest, depth); });
    EXPECT_EQ(deepest, kDepth);
    EXPECT_EQ(tree->FolderCount(), static_cast<std::size_t>(kDepth) + 1);
    auto copy = std::make_unique<CSiteTree>(*tree);
    EXPECT_EQ(copy->Find(node)->Depth(), kDepth);
    tree.reset();
    copy.reset();
}
