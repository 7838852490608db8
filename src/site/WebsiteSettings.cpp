#include "WebsiteSettings.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <system_error>

#include "FileWrite.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

struct CWebsiteSettings::Document {
    Json json = Json::object();
};

namespace {

constexpr int kFormatVersion = 1;

// The line of a byte offset, counted from 1.
std::size_t LineAt(const std::string& text, std::size_t offset) {
    offset = std::min(offset, text.size());
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + offset, '\n'));
}

// The line where a key of a section is written, for messages about its value.
std::size_t LineOfKey(const std::string& text, const char* section, const std::string& key) {
    std::size_t from = text.find(std::string("\"") + section + '"');
    if (from == std::string::npos) from = 0;
    const std::size_t at = text.find('"' + key + '"', from);
    return at == std::string::npos ? LineAt(text, from) : LineAt(text, at);
}

struct Problem {
    std::size_t line = 0;
    std::string reason;
};

std::size_t LineOfPictureKey(const std::string& text, const std::string& key) {
    return LineOfKey(text, "pictures", key);
}

std::optional<Problem> ReadFlag(const Json& section, const char* key, bool& value,
                                const std::string& text, const char* sectionName = "pictures") {
    const auto it = section.find(key);
    if (it == section.end()) return std::nullopt;
    if (!it->is_boolean())
        return Problem{LineOfKey(text, sectionName, key),
                       std::string("\"") + key + "\" must be true or false"};
    value = it->get<bool>();
    return std::nullopt;
}

std::optional<Problem> ReadNumber(const Json& section, const char* key, int low, int high,
                                  int& value, const std::string& text) {
    const auto it = section.find(key);
    if (it == section.end()) return std::nullopt;
    if (!it->is_number_integer() || it->get<long long>() < low || it->get<long long>() > high)
        return Problem{LineOfPictureKey(text, key),
                       std::string("\"") + key + "\" must be a whole number from " +
                           std::to_string(low) + " to " + std::to_string(high)};
    value = static_cast<int>(it->get<long long>());
    return std::nullopt;
}

std::optional<Problem> ReadPictures(const Json& root, const std::string& text,
                                    CPictureSettings& pictures) {
    const auto it = root.find("pictures");
    if (it == root.end()) return std::nullopt;
    if (!it->is_object())
        return Problem{LineAt(text, text.find("\"pictures\"")), "\"pictures\" must be an object"};
    const Json& section = *it;
    if (auto p = ReadFlag(section, "thumbnails", pictures.thumbnails, text)) return p;
    if (auto p = ReadNumber(section, "box", kMinThumbnailBox, kMaxThumbnailBox, pictures.box, text))
        return p;
    if (auto p = ReadNumber(section, "density", kMinDensity, kMaxDensity, pictures.density, text))
        return p;
    if (auto p = ReadNumber(section, "quality", kMinQuality, kMaxQuality, pictures.quality, text))
        return p;
    if (auto p = ReadFlag(section, "modernTypes", pictures.modernTypes, text)) return p;
    if (auto p = ReadNumber(section, "maxMegapixels", kMinMegapixels, kMaxMegapixels,
                            pictures.maxMegapixels, text))
        return p;
    if (auto p = ReadNumber(section, "view", 0, kMaxViewSide, pictures.view, text)) return p;
    return std::nullopt;
}

std::optional<Problem> ReadPages(const Json& root, const std::string& text, CPageSettings& pages) {
    const auto it = root.find("pages");
    if (it == root.end()) return std::nullopt;
    const std::size_t at = text.find("\"pages\"");
    if (!it->is_object()) return Problem{LineAt(text, at), "\"pages\" must be an object"};
    const auto style = it->find("style");
    if (style == it->end()) return std::nullopt;
    const std::size_t styleAt = text.find("\"style\"", at == std::string::npos ? 0 : at);
    if (style->is_string() && style->get<std::string>() == "classic")
        pages.style = PageStyle::Classic;
    else if (style->is_string() && style->get<std::string>() == "modern")
        pages.style = PageStyle::Modern;
    else
        return Problem{LineAt(text, styleAt), "\"style\" must be \"classic\" or \"modern\""};
    return std::nullopt;
}

