#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ExportCache.h"
#include "ExportFolder.h"
#include "ExportResult.h"
#include "LinkedFiles.h"
#include "PageComposer.h"

// An export as a plan: everything it writes and everything wrong with it, decided before anything
// is written. Building the plan reads the project and the disk (the state of the linked files,
// the pictures' headers) and writes nothing; carrying it out writes the pages and copies. The
// window, `pagelorn-cli export` and `pagelorn-cli check` all start from it. The plan holds what
// its pages are composed from (the options and the folders' records, copied), so that carrying
// it out needs nothing of the project: the project may change or go meanwhile.

enum class ProblemSeverity {
    Error,  // the website will miss something, or the export cannot run
    Note    // worth a look, but often meant (thousands of photos named IMG_0001.JPG are normal)
};

enum class ProblemKind {
    MissingFile,        // error: a linked file that does not exist
    AmbiguousFile,      // error: a linked path that names no file as spelled, several without case
    UnreadableFile,     // error: a linked file that cannot be read
    NotAFile,           // error: a linked path that is a folder, a device ..., or names no file
    ExportFolder,       // error: the export folder is refused or cannot be used
    PageRenamed,        // note: a folder's pages took a numbered name because of a clash
    CopyRenamed,        // note: a copy took a numbered name because another source has the name
    UnsafeCharacters,   // note: characters of a caption that no file name may hold were replaced
    ActiveMarkup,       // note: a text holds markup a browser runs (script, on...=, javascript:)
    HiddenFolder,       // note: a linked file lies inside a hidden folder (such as ~/.ssh)
    Charset,            // error: the project's charset is not known, so the pages are UTF-8;
                        // note: the pages' charset cannot be written, so texts go as stored
    KeptEntry,          // note: an entry at the top of the export folder, the user's, that stays
    UnreadablePicture,  // note: a picture's size cannot be read; the page shows the file itself
    LowContrast,        // note: modern pages: a bar's or the canvas's text is hard to read
    NoCaption,          // note: modern pages: a picture's alt text will be its file name
    PlainFtp,           // note: the website is published over FTP, the password going in clear
    UnreadableVideo     // note: a video gets no poster; the page links to it
};

// "missing file", "page renamed" ...: the kind as the check prints it.
std::string_view ProblemKindName(ProblemKind kind);
// "error" or "note".
std::string_view SeverityName(ProblemSeverity severity);

struct ExportProblem {
    ProblemKind kind = ProblemKind::MissingFile;
    ProblemSeverity severity = ProblemSeverity::Error;
    std::string path;    // the linked file, the page or the folder concerned
    std::string where;   // where the project names it: "Index > Photos, item "Logo"", a setting
    std::string detail;  // the reason, the new name, the other source
    // The folder (an item's folder) and the item concerned, when there are any, so that the
    // window can select them.
    CFolderKey folder;
    CItemKey item;
};

// The note for a publish address (the settings' "publish" "url") that uses plain ftp://, else
// nothing.
std::optional<ExportProblem> PublishAddressProblem(const std::string& url);

// The folder of the export folder that holds the thumbnail files.
inline constexpr std::string_view kThumbnailFolderName = "thumb";
// The folder that holds the screen-sized pictures of modern pages.
inline constexpr std::string_view kViewFolderName = "view";

// A problem of the export folder itself (a location that names no folder here, a refusal).
ExportProblem ExportFolderProblem(const std::filesystem::path& folder, std::string message);

// A folder of the tree as the export writes it.
struct PlannedFolder {
    CFolderKey key;                     // the folder in the tree the plan was made from
    CSiteFolder folder;                 // its record as it was then: caption, description, items
    std::size_t parent = 0;             // index of the parent's entry (the root's is its own)
    std::vector<std::size_t> children;  // their entries, in tree order
    std::string baseName;               // its pages are BASE.htm, BASE1.htm ...
    std::size_t pageCount = 0;          // canvas pages; the folder writes at least one file
    // Modern pages: by item, the entry in ExportPlan::pages of the item's own page (kNoPage for
    // an item without one).
    std::vector<std::size_t> itemPages;

    std::string_view Label() const { return folder.caption.View(); }
};

// What a planned file is. Classic pages are all folder pages.
enum class PlannedPageKind {
    Folder,     // a page of a folder's canvas
    Item,       // modern pages: the page of a picture, video or sound item
    StyleSheet  // modern pages: style.css
};

inline constexpr std::size_t kNoPage = static_cast<std::size_t>(-1);

struct PlannedPage {
    std::size_t folder = 0;  // index into ExportPlan::folders
    std::size_t index = 0;   // page of that folder, from 0; an item page: the item's index
    std::string fileName;
    PlannedPageKind kind = PlannedPageKind::Folder;
    // A hash of everything the page is composed from (PageInputs.h); all zero when unknown.
    PageHash inputs{};
};

