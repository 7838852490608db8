// Carrying out an export's plan: the thumbnails, pages and copies on worker threads, writing only
// what differs from what the export folder holds.

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <unordered_set>

#include "ExportCache.h"
#include "ExportPlan.h"
#include "FileWrite.h"
#include "HeapUse.h"
#include "MediaModule.h"
#include "ModernPageComposer.h"
#include "PageInputs.h"
#include "ParallelFor.h"
#include "TextEncoder.h"
#include "ThumbnailFile.h"
#include "Utf8Path.h"
#include "VideoPoster.h"

namespace fs = std::filesystem;

namespace {

// What one thread composes pages with. The parts of a page that are the same on every page come
// from the plan; the thread's own encoder converts texts, as an encoder serves one thread.
struct Worker {
    Worker(const ExportPlan& plan, const std::vector<char>& thumbnailFailed,
           const std::vector<char>& viewFailed)
        : encoder(plan.charset),
          links(plan.linkedFiles, &thumbnailFailed),
          writer(plan.pageOption, plan.layout, links, &encoder),
          composer(writer, plan.frame),
          modern(plan, plan.pageOption, links, &viewFailed) {}

    CTextEncoder encoder;
    CPlannedLinks links;
    CHtmlWriter writer;
    CPageComposer composer;
    CModernPageComposer modern;
    std::string text;      // the page as composed, lines ending in LF
    std::string bytes;     // the page as written, lines ending in CR LF
    std::string existing;  // the file the folder holds under the page's name
};

// Lines joined with CR LF, as pages are written, in one pass over the text.
void ToCrLf(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size() + text.size() / 16 + 16);
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end) {
        const auto* lineFeed =
            static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
        if (lineFeed == nullptr) {
            out.append(at, end);
            break;
        }
        out.append(at, lineFeed);
        out += "\r\n";
        at = lineFeed + 1;
    }
}

// Whether the folder holds, under that name, a regular file (not a link) with exactly these bytes.
bool HoldsBytes(const CFolderHandle& folder, const std::string& name, std::string_view bytes,
                std::string& buffer) {
    const EntryStatus status = folder.Status(name);
    if (status.type != EntryType::File || status.size != bytes.size()) return false;
    std::error_code error;
    const CFileDescriptor file = folder.OpenFileForReading(name, error);
    if (!file.IsOpen()) return false;
    buffer.resize(bytes.size() + 1);
    // One byte more than expected is asked for, so a file that grew meanwhile is seen.
    const std::size_t got = ReadUpTo(file, buffer.data(), buffer.size());
    return got == bytes.size() && std::memcmp(buffer.data(), bytes.data(), got) == 0;
}

// The names of what the plan makes: pages at the top, copies in their category folders,
// thumbnails and view pictures in theirs.
struct PlannedNames {
    using Names = std::unordered_set<std::string_view>;
    Names pages;
    Names copies[kCategoryFolderCount];
    Names thumbnails;
    Names views;

    explicit PlannedNames(const ExportPlan& plan) {
        pages.reserve(plan.pages.size());
        for (const PlannedPage& page : plan.pages) pages.insert(OnDisk(page.fileName));
        if (plan.copyFiles)
            for (const LinkedFile& file : plan.linkedFiles.Files())
                if (!file.name.empty()) copies[file.folder].insert(OnDisk(file.name));
        for (const std::size_t index : plan.thumbnails)
            if (const LinkedFile& file = plan.linkedFiles.Files()[index]; !file.thumbName.empty()) {
                thumbnails.insert(OnDisk(file.thumbName));
                if (!file.thumb1xName.empty()) thumbnails.insert(OnDisk(file.thumb1xName));
                if (!file.pagePosterName.empty()) thumbnails.insert(OnDisk(file.pagePosterName));
            }
        for (const std::size_t index : plan.views) {
            const LinkedFile& file = plan.linkedFiles.Files()[index];
            views.insert(OnDisk(file.viewName));
            if (!file.view2xName.empty()) views.insert(OnDisk(file.view2xName));
        }
    }

private:
    // A name of the plan as a listing of the folder gives it back: the plan's own text where the
    // system's names are bytes (no copy of thirty thousand names), else converted and kept here.
    std::string_view OnDisk(std::string_view name) {
        if constexpr (std::is_same_v<fs::path::value_type, char>)
            return name;
        else
            return converted.emplace_back(Utf8FromPath(PathFromBytes(name)));
    }

    std::deque<std::string> converted;
};

