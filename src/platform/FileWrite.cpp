#include "FileWrite.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>
#include <vector>
#if defined(__linux__)
#include <linux/fs.h>
#endif

#include "SystemStat.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

FileWriteResult Failure(const fs::path& target, const std::string& reason) {
    return {false, "Cannot write \"" + Utf8FromPath(target) + "\": " + reason + ".", reason};
}

FileWriteResult Failure(const fs::path& target, std::error_code error) {
    return Failure(target, error.message());
}

std::string NotRegularReason(fs::file_type type) {
    return "it is " + std::string(FileTypeDescription(type)) + ", not a regular file";
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
    const auto process = static_cast<unsigned long long>(::getpid());
    // A part of the target's name tells whose file it is; all of it would not fit beside the
    // suffix when the target's name is as long as a name may be.
    constexpr std::size_t kNameBytesKept = 64;
    std::string name(".");
    name += Utf8FromPath(resolved.filename()).substr(0, kNameBytesKept);
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

std::error_code LastError() {
    return std::error_code(errno, std::generic_category());
}

// A file under a temporary name beside its final one. It takes the final name only through
// Commit; in every other case it is removed when it goes out of scope, so that a failure at any
// step leaves nothing behind.
class CTemporaryFile {
public:
    explicit CTemporaryFile(fs::path finalPath) : finalPath(std::move(finalPath)) {}
    CTemporaryFile(const CTemporaryFile&) = delete;
    CTemporaryFile& operator=(const CTemporaryFile&) = delete;
    ~CTemporaryFile() {
        file = CFileDescriptor();
        if (!path.empty() && !committed) ::unlink(path.c_str());
    }

    // Sets errno on failure.
    bool Create(mode_t mode) {
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            fs::path candidate = TemporaryName(finalPath, attempt);
            const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd >= 0) {
                file = CFileDescriptor(fd);
                path = std::move(candidate);
                return true;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }
    int Fd() const { return file.Get(); }
    bool Close() { return file.Close(); }
    bool Commit() {
        if (::rename(path.c_str(), finalPath.c_str()) != 0) return false;
        committed = true;
        return true;
    }

private:
    fs::path finalPath;
    fs::path path;
    CFileDescriptor file;
    bool committed = false;
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
        // Renaming over a device or a FIFO would put a plain file in its place.
        if (!S_ISREG(existing.st_mode))
            return Failure(target, NotRegularReason(FileTypeOfMode(existing.st_mode)));
        keepMode = true;
        // Renaming over a file needs no permission on the file itself; a file the user made
        // read-only is refused as a plain write would be.
        if (::access(resolved.c_str(), W_OK) != 0) return Failure(target, LastError());
    } else if (errno != ENOENT) {
        return Failure(target, LastError());
    }

    CTemporaryFile temporary(resolved);
    if (!temporary.Create(0666)) return Failure(target, LastError());
    if (keepMode) {
        // Only root may hand a file to another owner; anyone else's new file stays theirs, as
        // after any plain save. The owner goes first because a change of owner clears set-id bits.
        if (::fchown(temporary.Fd(), existing.st_uid, existing.st_gid) != 0 && errno != EPERM)
            return Failure(target, LastError());
        if (::fchmod(temporary.Fd(), existing.st_mode & 07777) != 0)
            return Failure(target, LastError());
    }
    if (!WriteAll(temporary.Fd(), data.data(), data.size())) return Failure(target, LastError());
    if (sync == FileSync::Sync && ::fsync(temporary.Fd()) != 0) return Failure(target, LastError());
    if (!temporary.Close() || !temporary.Commit()) return Failure(target, LastError());
    if (sync == FileSync::Sync) SyncFolder(resolved.parent_path());
    return {true, {}, {}};
}

enum class CopyOutcome { Done, ReadFailed, WriteFailed, Cancelled };

// Copies what is left of `from` into `to`, stopping between blocks when asked to; errno tells
// why it failed.
CopyOutcome CopyData(int from, int to, const std::atomic<bool>* cancel) {
    constexpr std::size_t kBlock = 1 << 20;
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
#if defined(__linux__)
    // Where the file system shares blocks between files (Btrfs, XFS), the copy is a clone made at
    // once, whatever the file's size; elsewhere the call fails at once and the kernel copies.
    if (::ioctl(to, FICLONE, from) == 0) return CopyOutcome::Done;
    // The kernel copies without the data passing through this process (and shares the blocks on
    // file systems that can); where it cannot, reading and writing takes over.
    bool copiedAny = false;
    for (;;) {
        if (cancelled()) return CopyOutcome::Cancelled;
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kBlock, 0);
        if (copied == 0) return CopyOutcome::Done;
        if (copied > 0) {
            copiedAny = true;
            continue;
        }
        if (errno == EINTR) continue;
        const bool unsupported = errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                                 errno == EOPNOTSUPP || errno == EBADF;
        if (copiedAny || !unsupported)
            return errno == EIO ? CopyOutcome::ReadFailed : CopyOutcome::WriteFailed;
        break;
    }
