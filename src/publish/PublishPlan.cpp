#include "PublishPlan.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include "FileDigest.h"
#include "FileStatus.h"
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

LocalScan ScanExportFolder(const fs::path& folder, unsigned threads,
                           const std::atomic<bool>* cancel, const CPublishDigestCache* known) {
    LocalScan scan;
    std::vector<std::pair<std::string, fs::path>> found;
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::none, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const std::string name = Utf8FromPath(it->path().filename());
        const fs::file_status status = it->symlink_status(error);
        if (error) break;
        if (name.starts_with(".")) {
            if (fs::is_directory(status)) it.disable_recursion_pending();
            continue;
        }
        if (!fs::is_regular_file(status)) continue;
        const std::string relative = it->path().lexically_relative(folder).generic_string();
        if (!IsSafeRelativePath(relative)) continue;
        found.emplace_back(relative, it->path());
    }
    if (error) scan.problem = Utf8FromPath(folder) + ": " + error.message();
    std::sort(found.begin(), found.end());

    scan.files.resize(found.size());
    std::vector<FileStamp> stamps(found.size());
    std::atomic<std::size_t> read{0};
    const std::int64_t scanStart = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                       std::chrono::system_clock::now().time_since_epoch())
                                       .count();
    // One byte each: the threads write neighbouring entries at once.
    std::vector<char> ok(found.size(), 0);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < found.size(); i = next++) {
            if (cancel && cancel->load()) return;
            std::error_code statError;
            const FileStatus status = StatusOf(found[i].second, LinkRule::NoFollow, statError);
            if (statError || status.type != fs::file_type::regular) continue;
            stamps[i] = status.stamp;
            const std::string* cached = known ? known->Find(found[i].first, status.stamp) : nullptr;
            std::optional<std::string> digest;
            if (cached != nullptr) {
                digest = *cached;
            } else {
                digest = FileSha256(found[i].second);
                ++read;
            }
            if (!digest) continue;
            scan.files[i] = {found[i].first,
                             {status.stamp.size, std::move(*digest), status.stamp.modifiedNs}};
            ok[i] = 1;
        }
    };
    unsigned count = threads != 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
    count =
        static_cast<unsigned>(std::min<std::size_t>(count, std::max<std::size_t>(1, found.size())));
    {
        std::vector<std::jthread> pool;
        for (unsigned t = 1; t < count; ++t) pool.emplace_back(work);
        work();
    }
    if (cancel && cancel->load()) {
        scan.stopped = true;
        return scan;
    }
    std::vector<LocalFile> kept;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (ok[i]) {
            scan.digests.Set(found[i].first, stamps[i], scan.files[i].file.sha256, scanStart);
            kept.push_back(std::move(scan.files[i]));
        } else {
            scan.unreadable.push_back(found[i].first);
        }
    }
    scan.filesRead = read;
    scan.files = std::move(kept);
    return scan;
}

PublishPlan PlanPublish(const LocalScan& local, const CPublishManifest& manifest) {
    PublishPlan plan;
    std::set<std::string> present;
    for (const LocalFile& file : local.files) {
        present.insert(file.path);
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
    present.insert(local.unreadable.begin(), local.unreadable.end());
    for (const auto& [path, file] : manifest.files)
        if (!present.contains(path)) plan.deletions.push_back(path);
    return plan;
}