// Deletes everything in the export folder that the plan does not make: files and folders of other
// names, and entries of a planned name that are of the wrong kind (a folder where a page goes).
// With "Manual" copying the category folders end empty, as a fresh export leaves them. The
// user's own entries at the top (.git, CNAME ...) stay.
void DeleteWhatIsNotPlanned(const ExportPlan& plan, const CFolderHandle& folder,
                            const std::atomic<bool>* cancel, ExportResult& result) {
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
    const PlannedNames planned(plan);
    const auto& pages = planned.pages;
    const auto& copies = planned.copies;
    const auto& thumbnails = planned.thumbnails;
    const auto& views = planned.views;

    // Each entry with whether it is a folder, as the listing says: only an entry whose type the
    // file system does not tell is looked at.
    const auto entries = [&](const CFolderHandle& inside, const fs::path& shown) {
        std::vector<std::pair<std::string, bool>> found;
        std::error_code error;
        inside.List(
            [&](std::string_view name, fs::file_type type) {
                found.emplace_back(name, type == fs::file_type::directory);
                if (type == fs::file_type::none || type == fs::file_type::unknown)
                    found.back().second = inside.Status(name).type == EntryType::Folder;
            },
            error);
        if (error)
            result.failures.push_back(
                {Utf8FromPath(shown), "could not be read: " + error.message()});
        return found;
    };
    const auto remove = [&](const CFolderHandle& inside, const std::string& name,
                            const fs::path& shown) {
        result.entriesDeleted += RemoveExportEntry(inside, name, shown, result.failures);
    };
    const auto lookInside = [&](const std::string& name, const PlannedNames::Names& keep) {
        const fs::path shown = plan.exportFolder / name;
        std::error_code error;
        const CFolderHandle inside = folder.OpenFolder(name, error);
        if (!inside.IsOpen()) {
            // Something else took the folder's place since it was looked at.
            remove(folder, name, shown);
            return;
        }
        for (const auto& [entry, isFolder] : entries(inside, shown)) {
            if (cancelled()) return;
            if (!keep.contains(entry) || isFolder) remove(inside, entry, shown / entry);
        }
    };
    for (const auto& [name, isFolder] : entries(folder, plan.exportFolder)) {
        if (cancelled()) return;
        if (IsKeptTopEntry(name)) continue;
        std::size_t category = kCategoryFolderCount;
        for (std::size_t i = 0; i < kCategoryFolderCount; ++i)
            if (name == kCategoryFolderNames[i]) category = i;
        if (category < kCategoryFolderCount && isFolder)
            lookInside(name, copies[category]);
        else if (plan.pictures.thumbnails && name == kThumbnailFolderName && isFolder)
            lookInside(name, thumbnails);
        else if (!plan.views.empty() && name == kViewFolderName && isFolder)
            lookInside(name, views);
        else if (category < kCategoryFolderCount || !pages.contains(name) || isFolder)
            remove(folder, name, plan.exportFolder / name);
    }
}

// A sub-folder of the export folder that the export writes into, held open for the whole export.
struct OutputFolder {
    CFolderHandle handle;
    std::string problem;  // why it could not be made or opened
};

OutputFolder MakeOutputFolder(const CFolderHandle& exportFolder, std::string_view name) {
    OutputFolder made;
    std::error_code error;
    if (exportFolder.MakeFolder(name, error)) made.handle = exportFolder.OpenFolder(name, error);
    if (!made.handle.IsOpen())
        made.problem = "the folder " + std::string(name) + " could not be made: " + error.message();
    return made;
}

enum class Outcome { Written, UpToDate, Failed, Interrupted };

// The stamp of a file just made from a source, for the record: nothing when the source is not
// the file the plan looked at any more, as it may have changed while it was read. What the record
// keeps besides (the source's normal path and stamp) is the plan's, and is taken from it when the
// record is made.
std::optional<FileStamp> MadeFrom(const fs::path& target, const FoundSource& found) {
    if (found.state.kind != SourceState::Kind::Regular) return std::nullopt;
    const std::optional<FileStamp> made = StampOf(target, false);
    if (!made || StampOf(found.path, true) != found.state.stamp) return std::nullopt;
    return made;
}

class CPlanExecution {
public:
    CPlanExecution(const ExportPlan& plan, const ExportRun& run, bool fresh,
                   const CExportCache& previous, const CFolderHandle& folder)
        : plan(plan),
          run(run),
          fresh(fresh),
          previous(previous),
          exportFolder(folder),
          thumbnailFailed(plan.linkedFiles.FilesLinked(), 0),
          viewFailed(plan.linkedFiles.FilesLinked(), 0) {}

    void Run(ExportResult& result);
    // The record of every copy and thumbnail now in the folder, and of every page.
    std::vector<std::pair<std::string, MadeFile>> MadeFiles();
    std::vector<std::pair<std::string, WrittenPage>> WrittenPages();

private:
    enum class Kind { Page, Copy, Thumbnail, View };
    // Files a thumbnail or view picture task makes beside its first: their names in the record
    // and their stamps.
    using MoreMade = std::vector<std::pair<std::string, FileStamp>>;

