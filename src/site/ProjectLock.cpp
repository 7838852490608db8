#include "ProjectLock.h"

#include <cerrno>
#include <system_error>
#include <thread>

#include "FileWrite.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& path) {
    // Built step by step: GCC 12 warns wrongly (-Wrestrict) about "\"" + string at -O3.
    std::string quoted(1, '"');
    quoted += path.string();
    quoted += '"';
    return quoted;
}

#if !defined(_WIN32)

std::string ErrorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

fs::file_type TypeOf(mode_t mode) {
    if (S_ISDIR(mode)) return fs::file_type::directory;
    if (S_ISFIFO(mode)) return fs::file_type::fifo;
    if (S_ISSOCK(mode)) return fs::file_type::socket;
    if (S_ISCHR(mode)) return fs::file_type::character;
    if (S_ISBLK(mode)) return fs::file_type::block;
    return fs::file_type::unknown;
}

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

#endif

}  // namespace

CProjectLock::~CProjectLock() {
    Release();
}

void CProjectLock::Release() {
#if !defined(_WIN32)
    if (fd >= 0) ::close(fd);  // closing the last descriptor drops the lock
#endif
    fd = -1;
}

#if !defined(_WIN32)

CProjectLock::Status CProjectLock::Acquire(const fs::path& project, const Options& options) {
    Release();
    path = project;
    message.clear();
    created = false;
    empty = false;
    const auto deadline = std::chrono::steady_clock::now() + options.wait;
    bool toldWaiting = false;
    // Non-blocking opens: a FIFO in the project's place must not stop the program here.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    for (int attempt = 0;; ++attempt) {
        int descriptor = ::open(project.c_str(), kFlags);
        bool made = false;
        if (descriptor < 0 && errno == ENOENT) {
            // After a few rounds the name is taken to be a dangling link: the file it names is
            // made, as a save would make it.
            descriptor =
                ::open(project.c_str(), kFlags | O_CREAT | (attempt < 3 ? O_EXCL : 0), 0666);
            if (descriptor < 0 && errno == EEXIST) continue;
            made = descriptor >= 0;
        }
        if (descriptor < 0) {
            message = "Cannot write " + Quoted(project) + ": " + ErrorText(errno) + ".";
            return Status::Failed;
        }
        fd = descriptor;
        struct stat opened {};
        if (::fstat(fd, &opened) != 0) {
            message = "Cannot lock " + Quoted(project) + ": " + ErrorText(errno) + ".";
            Release();
            return Status::Failed;
        }
        if (!S_ISREG(opened.st_mode)) {
            message = "Cannot write " + Quoted(project) + ": it is " +
                      std::string(FileTypeDescription(TypeOf(opened.st_mode))) +
                      ", not a regular file.";
            Release();
            return Status::Failed;
        }

        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK) {
                message = "Cannot lock " + Quoted(project) + ": " + ErrorText(errno) + ".";
                Release();
                return Status::Failed;
            }
            if (!toldWaiting) {
                toldWaiting = true;
                if (options.waiting) options.waiting();
            }
            if (options.cancel != nullptr && options.cancel->load()) {
                Release();
                return Status::Cancelled;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                message = Quoted(project) +
                          " is being changed by another program; try again once it is done.";
                Release();
                return Status::Busy;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }

        // The holder may have saved meanwhile, renaming a new file over the one locked here.
        struct stat current {};
        if (::stat(project.c_str(), &current) == 0 && current.st_dev == opened.st_dev &&
            current.st_ino == opened.st_ino) {
            created = made && opened.st_size == 0;
            struct stat locked {};
            empty = ::fstat(fd, &locked) == 0 && locked.st_size == 0;
            return Status::Locked;
        }
        Release();
    }
}

void CProjectLock::RemoveUnusedFile() {
    if (fd >= 0 && created) {
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) == 0 && locked.st_size == 0 &&
            ::lstat(path.c_str(), &named) == 0 && named.st_dev == locked.st_dev &&
            named.st_ino == locked.st_ino)
            ::unlink(path.c_str());
    }
    created = false;
    Release();
}

FileStamp ReadFileStamp(const fs::path& path) {
    FileStamp stamp;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return stamp;
    stamp.exists = true;
    stamp.size = static_cast<std::uintmax_t>(status.st_size);
    stamp.device = static_cast<std::uint64_t>(status.st_dev);
    stamp.inode = static_cast<std::uint64_t>(status.st_ino);
    stamp.modifiedNs = Nanoseconds(status.st_mtim);
    stamp.changedNs = Nanoseconds(status.st_ctim);
    return stamp;
}

#else

// Windows keeps a file that a program has open for writing from being replaced; the lock only
// checks that the project is a file that can be written.
CProjectLock::Status CProjectLock::Acquire(const fs::path& project, const Options&) {
    path = project;
    message.clear();
    created = false;
    std::error_code error;
    const fs::file_status status = fs::status(project, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        message = "Cannot write " + Quoted(project) + ": it is " +
                  std::string(FileTypeDescription(status.type())) + ", not a regular file.";
        return Status::Failed;
    }
    empty = fs::exists(status) && fs::file_size(project, error) == 0 && !error;
    return Status::Locked;
}

void CProjectLock::RemoveUnusedFile() {}

FileStamp ReadFileStamp(const fs::path& path) {
    FileStamp stamp;
    std::error_code error;
    stamp.size = fs::file_size(path, error);
    if (error) return {};
    stamp.exists = true;
    stamp.modifiedNs = fs::last_write_time(path, error).time_since_epoch().count();
    return stamp;
}

#endif
