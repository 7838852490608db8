#include "LinkedFiles.h"

#include <array>
#include <utility>

#include "PageNames.h"
#include "ParallelFor.h"
#include "TextField.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

struct CategoryExtensions {
    FileCategory category;
    std::initializer_list<std::string_view> extensions;
};

const std::array<CategoryExtensions, 6> kExtensionTable{{
    {CategoryWebImage, {"GIF", "JPG", "JPEG"}},
    {CategoryImage, {"BMP", "DIB", "WMF", "EMF", "PCX", "PIC", "TIF", "TIFF"}},
    {CategoryDoc,
     {"TXT", "WRI", "DOC", "DOT", "XLS", "PPT", "MDB", "PDF", "HTM", "HTML", "XML", "CHM", "EML"}},
    {CategoryAudio, {"WAV", "MID", "MIDI", "MP3", "M3U", "AIF", "AIFC", "AIFF", "AU", "CDA"}},
    {CategoryVideo, {"RM", "RAM", "AVI", "MPG", "MPEG", "DAT"}},
    {CategoryZip, {"ZIP", "Z", "GZ", "TZ", "TAZ", "TGZ", "LZH", "ARJ", "ARC", "TAR", "CAB"}},
}};

// What modernTypes adds: the formats of today's phones, cameras and browsers. Pictures that
// browsers cannot show (HEIC, HEIF, AVIF, JXL) are shown through their thumbnails.
const std::array<CategoryExtensions, 4> kModernExtensionTable{{
    {CategoryWebImage, {"PNG", "WEBP"}},
    {CategoryThumbnailImage, {"HEIC", "HEIF", "AVIF", "JXL"}},
    {CategoryVideo, {"MP4", "WEBM", "MOV", "M4V", "MKV", "OGV"}},
    {CategoryAudio, {"OGG", "OGA", "OPUS", "FLAC", "M4A", "AAC"}},
}};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && AsciiUpper(text.substr(0, prefix.size())) == prefix;
}

}  // namespace

std::string AsciiUpper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string AsciiLower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

FileCategory ClassifyFile(std::string_view text, bool modernTypes) {
    const std::size_t dot = text.rfind('.');
    const std::string_view extension = dot == std::string_view::npos ? text : text.substr(dot + 1);
    // Compared in place: every item of every page is classified, several times an export.
    const auto is = [extension](std::string_view candidate) {
        if (extension.size() != candidate.size()) return false;
        for (std::size_t i = 0; i < candidate.size(); ++i) {
            const char c = extension[i];
            if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != candidate[i])
                return false;
        }
        return true;
    };
    if (modernTypes) {
        for (const auto& row : kModernExtensionTable)
            for (std::string_view candidate : row.extensions)
                if (is(candidate)) return row.category;
    }
    for (const auto& row : kExtensionTable)
        for (std::string_view candidate : row.extensions)
            if (is(candidate)) return row.category;
    return CategoryOthers;
}

std::size_t CategoryFolderIndex(FileCategory category) {
    switch (category) {
        case CategoryWebImage:
        case CategoryImage:
        case CategoryThumbnailImage:
            return 0;
        case CategoryDoc:
            return 1;
        case CategoryAudio:
            return 2;
        case CategoryVideo:
            return 3;
        case CategoryZip:
            return 4;
        case CategoryOthers:
            break;
    }
    return 5;
}

std::string_view CategoryFolderName(FileCategory category) {
    return kCategoryFolderNames[CategoryFolderIndex(category)];
}

std::string EncodeLinkName(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F ||
            std::string_view("\"%#?&<>").find(c) != std::string_view::npos) {
            result += '%';
            result += kHex[byte >> 4];
            result += kHex[byte & 0x0F];
        } else {
            result += c;
        }
    }
    return result;
}

