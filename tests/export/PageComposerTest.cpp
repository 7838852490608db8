#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "PageComposer.h"
#include "WebsiteExporter.h"

namespace {

using exporttest::CrLf;
using exporttest::PageLink;
using exporttest::TempFolderTest;
namespace fs = std::filesystem;

std::size_t Count(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

// The root "Index" with a document and a 50 x 40 GIF, as a user would set it up.
class GoldenPageTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        page.saveEncoding = "";
        const fs::path report = Write("Docs/report.doc", "report");
        const fs::path logo = Write("Pics/logo.gif", exporttest::GifBytes(50, 40));
        tree.AddItem(tree.RootKey(), "Report", "file://" + report.string());
        tree.AddItem(tree.RootKey(), "Logo", "file://" + logo.string(), "Our logo");
    }

    ExportResult Export() {
        return ExportWebsite({.tree = tree,
                              .pageOption = page,
                              .layoutOption = layout,
                              .exportFolder = dir / "out",
                              .projectFile = {},
                              .clearExistingFolder = true,
                              .progress = {}});
    }

    static std::vector<std::string> PageStart() {
        return {
            "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">",
            "<HTML>",
            "<HEAD>",
            "<meta name=\"GENERATOR\" content=\"Pagelorn 1.0\">",
            "<TITLE>",
            "Index</TITLE>",
            "</HEAD>",
            "<BODY>",
            "<TABLE width=\"100%\" height=\"100%\"   align=\"Center\" border=0 "
            "bordercolor=#000000 cellspacing=0 cellpadding=0 >",
        };
    }

    CSiteTree tree;
    CPageOption page;
    CLayoutOption layout;
};

const char* const kReportCell[] = {
    "<FONT face=\"\" size=1 color=#000000>",
    "<A href=\"./doc/REPORT.DOC\">",
    "Report</A>",
    "",
    "</FONT>",
    "</TD>",
};

const char* const kLogoCell[] = {
    "<FONT face=\"\" size=1 color=#000000>",
    "<A href=\"./image/LOGO.GIF\"><IMG src = \"./image/LOGO.GIF\">",
    "</A>",
    "<BR>",
    "Our logo",
    "</FONT>",
    "</TD>",
};

TEST_F(GoldenPageTest, RootPageWithTwoItemsByteForByte) {
    const ExportResult result = Export();
    ASSERT_TRUE(result.AllWritten()) << result.message;
    EXPECT_EQ(result.pagesWritten, 1u);
    EXPECT_EQ(result.filesCopied, 2u);
    EXPECT_EQ(result.rootPage, dir / "out" / "Index.htm");

    std::vector<std::string> lines = PageStart();
    const std::string bar =
        "<TD width=\"100%\" height=\"5%\" colspan=4 border=0 "
        "bordercolor=#000000 bgcolor=#FFFFFF background=\"\">";
    const std::string cell = "<TD border=0 bordercolor=#000000 bgcolor=#FFFFFF background=\"\" >";
    lines.insert(lines.end(), {"<TR>", bar, "<FONT face=\"\" size=1 color=#000000>", "", "</FONT>",
                               "</TD>", "</TR>"});
    lines.insert(lines.end(),
                 {"<TR>", bar, "<FONT face=\"\" size=1 color=#000000>", "<A href=\"Index.htm\">",
                  "Index</A>", "", "</FONT>", "</TD>", "</TR>"});
    lines.insert(lines.end(), {"<TR>", "</TR>", "<TR>", cell});
    lines.insert(lines.end(), std::begin(kReportCell), std::end(kReportCell));
    lines.push_back(cell);
    lines.insert(lines.end(), std::begin(kLogoCell), std::end(kLogoCell));
    lines.insert(lines.end(),
                 {cell, "<FONT face=\"\" size=1 color=#000000>", "&nbsp", "</FONT>", "</TD>",
                  "</TR>", "</TABLE>", "<P align = center>Generated with  ! Pagelorn</P></HTML>"});
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(Read(dir / "out" / "Index.htm"), CrLf(lines));
    EXPECT_EQ(Read(dir / "out" / "doc" / "REPORT.DOC"), "report");
    EXPECT_EQ(Read(dir / "out" / "image" / "LOGO.GIF"), Read(dir / "Pics" / "logo.gif"));
    for (const char* folder : {"audio", "video", "zip", "others"})
        EXPECT_TRUE(fs::is_empty(dir / "out" / folder)) << folder;
}

