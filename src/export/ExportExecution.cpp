// Carrying out an export's plan: the thumbnails, pages and copies on worker threads, writing only
// what differs from what the export folder holds.
#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <unordered_set>

#if defined(_WIN32)
#include <chrono>
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "ExportCache.h"
#include "ExportPlan.h"
#include "FileWrite.h"
#include "TextEncoder.h"
#include "ThumbnailFile.h"

namespace fs = std::filesystem;

namespace {

// What one thread composes pages with. The parts of a page that are the same on every page come
// from the plan; the thread's own encoder converts texts, as an encoder serves one thread.
struct Worker {
    Worker(const ExportPlan& plan, const CPageOption& pageOption,
           const std::vector<char>& thumbnailFailed)
        : encoder(plan.charset),
          links(plan.linkedFiles, &thumbnailFailed),
          writer(pageOption, plan.layout, links, &encoder),
          composer(writer, plan.frame) {}

    CTextEncoder encoder;
    CPlannedLinks links;
    CHtmlWriter writer;
    CPageComposer composer;
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
bool HoldsBytes(const fs::path& path, std::string_view bytes, std::string& buffer) {
#if !defined(_WIN32)
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uintmax_t>(status.st_size) != bytes.size())
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    buffer.resize(bytes.size() + 1);
    std::size_t got = 0;
    // One byte more than expected is asked for, so a file that grew meanwhile is seen.
    while (got < buffer.size()) {
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return got == bytes.size() && std::memcmp(buffer.data(), bytes.data(), got) == 0;
#else
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error)) || !fs::is_regular_file(path, error) ||
        fs::file_size(path, error) != bytes.size())
        return false;
    std::ifstream in(path, std::ios::binary);
    buffer.assign(bytes.size(), '\0');
    in.read(buffer.data(), static_cast<std::streamsize>(bytes.size()));
    return in && buffer == bytes;
#endif
}

// A folder, not a link to one; the type the folder listing gave is used when there is one.
bool IsRealFolder(const fs::directory_entry& entry) {
    std::error_code error;
    return !entry.is_symlink(error) && entry.is_directory(error);
}

// The last name of a path the folder listing gave, without taking the path apart.
std::string NameOf(const fs::path& path) {
    const auto& native = path.native();
    const std::size_t separator = native.find_last_of(fs::path::preferred_separator);
    return fs::path(separator == native.npos ? native : native.substr(separator + 1)).string();
}

// Deletes everything in the export folder that the plan does not make: files and folders of other
// names, and entries of a planned name that are of the wrong kind (a folder where a page goes).
// With "Manual" copying the category folders end empty, as a fresh export leaves them.
void DeleteWhatIsNotPlanned(const ExportPlan& plan, const std::atomic<bool>* cancel,
                            ExportResult& result) {
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
    const auto remove = [&](const fs::path& path) {
        if (RemoveExportEntry(path, result.failures)) ++result.entriesDeleted;
    };
    std::unordered_set<std::string> pages;
    for (const PlannedPage& page : plan.pages) pages.insert(PathFromBytes(page.fileName).string());
    std::unordered_set<std::string> copies[kCategoryFolderCount];
    if (plan.copyFiles)
        for (const LinkedFile& file : plan.linkedFiles.Files())
            if (!file.name.empty()) copies[file.folder].insert(PathFromBytes(file.name).string());
    std::unordered_set<std::string> thumbnails;
    for (const std::size_t index : plan.thumbnails)
        if (const LinkedFile& file = plan.linkedFiles.Files()[index]; !file.thumbName.empty())
            thumbnails.insert(PathFromBytes(file.thumbName).string());

    const auto entries = [&](const fs::path& folder) {
        std::vector<fs::directory_entry> found;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error))
            found.push_back(*it);
        if (error)
            result.failures.push_back({folder.string(), "could not be read: " + error.message()});
        return found;
    };
    const auto lookInside = [&](const fs::directory_entry& entry,
                                const std::unordered_set<std::string>& keep) {
        for (const fs::directory_entry& inside : entries(entry.path())) {
            if (cancelled()) return;
            if (!keep.contains(NameOf(inside.path())) || IsRealFolder(inside))
                remove(inside.path());
        }
    };
    for (const fs::directory_entry& entry : entries(plan.exportFolder)) {
        if (cancelled()) return;
        const std::string name = NameOf(entry.path());
        if (name == kExportCacheName) continue;
        std::size_t category = kCategoryFolderCount;
        for (std::size_t i = 0; i < kCategoryFolderCount; ++i)
            if (name == kCategoryFolderNames[i]) category = i;
        if (category < kCategoryFolderCount && IsRealFolder(entry)) {
            lookInside(entry, copies[category]);
        } else if (plan.pictures.thumbnails && name == kThumbnailFolderName &&
                   IsRealFolder(entry)) {
            lookInside(entry, thumbnails);
        } else if (category < kCategoryFolderCount || !pages.contains(name) ||
                   IsRealFolder(entry)) {
            remove(entry.path());
        }
    }
}