std::string_view FileNameOfPath(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

fs::path PathFromBytes(std::string_view bytes) {
    return PathFromUtf8(bytes);
}

CLinkedFiles::CLinkedFiles(fs::path sourceBase, bool modernTypes, int box)
    : sourceBase(std::move(sourceBase)), modernTypes(modernTypes), box(box) {}

fs::path CLinkedFiles::SourceFile(std::string_view path) const {
    fs::path source = PathFromBytes(path);
    if (source.is_relative() && !sourceBase.empty()) source = sourceBase / source;
    return source;
}

std::size_t CLinkedFiles::IndexOf(std::string_view path) const {
    const std::size_t index = bySpelling.Find(
        TextHash{}(path), [&](std::size_t entry) { return files[entry].source == path; });
    if (index != LinkedFile::kNone || otherSpellings.empty()) return index;
    const auto other = otherSpellings.find(path);
    return other == otherSpellings.end() ? LinkedFile::kNone : other->second;
}

const LinkedFile* CLinkedFiles::Find(std::string_view source) const {
    const std::size_t index = IndexOf(source);
    return index == LinkedFile::kNone ? nullptr : &files[index];
}

void CLinkedFiles::FindSources(std::vector<std::string> paths, const std::atomic<bool>* cancel,
                               std::vector<FoundSource>* known) {
    std::vector<FoundSource> found;
    if (known != nullptr && known->size() == paths.size()) {
        found = std::move(*known);
        known->clear();
    } else {
        found.resize(paths.size());
        ParallelFor(paths.size(), [&](std::size_t i) {
            if (cancel == nullptr || !cancel->load()) found[i] = FindSource(SourceFile(paths[i]));
        });
    }
    if (cancel != nullptr && cancel->load()) return;
    // Each path gives one file at most.
    files.reserve(files.size() + paths.size());
    bySpelling.Reserve(files.capacity());
    byIdentity.Reserve(files.capacity());
    for (FoundSource& source : found) finder.FindWithoutCase(source);
    ForgetFoundSources();
    foundEarlier.paths = std::move(paths);
    foundEarlier.found = std::move(found);
    foundEarlier.taken.assign(foundEarlier.paths.size(), 0);
}

void CLinkedFiles::ForgetFoundSources() {
    foundEarlier = FoundEarlier();
}

FoundSource CLinkedFiles::Found(std::string_view path) {
    // A spelling is looked up here only the first time it is linked.
    FoundEarlier& earlier = foundEarlier;
    const std::size_t count = earlier.paths.size();
    while (earlier.next < count && earlier.taken[earlier.next]) ++earlier.next;
    constexpr std::size_t kLookAhead = 16;
    std::size_t at = count;
    for (std::size_t i = earlier.next; i < std::min(count, earlier.next + kLookAhead); ++i)
        if (!earlier.taken[i] && earlier.paths[i] == path) {
            at = i;
            break;
        }
    if (at == count && count > 0) {
        if (earlier.index.empty()) {
            earlier.index.reserve(count);
            for (std::size_t i = 0; i < count; ++i) earlier.index.emplace(earlier.paths[i], i);
        }
        if (const auto known = earlier.index.find(path);
            known != earlier.index.end() && !earlier.taken[known->second])
            at = known->second;
    }
    if (at < count) {
        earlier.taken[at] = 1;
        return std::move(earlier.found[at]);
    }
    FoundSource found = FindSource(SourceFile(path));
    finder.FindWithoutCase(found);
    return found;
}

LinkedFile& CLinkedFiles::Link(std::string_view path, bool upperCaseName) {
    if (const std::size_t known = IndexOf(path); known != LinkedFile::kNone) return files[known];
    const std::string_view rawName = FileNameOfPath(path);
    const bool named = !(rawName.empty() || rawName == "." || rawName == "..");
    FoundSource found;
    bool byItsIdentity = false;
    std::size_t sourceHash = 0;
    if (named) {
        found = Found(path);
        // The same file however it is spelled: by identity where it exists. Lexically equal
        // paths need not be the same file ("link/../f" is not "f" when link is a symbolic link),
        // so the normal path is the key only of a file that is not there to be copied anyway.
        const FileStamp& stamp = found.state.stamp;
        byItsIdentity = found.state.kind == SourceState::Kind::Regular;
        std::size_t same = LinkedFile::kNone;
        if (byItsIdentity) {
            sourceHash =
                static_cast<std::size_t>(stamp.device * 0x9E3779B97F4A7C15ull ^ stamp.inode);
            same = byIdentity.Find(sourceHash, [&](std::size_t entry) {
                const FileStamp& other = files[entry].found.state.stamp;
                return other.device == stamp.device && other.inode == stamp.inode;
            });
        } else {
            sourceHash = TextHash{}(found.normalPath);
            same = byNormalPath.Find(sourceHash, [&](std::size_t entry) {
                return files[entry].found.normalPath == found.normalPath;
            });
        }
        if (same != LinkedFile::kNone) {
            otherSpellings.emplace(std::string(path), same);
            return files[same];
        }
    } else {
        found.path = SourceFile(path).native();
        found.state.kind = SourceState::Kind::NoName;
        found.state.reason = "the path does not name a file";
    }
    const std::size_t index = files.size();
    LinkedFile& file = files.emplace_back();
    bySpelling.Add(TextHash{}(path), index);
    file.source = std::string(path);
    file.found = std::move(found);
    file.folderKey = currentFolder;
    file.itemKey = currentItem;
    file.property = std::string(currentProperty);
    if (!named) return file;
    (byItsIdentity ? byIdentity : byNormalPath).Add(sourceHash, index);
    const std::string fileName = upperCaseName ? AsciiUpper(rawName) : std::string(rawName);
    file.folder = CategoryFolderIndex(ClassifyFile(fileName, modernTypes));

    // NAME.EXT becomes NAME~2.EXT, keeping the extension that decides the category; an extension
    // with no room beside a number is no extension worth keeping.
    const std::size_t dot = fileName.rfind('.');
    const bool keepExtension =
        dot != std::string::npos && fileName.size() - dot <= kMaxFileNameBytes / 2;
    const std::string_view name = fileName;
    const std::string_view stem = keepExtension ? name.substr(0, dot) : name;
    const std::string_view extension = keepExtension ? name.substr(dot) : "";
    const auto fitted = [&](std::string_view suffix) {
        const std::size_t room = kMaxFileNameBytes - extension.size() - suffix.size();
        return std::string(stem.substr(0, Utf8SafePrefixLength(stem, room))) + std::string(suffix) +
               std::string(extension);
    };
    CUniqueNames& taken = names[file.folder];
    const std::string suffix =
        taken.Claim(index, 1, [&](std::string_view suffix, std::size_t) { return fitted(suffix); });
    file.name = fitted(suffix);
    if (!suffix.empty()) {
        file.wantedName = fitted("");
        file.clashWith = taken.OwnerOf(file.wantedName);
    }
    file.link =
        "./" + std::string(kCategoryFolderNames[file.folder]) + "/" + EncodeLinkName(file.name);
    return file;
}

std::string CLinkedFiles::CopyLinkedFile(std::string_view path, bool upperCaseName) {
    if (path.empty()) return {};
    return Link(path, upperCaseName).link;
}

std::string CLinkedFiles::FileLink(std::string_view path, std::string_view property) {
    // A setting names the file, whichever folder's page shows it first.
    const CFolderKey folder = std::exchange(currentFolder, {});
    currentProperty = property;
    std::string link = CopyLinkedFile(path);
    currentProperty = {};
    currentFolder = folder;
    return link;
}

std::optional<std::string> LocalFilePath(std::string_view url) {
    const std::optional<std::string_view> path = LocalFilePathView(url);
    return path ? std::optional<std::string>(*path) : std::nullopt;
}

std::optional<std::string_view> LocalFilePathView(std::string_view url) {
    if (!StartsWithNoCase(url, "FILE:")) return std::nullopt;
    std::string_view path = url.substr(5);
    if (path.starts_with("//")) path.remove_prefix(2);
    return path;
}

namespace {

// An item's URL resolved, with the link of a local path given by `linkOf`.
template <typename LinkOf>
ItemTarget TargetOfUrl(std::string_view url, bool modernTypes, int box, LinkOf&& linkOf) {
    ItemTarget target;
    target.thumbnail = {box, box};
    std::optional<std::string> path = LocalFilePath(url);
    if (!path) {
        // Web addresses keep their case: paths on web servers are case-sensitive.
        target.link = std::string(url);
        target.pictureLink = target.link;
        target.category = ClassifyFile(url, modernTypes);
        return target;
    }
    target.localFile = true;
    target.category = ClassifyFile(*path, modernTypes);
    target.sourcePath = std::move(*path);
    linkOf(target);
    if (target.pictureLink.empty()) target.pictureLink = target.link;
    return target;
}

}  // namespace

ItemTarget CLinkedFiles::ResolveItemUrl(std::string_view url) {
    return TargetOfUrl(url, modernTypes, box, [this](ItemTarget& target) {
        if (target.sourcePath.empty()) return;
        LinkedFile& file = Link(target.sourcePath, true);
        if (target.category == CategoryWebImage) file.picture = true;
        if (target.category == CategoryThumbnailImage) file.picture = file.thumbnailOnly = true;
        if (target.category == CategoryVideo) file.video = true;
        target.link = file.link;
        target.thumbnail = file.thumbnail;
    });
}

bool ShowsPicture(const ItemTarget& target) {
    return target.category == CategoryWebImage ||
           (target.category == CategoryThumbnailImage && target.pictureLink != target.link);
}

ItemTarget CLinkedFiles::ItemLink(const CSiteItem& item) {
    currentItem = item.key;
    ItemTarget target = ResolveItemUrl(item.url);
    currentItem = {};
    return target;
}

std::string CPlannedLinks::FileLink(std::string_view path, std::string_view) {
    const LinkedFile* file = files.Find(path);
    return file != nullptr ? file->link : std::string();
}

ItemTarget CPlannedLinks::ItemLink(const CSiteItem& item) {
    return TargetOfUrl(item.url, files.ModernTypes(), files.Box(), [this](ItemTarget& target) {
        const LinkedFile* file = files.Find(target.sourcePath);
        if (file == nullptr) return;
        target.link = file->link;
        target.thumbnail = file->thumbnail;
        if (file->thumbName.empty()) return;
        const auto index = static_cast<std::size_t>(file - files.Files().data());
        if (thumbnailFailed != nullptr && (*thumbnailFailed)[index] != 0) return;
        if (!file->video) {
            target.pictureLink = file->thumbLink;
            return;
        }
        target.posterLink = file->thumbLink;
        target.durationMs = file->durationMs;
    });
}