    bool Stopped() const { return stop.load() || (run.cancel != nullptr && run.cancel->load()); }
    Kind KindOf(std::size_t task) const {
        if (task < plan.pages.size()) return Kind::Page;
        if (task < plan.pages.size() + plan.CopyCount()) return Kind::Copy;
        return task < plan.pages.size() + plan.CopyCount() + plan.ThumbnailCount() ? Kind::Thumbnail
                                                                                   : Kind::View;
    }
    void RunTasks(unsigned threads, std::size_t begin, std::size_t end);
    // The composing state of the thread running a task, made the first time it needs one.
    Worker& ThisWorker() {
        std::unique_ptr<Worker>& worker = workers[ParallelWorkerIndex()];
        if (!worker) worker = std::make_unique<Worker>(plan, thumbnailFailed, viewFailed);
        return *worker;
    }
    void Do(std::size_t task);
    Outcome WritePage(const PlannedPage& page, std::optional<ExportFailure>& failure,
                      std::optional<WrittenPage>& written);
    Outcome CopyFile(std::size_t file, std::optional<ExportFailure>& failure,
                     std::optional<FileStamp>& made);
    // What a copy reads, as the source's size was when the plan was made.
    std::uint64_t CopyBytes(std::size_t file) const {
        return plan.linkedFiles.Files()[file].found.state.stamp.size;
    }
    // A picture's thumbnail, and beside it the one at the box size (modern pages), whose record
    // goes into `more`.
    Outcome MakeThumbnail(std::size_t file, std::optional<ExportFailure>& failure,
                          std::optional<FileStamp>& made, MoreMade& more);
    // A picture's view pictures (modern pages); their records go into `more`.
    Outcome MakeView(std::size_t file, std::optional<ExportFailure>& failure, MoreMade& more);
    // Makes a picture file of `maxSide` from `from` unless the record proves the file `name` of
    // the folder up to date; its record goes into `more`.
    bool MakePicture(const fs::path& from, const OutputFolder& into, std::string_view folder,
                     const std::string& fileName, int maxSide, const LinkedFile& file,
                     bool& madeAny, std::string& reason, MoreMade& more);
    // Whether the folder's record proves the file made from that source up to date; `made`
    // then keeps the stamp it gives the file.
    bool UpToDate(std::string_view name, const OutputFolder& in, const std::string& entry,
                  const FoundSource& source, std::optional<FileStamp>& made) const;
    // The linked file a copy, thumbnail or view picture task makes a file of.
    const LinkedFile& FileOf(std::size_t task) const;

    const ExportPlan& plan;
    const ExportRun& run;
    const bool fresh;
    const CExportCache& previous;
    const CFolderHandle& exportFolder;
    OutputFolder categories[kCategoryFolderCount];
    OutputFolder thumbFolder;
    OutputFolder viewFolder;  // modern pages' view pictures
    // By the index of the linked file: its thumbnail could not be made. Written while the
    // thumbnails are made, read by the pages composed after them.
    std::vector<char> thumbnailFailed;
    std::vector<char> viewFailed;  // the same for the view pictures of modern pages
    // A thumbnail or view picture the plan counted on could not be made: the pages showing it
    // are no longer what their inputs say, so every page is composed.
    std::atomic<bool> unplannedFailure{false};
    std::vector<std::unique_ptr<Worker>> workers;  // by the index of the thread (ParallelFor)
    // With their tasks, so that they are given in plan order; only failed tasks take room.
    std::vector<std::pair<std::size_t, ExportFailure>> failures;
    // By task after the pages (the first copy's is at 0): the stamps of copies and thumbnails,
    // as a record of each is made only at the end.
    std::vector<std::optional<FileStamp>> made;
    // By task after the copies: the thumbnails at the box size and the view pictures of modern
    // pages.
    std::vector<MoreMade> moreMade;
    std::vector<std::optional<WrittenPage>> pageRecords;  // by task: pages
    std::mutex mutex;
    ExportProgress progress;
    std::size_t pagesWritten = 0;
    std::size_t filesCopied = 0;
    std::size_t thumbnailsMade = 0;
    std::atomic<std::size_t> pagesComposed{0};
    std::atomic<bool> stop{false};
};

