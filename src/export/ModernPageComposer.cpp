#include "ModernPageComposer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "ExifTags.h"
#include "HtmlWriter.h"
#include "ModernPlan.h"
#include "ModernText.h"
#include "VideoPoster.h"

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// The language a page's charset is written in, where the charset belongs to one language.
std::string LanguageOfCharset(std::string_view charset) {
    const std::string lower = AsciiLower(charset);
    static constexpr std::pair<std::string_view, std::string_view> kLanguages[] = {
        {"windows-1251", "ru"},    {"koi8-r", "ru"},         {"iso-8859-5", "ru"},
        {"ibm866", "ru"},          {"windows-1253", "el"},   {"iso-8859-7", "el"},
        {"x-euc", "ja"},           {"iso-2022-jp", "ja"},    {"shift-jis", "ja"},
        {"csiso2022jp", "ja"},     {"ks_c_5601-1987", "ko"}, {"ks_c_5601", "ko"},
        {"euc-kr", "ko"},          {"iso-2022-kr", "ko"},    {"gb2312", "zh-Hans"},
        {"hz-gb-2312", "zh-Hans"}, {"big5", "zh-Hant"},      {"windows-874", "th"},
        {"windows-1254", "tr"},    {"iso-8859-6", "ar"},     {"windows-1256", "ar"},
        {"iso-8859-8", "he"},      {"windows-1255", "he"},   {"windows-1258", "vi"}};
    for (const auto& [name, language] : kLanguages)
        if (lower == name) return std::string(language);
    return "en";
}

// A language tag as a page may declare it ("de", "pt-BR"), or "".
bool IsLanguageTag(std::string_view text) {
    if (text.empty() || text.size() > 35) return false;
    bool letterFirst = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (i == 0) letterFirst = letter;
        if (!letter && !(c >= '0' && c <= '9') && c != '-') return false;
    }
    return letterFirst && text.back() != '-';
}

std::string CssColor(COLORREF color) {
    return CHtmlWriter::ColorToHtml(color);
}

std::string CssString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string CssAlignment(std::string_view alignment) {
    const std::string lower = AsciiLower(alignment);
    if (lower == "left" || lower == "center" || lower == "right") return lower;
    return {};
}

// The font of a bar or the canvas. Text is never smaller than the reader's own size (16 pixels
// by default), however small the font the layout asks for.
std::string CssFont(const CFontOption& font, std::string_view charset) {
    std::string css;
    if (!font.faceName.Empty())
        css += "font-family:" + CssString(ModernTextToUtf8(font.faceName.View(), charset)) +
               ",system-ui,sans-serif;";
    if (font.pointSize > 0) {
        char size[32];
        std::snprintf(size, sizeof size, "%.1fpt", font.pointSize / 10.0);
        css += "font-size:max(1rem," + std::string(size) + ");";
    }
    if (font.bold) css += "font-weight:bold;";
    if (font.italic) css += "font-style:italic;";
    if (font.underline || font.strikeOut)
        css += std::string("text-decoration:") + (font.underline ? "underline " : "") +
               (font.strikeOut ? "line-through" : "") + ";";
    css += "color:" + CssColor(font.color) + ";";
    return css;
}

std::string ExifDateTaken(const std::filesystem::path& path) {
    const std::optional<ExifTags> tags = ReadExifTagsOfFile(path);
    if (!tags) return {};
    const std::optional<ExifValue>& entry =
        tags->dateTimeOriginal ? tags->dateTimeOriginal : tags->dateTime;
    if (!entry || !entry->ascii || entry->bytes.size() < 19) return {};
    const std::string text = entry->bytes.substr(0, 19);
    // "YYYY:MM:DD HH:MM:SS"
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool separator = i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
        if (!separator && !(text[i] >= '0' && text[i] <= '9')) return {};
    }
    if (text.compare(0, 4, "0000") == 0) return {};
    return text.substr(0, 4) + "-" + text.substr(5, 2) + "-" + text.substr(8, 2) + "T" +
           text.substr(11, 8);
}

