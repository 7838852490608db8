#include "FileStatus.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "SystemStat.h"

namespace fs = std::filesystem;

namespace {

std::error_code LastError() {
    return std::error_code(errno, std::generic_category());
}

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

FileStatus StatusOfRecord(const struct stat& record) {
    FileStatus status;
    status.type = FileTypeOfMode(record.st_mode);
    status.stamp.exists = true;
    status.stamp.size = static_cast<std::uintmax_t>(record.st_size);
    status.stamp.device = static_cast<std::uint64_t>(record.st_dev);
    status.stamp.inode = static_cast<std::uint64_t>(record.st_ino);
    status.stamp.modifiedNs = Nanoseconds(ModifiedTimeOf(record));
    status.stamp.changedNs = Nanoseconds(ChangedTimeOf(record));
    status.permissions = static_cast<unsigned>(record.st_mode & 07777);
    status.readable = MayRead(record);
    return status;
}

}  // namespace

FileStamp ReadFileStamp(const fs::path& path) {
    std::error_code error;
    return StatusOf(path, LinkRule::Follow, error).stamp;
}

FileStatus StatusOf(const fs::path& path, LinkRule links, std::error_code& error) {
    error.clear();
    struct stat record {};
    const int result =
        links == LinkRule::Follow ? ::stat(path.c_str(), &record) : ::lstat(path.c_str(), &record);
    if (result != 0) {
        error = LastError();
        return {};
    }
    return StatusOfRecord(record);
}

FileStatus StatusOf(const CFileDescriptor& file, std::error_code& error) {
    error.clear();
    struct stat record {};
    if (::fstat(file.Get(), &record) != 0) {
        error = LastError();
        return {};
    }
    return StatusOfRecord(record);
}

FileStatus StatusAt(const CFolderHandle& folder, const std::string& name, std::error_code& error) {
    error.clear();
    struct stat record {};
    if (name.empty() || name.find('/') != std::string::npos) {
        error = std::make_error_code(std::errc::invalid_argument);
        return {};
    }
    if (::fstatat(folder.Fd(), name.c_str(), &record, AT_SYMLINK_NOFOLLOW) != 0) {
        error = LastError();
        return {};
    }
    return StatusOfRecord(record);
}

CFileDescriptor OpenRegularFile(const fs::path& path, LinkRule links, std::error_code& error,
                                FileStatus* status) {
    error.clear();
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links == LinkRule::NoFollow ? O_NOFOLLOW : 0);
    CFileDescriptor file(::open(path.c_str(), flags));
    if (!file.IsOpen()) {
        error = LastError();
        return file;
    }
    FileStatus opened = StatusOf(file, error);
    if (error) return CFileDescriptor();
    if (opened.type != fs::file_type::regular) {
        error = std::make_error_code(std::errc::invalid_argument);
        return CFileDescriptor();
    }
    if (status != nullptr) *status = opened;
    return file;
}

std::size_t ReadUpTo(const CFileDescriptor& file, char* data, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t read = ::read(file.Get(), data + got, size - got);
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) break;
        got += static_cast<std::size_t>(read);
    }
    return got;
}

std::FILE* StreamOf(CFileDescriptor file, const char* mode) {
    std::FILE* stream = ::fdopen(file.Get(), mode);
    if (stream != nullptr) file.Release();
    return stream;
}

std::string_view FileTypeDescription(fs::file_type type) {
    switch (type) {
        case fs::file_type::regular:
            return "a regular file";
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::symlink:
            return "a symbolic link";
        case fs::file_type::block:
            return "a block device";
        case fs::file_type::character:
            return "a character device";
        case fs::file_type::fifo:
            return "a FIFO";
        case fs::file_type::socket:
            return "a socket";
        case fs::file_type::none:
        case fs::file_type::not_found:
            return "missing";
        default:
            break;
    }
    return "a special file";
}
