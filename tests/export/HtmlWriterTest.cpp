#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "HtmlWriter.h"

namespace {

using exporttest::TempFolderTest;
namespace fs = std::filesystem;

TEST(HtmlPrimitivesTest, ColoursAreRedGreenBlueInUpperCaseHex) {
    EXPECT_EQ(CHtmlWriter::ColorToHtml(0), "#000000");
    EXPECT_EQ(CHtmlWriter::ColorToHtml(0xFF), "#FF0000");
    EXPECT_EQ(CHtmlWriter::ColorToHtml(0xFF0000), "#0000FF");
    EXPECT_EQ(CHtmlWriter::ColorToHtml(0xFFFFFF), "#FFFFFF");
    EXPECT_EQ(CHtmlWriter::ColorToHtml(0x800A0B), "#0B0A80");
    EXPECT_EQ(CHtmlWriter::ColorToHtml(0xAB123456), "#563412");
}

TEST(HtmlPrimitivesTest, FontSizesFromTenthsOfAPoint) {
    const std::pair<int, int> cases[] = {{0, 1},   {80, 1},  {95, 1},  {100, 2},
                                         {120, 3}, {140, 4}, {180, 5}, {240, 6},
                                         {300, 6}, {310, 7}, {360, 7}, {-50, 1}};
    for (auto [points, size] : cases)
        EXPECT_EQ(CHtmlWriter::FontSizeToHtml(points), size) << points;
}

TEST(HtmlPrimitivesTest, StyleTextNestsStrikeInnermostAndStrongOutermost) {
    CFontOption font;
    EXPECT_EQ(CHtmlWriter::StyleText(font, "x"),
              "<FONT face=\"\" size=1 color=#000000>\nx\n</FONT>\n");

    font.faceName = "Times New Roman";
    font.pointSize = 140;
    font.color = 0x0000FF;
    font.bold = font.italic = font.underline = font.strikeOut = 1;
    EXPECT_EQ(CHtmlWriter::StyleText(font, "Hi"),
              "<FONT face=\"Times New Roman\" size=4 color=#FF0000>\n"
              "<STRONG>\n<U>\n<EM>\n<STRIKE>\nHi</STRIKE>\n</EM>\n</U>\n</STRONG>\n\n</FONT>\n");

    CFontOption italic;
    italic.italic = 1;
    EXPECT_EQ(CHtmlWriter::StyleText(italic, ""),
              "<FONT face=\"\" size=1 color=#000000>\n<EM>\n</EM>\n\n</FONT>\n");
}

TEST(HtmlPrimitivesTest, LinksAndPictures) {
    EXPECT_EQ(CHtmlWriter::MakeLink("Next", "Index1", true), "<A href=\"Index1.htm\">\nNext</A>\n");
    EXPECT_EQ(CHtmlWriter::MakeLink("Doc", "./doc/A.DOC", false),
              "<A href=\"./doc/A.DOC\">\nDoc</A>\n");
    EXPECT_EQ(CHtmlWriter::MakeLink("bare <b>caption</b>", "", true), "bare <b>caption</b>");

    EXPECT_EQ(CHtmlWriter::MakeImageLink("", 10, 10), "");
    EXPECT_EQ(CHtmlWriter::MakeImageLink("./image/A.GIF", 0, 0),
              "<A href=\"./image/A.GIF\"><IMG src = \"./image/A.GIF\">\n</A>\n");
    EXPECT_EQ(CHtmlWriter::MakeImageLink("./image/A.GIF", 100, 0),
              "<A href=\"./image/A.GIF\"><IMG src = \"./image/A.GIF\">\n</A>\n");
    EXPECT_EQ(
        CHtmlWriter::MakeImageLink("./image/A.GIF", 100, 50),
        "<A href=\"./image/A.GIF\"><IMG src = \"./image/A.GIF\" width = 100 height = 50></A>\n");

    EXPECT_EQ(CHtmlWriter::MakeGeneratedBy(), "<P align = center>Generated with  ! Pagelorn</P>");
}

class HtmlWriterTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        page.saveEncoding = "";
    }
    CPageOption page;
    CLayoutOption layout;
};