constexpr std::string_view kItemScript =
    "<script>\n"
    "(function(){function go(r){var a=document.querySelector('a[rel~=\"'+r+'\"]');"
    "if(a){location.href=a.href;}}\n"
    "document.addEventListener('keydown',function(e){if(e.altKey||e.ctrlKey||e.metaKey||"
    "e.shiftKey||e.defaultPrevented)return;var t=e.target;if(t&&t.closest&&"
    "t.closest('input,textarea,select,video,audio'))return;"
    "var r={ArrowLeft:'prev',ArrowRight:'next',Escape:'up'}[e.key];if(r){e.preventDefault();"
    "go(r);}});\n"
    "var x=null,y=null;document.addEventListener('touchstart',function(e){if(e.touches.length"
    "===1){x=e.touches[0].clientX;y=e.touches[0].clientY;}else{x=null;}},{passive:true});\n"
    "document.addEventListener('touchend',function(e){if(x===null)return;var t=e.changedTouches"
    "[0],dx=t.clientX-x,dy=t.clientY-y;x=null;if(Math.abs(dx)>60&&Math.abs(dx)>2*Math.abs(dy))"
    "go(dx<0?'next':'prev');},{passive:true});})();\n"
    "</script>\n";

std::string Plural(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string SizeAttributes(PictureSize size) {
    if (size.width <= 0 || size.height <= 0) return {};
    return " width=\"" + std::to_string(size.width) + "\" height=\"" + std::to_string(size.height) +
           "\"";
}

double Luminance(COLORREF color) {
    const auto channel = [&](int shift) {
        const double value = static_cast<double>((color >> shift) & 0xFFu) / 255.0;
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(0) + 0.7152 * channel(8) + 0.0722 * channel(16);
}

}  // namespace

std::string ModernUrl(std::string_view link) {
    std::string out;
    out.reserve(link.size());
    for (const char c : link) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F ||
            std::string_view("\"<>\\^`{|}[]'").find(c) != std::string_view::npos) {
            out += '%';
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

std::string FileTypeAndSize(std::string_view fileName, std::uintmax_t size) {
    const std::size_t dot = fileName.rfind('.');
    std::string type = dot == std::string_view::npos || dot + 1 == fileName.size()
                           ? std::string("File")
                           : AsciiUpper(fileName.substr(dot + 1));
    if (size == 0) return type;
    char text[32];
    if (size < 1000)
        std::snprintf(text, sizeof text, "%ju bytes", size);
    else if (size < 1000 * 1000)
        std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(size) / 1e3);
    else if (size < 1000ull * 1000 * 1000)
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(size) / 1e6);
    else
        std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(size) / 1e9);
    return type + ", " + text;
}

