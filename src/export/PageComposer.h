#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "HtmlWriter.h"
#include "SiteFolder.h"

// The texts one page is made of, computed by the export for the page being written. The caption
// and the canvas heading are the project's texts as stored; the other texts are markup made for
// the page, whose texts of the project went through CHtmlWriter::Text already.
struct PageTexts {
    std::string caption;        // the folder's caption, for the TITLE
    std::string topNavigator;   // links to the root's sub-sites
    std::string history;        // links from the root down to this folder
    std::string nextNavigator;  // links to this folder's sub-sites
    std::string canvasHeading;  // the folder's description
    std::string itemRows;       // this page's rows of item cells
    std::string indexText;      // this page's page-number links
};

// Number of pages BuildCanvasPages makes for a folder of itemCount items: ceil(items / (rows x
// columns)), or one page per item when rows or columns is 0.
std::size_t CanvasPageCount(std::size_t itemCount, int rows, int columns);

// What goes before and after a text in a bar, a cell or a paragraph.
struct CTextFrame {
    std::string start;
    std::string end;

    void Append(std::string& out, std::string_view text) const {
        out += start;
        out += text;
        out += end;
    }
};

// The parts of a page that are the same on every page of one export, each made the first time a
// page needs it (so that the files they link to are linked in the order pages show them) and then
// reused. Carrying out an export's plan starts from the parts the plan made.
struct CPageFrame {
    std::optional<std::string> headStart;  // from the DOCTYPE to the TITLE's text
    std::optional<std::string> headEnd;    // after the TITLE's text, up to the first bar row
    std::optional<CTextFrame> topNavigatorRow;
    std::optional<CTextFrame> historyRow;
    std::optional<CTextFrame> nextNavigatorCell;
    std::optional<CTextFrame> canvasHeadCell;
    std::optional<CTextFrame> itemCell;
    std::optional<CTextFrame> indexRow;
    std::optional<std::string> pageEnd;  // from the end of the table to the end of the document
};

// Composes pages in the fixed left layout from the layout options: Header Bar paragraph, the
// outer table with Top Navigator and History rows, the canvas row (Next Navigator cell and the
// canvas heading), the item rows, the Index Bar row, then the Footer Bar paragraph and the
// "Generated with" line. Every file a page shows is linked through the writer's links while the
// page is composed. The Make... primitives build their part anew on each call; BuildPage and the
// canvas pages keep the parts that are the same on every page in the frame.
class CPageComposer {
public:
    explicit CPageComposer(CHtmlWriter& writer, CPageFrame frame = {})
        : writer(writer),
          page(writer.PageOption()),
          layout(writer.LayoutOption()),
          frame(std::move(frame)) {}

    std::string BuildPage(const PageTexts& texts);
    // The same, appended to `out`.
    void AppendPage(std::string& out, const PageTexts& texts);
    // Makes the parts of the frame a page needs that are not made yet, linking what they show in
    // the order AppendPage would: with `nextNavigator` a page with sub-sites, with
    // `canvasHeading` one with a description, with `indexRow` one of several pages.
    void MakeFrame(bool nextNavigator, bool canvasHeading, bool indexRow);

    std::string MakeHeaderParagraph() const;
    std::string MakeFooterParagraph() const;
    // Always a row, also for an empty text.
    std::string MakeTopNavigatorRow(std::string_view text);
    std::string MakeHistoryRow(std::string_view text);
    // "" for an empty text.
    std::string MakeNextNavigatorCell(std::string_view text);
    // The folder's description as stored; "" for an empty text.
    std::string MakeCanvasHeadCell(std::string_view text);
    // Wraps the content in a styled canvas cell; an empty content stays empty (no cell).
    void MakeItemCell(std::string& content);
    // "" for an empty text and for "1", the text of a folder's only page.
    std::string MakeIndexRow(std::string_view text);

    // The item rows of each page of the folder: rows x columns cells a page, items in order,
    // thumbnails for web pictures and text links for everything else; the last row is filled up
    // with "&nbsp" cells. Links the items' local files.
    std::vector<std::string> BuildCanvasPages(const CSiteFolder& folder, int rows, int columns);
    // Links what the cells of all those pages show, in their order, without composing them.
    void LinkCanvasItems(const CSiteFolder& folder, int rows, int columns);
    // The item rows of one of those pages (pageIndex below CanvasPageCount).
    std::string BuildCanvasPage(const CSiteFolder& folder, int rows, int columns,
                                std::size_t pageIndex);

    // The content of one item's cell (before MakeItemCell).
    std::string MakeItemContent(const CSiteItem& item);

    const CPageFrame& Frame() const { return frame; }

private:
    CTextFrame BarRowFrame(int slot);
    CTextFrame TopNavigatorRowFrame();
    CTextFrame HistoryRowFrame();
    CTextFrame NextNavigatorCellFrame();
    CTextFrame CanvasHeadCellFrame();
    CTextFrame ItemCellFrame();
    CTextFrame IndexRowFrame();
    std::string CellAttributes(const CLayoutAreaOption& area, std::string_view property);
    const CTextFrame& Cached(std::optional<CTextFrame>& part, CTextFrame (CPageComposer::*make)());

    CHtmlWriter& writer;
    const CPageOption& page;
    const CLayoutOption& layout;
    CPageFrame frame;
};
