#include "LinkedFiles.h"

#include <array>
#include <system_error>
#include <utility>

#include "FileWrite.h"
#include "PageNames.h"
#include "TextField.h"

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

std::size_t FolderIndex(FileCategory category) {
    switch (category) {
        case CategoryWebImage:
        case CategoryImage:
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

FileCategory ClassifyFile(std::string_view text) {
    const std::size_t dot = text.rfind('.');
    const std::string extension =
        AsciiUpper(dot == std::string_view::npos ? text : text.substr(dot + 1));
    for (const auto& row : kExtensionTable)
        for (std::string_view candidate : row.extensions)
            if (extension == candidate) return row.category;
    return CategoryOthers;
}

std::string_view CategoryFolderName(FileCategory category) {
    return kCategoryFolderNames[FolderIndex(category)];
}

std::string EncodeLinkName(std::string_view name) {
    std::string result;
    result.reserve(name.size());
    for (char c : name) {
        switch (c) {
            case '%':
                result += "%25";
                break;
            case '#':
                result += "%23";
                break;
            case '?':
                result += "%3F";
                break;
            default:
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
#ifdef _WIN32
    // Projects hold UTF-8; the narrow path constructor would read the ANSI code page.
    return fs::path(std::u8string(bytes.begin(), bytes.end()));
#else
    return fs::path(std::string(bytes));
#endif
}

CLinkedFiles::CLinkedFiles(fs::path targetFolder, bool copyFiles, fs::path sourceBase)
    : targetFolder(std::move(targetFolder)),
      copyFiles(copyFiles),
      sourceBase(std::move(sourceBase)) {}

fs::path CLinkedFiles::SourceFile(std::string_view path) const {
    fs::path source = PathFromBytes(path);
    if (source.is_relative() && !sourceBase.empty()) source = sourceBase / source;
    return source;
}

std::string CLinkedFiles::ClaimName(std::size_t folderIndex, std::string_view name) {
    auto& taken = takenNames[folderIndex];
    // NAME.EXT becomes NAME~2.EXT, keeping the extension that decides the category; an extension
    // with no room beside a number is no extension worth keeping.
    const std::size_t dot = name.rfind('.');
    const bool keepExtension =
        dot != std::string_view::npos && name.size() - dot <= kMaxFileNameBytes / 2;
    const std::string_view stem = keepExtension ? name.substr(0, dot) : name;
    const std::string_view extension = keepExtension ? name.substr(dot) : "";
    const auto fitted = [&](const std::string& suffix) {
        const std::size_t room = kMaxFileNameBytes - extension.size() - suffix.size();
        return std::string(stem.substr(0, Utf8SafePrefixLength(stem, room))) + suffix +
               std::string(extension);
    };
    std::string candidate = fitted("");
    if (taken.insert(AsciiLower(candidate)).second) return candidate;
    for (std::size_t k = 2;; ++k) {
        std::string suffix(1, '~');
        suffix += std::to_string(k);
        candidate = fitted(suffix);
        if (taken.insert(AsciiLower(candidate)).second) return candidate;
    }
}

void CLinkedFiles::Copy(const std::string& source, const fs::path& destination) {
    const fs::path from = SourceFile(source);
    const FileWriteResult copiedFile = ReplaceFileWithCopy(from, destination, cancel);
    if (copiedFile) {
        ++filesCopied;
    } else if (copiedFile.reason == kInterruptedReason) {
        stopRequested = true;
        return;
    } else if (copiedFile.readFailed) {
        // Only a failed copy asks the file system why, keeping the usual path at one copy call.
        std::error_code statusError;
        const fs::file_status status = fs::status(from, statusError);
        if (!fs::exists(status))
            failures.push_back({source, "the file does not exist"});
        else if (!fs::is_regular_file(status))
            failures.push_back({source, "not a regular file but " +
                                            std::string(FileTypeDescription(status.type()))});
        else
            failures.push_back({source, "could not be read: " + copiedFile.reason});
    } else {
        failures.push_back(
            {source, "could not be copied to " + destination.string() + ": " + copiedFile.reason});
    }
    if (copied && !copied()) stopRequested = true;
}

std::string CLinkedFiles::CopyLinkedFile(std::string_view path, bool upperCaseName) {
    if (path.empty()) return {};
    const std::string source(path);
    if (auto known = links.find(source); known != links.end()) return known->second;

    const std::string_view rawName = FileNameOfPath(path);
    if (rawName.empty() || rawName == "." || rawName == "..") {
        links.emplace(source, std::string());
        if (copyFiles) {
            failures.push_back({source, "the path does not name a file"});
            if (copied && !copied()) stopRequested = true;
        }
        return {};
    }
    const std::string fileName = upperCaseName ? AsciiUpper(rawName) : std::string(rawName);
    const std::size_t folderIndex = FolderIndex(ClassifyFile(fileName));
    const std::string_view folder = kCategoryFolderNames[folderIndex];
    const std::string copyName = ClaimName(folderIndex, fileName);
    std::string link = "./" + std::string(folder) + "/" + EncodeLinkName(copyName);
    links.emplace(source, link);
    if (copyFiles && !(cancel != nullptr && cancel->load()))
        Copy(source, targetFolder / PathFromBytes(folder) / PathFromBytes(copyName));
    return link;
}

std::optional<std::string> LocalFilePath(std::string_view url) {
    if (!StartsWithNoCase(url, "FILE:")) return std::nullopt;
    std::string_view path = url.substr(5);
    if (path.starts_with("//")) path.remove_prefix(2);
    return std::string(path);
}

ItemTarget CLinkedFiles::ResolveItemUrl(std::string_view url) {
    ItemTarget target;
    std::optional<std::string> path = LocalFilePath(url);
    if (!path) {
        // Web addresses keep their case: paths on web servers are case-sensitive.
        target.link = std::string(url);
        target.category = ClassifyFile(url);
        return target;
    }
    target.localFile = true;
    target.category = ClassifyFile(*path);
    target.link = CopyLinkedFile(*path, true);
    target.sourcePath = std::move(*path);
    return target;
}