double ContrastRatio(COLORREF a, COLORREF b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

CModernPageComposer::CModernPageComposer(const ExportPlan& plan, const CPageOption& pageOption,
                                         CPageLinks& links, const std::vector<char>* viewFailed)
    : plan(plan), page(pageOption), links(links), viewFailed(viewFailed), charset(plan.charset) {
    language = LanguageOfCharset(charset);
    // A Content-Language or "language" meta variable names the language itself.
    for (const auto& meta : page.metaVariables) {
        const std::string name = AsciiLower(meta->name.View());
        if (name == "content-language" || name == "language") {
            const std::string value(meta->value.View());
            if (IsLanguageTag(value)) language = value;
        }
    }
}

std::string CModernPageComposer::Text(std::string_view text) const {
    return EscapeHtml(ModernTextToUtf8(text, charset));
}

std::string CModernPageComposer::Markup(std::string_view text) const {
    return SafeInlineMarkup(ModernTextToUtf8(text, charset));
}

std::string CModernPageComposer::Compose(const PlannedPage& planned) {
    switch (planned.kind) {
        case PlannedPageKind::Item:
            return ItemPage(planned.folder, planned.index);
        case PlannedPageKind::StyleSheet:
            return StyleSheet();
        case PlannedPageKind::Folder:
            break;
    }
    return FolderPage(planned.folder, planned.index);
}

std::string CModernPageComposer::FolderLink(std::size_t folder, std::size_t pageIndex) const {
    return ModernUrl(EncodeLinkName(PageFileName(plan.folders[folder].baseName, pageIndex)));
}

std::string CModernPageComposer::Head(std::string_view caption,
                                      std::string_view description) const {
    std::string head = "<!DOCTYPE html>\n<html lang=\"" + EscapeHtml(language) +
                       "\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    std::string title;
    if (!page.general.title.Empty()) title = Text(page.general.title.View());
    const std::string shownCaption = Text(caption);
    if (!title.empty() && !shownCaption.empty()) title += " \xE2\x80\x93 ";
    title += shownCaption;
    if (title.empty()) title = "Index";
    head += "<title>" + title + "</title>\n";
    std::string summary = PlainText(ModernTextToUtf8(description, charset));
    if (summary.empty()) summary = PlainText(ModernTextToUtf8(caption, charset));
    if (!summary.empty())
        head += "<meta name=\"description\" content=\"" + EscapeHtml(summary) + "\">\n";
    for (const auto& meta : page.metaVariables) {
        const std::string name = AsciiLower(meta->name.View());
        if (meta->name.Empty()) continue;
        if (meta->systemVariable == 1) {
            // Only these are pragmas a browser knows; the charset is declared above.
            if (name != "refresh" && name != "default-style" && name != "content-security-policy")
                continue;
            head += "<meta http-equiv=\"" + Text(meta->name.View());
        } else {
            if (name == "description" || name == "viewport") continue;
            head += "<meta name=\"" + Text(meta->name.View());
        }
        head += "\" content=\"" + Text(meta->value.View()) + "\">\n";
    }
    // An empty icon: otherwise every browser asks the server for /favicon.ico, which the website
    // does not have.
    head += "<link rel=\"icon\" href=\"data:,\">\n<link rel=\"stylesheet\" href=\"" +
            std::string(kStyleSheetFileName) +
            "\">\n</head>\n<body>\n<a class=\"skip\" href=\"#main\">Skip to content</a>\n";
    return head;
}

std::string CModernPageComposer::Top(std::size_t folder, const std::string* itemCrumb) const {
    std::string out;
    if (!page.header.empty())
        out += "<header class=\"bar header\">\n" + Markup(page.header) + "\n</header>\n";
    const PlannedFolder& root = plan.folders[0];
    if (!root.children.empty()) {
        out += "<nav class=\"bar top\" aria-label=\"Sites\">\n<ul>\n";
        for (const std::size_t child : root.children)
            out += "<li><a href=\"" + FolderLink(child) + "\">" +
                   Text(plan.folders[child].Label()) + "</a></li>\n";
        out += "</ul>\n</nav>\n";
    }
    std::vector<std::size_t> chain{folder};
    while (chain.back() != 0) chain.push_back(plan.folders[chain.back()].parent);
    out += "<nav class=\"bar history\" aria-label=\"Breadcrumb\">\n<ol>\n";
    for (auto step = chain.rbegin(); step != chain.rend(); ++step) {
        const std::string label = Text(plan.folders[*step].Label());
        if (*step == folder && itemCrumb == nullptr)
            out += "<li aria-current=\"page\">" + label + "</li>\n";
        else
            out += "<li><a href=\"" + FolderLink(*step) + "\">" + label + "</a></li>\n";
    }
    if (itemCrumb != nullptr) out += "<li aria-current=\"page\">" + *itemCrumb + "</li>\n";
    out += "</ol>\n</nav>\n";
    return out;
}

std::string CModernPageComposer::Bottom() const {
    std::string out = "<footer class=\"bar footer\">\n";
    if (!page.footer.empty()) out += "<div>" + Markup(page.footer) + "</div>\n";
    out += "<p class=\"generated\">Generated with Pagelorn</p>\n</footer>\n";
    return out;
}

std::string CModernPageComposer::SubSites(std::size_t folder) {
    const PlannedFolder& entry = plan.folders[folder];
    if (entry.children.empty()) return {};
    std::string out = "<nav class=\"bar next\" aria-label=\"Sub-sites\">\n<ul>\n";
    for (const std::size_t child : entry.children) {
        const CSiteFolder& sub = plan.folders[child].folder;
        out += "<li><a href=\"" + FolderLink(child) + "\">";
        for (const CSiteItem& item : sub.items) {
            const ItemTarget target = links.ItemLink(item);
            if (target.category != CategoryWebImage || target.pictureLink.empty()) continue;
            out += "<img" + ThumbnailAttributes(item, target) + " alt=\"\" loading=\"lazy\">";
            break;
        }
        out += "<span class=\"name\">" + Text(plan.folders[child].Label()) +
               "</span><span class=\"count\">" + Plural(sub.items.size(), "item", "items") +
               "</span></a></li>\n";
    }
    out += "</ul>\n</nav>\n";
    return out;
}

std::string CModernPageComposer::ThumbnailAttributes(const CSiteItem& item,
                                                     const ItemTarget& target) const {
    PictureSize size = target.thumbnail;
    const std::size_t file = ItemFileIndex(plan, item);
    const LinkedFile* linked =
        file != LinkedFile::kNone ? &plan.linkedFiles.Files()[file] : nullptr;
    if (size == PictureSize{0, 0} && linked != nullptr) size = linked->natural;
    const std::string shown = ModernUrl(target.pictureLink);
    if (linked == nullptr || linked->thumb1xName.empty() || target.pictureLink != linked->thumbLink)
        return " src=\"" + shown + "\"" + SizeAttributes(size);
    const std::string small = ModernUrl("./" + std::string(kThumbnailFolderName) + "/" +
                                        EncodeLinkName(linked->thumb1xName));
    return " src=\"" + small + "\" srcset=\"" + small + " 1x, " + shown + " 2x\"" +
           SizeAttributes(size);
}

std::string CModernPageComposer::Card(std::size_t folder, std::size_t index, bool lazy) {
    const PlannedFolder& entry = plan.folders[folder];
    const CSiteItem& item = entry.folder.items[index];
    const ItemTarget target = links.ItemLink(item);
    const std::size_t ownPage = entry.itemPages.empty() ? kNoPage : entry.itemPages[index];
    const std::string href = ownPage != kNoPage
                                 ? ModernUrl(EncodeLinkName(plan.pages[ownPage].fileName))
                                 : ModernUrl(target.link);
    const std::string_view shownName =
        item.caption.empty() ? FileNameOfPath(item.url.View()) : item.caption.View();
    const std::string caption = Text(shownName);
    const std::string description =
        item.description.empty()
            ? std::string()
            : "<span class=\"description\">" + Markup(item.description) + "</span>";
    if (target.category == CategoryWebImage && !target.pictureLink.empty()) {
        std::string out = "<li class=\"picture\"><figure><a href=\"" + href + "\"><img" +
                          ThumbnailAttributes(item, target) + " alt=\"" + caption + "\"" +
                          (lazy ? " loading=\"lazy\"" : "") + "></a><figcaption>" + caption;
        if (!description.empty()) out += "<br>" + description;
        return out + "</figcaption></figure></li>\n";
    }
    if (!target.posterLink.empty()) {
        ItemTarget poster = target;
        poster.pictureLink = target.posterLink;
        std::string out = "<li class=\"picture video\"><figure><a href=\"" + href +
                          "\"><span class=\"poster\"><img" + ThumbnailAttributes(item, poster) +
                          " alt=\"" + caption + "\"" + (lazy ? " loading=\"lazy\"" : "") +
                          "><span class=\"play\" aria-hidden=\"true\">&#9654;</span>";
        if (target.durationMs >= 0)
            out += "<span class=\"duration\">" + DurationText(target.durationMs) + "</span>";
        out += "</span></a><figcaption>" + caption;
        if (!description.empty()) out += "<br>" + description;
        return out + "</figcaption></figure></li>\n";
    }
    std::string type = "Link";
    if (target.localFile) {
        const std::size_t file = ItemFileIndex(plan, item);
        const std::uintmax_t size =
            file != LinkedFile::kNone ? plan.sources[file].stamp.size : std::uintmax_t{0};
        type = FileTypeAndSize(FileNameOfPath(target.sourcePath), size);
    }
    std::string out = "<li class=\"file\"><a href=\"" + href + "\">" + caption +
                      "</a><span class=\"type\">" + Text(type) + "</span>";
    return out + description + "</li>\n";
}

std::string CModernPageComposer::IndexBar(std::size_t folder, std::size_t pageIndex) const {
    const std::size_t count = plan.folders[folder].pageCount;
    if (count <= 1) return {};
    std::string out = "<nav class=\"bar index\" aria-label=\"Pages\">\n<ul>\n";
    if (pageIndex > 0)
        out += "<li><a rel=\"prev\" href=\"" + FolderLink(folder, pageIndex - 1) +
               "\">Previous</a></li>\n";
    const std::size_t first = pageIndex >= 5 ? pageIndex - 5 : 0;
    const std::size_t last = std::min(count - 1, pageIndex + 5);
    for (std::size_t j = first; j <= last; ++j) {
        if (j == pageIndex)
            out += "<li><a aria-current=\"page\" href=\"" + FolderLink(folder, j) + "\">" +
                   std::to_string(j + 1) + "</a></li>\n";
        else
            out += "<li><a href=\"" + FolderLink(folder, j) + "\">" + std::to_string(j + 1) +
                   "</a></li>\n";
    }
    if (pageIndex + 1 < count)
        out += "<li><a rel=\"next\" href=\"" + FolderLink(folder, pageIndex + 1) +
               "\">Next</a></li>\n";
    return out + "</ul>\n</nav>\n";
}

std::string CModernPageComposer::FolderPage(std::size_t folder, std::size_t pageIndex) {
    const PlannedFolder& entry = plan.folders[folder];
    const CSiteFolder& record = entry.folder;
    std::string out = Head(record.caption.View(), record.description.View());
    out += Top(folder, nullptr);
    out += "<div class=\"layout\">\n";
    out += SubSites(folder);
    out += "<main id=\"main\" class=\"canvas\">\n<h1>" +
           Text(record.caption.empty() ? entry.Label() : record.caption.View()) + "</h1>\n";
    if (!record.description.empty())
        out += "<p class=\"lead\">" + Markup(record.description) + "</p>\n";
    const int rows = plan.layout.mainCanvas.rows;
    const int columns = plan.layout.mainCanvas.columns;
    const std::size_t itemCount = record.items.size();
    // The same items a page as the classic pages: one a page when rows or columns is 0.
    const std::size_t perPage =
        rows > 0 && columns > 0 ? static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns)
                                : 1;
    const std::size_t begin = std::min(itemCount, pageIndex * perPage);
    const std::size_t end = std::min(itemCount, begin + perPage);
    if (begin < end) {
        out += "<ul class=\"grid\">\n";
        const std::size_t firstRow = static_cast<std::size_t>(std::max(columns, 1));
        for (std::size_t i = begin; i < end; ++i) out += Card(folder, i, i - begin >= firstRow);
        out += "</ul>\n";
    }
    out += IndexBar(folder, pageIndex);
    out += "</main>\n</div>\n";
    out += Bottom();
    out += "</body>\n</html>\n";
    return out;
}

