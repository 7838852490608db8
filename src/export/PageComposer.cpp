#include "PageComposer.h"

#include <algorithm>

#include "VideoPoster.h"

namespace {

std::string AlignmentText(std::string_view alignment) {
    if (alignment.empty()) return {};
    return " align=\"" + std::string(alignment) + "\"";
}

// The setting that holds a bar's background image, named as the Layout Properties sheet shows
// it: the sheet's pages for the History Bar and the Next Navigator Bar edit each other's slots.
std::string_view BarImageProperty(int slot) {
    switch (slot) {
        case kHeaderBarSlot:
            return "Layout Properties > Header Bar > Image";
        case kTopNavigatorBarSlot:
            return "Layout Properties > Top Navigator Bar > Image";
        case kHistoryBarSlot:
            return "Layout Properties > Next Navigator Bar > Image";
        case kNextNavigatorBarSlot:
            return "Layout Properties > History Bar > Image";
        case kIndexBarSlot:
            return "Layout Properties > Index Bar > Image";
        default:
            break;
    }
    return "Layout Properties > Footer Bar > Image";
}

constexpr std::string_view kCanvasImageProperty = "Layout Properties > Main Canvas > Image";
constexpr std::string_view kFiller = "&nbsp";

}  // namespace

std::size_t CanvasPageCount(std::size_t itemCount, int rows, int columns) {
    if (itemCount == 0) return 0;
    if (rows <= 0 || columns <= 0) return itemCount;
    const std::size_t perPage = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    return (itemCount + perPage - 1) / perPage;
}

const CTextFrame& CPageComposer::Cached(std::optional<CTextFrame>& part,
                                        CTextFrame (CPageComposer::*make)()) {
    if (!part) part = (this->*make)();
    return *part;
}

std::string CPageComposer::BuildPage(const PageTexts& texts) {
    std::string result;
    AppendPage(result, texts);
    return result;
}

void CPageComposer::MakeFrame(bool nextNavigator, bool canvasHeading, bool indexRow) {
    if (!frame.headStart) frame.headStart = CHtmlWriter::BeginDocument() + writer.MakeHeadStart();
    if (!frame.headEnd)
        frame.headEnd = writer.MakeHeadEnd() + writer.MakeBody() + MakeHeaderParagraph() +
                        writer.MakeTableStart();
    Cached(frame.topNavigatorRow, &CPageComposer::TopNavigatorRowFrame);
    Cached(frame.historyRow, &CPageComposer::HistoryRowFrame);
    if (nextNavigator) Cached(frame.nextNavigatorCell, &CPageComposer::NextNavigatorCellFrame);
    if (canvasHeading) Cached(frame.canvasHeadCell, &CPageComposer::CanvasHeadCellFrame);
    if (indexRow) Cached(frame.indexRow, &CPageComposer::IndexRowFrame);
    if (!frame.pageEnd)
        frame.pageEnd = CHtmlWriter::MakeTableEnd() + MakeFooterParagraph() +
                        CHtmlWriter::MakeGeneratedBy() + CHtmlWriter::EndDocument();
}

void CPageComposer::AppendPage(std::string& result, const PageTexts& texts) {
    const bool indexRow = !texts.indexText.empty() && texts.indexText != "1";
    MakeFrame(!texts.nextNavigator.empty(), !texts.canvasHeading.empty(), indexRow);
    result.reserve(result.size() + 4096 + texts.itemRows.size() + texts.history.size() +
                   2 * texts.topNavigator.size() + texts.nextNavigator.size());
    result += *frame.headStart;
    result += writer.Text(texts.caption);
    result += *frame.headEnd;
    frame.topNavigatorRow->Append(result, texts.topNavigator);
    frame.historyRow->Append(result, texts.history);
    result += "<TR>\n";
    if (!texts.nextNavigator.empty()) frame.nextNavigatorCell->Append(result, texts.nextNavigator);
    if (!texts.canvasHeading.empty())
        frame.canvasHeadCell->Append(result, writer.Text(texts.canvasHeading));
    result += "</TR>\n";
    result += texts.itemRows;
    if (indexRow) frame.indexRow->Append(result, texts.indexText);
    result += *frame.pageEnd;
}