Outcome CPlanExecution::WritePage(const PlannedPage& page, std::optional<ExportFailure>& failure,
                                  std::optional<WrittenPage>& written) {
    const std::string name = Utf8FromPath(PathFromBytes(page.fileName));
    const fs::path path = plan.exportFolder / name;
    const PageHash inputs = unplannedFailure.load() ? kUnknownInputs : page.inputs;
    if (!fresh && inputs != kUnknownInputs) {
        if (const WrittenPage* before =
                previous.PageMadeFrom(page.fileName, exportFolder, name, inputs)) {
            written = *before;
            return Outcome::UpToDate;
        }
    }
    ++pagesComposed;
    Worker& worker = ThisWorker();
    const PlannedFolder& folder = plan.folders[page.folder];
    if (plan.style == PageStyle::Modern) {
        // Modern pages end their lines in LF alone, as every browser and server expects.
        worker.bytes = worker.modern.Compose(page);
    } else {
        std::string itemRows;
        if (folder.pageCount > 0)
            itemRows = worker.composer.BuildCanvasPage(folder.folder, plan.layout.mainCanvas.rows,
                                                       plan.layout.mainCanvas.columns, page.index);
        worker.text.clear();
        worker.composer.AppendPage(worker.text, PlannedPageTexts(plan, worker.writer, page.folder,
                                                                 page.index, std::move(itemRows)));
        ToCrLf(worker.text, worker.bytes);
    }
    const PageHash hash = HashOfPage(worker.bytes);
    const auto record = [&] {
        if (const std::optional<FileStamp> stamp = StampOf(path, false))
            written = WrittenPage{*stamp, hash, inputs};
    };
    if (!fresh && (previous.HoldsPage(page.fileName, exportFolder, name, hash) ||
                   HoldsBytes(exportFolder, name, worker.bytes, worker.existing))) {
        record();
        return Outcome::UpToDate;
    }
    const FileWriteResult replaced = ReplaceFile(exportFolder, name, path, worker.bytes);
    if (!replaced) {
        failure = ExportFailure{Utf8FromPath(path), "could not be written: " + replaced.reason};
        return Outcome::Failed;
    }
    record();
    return Outcome::Written;
}

bool CPlanExecution::UpToDate(std::string_view name, const OutputFolder& in,
                              const std::string& entry, const FoundSource& source,
                              std::optional<FileStamp>& made) const {
    if (fresh || source.state.kind != SourceState::Kind::Regular ||
        !previous.Holds(name, in.handle, entry, source.normalPath, source.state.stamp))
        return false;
    made = previous.Find(name)->made;
    return true;
}

Outcome CPlanExecution::CopyFile(std::size_t index, std::optional<ExportFailure>& failure,
                                 std::optional<FileStamp>& made) {
    const LinkedFile& file = plan.linkedFiles.Files()[index];
    if (file.name.empty() || file.found.state.kind == SourceState::Kind::Ambiguous) {
        failure = ExportFailure{file.source, file.found.state.reason};
        return Outcome::Failed;
    }
    const std::string_view folder = kCategoryFolderNames[file.folder];
    const std::string fileName = Utf8FromPath(PathFromBytes(file.name));
    // Made only for a copy that is made: most of a re-export's copies are up to date.
    const auto targetPath = [&] { return plan.exportFolder / PathFromBytes(folder) / fileName; };
    const OutputFolder& category = categories[file.folder];
    if (!category.handle.IsOpen()) {
        failure =
            ExportFailure{file.source, "could not be copied to " + Utf8FromPath(targetPath()) +
                                           ": " + category.problem};
        return Outcome::Failed;
    }
    const std::string name = MadeFileName(folder, file.name);
    if (UpToDate(name, category, fileName, file.found, made)) return Outcome::UpToDate;
    const fs::path target = targetPath();
    const fs::path& from = file.found.path;
    const FileWriteResult copied =
        ReplaceFileWithCopy(from, category.handle, fileName, target, run.cancel);
    if (copied) {
        made = MadeFrom(target, file.found);
        return Outcome::Written;
    }
    if (copied.reason == kInterruptedReason) return Outcome::Interrupted;
    if (copied.readFailed) {
        // Only a failed copy asks the file system why, keeping the usual path at one copy call.
        std::error_code statusError;
        const fs::file_status status = fs::status(from, statusError);
        if (!fs::exists(status))
            failure = ExportFailure{file.source, "the file does not exist"};
        else if (!fs::is_regular_file(status))
            failure =
                ExportFailure{file.source, "not a regular file but " +
                                               std::string(FileTypeDescription(status.type()))};
        else
            failure = ExportFailure{file.source, "could not be read: " + copied.reason};
    } else {
        failure = ExportFailure{
            file.source, "could not be copied to " + Utf8FromPath(target) + ": " + copied.reason};
    }
    return Outcome::Failed;
}