TEST_F(GoldenPageTest, OneByOneCanvasGivesTwoPagesWithIndexBars) {
    layout.mainCanvas.rows = 1;
    layout.mainCanvas.columns = 1;
    ASSERT_TRUE(Export().AllWritten());
    const std::string first = Read(dir / "out" / "Index.htm");
    const std::string second = Read(dir / "out" / "Index1.htm");
    EXPECT_FALSE(fs::exists(dir / "out" / "Index2.htm"));

    const auto indexRow = [](const std::string& text) {
        std::string crlf;
        for (char c :
             "<TR>\n<TD width=\"80%\" height=\"5%\" align=Right colspan=2 border=0 "
             "bordercolor=#000000 bgcolor=#FFFFFF background=\"\">\n"
             "<FONT face=\"\" size=1 color=#000000>\n" +
                 text + "\n</FONT>\n</TD>\n</TR>\n</TABLE>\n") {
            if (c == '\n') crlf += '\r';
            crlf += c;
        }
        return crlf;
    };
    EXPECT_NE(first.find(indexRow("1" + PageLink("2", "Index1"))), std::string::npos) << first;
    EXPECT_NE(second.find(indexRow(PageLink("1", "Index") + "2")), std::string::npos) << second;
    EXPECT_NE(first.find("colspan=2 border=0"), std::string::npos);
    EXPECT_NE(first.find("Report</A>"), std::string::npos);
    EXPECT_EQ(first.find("LOGO.GIF"), std::string::npos);
    EXPECT_NE(second.find("LOGO.GIF"), std::string::npos);
    EXPECT_EQ(second.find("Report</A>"), std::string::npos);
    EXPECT_EQ(Count(first, "<TD border=0"), 1u);
}

TEST_F(GoldenPageTest, TenItemsOnThreeByThree) {
    for (int i = 3; i <= 10; ++i)
        tree.AddItem(tree.RootKey(), "Item " + std::to_string(i),
                     "http://example.com/" + std::to_string(i));
    ASSERT_TRUE(Export().AllWritten());
    const std::string first = Read(dir / "out" / "Index.htm");
    const std::string second = Read(dir / "out" / "Index1.htm");
    EXPECT_EQ(Count(first, "<TD border=0"), 9u);
    EXPECT_EQ(Count(first, "&nbsp"), 0u);
    // One row: the tenth item and two fillers, and no empty rows after it.
    const std::string cell =
        "<TD border=0 bordercolor=#000000 bgcolor=#FFFFFF background=\"\" >\r\n"
        "<FONT face=\"\" size=1 color=#000000>\r\n";
    const std::string filler = cell + "&nbsp\r\n</FONT>\r\n</TD>\r\n";
    EXPECT_NE(second.find("<TR>\r\n</TR>\r\n<TR>\r\n" + cell +
                          "<A href=\"http://example.com/10\">\r\nItem 10</A>\r\n\r\n</FONT>\r\n"
                          "</TD>\r\n" +
                          filler + filler + "</TR>\r\n<TR>\r\n<TD width=\"80%\""),
              std::string::npos)
        << second;
}

