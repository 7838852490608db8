#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "ExportCache.h"
#include "ExportTestSupport.h"
#include "LinkedFiles.h"
#include "PageNames.h"
#include "WebsiteExporter.h"

namespace {

using exporttest::PageLink;
using exporttest::TempFolderTest;
namespace fs = std::filesystem;

std::string Lf(std::string text) {
    std::string result;
    for (char c : text)
        if (c != '\r') result += c;
    return result;
}

class ExportTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        out = dir / "out";
        page.saveEncoding = "";
    }

    ExportParameters Parameters(bool clear = true) {
        return {.tree = tree,
                .pageOption = page,
                .layoutOption = layout,
                .exportFolder = out,
                .projectFile = project,
                .clearExistingFolder = clear,
                .progress = progress,
                .cancel = nullptr,
                .full = full,
                .threads = threads};
    }
    ExportResult Export(bool clear = true) { return ExportWebsite(Parameters(clear)); }

    CFolderKey Add(CFolderKey parent, const std::string& caption) {
        return tree.AddFolder(parent, caption).key;
    }

    std::string Page(const std::string& name) { return Lf(Read(out / name)); }

    // The files of the website: the folder's record of what was made is none of them.
    std::vector<std::string> PageFiles() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(out))
            if (entry.is_regular_file() && entry.path().filename() != kExportCacheName)
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    CSiteTree tree;
    CPageOption page;
    CLayoutOption layout;
    fs::path out;
    fs::path project;
    ExportProgressFn progress;
    bool full = false;
    unsigned threads = 0;
};

TEST_F(ExportTest, PagesAreNamedAfterTheirPlaceInTheTree) {
    tree.RenameFolder(tree.RootKey(), "Home");
    const CFolderKey photos = Add(tree.RootKey(), "Photos");
    Add(photos, "Summer");
    Add(tree.RootKey(), "About us");
    const ExportResult result = Export();
    ASSERT_TRUE(result.AllWritten()) << result.message;
    EXPECT_EQ(result.pagesWritten, 4u);
    EXPECT_EQ(PageFiles(),
              (std::vector<std::string>{"Index.htm", "Index_About us.htm", "Index_Photos.htm",
                                        "Index_Photos_Summer.htm"}));

    const std::string home = Page("Index.htm");
    EXPECT_NE(home.find("<TITLE>\nHome</TITLE>"), std::string::npos);
    // The Top Navigator links to the root's sub-sites in a row, the Next Navigator one a line.
    const std::string top =
        PageLink("Photos", "Index_Photos") + PageLink("About us", "Index_About us");
    EXPECT_NE(home.find("color=#000000>\n" + top + "\n</FONT>"), std::string::npos) << home;
    EXPECT_NE(home.find("rowspan=5 border=0 bordercolor=#000000 bgcolor=#FFFFFF background=\"\" >\n"
                        "<FONT face=\"\" size=1 color=#000000>\n" +
                        PageLink("Photos", "Index_Photos") + "<BR>\n\n" +
                        PageLink("About us", "Index_About us") + "<BR>\n\n\n</FONT>"),
              std::string::npos)
        << home;
    EXPECT_NE(home.find(PageLink("Home", "Index") + "\n</FONT>"), std::string::npos);

    const std::string summer = Page("Index_Photos_Summer.htm");
    EXPECT_NE(summer.find(PageLink("Home", "Index") + "->" + PageLink("Photos", "Index_Photos") +
                          "->" + PageLink("Summer", "Index_Photos_Summer") + "\n</FONT>"),
              std::string::npos)
        << summer;
    EXPECT_NE(summer.find(top), std::string::npos);
    EXPECT_NE(Page("Index_About us.htm")
                  .find("color=#000000>\n" + PageLink("Home", "Index") + "->" +
                        PageLink("About us", "Index_About us") + "\n</FONT>"),
              std::string::npos);
    // A folder without sub-sites has no Next Navigator cell and, with one page, no Index Bar.
    EXPECT_EQ(summer.find("rowspan="), std::string::npos);
    EXPECT_EQ(summer.find("width=\"80%\""), std::string::npos);
}