Outcome CPlanExecution::MakeThumbnail(std::size_t index, std::optional<ExportFailure>& failure,
                                      std::optional<FileStamp>& made, MoreMade& more) {
    const LinkedFile& file = plan.linkedFiles.Files()[index];
    const auto failed = [&](const std::string& reason) {
        thumbnailFailed[index] = 1;
        // A picture the plan knew unreadable has no thumbnail on any page anyway.
        if (!file.thumbName.empty()) unplannedFailure = true;
        failure = ExportFailure{
            file.source,
            file.video
                ? "no poster was made (" + reason + "); the page links to the video"
                : "no thumbnail was made (" + reason + "); the page shows the picture itself"};
        return Outcome::Failed;
    };
    if (file.thumbName.empty()) return failed(file.pictureProblem);
    if (!thumbFolder.handle.IsOpen()) return failed(thumbFolder.problem);
    const std::string name = Utf8FromPath(PathFromBytes(file.thumbName));
    const fs::path target = plan.exportFolder / PathFromBytes(kThumbnailFolderName) / name;
    bool madeAny = false;
    // A video's poster for its page comes from the frame decoded for its thumbnail.
    std::vector<PosterFile> posters;
    std::optional<FileStamp> pagePoster;
    const std::string pagePosterRecord = MadeFileName(kThumbnailFolderName, file.pagePosterName);
    const fs::path pagePosterTarget = plan.exportFolder / PathFromBytes(kThumbnailFolderName) /
                                      PathFromBytes(file.pagePosterName);
    const bool thumbnailUpToDate = UpToDate(MadeFileName(kThumbnailFolderName, file.thumbName),
                                            thumbFolder, name, file.found, made);
    if (!thumbnailUpToDate) posters.push_back({name, target, plan.ThumbnailSide()});
    const std::string pagePosterEntry = Utf8FromPath(PathFromBytes(file.pagePosterName));
    const bool pagePosterMade =
        !file.pagePosterName.empty() &&
        !UpToDate(pagePosterRecord, thumbFolder, pagePosterEntry, file.found, pagePoster);
    if (pagePosterMade) posters.push_back({pagePosterEntry, pagePosterTarget, plan.pictures.view});
    if (!posters.empty()) {
        const ThumbnailOutcome outcome =
            file.video
                ? MakePosterFiles(file.found.path, thumbFolder.handle, posters,
                                  plan.pictures.quality, plan.MaxThumbnailPixels())
                : MakeThumbnailFile(file.found.path, thumbFolder.handle, name, target,
                                    plan.ThumbnailSide(),
                                    file.thumbPng ? ThumbnailFormat::Png : ThumbnailFormat::Jpeg,
                                    plan.pictures.quality, plan.MaxThumbnailPixels());
        if (!outcome.ok) {
            // A thumbnail of what the source was before is no longer the picture's.
            std::error_code ignored;
            for (const PosterFile& poster : posters)
                thumbFolder.handle.RemoveFile(poster.name, ignored);
            return failed(outcome.reason);
        }
        if (!thumbnailUpToDate) made = MadeFrom(target, file.found);
        if (pagePosterMade) pagePoster = MadeFrom(pagePosterTarget, file.found);
        madeAny = true;
    }
    if (pagePoster) more.emplace_back(pagePosterRecord, *pagePoster);
    // The one at the box size is made from the other, which is small and decoded quickly.
    std::string reason;
    if (!file.thumb1xName.empty() &&
        !MakePicture(target, thumbFolder, kThumbnailFolderName, file.thumb1xName, plan.pictures.box,
                     file, madeAny, reason, more))
        return failed(reason);
    return madeAny ? Outcome::Written : Outcome::UpToDate;
}

bool CPlanExecution::MakePicture(const fs::path& from, const OutputFolder& into,
                                 std::string_view folder, const std::string& fileName, int maxSide,
                                 const LinkedFile& file, bool& madeAny, std::string& reason,
                                 MoreMade& more) {
    if (!into.handle.IsOpen()) {
        reason = into.problem;
        return false;
    }
    const std::string name = Utf8FromPath(PathFromBytes(fileName));
    const fs::path target = plan.exportFolder / PathFromBytes(folder) / name;
    const std::string recordName = MadeFileName(folder, fileName);
    std::optional<FileStamp> record;
    if (!UpToDate(recordName, into, name, file.found, record)) {
        const ThumbnailOutcome outcome =
            MakeThumbnailFile(from, into.handle, name, target, maxSide,
                              file.thumbPng ? ThumbnailFormat::Png : ThumbnailFormat::Jpeg,
                              plan.pictures.quality, plan.MaxThumbnailPixels());
        if (!outcome.ok) {
            std::error_code ignored;
            into.handle.RemoveFile(name, ignored);
            reason = outcome.reason;
            return false;
        }
        record = MadeFrom(target, file.found);
        madeAny = true;
    }
    if (record) more.emplace_back(recordName, *record);
    return true;
}

