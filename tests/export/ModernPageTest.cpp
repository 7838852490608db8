// The modern page style: its texts, the pages it makes from the same plan as the classic style,
// the pages of pictures, videos and sounds, and a switch between the styles.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vips/vips8>

#include "ExportCache.h"
#include "ExportPlan.h"
#include "ExportTestSupport.h"
#include "ModernPageComposer.h"
#include "ModernText.h"
#include "WebsiteExporter.h"

namespace {

using exporttest::TempFolderTest;
using vips::VImage;
namespace fs = std::filesystem;

TEST(ModernTextTest, OnlyWellFormedSafeMarkupIsKept) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"Fish & Chips <3", "Fish &amp; Chips &lt;3"},
        {"<b>bold</b> and <I>it</I>", "<b>bold</b> and <i>it</i>"},
        {"<b>open", "&lt;b&gt;open"},
        {"<b><i>x</b></i>", "&lt;b&gt;<i>x&lt;/b&gt;</i>"},
        {"line<br>next<BR/>", "line<br>next<br>"},
        {"<span class=\"x\" style=\"color:red\">s</span>", "<span>s</span>"},
        {"<a href=\"https://example.org/?a=1&amp;b=2\" target=_blank>go</a>",
         "<a href=\"https://example.org/?a=1&amp;b=2\">go</a>"},
        {"<a href=\"java\tscript:alert(1)\">x</a>",
         "&lt;a href=&quot;java\tscript:alert(1)&quot;&gt;x&lt;/a&gt;"},
        {"<a href=x onclick=\"f()\">x</a>", "&lt;a href=x onclick=&quot;f()&quot;&gt;x&lt;/a&gt;"},
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"<img src=x onerror=alert(1)>", "&lt;img src=x onerror=alert(1)&gt;"},
        {"&eacute;&#233;&nbsp;&bogus; &", "&amp;eacute;&#233;&nbsp;&amp;bogus; &amp;"},
        {"<a href=\"a.htm\"><a href=\"b.htm\">x</a></a>",
         "<a href=\"a.htm\">&lt;a href=&quot;b.htm&quot;&gt;x</a>&lt;/a&gt;"},
    };
    for (const auto& c : cases) EXPECT_EQ(SafeInlineMarkup(c.text), c.written) << c.text;
    EXPECT_EQ(EscapeHtml("<a href=\"x\">'&'</a>"),
              "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
    EXPECT_EQ(PlainText(" <b>Summer</b>\n  holiday "), "Summer holiday");
    // Legacy bytes become UTF-8: Windows-1252 unless the charset says otherwise.
    EXPECT_EQ(ModernTextToUtf8("caf\xE9 \x80", ""), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(ModernTextToUtf8("\xC1\xC2", "windows-1251"), "\xD0\x91\xD0\x92");
    EXPECT_EQ(ModernTextToUtf8("caf\xC3\xA9", "windows-1251"), "caf\xC3\xA9");
    EXPECT_EQ(ModernUrl("./image/A B[1].JPG"), "./image/A%20B%5B1%5D.JPG");
    EXPECT_EQ(FileTypeAndSize("REPORT.PDF", 1234567), "PDF, 1.2 MB");
    EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(0x777777, 0xFFFFFF), 4.48, 0.01);
}

VImage Picture(int width, int height) {
    VImage image = VImage::xyz(width, height).extract_band(0) % 256;
    image = image.bandjoin(255 - image).bandjoin(image);
    return image.cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

class ModernPageTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        ASSERT_EQ(VIPS_INIT("pagelorn-tests"), 0);
        out = dir / "web";
        src = dir / "files";
        fs::create_directories(src);
        pictures = {.thumbnails = true,
                    .box = 100,
                    .density = 2,
                    .quality = 85,
                    .modernTypes = true,
                    .view = 300};
        album = tree.AddFolder(tree.RootKey(), "Summer <&> \"2024\"").key;
        // Eleven items: two pages of nine, as the classic style makes them.
        VImage taken = Picture(800, 600).copy();
        taken.set("exif-ifd2-DateTimeOriginal", "2024:07:14 18:30:05");
        taken.jpegsave((src / "big.jpg").c_str());
        Picture(400, 300).jpegsave((src / "mid.jpg").c_str());
        Picture(80, 60).jpegsave((src / "small.jpg").c_str());
        for (const char* name : {"report.pdf", "song.mp3", "clip.mp4", "film.avi"})
            Write(fs::path("files") / name, std::string(1500, 'x'));
        Add("big.jpg", "Big <b>one</b>", "At the <i>sea</i><script>x()</script>");
        Add("mid.jpg", "", "");
        Add("small.jpg", "Small", "");
        Add("report.pdf", "Report", "");
        Add("song.mp3", "Song", "");
        Add("clip.mp4", "Clip", "");
        Add("film.avi", "Film", "");
        for (int i = 0; i < 4; ++i) Add("small.jpg", "Again " + std::to_string(i), "");
        page.header = "<b>Welcome</b> <blink>home</blink>";
    }

    void Add(const char* file, const std::string& caption, const std::string& description) {
        tree.AddItem(album, caption, "file://" + (src / file).string(), description);
    }

    ExportParameters Parameters(PageStyle style) {
        return {.tree = tree,
                .pageOption = page,
                .layoutOption = layout,
                .exportFolder = out,
                .projectFile = dir / "site.www",
                .clearExistingFolder = true,
                .progress = {},
                .cancel = nullptr,
                .full = false,
                .threads = 0,
                .pictures = pictures,
                .pages = {.style = style}};
    }

    std::vector<std::string> Files(const fs::path& folder) const {
        std::vector<std::string> names;
        // The export's own record of what it made is no part of the website.
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().filename() != kExportCacheName)
                names.push_back(fs::relative(entry.path(), folder).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::size_t Count(const std::string& text, const std::string& part) {
        std::size_t count = 0;
        for (std::size_t at = text.find(part); at != std::string::npos;
             at = text.find(part, at + 1))
            ++count;
        return count;
    }

    CSiteTree tree;
    CPageOption page;
    CLayoutOption layout;
    CPictureSettings pictures;
    CFolderKey album;
    fs::path out;
    fs::path src;
};