enum class Outcome { Written, UpToDate, Failed, Interrupted };

// The record of a file just made from a source: nothing when the source is not the file the plan
// looked at any more, as it may have changed while it was read.
std::optional<MadeFile> MadeFrom(const fs::path& target, const FoundSource& found) {
    if (found.state.kind != SourceState::Kind::Regular) return std::nullopt;
    const std::optional<FileStamp> made = StampOf(target, false);
    const std::optional<FileStamp> source = StampOf(found.path, true);
    if (!made || source != found.state.stamp) return std::nullopt;
    return MadeFile{*made, found.normalPath, *source};
}

class CPlanExecution {
public:
    CPlanExecution(const ExportPlan& plan, const ExportParameters& parameters, bool fresh,
                   const CExportCache& previous)
        : plan(plan),
          parameters(parameters),
          fresh(fresh),
          previous(previous),
          thumbnailFailed(plan.linkedFiles.FilesLinked(), 0),
          workers([this] {
              return std::make_unique<Worker>(this->plan, this->parameters.pageOption,
                                              thumbnailFailed);
          }) {}

    void Run(ExportResult& result);
    // The record of every copy and thumbnail now in the folder, and of every page.
    std::vector<std::pair<std::string, MadeFile>> MadeFiles();
    std::vector<std::pair<std::string, WrittenPage>> WrittenPages();

private:
    enum class Kind { Page, Copy, Thumbnail };

    bool Stopped() const {
        return stop.load() || (parameters.cancel != nullptr && parameters.cancel->load());
    }
    Kind KindOf(std::size_t task) const {
        if (task < plan.pages.size()) return Kind::Page;
        return task < plan.pages.size() + plan.CopyCount() ? Kind::Copy : Kind::Thumbnail;
    }
    void RunTasks(tbb::task_arena* arena, std::size_t begin, std::size_t end);
    void Do(std::size_t task);
    Outcome WritePage(const PlannedPage& page, std::optional<ExportFailure>& failure,
                      std::optional<WrittenPage>& written);
    Outcome CopyFile(std::size_t file, std::optional<ExportFailure>& failure,
                     std::optional<MadeFile>& made);
    Outcome MakeThumbnail(std::size_t file, std::optional<ExportFailure>& failure,
                          std::optional<MadeFile>& made);
    // Whether the folder's record proves the file made from that source up to date; `made`
    // then keeps the record.
    bool UpToDate(std::string_view name, const fs::path& target, const FoundSource& source,
                  std::optional<MadeFile>& made) const;

