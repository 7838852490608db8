#include "FolderHandle.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "FileLock.h"
#include "SystemStat.h"

namespace fs = std::filesystem;

namespace {

std::error_code LastError() {
    return std::error_code(errno, std::generic_category());
}

// Names reach the system as C strings; a name holding a NUL byte or a separator names no entry
// of this folder.
bool ValidName(std::string_view name, std::string& out, std::error_code& error) {
    if (name.empty() || name.find('\0') != name.npos || name.find('/') != name.npos) {
        error = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    out.assign(name);
    return true;
}

FileIdentity IdentityOfStatus(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

fs::file_type TypeOfListedEntry(unsigned char type) {
    switch (type) {
        case DT_REG:
            return fs::file_type::regular;
        case DT_DIR:
            return fs::file_type::directory;
        case DT_LNK:
            return fs::file_type::symlink;
        case DT_FIFO:
            return fs::file_type::fifo;
        case DT_CHR:
            return fs::file_type::character;
        case DT_BLK:
            return fs::file_type::block;
        case DT_SOCK:
            return fs::file_type::socket;
        case DT_UNKNOWN:
            return fs::file_type::none;
        default:
            return fs::file_type::unknown;
    }
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return IdentityOfStatus(status);
}

CFileDescriptor& CFileDescriptor::operator=(CFileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd >= 0) ::close(fd);
        fd = other.Release();
    }
    return *this;
}

CFileDescriptor::~CFileDescriptor() {
    if (fd >= 0) ::close(fd);
}

int CFileDescriptor::Release() {
    const int released = fd;
    fd = -1;
    return released;
}

bool CFileDescriptor::Close() {
    if (fd < 0) return true;
    const int result = ::close(Release());
    return result == 0;
}

CFolderHandle CFolderHandle::Open(const fs::path& path, std::error_code& error) {
    error.clear();
    const int fd =
        ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = LastError();
        return {};
    }
    return CFolderHandle(fd);
}

CFolderHandle CFolderHandle::OpenFolderOf(const fs::path& file, std::error_code& error) {
    return Open(file.has_parent_path() ? fs::absolute(file.parent_path(), error) : fs::path("."),
                error);
}

CFolderHandle CFolderHandle::OpenThroughLinks(const fs::path& path, std::error_code& error) {
    error.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = LastError();
        return {};
    }
    return CFolderHandle(fd);
}

std::optional<FileIdentity> CFolderHandle::Identity() const {
    struct stat status {};
    if (::fstat(Fd(), &status) != 0) return std::nullopt;
    return IdentityOfStatus(status);
}

fs::path CFolderHandle::CurrentPath() const {
#if defined(__linux__)
    std::error_code error;
    fs::path path = fs::read_symlink("/proc/self/fd/" + std::to_string(Fd()), error);
    // A folder deleted meanwhile is named "PATH (deleted)", which is no path.
    if (error || !path.is_absolute()) return {};
    return path;
#else
    return {};
#endif
}

CFolderHandle CFolderHandle::OpenFolder(std::string_view name, std::error_code& error) const {
    std::string cName;
    if (!ValidName(name, cName, error)) return {};
    error.clear();
    const int fd =
        ::openat(Fd(), cName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = LastError();
        return {};
    }
    return CFolderHandle(fd);
}