TEST_F(ExportTest, IndexBarsOfAFolderWithTwentyFivePages) {
    const CFolderKey x = Add(tree.RootKey(), "X");
    for (int i = 1; i <= 25; ++i) tree.AddItem(x, "Item " + std::to_string(i));
    layout.mainCanvas.rows = 1;
    layout.mainCanvas.columns = 1;
    ASSERT_TRUE(Export().AllWritten());
    EXPECT_TRUE(fs::exists(out / "Index_X24.htm"));
    EXPECT_FALSE(fs::exists(out / "Index_X25.htm"));

    std::string first = "1";
    for (int j = 2; j <= 10; ++j)
        first += PageLink(std::to_string(j), "Index_X" + std::to_string(j - 1));
    first += PageLink("Next", "Index_X10");
    EXPECT_NE(Page("Index_X.htm").find("color=#000000>\n" + first + "\n</FONT>"),
              std::string::npos);

    std::string thirteenth = PageLink("Previous", "Index_X2");
    for (int j = 4; j <= 12; ++j)
        thirteenth += PageLink(std::to_string(j), "Index_X" + std::to_string(j - 1));
    thirteenth += "13";
    for (int j = 14; j <= 22; ++j)
        thirteenth += PageLink(std::to_string(j), "Index_X" + std::to_string(j - 1));
    thirteenth += PageLink("Next", "Index_X22");
    EXPECT_NE(Page("Index_X12.htm").find("color=#000000>\n" + thirteenth + "\n</FONT>"),
              std::string::npos)
        << Page("Index_X12.htm");
}

TEST_F(ExportTest, ClashingPageNamesGetTheirOwnFiles) {
    const CFolderKey firstNews = Add(tree.RootKey(), "News");
    Add(firstNews, "Old");
    const CFolderKey secondNews = Add(tree.RootKey(), "News");
    Add(secondNews, "Old");
    const CFolderKey a = Add(tree.RootKey(), "A");
    for (int i = 0; i < 20; ++i) tree.AddItem(a, "a" + std::to_string(i));  // three pages
    Add(tree.RootKey(), "A1");
    Add(tree.RootKey(), "NEWS");
    const ExportResult result = Export();
    ASSERT_TRUE(result.AllWritten()) << result.message;
    EXPECT_EQ(result.pagesWritten, 10u);
    EXPECT_EQ(PageFiles(), (std::vector<std::string>{
                               "Index.htm", "Index_A.htm", "Index_A1.htm", "Index_A1~2.htm",
                               "Index_A2.htm", "Index_NEWS~3.htm", "Index_News.htm",
                               "Index_News_Old.htm", "Index_News~2.htm", "Index_News~2_Old.htm"}));
    // Every file holds exactly one whole page.
    for (const std::string& name : PageFiles()) {
        const std::string text = Page(name);
        EXPECT_EQ(text.find("<!DOCTYPE"), 0u) << name;
        EXPECT_EQ(text.find("</HTML>"), text.size() - 8) << name;
    }
    const std::string root = Page("Index.htm");
    EXPECT_NE(root.find(PageLink("News", "Index_News") + PageLink("News", "Index_News~2") +
                        PageLink("A", "Index_A") + PageLink("A1", "Index_A1~2") +
                        PageLink("NEWS", "Index_NEWS~3")),
              std::string::npos);
    EXPECT_NE(Page("Index_News~2_Old.htm")
                  .find("->" + PageLink("News", "Index_News~2") + "->" +
                        PageLink("Old", "Index_News~2_Old")),
              std::string::npos);
    EXPECT_NE(Page("Index_A.htm").find("1" + PageLink("2", "Index_A1") + PageLink("3", "Index_A2")),
              std::string::npos);
}

