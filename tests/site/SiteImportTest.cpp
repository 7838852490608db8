#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "SiteImport.h"
#include "SiteTree.h"

namespace fs = std::filesystem;

namespace {

class SiteImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("pagelorn-import-" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path Touch(const fs::path& relative) {
        const fs::path path = dir / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "content";
        return path;
    }

    static std::vector<std::string> Captions(const CSiteTree& tree, CFolderKey folder) {
        std::vector<std::string> captions;
        for (const CSiteItem& item : tree.Find(folder)->Folder().items)
            captions.push_back(item.caption.Str());
        return captions;
    }

    fs::path dir;
};

}  // namespace

TEST_F(SiteImportTest, AFolderBecomesSubSitesAndItemsAfterTheExistingOnes) {
    Touch("photos/b.gif");
    Touch("photos/a.jpg");
    Touch("photos/trip/day1.jpg");
    fs::create_directories(dir / "photos/empty");

    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    for (int i = 0; i < 3; ++i) tree.NewItem(root);
    tree.SetModified(false);

    const CImportResult result = ImportFolder(tree, root, dir / "photos");
    EXPECT_EQ(result.itemsAdded, 3u);
    EXPECT_EQ(result.foldersAdded, 2u);
    EXPECT_EQ(result.skipped, 0u);
    EXPECT_TRUE(tree.IsModified());
    EXPECT_EQ(tree.CheckInvariants(), "");

    const CSiteNode& node = *tree.Root();
    const auto& items = node.Folder().items;
    ASSERT_EQ(node.Folder().itemCount, 5);
    EXPECT_EQ(items[3].caption, "a.jpg");
    EXPECT_EQ(items[3].id, 3);
    EXPECT_EQ(items[3].url, "file://" + (dir / "photos/a.jpg").string());
    EXPECT_EQ(items[4].caption, "b.gif");
    EXPECT_TRUE(items[4].description.empty());

    ASSERT_EQ(node.ChildCount(), 2u);
    EXPECT_EQ(node.Child(0)->Label(), "empty");
    EXPECT_EQ(node.Child(0)->Folder().itemCount, 0);
    EXPECT_EQ(node.Child(1)->Label(), "trip");
    EXPECT_EQ(Captions(tree, node.Child(1)->Key()), (std::vector<std::string>{"day1.jpg"}));
    EXPECT_NE(node.Child(0)->Folder().id, node.Child(1)->Folder().id);

    // Importing again adds a second copy; nothing is merged.
    ImportFolder(tree, root, dir / "photos");
    EXPECT_EQ(tree.Root()->ChildCount(), 4u);
    EXPECT_EQ(tree.Root()->Folder().itemCount, 7);
}

TEST_F(SiteImportTest, AFilePathAddsOneItemAndMissingOrEmptyPathsAddNothing) {
    const fs::path file = Touch("report.doc");
    fs::create_directories(dir / "nothing");
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();

    EXPECT_EQ(ImportFolder(tree, root, file).itemsAdded, 1u);
    EXPECT_EQ(Captions(tree, root), (std::vector<std::string>{"report.doc"}));

    tree.SetModified(false);
    EXPECT_EQ(ImportFolder(tree, root, dir / "missing").itemsAdded, 0u);
    EXPECT_EQ(ImportFolder(tree, root, dir / "nothing").itemsAdded, 0u);
    EXPECT_FALSE(tree.IsModified());
}

TEST_F(SiteImportTest, LinksToFoldersAreNotFollowedAndBrokenLinksAreCounted) {
    Touch("site/page.htm");
    const fs::path real = Touch("elsewhere/real.txt");
    fs::create_directory_symlink(dir / "site", dir / "site/loop");
    fs::create_symlink(dir / "gone.txt", dir / "site/broken.txt");
    fs::create_symlink(real, dir / "site/linked.txt");

    CSiteTree tree;
    const CImportResult result = ImportFolder(tree, tree.RootKey(), dir / "site");
    EXPECT_EQ(result.skipped, 2u);
    ASSERT_EQ(result.skippedEntries.size(), 2u);
    EXPECT_EQ(result.skippedEntries[0].reason, "a broken link");
    EXPECT_EQ(result.skippedEntries[1].reason, "a link to a folder, which is not followed");
    EXPECT_EQ(tree.Root()->ChildCount(), 0u);
    EXPECT_EQ(Captions(tree, tree.RootKey()), (std::vector<std::string>{"linked.txt", "page.htm"}));
}

