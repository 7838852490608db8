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
#include "TreeInvariants.h"

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
    CChangeCount changes(tree);

    const CImportResult result = ImportFolder(tree, root, dir / "photos");
    EXPECT_EQ(result.itemsAdded, 3u);
    EXPECT_EQ(result.foldersAdded, 2u);
    EXPECT_EQ(result.skipped, 0u);
    EXPECT_GT(changes.count, 0u);
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

    CChangeCount changes(tree);
    EXPECT_EQ(ImportFolder(tree, root, dir / "missing").itemsAdded, 0u);
    EXPECT_EQ(ImportFolder(tree, root, dir / "nothing").itemsAdded, 0u);
    EXPECT_EQ(changes.count, 0u);
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

// Junk and hidden entries are left out and counted only when the settings ask; explicit files and
// the described import keep them.
TEST_F(SiteImportTest, SkipLeavesOutHiddenEntriesAndJunk) {
    for (const char* junk :
         {".DS_Store", "Thumbs.db", "DESKTOP.INI", "notes.txt~", ".thumbnails/a.jpg",
          "@eaDir/a.jpg/SYNOFILE_THUMB_M.jpg", "__MACOSX/._a.jpg", "trip/.hidden"})
        Touch(fs::path("phone") / junk);
    Touch("phone/a.jpg");
    Touch("phone/trip/b.jpg");
    for (const char* name : {"Thumbs.db", "x~", ".env", "@eadir", "__MACOSX"})
        EXPECT_TRUE(IsJunkName(name)) << name;
    for (const char* name : {"a.jpg", "thumbs.db.jpg", "~x", "eaDir", "a.b"})
        EXPECT_FALSE(IsJunkName(name)) << name;

    CSiteTree kept;
    const CImportResult all = ImportFolder(kept, kept.RootKey(), dir / "phone");
    EXPECT_EQ(all.itemsAdded + all.foldersAdded, 15u);
    EXPECT_EQ(all.leftOut, 0u);

    ImportOptions options;
    options.settings.skip = true;
    CSiteTree tree;
    const CImportResult result =
        AddImportedScan(tree, tree.RootKey(), ScanImportPath(dir / "phone", {}, options));
    EXPECT_EQ(result.leftOut, 8u);
    EXPECT_EQ(result.skipped, 0u);
    EXPECT_EQ(Captions(tree, tree.RootKey()), (std::vector<std::string>{"a.jpg"}));
    ASSERT_EQ(tree.Root()->ChildCount(), 1u);
    EXPECT_EQ(Captions(tree, tree.Root()->Child(0)->Key()), (std::vector<std::string>{"b.jpg"}));
    EXPECT_EQ(tree.CheckInvariants(), "");

    CSiteTree files;
    EXPECT_EQ(ImportFiles(files, files.RootKey(), {(dir / "phone/.DS_Store").string()}, options)
                  .itemsAdded,
              1u);
}

// Captions from the name, the file's name without its extension or the title the reader gives;
// by date, the files with a date come first, oldest first, in each folder, the rest by name.
TEST_F(SiteImportTest, CaptionsAndOrderFollowTheSettings) {
    for (const char* name :
         {"a.txt", "b.jpg", "c.jpg", "d.heic", "e.tar.gz", "sub/f.jpg", "sub/g.jpg"})
        Touch(fs::path("in") / name);
    const ImportFactsReader reader = [](const std::string& path) {
        const std::string name = fs::path(path).filename().string();
        if (name == "b.jpg") return ImportedFileFacts{"  Beach\nat noon ", "2026:07:14 12:00:00"};
        if (name == "c.jpg") return ImportedFileFacts{"", "2026:07:13 09:00:00"};
        if (name == "d.heic") return ImportedFileFacts{"Dune", ""};
        if (name == "g.jpg") return ImportedFileFacts{"", "2020:01:01 00:00:00"};
        return ImportedFileFacts{};
    };
    using C = CImportSettings::Caption;
    using O = CImportSettings::Order;
    struct Case {
        CImportSettings settings;
        bool withReader;
        std::vector<std::string> top;
        std::vector<std::string> sub;
    };
    const Case cases[] = {
        {{C::File, O::Name, false},
         true,
         {"a.txt", "b.jpg", "c.jpg", "d.heic", "e.tar.gz"},
         {"f.jpg", "g.jpg"}},
        {{C::Name, O::Name, false}, true, {"a", "b", "c", "d", "e.tar"}, {"f", "g"}},
        {{C::Title, O::Name, false},
         true,
         {"a", "Beach at noon", "c", "Dune", "e.tar"},
         {"f", "g"}},
        {{C::File, O::Date, false},
         true,
         {"c.jpg", "b.jpg", "a.txt", "d.heic", "e.tar.gz"},
         {"g.jpg", "f.jpg"}},
        {{C::Title, O::Date, false}, false, {"a", "b", "c", "d", "e.tar"}, {"f", "g"}},
    };
    for (const Case& c : cases) {
        const ImportOptions options{c.settings, c.withReader ? reader : ImportFactsReader()};
        CSiteTree tree;
        AddImportedScan(tree, tree.RootKey(), ScanImportPath(dir / "in", {}, options));
        EXPECT_EQ(Captions(tree, tree.RootKey()), c.top);
        ASSERT_EQ(tree.Root()->ChildCount(), 1u);
        EXPECT_EQ(Captions(tree, tree.Root()->Child(0)->Key()), c.sub);
        for (const CSiteItem& item : tree.Root()->Folder().items)
            EXPECT_TRUE(item.description.empty());
        EXPECT_EQ(tree.CheckInvariants(), "");
    }
    // A list of files keeps its order and takes the captions.
    CSiteTree tree;
    ImportFiles(tree, tree.RootKey(), {(dir / "in/c.jpg").string(), (dir / "in/b.jpg").string()},
                {{C::Title, O::Date, true}, reader});
    EXPECT_EQ(Captions(tree, tree.RootKey()), (std::vector<std::string>{"c", "Beach at noon"}));
}