Outcome CPlanExecution::MakeView(std::size_t index, std::optional<ExportFailure>& failure,
                                 MoreMade& more) {
    const LinkedFile& file = plan.linkedFiles.Files()[index];
    const int side = plan.pictures.view;
    bool madeAny = false;
    std::string reason;
    for (const auto& [name, maxSide] :
         {std::pair<const std::string&, int>{file.viewName, side}, {file.view2xName, 2 * side}}) {
        if (name.empty() || MakePicture(file.found.path, viewFolder, kViewFolderName, name, maxSide,
                                        file, madeAny, reason, more))
            continue;
        viewFailed[index] = 1;
        unplannedFailure = true;
        failure = ExportFailure{file.source, "no view picture was made (" + reason +
                                                 "); its page shows the picture itself"};
        return Outcome::Failed;
    }
    return madeAny ? Outcome::Written : Outcome::UpToDate;
}

void CPlanExecution::Do(std::size_t task) {
    if (Stopped()) return;
    const Kind kind = KindOf(task);
    const std::size_t pagesAndCopies = plan.pages.size() + plan.CopyCount();
    std::optional<ExportFailure> failure;
    Outcome outcome = Outcome::Failed;
    switch (kind) {
        case Kind::Page:
            outcome = WritePage(plan.pages[task], failure, pageRecords[task]);
            break;
        case Kind::Copy:
            outcome = CopyFile(task - plan.pages.size(), failure, made[task - plan.pages.size()]);
            break;
        case Kind::Thumbnail:
            outcome =
                MakeThumbnail(plan.thumbnails[task - pagesAndCopies], failure,
                              made[task - plan.pages.size()], moreMade[task - pagesAndCopies]);
            break;
        case Kind::View:
            outcome = MakeView(plan.views[task - pagesAndCopies - plan.ThumbnailCount()], failure,
                               moreMade[task - pagesAndCopies]);
            break;
    }
    if (outcome == Outcome::Interrupted) return;
    const std::scoped_lock lock(mutex);
    if (failure) failures.emplace_back(task, std::move(*failure));
    std::size_t* done = &progress.pagesDone;
    std::size_t* upToDate = &progress.pagesUpToDate;
    std::size_t* written = &pagesWritten;
    if (kind == Kind::Copy) {
        done = &progress.filesDone;
        upToDate = &progress.filesUpToDate;
        written = &filesCopied;
    } else if (kind == Kind::Thumbnail || kind == Kind::View) {
        done = &progress.thumbnailsDone;
        upToDate = &progress.thumbnailsUpToDate;
        written = &thumbnailsMade;
    }
    if (kind == Kind::Copy) progress.bytesDone += CopyBytes(task - plan.pages.size());
    ++*done;
    if (outcome == Outcome::UpToDate) ++*upToDate;
    if (outcome == Outcome::Written) ++*written;
    if (run.progress && !run.progress(progress)) stop = true;
}

void CPlanExecution::RunTasks(unsigned threads, std::size_t begin, std::size_t end) {
    // With one thread everything is done in plan order, as a test may need to see it.
    ParallelFor(begin, end, threads, [this](std::size_t task) { Do(task); });
}

void CPlanExecution::Run(ExportResult& result) {
    // A sub-folder that cannot be made shows up as failed copies into it.
    for (std::size_t i = 0; i < kCategoryFolderCount; ++i)
        categories[i] = MakeOutputFolder(exportFolder, kCategoryFolderNames[i]);
    if (plan.pictures.thumbnails)
        thumbFolder = MakeOutputFolder(exportFolder, kThumbnailFolderName);
    if (!plan.views.empty()) viewFolder = MakeOutputFolder(exportFolder, kViewFolderName);
    const std::size_t pagesAndCopies = plan.pages.size() + plan.CopyCount();
    const std::size_t total = pagesAndCopies + plan.ThumbnailCount() + plan.ViewCount();
    made.assign(total - plan.pages.size(), std::nullopt);
    moreMade.assign(total - pagesAndCopies, {});
    pageRecords.assign(plan.pages.size(), std::nullopt);
    progress.pagesTotal = plan.pages.size();
    progress.filesTotal = plan.CopyCount();
    for (std::size_t copy = 0; copy < plan.CopyCount(); ++copy)
        progress.bytesTotal += CopyBytes(copy);
    // The view pictures of modern pages count as thumbnails: they are made alike.
    progress.thumbnailsTotal = plan.ThumbnailCount() + plan.ViewCount();
    // More threads than the processors this process may use would only take turns.
    const unsigned cores = ProcessorCount();
    const unsigned threads = run.threads > 0 ? std::min<unsigned>(run.threads, cores) : cores;
    workers.resize(threads);
    // The thumbnails and view pictures first: a page shows the picture itself where one failed.
    RunTasks(threads, pagesAndCopies, total);
    RunTasks(threads, 0, pagesAndCopies);
    // The composing state of the threads is not needed for the record made next.
    workers.clear();
    std::sort(failures.begin(), failures.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [task, failure] : failures) result.failures.push_back(std::move(failure));
    decltype(failures)().swap(failures);
    result.pagesWritten = pagesWritten;
    result.filesCopied = filesCopied;
    result.thumbnailsMade = thumbnailsMade;
    result.pagesComposed = pagesComposed;
    result.pagesUpToDate = progress.pagesUpToDate;
    result.filesUpToDate = progress.filesUpToDate;
    result.thumbnailsUpToDate = progress.thumbnailsUpToDate;
    result.status = Stopped() ? ExportStatus::Stopped : ExportStatus::Completed;
}

