#include "ModernText.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "CharsetConverter.h"
#include "LinkedFiles.h"
#include "TextEncoder.h"

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Windows-1252's 0x80..0x9F as code points (0 where the charset has none).
constexpr std::array<unsigned, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string FromCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0)
            AppendUtf8(out, kCp1252High[byte - 0x80] != 0 ? kCp1252High[byte - 0x80] : 0xFFFD);
        else
            AppendUtf8(out, byte);
    }
    return out;
}

std::optional<std::string> FromCharset(std::string_view text, std::string_view charset) {
    CCharsetConverter converter("UTF-8", charset);
    if (!converter.IsOpen()) return std::nullopt;
    std::string input(text);
    std::string out(text.size() * 4 + 16, '\0');
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    const std::size_t done = converter.Convert(&in, &inLeft, &to, &toLeft);
    if (done == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - toLeft);
    if (!IsValidUtf8(out)) return std::nullopt;
    return out;
}

constexpr std::string_view kAllowedTags[] = {"b",     "i",   "u",  "em",   "strong",
                                             "small", "big", "br", "span", "a"};
constexpr std::string_view kNamedReferences[] = {"amp",   "lt",    "gt",    "quot",  "apos",
                                                 "nbsp",  "copy",  "reg",   "trade", "hellip",
                                                 "mdash", "ndash", "laquo", "raquo", "euro"};

// The length of a character reference at the start of the text ("&amp;", "&#233;"), else 0.
std::size_t ReferenceLength(std::string_view text) {
    if (text.size() < 3 || text[0] != '&') return 0;
    std::size_t i = 1;
    if (text[1] == '#') {
        i = 2;
        const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
        if (hex) ++i;
        const std::size_t digits = i;
        while (i < text.size() &&
               (IsDigit(text[i]) || (hex && std::isxdigit(static_cast<unsigned char>(text[i])))))
            ++i;
        if (i == digits || i - digits > 6 || i >= text.size() || text[i] != ';') return 0;
        return i + 1;
    }
    while (i < text.size() && IsLetter(text[i])) ++i;
    if (i >= text.size() || text[i] != ';') return 0;
    const std::string_view name = text.substr(1, i - 1);
    return std::find(std::begin(kNamedReferences), std::end(kNamedReferences), name) !=
                   std::end(kNamedReferences)
               ? i + 1
               : 0;
}

void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
}

// Text between tags: character references kept, everything else escaped.
void AppendText(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t reference = ReferenceLength(text.substr(i))) {
            out += text.substr(i, reference);
            i += reference;
        } else {
            AppendEscaped(out, text.substr(i, 1));
            ++i;
        }
    }
}

struct Tag {
    std::size_t begin = 0;
    std::size_t end = 0;  // one past the ">"
    std::string name;     // lower case
    bool closing = false;
    std::string href;  // of an "a", as written (references kept)
    bool keep = false;
};