// A key whose value is one of a few words; `names` holds them in the order of the enum.
template <typename Enum, std::size_t N>
std::optional<Problem> ReadChoice(const Json& section, const char* key,
                                  const std::array<const char*, N>& names, Enum& value,
                                  const std::string& text) {
    const auto it = section.find(key);
    if (it == section.end()) return std::nullopt;
    for (std::size_t i = 0; i < N; ++i)
        if (it->is_string() && it->get<std::string>() == names[i]) {
            value = static_cast<Enum>(i);
            return std::nullopt;
        }
    std::string allowed;
    for (std::size_t i = 0; i < N; ++i)
        allowed += std::string(i == 0 ? "" : i + 1 == N ? " or " : ", ") + '"' + names[i] + '"';
    return Problem{LineOfKey(text, "import", key),
                   std::string("\"") + key + "\" must be " + allowed};
}

constexpr std::array<const char*, 3> kCaptionNames{"file", "name", "title"};
constexpr std::array<const char*, 2> kOrderNames{"name", "date"};

std::optional<Problem> ReadImport(const Json& root, const std::string& text,
                                  CImportSettings& importing) {
    const auto it = root.find("import");
    if (it == root.end()) return std::nullopt;
    if (!it->is_object())
        return Problem{LineAt(text, text.find("\"import\"")), "\"import\" must be an object"};
    const Json& section = *it;
    if (auto p = ReadChoice(section, "caption", kCaptionNames, importing.caption, text)) return p;
    if (auto p = ReadChoice(section, "order", kOrderNames, importing.order, text)) return p;
    if (auto p = ReadFlag(section, "skip", importing.skip, text, "import")) return p;
    return std::nullopt;
}

constexpr const char* kTooLarge = "it is larger than 1 MiB";

// Thrown by the parser's callback to stop at a nesting too deep.
struct TooDeep {};

// The library's message without the error code it starts with.
std::string ReasonOf(const Json::exception& error) {
    std::string reason = error.what();
    if (const std::size_t colon = reason.find(": "); colon != std::string::npos)
        reason = reason.substr(colon + 2);
    return reason;
}

// A token of the parser's message in the words of someone editing the file.
std::string PlainToken(std::string token) {
    static const std::pair<std::string_view, std::string_view> words[] = {
        {"string literal", "a name or text in double quotes"},
        {"number literal", "a number"},
        {"literal", "a value"},
        {"'[', '{', or a literal", "a value"},
        {"end of input", "the end of the file"},
        {"<parse error>", "something that is not JSON"},
        {"<uninitialized>", "nothing"}};
    for (const auto& [parser, plain] : words)
        if (token == parser) return std::string(plain);
    // '}' and the like: the character itself.
    if (token.size() == 3 && token.front() == '\'' && token.back() == '\'')
        return "\"" + token.substr(1, 1) + "\"";
    return token;
}

}  // namespace

std::string PlainParseReason(const std::string& what) {
    // "[json.exception.parse_error.101] parse error at line 4, column 3: syntax error while
    // parsing object key - unexpected '}'; expected string literal"
    std::string column;
    if (const std::size_t at = what.find("column "); at != std::string::npos) {
        const std::size_t end = what.find(':', at);
        column = what.substr(at + 7, end == std::string::npos ? std::string::npos : end - at - 7);
    }
    const std::size_t dash = what.find(" - ");
    std::string detail = dash == std::string::npos ? what : what.substr(dash + 3);
    if (dash == std::string::npos)
        if (const std::size_t colon = what.rfind(": "); colon != std::string::npos)
            detail = what.substr(colon + 2);
    std::string plain;
    if (detail.starts_with("unexpected ")) {
        const std::size_t semicolon = detail.find("; expected ");
        const std::string found =
            detail.substr(11, semicolon == std::string::npos ? std::string::npos : semicolon - 11);
        plain =
            found == "end of input" ? "the file ends too early" : "there is " + PlainToken(found);
        if (semicolon != std::string::npos)
            plain += " where " + PlainToken(detail.substr(semicolon + 11)) + " belongs";
    } else if (detail.starts_with("invalid literal")) {
        plain = "a value is misspelt (values are numbers, true, false, or text in double quotes)";
    } else if (detail.starts_with("invalid string")) {
        plain = "a text in double quotes is not closed, or holds a line break or a lone \\";
    } else if (detail.starts_with("invalid number")) {
        plain = "a number is not written correctly";
    } else {
        plain = detail;
    }
    if (!column.empty()) plain = "at column " + column + ", " + plain;
    return plain;
}