const LinkedFile& CPlanExecution::FileOf(std::size_t task) const {
    const auto& files = plan.linkedFiles.Files();
    const std::size_t pagesAndCopies = plan.pages.size() + plan.CopyCount();
    switch (KindOf(task)) {
        case Kind::Copy:
            return files[task - plan.pages.size()];
        case Kind::Thumbnail:
            return files[plan.thumbnails[task - pagesAndCopies]];
        default:
            return files[plan.views[task - pagesAndCopies - plan.ThumbnailCount()]];
    }
}

std::vector<std::pair<std::string, MadeFile>> CPlanExecution::MadeFiles() {
    const std::size_t copies = plan.CopyCount();
    std::vector<std::pair<std::string, MadeFile>> records;
    std::size_t count = 0;
    for (std::size_t at = 0; at < made.size(); ++at)
        count += (at >= copies ? moreMade[at - copies].size() : 0) + (made[at] ? 1 : 0);
    records.reserve(count);
    for (std::size_t at = 0; at < made.size(); ++at) {
        const std::size_t task = at + plan.pages.size();
        const LinkedFile& file = FileOf(task);
        const auto record = [&](const FileStamp& stamp) {
            return MadeFile{stamp, file.found.normalPath, file.found.state.stamp};
        };
        if (at >= copies)
            for (auto& [name, stamp] : moreMade[at - copies])
                records.emplace_back(std::move(name), record(stamp));
        if (!made[at]) continue;
        records.emplace_back(KindOf(task) == Kind::Copy
                                 ? MadeFileName(kCategoryFolderNames[file.folder], file.name)
                                 : MadeFileName(kThumbnailFolderName, file.thumbName),
                             record(*made[at]));
    }
    // The record is made from these next: the execution's own copies would only add to it.
    decltype(made)().swap(made);
    decltype(moreMade)().swap(moreMade);
    return records;
}

std::vector<std::pair<std::string, WrittenPage>> CPlanExecution::WrittenPages() {
    std::vector<std::pair<std::string, WrittenPage>> records;
    records.reserve(static_cast<std::size_t>(std::count_if(
        pageRecords.begin(), pageRecords.end(),
        [](const std::optional<WrittenPage>& record) { return record.has_value(); })));
    for (std::size_t task = 0; task < pageRecords.size(); ++task)
        if (pageRecords[task]) records.emplace_back(plan.pages[task].fileName, *pageRecords[task]);
    decltype(pageRecords)().swap(pageRecords);
    return records;
}

