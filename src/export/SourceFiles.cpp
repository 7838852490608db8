#include "SourceFiles.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <system_error>

#if defined(_WIN32)
#include <chrono>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "FileWrite.h"
#include "LinkedFiles.h"

namespace fs = std::filesystem;

namespace {

// More matches than this are not followed further: a path that finds them is ambiguous anyway.
constexpr std::size_t kMaxMatches = 16;

#if !defined(_WIN32)
FileStamp StampOfStatus(const struct stat& status) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = static_cast<std::uintmax_t>(status.st_size);
    stamp.device = static_cast<std::uint64_t>(status.st_dev);
    stamp.inode = static_cast<std::uint64_t>(status.st_ino);
    stamp.modifiedNs =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    stamp.changedNs =
        static_cast<std::int64_t>(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec;
    return stamp;
}

// Whether this process may read a file with that status, from its permission bits.
bool MayRead(const struct stat& status) {
    static const uid_t user = ::geteuid();
    if (user == 0) return true;
    if (status.st_uid == user) return (status.st_mode & S_IRUSR) != 0;
    static const std::vector<gid_t> groups = [] {
        std::vector<gid_t> all(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
        all.resize(static_cast<std::size_t>(
            std::max(::getgroups(static_cast<int>(all.size()), all.data()), 0)));
        all.push_back(::getegid());
        return all;
    }();
    if (std::find(groups.begin(), groups.end(), status.st_gid) != groups.end())
        return (status.st_mode & S_IRGRP) != 0;
    return (status.st_mode & S_IROTH) != 0;
}
#else
FileStamp StampOfStatus(const fs::path& path) {
    std::error_code error;
    const std::int64_t modified = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                      fs::last_write_time(path, error).time_since_epoch())
                                      .count();
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = fs::file_size(path, error);
    stamp.modifiedNs = modified;
    stamp.changedNs = modified;
    return stamp;
}
#endif

SourceState LookAtSource(const fs::path& file) {
    SourceState state;
#if !defined(_WIN32)
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        const int error = errno;
        state.kind = error == ENOENT || error == ENOTDIR ? SourceState::Kind::Missing
                                                         : SourceState::Kind::Unreadable;
        state.reason = state.kind == SourceState::Kind::Missing
                           ? "the file does not exist"
                           : "could not be read: " + std::generic_category().message(error);
        return state;
    }
    if (!S_ISREG(status.st_mode)) {
        std::error_code ignored;
        state.kind = SourceState::Kind::NotRegular;
        state.reason = "not a regular file but " +
                       std::string(FileTypeDescription(fs::status(file, ignored).type()));
        return state;
    }
    if (!MayRead(status)) {
        state.kind = SourceState::Kind::Unreadable;
        state.reason = "could not be read: Permission denied";
        return state;
    }
    state.kind = SourceState::Kind::Regular;
    state.stamp = StampOfStatus(status);
#else
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (!fs::exists(status)) {
        state.kind = SourceState::Kind::Missing;
        state.reason = "the file does not exist";
    } else if (!fs::is_regular_file(status)) {
        state.kind = SourceState::Kind::NotRegular;
        state.reason = "not a regular file but " + std::string(FileTypeDescription(status.type()));
    } else {
        state.kind = SourceState::Kind::Regular;
        state.stamp = StampOfStatus(file);
    }
#endif
    return state;
}

}  // namespace

std::optional<FileStamp> StampOf(const fs::path& path, bool follow) {
#if !defined(_WIN32)
    struct stat status {};
    if ((follow ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status)) != 0 ||
        !S_ISREG(status.st_mode))
        return std::nullopt;
    return StampOfStatus(status);
#else
    std::error_code error;
    const fs::file_status status =
        follow ? fs::status(path, error) : fs::symlink_status(path, error);
    if (!fs::is_regular_file(status)) return std::nullopt;
    return StampOfStatus(path);
#endif
}

FoundSource FindSource(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) absolute = path;
    return {path, absolute.lexically_normal().string(), LookAtSource(path)};
}

const std::vector<std::string>& CSourceFinder::Listing(const fs::path& folder) {
    const auto known = listings.find(folder.native());
    if (known != listings.end()) return known->second;
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end;
         !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    return listings.emplace(folder.native(), std::move(names)).first->second;
}

void CSourceFinder::FindWithoutCase(FoundSource& found) {
    if (found.state.kind != SourceState::Kind::Missing) return;
    std::vector<fs::path> candidates{found.path.root_path()};
    for (const fs::path& element : found.path.relative_path()) {
        const std::string text = element.string();
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t end = std::min(text.find('\\', start), text.size());
            const std::string_view name = std::string_view(text).substr(start, end - start);
            start = end + 1;
            if (name.empty() || name == ".") continue;
            if (name == "..") {
                for (fs::path& candidate : candidates) candidate /= "..";
                continue;
            }
            const std::string wanted = AsciiLower(name);
            std::vector<fs::path> next;
            for (const fs::path& folder : candidates) {
                for (const std::string& entry : Listing(folder))
                    if (entry.size() == wanted.size() && AsciiLower(entry) == wanted)
                        next.push_back(folder / entry);
                if (next.size() > kMaxMatches) break;
            }
            if (next.empty()) return;
            candidates = std::move(next);
        }
    }
    if (candidates.size() == 1) {
        FoundSource match = FindSource(candidates.front());
        if (match.state.kind != SourceState::Kind::Missing) found = std::move(match);
        return;
    }
    std::sort(candidates.begin(), candidates.end());
    std::string names;
    for (const fs::path& candidate : candidates) {
        if (!names.empty()) names += ", ";
        names += candidate.lexically_normal().string();
    }
    found.state.kind = SourceState::Kind::Ambiguous;
    found.state.reason =
        "no file has this name as spelled, and several have it without regard to letter case: " +
        names;
}
