#include "PageComposer.h"

#include "Thumbnail.h"

namespace {

std::string AlignmentText(std::string_view alignment) {
    if (alignment.empty()) return {};
    return " align=\"" + std::string(alignment) + "\"";
}

}  // namespace

std::size_t CanvasPageCount(std::size_t itemCount, int rows, int columns) {
    if (itemCount == 0) return 0;
    if (rows <= 0 || columns <= 0) return itemCount;
    const std::size_t perPage = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    return (itemCount + perPage - 1) / perPage;
}

std::string CPageComposer::BuildPage(const PageTexts& texts) {
    std::string result = CHtmlWriter::BeginDocument();
    result.reserve(4096 + texts.itemRows.size() + texts.history.size() + texts.topNavigator.size() +
                   texts.nextNavigator.size());
    result += writer.MakeHead(texts.caption);
    result += writer.MakeBody();
    result += MakeHeaderParagraph();
    result += writer.MakeTableStart();
    result += MakeTopNavigatorRow(texts.topNavigator);
    result += MakeHistoryRow(texts.history);
    result += "<TR>\n";
    if (!texts.nextNavigator.empty()) result += MakeNextNavigatorCell(texts.nextNavigator);
    result += MakeCanvasHeadCell(texts.canvasHeading);
    result += "</TR>\n";
    result += texts.itemRows;
    result += MakeIndexRow(texts.indexText);
    result += CHtmlWriter::MakeTableEnd();
    result += MakeFooterParagraph();
    result += CHtmlWriter::MakeGeneratedBy();
    result += CHtmlWriter::EndDocument();
    return result;
}

std::string CPageComposer::CellAttributes(const CLayoutAreaOption& area) {
    return "border=" + std::to_string(layout.table.cellLineWidth) +
           " bordercolor=" + CHtmlWriter::ColorToHtml(layout.table.cellLineColor) +
           " bgcolor=" + CHtmlWriter::ColorToHtml(area.bgColor) + " background=\"" +
           writer.CopyLinkedFile(area.imagePath.View()) + "\"";
}

std::string CPageComposer::MakeHeaderParagraph() const {
    if (page.header.empty()) return {};
    const CLayoutAreaOption& area = layout.areas[kHeaderBarSlot];
    return "<P" + AlignmentText(area.alignment.View()) + ">\n" +
           CHtmlWriter::StyleText(area.font, page.header) + "</P>\n";
}

std::string CPageComposer::MakeFooterParagraph() const {
    if (page.footer.empty()) return {};
    const CLayoutAreaOption& area = layout.areas[kFooterBarSlot];
    return "<P" + AlignmentText(area.alignment.View()) + ">\n" +
           CHtmlWriter::StyleText(area.font, page.footer) + "</P>\n";
}

std::string CPageComposer::MakeBarRow(int slot, std::string_view text) {
    const CLayoutAreaOption& area = layout.areas[static_cast<std::size_t>(slot)];
    return "<TR" + AlignmentText(area.alignment.View()) +
           ">\n<TD width=\"100%\" height=\"5%\" colspan=" +
           std::to_string(layout.mainCanvas.columns + 1) + " " + CellAttributes(area) + ">\n" +
           CHtmlWriter::StyleText(area.font, text) + "</TD>\n</TR>\n";
}

std::string CPageComposer::MakeTopNavigatorRow(std::string_view text) {
    return MakeBarRow(kTopNavigatorBarSlot, text);
}

std::string CPageComposer::MakeHistoryRow(std::string_view text) {
    return MakeBarRow(kHistoryBarSlot, text);
}

std::string CPageComposer::MakeNextNavigatorCell(std::string_view text) {
    if (text.empty()) return {};
    const CLayoutAreaOption& area = layout.areas[kNextNavigatorBarSlot];
    // The cell spans the canvas row, the item rows and the Index Bar row.
    return "<TD width=\"20%\" height=\"90%\" rowspan=" +
           std::to_string(layout.mainCanvas.rows + 2) + " " + CellAttributes(area) + " " +
           AlignmentText(area.alignment.View()) + ">\n" + CHtmlWriter::StyleText(area.font, text) +
           "</TD>\n";
}

std::string CPageComposer::MakeCanvasHeadCell(std::string_view text) {
    if (text.empty()) return {};
    const CLayoutMainOption& canvas = layout.mainCanvas;
    return "<TD colspan=" + std::to_string(canvas.columns) + " " + CellAttributes(canvas) + " " +
           AlignmentText(canvas.cellAlignment.View()) + ">\n" +
           CHtmlWriter::StyleText(canvas.font, text) + "</TD>\n";
}

void CPageComposer::MakeItemCell(std::string& content) {
    if (content.empty()) return;
    const CLayoutMainOption& canvas = layout.mainCanvas;
    content = "<TD " + CellAttributes(canvas) + " " + AlignmentText(canvas.cellAlignment.View()) +
              ">\n" + CHtmlWriter::StyleText(canvas.font, content) + "</TD>\n";
}

std::string CPageComposer::MakeIndexRow(std::string_view text) {
    if (text.empty() || text == "1") return {};
    const CLayoutAreaOption& area = layout.areas[kIndexBarSlot];
    // The alignment is written unquoted, and also when it is empty.
    return "<TR>\n<TD width=\"80%\" height=\"5%\" align=" + area.alignment.Str() +
           " colspan=" + std::to_string(layout.mainCanvas.columns + 1) + " " +
           CellAttributes(area) + ">\n" + CHtmlWriter::StyleText(area.font, text) +
           "</TD>\n</TR>\n";
}

std::string CPageComposer::MakeItemContent(const CSiteItem& item) {
    const ItemTarget target = writer.LinkedFiles().ResolveItemUrl(item.url);
    std::string content;
    if (target.category == CategoryWebImage) {
        // Pictures on the web cannot be measured without fetching them.
        const PictureSize size =
            target.localFile ? GetThumbnailSize(writer.LinkedFiles().SourceFile(target.sourcePath))
                             : PictureSize{100, 100};
        content = CHtmlWriter::MakeImageLink(target.link, size.width, size.height);
    } else {
        content = CHtmlWriter::MakeLink(item.caption, target.link, false);
    }
    if (!item.description.empty()) {
        CHtmlWriter::AppendBreak(content);
        content += item.description;
    }
    return content;
}

std::vector<std::string> CPageComposer::BuildCanvasPages(const CSiteFolder& folder, int rows,
                                                         int columns) {
    std::vector<std::string> pages;
    const std::size_t itemCount = folder.items.size();
    std::size_t next = 0;
    // Never more pages than items: with 0 rows or 0 columns no item is ever placed, and each page
    // is then rows empty rows.
    while (next < itemCount && pages.size() < itemCount) {
        std::string body;
        for (int row = 0; row < rows && next < itemCount; ++row) {
            std::string cells;
            for (int column = 0; column < columns; ++column) {
                std::string cell =
                    next < itemCount ? MakeItemContent(folder.items[next++]) : "&nbsp";
                MakeItemCell(cell);
                cells += cell;
            }
            body += CHtmlWriter::WrapInTag(cells, "TR");
        }
        pages.push_back(std::move(body));
    }
    return pages;
}
