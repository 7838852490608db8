#include "PublishDigestCache.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <system_error>

#include "ExportFolder.h"
#include "FileWrite.h"

namespace fs = std::filesystem;

namespace {

// Version 1 had no copy of a server's manifest; it is still read.
constexpr std::string_view kHeader = "pagelorn-publish-cache 2";
constexpr std::string_view kFirstHeader = "pagelorn-publish-cache 1";
constexpr std::string_view kServer = "server ";
constexpr std::string_view kEnd = "end ";
// A cache larger than this is not ours: two lines a file, and a website of a million files.
constexpr std::uintmax_t kMaxBytes = 512u << 20;
// Times this close before the scan could still change within the same tick.
constexpr std::int64_t kRacyNs = 2'000'000'000;

template <class Number>
bool TakeNumber(std::string_view& line, Number& value) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return false;
    const char* end = line.data() + space;
    const auto [at, error] = std::from_chars(line.data(), end, value);
    if (error != std::errc() || at != end) return false;
    line.remove_prefix(space + 1);
    return true;
}

template <class Number>
bool IsNumber(std::string_view text, Number& value) {
    const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && at == text.data() + text.size();
}

bool IsHexDigest(std::string_view text) {
    if (text.size() != 64) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// "SHA256 " at the start of a line, taken off.
bool TakeDigest(std::string_view& line, std::string& digest) {
    if (line.size() < 65 || !IsHexDigest(line.substr(0, 64)) || line[64] != ' ') return false;
    digest = line.substr(0, 64);
    line.remove_prefix(65);
    return true;
}

// Hands out the lines of a text one by one.
class CLines {
public:
    explicit CLines(std::string_view text) : rest(text) {}
    // False at the end; a last line without its newline was cut short and is not handed out.
    bool Next(std::string_view& line) {
        const std::size_t newline = rest.find('\n');
        if (newline == std::string_view::npos) return false;
        line = rest.substr(0, newline);
        rest.remove_prefix(newline + 1);
        return true;
    }
    bool AtEnd() const { return rest.empty(); }

private:
    std::string_view rest;
};

bool ReadServerCopy(std::string_view line, CLines& lines, CPublishDigestCache::ServerCopy& copy) {
    std::size_t count = 0;
    if (!TakeNumber(line, copy.stamp.size) || !TakeNumber(line, copy.stamp.modified) ||
        !TakeNumber(line, count) || line.empty())
        return false;
    copy.target = line;
    for (std::size_t i = 0; i < count; ++i) {
        PublishedFile file;
        if (!lines.Next(line) || !TakeDigest(line, file.sha256) || !TakeNumber(line, file.size) ||
            !TakeNumber(line, file.modified))
            return false;
        std::string path(line);
        if (!IsSafeRelativePath(path)) return false;
        copy.manifest.files.emplace_hint(copy.manifest.files.end(), std::move(path),
                                         std::move(file));
    }
    return copy.manifest.files.size() == count;
}

// Each number followed by a space.
template <class... Numbers>
void AppendNumbers(std::string& text, Numbers... numbers) {
    char digits[24];
    const auto append = [&](auto number) {
        const auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), number);
        text.append(digits, end);
        text += ' ';
    };
    (append(numbers), ...);
}

}  // namespace

CPublishDigestCache CPublishDigestCache::Read(const fs::path& exportFolder) {
    CPublishDigestCache cache;
    const fs::path file = exportFolder / kPublishCacheName;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    if (error || size > kMaxBytes) return cache;
    std::string text(static_cast<std::size_t>(size), '\0');
    {
        std::ifstream in(file, std::ios::binary);
        if (!in.read(text.data(), static_cast<std::streamsize>(text.size())) ||
            in.peek() != std::ifstream::traits_type::eof())
            return cache;
    }
    CLines lines(text);
    std::string_view line;
    if (!lines.Next(line) || (line != kHeader && line != kFirstHeader)) return cache;
    while (lines.Next(line)) {
        if (line.starts_with(kEnd)) {
            std::size_t count = 0;
            if (!IsNumber(line.substr(kEnd.size()), count) || count != cache.entries.size() ||
                !lines.AtEnd())
                return {};
            return cache;
        }
        if (line.starts_with(kServer)) {
            ServerCopy copy;
            if (cache.server || !ReadServerCopy(line.substr(kServer.size()), lines, copy))
                return {};
            cache.server = std::move(copy);
            continue;
        }
        Entry entry;
        if (!TakeDigest(line, entry.sha256) || !TakeNumber(line, entry.size) ||
            !TakeNumber(line, entry.inode) || !TakeNumber(line, entry.modifiedNs) ||
            !TakeNumber(line, entry.changedNs))
            return {};
        std::string path(line);
        if (!IsSafeRelativePath(path)) return {};
        cache.entries.emplace_hint(cache.entries.end(), std::move(path), std::move(entry));
    }
    // A file cut short lacks its last line.
    return {};
}

bool CPublishDigestCache::Write(const fs::path& exportFolder) const {
    std::string text(kHeader);
    text += '\n';
    for (const auto& [path, entry] : entries) {
        text += entry.sha256;
        text += ' ';
        AppendNumbers(text, entry.size, entry.inode, entry.modifiedNs, entry.changedNs);
        text += path;
        text += '\n';
    }
    if (server && !server->target.empty() &&
        server->target.find_first_of("\r\n") == std::string::npos) {
        text += kServer;
        AppendNumbers(text, server->stamp.size, server->stamp.modified,
                      server->manifest.files.size());
        text += server->target;
        text += '\n';
        for (const auto& [path, file] : server->manifest.files) {
            text += file.sha256;
            text += ' ';
            AppendNumbers(text, file.size, file.modified);
            text += path;
            text += '\n';
        }
    }
    text += kEnd;
    text += std::to_string(entries.size());
    text += '\n';
    return static_cast<bool>(
        WriteFileAtomically(exportFolder / kPublishCacheName, text, FileSync::NoSync));
}

const std::string* CPublishDigestCache::Find(const std::string& path,
                                             const FileStamp& stamp) const {
    const auto found = entries.find(path);
    if (found == entries.end()) return nullptr;
    const Entry& entry = found->second;
    if (entry.size != stamp.size || entry.inode != stamp.inode ||
        entry.modifiedNs != stamp.modifiedNs || entry.changedNs != stamp.changedNs)
        return nullptr;
    return &entry.sha256;
}

void CPublishDigestCache::Set(const std::string& path, const FileStamp& stamp, std::string sha256,
                              std::int64_t scanStartNs) {
    if (stamp.modifiedNs > scanStartNs - kRacyNs || stamp.changedNs > scanStartNs - kRacyNs) return;
    entries[path] = {stamp.size, stamp.inode, stamp.modifiedNs, stamp.changedNs, std::move(sha256)};
}

const CPublishManifest* CPublishDigestCache::ServerManifest(const std::string& target,
                                                            const RemoteFileStamp& stamp) const {
    if (!server || target.empty() || server->target != target || server->stamp != stamp)
        return nullptr;
    return &server->manifest;
}