TEST_F(SiteImportTest, OnlyRegularFilesAreImportedAndTheRestIsSkippedWithTheReason) {
    Touch("odd/page.htm");
    ASSERT_EQ(::mkfifo((dir / "odd/pipe.jpg").c_str(), 0644), 0);
    fs::create_symlink(dir / "odd/pipe.jpg", dir / "odd/to-pipe.jpg");
    fs::create_symlink("/dev/null", dir / "odd/null.txt");

    CSiteTree tree;
    const CImportResult result = ImportFolder(tree, tree.RootKey(), dir / "odd");
    EXPECT_EQ(Captions(tree, tree.RootKey()), (std::vector<std::string>{"page.htm"}));
    ASSERT_EQ(result.skippedEntries.size(), 3u);
    EXPECT_EQ(result.skippedEntries[0].reason, "a link to a character device, not a regular file");
    EXPECT_EQ(result.skippedEntries[1].path, (dir / "odd/pipe.jpg").string());
    EXPECT_EQ(result.skippedEntries[1].reason, "a FIFO, not a regular file");
    EXPECT_EQ(result.skippedEntries[2].reason, "a link to a FIFO, not a regular file");

    const CImportResult files =
        ImportFiles(tree, tree.RootKey(), {(dir / "odd/pipe.jpg").string(), "/dev/null"});
    EXPECT_EQ(files.itemsAdded, 0u);
    EXPECT_EQ(files.skipped, 2u);
    EXPECT_EQ(ImportFolder(tree, tree.RootKey(), dir / "odd/pipe.jpg").itemsAdded, 0u);
}

TEST_F(SiteImportTest, StoppingAScanKeepsWhatWasFound) {
    for (int i = 0; i < 300; ++i) Touch("many/file" + std::to_string(1000 + i) + ".txt");
    CSiteTree tree;
    std::size_t calls = 0;
    const CImportResult result =
        ImportFolder(tree, tree.RootKey(), dir / "many", [&](const ImportProgress& progress) {
            ++calls;
            return progress.entriesSeen < 100;
        });
    EXPECT_TRUE(result.cancelled);
    EXPECT_GT(calls, 1u);
    EXPECT_GT(result.itemsAdded, 0u);
    EXPECT_LT(result.itemsAdded, 300u);
    EXPECT_EQ(tree.Root()->Folder().itemCount, static_cast<std::int32_t>(result.itemsAdded));
}

TEST_F(SiteImportTest, ImportFilesAddsTheListInOrderAndSkipsWhatIsNotAFile) {
    const fs::path b = Touch("b.mp3");
    const fs::path a = Touch("a.zip");
    CSiteTree tree;
    const CFolderKey sub = tree.NewFolder(tree.RootKey()).key;
    const CImportResult result = ImportFiles(
        tree, sub, {b.string(), "", a.string(), (dir / "missing.txt").string(), dir.string()});
    EXPECT_EQ(Captions(tree, sub), (std::vector<std::string>{"b.mp3", "a.zip"}));
    EXPECT_EQ(tree.Find(sub)->Folder().items[1].id, 1);
    EXPECT_EQ(result.skipped, 2u);
}

#if !defined(_WIN32)
TEST_F(SiteImportTest, AChainOfFoldersDeeperThanTheLongestPathIsImportedWhole) {
    // Made and removed relative to open handles: the full paths are too long for the system.
    constexpr int kDepth = 300;
    const std::string name(20, 'd');
    std::vector<int> handles{::open(dir.c_str(), O_RDONLY | O_DIRECTORY)};
    for (int i = 0; i < kDepth; ++i) {
        ASSERT_EQ(::mkdirat(handles.back(), name.c_str(), 0755), 0);
        handles.push_back(::openat(handles.back(), name.c_str(), O_RDONLY | O_DIRECTORY));
        ASSERT_GE(handles.back(), 0);
    }
    ::close(::openat(handles.back(), "leaf.txt", O_WRONLY | O_CREAT, 0644));

    CSiteTree tree;
    const CImportResult result = ImportFolder(tree, tree.RootKey(), dir / name);
    EXPECT_EQ(result.foldersAdded, static_cast<std::size_t>(kDepth - 1));
    EXPECT_EQ(result.itemsAdded, 1u);
    EXPECT_EQ(result.skipped, 0u);
    const CSiteNode* node = tree.Root();
    while (node->ChildCount() > 0) node = node->Child(0);
    ASSERT_EQ(node->Depth(), kDepth - 1);
    EXPECT_EQ(node->Folder().items.at(0).url.size(),
              std::string("file://").size() + dir.string().size() + 21 * kDepth + 9);

    ::unlinkat(handles.back(), "leaf.txt", 0);
    for (int i = kDepth; i > 0; --i) {
        ::close(handles[static_cast<std::size_t>(i)]);
        ::unlinkat(handles[static_cast<std::size_t>(i) - 1], name.c_str(), AT_REMOVEDIR);
    }
    ::close(handles.front());
}
#endif