    const ExportPlan& plan;
    const ExportParameters& parameters;
    const bool fresh;
    const CExportCache& previous;
    // By the index of the linked file: its thumbnail could not be made. Written while the
    // thumbnails are made, read by the pages composed after them.
    std::vector<char> thumbnailFailed;
    tbb::enumerable_thread_specific<std::unique_ptr<Worker>> workers;
    std::vector<std::optional<ExportFailure>> failures;  // by task, so that they come in plan order
    std::vector<std::optional<MadeFile>> made;           // by task: copies and thumbnails
    std::vector<std::optional<WrittenPage>> pageRecords;  // by task: pages
    std::mutex mutex;
    ExportProgress progress;
    std::size_t pagesWritten = 0;
    std::size_t filesCopied = 0;
    std::size_t thumbnailsMade = 0;
    std::atomic<bool> stop{false};
};

Outcome CPlanExecution::WritePage(const PlannedPage& page, std::optional<ExportFailure>& failure,
                                  std::optional<WrittenPage>& written) {
    Worker& worker = *workers.local();
    const PlannedFolder& folder = plan.folders[page.folder];
    std::string itemRows;
    if (folder.pageCount > 0)
        itemRows =
            worker.composer.BuildCanvasPage(folder.node->Folder(), plan.layout.mainCanvas.rows,
                                            plan.layout.mainCanvas.columns, page.index);
    worker.text.clear();
    worker.composer.AppendPage(worker.text, PlannedPageTexts(plan, worker.writer, page.folder,
                                                             page.index, std::move(itemRows)));
    ToCrLf(worker.text, worker.bytes);
    const fs::path path = plan.exportFolder / PathFromBytes(page.fileName);
    const PageHash hash = HashOfPage(worker.bytes);
    const auto record = [&] {
        if (const std::optional<FileStamp> stamp = StampOf(path, false))
            written = WrittenPage{*stamp, hash};
    };
    if (!fresh && (previous.HoldsPage(page.fileName, path, hash) ||
                   HoldsBytes(path, worker.bytes, worker.existing))) {
        record();
        return Outcome::UpToDate;
    }
    const FileWriteResult replaced = ReplaceFile(path, worker.bytes);
    if (!replaced) {
        failure = ExportFailure{path.string(), "could not be written: " + replaced.reason};
        return Outcome::Failed;
    }
    record();
    return Outcome::Written;
}

bool CPlanExecution::UpToDate(std::string_view name, const fs::path& target,
                              const FoundSource& source, std::optional<MadeFile>& made) const {
    if (fresh || source.state.kind != SourceState::Kind::Regular ||
        !previous.Holds(name, target, source.normalPath, source.state.stamp))
        return false;
    made = *previous.Find(name);
    return true;
}

Outcome CPlanExecution::CopyFile(std::size_t index, std::optional<ExportFailure>& failure,
                                 std::optional<MadeFile>& made) {
    const LinkedFile& file = plan.linkedFiles.Files()[index];
    if (file.name.empty() || file.found.state.kind == SourceState::Kind::Ambiguous) {
        failure = ExportFailure{file.source, file.found.state.reason};
        return Outcome::Failed;
    }
    const std::string_view folder = kCategoryFolderNames[file.folder];
    const fs::path target = plan.exportFolder / PathFromBytes(folder) / PathFromBytes(file.name);
    const std::string name = MadeFileName(folder, file.name);
    if (UpToDate(name, target, file.found, made)) return Outcome::UpToDate;
    const fs::path& from = file.found.path;
    const FileWriteResult copied = ReplaceFileWithCopy(from, target, parameters.cancel);
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
        failure = ExportFailure{file.source,
                                "could not be copied to " + target.string() + ": " + copied.reason};
    }
    return Outcome::Failed;
}