TEST_F(ExportTest, HostileCaptionsStayInsideTheExportFolder) {
    Add(tree.RootKey(), "../x");
    Add(tree.RootKey(), "a/b\\c:d*e?f\"g<h>i|j\tk");
    Add(tree.RootKey(), std::string(300, 'L'));
    // 2-byte characters around the cut.
    std::string wide;
    for (int i = 0; i < 150; ++i) wide += "\xC3\xA9";
    const CFolderKey accented = Add(tree.RootKey(), wide);
    for (int i = 0; i < 12; ++i) tree.AddItem(accented, "p" + std::to_string(i));
    Add(tree.RootKey(), "100% #1");
    const ExportResult result = Export();
    ASSERT_TRUE(result.AllWritten()) << result.message;

    EXPECT_TRUE(fs::exists(out / "Index_.._x.htm"));
    EXPECT_FALSE(fs::exists(dir / "x.htm"));
    EXPECT_TRUE(fs::exists(out / "Index_a_b_c_d_e_f_g_h_i_j_k.htm"));
    const std::string longName = "Index_" + std::string(245, 'L') + ".htm";
    EXPECT_EQ(longName.size(), kMaxFileNameBytes);
    EXPECT_TRUE(fs::exists(out / longName));
    // Two pages: the second's "1" must fit too, and no character is cut in half.
    std::string cut = "Index_";
    for (int i = 0; i < 122; ++i) cut += "\xC3\xA9";
    EXPECT_EQ(cut.size() + 1 + 4, 255u);
    EXPECT_TRUE(fs::exists(out / (cut + ".htm")));
    EXPECT_TRUE(fs::exists(out / (cut + "1.htm")));

    EXPECT_TRUE(fs::exists(out / "Index_100% #1.htm"));
    EXPECT_NE(Page("Index.htm").find(PageLink("100% #1", "Index_100%25 %231")), std::string::npos);
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        EXPECT_EQ(entry.path().string().rfind(out.string(), 0), 0u) << entry.path();
}

TEST(PageNameTableTest, ClaimsAreCaseBlindAndShortened) {
    CPageNameTable names;
    EXPECT_EQ(names.Claim("Index", 1), "Index");
    EXPECT_EQ(names.Claim("Index_A", 3), "Index_A");
    EXPECT_EQ(names.Claim("Index_a2", 1), "Index_a2~2");
    EXPECT_EQ(names.Claim("Index_A", 0), "Index_A~2");
    EXPECT_EQ(names.Claim("Index_A", 1), "Index_A~3");
    const std::string longBase(400, 'z');
    const std::string first = names.Claim(longBase, 1);
    EXPECT_EQ(first.size(), 251u);
    const std::string second = names.Claim(longBase, 1);
    EXPECT_EQ(second, std::string(249, 'z') + "~2");
    EXPECT_EQ(SafePageNamePart(std::string("a\x7F\x01/b", 5)), "a___b");
    EXPECT_EQ(PageFileName("Index", 0), "Index.htm");
    EXPECT_EQ(PageFileName("Index", 12), "Index12.htm");
}

TEST_F(ExportTest, FolderWithoutItemsAndDegenerateCanvas) {
    const CFolderKey empty = Add(tree.RootKey(), "Empty");
    tree.SetText(empty, CSiteField::Description, "nothing here");
    const CFolderKey items = Add(tree.RootKey(), "Items");
    tree.AddItem(items, "one");
    tree.AddItem(items, "two");
    layout.mainCanvas.columns = 0;
    layout.mainCanvas.rows = 1000000;  // only a damaged file holds this
    ASSERT_TRUE(Export().AllWritten());
    EXPECT_EQ(PageFiles(), (std::vector<std::string>{"Index.htm", "Index_Empty.htm",
                                                     "Index_Items.htm", "Index_Items1.htm"}));
    const std::string emptyPage = Page("Index_Empty.htm");
    EXPECT_EQ(emptyPage.find("width=\"80%\""), std::string::npos);
    EXPECT_NE(emptyPage.find("<TD colspan=0 "), std::string::npos);
    // Rows beyond the sheet's limit of 100 are taken as 100.
    const std::string itemsPage = Page("Index_Items.htm");
    std::size_t emptyRows = 0;
    for (std::size_t at = itemsPage.find("<TR>\n</TR>\n"); at != std::string::npos;
         at = itemsPage.find("<TR>\n</TR>\n", at + 1))
        ++emptyRows;
    EXPECT_EQ(emptyRows, 101u);  // the canvas row and 100 item rows
}

