#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ExportFailure.h"
#include "FolderHandle.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "SiteTree.h"
#include "WebsiteSettings.h"

// Exporting a website: a flat folder of pages, one or more for every folder of the tree, named
// after the folder's place in the tree (the root's first page is always Index.htm), plus a copy
// of every linked local file in the sub-folders image, doc, audio, video, zip and others, and,
// when the website's settings ask for them, thumbnail files of its pictures in thumb.
//
// The same calls serve the window, pagelorn-cli and the tests:
//   1. CheckExportFolder resolves the export folder (links and "..", so that the folder checked
//      is the folder written) and says whether it is missing, empty, holds files (the caller
//      asks "Warning: All contents of  %s will be deleted!" before going on) or must never be
//      cleared, with the reason in words. It also refuses a tree too deep to export. Folders
//      are told apart by identity (device and inode), not by how their path is spelt, so a
//      second path to the project's folder (a link, a bind mount) is the project's folder.
//   2. ExportWebsite does the export: it opens the export folder once, locks it against a
//      second export (waiting kExportLockWait for one under way), checks what it opened with
//      the refusals above, builds the export's plan (ExportPlan.h) and carries it out, every
//      step inside that open folder: should the folder or one of its sub-folders be replaced
//      by a link meanwhile, nothing outside is deleted or written. Into a folder that holds
//      files it goes only when clearExistingFolder is set. There it writes only what differs
//      from what the folder holds (a page whose bytes are the same, a copy with its source's
//      size and modification time stay) and deletes everything the plan does not produce, so
//      that the folder ends as a fresh export would leave it; `full` clears the folder and
//      writes everything instead. The user's own entries at the top (IsKeptTopEntry) are never
//      deleted. It may run on a worker thread as long as nobody changes the tree or the
//      options while it runs; progress reports arrive on its worker threads, one at a time.
//   3. After a completed export the caller clears the tree's export-pending flag (the export
//      reads the tree and changes nothing in it); Preview opens ExportResult::rootPage.
// Every path is explicit: the current directory is neither read for the export folder nor
// changed. Choosing a folder for an empty `location` is the caller's business (ExportLocation.h).
// Pages and copies are written under a temporary name and renamed into place once whole, so a
// full disk or an interruption never leaves a truncated file under a real name.

struct ExportProgress {
    std::size_t pagesDone = 0;  // written, up to date or failed
    std::size_t pagesTotal = 0;
    std::size_t pagesUpToDate = 0;   // of those done: the file there had the page's bytes
    std::size_t filesDone = 0;       // copied, up to date or failed to copy
    std::size_t filesTotal = 0;      // distinct files the pages link to (0 with copying "Manual")
    std::size_t filesUpToDate = 0;   // of those done: the copy there was the source's
    std::size_t thumbnailsDone = 0;  // made, up to date or failed
    std::size_t thumbnailsTotal = 0;
    std::size_t thumbnailsUpToDate = 0;  // of those done: made earlier from the same source
};

// Called after each page, file and thumbnail is done, one call at a time; returning false stops
// the export once the work under way is done.
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
    // Stops the export as soon as it becomes true, also in the middle of copying a large file;
    // may be set from another thread or a signal handler.
    const std::atomic<bool>* cancel = nullptr;
    // Clear the folder and write and copy everything, instead of only what differs.
    bool full = false;
    // Worker threads that write pages and copy files; 0: one per core.
    unsigned threads = 0;
    // How pictures are shown: the box, PNG and WebP, thumbnail files. All off (as for a project
    // without a settings file) unless given.
    CPictureSettings pictures{};
    // Classic pages (as for a project without a settings file) unless given.
    CPageSettings pages{};
};

// The deepest tree the export writes (the root is at depth 0). Every page carries its folder's
// whole history, so the pages of a deeper tree (only a hostile file holds one) would take
// gigabytes.
inline constexpr int kMaxExportDepth = 1000;

// Every local file the project names, each once and whether or not a page shows it: the items'
// files, the background sound and image and the images of every bar and of the canvas. The
// export folder must never be a folder holding one of them. This list is wider on purpose than
// the files the pages link to (which the composer records in the export's plan): a file the
// project names is the user's, shown on a page or not.
std::vector<std::string> ProjectLinkedFiles(const CSiteTree& tree, const CPageOption& pageOption,
                                            const CLayoutOption& layoutOption);