Outcome CPlanExecution::MakeThumbnail(std::size_t index, std::optional<ExportFailure>& failure,
                                      std::optional<MadeFile>& made) {
    const LinkedFile& file = plan.linkedFiles.Files()[index];
    const auto failed = [&](const std::string& reason) {
        thumbnailFailed[index] = 1;
        failure = ExportFailure{file.source, "no thumbnail was made (" + reason +
                                                 "); the page shows the picture itself"};
        return Outcome::Failed;
    };
    if (file.thumbName.empty()) return failed(file.pictureProblem);
    const fs::path target =
        plan.exportFolder / PathFromBytes(kThumbnailFolderName) / PathFromBytes(file.thumbName);
    if (UpToDate(MadeFileName(kThumbnailFolderName, file.thumbName), target, file.found, made))
        return Outcome::UpToDate;
    const ThumbnailOutcome outcome =
        MakeThumbnailFile(file.found.path, target, plan.ThumbnailSide(),
                          file.thumbPng ? ThumbnailFormat::Png : ThumbnailFormat::Jpeg,
                          plan.pictures.quality, plan.MaxThumbnailPixels());
    if (outcome.ok) {
        made = MadeFrom(target, file.found);
        return Outcome::Written;
    }
    // A thumbnail of what the source was before is no longer the picture's.
    std::error_code ignored;
    fs::remove(target, ignored);
    return failed(outcome.reason);
}

void CPlanExecution::Do(std::size_t task) {
    if (Stopped()) return;
    const Kind kind = KindOf(task);
    std::optional<ExportFailure> failure;
    Outcome outcome = Outcome::Failed;
    switch (kind) {
        case Kind::Page:
            outcome = WritePage(plan.pages[task], failure, pageRecords[task]);
            break;
        case Kind::Copy:
            outcome = CopyFile(task - plan.pages.size(), failure, made[task]);
            break;
        case Kind::Thumbnail:
            outcome = MakeThumbnail(plan.thumbnails[task - plan.pages.size() - plan.CopyCount()],
                                    failure, made[task]);
            break;
    }
    if (outcome == Outcome::Interrupted) return;
    const std::scoped_lock lock(mutex);
    if (failure) failures[task] = std::move(failure);
    std::size_t* done = &progress.pagesDone;
    std::size_t* upToDate = &progress.pagesUpToDate;
    std::size_t* written = &pagesWritten;
    if (kind == Kind::Copy) {
        done = &progress.filesDone;
        upToDate = &progress.filesUpToDate;
        written = &filesCopied;
    } else if (kind == Kind::Thumbnail) {
        done = &progress.thumbnailsDone;
        upToDate = &progress.thumbnailsUpToDate;
        written = &thumbnailsMade;
    }
    ++*done;
    if (outcome == Outcome::UpToDate) ++*upToDate;
    if (outcome == Outcome::Written) ++*written;
    if (parameters.progress && !parameters.progress(progress)) stop = true;
}

void CPlanExecution::RunTasks(tbb::task_arena* arena, std::size_t begin, std::size_t end) {
    if (arena == nullptr) {
        // One thread does everything in plan order, as a test may need to see it.
        for (std::size_t task = begin; task < end; ++task) Do(task);
        return;
    }
    arena->execute([&] {
        tbb::parallel_for(tbb::blocked_range<std::size_t>(begin, end),
                          [&](const tbb::blocked_range<std::size_t>& range) {
                              for (std::size_t task = range.begin(); task != range.end(); ++task)
                                  Do(task);
                          });
    });
}

