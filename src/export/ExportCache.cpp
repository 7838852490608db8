#include "ExportCache.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "ExportFolder.h"
#include "FileStatus.h"
#include "MediaModule.h"
#include "ProgramInfo.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "PAGELORN-CACHE\n";
constexpr std::uint64_t kFormat = 9;
// A record this large is no record of ours; it is not read into memory.
constexpr std::uint64_t kMaxStoredBytes = 1ull << 30;
constexpr std::size_t kStampBytes = 5 * 8;
// What a picture's facts hold, in their first number.
constexpr std::uint64_t kHasSize = 1, kIsJpeg = 2, kDamaged = 4, kHeaderRead = 8, kHasHeader = 16,
                        kHasAlpha = 32;
// What a video's facts hold.
constexpr std::uint64_t kHasFacts = 1, kHasCreated = 2;

// A 64-bit hash of bytes given in pieces of any size, taken eight bytes a step: records of
// megabytes are summed on every re-export, and HashOfPage hashes every page's inputs with it.
class CChecksum {
public:
    void Add(std::string_view bytes) {
        if (bytes.empty()) return;
        total += bytes.size();
        if (pendingSize > 0) {
            const std::size_t room = std::min(bytes.size(), sizeof pending - pendingSize);
            std::memcpy(pending + pendingSize, bytes.data(), room);
            pendingSize += room;
            bytes.remove_prefix(room);
            if (pendingSize < sizeof pending) return;
            Word(pending);
            pendingSize = 0;
        }
        for (; bytes.size() >= 8; bytes.remove_prefix(8)) Word(bytes.data());
        if (!bytes.empty()) std::memcpy(pending, bytes.data(), bytes.size());
        pendingSize = bytes.size();
    }
    std::uint64_t Value() const {
        char last[8] = {};
        std::memcpy(last, pending, pendingSize);
        std::uint64_t value = Round(hash, Load(last)) ^ total;
        value ^= value >> 33;
        value *= kPrime2;
        value ^= value >> 29;
        value *= 0x165667B19E3779F9ull;
        value ^= value >> 32;
        return value;
    }

private:
    static constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
    static constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

    // Little-endian, so that a record reads alike on any machine.
    static std::uint64_t Load(const char* bytes) {
        std::uint64_t word = 0;
        for (int i = 0; i < 8; ++i)
            word |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
        return word;
    }
    static std::uint64_t Round(std::uint64_t value, std::uint64_t word) {
        value += word * kPrime2;
        value = (value << 31) | (value >> 33);
        return value * kPrime1;
    }
    void Word(const char* bytes) { hash = Round(hash, Load(bytes)); }

    std::uint64_t hash = 0x27D4EB2F165667C5ull;
    std::uint64_t total = 0;
    char pending[8] = {};
    std::size_t pendingSize = 0;
};

std::uint64_t Checksum(std::string_view bytes) {
    CChecksum sum;
    sum.Add(bytes);
    return sum.Value();
}

// Little-endian, whatever the machine; appended at once, as a record of a large website holds
// millions of numbers.
void PutU64(std::string& out, std::uint64_t value) {
    char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    out.append(bytes, 8);
}

void PutText(std::string& out, std::string_view text) {
    PutU64(out, text.size());
    out += text;
}

void PutStamp(std::string& out, const FileStamp& stamp) {
    char bytes[kStampBytes];
    std::size_t at = 0;
    for (const std::uint64_t value :
         {stamp.device, stamp.inode, static_cast<std::uint64_t>(stamp.size),
          static_cast<std::uint64_t>(stamp.modifiedNs),
          static_cast<std::uint64_t>(stamp.changedNs)})
        for (int i = 0; i < 8; ++i) bytes[at++] = static_cast<char>((value >> (8 * i)) & 0xFF);
    out.append(bytes, kStampBytes);
}

// A stamp as PutStamp stored it, through either reader of the record.
template <class Reader>
FileStamp ReadStamp(Reader& in) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = in.U64();
    stamp.inode = in.U64();
    stamp.size = in.U64();
    stamp.modifiedNs = static_cast<std::int64_t>(in.U64());
    stamp.changedNs = static_cast<std::int64_t>(in.U64());
    return stamp;
}

