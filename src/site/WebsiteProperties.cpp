#include "WebsiteProperties.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>

#include "EncodingTable.h"

namespace {

using Getter = std::function<std::string(const CWebsiteProperties&)>;
// Returns "" when done, else why the value was refused (nothing changed).
using Setter = std::function<std::string(CWebsiteProperties&, std::string_view)>;

struct Entry {
    PropertyKey key;
    Getter get;
    Setter set;
};

std::optional<long long> ParseInteger(std::string_view text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::string Range(long long minimum, long long maximum) {
    return std::to_string(minimum) + "-" + std::to_string(maximum);
}

// Every field the sheets edit is reached through one of these accessors.
template <typename Field>
using Access = std::function<Field&(CWebsiteProperties&)>;

// The properties only refer to the records, so a copy reaches the same fields; getters only
// read them, through the accessors written once for both ways.
template <typename Field>
const Field& Reach(const Access<Field>& access, const CWebsiteProperties& properties) {
    CWebsiteProperties same = properties;
    return access(same);
}

template <std::size_t N>
Entry Text(std::string name, std::string example, Access<CTextField<N>> access) {
    return {
        {std::move(name), "TEXT (at most " + std::to_string(N - 1) + " bytes)", std::move(example)},
        [access](const CWebsiteProperties& p) { return Reach(access, p).Str(); },
        [access](CWebsiteProperties& p, std::string_view value) -> std::string {
            if (value.find('\0') != std::string_view::npos) return "it holds a NUL byte";
            if (value.size() > N - 1)
                return "it is " + std::to_string(value.size()) + " bytes long; at most " +
                       std::to_string(N - 1) + " fit";
            access(p) = value;
            return {};
        }};
}

Entry LongText(std::string name, std::string example, Access<std::string> access) {
    return {{std::move(name), "TEXT", std::move(example)},
            [access](const CWebsiteProperties& p) { return Reach(access, p); },
            [access](CWebsiteProperties& p, std::string_view value) -> std::string {
                access(p) = std::string(value);
                return {};
            }};
}

template <typename Int>
Entry Number(std::string name, long long minimum, long long maximum, std::string example,
             Access<Int> access) {
    return {
        {std::move(name), Range(minimum, maximum), std::move(example)},
        [access](const CWebsiteProperties& p) { return std::to_string(Reach(access, p)); },
        [access, minimum, maximum](CWebsiteProperties& p, std::string_view value) -> std::string {
            const std::optional<long long> number = ParseInteger(value);
            if (!number) return "it is no whole number";
            if (*number < minimum || *number > maximum)
                return "it is not within " + Range(minimum, maximum);
            access(p) = static_cast<Int>(*number);
            return {};
        }};
}

// One of a few words, each standing for a value of the field, as the settings file spells them.
template <typename Field>
Entry Choice(std::string name, std::vector<std::pair<std::string, Field>> words,
             std::string example, Access<Field> access) {
    std::string values;
    for (const auto& [word, value] : words) values += (values.empty() ? "" : "|") + word;
    return {{std::move(name), values, std::move(example)},
            [access, words](const CWebsiteProperties& p) {
                for (const auto& [word, value] : words)
                    if (Reach(access, p) == value) return word;
                return std::string();
            },
            [access, words, values](CWebsiteProperties& p, std::string_view text) -> std::string {
                for (const auto& [word, value] : words) {
                    if (text == word) {
                        access(p) = value;
                        return {};
                    }
                }
                return "it is none of " + values;
            }};
}

// What the window's edits take: digits, as many as a 32-bit field stores.
Entry Count(std::string name, std::string example, Access<std::int32_t> access) {
    return Number<std::int32_t>(std::move(name), 0, std::numeric_limits<std::int32_t>::max(),
                                std::move(example), std::move(access));
}

template <typename Flag>
Entry Switch(std::string name, std::string example, Access<Flag> access) {
    return {{std::move(name), "true|false", std::move(example)},
            [access](const CWebsiteProperties& p) {
                return std::string(Reach(access, p) ? "true" : "false");
            },
            [access](CWebsiteProperties& p, std::string_view value) -> std::string {
                if (value != "true" && value != "false") return "it is neither true nor false";
                access(p) = static_cast<Flag>(value == "true" ? 1 : 0);
                return {};
            }};
}

// Colours are written as in the pages, "#RRGGBB"; the field holds 0x00BBGGRR.
Entry Colour(std::string name, std::string example, Access<COLORREF> access) {
    return {{std::move(name), "#RRGGBB", std::move(example)},
            [access](const CWebsiteProperties& p) {
                const COLORREF colour = Reach(access, p);
                char text[8];
                std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF,
                              (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
                return std::string(text);
            },
            [access](CWebsiteProperties& p, std::string_view value) -> std::string {
                if (value.starts_with('#')) value.remove_prefix(1);
                unsigned int rgb = 0;
                const auto [end, error] =
                    std::from_chars(value.data(), value.data() + value.size(), rgb, 16);
                if (value.size() != 6 || error != std::errc() || end != value.data() + 6)
                    return "it is no colour written as #RRGGBB";
                access(p) = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
                return {};
            }};
}

// An alignment as the sheets' combos store it: "" (the default), "Left", "Center", "Right".
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kAlignments = {
    {{"default", ""}, {"left", "Left"}, {"center", "Center"}, {"right", "Right"}}};

template <std::size_t N>
Entry Alignment(std::string name, std::string example, Access<CTextField<N>> access) {
    return {{std::move(name), "default|left|center|right", std::move(example)},
            [access](const CWebsiteProperties& p) {
                const std::string_view stored = Reach(access, p).View();
                for (const auto& [word, text] : kAlignments)
                    if (stored == text) return std::string(word);
                return std::string(stored);  // what another program wrote
            },
            [access](CWebsiteProperties& p, std::string_view value) -> std::string {
                for (const auto& [word, stored] : kAlignments) {
                    if (value == word || (!stored.empty() && value == stored)) {
                        access(p) = stored;
                        return {};
                    }
                }
                return "it is none of default, left, center, right";
            }};
}

// A charset of the Language page's list ("" declares none).
Entry Charset(std::string name, std::string example, Access<CTextField<255>> access) {
    return {{std::move(name), "CHARSET (UTF-8, iso-8859-1, ... or \"\")", std::move(example)},
            [access](const CWebsiteProperties& p) { return Reach(access, p).Str(); },
            [access](CWebsiteProperties& p, std::string_view value) -> std::string {
                for (const EncodingEntry& entry : theEncodingTable) {
                    if (entry.listed && entry.charsetName == value) {
                        access(p) = entry.charsetName;
                        return {};
                    }
                }
                return "it is no charset of the Language page";
            }};
}

const char* const kBarNames[kLayoutAreaCount] = {
    "headerBar", "topNavigatorBar", "historyBar", "nextNavigatorBar", "indexBar", "footerBar"};

std::vector<Entry> MakeEntries() {
    std::vector<Entry> entries;
    const auto add = [&](Entry entry) { entries.push_back(std::move(entry)); };
    // General
    add(Text<255>(
        "title", "My Website",
        [](CWebsiteProperties & p) -> auto& { return p.page.general.title; }));
    add(Text<255>(
        "location", "/srv/www/site",
        [](CWebsiteProperties & p) -> auto& { return p.page.general.location; }));
    add(Text<255>(
        "sound", "/music/theme.mid",
        [](CWebsiteProperties & p) -> auto& { return p.page.general.soundLocation; }));
    add({{"soundLoop", "forever|" + Range(0, std::numeric_limits<std::int32_t>::max()), "3"},
         [](const CWebsiteProperties& p) {
             const std::int32_t loop = p.page.general.soundLoop;
             return loop < 0 ? std::string("forever") : std::to_string(loop);
         },
         [](CWebsiteProperties& p, std::string_view value) -> std::string {
             if (value == "forever") {
                 p.page.general.soundLoop = -1;
                 return {};
             }
             const std::optional<long long> number = ParseInteger(value);
             if (!number || *number < 0 || *number > std::numeric_limits<std::int32_t>::max())
                 return "it is neither forever nor a number of times";
             p.page.general.soundLoop = static_cast<std::int32_t>(*number);
             return {};
         }});
    add({{"copy", "automatic|manual", "manual"},
         [](const CWebsiteProperties& p) {
             return std::string(p.page.general.copyLinkedFiles != 0 ? "automatic" : "manual");
         },
         [](CWebsiteProperties& p, std::string_view value) -> std::string {
             if (value != "automatic" && value != "manual")
                 return "it is neither automatic nor manual";
             p.page.general.copyLinkedFiles = value == "automatic" ? 1 : 0;
             return {};
         }});
    // Background
    add(Switch<std::int32_t>(
        "background", "true",
        [](CWebsiteProperties & p) -> auto& { return p.page.background.specifyBackground; }));
    add(Switch<std::int32_t>(
        "backgroundImage.use", "true",
        [](CWebsiteProperties & p) -> auto& { return p.page.background.useBackgroundImage; }));
    add(Text<256>(
        "backgroundImage", "/pictures/paper.gif",
        [](CWebsiteProperties & p) -> auto& { return p.page.background.backgroundImage; }));
    add(Switch<std::int32_t>(
        "watermark", "true",
        [](CWebsiteProperties & p) -> auto& { return p.page.background.watermark; }));
    add(Switch<std::int32_t>(
        "defaultColors", "false",
        [](CWebsiteProperties & p) -> auto& { return p.page.background.useDefaultColors; }));
    add(Colour(
        "bgColor", "#102030",
        [](CWebsiteProperties & p) -> auto& { return p.page.background.bgColor; }));
    add(Colour(
        "textColor", "#405060",
        [](CWebsiteProperties & p) -> auto& { return p.page.background.textColor; }));
    add(Colour(
        "linkColor", "#0000EE",
        [](CWebsiteProperties & p) -> auto& { return p.page.background.linkColor; }));
    add(Colour(
        "activeLinkColor", "#EE0000",
        [](CWebsiteProperties & p) -> auto& { return p.page.background.activeLinkColor; }));
    add(Colour(
        "visitedLinkColor", "#551A8B",
        [](CWebsiteProperties & p) -> auto& { return p.page.background.visitedLinkColor; }));
    // Margins: a number sets the margin, "none" leaves it to the browser.
    for (const bool top : {true, false}) {
        const auto specify = [top](CWebsiteProperties& p) -> std::int32_t& {
            return top ? p.page.margins.specifyTopMargin : p.page.margins.specifyLeftMargin;
        };
        const auto margin = [top](CWebsiteProperties& p) -> std::int32_t& {
            return top ? p.page.margins.topMargin : p.page.margins.leftMargin;
        };
        add({{top ? "topMargin" : "leftMargin",
              "none|" + Range(0, std::numeric_limits<std::int32_t>::max()), "5000"},
             [specify, margin](const CWebsiteProperties& properties) {
                 CWebsiteProperties p = properties;
                 return specify(p) != 0 ? std::to_string(margin(p)) : std::string("none");
             },
             [specify, margin](CWebsiteProperties& p, std::string_view value) -> std::string {
                 if (value == "none") {
                     specify(p) = 0;
                     return {};
                 }
                 const std::optional<long long> number = ParseInteger(value);
                 if (!number || *number < 0 || *number > std::numeric_limits<std::int32_t>::max())
                     return "it is neither none nor a number of pixels";
                 specify(p) = 1;
                 margin(p) = static_cast<std::int32_t>(*number);
                 return {};
             }});
    }
    // Language, Header, Footer
    add(Charset(
        "charset", "iso-8859-1",
        [](CWebsiteProperties & p) -> auto& { return p.page.saveEncoding; }));
    add(Charset(
        "loadCharset", "koi8-r",
        [](CWebsiteProperties & p) -> auto& { return p.page.loadEncoding; }));
    add(LongText(
        "header", "<b>Welcome</b>", [](CWebsiteProperties & p) -> auto& { return p.page.header; }));
    add(LongText(
        "footer", "(c) 2026", [](CWebsiteProperties & p) -> auto& { return p.page.footer; }));
    // Layout: the bars, the main canvas, the table
    for (int slot = 0; slot < kLayoutAreaCount; ++slot) {
        const std::string bar = kBarNames[slot];
        add(Alignment<10>(
            bar + ".alignment", "center", [slot](CWebsiteProperties & p) -> auto& {
                return p.layout.areas[static_cast<std::size_t>(slot)].alignment;
            }));
        add(Colour(
            bar + ".color", "#C0C0C0", [slot](CWebsiteProperties & p) -> auto& {
                return p.layout.areas[static_cast<std::size_t>(slot)].bgColor;
            }));
        add(Colour(
            bar + ".textColor", "#800000", [slot](CWebsiteProperties & p) -> auto& {
                return p.layout.areas[static_cast<std::size_t>(slot)].font.color;
            }));
        add(Text<256>(
            bar + ".image", "/pictures/bar.gif", [slot](CWebsiteProperties & p) -> auto& {
                return p.layout.areas[static_cast<std::size_t>(slot)].imagePath;
            }));
    }
    add(Count(
        "rows", "150", [](CWebsiteProperties & p) -> auto& { return p.layout.mainCanvas.rows; }));
    add(Count(
        "columns", "5",
        [](CWebsiteProperties & p) -> auto& { return p.layout.mainCanvas.columns; }));
    add(Alignment<12>(
        "canvas.alignment", "center",
        [](CWebsiteProperties & p) -> auto& { return p.layout.mainCanvas.cellAlignment; }));
    add(Colour(
        "canvas.color", "#FFFFE0",
        [](CWebsiteProperties & p) -> auto& { return p.layout.mainCanvas.bgColor; }));
    add(Colour(
        "canvas.textColor", "#000080",
        [](CWebsiteProperties & p) -> auto& { return p.layout.mainCanvas.font.color; }));
    add(Text<256>(
        "canvas.image", "/pictures/canvas.gif",
        [](CWebsiteProperties & p) -> auto& { return p.layout.mainCanvas.imagePath; }));
    add(Alignment<12>(
        "table.alignment", "left",
        [](CWebsiteProperties & p) -> auto& { return p.layout.table.alignment; }));
    add(Count(
        "table.borderWidth", "2",
        [](CWebsiteProperties & p) -> auto& { return p.layout.table.borderWidth; }));
    add(Colour(
        "table.borderColor", "#333333",
        [](CWebsiteProperties & p) -> auto& { return p.layout.table.borderColor; }));
    add(Count(
        "table.cellLineWidth", "1",
        [](CWebsiteProperties & p) -> auto& { return p.layout.table.cellLineWidth; }));
    add(Colour(
        "table.cellLineColor", "#999999",
        [](CWebsiteProperties & p) -> auto& { return p.layout.table.cellLineColor; }));
    add(Count(
        "table.cellPadding", "4",
        [](CWebsiteProperties & p) -> auto& { return p.layout.table.cellPadding; }));
    add(Count(
        "table.cellSpacing", "6",
        [](CWebsiteProperties & p) -> auto& { return p.layout.table.cellSpacing; }));
    // The settings file
    const auto settingsEntry = [&](Entry entry) {
        entry.key.inSettingsFile = true;
        add(std::move(entry));
    };
    settingsEntry(Switch<bool>(
        "pictures.thumbnails", "true",
        [](CWebsiteProperties & p) -> auto& { return p.settings.pictures.thumbnails; }));
    settingsEntry(Number<int>(
        "pictures.box", kMinThumbnailBox, kMaxThumbnailBox, "150",
        [](CWebsiteProperties & p) -> auto& { return p.settings.pictures.box; }));
    settingsEntry(Number<int>(
        "pictures.density", kMinDensity, kMaxDensity, "3",
        [](CWebsiteProperties & p) -> auto& { return p.settings.pictures.density; }));
    settingsEntry(Number<int>(
        "pictures.quality", kMinQuality, kMaxQuality, "70",
        [](CWebsiteProperties & p) -> auto& { return p.settings.pictures.quality; }));
    settingsEntry(Switch<bool>(
        "pictures.modernTypes", "true",
        [](CWebsiteProperties & p) -> auto& { return p.settings.pictures.modernTypes; }));
    settingsEntry(Number<int>(
        "pictures.maxMegapixels", kMinMegapixels, kMaxMegapixels, "200",
        [](CWebsiteProperties & p) -> auto& { return p.settings.pictures.maxMegapixels; }));
    settingsEntry(Number<int>(
        "pictures.view", 0, kMaxViewSide, "2000",
        [](CWebsiteProperties & p) -> auto& { return p.settings.pictures.view; }));
    settingsEntry(Choice<PageStyle>(
        "pages.style", {{"classic", PageStyle::Classic}, {"modern", PageStyle::Modern}}, "modern",
        [](CWebsiteProperties & p) -> auto& { return p.settings.pages.style; }));
    using Caption = CImportSettings::Caption;
    settingsEntry(Choice<Caption>(
        "import.caption",
        {{"file", Caption::File}, {"name", Caption::Name}, {"title", Caption::Title}}, "title",
        [](CWebsiteProperties & p) -> auto& { return p.settings.importing.caption; }));
    using Order = CImportSettings::Order;
    settingsEntry(Choice<Order>(
        "import.order", {{"name", Order::Name}, {"date", Order::Date}}, "date",
        [](CWebsiteProperties & p) -> auto& { return p.settings.importing.order; }));
    settingsEntry(Switch<bool>(
        "import.skip", "true",
        [](CWebsiteProperties & p) -> auto& { return p.settings.importing.skip; }));
    // Whether the address can be reached is for publishing and the check to say.
    settingsEntry(LongText(
        "publish.url", "sftp://me@example.org/~/public_html",
        [](CWebsiteProperties & p) -> auto& { return p.settings.publish.url; }));
    return entries;
}

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = MakeEntries();
    return entries;
}

const Entry* FindEntry(std::string_view name) {
    for (const Entry& entry : Entries())
        if (entry.key.name == name) return &entry;
    return nullptr;
}

}  // namespace

const std::vector<PropertyKey>& WebsitePropertyKeys() {
    static const std::vector<PropertyKey> keys = [] {
        std::vector<PropertyKey> list;
        for (const Entry& entry : Entries()) list.push_back(entry.key);
        return list;
    }();
    return keys;
}

const PropertyKey* FindWebsitePropertyKey(std::string_view name) {
    const Entry* entry = FindEntry(name);
    return entry != nullptr ? &entry->key : nullptr;
}

std::optional<std::string> GetWebsiteProperty(const CWebsiteProperties& properties,
                                              std::string_view name) {
    const Entry* entry = FindEntry(name);
    if (entry == nullptr) return std::nullopt;
    return entry->get(properties);
}

std::string SetWebsiteProperty(CWebsiteProperties& properties, std::string_view name,
                               std::string_view value) {
    const Entry* entry = FindEntry(name);
    if (entry == nullptr) return "there is no key " + std::string(name);
    return entry->set(properties, value);
}
