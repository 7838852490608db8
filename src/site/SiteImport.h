#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "SiteKey.h"
#include "SiteTree.h"
#include "WebsiteSettings.h"

// An entry an import left out, and why ("a FIFO, not a regular file").
struct ImportSkip {
    std::string path;
    std::string reason;
};

// What an import reads from a file for its caption and its place among the others: the title a
// picture holds and the date it was taken ("2026:07:14 09:30:00", as EXIF writes it), each empty
// when the file has none.
struct ImportedFileFacts {
    std::string title;
    std::string taken;
};
// Reading them is the business of the picture code; the import is handed a reader.
using ImportFactsReader = std::function<ImportedFileFacts(const std::string& path)>;

// How an import captions, orders and picks files (the settings' section "import"); the default is
// the import as it always was. Without a reader no file has a title or a date.
struct ImportOptions {
    CImportSettings settings;
    ImportFactsReader readFacts;
};

struct ImportProgress;
using ImportProgressFn = std::function<bool(const ImportProgress&)>;

// What an import found on disk, gathered without touching the tree so that the scan can run on
// a worker thread while the window stays responsive; CSiteTree never sees it until it is added.
// Folders and files are kept flat, each naming the folder it belongs to (kTop: the folder the
// import goes into), and every name and URL lies in one block of text that the project keeps
// after the import, so that adding 100,000 files costs no allocation per file.
class CImportScan {
public:
    static constexpr std::size_t kTop = static_cast<std::size_t>(-1);

    bool found = false;     // the path existed
    bool isFolder = false;  // the path was a folder: its contents go into the target folder
    bool cancelled = false;
    // Entries left out: what cannot be read, links to folders, and anything that is no regular
    // file (FIFOs, devices, sockets), which a website cannot copy.
    std::size_t skipped = 0;
    std::vector<ImportSkip> skippedEntries;  // the first few of them, for messages
    // Hidden files and folders and the junk systems leave, left out as the settings ask.
    std::size_t leftOut = 0;

    // A sub-folder (a new sub-site) of `parent`; returns its number for AddFolder and AddFile.
    // Sub-folders of one parent keep the order in which they are added. A folder number the
    // scan did not give throws std::out_of_range, here and in AddFile.
    std::size_t AddFolder(std::size_t parent, std::string_view name);
    // A file of `folder`, given by its full path, whose last `nameLength` bytes are its name.
    // It becomes an item captioned with the name, with the URL "file://" and the path.
    void AddFile(std::size_t folder, std::string_view path, std::size_t nameLength);
    // Counts an entry that was not imported, with the path and the reason for the messages.
    void Skip(std::string_view path, std::string_view reason);
    // Captions the files as `options` asks and, ordering by date, puts the files of each folder
    // that have a date first, oldest first, and the rest after them in the order they had.
    // Reading the files' facts stops when `progress` says so; the rest keep their names.
    void Arrange(const ImportOptions& options, const ImportProgressFn& progress = {});

    std::size_t FolderCount() const { return folders.size(); }
    std::size_t FileCount() const { return files.size(); }
    std::string_view FolderName(std::size_t folder) const;
    std::size_t ParentOf(std::size_t folder) const { return folders[folder].parent; }
    // The file's name, the caption and URL the file's item gets.
    std::string_view FileName(std::size_t file) const;
    std::string_view FileCaption(std::size_t file) const;
    std::string_view FileUrl(std::size_t file) const;

private:
    friend struct CImportAdder;

    struct Folder {
        std::size_t parent = kTop;
        std::size_t name = 0;  // offset into texts; the name is followed by a NUL byte
        std::size_t nameLength = 0;
    };
    struct File {
        std::size_t folder = kTop;
        std::size_t url = 0;  // offset into texts
        std::size_t urlLength = 0;
        std::size_t nameLength = 0;  // the name is the end of the URL
        std::size_t caption = 0;     // offset into texts
        std::size_t captionLength = 0;
    };

    std::string texts;
    std::vector<Folder> folders;
    std::vector<File> files;
};

struct ImportProgress {
    std::size_t entriesSeen = 0;
    std::string currentPath;
};
// Called now and then during a scan (ImportProgressFn); returning false stops it (what was found
// so far is kept).

struct CImportResult {
    CSiteStatus status = CSiteStatus::Done;  // NoSuchFolder when the target folder is gone
    std::size_t foldersAdded = 0;
    std::size_t itemsAdded = 0;
    std::size_t skipped = 0;
    std::vector<ImportSkip> skippedEntries;
    std::size_t leftOut = 0;  // hidden and junk entries the settings left out
    bool cancelled = false;
};

// Hidden files and folders (".DS_Store", ".thumbnails") and what systems leave in folders:
// "Thumbs.db", "desktop.ini", "@eaDir", "__MACOSX" and backups ending in "~".
bool IsJunkName(std::string_view name);

// The URL an imported file gets: "file://" followed by its full path.
std::string FileUrl(const std::filesystem::path& path);

// Scans a folder (its contents, depth first, entries in byte order of their names) or a single
// file. Only regular files, links to regular files and folders are imported; everything else
// (links to folders, broken links, devices, pipes, sockets, what cannot be read) is skipped and
// counted with its reason, so a link loop cannot recurse forever. The type of each entry comes
// from the folder listing where the file system gives it, and each folder is opened relative
// to its parent, so a chain of nested folders costs time in proportion to its length.
// With options.settings.skip, junk inside the folder (IsJunkName) is left out and counted; the
// files are then arranged (CImportScan::Arrange).
CImportScan ScanImportPath(const std::filesystem::path& path, const ImportProgressFn& progress = {},
                           const ImportOptions& options = {});

// Adds what a scan found to the folder: sub-folders as new sub-sites (new folder ids, given
// depth first), files as items after the folder's existing items. Marks the project modified
// when anything was added.
CImportResult AddImportedScan(CSiteTree& tree, CFolderKey folder, CImportScan scan);

// Import a folder: the folder's contents (or the single file) go into the folder.
CImportResult ImportFolder(CSiteTree& tree, CFolderKey folder, const std::filesystem::path& path,
                           const ImportProgressFn& progress = {});

// Import files: each existing regular file of the list becomes an item of the folder, in list
// order; empty strings are left out, and paths that are missing or are not regular files are
// counted as skipped. The files are captioned as `options` ask, and stay in list order.
CImportResult ImportFiles(CSiteTree& tree, CFolderKey folder, const std::vector<std::string>& paths,
                          const ImportOptions& options = {});

// The caption of the sub-site an import as a sub-site makes of a folder: the folder's own name,
// whatever the path ("photos/", "." and "/home/ann/photos/.." name folders too).
std::string ImportSiteName(const std::filesystem::path& path);

// Import a folder as a sub-site: a folder's scan goes into a new sub-site of the folder captioned
// `name` (counted among the sub-sites added), a single file's into the folder itself.
CImportResult AddImportedScanAsSite(CSiteTree& tree, CFolderKey folder, std::string_view name,
                                    CImportScan scan);