// Reads the stored form; any read past the end or any count larger than what is left makes the
// whole record unusable.
class CReader {
public:
    explicit CReader(std::string_view bytes) : bytes(bytes) {}

    bool Ok() const { return ok; }
    bool AtEnd() const { return at == bytes.size(); }
    std::size_t Left() const { return bytes.size() - at; }

    std::uint64_t U64() {
        if (Left() < 8) return Fail();
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + i]))
                     << (8 * i);
        at += 8;
        return value;
    }
    std::string_view Text() {
        const std::uint64_t size = U64();
        if (!ok || size > Left()) {
            Fail();
            return {};
        }
        const std::string_view text = bytes.substr(at, size);
        at += size;
        return text;
    }
    FileStamp Stamp() { return ReadStamp(*this); }
    // A count of records of at least `each` bytes that must fit into what is left.
    std::uint64_t Count(std::size_t each) {
        const std::uint64_t count = U64();
        if (ok && count > Left() / each) return Fail();
        return count;
    }

private:
    std::uint64_t Fail() {
        ok = false;
        at = bytes.size();
        return 0;
    }

    std::string_view bytes;
    std::size_t at = 0;
    bool ok = true;
};

std::string StoredHead(std::string_view project) {
    std::string out(kMagic);
    PutU64(out, kFormat);
    PutText(out, kProgramVersion);
    PutText(out, project);
    return out;
}

std::string StoredShortcut(const std::optional<ExportShortcut>& shortcut) {
    std::string out;
    if (!shortcut) return out;
    for (const std::uint64_t value :
         {shortcut->digest[0], shortcut->digest[1], shortcut->inputs[0], shortcut->inputs[1],
          shortcut->pages, shortcut->files, shortcut->thumbnails})
        PutU64(out, value);
    PutU64(out, shortcut->folders.size());
    for (const std::string& folder : shortcut->folders) PutText(out, folder);
    return out;
}

std::optional<ExportShortcut> ParseShortcut(std::string_view bytes) {
    CReader in(bytes);
    ExportShortcut shortcut;
    shortcut.digest = {in.U64(), in.U64()};
    shortcut.inputs = {in.U64(), in.U64()};
    shortcut.pages = in.U64();
    shortcut.files = in.U64();
    shortcut.thumbnails = in.U64();
    shortcut.folders.resize(in.Count(8));
    for (std::string& folder : shortcut.folders) folder = std::string(in.Text());
    if (!in.Ok() || !in.AtEnd() || shortcut.digest == PageHash{} ||
        !std::is_sorted(shortcut.folders.begin(), shortcut.folders.end()))
        return std::nullopt;
    return shortcut;
}

// The entry of that name in a table sorted by name, or null.
template <typename Value>
const Value* Lookup(const std::vector<std::pair<std::string, Value>>& table,
                    std::string_view name) {
    const auto found = std::lower_bound(table.begin(), table.end(), name,
                                        [](const auto& entry, std::string_view key) {
                                            return std::string_view(entry.first) < key;
                                        });
    return found != table.end() && found->first == name ? &found->second : nullptr;
}