#endif
    std::vector<unsigned char> buffer(kBlock);
    for (;;) {
        if (cancelled()) return CopyOutcome::Cancelled;
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0) return CopyOutcome::Done;
        if (got < 0) {
            if (errno == EINTR) continue;
            return CopyOutcome::ReadFailed;
        }
        if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(got)))
            return CopyOutcome::WriteFailed;
    }
}

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

namespace {

// A new file under a temporary name beside its final one, in a folder held open. It takes the
// final name only through Commit; in every other case it is removed when it goes out of scope.
class CTemporaryEntry {
public:
    CTemporaryEntry(const CFolderHandle& folder, std::string finalName)
        : folder(folder), finalName(std::move(finalName)) {}
    CTemporaryEntry(const CTemporaryEntry&) = delete;
    CTemporaryEntry& operator=(const CTemporaryEntry&) = delete;
    ~CTemporaryEntry() {
        file.Close();
        std::error_code ignored;
        if (!name.empty() && !committed) folder.RemoveFile(name, ignored);
    }

    bool Create(unsigned mode, std::error_code& error) {
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            std::string candidate =
                Utf8FromPath(TemporaryName(PathFromUtf8(finalName), attempt).filename());
            file = folder.CreateNewFile(candidate, mode, error);
            if (file.IsOpen()) {
                name = std::move(candidate);
                return true;
            }
            if (error != std::errc::file_exists) return false;
        }
        return false;
    }
    int Fd() const { return file.Get(); }
    bool CloseAndCommit(std::error_code& error) {
        if (!file.Close()) {
            error = LastError();
            return false;
        }
        if (!folder.Rename(name, finalName, error)) return false;
        committed = true;
        return true;
    }

private:
    const CFolderHandle& folder;
    std::string finalName;
    std::string name;
    CFileDescriptor file;
    bool committed = false;
};

bool SetModified(int fd, std::int64_t modifiedNs) {
    const timespec times[2] = {
        {0, UTIME_OMIT},
        {static_cast<time_t>(modifiedNs / 1000000000), static_cast<long>(modifiedNs % 1000000000)}};
    return ::futimens(fd, times) == 0;
}

}  // namespace

FileWriteResult ReplaceFile(const CFolderHandle& folder, std::string_view name,
                            const fs::path& shown, std::string_view data,
                            std::optional<std::int64_t> modifiedNs) {
    CTemporaryEntry temporary(folder, std::string(name));
    std::error_code error;
    if (!temporary.Create(0666, error)) return Failure(shown, error);
    if (!WriteAll(temporary.Fd(), reinterpret_cast<const unsigned char*>(data.data()),
                  data.size()) ||
        (modifiedNs && !SetModified(temporary.Fd(), *modifiedNs)))
        return Failure(shown, LastError());
    if (!temporary.CloseAndCommit(error)) return Failure(shown, error);
    return {true, {}, {}};
}

FileWriteResult ReplaceFileWithCopy(const fs::path& source, const CFolderHandle& folder,
                                    std::string_view name, const fs::path& shown,
                                    const std::atomic<bool>* cancel) {
    const auto sourceFailure = [&](const std::string& reason) {
        return FileWriteResult{
            false, "Cannot read \"" + Utf8FromPath(source) + "\": " + reason + ".", reason, true};
    };
    // The type is looked at before opening, and again on what was opened: a FIFO put in the
    // file's place between the two opens without a writer and is then refused all the same.
    struct stat status {};
    if (::stat(source.c_str(), &status) != 0) return sourceFailure(LastError().message());
    if (!S_ISREG(status.st_mode))
        return sourceFailure(NotRegularReason(FileTypeOfMode(status.st_mode)));
    CFileDescriptor input(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (input.Get() < 0) return sourceFailure(LastError().message());
    if (::fstat(input.Get(), &status) != 0) return sourceFailure(LastError().message());
    if (!S_ISREG(status.st_mode))
        return sourceFailure(NotRegularReason(FileTypeOfMode(status.st_mode)));

    CTemporaryEntry temporary(folder, std::string(name));
    std::error_code error;
    if (!temporary.Create(0666, error)) return Failure(shown, error);
    // The copy keeps the source's permission bits, as the file manager's copy does.
    if (::fchmod(temporary.Fd(), status.st_mode & 0777) != 0) return Failure(shown, LastError());
    switch (CopyData(input.Get(), temporary.Fd(), cancel)) {
        case CopyOutcome::Done:
            break;
        case CopyOutcome::ReadFailed:
            return sourceFailure(LastError().message());
        case CopyOutcome::WriteFailed:
            return Failure(shown, LastError());
        case CopyOutcome::Cancelled:
            return Failure(shown, kInterruptedReason);
    }
    // The source's modification time goes with the copy: a later export sees by it (and the
    // size) that the copy is up to date. The time of last access is the copy's own.
    const timespec times[2] = {{0, UTIME_OMIT}, ModifiedTimeOf(status)};
    if (::futimens(temporary.Fd(), times) != 0) return Failure(shown, LastError());
    if (!temporary.CloseAndCommit(error)) return Failure(shown, error);
    return {true, {}, {}};
}

std::string NewFileProblem(const CFolderHandle& folder) {
    CTemporaryEntry probe(folder, "probe");
    std::error_code error;
    return probe.Create(0600, error) ? std::string() : error.message();
}
