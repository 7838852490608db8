#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SiteFolder.h"
#include "SiteTree.h"

// What an import found on disk, gathered without touching the tree so that the scan can run on
// a worker thread while the window stays responsive; CSiteTree never sees it until it is added.
struct CImportedFolder {
    std::string name;  // last component of the folder's path
    std::vector<CImportedFolder> folders;
    std::vector<std::unique_ptr<CSiteItem>> files;  // caption and url set, ids not yet
};

// An entry an import left out, and why ("a FIFO, not a regular file").
struct ImportSkip {
    std::string path;
    std::string reason;
};

struct CImportScan {
    bool found = false;     // the path existed
    bool isFolder = false;  // the path was a folder: its contents become root's
    CImportedFolder root;
    // Entries left out: what cannot be read, links to folders, and anything that is no regular
    // file (FIFOs, devices, sockets), which a website cannot copy.
    std::size_t skipped = 0;
    std::vector<ImportSkip> skippedEntries;  // the first few of them, for messages
    bool cancelled = false;
};

struct ImportProgress {
    std::size_t entriesSeen = 0;
    std::string currentPath;
};
// Called now and then during a scan; returning false stops it (what was found so far is kept).
using ImportProgressFn = std::function<bool(const ImportProgress&)>;

struct CImportResult {
    std::size_t foldersAdded = 0;
    std::size_t itemsAdded = 0;
    std::size_t skipped = 0;
    std::vector<ImportSkip> skippedEntries;
    bool cancelled = false;
};

// The URL an imported file gets: "file://" followed by its full path.
std::string FileUrl(const std::filesystem::path& path);

// Scans a folder (its contents, depth first, entries in byte order of their names) or a single
// file. Symbolic links to folders are never followed, so a link loop cannot recurse forever.
CImportScan ScanImportPath(const std::filesystem::path& path,
                           const ImportProgressFn& progress = {});

// Adds what a scan found to the node: sub-folders as new sub-sites (new folder ids), files as
// items after the node's existing items. Marks the project modified when anything was added.
CImportResult AddImportedScan(CSiteTree& tree, CSiteNode& node, CImportScan scan);

// Import a folder: the folder's contents (or the single file) go into node.
CImportResult ImportFolder(CSiteTree& tree, CSiteNode& node, const std::filesystem::path& path,
                           const ImportProgressFn& progress = {});

// Import files: each regular file of the list (or link to one) becomes an item of node, in list
// order; empty strings are skipped, and so are paths that are missing, folders or other kinds of
// file (counted as skipped).
CImportResult ImportFiles(CSiteTree& tree, CSiteNode& node, const std::vector<std::string>& paths);
