#include "PublishPlan.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>

#include "FileDigest.h"
#include "FileStatus.h"
#include "FolderHandle.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return text;
}

}  // namespace

bool IsPagePath(const std::string& path) {
    const std::string lower = Lower(path);
    return lower.ends_with(".htm") || lower.ends_with(".html");
}

namespace {

struct FoundFile {
    std::string path;  // under the export folder, "/" separated
    FileStamp stamp;
};

// Walks the open folder: one listing per folder and one status per file, by name within the
// folder already open. False, with `problem` set, when a folder could not be listed to its end.
bool CollectFiles(const CFolderHandle& folder, const std::string& prefix, int depth,
                  std::vector<FoundFile>& found, std::string& problem) {
    std::vector<std::string> folders;
    std::error_code error;
    const bool listed = folder.List(
        [&](std::string_view name, fs::file_type type) {
            if (name.starts_with('.') || type == fs::file_type::symlink) return;
            if (type == fs::file_type::directory) {
                folders.emplace_back(name);
                return;
            }
            if (type != fs::file_type::regular && type != fs::file_type::none &&
                type != fs::file_type::unknown)
                return;
            const std::string entry(name);
            std::error_code statError;
            const FileStatus status = StatusAt(folder, entry, statError);
            if (status.type == fs::file_type::directory) folders.push_back(entry);
            if (!IsSafeRelativePath(entry)) return;
            // Gone since it was listed: not the website's any more. Otherwise a file that cannot
            // be looked at is still the website's, with no stamp.
            if (statError == std::errc::no_such_file_or_directory) return;
            if (statError)
                found.push_back({prefix + entry, {}});
            else if (status.type == fs::file_type::regular)
                found.push_back({prefix + entry, status.stamp});
        },
        error);
    if (!listed || error) {
        problem = prefix.empty() ? error.message() : prefix + ": " + error.message();
        return false;
    }
    // Deeper than any export goes: a loop the file system should not have.
    if (depth > 64) return folders.empty();
    for (const std::string& name : folders) {
        if (!IsSafeRelativePath(name)) continue;
        const CFolderHandle inner = folder.OpenFolder(name, error);
        // A folder replaced by a link or removed since it was listed is not the export's.
        if (error == std::errc::too_many_symbolic_link_levels ||
            error == std::errc::not_a_directory || error == std::errc::no_such_file_or_directory)
            continue;
        if (error) {
            problem = prefix + name + ": " + error.message();
            return false;
        }
        if (!CollectFiles(inner, prefix + name + "/", depth + 1, found, problem)) return false;
    }
    return true;
}

}  // namespace

LocalScan ScanExportFolder(const fs::path& folder, unsigned threads,
                           const std::atomic<bool>* cancel, const CPublishDigestCache* known,
                           const std::atomic<bool>* abandon) {
    const auto stop = [&] {
        return (cancel != nullptr && cancel->load()) || (abandon != nullptr && abandon->load());
    };
    LocalScan scan;
    std::vector<FoundFile> found;
    std::error_code error;
    const CFolderHandle root = CFolderHandle::OpenThroughLinks(folder, error);
    std::string problem;
    if (error)
        scan.problem = Utf8FromPath(folder) + ": " + error.message();
    else if (!CollectFiles(root, {}, 0, found, problem))
        scan.problem = Utf8FromPath(folder) + ": " + problem;
    std::sort(found.begin(), found.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.path < b.path; });

    scan.files.resize(found.size());
    std::atomic<std::size_t> read{0};
    const std::int64_t scanStart = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                       std::chrono::system_clock::now().time_since_epoch())
                                       .count();
    // One byte each: the threads write neighbouring entries at once.
    std::vector<char> ok(found.size(), 0);
    std::vector<std::size_t> unknown;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (!found[i].stamp.exists) continue;
        const std::string* cached = known ? known->Find(found[i].path, found[i].stamp) : nullptr;
        if (cached == nullptr) {
            unknown.push_back(i);
            continue;
        }
        scan.files[i] = {found[i].path, {found[i].stamp.size, *cached, found[i].stamp.modifiedNs}};
        ok[i] = 1;
    }
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t n = next++; n < unknown.size(); n = next++) {
            if (stop()) return;
            const std::size_t i = unknown[n];
            std::optional<std::string> digest = FileSha256(folder / found[i].path);
            ++read;
            if (!digest) continue;
            scan.files[i] = {found[i].path,
                             {found[i].stamp.size, std::move(*digest), found[i].stamp.modifiedNs}};
            ok[i] = 1;
        }
    };
    unsigned count = threads != 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
    count = static_cast<unsigned>(
        std::min<std::size_t>(count, std::max<std::size_t>(1, unknown.size())));
    {
        std::vector<std::jthread> pool;
        for (unsigned t = 1; t < count && !unknown.empty(); ++t) pool.emplace_back(work);
        work();
    }
    if (stop()) {
        scan.stopped = true;
        return scan;
    }
    std::vector<LocalFile> kept;
    kept.reserve(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (ok[i]) {
            scan.digests.Set(found[i].path, found[i].stamp, scan.files[i].file.sha256, scanStart);
            kept.push_back(std::move(scan.files[i]));
        } else {
            scan.unreadable.push_back(found[i].path);
        }
    }
    scan.filesRead = read;
    scan.files = std::move(kept);
    return scan;
}

PublishPlan PlanPublish(const LocalScan& local, const CPublishManifest& manifest) {
    PublishPlan plan;
    for (const LocalFile& file : local.files) {
        const auto known = manifest.files.find(file.path);
        if (known != manifest.files.end() && known->second == file.file) {
            ++plan.upToDate;
            continue;
        }
        plan.bytesToSend += file.file.size;
        (IsPagePath(file.path) ? plan.pages : plan.copies).push_back(file);
    }
    // A file that could not be read this time is still the website's: it is neither sent nor
    // deleted.
    // Both lists are sorted by path.
    const auto byPath = [](const LocalFile& file, const std::string& path) {
        return file.path < path;
    };
    for (const auto& [path, file] : manifest.files) {
        const auto at = std::lower_bound(local.files.begin(), local.files.end(), path, byPath);
        if ((at == local.files.end() || at->path != path) &&
            !std::binary_search(local.unreadable.begin(), local.unreadable.end(), path))
            plan.deletions.push_back(path);
    }
    return plan;
}
