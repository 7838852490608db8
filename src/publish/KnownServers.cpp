#include "KnownServers.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "CryptoLibrary.h"
#include "FileDigest.h"
#include "FileWrite.h"

namespace fs = std::filesystem;

namespace {

// The longest list either file may be: both are a line or two a server.
constexpr std::uintmax_t kMaxListBytes = 4 * 1024 * 1024;

std::vector<std::string> Lines(const fs::path& file) {
    std::vector<std::string> lines;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    if (error || size > kMaxListBytes) return lines;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t begin = line.find_first_not_of(" \t", at);
        if (begin == std::string_view::npos) break;
        const std::size_t end = std::min(line.find_first_of(" \t", begin), line.size());
        fields.push_back(line.substr(begin, end - begin));
        at = end;
    }
    return fields;
}

// "|1|salt|hash": HMAC-SHA1 of the name keyed with the salt, both in base64.
bool HashedNameMatches(std::string_view pattern, std::string_view hostName) {
    if (!pattern.starts_with("|1|")) return false;
    pattern.remove_prefix(3);
    const std::size_t bar = pattern.find('|');
    if (bar == std::string_view::npos) return false;
    const std::optional<std::string> salt = Base64Decode(pattern.substr(0, bar));
    const std::optional<std::string> hash = Base64Decode(pattern.substr(bar + 1));
    if (!salt || !hash) return false;
    const CryptoLibrary* crypto = Crypto();
    if (crypto == nullptr) return false;
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (crypto->hmac(crypto->sha1(), salt->data(), static_cast<int>(salt->size()),
                     reinterpret_cast<const unsigned char*>(hostName.data()), hostName.size(),
                     digest.data(), &length) == nullptr)
        return false;
    return std::string_view(reinterpret_cast<const char*>(digest.data()), length) == *hash;
}

// A plain entry lists names separated by commas; a "!" before one excludes it. Wildcards are
// left to ssh itself: a key shown for a pattern would not say which server it belongs to.
bool NamesMatch(std::string_view names, std::string_view hostName) {
    if (names.starts_with('|')) return HashedNameMatches(names, hostName);
    bool matched = false;
    while (!names.empty()) {
        const std::size_t comma = names.find(',');
        const std::string_view name = names.substr(0, comma);
        if (name.starts_with('!') && name.substr(1) == hostName) return false;
        if (name == hostName) matched = true;
        names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
    }
    return matched;
}

}  // namespace

namespace {

// The fields of the first line that holds the server's own key for the host; none when there is
// no such line.
std::vector<std::string> KnownHostLine(const fs::path& knownHosts, std::string_view hostName) {
    for (const std::string& line : Lines(knownHosts)) {
        std::vector<std::string_view> fields = Fields(line);
        if (fields.empty() || fields.front().starts_with('#')) continue;
        // A revoked key or a certificate authority is not the server's own key.
        if (fields.front().starts_with('@')) continue;
        if (fields.size() < 3 || !NamesMatch(fields[0], hostName)) continue;
        return {fields.begin(), fields.end()};
    }
    return {};
}

}  // namespace

std::string KnownHostKeyFingerprint(const fs::path& knownHosts, std::string_view hostName) {
    const std::vector<std::string> fields = KnownHostLine(knownHosts, hostName);
    if (fields.empty()) return {};
    const std::optional<std::string> blob = Base64Decode(fields[2]);
    return blob ? Sha256Fingerprint(*blob) : std::string();
}

std::string KnownHostKeyType(const fs::path& knownHosts, std::string_view hostName) {
    const std::vector<std::string> fields = KnownHostLine(knownHosts, hostName);
    return fields.empty() ? std::string() : fields[1];
}

fs::path DefaultKnownCertificatesFile() {
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        config = fs::path(home) / ".config";
    else
        return {};
    return config / "pagelorn" / "known_certificates";
}

std::string KnownCertificate(const fs::path& file, std::string_view hostName) {
    if (file.empty()) return {};
    for (const std::string& line : Lines(file)) {
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.size() >= 2 && fields[0] == hostName && fields[1].starts_with("SHA256:"))
            return std::string(fields[1]);
    }
    return {};
}

bool RememberCertificate(const fs::path& file, std::string_view hostName,
                         std::string_view fingerprint) {
    if (file.empty() || hostName.empty() ||
        hostName.find_first_of(" \t\r\n") != std::string_view::npos)
        return false;
    std::ostringstream text;
    for (const std::string& line : Lines(file)) {
        const std::vector<std::string_view> fields = Fields(line);
        if (!fields.empty() && fields[0] == hostName) continue;
        text << line << '\n';
    }
    text << hostName << ' ' << fingerprint << '\n';
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    return static_cast<bool>(WriteFileAtomically(file, text.str()));
}