TEST_F(ExportTest, LinkedFilesAreCopiedOnceAndFailuresListed) {
    const fs::path logo = Write("src/logo.gif", exporttest::GifBytes(300, 150));
    const fs::path other = Write("elsewhere/logo.gif", exporttest::GifBytes(20, 20));
    const fs::path back = Write("src/back.jpg", exporttest::JpegBytes(4, 4));
    page.background.specifyBackground = page.background.useBackgroundImage = 1;
    page.background.backgroundImage = back.string();
    const CFolderKey pics = Add(tree.RootKey(), "Pics");
    tree.AddItem(pics, "Logo", "file://" + logo.string());
    tree.AddItem(pics, "Logo again", "file://" + logo.string());
    tree.AddItem(pics, "Other", "file://" + other.string());
    tree.AddItem(pics, "Gone", "file://" + (dir / "gone.doc").string());
    tree.AddItem(pics, "Web", "http://Example.com/Page.gif");
    const ExportResult result = Export();

    EXPECT_EQ(result.status, ExportStatus::Completed);
    EXPECT_FALSE(result.AllWritten());
    EXPECT_EQ(result.pagesWritten, 2u);
    EXPECT_EQ(result.filesCopied, 3u);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].path, (dir / "gone.doc").string());
    EXPECT_NE(result.message.find("1 failures"), std::string::npos);

    const std::string text = Page("Index_Pics.htm");
    EXPECT_NE(text.find("<IMG src = \"./image/LOGO.GIF\" width = 100 height = 50></A>"),
              std::string::npos);
    EXPECT_NE(text.find("<IMG src = \"./image/LOGO~2.GIF\">\n</A>"), std::string::npos);
    EXPECT_NE(text.find("<A href=\"./doc/GONE.DOC\">\nGone</A>"), std::string::npos);
    EXPECT_NE(text.find("<A href=\"http://Example.com/Page.gif\"><IMG src = "
                        "\"http://Example.com/Page.gif\" width = 100 height = 100></A>"),
              std::string::npos);
    EXPECT_NE(Page("Index.htm").find("background=\"./image/back.jpg\""), std::string::npos);
    EXPECT_EQ(Read(out / "image" / "LOGO~2.GIF"), Read(other));

    // "Manual": the same pages, nothing copied, nothing missing.
    const std::string automaticPage = Read(out / "Index_Pics.htm");
    page.general.copyLinkedFiles = 0;
    const ExportResult manual = Export();
    EXPECT_TRUE(manual.AllWritten());
    EXPECT_EQ(manual.filesCopied, 0u);
    EXPECT_EQ(Read(out / "Index_Pics.htm"), automaticPage);
    EXPECT_TRUE(fs::is_empty(out / "image"));
}

TEST_F(ExportTest, APageThatCannotBeWrittenIsReportedAndTheRestWritten) {
    Add(tree.RootKey(), "B");
    Add(tree.RootKey(), "C");
    // One thread, so that the next page is the one in plan order.
    threads = 1;
    progress = [&](const ExportProgress& p) {
        // Something takes the name of the next page while the export runs.
        if (p.pagesDone == 1) fs::create_directory(out / "Index_B.htm");
        return true;
    };
    const ExportResult result = Export();
    EXPECT_EQ(result.status, ExportStatus::Completed);
    EXPECT_EQ(result.pagesWritten, 2u);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].path, (out / "Index_B.htm").string());
    EXPECT_NE(result.failures[0].reason.find("could not be written"), std::string::npos);
    EXPECT_TRUE(fs::exists(out / "Index_C.htm"));
}

TEST_F(ExportTest, ProgressCountsPagesAndFilesAndCanStop) {
    for (int i = 0; i < 3; ++i) {
        const CFolderKey node = Add(tree.RootKey(), "F" + std::to_string(i));
        tree.AddItem(
            node, "f",
            "file://" + Write("src/f" + std::to_string(i) + ".doc", std::string(10 * (i + 1), 'd'))
                            .string());
    }
    std::vector<ExportProgress> seen;
    progress = [&](const ExportProgress& p) {
        seen.push_back(p);
        return true;
    };
    ExportResult result = Export();
    ASSERT_TRUE(result.AllWritten());
    ASSERT_EQ(seen.size(), 7u);
    EXPECT_EQ(seen.back().pagesDone, 4u);
    EXPECT_EQ(seen.back().pagesTotal, 4u);
    EXPECT_EQ(seen.back().filesDone, 3u);
    EXPECT_EQ(seen.back().filesTotal, 3u);
    // The copies' bytes: 10 + 20 + 30, counted as each copy is done.
    EXPECT_EQ(seen.front().bytesTotal, 60u);
    EXPECT_EQ(seen.back().bytesDone, 60u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(), [](const auto& a, const auto& b) {
        return a.bytesDone < b.bytesDone;
    }));

    // With one thread nothing is under way beside the page that asks to stop.
    threads = 1;
    std::size_t calls = 0;
    progress = [&](const ExportProgress& p) { return ++calls < 2 && p.pagesDone < 2; };
    result = Export();
    EXPECT_EQ(result.status, ExportStatus::Stopped);
    EXPECT_LT(result.pagesWritten, 4u);
    EXPECT_NE(result.message.find("stopped"), std::string::npos);
}