TEST_F(GoldenPageTest, HeaderFooterMarginsBackgroundMetaAndFonts) {
    const fs::path back = Write("Pics/Back.gif", exporttest::GifBytes(8, 8));
    page.header = "Welcome";
    page.footer = "Bye";
    page.margins.specifyTopMargin = page.margins.specifyLeftMargin = 1;
    page.margins.topMargin = 10;
    page.margins.leftMargin = 20;
    page.background.specifyBackground = page.background.useBackgroundImage = 1;
    page.background.backgroundImage = back.string();
    page.AddMetaVariable("Keywords", "a,b", false);
    page.general.title = "Site";
    layout.areas[kHeaderBarSlot].alignment = "Center";
    layout.areas[kHeaderBarSlot].font.bold = 1;
    layout.areas[kHeaderBarSlot].font.faceName = "Arial";
    layout.areas[kHeaderBarSlot].font.pointSize = 180;
    layout.areas[kFooterBarSlot].font.strikeOut = 1;
    layout.areas[kFooterBarSlot].font.underline = 1;
    layout.areas[kFooterBarSlot].font.color = 0x00FF00;
    layout.areas[kHistoryBarSlot].alignment = "Left";
    layout.areas[kHistoryBarSlot].bgColor = 0x0000FF;
    layout.areas[kHistoryBarSlot].imagePath = back.string();
    layout.areas[kTopNavigatorBarSlot].font.italic = 1;
    layout.table.cellLineWidth = 2;
    layout.table.cellLineColor = 0xFF0000;
    layout.mainCanvas.cellAlignment = "Right";
    layout.mainCanvas.bgColor = 0xEEEEEE;
    tree.SetText(tree.RootKey(), CSiteField::Description, "All about us");
    const ExportResult result = Export();
    ASSERT_TRUE(result.AllWritten()) << result.message;
    // The background serves the body and the History Bar and is copied once.
    EXPECT_EQ(result.filesCopied, 3u);

    const std::string text = Read(dir / "out" / "Index.htm");
    std::string expected;
    for (const char* piece : {
             "<HEAD>\n<meta name=\"GENERATOR\" content=\"Pagelorn 1.0\">\n"
             "<meta name=\"Keywords\" content=\"a,b\">\n<TITLE>\nSite---Index</TITLE>\n</HEAD>\n"
             "<BODY topmargin=10 leftmargin=20 background=\"./image/Back.gif\">\n"
             "<P align=\"Center\">\n<FONT face=\"Arial\" size=5 color=#000000>\n<STRONG>\n"
             "Welcome</STRONG>\n\n</FONT>\n</P>\n<TABLE ",
             "<TR>\n<TD width=\"100%\" height=\"5%\" colspan=4 border=2 bordercolor=#0000FF "
             "bgcolor=#FFFFFF background=\"\">\n<FONT face=\"\" size=1 color=#000000>\n<EM>\n"
             "</EM>\n\n</FONT>\n</TD>\n</TR>\n"
             "<TR align=\"Left\">\n<TD width=\"100%\" height=\"5%\" colspan=4 border=2 "
             "bordercolor=#0000FF bgcolor=#FF0000 background=\"./image/Back.gif\">\n",
             "<TR>\n<TD colspan=3 border=2 bordercolor=#0000FF bgcolor=#EEEEEE background=\"\"  "
             "align=\"Right\">\n<FONT face=\"\" size=1 color=#000000>\nAll about us\n</FONT>\n"
             "</TD>\n</TR>\n<TR>\n<TD border=2 bordercolor=#0000FF bgcolor=#EEEEEE background=\"\" "
             " "
             "align=\"Right\">\n",
             "</TABLE>\n<P>\n<FONT face=\"\" size=1 color=#00FF00>\n<U>\n<STRIKE>\nBye</STRIKE>\n"
             "</U>\n\n</FONT>\n</P>\n<P align = center>",
         }) {
        std::string crlf;
        for (char c : std::string(piece)) {
            if (c == '\n') crlf += '\r';
            crlf += c;
        }
        EXPECT_NE(text.find(crlf), std::string::npos) << piece << "\n---\n" << text;
    }
}

class ComposerTest : public TempFolderTest {
protected:
    CPageOption page;
    CLayoutOption layout;
};