TEST_F(ModernPageTest, FolderPagesHoldTheClassicItemsInAGridOfLandmarks) {
    layout.areas[kFooterBarSlot].font.color = 0x777777;  // 4.48:1 on white
    layout.areas[kIndexBarSlot].font.color = 0x767676;   // 4.54:1
    const ExportPlan classic = BuildExportPlan(Parameters(PageStyle::Classic));
    const ExportPlan modern = BuildExportPlan(Parameters(PageStyle::Modern));
    std::vector<std::string> classicPages;
    std::vector<std::string> modernFolderPages;
    for (const PlannedPage& p : classic.pages) classicPages.push_back(p.fileName);
    for (const PlannedPage& p : modern.pages)
        if (p.kind == PlannedPageKind::Folder && p.fileName != "index.html")
            modernFolderPages.push_back(p.fileName);
    EXPECT_EQ(modernFolderPages, classicPages);
    EXPECT_TRUE(classic.views.empty());
    // The check notes what only modern pages suffer from: the footer's contrast, mid.jpg's caption.
    const auto kinds = [](const ExportPlan& plan) {
        std::vector<std::string> found;
        for (const ExportProblem& problem : plan.problems)
            found.push_back(std::string(ProblemKindName(problem.kind)) + " " + problem.where);
        return found;
    };
    std::vector<std::string> expected = kinds(classic);
    expected.push_back("low contrast Layout Properties > Footer Bar");
    expected.push_back("no caption Index > Summer <&> \"2024\", item 1");
    EXPECT_EQ(kinds(modern), expected);
    EXPECT_EQ(modern.views.size(), 2u);  // big.jpg and mid.jpg are larger than the view

    const ExportResult result = ExportWebsite(Parameters(PageStyle::Modern));
    ASSERT_TRUE(result.AllWritten()) << result.message;
    EXPECT_EQ(Read(out / "index.html"), Read(out / "Index.htm"));
    const std::string first = Read(out / "Index_Summer _&_ _2024_.htm");
    const std::string second = Read(out / "Index_Summer _&_ _2024_1.htm");
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(
        first.starts_with("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n"
                          "<meta charset=\"utf-8\">\n"))
        << first;
    for (const char* part : {"<meta name=\"viewport\"", "<header class=\"bar header\">",
                             "<nav class=\"bar history\" aria-label=\"Breadcrumb\">\n<ol>",
                             "<main id=\"main\"", "<footer", "<link rel=\"stylesheet\""})
        EXPECT_EQ(Count(first, part), 1u) << part;
    // Texts are text; markup outside the safe list is too.
    EXPECT_NE(first.find("<h1>Summer &lt;&amp;&gt; &quot;2024&quot;</h1>"), std::string::npos);
    EXPECT_NE(first.find("<b>Welcome</b> &lt;blink&gt;home&lt;/blink&gt;"), std::string::npos);
    EXPECT_NE(first.find("Big &lt;b&gt;one&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(first.find("At the <i>sea</i>&lt;script&gt;x()&lt;/script&gt;"), std::string::npos);
    EXPECT_EQ(first.find("<script"), std::string::npos);
    EXPECT_EQ(Count(first, "<li class=\"picture\">") + Count(first, "<li class=\"file\">"), 9u);
    EXPECT_EQ(Count(second, "<li class=\"picture\">") + Count(second, "<li class=\"file\">"), 2u);
    // Pictures after the first row of three are lazy; sizes given; the PDF with its type and size.
    EXPECT_EQ(Count(first, "loading=\"lazy\""), 2u);
    EXPECT_NE(
        first.find("<img src=\"./thumb/MID.JPG.100q85.jpg\" srcset=\"./thumb/MID.JPG.100q85.jpg "
                   "1x, ./thumb/MID.JPG.200q85.jpg 2x\" width=\"100\" height=\"75\" "
                   "alt=\"mid.jpg\">"),
        std::string::npos);
    const VImage small = VImage::new_from_file((out / "thumb" / "MID.JPG.100q85.jpg").c_str());
    EXPECT_EQ(small.width(), 100);
    EXPECT_NE(first.find("<span class=\"type\">PDF, 1.5 KB</span>"), std::string::npos);
    EXPECT_NE(first.find("rel=\"next\" href=\"Index_Summer%20_%26_%20_2024_1.htm\""),
              std::string::npos);

    // The root shows the album as a card with a cover and its number of items.
    const std::string root = Read(out / "Index.htm");
    EXPECT_NE(root.find("<span class=\"count\">11 items</span>"), std::string::npos) << root;
    EXPECT_NE(root.find("srcset=\"./thumb/BIG.JPG.100q85.jpg 1x, ./thumb/BIG.JPG.200q85.jpg 2x\" "
                        "width=\"100\" height=\"75\" alt=\"\""),
              std::string::npos);

    // A page for each picture, video and sound; none for the PDF and the AVI's link.
    const std::string big = Read(out / "Index_Summer _&_ _2024__Big _b_one__b_.htm");
    ASSERT_FALSE(big.empty()) << testing::PrintToString(Files(out));
    EXPECT_NE(big.find("<img src=\"./view/BIG.JPG.300q85.jpg\" srcset=\"./view/BIG.JPG.300q85.jpg "
                       "300w, ./view/BIG.JPG.600q85.jpg 600w\" sizes=\"(min-width: 82rem) 78rem, "
                       "calc(100vw - 2rem)\" alt=\"Big &lt;b&gt;one&lt;/b&gt;\" width=\"300\" "
                       "height=\"225\">"),
              std::string::npos)
        << big;
    EXPECT_NE(big.find("<a rel=\"next\" href=\"Index_Summer%20_%26_%20_2024__mid.jpg.htm\""),
              std::string::npos);
    EXPECT_NE(big.find("<a href=\"./image/BIG.JPG\" download>Download original</a>"),
              std::string::npos);
    EXPECT_EQ(big.find("rel=\"prev\""), std::string::npos);
    EXPECT_NE(big.find("Taken <time datetime=\"2024-07-14T18:30:05\">2024-07-14 18:30</time>"),
              std::string::npos);
    const std::string mid = Read(out / "Index_Summer _&_ _2024__mid.jpg.htm");
    EXPECT_EQ(mid.find("600q85"), std::string::npos);
    EXPECT_NE(Read(out / "Index_Summer _&_ _2024__Clip.htm")
                  .find("<video controls preload=\"metadata\" src=\"./video/CLIP.MP4\">"),
              std::string::npos);
    EXPECT_NE(Read(out / "Index_Summer _&_ _2024__Song.htm")
                  .find("<audio controls preload=\"metadata\" src=\"./audio/SONG.MP3\">"),
              std::string::npos);
    EXPECT_EQ(Read(out / "Index_Summer _&_ _2024__Film.htm").find("<video"), std::string::npos);
    EXPECT_FALSE(fs::exists(out / "Index_Summer _&_ _2024__Report.htm"));
    const VImage view = VImage::new_from_file((out / "view" / "BIG.JPG.600q85.jpg").c_str());
    EXPECT_EQ(view.width(), 600);
    EXPECT_EQ(view.height(), 450);
    EXPECT_NE(Read(out / "style.css").find(".grid{"), std::string::npos);
}

TEST_F(ModernPageTest, ItemPagesKeepTheirNamesAndAStyleSwitchLeavesNothingOfTheOther) {
    ASSERT_TRUE(ExportWebsite(Parameters(PageStyle::Classic)).AllWritten());
    const std::vector<std::string> classicFiles = Files(out);
    std::map<std::string, std::string> classicBytes;
    for (const std::string& name : classicFiles) classicBytes[name] = Read(out / name);

    ASSERT_TRUE(ExportWebsite(Parameters(PageStyle::Modern)).AllWritten());
    const std::vector<std::string> modernFiles = Files(out);
    for (const char* name : {"index.html", "style.css", "view/BIG.JPG.300q85.jpg"})
        EXPECT_TRUE(std::binary_search(modernFiles.begin(), modernFiles.end(), name)) << name;

    // Another picture before the others: every item page keeps its name.
    const CItemKey added = tree.AddItem(album, "New", "file://" + (src / "mid.jpg").string()).key;
    ASSERT_EQ(tree.MoveItemTo(added, 0), CSiteStatus::Done);
    const ExportResult again = ExportWebsite(Parameters(PageStyle::Modern));
    ASSERT_TRUE(again.AllWritten()) << again.message;
    const std::vector<std::string> after = Files(out);
    for (const std::string& name : modernFiles)
        EXPECT_TRUE(std::binary_search(after.begin(), after.end(), name)) << name;
    ASSERT_EQ(tree.DeleteItem(added), CSiteStatus::Done);

    // Back to classic: the folder is what a classic export makes, byte for byte.
    const ExportResult back = ExportWebsite(Parameters(PageStyle::Classic));
    ASSERT_TRUE(back.AllWritten()) << back.message;
    EXPECT_EQ(Files(out), classicFiles);
    for (const std::string& name : classicFiles)
        EXPECT_EQ(Read(out / name), classicBytes[name]) << name;
}

}  // namespace