std::string CPageComposer::CellAttributes(const CLayoutAreaOption& area,
                                          std::string_view property) {
    return "border=" + std::to_string(layout.table.cellLineWidth) +
           " bordercolor=" + CHtmlWriter::ColorToHtml(layout.table.cellLineColor) +
           " bgcolor=" + CHtmlWriter::ColorToHtml(area.bgColor) + " background=\"" +
           writer.CopyLinkedFile(area.imagePath.View(), property) + "\"";
}

std::string CPageComposer::MakeHeaderParagraph() const {
    if (page.header.empty()) return {};
    const CLayoutAreaOption& area = layout.areas[kHeaderBarSlot];
    return "<P" + AlignmentText(area.alignment.View()) + ">\n" +
           CHtmlWriter::StyleText(area.font, writer.Text(page.header)) + "</P>\n";
}

std::string CPageComposer::MakeFooterParagraph() const {
    if (page.footer.empty()) return {};
    const CLayoutAreaOption& area = layout.areas[kFooterBarSlot];
    return "<P" + AlignmentText(area.alignment.View()) + ">\n" +
           CHtmlWriter::StyleText(area.font, writer.Text(page.footer)) + "</P>\n";
}

CTextFrame CPageComposer::BarRowFrame(int slot) {
    const CLayoutAreaOption& area = layout.areas[static_cast<std::size_t>(slot)];
    return {"<TR" + AlignmentText(area.alignment.View()) +
                ">\n<TD width=\"100%\" height=\"5%\" colspan=" +
                std::to_string(layout.mainCanvas.columns + 1) + " " +
                CellAttributes(area, BarImageProperty(slot)) + ">\n" +
                CHtmlWriter::StyleStart(area.font),
            CHtmlWriter::StyleEnd(area.font) + "</TD>\n</TR>\n"};
}

CTextFrame CPageComposer::TopNavigatorRowFrame() {
    return BarRowFrame(kTopNavigatorBarSlot);
}

CTextFrame CPageComposer::HistoryRowFrame() {
    return BarRowFrame(kHistoryBarSlot);
}

CTextFrame CPageComposer::NextNavigatorCellFrame() {
    const CLayoutAreaOption& area = layout.areas[kNextNavigatorBarSlot];
    // The cell spans the canvas row, the item rows and the Index Bar row.
    return {
        "<TD width=\"20%\" height=\"90%\" rowspan=" + std::to_string(layout.mainCanvas.rows + 2) +
            " " + CellAttributes(area, BarImageProperty(kNextNavigatorBarSlot)) + " " +
            AlignmentText(area.alignment.View()) + ">\n" + CHtmlWriter::StyleStart(area.font),
        CHtmlWriter::StyleEnd(area.font) + "</TD>\n"};
}

CTextFrame CPageComposer::CanvasHeadCellFrame() {
    const CLayoutMainOption& canvas = layout.mainCanvas;
    return {"<TD colspan=" + std::to_string(canvas.columns) + " " +
                CellAttributes(canvas, kCanvasImageProperty) + " " +
                AlignmentText(canvas.cellAlignment.View()) + ">\n" +
                CHtmlWriter::StyleStart(canvas.font),
            CHtmlWriter::StyleEnd(canvas.font) + "</TD>\n"};
}

CTextFrame CPageComposer::ItemCellFrame() {
    const CLayoutMainOption& canvas = layout.mainCanvas;
    return {"<TD " + CellAttributes(canvas, kCanvasImageProperty) + " " +
                AlignmentText(canvas.cellAlignment.View()) + ">\n" +
                CHtmlWriter::StyleStart(canvas.font),
            CHtmlWriter::StyleEnd(canvas.font) + "</TD>\n"};
}

CTextFrame CPageComposer::IndexRowFrame() {
    const CLayoutAreaOption& area = layout.areas[kIndexBarSlot];
    // The alignment is written unquoted, and also when it is empty.
    return {"<TR>\n<TD width=\"80%\" height=\"5%\" align=" + area.alignment.Str() +
                " colspan=" + std::to_string(layout.mainCanvas.columns + 1) + " " +
                CellAttributes(area, BarImageProperty(kIndexBarSlot)) + ">\n" +
                CHtmlWriter::StyleStart(area.font),
            CHtmlWriter::StyleEnd(area.font) + "</TD>\n</TR>\n"};
}