TEST_F(ComposerTest, BarsAndCellsFollowTheirAreas) {
    CLinkedFiles files;
    CHtmlWriter writer(page, layout, files);
    CPageComposer composer(writer);
    layout.mainCanvas.rows = 4;
    layout.areas[kNextNavigatorBarSlot].alignment = "Center";
    layout.areas[kNextNavigatorBarSlot].imagePath = "/pics/Nav.gif";
    EXPECT_EQ(composer.MakeNextNavigatorCell(""), "");
    EXPECT_EQ(composer.MakeNextNavigatorCell("links"),
              "<TD width=\"20%\" height=\"90%\" rowspan=6 border=0 bordercolor=#000000 "
              "bgcolor=#FFFFFF background=\"./image/Nav.gif\"  align=\"Center\">\n"
              "<FONT face=\"\" size=1 color=#000000>\nlinks\n</FONT>\n</TD>\n");
    EXPECT_EQ(composer.MakeCanvasHeadCell(""), "");
    EXPECT_EQ(composer.MakeIndexRow(""), "");
    EXPECT_EQ(composer.MakeIndexRow("1"), "");
    layout.areas[kIndexBarSlot].alignment = "";
    EXPECT_EQ(composer.MakeIndexRow("1<A>"),
              "<TR>\n<TD width=\"80%\" height=\"5%\" align= colspan=4 border=0 bordercolor=#000000 "
              "bgcolor=#FFFFFF background=\"\">\n<FONT face=\"\" size=1 color=#000000>\n1<A>\n"
              "</FONT>\n</TD>\n</TR>\n");
}

TEST_F(ComposerTest, CanvasPagesCutItemsIntoRowsAndColumns) {
    CLinkedFiles files;
    CHtmlWriter writer(page, layout, files);
    CPageComposer composer(writer);
    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    EXPECT_TRUE(composer.BuildCanvasPages(tree.Root()->Folder(), 3, 3).empty());

    tree.AddItem(root, "Bare");      // no URL: the bare caption
    tree.AddItem(root, "", "", "");  // nothing to show: no cell at all
    tree.AddItem(root, "Pic", "http://example.com/a.GIF", "described");
    tree.AddItem(root, "Last", "file:///x/y.png");
    const CSiteFolder& folder = tree.Root()->Folder();
    std::vector<std::string> pages = composer.BuildCanvasPages(folder, 1, 3);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Count(pages[0], "<TD "), 2u);
    EXPECT_NE(pages[0].find("\nBare\n</FONT>"), std::string::npos);
    EXPECT_NE(pages[0].find("<A href=\"http://example.com/a.GIF\"><IMG src = "
                            "\"http://example.com/a.GIF\" width = 100 height = 100></A>\n<BR>\n"
                            "described\n</FONT>"),
              std::string::npos);
    EXPECT_NE(pages[1].find("<A href=\"./others/Y.PNG\">\nLast</A>\n"), std::string::npos);
    EXPECT_EQ(Count(pages[1], "&nbsp"), 2u);

    // Without columns no item is ever placed: one page of empty rows per item.
    pages = composer.BuildCanvasPages(folder, 2, 0);
    ASSERT_EQ(pages.size(), 4u);
    for (const std::string& body : pages) EXPECT_EQ(body, "<TR>\n</TR>\n<TR>\n</TR>\n");
    pages = composer.BuildCanvasPages(folder, 0, 3);
    ASSERT_EQ(pages.size(), 4u);
    for (const std::string& body : pages) EXPECT_EQ(body, "");

    EXPECT_EQ(CanvasPageCount(0, 3, 3), 0u);
    EXPECT_EQ(CanvasPageCount(9, 3, 3), 1u);
    EXPECT_EQ(CanvasPageCount(10, 3, 3), 2u);
    EXPECT_EQ(CanvasPageCount(4, 0, 3), 4u);
}

}  // namespace