std::string CModernPageComposer::ItemPage(std::size_t folder, std::size_t index) {
    const PlannedFolder& entry = plan.folders[folder];
    const CSiteItem& item = entry.folder.items[index];
    const ItemTarget target = links.ItemLink(item);
    const std::string_view shownName =
        item.caption.empty() ? FileNameOfPath(item.url.View()) : item.caption.View();
    const std::string caption = Text(shownName);
    std::string out = Head(shownName, item.description.View());
    out += Top(folder, &caption);
    out += "<main id=\"main\" class=\"canvas item\">\n<h1>" + caption + "</h1>\n";
    // Previous and next among the items of the folder that have pages of their own.
    const auto& pages = entry.itemPages;
    std::size_t previous = kNoPage;
    std::size_t next = kNoPage;
    for (std::size_t i = index; i-- > 0;)
        if (pages[i] != kNoPage) {
            previous = pages[i];
            break;
        }
    for (std::size_t i = index + 1; i < pages.size(); ++i)
        if (pages[i] != kNoPage) {
            next = pages[i];
            break;
        }
    const int rows = plan.layout.mainCanvas.rows;
    const int columns = plan.layout.mainCanvas.columns;
    const std::size_t perPage =
        rows > 0 && columns > 0 ? static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns)
                                : 1;
    out += "<nav class=\"bar pager\" aria-label=\"Browse\">\n<ul>\n";
    if (previous != kNoPage)
        out += "<li><a rel=\"prev\" href=\"" +
               ModernUrl(EncodeLinkName(plan.pages[previous].fileName)) + "\">Previous</a></li>\n";
    out += "<li><a rel=\"up\" href=\"" + FolderLink(folder, index / perPage) + "\">" +
           Text(entry.Label()) + "</a></li>\n";
    if (next != kNoPage)
        out += "<li><a rel=\"next\" href=\"" +
               ModernUrl(EncodeLinkName(plan.pages[next].fileName)) + "\">Next</a></li>\n";
    out += "</ul>\n</nav>\n";
    const std::size_t file = ItemFileIndex(plan, item);
    const LinkedFile* linked =
        file != LinkedFile::kNone ? &plan.linkedFiles.Files()[file] : nullptr;
    const std::string original = ModernUrl(target.link);
    const std::string description =
        item.description.empty() ? std::string() : Markup(item.description);
    if (target.category == CategoryWebImage) {
        std::string src = original;
        std::string srcset;
        PictureSize size = linked != nullptr ? linked->natural : PictureSize{};
        const bool viewMade = linked != nullptr && !linked->viewName.empty() &&
                              (viewFailed == nullptr || (*viewFailed)[file] == 0);
        if (viewMade) {
            const std::string folderLink = "./" + std::string(kViewFolderName) + "/";
            src = ModernUrl(folderLink + EncodeLinkName(linked->viewName));
            size = linked->view;
            // Widths rather than densities: a phone, however fine its screen, is narrower than
            // the view picture and takes the smaller file.
            if (!linked->view2xName.empty())
                srcset = " srcset=\"" + src + " " + std::to_string(size.width) + "w, " +
                         ModernUrl(folderLink + EncodeLinkName(linked->view2xName)) + " " +
                         std::to_string(2 * size.width) +
                         "w\" sizes=\"(min-width: 82rem) 78rem, calc(100vw - 2rem)\"";
        }
        out += "<figure class=\"view\"><img src=\"" + src + "\"" + srcset + " alt=\"" + caption +
               "\"" + SizeAttributes(size) + ">";
        if (!description.empty()) out += "<figcaption>" + description + "</figcaption>";
        out += "</figure>\n";
        if (linked != nullptr) {
            const std::string taken = ExifDateTaken(
                linked->found.path.empty() ? plan.linkedFiles.SourceFile(linked->source)
                                           : std::filesystem::path(linked->found.path));
            if (!taken.empty())
                out += "<p class=\"taken\">Taken <time datetime=\"" + taken + "\">" +
                       taken.substr(0, 10) + " " + taken.substr(11, 5) + "</time></p>\n";
        }
    } else {
        const PlayableMedia media = PlayableMediaOf(item.url.View());
        std::string poster = ModernUrl(target.posterLink);
        PictureSize posterSize = target.thumbnail;
        if (!poster.empty() && linked != nullptr && !linked->pagePosterName.empty()) {
            poster = ModernUrl("./" + std::string(kThumbnailFolderName) + "/" +
                               EncodeLinkName(linked->pagePosterName));
            posterSize = linked->pagePoster;
        }
        const PictureSize size = linked != nullptr ? linked->natural : PictureSize{};
        if (media == PlayableMedia::Video)
            out += "<video controls preload=\"metadata\"" +
                   (poster.empty() ? std::string() : " poster=\"" + poster + "\"") +
                   SizeAttributes(size) + " src=\"" + original + "\"></video>\n";
        else if (!poster.empty())  // a video browsers cannot play: its poster
            out += "<figure class=\"view\"><img src=\"" + poster + "\" alt=\"" + caption + "\"" +
                   SizeAttributes(posterSize) + "></figure>\n";
        else if (media == PlayableMedia::Audio)
            out += "<audio controls preload=\"metadata\" src=\"" + original + "\"></audio>\n";
        if (linked != nullptr && linked->video && linked->recorded.size() == 19) {
            // Containers keep the time in UTC.
            const std::string& at = linked->recorded;
            const std::string day = at.substr(0, 4) + "-" + at.substr(5, 2) + "-" + at.substr(8, 2);
            out += "<p class=\"taken\">Recorded <time datetime=\"" + day + "T" + at.substr(11) +
                   "Z\">" + day + " " + at.substr(11, 5) + " UTC</time></p>\n";
        }
        if (!description.empty()) out += "<p class=\"lead\">" + description + "</p>\n";
    }
    std::string type = "Link";
    if (target.localFile)
        type = FileTypeAndSize(FileNameOfPath(target.sourcePath),
                               file != LinkedFile::kNone ? plan.sources[file].stamp.size : 0);
    out += "<p class=\"download\"><a href=\"" + original + "\" download>Download original</a> " +
           "<span class=\"type\">" + Text(type) + "</span></p>\n";

    out += "</main>\n";
    out += Bottom();
    out += kItemScript;
    out += "</body>\n</html>\n";
    return out;
}

