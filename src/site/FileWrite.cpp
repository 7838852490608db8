#include "FileWrite.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

FileWriteResult Failure(const fs::path& target, const std::string& reason) {
    return {false, "Cannot write \"" + target.string() + "\": " + reason + "."};
}

FileWriteResult Failure(const fs::path& target, std::error_code error) {
    return Failure(target, error.message());
}

// The path the data really goes to: a symbolic link is followed to the file it names, so that
// saving through a link updates the linked file instead of replacing the link by a plain file.
bool ResolveLinks(const fs::path& target, fs::path& resolved, std::error_code& error) {
    constexpr int kMaxLinkHops = 40;
    resolved = target;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        const fs::file_status status = fs::symlink_status(resolved, error);
        if (error) {
            if (error == std::errc::no_such_file_or_directory) {
                error.clear();
                return true;
            }
            return false;
        }
        if (!fs::is_symlink(status)) return true;
        fs::path destination = fs::read_symlink(resolved, error);
        if (error) return false;
        resolved = destination.is_absolute() ? destination : resolved.parent_path() / destination;
    }
    error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return false;
}

// A name for the temporary file beside the target that no other writer in this or another
// process picks at the same moment; the caller still creates it exclusively.
fs::path TemporaryName(const fs::path& resolved, unsigned attempt) {
    static std::atomic<unsigned long> counter{0};
    const auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
#if defined(_WIN32)
    const unsigned long long process = 0;
#else
    const auto process = static_cast<unsigned long long>(::getpid());
#endif
    std::string name(".");
    name += resolved.filename().string();
    name += ".tmp-";
    name += std::to_string(process);
    name += '-';
    name += std::to_string(counter++);
    name += '-';
    name += std::to_string(ticks % 1000000);
    name += '-';
    name += std::to_string(attempt);
    return resolved.parent_path() / name;
}

#if !defined(_WIN32)

std::error_code LastError() {
    return std::error_code(errno, std::generic_category());
}

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : fd(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
    int Get() const { return fd; }
    // Closes now so that a failing close (delayed write errors on some file systems) is seen.
    bool Close() {
        const int result = ::close(fd);
        fd = -1;
        return result == 0;
    }

private:
    int fd;
};

bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void SyncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The data is already safe in the renamed file; a folder that cannot be synced (some network
    // file systems refuse) does not make the save fail.
    ::fsync(fd);
    ::close(fd);
}

FileWriteResult WriteResolved(const fs::path& target, const fs::path& resolved,
                              std::span<const unsigned char> data, FileSync sync) {
    struct stat existing {};
    bool keepMode = false;
    if (::stat(resolved.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return Failure(target, std::make_error_code(std::errc::is_a_directory));
        keepMode = true;
        // Renaming over a file needs no permission on the file itself; a file the user made
        // read-only is refused as a plain write would be.
        if (::access(resolved.c_str(), W_OK) != 0) return Failure(target, LastError());
    } else if (errno != ENOENT) {
        return Failure(target, LastError());
    }

    fs::path temporary;
    int descriptor = -1;
    for (unsigned attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
        temporary = TemporaryName(resolved, attempt);
        descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno != EEXIST) return Failure(target, LastError());
    }
    if (descriptor < 0) return Failure(target, LastError());
    FileDescriptor file(descriptor);

    auto abandon = [&](std::error_code error) {
        ::unlink(temporary.c_str());
        return Failure(target, error);
    };
    if (keepMode) {
        // Only root may hand a file to another owner; anyone else's new file stays theirs, as
        // after any plain save. The owner goes first because a change of owner clears set-id bits.
        if (::fchown(file.Get(), existing.st_uid, existing.st_gid) != 0 && errno != EPERM)
            return abandon(LastError());
        if (::fchmod(file.Get(), existing.st_mode & 07777) != 0) return abandon(LastError());
    }
    if (!WriteAll(file.Get(), data.data(), data.size())) return abandon(LastError());
    if (sync == FileSync::Sync && ::fsync(file.Get()) != 0) return abandon(LastError());
    if (!file.Close()) return abandon(LastError());
    if (::rename(temporary.c_str(), resolved.c_str()) != 0) return abandon(LastError());
    if (sync == FileSync::Sync) SyncFolder(resolved.parent_path());
    return {true, {}};
}

#else

FileWriteResult WriteResolved(const fs::path& target, const fs::path& resolved,
                              std::span<const unsigned char> data, FileSync) {
    std::error_code error;
    if (fs::is_directory(resolved, error))
        return Failure(target, std::make_error_code(std::errc::is_a_directory));
    const bool keepMode = fs::exists(resolved, error);
    const fs::perms mode = keepMode ? fs::status(resolved, error).permissions() : fs::perms::none;

    fs::path temporary;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryName(resolved, attempt);
        if (!fs::exists(temporary, error)) break;
    }
    auto abandon = [&](const std::string& reason) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Failure(target, reason);
    };
    {
        std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
        if (!stream) return abandon("the temporary file cannot be created");
        stream.write(reinterpret_cast<const char*>(data.data()),
                     static_cast<std::streamsize>(data.size()));
        stream.flush();
        if (!stream) return abandon("the data could not be written");
    }
    if (keepMode) fs::permissions(temporary, mode, error);
    fs::rename(temporary, resolved, error);
    if (error) return abandon(error.message());
    return {true, {}};
}

#endif

}  // namespace

FileWriteResult WriteFileAtomically(const fs::path& target, std::span<const unsigned char> data,
                                    FileSync sync) {
    fs::path resolved;
    std::error_code error;
    if (!ResolveLinks(target, resolved, error)) return Failure(target, error);
    if (resolved.filename().empty())
        return Failure(target, std::make_error_code(std::errc::is_a_directory));
    return WriteResolved(target, resolved, data, sync);
}

FileWriteResult WriteFileAtomically(const fs::path& target, std::string_view data, FileSync sync) {
    return WriteFileAtomically(
        target,
        std::span<const unsigned char>(reinterpret_cast<const unsigned char*>(data.data()),
                                       data.size()),
        sync);
}
