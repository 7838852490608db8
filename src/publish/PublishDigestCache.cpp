#include "PublishDigestCache.h"

#include <charconv>
#include <fstream>
#include <system_error>

#include "ExportFolder.h"
#include "FileWrite.h"
#include "PublishManifest.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "pagelorn-publish-cache 1";
constexpr std::string_view kEnd = "end ";
// A cache larger than this is not ours: a line a file, and a website of a million files.
constexpr std::uintmax_t kMaxBytes = 256u << 20;
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

bool IsHexDigest(std::string_view text) {
    if (text.size() != 64) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace

CPublishDigestCache CPublishDigestCache::Read(const fs::path& exportFolder) {
    CPublishDigestCache cache;
    const fs::path file = exportFolder / kPublishCacheName;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    if (error || size > kMaxBytes) return cache;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!std::getline(in, line) || line != kHeader) return cache;
    bool ended = false;
    while (std::getline(in, line)) {
        if (ended) return {};
        std::string_view rest = line;
        if (rest.starts_with(kEnd)) {
            std::size_t count = 0;
            rest.remove_prefix(kEnd.size());
            const auto [at, failed] =
                std::from_chars(rest.data(), rest.data() + rest.size(), count);
            if (failed != std::errc() || at != rest.data() + rest.size() ||
                count != cache.entries.size())
                return {};
            ended = true;
            continue;
        }
        Entry entry;
        if (rest.size() < 65 || !IsHexDigest(rest.substr(0, 64)) || rest[64] != ' ') return {};
        entry.sha256 = rest.substr(0, 64);
        rest.remove_prefix(65);
        if (!TakeNumber(rest, entry.size) || !TakeNumber(rest, entry.inode) ||
            !TakeNumber(rest, entry.modifiedNs) || !TakeNumber(rest, entry.changedNs))
            return {};
        const std::string path(rest);
        if (!IsSafeRelativePath(path)) return {};
        cache.entries[path] = std::move(entry);
    }
    // A file cut short lacks its last line.
    if (!ended) return {};
    return cache;
}

bool CPublishDigestCache::Write(const fs::path& exportFolder) const {
    std::string text(kHeader);
    text += '\n';
    for (const auto& [path, entry] : entries) {
        text += entry.sha256 + ' ' + std::to_string(entry.size) + ' ' +
                std::to_string(entry.inode) + ' ' + std::to_string(entry.modifiedNs) + ' ' +
                std::to_string(entry.changedNs) + ' ';
        text += path;
        text += '\n';
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