namespace {

std::optional<Problem> ReadPublish(const Json& root, const std::string& text,
                                   CPublishSettings& publish) {
    const auto it = root.find("publish");
    if (it == root.end()) return std::nullopt;
    const std::size_t line = LineAt(text, text.find("\"publish\""));
    if (!it->is_object()) return Problem{line, "\"publish\" must be an object"};
    if (const auto url = it->find("url"); url != it->end()) {
        if (!url->is_string()) return Problem{line, "\"url\" must be a text"};
        publish.url = url->get<std::string>();
    }
    return std::nullopt;
}

SettingsLoadResult Damaged(const std::string& shownName, std::size_t line,
                           const std::string& reason) {
    std::string message = "The website settings file \"" + shownName + "\"";
    if (line > 0) message += ", line " + std::to_string(line) + ",";
    message += " cannot be used: " + reason + ". Every setting it holds is off.";
    return {SettingsLoadStatus::Damaged, std::move(message)};
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const fs::path ca = fs::weakly_canonical(a, error);
    if (error) return a == b;
    const fs::path cb = fs::weakly_canonical(b, error);
    if (error) return a == b;
    return ca == cb;
}

}  // namespace

const char* PageStyleName(PageStyle style) {
    return style == PageStyle::Modern ? "modern" : "classic";
}

CWebsiteSettings::CWebsiteSettings() : document(std::make_unique<Document>()) {}
CWebsiteSettings::CWebsiteSettings(const CWebsiteSettings& other)
    : pictures(other.pictures),
      pages(other.pages),
      importing(other.importing),
      publish(other.publish),
      document(std::make_unique<Document>(*other.document)),
      damagedFile(other.damagedFile) {}
CWebsiteSettings& CWebsiteSettings::operator=(const CWebsiteSettings& other) {
    if (this != &other) {
        CWebsiteSettings copy(other);
        *this = std::move(copy);
    }
    return *this;
}
CWebsiteSettings::CWebsiteSettings(CWebsiteSettings&&) noexcept = default;
CWebsiteSettings& CWebsiteSettings::operator=(CWebsiteSettings&&) noexcept = default;
CWebsiteSettings::~CWebsiteSettings() = default;

CWebsiteSettings CWebsiteSettings::ForNewProject() {
    CWebsiteSettings settings;
    settings.pictures.thumbnails = true;
    settings.pictures.modernTypes = true;
    settings.pages.style = PageStyle::Modern;
    settings.importing = {CImportSettings::Caption::Title, CImportSettings::Order::Date, true};
    return settings;
}

std::string CWebsiteSettings::ToJson() const {
    Json json = document ? document->json : Json::object();
    json["pagelorn"] = kFormatVersion;
    Json& section = json["pictures"];
    if (!section.is_object()) section = Json::object();
    section["thumbnails"] = pictures.thumbnails;
    section["box"] = pictures.box;
    section["density"] = pictures.density;
    section["quality"] = pictures.quality;
    section["modernTypes"] = pictures.modernTypes;
    section["maxMegapixels"] = pictures.maxMegapixels;
    section["view"] = pictures.view;
    Json& pagesSection = json["pages"];
    if (!pagesSection.is_object()) pagesSection = Json::object();
    pagesSection["style"] = PageStyleName(pages.style);
    Json& importSection = json["import"];
    if (!importSection.is_object()) importSection = Json::object();
    importSection["caption"] = kCaptionNames[static_cast<std::size_t>(importing.caption)];
    importSection["order"] = kOrderNames[static_cast<std::size_t>(importing.order)];
    importSection["skip"] = importing.skip;
    if (!publish.url.empty()) {
        Json& where = json["publish"];
        if (!where.is_object()) where = Json::object();
        where["url"] = publish.url;
    } else if (const auto where = json.find("publish"); where != json.end() && where->is_object()) {
        where->erase("url");
    }
    return json.dump(2) + "\n";
}

fs::path WebsiteSettingsPath(const fs::path& projectFile) {
    fs::path path = projectFile;
    path += ".json";
    return path;
}