void CPlanExecution::Run(ExportResult& result) {
    const std::size_t pagesAndCopies = plan.pages.size() + plan.CopyCount();
    const std::size_t total = pagesAndCopies + plan.ThumbnailCount();
    failures.assign(total, std::nullopt);
    made.assign(total, std::nullopt);
    pageRecords.assign(plan.pages.size(), std::nullopt);
    progress.pagesTotal = plan.pages.size();
    progress.filesTotal = plan.CopyCount();
    progress.thumbnailsTotal = plan.ThumbnailCount();
    std::optional<tbb::task_arena> arena;
    if (parameters.threads != 1) {
        // More threads than the system grants would only be refused (with a warning).
        const int cores = tbb::info::default_concurrency();
        arena.emplace(parameters.threads > 0 ? std::min(static_cast<int>(parameters.threads), cores)
                                             : static_cast<int>(tbb::task_arena::automatic));
    }
    tbb::task_arena* const threads = arena ? &*arena : nullptr;
    // The thumbnails first: a page shows the picture itself where its thumbnail failed.
    RunTasks(threads, pagesAndCopies, total);
    RunTasks(threads, 0, pagesAndCopies);
    for (std::optional<ExportFailure>& failure : failures)
        if (failure) result.failures.push_back(std::move(*failure));
    result.pagesWritten = pagesWritten;
    result.filesCopied = filesCopied;
    result.thumbnailsMade = thumbnailsMade;
    result.pagesUpToDate = progress.pagesUpToDate;
    result.filesUpToDate = progress.filesUpToDate;
    result.thumbnailsUpToDate = progress.thumbnailsUpToDate;
    result.status = Stopped() ? ExportStatus::Stopped : ExportStatus::Completed;
}

std::vector<std::pair<std::string, MadeFile>> CPlanExecution::MadeFiles() {
    const auto& files = plan.linkedFiles.Files();
    std::vector<std::pair<std::string, MadeFile>> records;
    for (std::size_t task = plan.pages.size(); task < made.size(); ++task) {
        if (!made[task]) continue;
        const LinkedFile& file =
            KindOf(task) == Kind::Copy
                ? files[task - plan.pages.size()]
                : files[plan.thumbnails[task - plan.pages.size() - plan.CopyCount()]];
        records.emplace_back(KindOf(task) == Kind::Copy
                                 ? MadeFileName(kCategoryFolderNames[file.folder], file.name)
                                 : MadeFileName(kThumbnailFolderName, file.thumbName),
                             std::move(*made[task]));
    }
    return records;
}

std::vector<std::pair<std::string, WrittenPage>> CPlanExecution::WrittenPages() {
    std::vector<std::pair<std::string, WrittenPage>> records;
    for (std::size_t task = 0; task < pageRecords.size(); ++task)
        if (pageRecords[task]) records.emplace_back(plan.pages[task].fileName, *pageRecords[task]);
    return records;
}

}  // namespace

void CarryOutExportPlan(const ExportPlan& plan, const ExportParameters& parameters, bool fresh,
                        ExportResult& result) {
    if (!fresh) DeleteWhatIsNotPlanned(plan, parameters.cancel, result);
    for (std::string_view name : kCategoryFolderNames) {
        // A sub-folder that cannot be made shows up as failed copies into it.
        std::error_code error;
        fs::create_directory(plan.exportFolder / PathFromBytes(name), error);
    }
    if (plan.pictures.thumbnails) {
        std::error_code error;
        fs::create_directory(plan.exportFolder / PathFromBytes(kThumbnailFolderName), error);
    }
    CExportCache cache = fresh ? CExportCache() : plan.record;
    CPlanExecution execution(plan, parameters, fresh, cache);
    execution.Run(result);
    if (result.status != ExportStatus::Completed) return;
    std::vector<std::pair<std::string, std::pair<FileStamp, PictureFacts>>> pictures;
    const auto& files = plan.linkedFiles.Files();
    for (std::size_t i = 0; i < plan.pictureFacts.size(); ++i)
        if (plan.pictureFacts[i] && files[i].found.state.kind == SourceState::Kind::Regular)
            pictures.emplace_back(files[i].found.normalPath,
                                  std::pair{files[i].found.state.stamp, *plan.pictureFacts[i]});
    // A record that cannot be written only means that the next export makes everything again.
    const std::string project = ExportCacheProject(parameters.projectFile);
    cache.Replace(execution.MadeFiles(), execution.WrittenPages(), std::move(pictures));
    cache.Write(plan.exportFolder, project);
}