struct ExportPlan {
    CPageOption pageOption;  // the website's properties as the plan was made
    // The storage the folders' texts borrow from (CSiteTree::KeptTexts), kept as long as the plan.
    std::vector<std::shared_ptr<const void>> texts;
    std::string project;  // the project the export folder's record is kept for (ExportCacheProject)
    ExportFolderCheck folderCheck;       // of the export folder given (none checked when empty)
    std::filesystem::path exportFolder;  // resolved
    bool copyFiles = true;               // copying linked files is "Automatic"
    CLayoutOption layout;                // the layout, rows and columns kept in range
    std::vector<PlannedFolder> folders;  // export order: each folder before its sub-sites
    std::vector<PlannedPage> pages;      // in export order
    CLinkedFiles linkedFiles;            // every file the pages link to, with the copies' names
    std::vector<SourceState> sources;    // by the index of the linked file
    // The sources the project links to as the plan found them (SourcesDigest, ExportDigest.h).
    PageHash sourcesDigest{};
    // The export folder's record of what an earlier export made there (empty when the folder
    // holds nothing, or none can be trusted), and what the headers of the pictures shown said
    // (by the index of the linked file), for the next record.
    CExportCache record;
    std::vector<std::optional<PictureFacts>> pictureFacts;
    // What the containers of the videos shown said, by the index of the linked file, in plan
    // order.
    std::vector<std::pair<std::size_t, VideoProbe>> videoProbes;
    // How many pictures and videos were opened to read their headers; the others were known
    // from the record.
    std::size_t headersRead = 0;
    CPictureSettings pictures;  // as the website's settings give them
    // The charset the pages declare and are written in (PageCharset): the project's, or UTF-8
    // when the project's is not known.
    std::string charset;
    // The pictures whose thumbnail file is made, and those that should have one but cannot be
    // read (carrying out the plan lists them as failures), as indexes of linked files in plan
    // order.
    std::vector<std::size_t> thumbnails;
    PageStyle style = PageStyle::Classic;
    // Modern pages: the pictures whose screen-sized "view" files are made, as indexes of linked
    // files in plan order.
    std::vector<std::size_t> views;
    std::string topNavigator;  // the same on every page
    CPageFrame frame;          // the parts of a page that are the same on every page
    std::vector<ExportProblem> problems;
    bool stopped = false;  // cancelled while it was made: it is incomplete

    std::size_t ErrorCount() const;
    // The copies to make (none with "Manual" copying), as indexes of linked files.
    std::size_t CopyCount() const { return copyFiles ? linkedFiles.FilesLinked() : 0; }
    std::size_t ThumbnailCount() const { return thumbnails.size(); }
    std::size_t ViewCount() const { return views.size(); }
    // The longest side of a thumbnail file in pixels.
    int ThumbnailSide() const { return pictures.box * pictures.density; }
    // The most pixels a picture may declare to get a thumbnail.
    std::int64_t MaxThumbnailPixels() const {
        return static_cast<std::int64_t>(pictures.maxMegapixels) * 1'000'000;
    }
};

// Builds the plan of the export the parameters describe. The export folder is checked as
// CheckExportFolder does, unless `knownCheck` gives its check already; with no export folder at
// all, none is checked. Stops early (plan.stopped) when parameters.cancel becomes true. Without
// `notes` the plan leaves out the problems of the linked files, the texts and the styles, which
// only the check shows (those of the export folder and the charset stay).
ExportPlan BuildExportPlan(const ExportParameters& parameters,
                           const ExportFolderCheck* knownCheck = nullptr, bool notes = true);

// "Index > Photos > Summer": a planned folder's place in the tree, by captions.
std::string PlannedFolderPath(const ExportPlan& plan, std::size_t folder);

// The texts of one planned classic page, made from the plan when the page is composed. `writer`
// brings the texts of the project into the page's charset.
PageTexts PlannedPageTexts(const ExportPlan& plan, const CHtmlWriter& writer, std::size_t folder,
                           std::size_t page, std::string itemRows);

// What carrying out a plan needs beside the plan.
struct ExportRun {
    unsigned threads = 0;  // worker threads; 0: one per core
    // Stops the export as soon as it becomes true (ExportParameters::cancel).
    const std::atomic<bool>* cancel = nullptr;
    ExportProgressFn progress;
    // The digest of what the export is made from (CombinedDigest, ExportDigest.h): a run that
    // completes without a failure keeps it in the folder's record, so that the next run with the
    // same digest need not plan. All zero: the record keeps none.
    PageHash digest{};
    // Its part that is not the sources' (ExportShortcut::inputs).
    PageHash inputs{};
};

// Carries the plan out into plan.exportFolder, held open by `folder` (every step is taken inside
// that folder and its sub-folders, held open too, never through a path), which may be written:
// makes every
// thumbnail file, then writes every page whose bytes differ from the file there and copies every
// linked file, on worker threads. A copy or thumbnail is left as it is only when the folder's
// record (ExportCache.h) proves it was made from the source as it is now and has not been
// touched since; without a record that can be trusted, and when `fresh` (the folder was empty,
// or was cleared), everything is made. A page whose record says it was composed from the same
// inputs (PlannedPage::inputs) and that has not been touched since is not even composed. A page
// whose picture's thumbnail could not be made shows the picture itself. Before that, everything in
// the folder that the plan does not produce is deleted (unless `fresh`). Fills the counts, the
// failures (deletions, then pages, then copies, then thumbnails, each in plan order) and the status
// of `result`.
void CarryOutExportPlan(const ExportPlan& plan, const ExportRun& run, bool fresh,
                        const CFolderHandle& folder, ExportResult& result);
// The same for a caller that has no more use for the plan: it is let go of before the folder's
// record is made, as the two need not be in memory together.
void CarryOutExportPlan(ExportPlan&& plan, const ExportRun& run, bool fresh,
                        const CFolderHandle& folder, ExportResult& result);

// What carrying the plan out would delete from plan.exportFolder because the plan does not make
// it: an earlier export of the same website leaves nothing here unless pages or copies were
// renamed since; anything else in the folder is someone else's.
struct UnplannedEntries {
    std::size_t count = 0;           // files and folders (a folder counts once, with all it holds)
    std::vector<std::string> names;  // the first of them, relative to the export folder
    bool unreadable = false;         // a folder could not be listed: there may be more
};
UnplannedEntries FindUnplannedEntries(const ExportPlan& plan, std::size_t named);
