#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ExportFailure.h"

// How an exported page shows a linked file, and the sub-folder of the export folder its copy goes
// to. Both picture categories share "image"; only web pictures become thumbnails.
enum FileCategory : int {
    CategoryWebImage = 0,
    CategoryImage = 1,
    CategoryDoc = 2,
    CategoryAudio = 3,
    CategoryVideo = 4,
    CategoryZip = 5,
    CategoryOthers = 6
};

// The category of a path or URL by its extension: everything after the last "." (the whole text
// when there is none), compared without regard to ASCII letter case. The search does not stop at
// folder separators, so "C:\DATA.V2\NOTES" has the extension "V2\NOTES" and is CategoryOthers.
FileCategory ClassifyFile(std::string_view text);

// "image", "doc", "audio", "video", "zip" or "others".
std::string_view CategoryFolderName(FileCategory category);

// The six category sub-folders in the order the export creates them.
inline constexpr std::string_view kCategoryFolderNames[] = {"image", "doc", "audio",
                                                            "video", "zip", "others"};

// Upper case of the ASCII letters only; every other byte (UTF-8 included) stays as it is.
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);

// The text of a link the export writes to its own pages and copies: "%", "#" and "?" become
// "%25", "%23" and "%3F" so that a browser takes them as part of the name.
std::string EncodeLinkName(std::string_view name);

// The last name of a path whose names may be separated by "/" or "\" (projects made on Windows).
std::string_view FileNameOfPath(std::string_view path);

// A path held as bytes (as a project stores it) as a path on this system.
std::filesystem::path PathFromBytes(std::string_view bytes);

// The local path of an item's URL: "file://PATH" or "file:PATH" in any letter case gives PATH as
// spelled; any other URL gives nothing.
std::optional<std::string> LocalFilePath(std::string_view url);

// What an item's URL refers to.
struct ItemTarget {
    bool localFile = false;  // the URL began with "FILE:" in any letter case
    std::string sourcePath;  // local files: the path as the URL spells it
    std::string link;        // what the page links to: the copy, or the URL as typed
    FileCategory category = CategoryOthers;
};

// The linked files of one export: the copies' names, the copies themselves and what failed.
// Every source is copied at most once per export however often pages link to it; two different
// sources with the same name get their own copies, the second as NAME~2.EXT (then ~3 ...), and
// names that differ only in letter case count as the same name so that the website also works
// on file systems that do not tell case apart. A name is shortened (on a UTF-8 character
// boundary, keeping its extension) where the number would make it longer than a file name may
// be. Only regular files are copied, each to a temporary name first, so a copy under its real
// name is always whole.
class CLinkedFiles {
public:
    // Told each time a file has been copied (or has failed to copy); returning false asks the
    // export to stop.
    using CopiedFn = std::function<bool()>;

    // targetFolder: the export folder, holding the six category sub-folders. copyFiles: the
    // "Automatic" setting; when false, links are made exactly as with copying but nothing is
    // copied. sourceBase: the folder relative source paths are taken from (the project's folder;
    // empty for the current one).
    CLinkedFiles(std::filesystem::path targetFolder, bool copyFiles,
                 std::filesystem::path sourceBase = {});

    // The relative link to the copy of a local file, "./image/LOGO.GIF"; "" for an empty path or
    // a path without a file name. The file is copied the first time a source is linked; a
    // missing source or a failed copy is added to Failures(). upperCaseName names the copy in
    // upper case (items); other files (backgrounds, sounds) keep the case of their name.
    std::string CopyLinkedFile(std::string_view path, bool upperCaseName = false);

    // Resolves an item's URL. Local files ("file://PATH", also "file:PATH") are copied; any other
    // URL is linked as typed.
    ItemTarget ResolveItemUrl(std::string_view url);

    // Where a source path given as bytes is read from.
    std::filesystem::path SourceFile(std::string_view path) const;

    void SetCopiedCallback(CopiedFn callback) { copied = std::move(callback); }
    // Once the flag is true nothing more is copied, and a copy under way stops between blocks.
    void SetCancelFlag(const std::atomic<bool>* flag) { cancel = flag; }
    bool StopRequested() const { return stopRequested; }
    std::size_t FilesCopied() const { return filesCopied; }
    std::size_t FilesLinked() const { return links.size(); }
    const std::vector<ExportFailure>& Failures() const { return failures; }

private:
    std::string ClaimName(std::size_t folderIndex, std::string_view name);
    void Copy(const std::string& source, const std::filesystem::path& destination);

    std::filesystem::path targetFolder;
    bool copyFiles;
    std::filesystem::path sourceBase;
    std::unordered_map<std::string, std::string> links;  // source path -> link
    std::unordered_set<std::string> takenNames[std::size(kCategoryFolderNames)];  // lower case
    std::vector<ExportFailure> failures;
    std::size_t filesCopied = 0;
    CopiedFn copied;
    const std::atomic<bool>* cancel = nullptr;
    bool stopRequested = false;
};