SettingsLoadResult ParseWebsiteSettings(const std::string& text, const std::string& shownName,
                                        CWebsiteSettings& settings) {
    settings = CWebsiteSettings();
    if (text.size() > kMaxSettingsFileSize) return Damaged(shownName, 0, kTooLarge);
    Json json;
    try {
        // The parser itself keeps its nesting on the heap, but the copies and the output of a
        // deeply nested document recurse: such a file is refused as soon as it nests too deep.
        const Json::parser_callback_t nesting = [](int depth, Json::parse_event_t event, Json&) {
            if (depth >= kMaxSettingsNesting && (event == Json::parse_event_t::object_start ||
                                                 event == Json::parse_event_t::array_start))
                throw TooDeep{};
            return true;
        };
        json = Json::parse(text, nesting);
    } catch (const TooDeep&) {
        return Damaged(shownName, 0,
                       "it nests deeper than " + std::to_string(kMaxSettingsNesting) + " levels");
    } catch (const Json::parse_error& error) {
        return Damaged(shownName, LineAt(text, error.byte > 0 ? error.byte - 1 : 0),
                       PlainParseReason(error.what()));
    } catch (const Json::exception& error) {
        // A number too large for a double, and whatever else the library refuses.
        return Damaged(shownName, 0, ReasonOf(error));
    }
    if (!json.is_object()) return Damaged(shownName, 1, "it does not hold a JSON object");
    if (const auto version = json.find("pagelorn");
        version != json.end() && !version->is_number_integer())
        return Damaged(shownName, LineAt(text, text.find("\"pagelorn\"")),
                       "\"pagelorn\" must be a whole number");
    CPictureSettings pictures;
    if (std::optional<Problem> problem = ReadPictures(json, text, pictures))
        return Damaged(shownName, problem->line, problem->reason);
    CPageSettings pages;
    if (std::optional<Problem> problem = ReadPages(json, text, pages))
        return Damaged(shownName, problem->line, problem->reason);
    CImportSettings importing;
    if (std::optional<Problem> problem = ReadImport(json, text, importing))
        return Damaged(shownName, problem->line, problem->reason);
    CPublishSettings publish;
    if (std::optional<Problem> problem = ReadPublish(json, text, publish))
        return Damaged(shownName, problem->line, problem->reason);
    settings.pictures = pictures;
    settings.pages = pages;
    settings.importing = importing;
    settings.publish = publish;
    settings.document->json = std::move(json);
    return {SettingsLoadStatus::Read, {}};
}

SettingsLoadResult LoadWebsiteSettings(const fs::path& projectFile, CWebsiteSettings& settings) {
    const fs::path path = WebsiteSettingsPath(projectFile);
    settings = CWebsiteSettings();
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return {SettingsLoadStatus::Missing, {}};
    SettingsLoadResult result;
    if (!fs::is_regular_file(status)) {
        result = Damaged(Utf8FromPath(path), 0, "it is not a file");
    } else {
        // Read up to just past the limit, so that a huge file is never read whole and one that
        // grew meanwhile is refused all the same.
        std::ifstream file(path, std::ios::binary);
        std::string text;
        std::array<char, 65536> buffer{};
        while (file && text.size() <= kMaxSettingsFileSize) {
            file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            text.append(buffer.data(), static_cast<std::size_t>(file.gcount()));
        }
        if (file.bad() || (!file && !file.eof()))
            result = Damaged(Utf8FromPath(path), 0, "it cannot be read");
        else if (text.size() > kMaxSettingsFileSize)
            result = Damaged(Utf8FromPath(path), 0, kTooLarge);
        else
            result = ParseWebsiteSettings(text, Utf8FromPath(path), settings);
    }
    if (result.status == SettingsLoadStatus::Damaged) settings.damagedFile = path;
    return result;
}

SettingsSaveResult SaveWebsiteSettings(const fs::path& projectFile, CWebsiteSettings& settings,
                                       SettingsSave damaged) {
    const fs::path path = WebsiteSettingsPath(projectFile);
    if (!settings.damagedFile.empty() && damaged == SettingsSave::KeepDamaged &&
        SameFile(settings.damagedFile, path))
        return {{false, "The damaged website settings file \"" + Utf8FromPath(path) +
                            "\" was left as it is."},
                true};
    const FileWriteResult written = WriteFileAtomically(path, settings.ToJson());
    if (!written) return {{false, written.message}, false};
    if (!settings.damagedFile.empty() && SameFile(settings.damagedFile, path))
        settings.damagedFile.clear();
    return {{true, {}}, false};
}