TEST_F(ExportTest, MissingParentFoldersAreMade) {
    out = dir / "a" / "b" / "c";
    const ExportResult result = Export(false);
    ASSERT_TRUE(result.AllWritten()) << result.message;
    EXPECT_TRUE(fs::exists(out / "Index.htm"));
    for (std::string_view name : kCategoryFolderNames) EXPECT_TRUE(fs::is_directory(out / name));

    Write("file", "x");
    out = dir / "file";
    EXPECT_EQ(CheckExportFolder(Parameters()).state, ExportFolderState::Unusable);
    EXPECT_EQ(Export().status, ExportStatus::FolderNotMade);
    out = dir / "file" / "below";
    EXPECT_EQ(Export().status, ExportStatus::FolderNotMade);
}

TEST_F(ExportTest, OddFilesAreListedAsFailuresAndNeverWaitedOn) {
    // Reading a FIFO waits for a writer that never comes: the alarm ends such a test.
    ::alarm(60);
    const fs::path fifo = dir / "pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const fs::path socketFile = dir / "socket.doc";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketFile.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    tree.AddItem(tree.RootKey(), "Pipe", "file://" + fifo.string());
    tree.AddItem(tree.RootKey(), "Socket", "file://" + socketFile.string());
    const ExportResult result = Export();
    ::alarm(0);
    ::close(sock);

    EXPECT_EQ(result.status, ExportStatus::Completed);
    EXPECT_EQ(result.pagesWritten, 1u);
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0], (ExportFailure{fifo.string(), "not a regular file but a FIFO"}));
    EXPECT_EQ(result.failures[1],
              (ExportFailure{socketFile.string(), "not a regular file but a socket"}));
    EXPECT_NE(Page("Index.htm").find("<IMG src = \"./image/PIPE.JPG\" width = 100 height = 100>"),
              std::string::npos);
    EXPECT_TRUE(fs::is_empty(out / "image"));
    EXPECT_TRUE(fs::is_empty(out / "doc"));
}

TEST_F(ExportTest, AFullDiskLeavesNothingHalfWrittenUnderARealName) {
    const fs::path disk = dir / "disk";
    const exporttest::ScopedTmpfs tmpfs(disk, 0, "size=256k");
    if (!tmpfs.Mounted()) GTEST_SKIP() << "no file system of its own here: " << tmpfs.Error();
    out = disk / "out";
    const fs::path report = Write("src/report.doc", std::string(100 * 1024, 'r'));
    tree.AddItem(tree.RootKey(), "Report", "file://" + report.string());
    {
        const int filler = ::open((disk / "filler").c_str(), O_WRONLY | O_CREAT, 0644);
        const std::string block(4096, 'f');
        while (::write(filler, block.data(), block.size()) > 0) {
        }
        ::close(filler);
    }

    const ExportResult result = Export();
    EXPECT_EQ(result.status, ExportStatus::Completed) << result.message;
    EXPECT_EQ(result.pagesWritten, 0u);
    EXPECT_EQ(result.filesCopied, 0u);
    ASSERT_EQ(result.failures.size(), 2u);
    for (const ExportFailure& failure : result.failures)
        EXPECT_NE(failure.reason.find("No space left on device"), std::string::npos)
            << failure.path << ": " << failure.reason;
    // No empty or cut-off page or copy, and no temporary file either.
    for (const auto& entry : fs::recursive_directory_iterator(out))
        EXPECT_TRUE(entry.is_directory()) << entry.path();
}

TEST_F(ExportTest, ATreeTooDeepIsRefusedBeforeAnythingIsTouched) {
    CFolderKey node = tree.RootKey();
    for (int depth = 1; depth <= kMaxExportDepth; ++depth) node = Add(node, "d");
    Write("out/mine.txt", "mine");
    EXPECT_EQ(CheckExportFolder(Parameters()).state, ExportFolderState::NotEmpty);

    Add(node, "one too many");
    const ExportFolderCheck check = CheckExportFolder(Parameters());
    EXPECT_EQ(check.state, ExportFolderState::Refused);
    EXPECT_NE(check.message.find("1001 levels deep"), std::string::npos) << check.message;
    const ExportResult result = Export(true);
    EXPECT_EQ(result.status, ExportStatus::Refused);
    EXPECT_EQ(result.message, check.message);
    EXPECT_EQ(PageFiles(), std::vector<std::string>{"mine.txt"});
}