// Sorts a table by name with one entry a name: the last of those given a name when `lastWins`,
// else the first. A table sorted already (every stored one) is left as it is.
template <typename Value>
void SortByName(std::vector<std::pair<std::string, Value>>& table, bool lastWins) {
    const auto notBefore = [](const auto& a, const auto& b) { return !(a.first < b.first); };
    if (std::adjacent_find(table.begin(), table.end(), notBefore) == table.end()) return;
    std::stable_sort(table.begin(), table.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::size_t kept = 0;
    for (std::size_t first = 0; first < table.size();) {
        std::size_t end = first + 1;
        while (end < table.size() && table[end].first == table[first].first) ++end;
        const std::size_t chosen = lastWins ? end - 1 : first;
        if (chosen != kept) table[kept] = std::move(table[chosen]);
        ++kept;
        first = end;
    }
    table.resize(kept);
}

// A source as the stored form names it once for all the files made from it: its path and stamp.
struct SourceKey {
    std::string_view path;
    const FileStamp* stamp;
};
struct SourceKeyHash {
    std::size_t operator()(const SourceKey& key) const noexcept {
        return std::hash<std::string_view>{}(key.path) ^
               static_cast<std::size_t>(key.stamp->inode * 0x9E3779B97F4A7C15ull ^
                                        static_cast<std::uint64_t>(key.stamp->changedNs));
    }
};
struct SourceKeyEqual {
    bool operator()(const SourceKey& a, const SourceKey& b) const noexcept {
        const FileStamp& x = *a.stamp;
        const FileStamp& y = *b.stamp;
        return a.path == b.path && x.device == y.device && x.inode == y.inode && x.size == y.size &&
               x.modifiedNs == y.modifiedNs && x.changedNs == y.changedNs;
    }
};

// Whether the entry of the folder held open is the regular file the stamp says it was left as:
// looked at by its name in that folder, where a path would have every folder on it looked up
// again.
bool Untouched(const CFolderHandle& in, const std::string& entry, const FileStamp& made) {
    std::error_code error;
    const FileStatus there = StatusAt(in, entry, error);
    return !error && there.type == fs::file_type::regular && there.stamp == made;
}

// The file's bytes, or nothing when it is not a regular file of a plausible size (a link, a
// FIFO, a folder of that name are never read).
bool ReadStored(const fs::path& path, std::string& bytes) {
    std::error_code error;
    FileStatus status;
    const CFileDescriptor file = OpenRegularFile(path, LinkRule::NoFollow, error, &status);
    if (!file.IsOpen() || status.stamp.size > kMaxStoredBytes) return false;
    bytes.resize(static_cast<std::size_t>(status.stamp.size));
    return ReadUpTo(file, bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

std::string MadeFileName(std::string_view folder, std::string_view name) {
    std::string made(folder);
    made += '/';
    made += name;
    return made;
}

CExportCache CExportCache::Read(const fs::path& folder, std::string_view project) {
    std::string bytes;
    if (!ReadStored(folder / std::string(kExportCacheName), bytes)) return {};
    return Parse(std::move(bytes), project);
}

CExportCache CExportCache::Parse(std::string bytes, std::string_view project) {
    CExportCache cache;
    if (bytes.size() < kMagic.size() + 8 || !std::string_view(bytes).starts_with(kMagic))
        return cache;
    const std::string_view body = std::string_view(bytes).substr(0, bytes.size() - 8);
    const std::string_view trailer = std::string_view(bytes).substr(body.size());
    const std::uint64_t bodySum = Checksum(body);
    CReader sum(trailer);
    if (sum.U64() != bodySum) return cache;

    CReader in(body.substr(kMagic.size()));
    if (in.U64() != kFormat || in.Text() != kProgramVersion || in.Text() != project) return cache;
    const std::string_view shortcut = in.Text();
    struct Source {
        std::string_view path;
        FileStamp stamp;
    };
    std::vector<Source> sources(in.Count(8 + kStampBytes));
    for (Source& source : sources) {
        source.path = in.Text();
        source.stamp = in.Stamp();
    }
    const std::uint64_t count = in.Count(8 + kStampBytes + 8);
    cache.files.reserve(count);
    for (std::uint64_t i = 0; i < count && in.Ok(); ++i) {
        const std::string_view name = in.Text();
        MadeFile made;
        made.made = in.Stamp();
        const std::uint64_t source = in.U64();
        if (source >= sources.size()) return {};
        made.sourcePath = std::string(sources[source].path);
        made.source = sources[source].stamp;
        cache.files.emplace_back(std::string(name), std::move(made));
    }
    const std::uint64_t pageCount = in.Count(8 + kStampBytes + 32);
    cache.pages.reserve(pageCount);
    for (std::uint64_t i = 0; i < pageCount && in.Ok(); ++i) {
        const std::string_view name = in.Text();
        WrittenPage page;
        page.made = in.Stamp();
        page.hash[0] = in.U64();
        page.hash[1] = in.U64();
        page.inputs[0] = in.U64();
        page.inputs[1] = in.U64();
        cache.pages.emplace_back(std::string(name), page);
    }
    const std::uint64_t pictureCount = in.Count(8 + kStampBytes + 6 * 8);
    cache.pictures.reserve(pictureCount);
    for (std::uint64_t i = 0; i < pictureCount && in.Ok(); ++i) {
        const std::string_view path = in.Text();
        const FileStamp stamp = in.Stamp();
        const std::uint64_t flags = in.U64();
        const auto side = [&] {
            return static_cast<int>(std::min<std::uint64_t>(in.U64(), kMaxPictureSide));
        };
        PictureFacts facts;
        const int width = side();
        const int height = side();
        if (flags & kHasSize) facts.probe.size = PictureSize{width, height};
        facts.probe.isJpeg = (flags & kIsJpeg) != 0;
        facts.probe.damaged = (flags & kDamaged) != 0;
        facts.headerRead = (flags & kHeaderRead) != 0;
        PictureHeader header;
        header.width = side();
        header.height = side();
        header.orientation = std::clamp(side(), 1, 8);
        header.hasAlpha = (flags & kHasAlpha) != 0;
        if (flags & kHasHeader) facts.header = header;
        cache.pictures.emplace_back(std::string(path), std::pair{stamp, facts});
    }
    const std::uint64_t videoCount = in.Count(8 + kStampBytes + 5 * 8 + 2 * 8);
    cache.videos.reserve(videoCount);
    for (std::uint64_t i = 0; i < videoCount && in.Ok(); ++i) {
        const std::string_view path = in.Text();
        const FileStamp stamp = in.Stamp();
        const std::uint64_t flags = in.U64();
        VideoFacts facts;
        facts.width = static_cast<int>(std::min<std::uint64_t>(in.U64(), kMaxPictureSide));
        facts.height = static_cast<int>(std::min<std::uint64_t>(in.U64(), kMaxPictureSide));
        facts.quarterTurns = static_cast<int>(in.U64() % 4);
        facts.durationMs = static_cast<std::int64_t>(in.U64());
        const std::string_view created = in.Text();
        if (flags & kHasCreated) facts.created = std::string(created);
        VideoProbe probe;
        probe.reason = std::string(in.Text());
        if (flags & kHasFacts) probe.facts = std::move(facts);
        cache.videos.emplace_back(std::string(path), std::pair{stamp, std::move(probe)});
    }
    if (!in.Ok() || !in.AtEnd()) return {};
    if (!shortcut.empty()) {
        cache.shortcut = ParseShortcut(shortcut);
        if (!cache.shortcut) return {};
    }
    // Only a record that was not written here comes unsorted; the first of a name counts.
    SortByName(cache.files, false);
    SortByName(cache.pages, false);
    SortByName(cache.pictures, false);
    SortByName(cache.videos, false);
    cache.stored = {bodySum, static_cast<std::uint64_t>(std::hash<std::string_view>{}(bytes))};
    return cache;
}

const MadeFile* CExportCache::Find(std::string_view name) const {
    return Lookup(files, name);
}

std::string ExportCacheProject(const fs::path& projectFile) {
    if (projectFile.empty()) return {};
    std::error_code error;
    const fs::path absolute = fs::absolute(projectFile, error);
    return Utf8FromPath((error ? projectFile : absolute).lexically_normal());
}

const PictureFacts* CExportCache::Picture(std::string_view sourcePath,
                                          const FileStamp& source) const {
    const auto* found = Lookup(pictures, sourcePath);
    return found == nullptr || found->first != source ? nullptr : &found->second;
}

const VideoProbe* CExportCache::Video(std::string_view sourcePath, const FileStamp& source) const {
    const auto* found = Lookup(videos, sourcePath);
    return found == nullptr || found->first != source ? nullptr : &found->second;
}

void CExportCache::Replace(
    std::vector<std::pair<std::string, MadeFile>> made,
    std::vector<std::pair<std::string, WrittenPage>> written,
    std::vector<std::pair<std::string, std::pair<FileStamp, PictureFacts>>> seen,
    std::vector<std::pair<std::string, std::pair<FileStamp, VideoProbe>>> videosSeen) {
    // Without the picture module a header says less than it does (no orientation, no libvips,
    // no container read): what was seen then is read again next time.
    if (MediaModuleFailure()) {
        seen.clear();
        videosSeen.clear();
    }
    pictures = std::move(seen);
    videos = std::move(videosSeen);
    files = std::move(made);
    pages = std::move(written);
    SortByName(pictures, true);
    SortByName(videos, true);
    SortByName(files, true);
    SortByName(pages, true);
}

bool CExportCache::HoldsPage(std::string_view name, const CFolderHandle& in,
                             const std::string& entry, const PageHash& hash) const {
    const WrittenPage* page = Lookup(pages, name);
    return page != nullptr && page->hash == hash && Untouched(in, entry, page->made);
}

const WrittenPage* CExportCache::PageMadeFrom(std::string_view name, const CFolderHandle& in,
                                              const std::string& entry,
                                              const PageHash& inputs) const {
    const WrittenPage* page = Lookup(pages, name);
    if (page == nullptr || page->inputs != inputs || inputs == PageHash{}) return nullptr;
    return Untouched(in, entry, page->made) ? page : nullptr;
}

PageHash HashOfPage(std::string_view bytes) {
    return {Checksum(bytes), static_cast<std::uint64_t>(std::hash<std::string_view>{}(bytes))};
}

bool CExportCache::Holds(std::string_view name, const CFolderHandle& in, const std::string& entry,
                         std::string_view sourcePath, const FileStamp& source) const {
    const MadeFile* made = Find(name);
    return made != nullptr && made->sourcePath == sourcePath && made->source == source &&
           Untouched(in, entry, made->made);
}

std::string StoredExportCache(std::string_view project, std::string_view tables) {
    std::string out = StoredHead(project);
    out += tables;
    PutU64(out, Checksum(out));
    return out;
}

CExportCache CExportCache::Emptied() const {
    CExportCache empty;
    empty.stored = stored;
    return empty;
}

std::string CExportCache::Bytes(std::string_view project) const {
    std::uint64_t bodySum = 0;
    return Stored(project, bodySum);
}

std::string CExportCache::Stored(std::string_view project, std::uint64_t& bodySum) const {
    // Written into one string of about the size it ends up, as a record of a large website takes
    // megabytes: a source is counted with each of its files, at most.
    std::size_t size = 6 * 8;
    for (const auto& [name, made] : files)
        size += 3 * 8 + name.size() + made.sourcePath.size() + 2 * kStampBytes;
    for (const auto& [name, page] : pages) size += 8 + name.size() + kStampBytes + 4 * 8;
    for (const auto& [path, picture] : pictures) size += 8 + path.size() + kStampBytes + 6 * 8;
    for (const auto& [path, video] : videos)
        size += 8 + path.size() + kStampBytes + 7 * 8 + video.second.reason.size() +
                (video.second.facts ? video.second.facts->created.value_or("").size() : 0);
    std::string out = StoredHead(project);
    out.reserve(out.size() + size);
    PutText(out, StoredShortcut(shortcut));
    // A copy and a thumbnail of one source name it once.
    std::unordered_map<SourceKey, std::size_t, SourceKeyHash, SourceKeyEqual> indexOf;
    indexOf.reserve(files.size());
    std::vector<const MadeFile*> sources;
    std::vector<std::size_t> sourceOf;
    sourceOf.reserve(files.size());
    for (const auto& [name, made] : files) {
        const auto [at, added] =
            indexOf.emplace(SourceKey{made.sourcePath, &made.source}, sources.size());
        if (added) sources.push_back(&made);
        sourceOf.push_back(at->second);
    }
    PutU64(out, sources.size());
    for (const MadeFile* made : sources) {
        PutText(out, made->sourcePath);
        PutStamp(out, made->source);
    }
    PutU64(out, files.size());
    std::size_t i = 0;
    for (const auto& [name, made] : files) {
        PutText(out, name);
        PutStamp(out, made.made);
        PutU64(out, sourceOf[i++]);
    }
    PutU64(out, pages.size());
    for (const auto& [name, page] : pages) {
        PutText(out, name);
        PutStamp(out, page.made);
        for (const std::uint64_t value :
             {page.hash[0], page.hash[1], page.inputs[0], page.inputs[1]})
            PutU64(out, value);
    }
    PutU64(out, pictures.size());
    for (const auto& [path, picture] : pictures) {
        const auto& [stamp, facts] = picture;
        PutText(out, path);
        PutStamp(out, stamp);
        const PictureHeader header = facts.header.value_or(PictureHeader{});
        PutU64(out, (facts.probe.size ? kHasSize : 0) | (facts.probe.isJpeg ? kIsJpeg : 0) |
                        (facts.probe.damaged ? kDamaged : 0) |
                        (facts.headerRead ? kHeaderRead : 0) | (facts.header ? kHasHeader : 0) |
                        (header.hasAlpha ? kHasAlpha : 0));
        const PictureSize size = facts.probe.size.value_or(PictureSize{});
        for (const int value :
             {size.width, size.height, header.width, header.height, header.orientation})
            PutU64(out, static_cast<std::uint64_t>(std::max(value, 0)));
    }
    PutU64(out, videos.size());
    for (const auto& [path, video] : videos) {
        const auto& [stamp, probe] = video;
        PutText(out, path);
        PutStamp(out, stamp);
        const VideoFacts facts = probe.facts.value_or(VideoFacts{});
        PutU64(out, (probe.facts ? kHasFacts : 0) | (facts.created ? kHasCreated : 0));
        for (const int value : {facts.width, facts.height, facts.quarterTurns})
            PutU64(out, static_cast<std::uint64_t>(std::max(value, 0)));
        PutU64(out, static_cast<std::uint64_t>(facts.durationMs));
        PutText(out, facts.created.value_or(std::string()));
        PutText(out, probe.reason);
    }
    bodySum = Checksum(out);
    PutU64(out, bodySum);
    return out;
}

FileWriteResult CExportCache::Write(const CFolderHandle& folder, const fs::path& shown,
                                    std::string_view project) const {
    std::uint64_t bodySum = 0;
    const std::string bytes = Stored(project, bodySum);
    // The checksum stands for all the bytes but itself, which it decides.
    const PageHash hash{bodySum, static_cast<std::uint64_t>(std::hash<std::string_view>{}(bytes))};
    if (hash == stored) return {true, {}, {}};
    const std::string name(kExportCacheName);
    return ReplaceFile(folder, name, shown / name, bytes);
}

namespace {

// Reads a stored record front to back through a window of the file, summing every byte it takes
// as the checksum does; a read past the end of the tables, or a text longer than the window, makes
// it fail. What a read returns is good only until the next read, which may move the window.
class CStreamReader {
public:
    CStreamReader(const CFileDescriptor& file, std::uint64_t size)
        : file(file), left(size < 8 ? 0 : size - 8), ok(size >= kMagic.size() + 8) {}

    bool Ok() const { return ok; }

    std::string_view Take(std::size_t size) {
        if (!ok || !Fill(size)) {
            ok = false;
            return {};
        }
        const std::string_view taken(window.data() + at, size);
        sum.Add(taken);
        at += size;
        return taken;
    }
    std::uint64_t U64() {
        const std::string_view bytes = Take(8);
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
        return value;
    }
    std::string_view Text() {
        const std::uint64_t size = U64();
        if (size > window.size()) {
            ok = false;
            return {};
        }
        return Take(static_cast<std::size_t>(size));
    }
    FileStamp Stamp() { return ReadStamp(*this); }
    // A count of records of at least `each` bytes that must fit into what is left.
    std::uint64_t Count(std::size_t each) {
        const std::uint64_t count = U64();
        if (ok && count > (left + (end - at)) / each) ok = false;
        return ok ? count : 0;
    }
    // Whether every byte of the tables was taken and the checksum after them is theirs.
    bool Finished() {
        if (!ok || at != end || left != 0) return false;
        const std::uint64_t summed = sum.Value();
        left = 8;
        return U64() == summed && ok;
    }

private:
    bool Fill(std::size_t size) {
        if (end - at >= size) return true;
        if (size > window.size()) return false;
        std::memmove(window.data(), window.data() + at, end - at);
        end -= at;
        at = 0;
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(window.size() - end, left));
        const std::size_t got = ReadUpTo(file, window.data() + end, wanted);
        end += got;
        left -= got;
        return got == wanted && end - at >= size;
    }

    const CFileDescriptor& file;
    std::uint64_t left;  // bytes of the file not yet in the window, the checksum's excepted
    bool ok;
    std::string window = std::string(1 << 16, '\0');
    std::size_t at = 0;
    std::size_t end = 0;
    CChecksum sum;
};

// How many files a folder holds and its sub-folders' names, sorted; entries of another kind count
// as files, which then fail the look at their stamp. The files are only counted: a website of a
// million pages is proved unchanged without holding their names.
struct FolderListing {
    std::size_t files = 0;
    std::vector<std::string> folders;
};

std::optional<FolderListing> ListFolder(const CFolderHandle& folder, bool top) {
    FolderListing listing;
    std::error_code error;
    folder.List(
        [&](std::string_view name, fs::file_type type) {
            if (top && IsKeptTopEntry(name)) return;
            if (type == fs::file_type::none || type == fs::file_type::unknown)
                type = folder.Status(name).type == EntryType::Folder ? fs::file_type::directory
                                                                     : fs::file_type::regular;
            if (type == fs::file_type::directory)
                listing.folders.emplace_back(name);
            else
                ++listing.files;
        },
        error);
    if (error) return std::nullopt;
    std::sort(listing.folders.begin(), listing.folders.end());
    return listing;
}

// Whether the record's names of one folder's files, in the order they come, are names of entries
// of that folder that each come after the one before: distinct, so that as many of them as the
// folder holds files, each there as it was made, are all its files.
class CNameOrder {
public:
    bool Next(std::string_view name, bool top) {
        if (name.empty() || name == "." || name == ".." || name.find('/') != name.npos ||
            (top && IsKeptTopEntry(name)) || (any && name <= last))
            return false;
        last.assign(name);
        any = true;
        return true;
    }
    void Restart() { any = false; }

private:
    std::string last;
    bool any = false;
};

// The folder's record, open to be read piece by piece, and its size; closed when there is none
// that may be read.
CFileDescriptor OpenRecord(const fs::path& folder, std::uint64_t& size) {
    std::error_code error;
    FileStatus status;
    CFileDescriptor file =
        OpenRegularFile(folder / std::string(kExportCacheName), LinkRule::NoFollow, error, &status);
    if (!file.IsOpen() || status.stamp.size > kMaxStoredBytes) return CFileDescriptor();
    size = status.stamp.size;
    return file;
}

// The shortcut of a record read from its start; none when the record is of another program or
// project, or keeps none.
std::optional<ExportShortcut> ReadShortcut(CStreamReader& in, std::string_view project) {
    if (in.Take(kMagic.size()) != kMagic || in.U64() != kFormat || in.Text() != kProgramVersion ||
        in.Text() != project)
        return std::nullopt;
    std::optional<ExportShortcut> shortcut = ParseShortcut(in.Text());
    if (!in.Ok()) return std::nullopt;
    return shortcut;
}

}  // namespace

std::optional<PageHash> RecordedInputs(const fs::path& folder, std::string_view project) {
    std::uint64_t size = 0;
    const CFileDescriptor file = OpenRecord(folder, size);
    if (!file.IsOpen()) return std::nullopt;
    CStreamReader in(file, size);
    const std::optional<ExportShortcut> shortcut = ReadShortcut(in, project);
    if (!shortcut) return std::nullopt;
    return shortcut->inputs;
}

std::optional<ExportShortcut> ConfirmUnchangedExport(const CFolderHandle& handle,
                                                     const fs::path& folder,
                                                     std::string_view project,
                                                     const PageHash& digest) {
    if (digest == PageHash{}) return std::nullopt;
    std::uint64_t size = 0;
    const CFileDescriptor file = OpenRecord(folder, size);
    if (!file.IsOpen()) return std::nullopt;
    CStreamReader in(file, size);
    std::optional<ExportShortcut> shortcut = ReadShortcut(in, project);
    if (!shortcut || shortcut->digest != digest) return std::nullopt;
    const std::optional<FolderListing> top = ListFolder(handle, true);
    if (!top || top->folders != shortcut->folders) return std::nullopt;

    const std::uint64_t sources = in.Count(8 + kStampBytes);
    for (std::uint64_t i = 0; i < sources && in.Ok(); ++i) {
        in.Text();
        in.Stamp();
    }
    // The made files come sorted by their folder and name, so each folder is listed once, when
    // its first file comes, and its files counted against those of the record.
    std::size_t listed = shortcut->folders.size();  // the folder listed, by its index
    std::vector<char> seen(shortcut->folders.size(), 0);
    std::size_t filesThere = 0;
    std::size_t filesRecorded = 0;
    CNameOrder order;
    CFolderHandle inside;
    const auto open = [&](std::size_t index) {
        if (seen[index]) return false;
        seen[index] = 1;
        listed = index;
        filesRecorded = 0;
        order.Restart();
        std::error_code openError;
        inside = handle.OpenFolder(shortcut->folders[index], openError);
        std::optional<FolderListing> listing;
        if (inside.IsOpen()) listing = ListFolder(inside, false);
        if (!listing || !listing->folders.empty()) return false;
        filesThere = listing->files;
        return true;
    };
    std::string name;
    std::string leaf;
    const std::uint64_t made = in.Count(8 + kStampBytes + 8);
    for (std::uint64_t i = 0; i < made; ++i) {
        name.assign(in.Text());
        const FileStamp stamp = in.Stamp();
        in.U64();
        const std::size_t slash = name.find('/');
        if (!in.Ok() || slash == std::string_view::npos) return std::nullopt;
        const std::string_view inFolder = std::string_view(name).substr(0, slash);
        if (listed == shortcut->folders.size() || inFolder != shortcut->folders[listed]) {
            if (listed < shortcut->folders.size() && filesRecorded != filesThere)
                return std::nullopt;
            const auto found =
                std::lower_bound(shortcut->folders.begin(), shortcut->folders.end(), inFolder);
            if (found == shortcut->folders.end() || *found != inFolder ||
                !open(static_cast<std::size_t>(found - shortcut->folders.begin())))
                return std::nullopt;
        }
        leaf.assign(name, slash + 1);
        if (!order.Next(leaf, false) || !Untouched(inside, leaf, stamp)) return std::nullopt;
        ++filesRecorded;
    }
    if (listed < shortcut->folders.size() && filesRecorded != filesThere) return std::nullopt;
    for (std::size_t index = 0; index < seen.size(); ++index)
        if (!seen[index] && (!open(index) || filesThere != 0)) return std::nullopt;

    const std::uint64_t pages = in.Count(8 + kStampBytes + 32);
    if (pages != top->files) return std::nullopt;
    order.Restart();
    for (std::uint64_t i = 0; i < pages; ++i) {
        name.assign(in.Text());
        const FileStamp stamp = in.Stamp();
        for (int hash = 0; hash < 4; ++hash) in.U64();
        if (!in.Ok() || !order.Next(name, true) || !Untouched(handle, name, stamp))
            return std::nullopt;
    }
    const std::uint64_t pictures = in.Count(8 + kStampBytes + 6 * 8);
    for (std::uint64_t i = 0; i < pictures && in.Ok(); ++i) {
        in.Text();
        in.Stamp();
        for (int value = 0; value < 6; ++value) in.U64();
    }
    const std::uint64_t videos = in.Count(8 + kStampBytes + 5 * 8 + 2 * 8);
    for (std::uint64_t i = 0; i < videos && in.Ok(); ++i) {
        in.Text();
        in.Stamp();
        for (int value = 0; value < 5; ++value) in.U64();
        in.Text();
        in.Text();
    }
    if (!in.Finished()) return std::nullopt;
    return shortcut;
}