// Whether the folder (resolved: absolute, links followed) is a folder of the system (/usr, /etc,
// /opt, /tmp ...) or lies inside one: a program there is an installed one.
bool LiesInSystemFolder(const std::filesystem::path& folder);

// An entry at the top of the export folder that is the user's own and is never deleted or
// cleared: a name beginning with "." (.git, .htaccess, .well-known) and CNAME. A temporary file
// of this program's, left by a run that was killed, is not one of them.
bool IsKeptTopEntry(std::string_view name);

// How long an export waits for another one writing into the same folder to end.
inline constexpr std::chrono::milliseconds kExportLockWait{3000};

enum class ExportFolderState {
    Missing,  // will be made, with any missing parent folders
    Empty,
    NotEmpty,  // clearing it deletes what it holds: ask first
    Refused,   // must never be cleared, or the tree is too deep to export; message says why
    Unusable   // not a folder, or cannot be read; message says why
};

struct ExportFolderCheck {
    ExportFolderState state = ExportFolderState::Missing;
    std::string message;
    std::filesystem::path folder;  // the folder that is checked and written: absolute, resolved
    // The entries at its top that an export never deletes (IsKeptTopEntry), sorted.
    std::vector<std::string> kept{};
};

// Refused: the root of the file system; /srv, /opt, /mnt, /media, /tmp and /root themselves
// (the folders inside them are fine); /bin, /boot, /dev, /etc, /lib*, /proc, /run, /sbin, /sys,
// /usr and /var and every folder inside them, except /var/www and the folders inside it; and,
// when it holds files, a folder holding a folder of the system, a home folder, the project file
// or a file the project links to.
ExportFolderCheck CheckExportFolder(const ExportParameters& parameters);

enum class ExportStatus {
    Completed,      // every folder was written; single pages or files may still have failed
    Stopped,        // the progress callback asked to stop; what was written stays
    Refused,        // the folder must never be cleared; nothing was touched
    NotCleared,     // the folder holds files and clearing was not agreed; nothing was touched
    NoRoot,         // the tree has no root; nothing was touched
    FolderNotMade,  // the export folder could not be made, used or written; nothing was exported
    Busy  // another export kept writing into the folder for kExportLockWait; nothing was touched
};

struct ExportResult {
    ExportStatus status = ExportStatus::Completed;
    std::size_t pagesWritten = 0;
    std::size_t filesCopied = 0;
    std::size_t pagesUpToDate = 0;  // already in the folder with the same bytes
    std::size_t filesUpToDate = 0;  // already copied, with the source's size and time
    std::size_t thumbnailsMade = 0;
    std::size_t thumbnailsUpToDate = 0;  // already made from the source as it is
    // Files and folders of the folder that the export does not make, deleted.
    std::size_t entriesDeleted = 0;
    // Files and folders deleted by clearing the folder first (`full`).
    std::size_t entriesCleared = 0;
    // What could not be deleted, then pages that could not be written, then linked files that
    // could not be copied (missing sources among them), then pictures whose thumbnail could not
    // be made, the pages and files in plan order whatever the order the threads did them in.
    std::vector<ExportFailure> failures;
    std::string message;                 // one sentence for the user
    std::filesystem::path exportFolder;  // the folder written, resolved
    // The website's first page, for Preview (only meaningful after a completed export).
    std::filesystem::path rootPage;

    bool AllWritten() const { return status == ExportStatus::Completed && failures.empty(); }
};

ExportResult ExportWebsite(const ExportParameters& parameters);

// Deletes everything inside the folder held by `folder`, sub-folders included; the folder
// itself stays, and so do the user's own entries (IsKeptTopEntry) with `keepUsersEntries`.
// Symbolic links are removed, never followed, and a sub-folder is only ever entered as a folder,
// whatever is put in its place meanwhile. Read-only sub-folders are made writable first.
// `shown` is the folder's path, for the failures; `deleted` counts every file and folder
// deleted. Returns what could not be deleted.
std::vector<ExportFailure> ClearFolder(const CFolderHandle& folder,
                                       const std::filesystem::path& shown, bool keepUsersEntries,
                                       std::size_t* deleted = nullptr);
// Deletes the entry `name` of the folder the same way (a folder with all it holds); returns how
// many files and folders were deleted, the entry among them. What could not be deleted is added
// to `failures`.
std::size_t RemoveExportEntry(const CFolderHandle& folder, std::string_view name,
                              const std::filesystem::path& shown,
                              std::vector<ExportFailure>& failures);

// The name of the root's first page.
inline constexpr const char* kRootPageFileName = "Index.htm";