TEST_F(ExportTest, AnExistingFolderIsClearedOnlyWhenAgreed) {
    EXPECT_EQ(CheckExportFolder(Parameters()).state, ExportFolderState::Missing);
    fs::create_directories(out);
    EXPECT_EQ(CheckExportFolder(Parameters()).state, ExportFolderState::Empty);
    ASSERT_TRUE(Export(false).AllWritten());

    const ExportFolderCheck check = CheckExportFolder(Parameters());
    EXPECT_EQ(check.state, ExportFolderState::NotEmpty);
    EXPECT_EQ(check.message, "Warning: All contents of  " + out.string() + " will be deleted!");
    Write("out/keep.txt", "mine");
    const ExportResult declined = Export(false);
    EXPECT_EQ(declined.status, ExportStatus::NotCleared);
    EXPECT_EQ(Read(out / "keep.txt"), "mine");
    EXPECT_TRUE(fs::exists(out / "Index.htm"));

    Write("out/deep/er/old.htm", "old");
    Write("out/locked/inside.txt", "x");
    fs::permissions(out / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_directory_symlink(dir / "src", out / "link");
    Write("src/precious.txt", "precious");
    const ExportResult cleared = Export(true);
    ASSERT_TRUE(cleared.AllWritten()) << cleared.message;
    EXPECT_FALSE(fs::exists(out / "keep.txt"));
    EXPECT_FALSE(fs::exists(out / "deep"));
    EXPECT_FALSE(fs::exists(out / "locked"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(out / "link")));
    // A link is removed, never followed.
    EXPECT_EQ(Read(dir / "src" / "precious.txt"), "precious");
}

class RefusalTest : public ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        if (const char* home = std::getenv("HOME")) savedHome = home;
        setenv("HOME", (dir / "home").c_str(), 1);
        fs::create_directories(dir / "home");
    }
    void TearDown() override {
        setenv("HOME", savedHome.c_str(), 1);
        ExportTest::TearDown();
    }

    void ExpectRefused(const std::string& why) {
        const ExportFolderCheck check = CheckExportFolder(Parameters());
        EXPECT_EQ(check.state, ExportFolderState::Refused);
        EXPECT_NE(check.message.find(why), std::string::npos) << check.message;
        const ExportResult result = Export(true);
        EXPECT_EQ(result.status, ExportStatus::Refused);
        EXPECT_EQ(result.message, check.message);
        EXPECT_EQ(result.pagesWritten, 0u);
    }

    std::string savedHome;
};

TEST_F(RefusalTest, NeverClearsTheProjectsFolder) {
    project = Write("work/site/project.www", "project");
    out = dir / "work" / "site";
    ExpectRefused("it holds the project file");
    out = dir / "work";
    ExpectRefused("it holds the project file");
    EXPECT_EQ(Read(project), "project");
}

TEST_F(RefusalTest, NeverClearsAFolderHoldingALinkedFile) {
    const fs::path photo = Write("out/pics/photo.gif", exporttest::GifBytes(1, 1));
    tree.AddItem(tree.RootKey(), "Photo", "file://" + photo.string());
    ExpectRefused("photo.gif, a file the website links to");
    EXPECT_TRUE(fs::exists(photo));

    // Through a relative path and a link to the folder, too.
    tree.DeleteRows(tree.RootKey(), {}, {tree.Root()->Folder().items[0].key});
    layout.areas[kHistoryBarSlot].imagePath = "out/pics/photo.gif";
    project = dir / "project.www";
    fs::create_directory_symlink(out, dir / "alias");
    out = dir / "alias";
    ExpectRefused("a file the website links to");
    EXPECT_TRUE(fs::exists(photo));

    // A linked file elsewhere that is a link to a file inside, and a linked folder that is the
    // export folder itself.
    layout.areas[kHistoryBarSlot].imagePath = "";
    fs::create_directories(dir / "elsewhere");
    fs::create_symlink(photo, dir / "elsewhere" / "shortcut.gif");
    tree.AddItem(tree.RootKey(), "Shortcut", "file://" + (dir / "elsewhere/shortcut.gif").string());
    ExpectRefused("shortcut.gif, a file the website links to");
    tree.DeleteRows(tree.RootKey(), {}, {tree.Root()->Folder().items[0].key});
    tree.AddItem(tree.RootKey(), "Folder", "file://" + (dir / "out").string());
    ExpectRefused("a file the website links to");
    EXPECT_TRUE(fs::exists(photo));
}

