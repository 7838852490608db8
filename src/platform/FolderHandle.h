#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// Folders held open, and everything done inside them by name relative to the open folder: a
// folder that is renamed, or replaced by a link to another folder, after it was opened is still
// the folder the handle names, so that nothing meant for it lands elsewhere. No step here ever
// follows a symbolic link inside a folder; a link is looked at, renamed or removed as a link.

// What makes a file or folder the same object whatever path reaches it (another spelling on a
// file system that ignores case, a symbolic link, a bind mount).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of what the path names, links followed; nothing when it cannot be looked at.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

enum class EntryType { Missing, File, Folder, Link, Other };

// An entry of a folder as the folder holds it (a link is a link, never what it points to).
struct EntryStatus {
    EntryType type = EntryType::Missing;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;  // nanoseconds since the epoch
};

// An open file, closed when it goes.
class CFileDescriptor {
public:
    explicit CFileDescriptor(int descriptor = -1) : fd(descriptor) {}
    CFileDescriptor(CFileDescriptor&& other) noexcept : fd(other.Release()) {}
    CFileDescriptor& operator=(CFileDescriptor&& other) noexcept;
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    ~CFileDescriptor();

    int Get() const { return fd; }
    bool IsOpen() const { return fd >= 0; }
    int Release();
    // Closes now, so that a failing close (a delayed write error) is seen; false then.
    bool Close();

private:
    int fd;
};

class CFolderHandle {
public:
    CFolderHandle() = default;

    // Opens the folder the path names. Links on the way to it are followed, but its own name
    // must be the folder itself: a link there fails (ELOOP), as does a file (ENOTDIR).
    static CFolderHandle Open(const std::filesystem::path& path, std::error_code& error);
    // Opens the folder that a file at `file` lies in (the current folder for a bare name), as
    // Open does; the file is then written relative to it.
    static CFolderHandle OpenFolderOf(const std::filesystem::path& file, std::error_code& error);
    // The same as Open, where a link at the folder's own name is followed as well.
    static CFolderHandle OpenThroughLinks(const std::filesystem::path& path,
                                          std::error_code& error);

    bool IsOpen() const { return descriptor.IsOpen(); }
    int Fd() const { return descriptor.Get(); }
    std::optional<FileIdentity> Identity() const;
    // Where the folder is now, as the system names it; empty where the system does not say.
    std::filesystem::path CurrentPath() const;

    // The sub-folder `name`, never through a link: a link or a file in its place fails.
    CFolderHandle OpenFolder(std::string_view name, std::error_code& error) const;
    // The folder holding this one; the root of the file system is its own parent.
    CFolderHandle OpenParent(std::error_code& error) const;

    // The names this folder holds, without "." and "..".
    std::vector<std::string> Names(std::error_code& error) const;
    // Each entry of the folder, without "." and "..", with its type as the listing tells it
    // without looking at the entry: a link is a symlink, and an entry whose type the file system
    // does not tell is `none` (Status finds it). False with `error` set when the folder cannot be
    // listed at all; true with `error` set when the listing broke off after the entries visited.
    using ListVisitor = std::function<void(std::string_view name, std::filesystem::file_type type)>;
    bool List(const ListVisitor& visit, std::error_code& error) const;
    EntryStatus Status(std::string_view name) const;

    // Removes a file or a link (the link itself); a folder is refused with EISDIR or EPERM.
    bool RemoveFile(std::string_view name, std::error_code& error) const;
    // Removes an empty folder; a link in its place is refused (ENOTDIR).
    bool RemoveFolder(std::string_view name, std::error_code& error) const;
    // Makes a folder; one that exists already is fine, a link or a file in its place is not.
    bool MakeFolder(std::string_view name, std::error_code& error) const;
    // Gives this folder's owner every permission on it (so that what it holds can be removed).
    void MakeAccessible() const;
    // The same for its sub-folder `name`, which cannot be opened without it; nothing is done
    // when `name` is not a folder.
    void MakeAccessible(std::string_view name) const;

    // Creates a new file of that name (never through a link, never one that exists).
    CFileDescriptor CreateNewFile(std::string_view name, unsigned mode,
                                  std::error_code& error) const;
    // Opens a regular file for reading, not through a link, without waiting on a FIFO.
    CFileDescriptor OpenFileForReading(std::string_view name, std::error_code& error) const;
    // Renames an entry of this folder; a link or file under the new name is replaced.
    bool Rename(std::string_view from, std::string_view to, std::error_code& error) const;

    // Takes this process's exclusive lock on the folder, waiting up to `wait` for another holder
    // (in this or another process) to let go; false when it was not let go in time. The lock
    // goes with the handle. Other programs that do not ask for it are not stopped by it.
    bool Lock(std::chrono::milliseconds wait, std::error_code& error) const;

private:
    explicit CFolderHandle(int fd) : descriptor(fd) {}

    CFileDescriptor descriptor;
};