CFolderHandle CFolderHandle::OpenParent(std::error_code& error) const {
    error.clear();
#if defined(O_PATH)
    // Only looked at, so a parent that may not be read is no obstacle.
    const int fd = ::openat(Fd(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
#else
    const int fd = ::openat(Fd(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
#endif
    if (fd < 0) {
        error = LastError();
        return {};
    }
    return CFolderHandle(fd);
}

std::vector<std::string> CFolderHandle::Names(std::error_code& error) const {
    std::vector<std::string> names;
    List([&](std::string_view name, fs::file_type) { names.emplace_back(name); }, error);
    return names;
}

bool CFolderHandle::List(const ListVisitor& visit, std::error_code& error) const {
    error.clear();
    // The listing reads through a descriptor of its own, so that this handle stays open and at
    // its place when the listing is closed.
    const int listing = ::openat(Fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) {
        error = LastError();
        return false;
    }
    DIR* folder = ::fdopendir(listing);
    if (folder == nullptr) {
        error = LastError();
        ::close(listing);
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(folder);
        if (entry == nullptr) {
            if (errno != 0) error = LastError();
            break;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") visit(name, TypeOfListedEntry(entry->d_type));
    }
    ::closedir(folder);
    return true;
}

EntryStatus CFolderHandle::Status(std::string_view name) const {
    std::string cName;
    std::error_code error;
    struct stat status {};
    if (!ValidName(name, cName, error) ||
        ::fstatat(Fd(), cName.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    EntryStatus entry;
    if (S_ISREG(status.st_mode))
        entry.type = EntryType::File;
    else if (S_ISDIR(status.st_mode))
        entry.type = EntryType::Folder;
    else if (S_ISLNK(status.st_mode))
        entry.type = EntryType::Link;
    else
        entry.type = EntryType::Other;
    entry.size = static_cast<std::uint64_t>(status.st_size);
    entry.modifiedNs = Nanoseconds(ModifiedTimeOf(status));
    return entry;
}

bool CFolderHandle::RemoveFile(std::string_view name, std::error_code& error) const {
    std::string cName;
    if (!ValidName(name, cName, error)) return false;
    error.clear();
    if (::unlinkat(Fd(), cName.c_str(), 0) == 0) return true;
    error = LastError();
    return false;
}

bool CFolderHandle::RemoveFolder(std::string_view name, std::error_code& error) const {
    std::string cName;
    if (!ValidName(name, cName, error)) return false;
    error.clear();
    if (::unlinkat(Fd(), cName.c_str(), AT_REMOVEDIR) == 0) return true;
    error = LastError();
    return false;
}

bool CFolderHandle::MakeFolder(std::string_view name, std::error_code& error) const {
    std::string cName;
    if (!ValidName(name, cName, error)) return false;
    error.clear();
    if (::mkdirat(Fd(), cName.c_str(), 0777) == 0) return true;
    if (errno == EEXIST && Status(name).type == EntryType::Folder) return true;
    error = LastError();
    return false;
}

void CFolderHandle::MakeAccessible() const {
    struct stat status {};
    if (::fstat(Fd(), &status) == 0 && (status.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(Fd(), (status.st_mode & 07777) | S_IRWXU);
}

void CFolderHandle::MakeAccessible(std::string_view name) const {
    std::string cName;
    std::error_code error;
    struct stat status {};
    if (!ValidName(name, cName, error) ||
        ::fstatat(Fd(), cName.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(status.st_mode))
        return;
    // Never through a link, should one have taken the folder's place since.
    ::fchmodat(Fd(), cName.c_str(), (status.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW);
}

CFileDescriptor CFolderHandle::CreateNewFile(std::string_view name, unsigned mode,
                                             std::error_code& error) const {
    std::string cName;
    if (!ValidName(name, cName, error)) return CFileDescriptor();
    error.clear();
    const int fd =
        ::openat(Fd(), cName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                 static_cast<mode_t>(mode));
    if (fd < 0) error = LastError();
    return CFileDescriptor(fd);
}

CFileDescriptor CFolderHandle::OpenFileForReading(std::string_view name,
                                                  std::error_code& error) const {
    std::string cName;
    if (!ValidName(name, cName, error)) return CFileDescriptor();
    error.clear();
    CFileDescriptor file(
        ::openat(Fd(), cName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.IsOpen()) {
        error = LastError();
        return file;
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        error = LastError();
        return CFileDescriptor();
    }
    if (!S_ISREG(status.st_mode)) {
        error = std::make_error_code(std::errc::invalid_argument);
        return CFileDescriptor();
    }
    return file;
}

bool CFolderHandle::Rename(std::string_view from, std::string_view to,
                           std::error_code& error) const {
    std::string cFrom;
    std::string cTo;
    if (!ValidName(from, cFrom, error) || !ValidName(to, cTo, error)) return false;
    error.clear();
    if (::renameat(Fd(), cFrom.c_str(), Fd(), cTo.c_str()) == 0) return true;
    error = LastError();
    return false;
}

bool CFolderHandle::Lock(std::chrono::milliseconds wait, std::error_code& error) const {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const LockAttempt attempt = TryLockExclusive(descriptor, error);
        if (attempt != LockAttempt::HeldElsewhere) return attempt == LockAttempt::Taken;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}
