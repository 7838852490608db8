#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "HtmlWriter.h"
#include "SiteFolder.h"

// The texts one page is made of, computed by the export for the folder being written.
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

// Composes pages in the fixed left layout from the layout options: Header Bar paragraph, the
// outer table with Top Navigator and History rows, the canvas row (Next Navigator cell and the
// canvas heading), the item rows, the Index Bar row, then the Footer Bar paragraph and the
// "Generated with" line.
class CPageComposer {
public:
    explicit CPageComposer(CHtmlWriter& writer)
        : writer(writer), page(writer.PageOption()), layout(writer.LayoutOption()) {}

    std::string BuildPage(const PageTexts& texts);

    std::string MakeHeaderParagraph() const;
    std::string MakeFooterParagraph() const;
    // Always a row, also for an empty text.
    std::string MakeTopNavigatorRow(std::string_view text);
    std::string MakeHistoryRow(std::string_view text);
    // "" for an empty text.
    std::string MakeNextNavigatorCell(std::string_view text);
    std::string MakeCanvasHeadCell(std::string_view text);
    // Wraps the content in a styled canvas cell; an empty content stays empty (no cell).
    void MakeItemCell(std::string& content);
    // "" for an empty text and for "1", the text of a folder's only page.
    std::string MakeIndexRow(std::string_view text);

    // The item rows of each page of the folder: rows x columns cells a page, items in order,
    // thumbnails for web pictures and text links for everything else; the last row is filled up
    // with "&nbsp" cells. Copies the items' local files.
    std::vector<std::string> BuildCanvasPages(const CSiteFolder& folder, int rows, int columns);

    // The content of one item's cell (before MakeItemCell).
    std::string MakeItemContent(const CSiteItem& item);

private:
    std::string MakeBarRow(int slot, std::string_view text);
    std::string CellAttributes(const CLayoutAreaOption& area);

    CHtmlWriter& writer;
    const CPageOption& page;
    const CLayoutOption& layout;
};
