#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ExportFailure.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "SiteTree.h"

// Exporting a website: a flat folder of pages, one or more for every folder of the tree, named
// after the folder's place in the tree (the root's first page is always Index.htm), plus a copy
// of every linked local file in the sub-folders image, doc, audio, video, zip and others.
//
// The same calls serve the window, pagelorn-cli and the tests:
//   1. CheckExportFolder says whether the folder is missing, empty, holds files (the caller asks
//      "Warning: All contents of  %s will be deleted!" before going on) or must never be
//      cleared (the root of the file system, a folder holding the home folder, the project file
//      or a file the website links to), with the reason in words.
//   2. ExportWebsite does the export. It clears a folder that holds files only when
//      clearExistingFolder is set, and it re-checks the refusals itself before deleting
//      anything. It may run on a worker thread as long as nobody changes the tree or the options
//      while it runs; progress reports arrive on that thread.
//   3. After a completed export the caller clears the tree's export-pending flag (the export
//      reads the tree and changes nothing in it); Preview opens ExportResult::rootPage.
// Every path is explicit: the current directory is neither read for the export folder nor
// changed. Choosing a folder for an empty `location` is the caller's business.

struct ExportProgress {
    std::size_t pagesDone = 0;
    std::size_t pagesTotal = 0;
    std::size_t filesDone = 0;   // copied or failed to copy
    std::size_t filesTotal = 0;  // distinct files the pages link to (0 with copying "Manual")
};

// Called after each page written and each file copied; returning false stops the export after
// the page being built.
using ExportProgressFn = std::function<bool(const ExportProgress&)>;

struct ExportParameters {
    const CSiteTree& tree;
    const CPageOption& pageOption;
    const CLayoutOption& layoutOption;
    std::filesystem::path exportFolder;
    // The project's file: its folder is never cleared, and relative linked paths are read from
    // its folder. May be empty (a project that was never saved).
    std::filesystem::path projectFile;
    // The user agreed to delete everything inside an existing export folder.
    bool clearExistingFolder = false;
    ExportProgressFn progress;
};

enum class ExportFolderState {
    Missing,  // will be made, with any missing parent folders
    Empty,
    NotEmpty,  // clearing it deletes what it holds: ask first
    Refused,   // must never be cleared; message says why
    Unusable   // not a folder, or cannot be read; message says why
};

struct ExportFolderCheck {
    ExportFolderState state = ExportFolderState::Missing;
    std::string message;
};

ExportFolderCheck CheckExportFolder(const ExportParameters& parameters);

enum class ExportStatus {
    Completed,     // every folder was written; single pages or files may still have failed
    Stopped,       // the progress callback asked to stop; what was written stays
    Refused,       // the folder must never be cleared; nothing was touched
    NotCleared,    // the folder holds files and clearing was not agreed; nothing was touched
    NoRoot,        // the tree has no root; nothing was touched
    FolderNotMade  // the export folder could not be made or used
};

struct ExportResult {
    ExportStatus status = ExportStatus::Completed;
    std::size_t pagesWritten = 0;
    std::size_t filesCopied = 0;
    // What could not be deleted while clearing, then pages that could not be written, then
    // linked files that could not be copied (missing sources among them), each group in the
    // order it happened.
    std::vector<ExportFailure> failures;
    std::string message;  // one sentence for the user
    std::filesystem::path exportFolder;
    // The website's first page, for Preview (only meaningful after a completed export).
    std::filesystem::path rootPage;

    bool AllWritten() const { return status == ExportStatus::Completed && failures.empty(); }
};

ExportResult ExportWebsite(const ExportParameters& parameters);

// Deletes everything inside the folder, sub-folders included; the folder itself stays. Symbolic
// links are removed, never followed. Read-only entries are made writable first. Returns what
// could not be deleted.
std::vector<ExportFailure> ClearFolder(const std::filesystem::path& folder);

// The name of the root's first page.
inline constexpr const char* kRootPageFileName = "Index.htm";
