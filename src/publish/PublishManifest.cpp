#include "PublishManifest.h"

#include <nlohmann/json.hpp>

using Json = nlohmann::json;

namespace {

constexpr int kManifestVersion = 1;

bool IsSha256(const std::string& text) {
    if (text.size() != 64) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace

bool IsSafeRelativePath(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.back() == '/') return false;
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f' || c == '\\') return false;
    for (std::size_t from = 0; from <= path.size();) {
        std::size_t next = path.find('/', from);
        if (next == std::string::npos) next = path.size();
        const std::string_view part = std::string_view(path).substr(from, next - from);
        if (part.empty() || part == "." || part == "..") return false;
        from = next + 1;
    }
    return true;
}

std::string CPublishManifest::ToJson() const {
    // Written out here rather than built as a document: a document keeps an object's keys in the
    // order they came only by searching them one by one, which a website of many thousand files
    // cannot wait for. The text is the one such a document prints, indented by one space.
    std::string text =
        "{\n \"pagelorn-publish\": " + std::to_string(kManifestVersion) + ",\n \"files\": {";
    const char* separator = "\n";
    for (const auto& [path, file] : files) {
        text += separator;
        // Names come from file names on disk and need not be UTF-8; they are kept byte for byte.
        text += "  " + Json(path).dump(-1, ' ', false, Json::error_handler_t::replace) +
                ": {\n   \"size\": " + std::to_string(file.size) + ",\n   \"sha256\": " +
                Json(file.sha256).dump(-1, ' ', false, Json::error_handler_t::replace) +
                ",\n   \"modified\": " + std::to_string(file.modified) + "\n  }";
        separator = ",\n";
    }
    text += files.empty() ? "}\n}\n" : "\n }\n}\n";
    return text;
}

ManifestParse ParsePublishManifest(const std::string& text, CPublishManifest& manifest) {
    manifest = CPublishManifest();
    // Keys sorted in a tree: the order they came in does not matter here.
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::parse_error&) {
        return {false, "it is not JSON"};
    }
    if (!json.is_object() || !json.contains("pagelorn-publish") || !json.contains("files") ||
        !json["files"].is_object())
        return {false, "it is not a Pagelorn publish manifest"};
    if (!json["pagelorn-publish"].is_number_integer() ||
        json["pagelorn-publish"].get<long long>() > kManifestVersion)
        return {false, "it was written by a newer version of Pagelorn"};
    for (const auto& [path, entry] : json["files"].items()) {
        if (!IsSafeRelativePath(path)) return {false, "it names the unsafe path \"" + path + "\""};
        if (!entry.is_object() || !entry.contains("size") || !entry.contains("sha256") ||
            !entry["size"].is_number_unsigned() || !entry["sha256"].is_string() ||
            !IsSha256(entry["sha256"].get<std::string>()))
            return {false, "its entry for \"" + path + "\" is damaged"};
        std::int64_t modified = 0;
        if (const auto time = entry.find("modified");
            time != entry.end() && time->is_number_integer())
            modified = time->get<std::int64_t>();
        manifest.files[path] = {entry["size"].get<std::uint64_t>(),
                                entry["sha256"].get<std::string>(), modified};
    }
    return {true, {}};
}
