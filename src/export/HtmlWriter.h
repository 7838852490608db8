#pragma once

#include <string>
#include <string_view>

#include "LayoutOption.h"
#include "LinkedFiles.h"
#include "PageOption.h"

class CTextEncoder;

// The text of the centred last paragraph of every page, and the product's web address it links
// to. With no address the paragraph is the bare text.
inline constexpr std::string_view kGeneratedWithText = "Generated with  ! Pagelorn";
inline constexpr std::string_view kProductWebAddress = "";

// Builds the pieces of an HTML 4.0 Transitional page. Every primitive returns a new string; no
// user text is escaped (captions, descriptions, header and footer may carry HTML of their own),
// and spacing, quoting and line feeds are exactly what browsers and users of earlier exports have
// seen. Files that HEAD and BODY show (the background sound and image) are linked through the
// export's links; texts of the project go through the encoder, when there is one, into the
// page's charset.
class CHtmlWriter {
public:
    CHtmlWriter(const CPageOption& pageOption, const CLayoutOption& layoutOption, CPageLinks& links,
                CTextEncoder* encoder = nullptr)
        : pageOption(pageOption), layoutOption(layoutOption), links(links), encoder(encoder) {}

    const CPageOption& PageOption() const { return pageOption; }
    const CLayoutOption& LayoutOption() const { return layoutOption; }
    CPageLinks& Links() { return links; }

    // A text of the project (caption, description, title ...) as the page writes it.
    std::string Text(std::string_view text) const;

    // "#RRGGBB" in upper case from a 0x00BBGGRR colour.
    static std::string ColorToHtml(COLORREF color);
    // HTML font size 1..7 from a size in tenths of a point.
    static int FontSizeToHtml(int pointSize);
    // The text inside STRIKE, EM, U and STRONG as the font asks (STRIKE innermost), all inside a
    // FONT element that is always written: StyleStart + text + StyleEnd.
    static std::string StyleText(const CFontOption& font, std::string_view text);
    static std::string StyleStart(const CFontOption& font);
    static std::string StyleEnd(const CFontOption& font);
    // A text link, or the text alone for an empty href; addHtm appends ".htm" to the href.
    static std::string MakeLink(std::string_view text, std::string_view href, bool addHtm);
    // A picture linking to itself, with size attributes when both are non-zero; "" without src.
    static std::string MakeImageLink(std::string_view src, int width, int height);
    // A picture (its thumbnail, `src`) linking to `href`, the picture itself; "" without href.
    static std::string MakeImageLink(std::string_view href, std::string_view src, int width,
                                     int height);
    static std::string WrapInTag(std::string_view text, std::string_view tag);
    static void AppendBreak(std::string& text);
    static std::string BeginDocument();
    static std::string EndDocument();
    static std::string MakeTableEnd();

    // The charset the page declares: the save encoding when it is a known charset, else UTF-8
    // (Charset.h); "" for none.
    const std::string& Charset() const;

    // HEAD with the charset (only when a save encoding is set), every meta variable in order,
    // the TITLE "site title---caption" and the background sound: MakeHeadStart + the caption +
    // MakeHeadEnd.
    std::string MakeHead(std::string_view caption);
    std::string MakeHeadStart() const;
    std::string MakeHeadEnd();
    // BODY start tag with margins, background image and colours as the page options ask.
    std::string MakeBody();
    // The outer TABLE start tag from the table options.
    std::string MakeTableStart() const;
    // The last paragraph of every page.
    static std::string MakeGeneratedBy();

    // The link to the copy of a file that a page shows (its name keeps its letter case);
    // `property` names the setting that holds the path.
    std::string CopyLinkedFile(std::string_view path, std::string_view property) {
        return links.FileLink(path, property);
    }

private:
    const CPageOption& pageOption;
    const CLayoutOption& layoutOption;
    CPageLinks& links;
    CTextEncoder* encoder;
    // The charset worked out for the save encoding it was worked out for: every page asks.
    mutable std::string charsetOf;
    mutable std::string charset;
};
