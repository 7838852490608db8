#include "HtmlWriter.h"

#include "Charset.h"
#include "TextEncoder.h"

namespace {

// The text inside a quoted attribute value.
std::string AttributeText(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace

const std::string& CHtmlWriter::Charset() const {
    if (charset.empty() || charsetOf != pageOption.saveEncoding.View()) {
        charsetOf = pageOption.saveEncoding.Str();
        charset = PageCharset(charsetOf);
    }
    return charset;
}

std::string CHtmlWriter::Text(std::string_view text) const {
    return encoder != nullptr ? encoder->Encode(text) : std::string(text);
}

std::string CHtmlWriter::ColorToHtml(COLORREF color) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text(7, '#');
    // Red is the lowest byte and comes first.
    for (int i = 0; i < 3; ++i) {
        const unsigned byte = (color >> (8 * i)) & 0xFFu;
        text[static_cast<std::size_t>(1 + 2 * i)] = kHex[byte >> 4];
        text[static_cast<std::size_t>(2 + 2 * i)] = kHex[byte & 0x0Fu];
    }
    return text;
}

int CHtmlWriter::FontSizeToHtml(int pointSize) {
    const int points = pointSize / 10;
    if (points <= 9) return 1;
    if (points <= 11) return 2;
    if (points <= 13) return 3;
    if (points <= 16) return 4;
    if (points <= 21) return 5;
    if (points <= 30) return 6;
    return 7;
}

std::string CHtmlWriter::StyleStart(const CFontOption& font) {
    std::string result = "<FONT face=\"";
    result += font.faceName.View();
    result += "\" size=";
    result += std::to_string(FontSizeToHtml(font.pointSize));
    result += " color=";
    result += ColorToHtml(font.color);
    result += ">\n";
    if (font.bold) result += "<STRONG>\n";
    if (font.underline) result += "<U>\n";
    if (font.italic) result += "<EM>\n";
    if (font.strikeOut) result += "<STRIKE>\n";
    return result;
}

std::string CHtmlWriter::StyleEnd(const CFontOption& font) {
    std::string result;
    if (font.strikeOut) result += "</STRIKE>\n";
    if (font.italic) result += "</EM>\n";
    if (font.underline) result += "</U>\n";
    if (font.bold) result += "</STRONG>\n";
    result += "\n</FONT>\n";
    return result;
}

std::string CHtmlWriter::StyleText(const CFontOption& font, std::string_view text) {
    std::string result = StyleStart(font);
    result += text;
    result += StyleEnd(font);
    return result;
}

std::string CHtmlWriter::MakeLink(std::string_view text, std::string_view href, bool addHtm) {
    if (href.empty()) return std::string(text);
    std::string result = "<A href=\"";
    result += href;
    if (addHtm) result += ".htm";
    result += "\">\n";
    result += text;
    result += "</A>\n";
    return result;
}

std::string CHtmlWriter::MakeImageLink(std::string_view src, int width, int height) {
    return MakeImageLink(src, src, width, height);
}

std::string CHtmlWriter::MakeImageLink(std::string_view href, std::string_view src, int width,
                                       int height) {
    if (href.empty()) return {};
    std::string result = "<A href=\"";
    result += href;
    result += "\"><IMG src = \"";
    result += src;
    if (width != 0 && height != 0) {
        result +=
            "\" width = " + std::to_string(width) + " height = " + std::to_string(height) + ">";
    } else {
        result += "\">\n";
    }
    result += "</A>\n";
    return result;
}

std::string CHtmlWriter::WrapInTag(std::string_view text, std::string_view tag) {
    std::string result = "<";
    result += tag;
    result += ">\n";
    result += text;
    result += "</";
    result += tag;
    result += ">\n";
    return result;
}

void CHtmlWriter::AppendBreak(std::string& text) {
    text += "<BR>\n";
}

std::string CHtmlWriter::BeginDocument() {
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n<HTML>\n";
}

std::string CHtmlWriter::EndDocument() {
    return "</HTML>\n";
}

std::string CHtmlWriter::MakeTableEnd() {
    return "</TABLE>\n";
}

std::string CHtmlWriter::MakeHeadStart() const {
    std::string head = "<HEAD>\n";
    if (const std::string& declared = Charset(); !declared.empty()) {
        head += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
        head += AttributeText(declared);
        head += "\">\n";
    }
    for (const auto& meta : pageOption.metaVariables) {
        head += meta->systemVariable == 1 ? "<meta http-equiv=\"" : "<meta name=\"";
        head += Text(meta->name.View());
        head += "\" content=\"";
        head += Text(meta->value.View());
        head += "\">\n";
    }
    head += "<TITLE>\n";
    if (!pageOption.general.title.Empty()) {
        head += Text(pageOption.general.title.View());
        head += "---";
    }
    return head;
}

std::string CHtmlWriter::MakeHeadEnd() {
    std::string head = "</TITLE>\n";
    if (!pageOption.general.soundLocation.Empty()) {
        const std::string link = CopyLinkedFile(pageOption.general.soundLocation.View(),
                                                "Website Properties > General > Background Sound");
        if (!link.empty())
            head += "<bgsound src=\"" + link +
                    "\" loop=" + std::to_string(pageOption.general.soundLoop) + ">\n";
    }
    head += "</HEAD>\n";
    return head;
}

std::string CHtmlWriter::MakeHead(std::string_view caption) {
    std::string head = MakeHeadStart();
    head += Text(caption);
    head += MakeHeadEnd();
    return head;
}

std::string CHtmlWriter::MakeBody() {
    std::string body = "<BODY";
    const CPageMarginsOption& margins = pageOption.margins;
    if (margins.specifyTopMargin) body += " topmargin=" + std::to_string(margins.topMargin);
    if (margins.specifyLeftMargin) body += " leftmargin=" + std::to_string(margins.leftMargin);
    const CPageBKGDOption& background = pageOption.background;
    if (background.specifyBackground) {
        if (background.useBackgroundImage) {
            const std::string link =
                CopyLinkedFile(background.backgroundImage.View(),
                               "Website Properties > Background > Background Image");
            if (!link.empty()) {
                body += " background=\"" + link + "\"";
                if (background.watermark) body += " bgproperties=\"fixed\"";
            }
        }
        if (!background.useDefaultColors) {
            // vlink is the visited colour and alink the active one, the reverse of how the
            // record stores them.
            body += " bgcolor=\"" + ColorToHtml(background.bgColor) + "\" text=\"" +
                    ColorToHtml(background.textColor) + "\" link=\"" +
                    ColorToHtml(background.linkColor) + "\" vlink=\"" +
                    ColorToHtml(background.visitedLinkColor) + "\" alink=\"" +
                    ColorToHtml(background.activeLinkColor) + "\"";
        }
    }
    body += ">\n";
    return body;
}

std::string CHtmlWriter::MakeTableStart() const {
    const CLayoutTableOption& table = layoutOption.table;
    std::string alignment;
    if (!table.alignment.Empty()) alignment = " align=\"" + table.alignment.Str() + "\"";
    // The blanks around the alignment text are all part of the tag as browsers have seen it.
    return "<TABLE width=\"100%\" height=\"100%\"  " + alignment +
           " border=" + std::to_string(table.borderWidth) +
           " bordercolor=" + ColorToHtml(table.borderColor) +
           " cellspacing=" + std::to_string(table.cellSpacing) +
           " cellpadding=" + std::to_string(table.cellPadding) + " >\n";
}

std::string CHtmlWriter::MakeGeneratedBy() {
    return "<P align = center>" + MakeLink(kGeneratedWithText, kProductWebAddress, false) + "</P>";
}