// Carries the plan out; `release` is the plan itself when the caller has no more use for it, so
// that its memory is given back before the folder's record is made.
void CarryOut(const ExportPlan& plan, ExportPlan* release, const ExportRun& run, bool fresh,
              const CFolderHandle& folder, ExportResult& result) {
    // What planning freed, on its threads too, is not kept for the threads about to start.
    ReleaseFreeHeap();
    if (!fresh) DeleteWhatIsNotPlanned(plan, folder, run.cancel, result);
    const CExportCache none;
    const CExportCache& previous = fresh ? none : plan.record;
    CPlanExecution execution(plan, run, fresh, previous, folder);
    execution.Run(result);
    if (result.status != ExportStatus::Completed) return;
    CExportCache cache = previous.Emptied();
    std::vector<std::pair<std::string, std::pair<FileStamp, PictureFacts>>> pictures;
    const auto& files = plan.linkedFiles.Files();
    for (std::size_t i = 0; i < plan.pictureFacts.size(); ++i)
        if (plan.pictureFacts[i] && files[i].found.state.kind == SourceState::Kind::Regular)
            pictures.emplace_back(files[i].found.normalPath,
                                  std::pair{files[i].found.state.stamp, *plan.pictureFacts[i]});
    std::vector<std::pair<std::string, std::pair<FileStamp, VideoProbe>>> videos;
    for (const auto& [index, probe] : plan.videoProbes)
        videos.emplace_back(files[index].found.normalPath,
                            std::pair{files[index].found.state.stamp, probe});
    std::vector<std::pair<std::string, MadeFile>> made = execution.MadeFiles();
    std::vector<std::pair<std::string, WrittenPage>> written = execution.WrittenPages();
    // Only a run that left everything as a fresh export would may vouch for the next one.
    std::optional<ExportShortcut> shortcut;
    if (run.digest != PageHash{} && result.failures.empty() && !MediaModuleFailure()) {
        shortcut =
            ExportShortcut{run.digest,
                           run.inputs,
                           result.pagesWritten + result.pagesUpToDate,
                           result.filesCopied + result.filesUpToDate,
                           result.thumbnailsMade + result.thumbnailsUpToDate,
                           {kCategoryFolderNames, kCategoryFolderNames + kCategoryFolderCount}};
        if (plan.pictures.thumbnails) shortcut->folders.emplace_back(kThumbnailFolderName);
        if (!plan.views.empty()) shortcut->folders.emplace_back(kViewFolderName);
        std::sort(shortcut->folders.begin(), shortcut->folders.end());
    }
    const fs::path exportFolder = plan.exportFolder;
    const std::string project = plan.project;
    if (release != nullptr) {
        // Everything the record needs is taken: the plan, the largest thing in memory, goes
        // before the record's tables and bytes are made, and so do the workers' arenas.
        const ExportPlan released = std::move(*release);
    }
    ReleaseFreeHeap();
    cache.Replace(std::move(made), std::move(written), std::move(pictures), std::move(videos));
    if (shortcut) cache.SetShortcut(std::move(*shortcut));
    // A record that cannot be written only means that the next export makes everything again.
    cache.Write(folder, exportFolder, project);
}

}  // namespace

void CarryOutExportPlan(const ExportPlan& plan, const ExportRun& run, bool fresh,
                        const CFolderHandle& folder, ExportResult& result) {
    CarryOut(plan, nullptr, run, fresh, folder, result);
}

void CarryOutExportPlan(ExportPlan&& plan, const ExportRun& run, bool fresh,
                        const CFolderHandle& folder, ExportResult& result) {
    CarryOut(plan, &plan, run, fresh, folder, result);
}

UnplannedEntries FindUnplannedEntries(const ExportPlan& plan, std::size_t named) {
    // The same sorting as DeleteWhatIsNotPlanned, reading only, so the folder is listed by path.
    UnplannedEntries found;
    if (plan.exportFolder.empty()) return found;
    const PlannedNames planned(plan);
    const auto note = [&](const fs::path& path) {
        if (found.names.size() < named)
            found.names.push_back(Utf8FromPath(path.lexically_relative(plan.exportFolder)));
        ++found.count;
    };
    const auto entries = [&](const fs::path& folder) {
        std::vector<fs::directory_entry> listed;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error))
            listed.push_back(*it);
        if (error && error != std::errc::no_such_file_or_directory) found.unreadable = true;
        std::sort(listed.begin(), listed.end());
        return listed;
    };
    const auto isFolder = [](const fs::directory_entry& entry) {
        std::error_code error;
        return !entry.is_symlink(error) && entry.is_directory(error);
    };
    const auto lookInside = [&](const fs::directory_entry& entry, const PlannedNames::Names& keep) {
        for (const fs::directory_entry& inside : entries(entry.path()))
            if (!keep.contains(Utf8FromPath(inside.path().filename())) || isFolder(inside))
                note(inside.path());
    };
    for (const fs::directory_entry& entry : entries(plan.exportFolder)) {
        const std::string name = Utf8FromPath(entry.path().filename());
        if (name == kExportCacheName || IsKeptTopEntry(name)) continue;
        std::size_t category = kCategoryFolderCount;
        for (std::size_t i = 0; i < kCategoryFolderCount; ++i)
            if (name == kCategoryFolderNames[i]) category = i;
        if (category < kCategoryFolderCount && isFolder(entry))
            lookInside(entry, planned.copies[category]);
        else if (plan.pictures.thumbnails && name == kThumbnailFolderName && isFolder(entry))
            lookInside(entry, planned.thumbnails);
        else if (!plan.views.empty() && name == kViewFolderName && isFolder(entry))
            lookInside(entry, planned.views);
        else if (category < kCategoryFolderCount || !planned.pages.contains(name) ||
                 isFolder(entry))
            note(entry.path());
    }
    return found;
}
