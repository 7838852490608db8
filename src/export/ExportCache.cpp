#include "ExportCache.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "FileStatus.h"
#include "MediaModule.h"
#include "ProgramInfo.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "PAGELORN-CACHE\n";
constexpr std::uint64_t kFormat = 5;
// A record this large is no record of ours; it is not read into memory.
constexpr std::uint64_t kMaxStoredBytes = 1ull << 30;
constexpr std::size_t kStampBytes = 5 * 8;
// What a picture's facts hold, in their first number.
constexpr std::uint64_t kHasSize = 1, kIsJpeg = 2, kDamaged = 4, kHeaderRead = 8, kHasHeader = 16,
                        kHasAlpha = 32;
// What a video's facts hold.
constexpr std::uint64_t kHasFacts = 1, kHasCreated = 2;

std::uint64_t Checksum(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

void PutU64(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutText(std::string& out, std::string_view text) {
    PutU64(out, text.size());
    out += text;
}

void PutStamp(std::string& out, const FileStamp& stamp) {
    PutU64(out, stamp.device);
    PutU64(out, stamp.inode);
    PutU64(out, stamp.size);
    PutU64(out, static_cast<std::uint64_t>(stamp.modifiedNs));
    PutU64(out, static_cast<std::uint64_t>(stamp.changedNs));
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
    FileStamp Stamp() {
        FileStamp stamp;
        stamp.exists = true;
        stamp.device = U64();
        stamp.inode = U64();
        stamp.size = U64();
        stamp.modifiedNs = static_cast<std::int64_t>(U64());
        stamp.changedNs = static_cast<std::int64_t>(U64());
        return stamp;
    }
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
    CReader sum(std::string_view(bytes).substr(body.size()));
    if (sum.U64() != Checksum(body)) return cache;

    CReader in(body.substr(kMagic.size()));
    if (in.U64() != kFormat || in.Text() != kProgramVersion || in.Text() != project) return cache;
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
    for (std::uint64_t i = 0; i < count && in.Ok(); ++i) {
        const std::string_view name = in.Text();
        MadeFile made;
        made.made = in.Stamp();
        const std::uint64_t source = in.U64();
        if (source >= sources.size()) return {};
        made.sourcePath = std::string(sources[source].path);
        made.source = sources[source].stamp;
        cache.files.emplace(std::string(name), std::move(made));
    }
    const std::uint64_t pageCount = in.Count(8 + kStampBytes + 32);
    for (std::uint64_t i = 0; i < pageCount && in.Ok(); ++i) {
        const std::string_view name = in.Text();
        WrittenPage page;
        page.made = in.Stamp();
        page.hash[0] = in.U64();
        page.hash[1] = in.U64();
        page.inputs[0] = in.U64();
        page.inputs[1] = in.U64();
        cache.pages.emplace(std::string(name), page);
    }
    const std::uint64_t pictureCount = in.Count(8 + kStampBytes + 6 * 8);
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
        cache.pictures.emplace(std::string(path), std::pair{stamp, facts});
    }
    const std::uint64_t videoCount = in.Count(8 + kStampBytes + 5 * 8 + 2 * 8);
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
        cache.videos.emplace(std::string(path), std::pair{stamp, std::move(probe)});
    }
    if (!in.Ok() || !in.AtEnd()) return {};
    cache.stored = HashOfPage(bytes);
    return cache;
}

const MadeFile* CExportCache::Find(std::string_view name) const {
    const auto found = files.find(name);
    return found == files.end() ? nullptr : &found->second;
}

std::string ExportCacheProject(const fs::path& projectFile) {
    if (projectFile.empty()) return {};
    std::error_code error;
    const fs::path absolute = fs::absolute(projectFile, error);
    return Utf8FromPath((error ? projectFile : absolute).lexically_normal());
}

const PictureFacts* CExportCache::Picture(std::string_view sourcePath,
                                          const FileStamp& source) const {
    const auto found = pictures.find(sourcePath);
    return found == pictures.end() || found->second.first != source ? nullptr
                                                                    : &found->second.second;
}

const VideoProbe* CExportCache::Video(std::string_view sourcePath, const FileStamp& source) const {
    const auto found = videos.find(sourcePath);
    return found == videos.end() || found->second.first != source ? nullptr : &found->second.second;
}

void CExportCache::Replace(
    std::vector<std::pair<std::string, MadeFile>> made,
    std::vector<std::pair<std::string, WrittenPage>> written,
    std::vector<std::pair<std::string, std::pair<FileStamp, PictureFacts>>> seen,
    std::vector<std::pair<std::string, std::pair<FileStamp, VideoProbe>>> videosSeen) {
    pictures.clear();
    videos.clear();
    // Without the picture module a header says less than it does (no orientation, no libvips,
    // no container read): what was seen then is read again next time.
    if (MediaModuleFailure()) {
        seen.clear();
        videosSeen.clear();
    }
    for (auto& [path, facts] : seen) pictures.insert_or_assign(std::move(path), facts);
    for (auto& [path, probe] : videosSeen)
        videos.insert_or_assign(std::move(path), std::move(probe));
    files.clear();
    for (auto& [name, file] : made) files.insert_or_assign(std::move(name), std::move(file));
    pages.clear();
    for (auto& [name, page] : written) pages.insert_or_assign(std::move(name), page);
}

bool CExportCache::HoldsPage(std::string_view name, const fs::path& path,
                             const PageHash& hash) const {
    const auto page = pages.find(name);
    if (page == pages.end() || page->second.hash != hash) return false;
    const std::optional<FileStamp> there = StampOf(path, false);
    return there && *there == page->second.made;
}

const WrittenPage* CExportCache::PageMadeFrom(std::string_view name, const fs::path& path,
                                              const PageHash& inputs) const {
    const auto page = pages.find(name);
    if (page == pages.end() || page->second.inputs != inputs || inputs == PageHash{})
        return nullptr;
    const std::optional<FileStamp> there = StampOf(path, false);
    return there && *there == page->second.made ? &page->second : nullptr;
}

PageHash HashOfPage(std::string_view bytes) {
    return {Checksum(bytes), static_cast<std::uint64_t>(std::hash<std::string_view>{}(bytes))};
}

bool CExportCache::Holds(std::string_view name, const fs::path& path, std::string_view sourcePath,
                         const FileStamp& source) const {
    const MadeFile* made = Find(name);
    if (made == nullptr || made->sourcePath != sourcePath || made->source != source) return false;
    const std::optional<FileStamp> there = StampOf(path, false);
    return there && *there == made->made;
}

namespace {

std::string StoredHead(std::string_view project) {
    std::string out(kMagic);
    PutU64(out, kFormat);
    PutText(out, kProgramVersion);
    PutText(out, project);
    return out;
}

}  // namespace

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
    // A copy and a thumbnail of one source name it once.
    std::unordered_map<std::string, std::size_t> indexOf;
    std::vector<const MadeFile*> sources;
    std::vector<std::size_t> sourceOf;
    sourceOf.reserve(files.size());
    std::string key;
    for (const auto& [name, made] : files) {
        key = made.sourcePath;
        PutStamp(key, made.source);
        const auto [at, added] = indexOf.emplace(key, sources.size());
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
    PutU64(out, Checksum(out));
    return out;
}

FileWriteResult CExportCache::Write(const CFolderHandle& folder, const fs::path& shown,
                                    std::string_view project) const {
    const std::string bytes = Bytes(project);
    if (HashOfPage(bytes) == stored) return {true, {}, {}};
    const std::string name(kExportCacheName);
    return ReplaceFile(folder, name, shown / name, bytes);
}
