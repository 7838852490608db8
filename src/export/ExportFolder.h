#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ExportCache.h"
#include "ExportFailure.h"
#include "ExportResult.h"
#include "FolderHandle.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "SiteTree.h"
#include "SourceFiles.h"
#include "WebsiteSettings.h"

// The export folder and what keeps it safe: what an export is asked to do, the check of the
// folder before anything is written (CheckExportFolder), and the clearing.
//
// CheckExportFolder resolves the export folder (links and "..", so that the folder checked is
// the folder written) and says whether it is missing, empty, holds files (the caller asks
// "Warning: All contents of  %s will be deleted!" before going on) or must never be cleared,
// with the reason in words. It also refuses a tree too deep to export. Folders are told apart by
// identity (device and inode), not by how their path is spelt, so a second path to the
// project's folder (a link, a bind mount) is the project's folder.

struct ExportPlan;

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
    // The plan of this export, built from these parameters moments ago (BuildExportPlan, with
    // the check of the same folder in the same state), which ExportWebsite then takes and
    // carries out instead of planning again.
    std::shared_ptr<ExportPlan> knownPlan{};
};

// The folder relative linked paths are read from: the project's folder (empty for a project that
// was never saved).
std::filesystem::path LinkedSourceFolder(const ExportParameters& parameters);

// The deepest tree the export writes (the root is at depth 0). Every page carries its folder's
// whole history, so the pages of a deeper tree (only a hostile file holds one) would take
// gigabytes.
inline constexpr int kMaxExportDepth = 1000;

// Every local file the project names, each once and whether or not a page shows it: the items'
// files, the background sound and image and the images of every bar and of the canvas. The
// export folder must never be a folder holding one of them. This list is wider on purpose than
// the files the pages link to (which the composer records in the export's plan): a file the
// project names is the user's, shown on a page or not. `occurrences`, when given, gets for each
// time the project names a file (ForEachLinkedPath) the index of its path in the list.
std::vector<std::string> ProjectLinkedFiles(const CSiteTree& tree, const CPageOption& pageOption,
                                            const CLayoutOption& layoutOption,
                                            std::vector<std::uint32_t>* occurrences = nullptr);
// The same paths, each as often as the project names it, in that order; the texts are the
// tree's and the options'.
void ForEachLinkedPath(const CSiteTree& tree, const CPageOption& pageOption,
                       const CLayoutOption& layoutOption,
                       const std::function<void(std::string_view)>& visit);

// Whether the folder (resolved: absolute, links followed) is a folder of the system (/usr, /etc,
// /opt, /tmp ...) or lies inside one: a program there is an installed one.
bool LiesInSystemFolder(const std::filesystem::path& folder);

// An entry at the top of the export folder that is the user's own and is never deleted or
// cleared: a name beginning with "." (.git, .htaccess, .well-known) and CNAME. A temporary file
// of this program's, left by a run that was killed, is not one of them.
bool IsKeptTopEntry(std::string_view name);

// What a publish keeps at the top of the export folder: the digests of the files it read, so
// that the next one reads only what changed. Like the export's own record it is not the user's.
inline constexpr std::string_view kPublishCacheName = ".pagelorn-publish-cache";

// How long an export waits for another one writing into the same folder to end.
inline constexpr std::chrono::milliseconds kExportLockWait{3000};

enum class ExportFolderState {
    Missing,  // will be made, with any missing parent folders
    Empty,
    NotEmpty,  // clearing it deletes what it holds: ask first
    Refused,   // must never be cleared, or the tree is too deep to export; message says why
    Unusable   // not a folder, or cannot be read; message says why
};

// What the check of a folder that is not empty saw of the files the project links to. With
// `keep`, each file's FindSource, their paths (ProjectLinkedFiles, in its order) and the index of
// each time the project names one, so that the plan built from the check need not look again
// (the plan takes them); without it only their digest, so that a million files are looked at
// without being held.
struct LinkedSourcesSeen {
    bool keep = true;
    std::vector<FoundSource> sources;
    std::vector<std::string> linked;
    std::vector<std::uint32_t> occurrences;
    PageHash digest{};  // without `keep`

    // SourcesDigest (ExportDigest.h) of what was seen.
    PageHash Digest() const;
};

struct ExportFolderCheck {
    ExportFolderState state = ExportFolderState::Missing;
    std::string message;
    std::filesystem::path folder;  // the folder that is checked and written: absolute, resolved
    // The entries at its top that an export never deletes (IsKeptTopEntry), sorted.
    std::vector<std::string> kept{};
    std::shared_ptr<LinkedSourcesSeen> seen{};
};

// Refused: the root of the file system; /srv, /opt, /mnt, /media, /tmp and /root themselves
// (the folders inside them are fine); /bin, /boot, /dev, /etc, /lib*, /proc, /run, /sbin, /sys,
// /usr and /var and every folder inside them, except /var/www and the folders inside it; and,
// when it holds files, a folder holding a folder of the system, a home folder, the project file
// or a file the project links to.
ExportFolderCheck CheckExportFolder(const ExportParameters& parameters);

// Why clearing the folder (not empty, held by `handle`, named `folder`) would delete what is not
// the export's: it holds a folder of the system, the home folder of an account, the project file
// or a file the project links to, whatever path names them; "" when it holds none of these.
// When the folder holds none of them and `seen` is given, it gets what the disk said of the
// linked files (LinkedSourcesSeen).
std::string ClearingRefusal(const CFolderHandle& handle, const std::filesystem::path& folder,
                            const ExportParameters& parameters, LinkedSourcesSeen* seen = nullptr);

// Opens the export folder into `handle` and checks what it opened as CheckExportFolder does: the
// refusals go by that handle, so that what is checked is what is written, whatever the path
// names later. With `lock`, the folder is locked before it is looked into (`busy` tells whether
// another export held it too long). A missing folder leaves `handle` closed. The check of a
// folder that is not empty hands what it saw of the linked files to the plan
// (ExportFolderCheck::sources), unless `keepSources`, asked with the folder, says no plan will
// most likely follow: then only their digest.
ExportFolderCheck InspectExportFolder(
    const ExportParameters& parameters, CFolderHandle& handle, bool lock, bool& busy,
    const std::function<bool(const std::filesystem::path&)>& keepSources = {});

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