std::string CModernPageComposer::StyleSheet() {
    const CLayoutOption& layout = plan.layout;
    const auto area = [&](const CLayoutAreaOption& option, std::string_view property,
                          std::string_view alignment) {
        std::string css = "background-color:" + CssColor(option.bgColor) + ";";
        if (!option.imagePath.Empty()) {
            const std::string link = links.FileLink(option.imagePath.View(), property);
            if (!link.empty()) css += "background-image:url(" + CssString(ModernUrl(link)) + ");";
        }
        css += CssFont(option.font, charset);
        if (const std::string align = CssAlignment(alignment); !align.empty())
            css += "text-align:" + align + ";";
        return css;
    };
    const auto bar = [&](int slot, std::string_view property) {
        const CLayoutAreaOption& option = layout.areas[static_cast<std::size_t>(slot)];
        return area(option, property, option.alignment.View());
    };
    std::string css =
        "/* Made by Pagelorn from the website's layout. */\n"
        "*,*::before,*::after{box-sizing:border-box}\n"
        "html{-webkit-text-size-adjust:100%;text-size-adjust:100%}\n"
        "body{margin:0;font-family:system-ui,-apple-system,\"Segoe UI\",Roboto,sans-serif;"
        "font-size:1rem;line-height:1.5;overflow-wrap:break-word";
    const CPageBKGDOption& background = page.background;
    if (background.specifyBackground) {
        if (!background.useDefaultColors)
            css += ";color:" + CssColor(background.textColor) +
                   ";background-color:" + CssColor(background.bgColor);
        if (background.useBackgroundImage) {
            const std::string link =
                links.FileLink(background.backgroundImage.View(),
                               "Website Properties > Background > Background Image");
            if (!link.empty()) {
                css += ";background-image:url(" + CssString(ModernUrl(link)) + ")";
                if (background.watermark) css += ";background-attachment:fixed";
            }
        }
    }
    css += "}\n";
    css +=
        "img,video{max-width:100%;height:auto}\n"
        "a{color:inherit;text-underline-offset:.15em}\n"
        "a:focus-visible{outline:3px solid currentColor;outline-offset:2px}\n"
        ".skip{position:absolute;left:-9999px;top:0;padding:.75rem 1rem;background:#fff;"
        "color:#000}\n"
        ".skip:focus{left:.5rem;z-index:1}\n"
        ".bar{padding:.5rem 1rem}\n"
        ".bar ul,.bar ol{list-style:none;margin:0;padding:0;display:flex;flex-wrap:wrap;"
        "gap:.25rem .75rem;align-items:center}\n"
        ".bar li>a{display:inline-flex;align-items:center;min-height:44px;min-width:44px;"
        "padding:.25rem .5rem}\n"
        ".history li{display:flex;align-items:center;min-height:44px}\n"
        ".history li+li::before{content:\"\\203A\";margin-right:.75rem}\n"
        ".layout{display:flex;flex-wrap:wrap;gap:1rem;max-width:80rem;margin:0 auto;"
        "padding:1rem}\n"
        ".next{flex:1 1 14rem;align-self:flex-start}\n"
        ".next ul{display:grid;grid-template-columns:repeat(auto-fill,minmax(9rem,1fr));"
        "gap:.5rem}\n"
        ".next li>a{display:flex;flex-direction:column;align-items:flex-start;height:100%;"
        "padding:.5rem;border-radius:.5rem;box-shadow:0 0 0 1px rgba(0,0,0,.15)}\n"
        ".next img{display:block;margin-bottom:.25rem}\n"
        ".next .count{display:block}\n"
        ".canvas{flex:999 1 20rem;min-width:0;padding:1rem}\n"
        "h1{font-size:1.75rem;line-height:1.25;margin:0 0 .75rem}\n"
        ".lead,.description{white-space:pre-line}\n"
        ".lead{margin:0 0 1rem}\n";
    const int columns = std::max(layout.mainCanvas.columns, 1);
    const int box = plan.pictures.box;
    css +=
        ".grid{list-style:none;margin:0 0 1rem;padding:0;display:grid;gap:1rem;"
        "grid-template-columns:repeat(" +
        std::to_string(std::min(columns, 2)) + ",minmax(0,1fr))}\n";
    css += "@media (min-width:40em){.grid{grid-template-columns:repeat(auto-fill,minmax(max(" +
           std::to_string(box) + "px + 1rem,(100% - " + std::to_string(columns - 1) + "rem) / " +
           std::to_string(columns) + "),1fr))}}\n";
    css +=
        ".grid>li{padding:.5rem;min-width:0;border-radius:.5rem;"
        "box-shadow:0 0 0 1px rgba(0,0,0,.15);text-align:center";
    if (layout.table.cellLineWidth > 0)
        css += ";border:" + std::to_string(std::min(layout.table.cellLineWidth, 20)) + "px solid " +
               CssColor(layout.table.cellLineColor);
    if (const std::string align = CssAlignment(layout.mainCanvas.cellAlignment.View());
        !align.empty())
        css += ";text-align:" + align;
    css += "}\n";
    css +=
        ".grid figure{margin:0}\n"
        ".grid figure a{display:block}\n"
        ".grid img{display:block;margin:0 auto}\n"
        ".grid figcaption{margin-top:.25rem}\n"
        ".poster{position:relative;display:inline-block;vertical-align:top}\n"
        ".play{position:absolute;left:50%;top:50%;transform:translate(-50%,-50%);"
        "width:2.5rem;height:2.5rem;border-radius:50%;background:rgba(0,0,0,.6);color:#fff;"
        "line-height:2.5rem;font-size:1.25rem;text-align:center}\n"
        ".duration{position:absolute;right:.25rem;bottom:.25rem;padding:0 .25rem;"
        "border-radius:.25rem;background:#000;color:#fff;font-size:.875rem}\n"
        ".file>a{display:inline-flex;align-items:center;min-height:44px}\n"
        ".type{display:block}\n"
        ".item{max-width:80rem;margin:0 auto}\n"
        ".view{margin:0 0 1rem}\n"
        ".view img{display:block;width:auto;max-height:75vh;margin:0 auto}\n"
        ".view figcaption{margin-top:.5rem;white-space:pre-line}\n"
        "video,audio{display:block;width:100%;max-width:60rem;margin:0 0 1rem}\n"
        ".download a{display:inline-flex;align-items:center;min-height:44px}\n"
        ".generated{text-align:center;margin:.5rem 0 0}\n";
    css += ".header{" + bar(kHeaderBarSlot, "Layout Properties > Header Bar > Image") + "}\n";
    css += ".top{" + bar(kTopNavigatorBarSlot, "Layout Properties > Top Navigator Bar > Image") +
           "}\n";
    css += ".history{" + bar(kHistoryBarSlot, "Layout Properties > Next Navigator Bar > Image") +
           "}\n";
    css += ".next{" + bar(kNextNavigatorBarSlot, "Layout Properties > History Bar > Image") + "}\n";
    css += ".index,.pager{" + bar(kIndexBarSlot, "Layout Properties > Index Bar > Image") + "}\n";
    css += ".footer{" + bar(kFooterBarSlot, "Layout Properties > Footer Bar > Image") + "}\n";
    css +=
        ".canvas{" + area(layout.mainCanvas, "Layout Properties > Main Canvas > Image", {}) + "}\n";
    return css;
}