TEST_F(RefusalTest, EveryFileTheProjectNamesCountsWhetherOrNotAPageShowsIt) {
    const fs::path photo = Write("out/pics/photo.gif", exporttest::GifBytes(1, 1));
    const std::string path = photo.string();
    // The ways a project names a file, each in a layout where no page shows it.
    const std::function<void()> ways[] = {
        [&] {
            layout.mainCanvas.rows = 0;
            tree.AddItem(tree.RootKey(), "Photo", "file://" + path);
        },
        [&] { page.background.backgroundImage = path; },  // no background is specified
        [&] { layout.areas[kHeaderBarSlot].imagePath = path; },
        [&] { layout.areas[kIndexBarSlot].imagePath = path; },  // one page: no Index Bar
        [&] { layout.mainCanvas.imagePath = path; },            // no cells, no description
    };
    for (std::size_t i = 0; i < std::size(ways); ++i) {
        SCOPED_TRACE(i);
        page = CPageOption();
        layout = CLayoutOption();
        std::vector<CItemKey> items;
        for (const CSiteItem& item : tree.Root()->Folder().items) items.push_back(item.key);
        tree.DeleteRows(tree.RootKey(), {}, items);
        ways[i]();
        ExpectRefused("photo.gif, a file the website links to");
        EXPECT_TRUE(fs::exists(photo));
    }
}

// These folders are only checked, never exported into: a program without the rules would clear
// them.
TEST_F(RefusalTest, NeverClearsTheSystemsFoldersOrTheHomeOfAnyAccount) {
    ::unsetenv("HOME");
    const auto expectRefused = [&](const fs::path& folder, const std::string& why) {
        out = folder;
        const ExportFolderCheck check = CheckExportFolder(Parameters());
        EXPECT_EQ(check.state, ExportFolderState::Refused) << folder;
        EXPECT_NE(check.message.find(why), std::string::npos) << check.message;
    };
    for (const char* system : {"/usr", "/etc", "/var", "/tmp"})
        expectRefused(system, "it is a folder of the system");
    expectRefused("/usr/..", "it is the root of the file system");

    std::vector<fs::path> homes;
    ::setpwent();
    while (const passwd* entry = ::getpwent()) homes.emplace_back(entry->pw_dir);
    ::endpwent();
    std::size_t checked = 0;
    for (const fs::path& account : homes) {
        std::error_code error;
        const fs::path home = fs::weakly_canonical(account, error);
        if (error || !fs::is_directory(home) || fs::is_empty(home, error)) continue;
        for (const fs::path& folder : {home, home.parent_path()}) {
            out = folder;
            const ExportFolderCheck check = CheckExportFolder(Parameters());
            EXPECT_EQ(check.state, ExportFolderState::Refused) << folder;
            if (check.message.find("the system") == std::string::npos &&
                check.message.find("root of the file system") == std::string::npos) {
                EXPECT_NE(check.message.find("the home folder of the account"), std::string::npos)
                    << check.message;
                ++checked;
            }
        }
    }
    if (checked == 0) GTEST_SKIP() << "no account here has a home folder with files of its own";
}

TEST_F(RefusalTest, NeverClearsHomeOrTheRoot) {
    Write("home/documents/letter.txt", "dear");
    out = dir / "home";
    ExpectRefused("it is your home folder");
    out = dir;
    ExpectRefused("it holds your home folder");
    EXPECT_EQ(Read(dir / "home" / "documents" / "letter.txt"), "dear");

    out = fs::path("/");
    const ExportFolderCheck root = CheckExportFolder(Parameters());
    EXPECT_EQ(root.state, ExportFolderState::Refused);
    EXPECT_NE(root.message.find("root of the file system"), std::string::npos);
}

TEST_F(RefusalTest, OtherFoldersBesideThemAreFine) {
    project = Write("site/project.www", "project");
    Write("out/old.htm", "old");
    Write("outside/photo.gif", "x");
    tree.AddItem(tree.RootKey(), "Photo", "file://" + (dir / "outside/photo.gif").string());
    EXPECT_EQ(CheckExportFolder(Parameters()).state, ExportFolderState::NotEmpty);
    EXPECT_TRUE(Export(true).AllWritten());
}

}  // namespace