std::string CPageComposer::MakeTopNavigatorRow(std::string_view text) {
    const CTextFrame row = TopNavigatorRowFrame();
    return row.start + std::string(text) + row.end;
}

std::string CPageComposer::MakeHistoryRow(std::string_view text) {
    const CTextFrame row = HistoryRowFrame();
    return row.start + std::string(text) + row.end;
}

std::string CPageComposer::MakeNextNavigatorCell(std::string_view text) {
    if (text.empty()) return {};
    const CTextFrame cell = NextNavigatorCellFrame();
    return cell.start + std::string(text) + cell.end;
}

std::string CPageComposer::MakeCanvasHeadCell(std::string_view text) {
    if (text.empty()) return {};
    const CTextFrame cell = CanvasHeadCellFrame();
    return cell.start + writer.Text(text) + cell.end;
}

void CPageComposer::MakeItemCell(std::string& content) {
    if (content.empty()) return;
    const CTextFrame& cell = Cached(frame.itemCell, &CPageComposer::ItemCellFrame);
    std::string wrapped;
    wrapped.reserve(cell.start.size() + content.size() + cell.end.size());
    cell.Append(wrapped, content);
    content = std::move(wrapped);
}

std::string CPageComposer::MakeIndexRow(std::string_view text) {
    if (text.empty() || text == "1") return {};
    const CTextFrame row = IndexRowFrame();
    return row.start + std::string(text) + row.end;
}

std::string CPageComposer::MakeItemContent(const CSiteItem& item) {
    const ItemTarget target = writer.Links().ItemLink(item);
    std::string content;
    if (ShowsPicture(target)) {
        content = CHtmlWriter::MakeImageLink(target.link, target.pictureLink,
                                             target.thumbnail.width, target.thumbnail.height);
    } else if (!target.posterLink.empty()) {
        // A video's poster, and under it the caption with a play mark and the duration.
        content = CHtmlWriter::MakeImageLink(target.link, target.posterLink, target.thumbnail.width,
                                             target.thumbnail.height);
        CHtmlWriter::AppendBreak(content);
        std::string label = "&#9654; " + writer.Text(item.caption);
        if (target.durationMs >= 0) label += " (" + DurationText(target.durationMs) + ")";
        content += CHtmlWriter::MakeLink(label, target.link, false);
    } else {
        content = CHtmlWriter::MakeLink(writer.Text(item.caption), target.link, false);
    }
    if (!item.description.empty()) {
        CHtmlWriter::AppendBreak(content);
        content += writer.Text(item.description);
    }
    return content;
}

std::string CPageComposer::BuildCanvasPage(const CSiteFolder& folder, int rows, int columns,
                                           std::size_t pageIndex) {
    const std::size_t itemCount = folder.items.size();
    // With 0 rows or 0 columns no item is ever placed, and each page is then rows empty rows.
    const std::size_t perPage = static_cast<std::size_t>(std::max(rows, 0)) *
                                static_cast<std::size_t>(std::max(columns, 0));
    std::size_t next = std::min(itemCount, pageIndex * perPage);
    std::string body;
    for (int row = 0; row < rows && next < itemCount; ++row) {
        body += "<TR>\n";
        for (int column = 0; column < columns; ++column) {
            std::string cell =
                next < itemCount ? MakeItemContent(folder.items[next++]) : std::string(kFiller);
            MakeItemCell(cell);
            body += cell;
        }
        body += "</TR>\n";
    }
    return body;
}

void CPageComposer::LinkCanvasItems(const CSiteFolder& folder, int rows, int columns) {
    // With 0 rows or 0 columns no item is ever placed.
    if (rows <= 0 || columns <= 0) return;
    for (const CSiteItem& item : folder.items) {
        writer.Links().ItemLink(item);
        Cached(frame.itemCell, &CPageComposer::ItemCellFrame);
    }
}

std::vector<std::string> CPageComposer::BuildCanvasPages(const CSiteFolder& folder, int rows,
                                                         int columns) {
    std::vector<std::string> pages;
    const std::size_t count = CanvasPageCount(folder.items.size(), rows, columns);
    pages.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        pages.push_back(BuildCanvasPage(folder, rows, columns, i));
    return pages;
}