TEST_F(HtmlWriterTest, HeadWithCharsetMetaVariablesTitleAndSound) {
    CLinkedFiles files;
    CHtmlWriter writer(page, layout, files);
    EXPECT_EQ(
        writer.MakeHead("Products"),
        "<HEAD>\n<meta name=\"GENERATOR\" content=\"Pagelorn 1.0\">\n<TITLE>\nProducts</TITLE>\n"
        "</HEAD>\n");

    page.saveEncoding = "ISO-8859-1";
    page.loadEncoding = "Shift_JIS";
    page.AddMetaVariable("Refresh", "5", true);
    page.AddMetaVariable("Author", "Say \"hi\"", false);
    page.general.title = "My Site";
    page.general.soundLocation = "/music/Theme.MID";
    EXPECT_EQ(writer.MakeHead("Products"),
              "<HEAD>\n"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">\n"
              "<meta name=\"GENERATOR\" content=\"Pagelorn 1.0\">\n"
              "<meta http-equiv=\"Refresh\" content=\"5\">\n"
              "<meta name=\"Author\" content=\"Say \"hi\"\">\n"
              "<TITLE>\nMy Site---Products</TITLE>\n"
              "<bgsound src=\"./audio/Theme.MID\" loop=-1>\n"
              "</HEAD>\n");

    page.Reset(false);
    page.general.soundLoop = 3;
    page.general.soundLocation = "/music/a.wav";
    EXPECT_EQ(
        writer.MakeHead("X"),
        "<HEAD>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">\n"
        "<TITLE>\nX</TITLE>\n<bgsound src=\"./audio/a.wav\" loop=3>\n</HEAD>\n");
}

TEST_F(HtmlWriterTest, BodyWithMarginsBackgroundAndColours) {
    CLinkedFiles files;
    CHtmlWriter writer(page, layout, files);
    EXPECT_EQ(writer.MakeBody(), "<BODY>\n");

    page.margins.specifyTopMargin = 1;
    page.margins.topMargin = 5;
    page.margins.leftMargin = 7;
    EXPECT_EQ(writer.MakeBody(), "<BODY topmargin=5>\n");
    page.margins.specifyLeftMargin = 1;

    // Background settings count only once "Specify Background and Colors" is set.
    CPageBKGDOption& background = page.background;
    background.useBackgroundImage = 1;
    background.watermark = 1;
    background.backgroundImage = "/pics/Back.gif";
    background.useDefaultColors = 0;
    EXPECT_EQ(writer.MakeBody(), "<BODY topmargin=5 leftmargin=7>\n");

    background.specifyBackground = 1;
    background.bgColor = 0x800A0B;
    background.textColor = 0x0000FF;
    background.linkColor = 0x00FF00;
    background.activeLinkColor = 0x111111;
    background.visitedLinkColor = 0x222222;
    EXPECT_EQ(
        writer.MakeBody(),
        "<BODY topmargin=5 leftmargin=7 background=\"./image/Back.gif\" bgproperties=\"fixed\""
        " bgcolor=\"#0B0A80\" text=\"#FF0000\" link=\"#00FF00\" vlink=\"#222222\""
        " alink=\"#111111\">\n");

    background.useBackgroundImage = 0;
    background.useDefaultColors = 1;
    EXPECT_EQ(writer.MakeBody(), "<BODY topmargin=5 leftmargin=7>\n");
    background.useBackgroundImage = 1;
    background.watermark = 0;
    background.backgroundImage = "";
    EXPECT_EQ(writer.MakeBody(), "<BODY topmargin=5 leftmargin=7>\n");
}

TEST_F(HtmlWriterTest, TableStartFromTheTableOptions) {
    CLinkedFiles files;
    CHtmlWriter writer(page, layout, files);
    EXPECT_EQ(
        writer.MakeTableStart(),
        "<TABLE width=\"100%\" height=\"100%\"   align=\"Center\" border=0 bordercolor=#000000"
        " cellspacing=0 cellpadding=0 >\n");
    layout.table.alignment = "";
    layout.table.borderWidth = 2;
    layout.table.borderColor = 0xFF;
    layout.table.cellSpacing = 3;
    layout.table.cellPadding = 4;
    EXPECT_EQ(writer.MakeTableStart(),
              "<TABLE width=\"100%\" height=\"100%\"   border=2 bordercolor=#FF0000 cellspacing=3"
              " cellpadding=4 >\n");
}

}  // namespace