// Whether a link may be kept: no scheme but http, https and mailto (a browser drops tabs and
// line breaks, so "java\tscript:" counts as a scheme too).
bool SafeHref(std::string_view href) {
    std::string squeezed;
    for (const char c : href)
        if (!IsBlank(c)) squeezed += c;
    const std::string lower = AsciiLower(squeezed);
    const std::size_t colon = lower.find(':');
    if (colon == std::string::npos) return true;
    const std::size_t stop = lower.find_first_of("/?#");
    if (stop != std::string::npos && stop < colon) return true;
    const std::string scheme = lower.substr(0, colon);
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

// Reads a tag starting at text[at] == '<'; nothing when it is no tag of the safe list.
std::optional<Tag> ReadTag(std::string_view text, std::size_t at) {
    Tag tag;
    tag.begin = at;
    std::size_t i = at + 1;
    if (i < text.size() && text[i] == '/') {
        tag.closing = true;
        ++i;
    }
    const std::size_t nameStart = i;
    while (i < text.size() && IsLetter(text[i])) ++i;
    if (i == nameStart) return std::nullopt;
    tag.name = AsciiLower(text.substr(nameStart, i - nameStart));
    if (std::find(std::begin(kAllowedTags), std::end(kAllowedTags), tag.name) ==
        std::end(kAllowedTags))
        return std::nullopt;
    bool hrefSeen = false;
    while (true) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i >= text.size() || text[i] == '<') return std::nullopt;
        if (text[i] == '>') {
            tag.end = i + 1;
            break;
        }
        if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '>') {
            tag.end = i + 2;
            break;
        }
        if (tag.closing) return std::nullopt;
        const std::size_t attrStart = i;
        while (i < text.size() && !IsBlank(text[i]) && text[i] != '=' && text[i] != '>' &&
               text[i] != '/' && text[i] != '<' && text[i] != '"' && text[i] != '\'')
            ++i;
        if (i == attrStart) return std::nullopt;
        const std::string attr = AsciiLower(text.substr(attrStart, i - attrStart));
        while (i < text.size() && IsBlank(text[i])) ++i;
        std::string value;
        if (i < text.size() && text[i] == '=') {
            ++i;
            while (i < text.size() && IsBlank(text[i])) ++i;
            if (i >= text.size()) return std::nullopt;
            if (text[i] == '"' || text[i] == '\'') {
                const char quote = text[i];
                const std::size_t close = text.find(quote, i + 1);
                if (close == std::string_view::npos) return std::nullopt;
                value = std::string(text.substr(i + 1, close - i - 1));
                i = close + 1;
            } else {
                const std::size_t valueStart = i;
                while (i < text.size() && !IsBlank(text[i]) && text[i] != '>' && text[i] != '<')
                    ++i;
                value = std::string(text.substr(valueStart, i - valueStart));
            }
        }
        // Any attribute that runs script makes the whole tag text.
        if (attr.starts_with("on")) return std::nullopt;
        if (tag.name == "a" && attr == "href") {
            if (hrefSeen || !SafeHref(value)) return std::nullopt;
            hrefSeen = true;
            tag.href = value;
        }
    }
    if (tag.name == "a" && !tag.closing && !hrefSeen) return std::nullopt;
    return tag;
}

}  // namespace

std::string ModernTextToUtf8(std::string_view text, std::string_view charset) {
    if (IsValidUtf8(text)) return std::string(text);
    if (!charset.empty() && AsciiLower(charset) != "utf-8")
        if (std::optional<std::string> converted = FromCharset(text, charset)) return *converted;
    return FromCp1252(text);
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    AppendEscaped(out, text);
    return out;
}

std::string SafeInlineMarkup(std::string_view text) {
    std::vector<Tag> tags;
    for (std::size_t at = text.find('<'); at != std::string_view::npos;) {
        if (std::optional<Tag> tag = ReadTag(text, at)) {
            at = text.find('<', tag->end);
            tags.push_back(std::move(*tag));
        } else {
            at = text.find('<', at + 1);
        }
    }
    // Opening and closing tags pair up as a stack; a closing tag that does not close the
    // innermost open element, and an element never closed, are text. A "br" stands alone.
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        Tag& tag = tags[i];
        if (tag.name == "br") {
            tag.keep = !tag.closing;
            continue;
        }
        if (!tag.closing) {
            // An "a" inside an "a" is not allowed.
            const bool nestedLink =
                tag.name == "a" && std::any_of(open.begin(), open.end(),
                                               [&](std::size_t j) { return tags[j].name == "a"; });
            if (!nestedLink) open.push_back(i);
            continue;
        }
        if (!open.empty() && tags[open.back()].name == tag.name) {
            tags[open.back()].keep = true;
            tag.keep = true;
            open.pop_back();
        }
    }
    std::string out;
    out.reserve(text.size() + 32);
    std::size_t at = 0;
    for (const Tag& tag : tags) {
        if (!tag.keep) continue;
        AppendText(out, text.substr(at, tag.begin - at));
        at = tag.end;
        if (tag.name == "br") {
            out += "<br>";
        } else if (tag.closing) {
            out += "</" + tag.name + ">";
        } else if (tag.name == "a") {
            out += "<a href=\"";
            AppendText(out, tag.href);
            out += "\">";
        } else {
            out += "<" + tag.name + ">";
        }
    }
    AppendText(out, text.substr(at));
    return out;
}

std::string PlainText(std::string_view text) {
    std::string out;
    bool blank = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<' && i + 1 < text.size() && (IsLetter(text[i + 1]) || text[i + 1] == '/')) {
            const std::size_t close = text.find('>', i);
            if (close != std::string_view::npos) {
                i = close;
                blank = !out.empty();
                continue;
            }
        }
        if (IsBlank(c)) {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}
