#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "FolderHandle.h"

// What tells one version of a file on disk from another without reading it: a file that was
// written again, replaced or renamed over has a different stamp.
struct FileStamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0;  // nanoseconds since the epoch
    std::int64_t changedNs = 0;   // the change time, which no program can set back

    bool operator==(const FileStamp&) const = default;
};

// The stamp of what the path names, links followed; `exists` is false when it cannot be looked at.
FileStamp ReadFileStamp(const std::filesystem::path& path);

// What the system says of a file.
struct FileStatus {
    std::filesystem::file_type type = std::filesystem::file_type::not_found;
    FileStamp stamp;
    unsigned permissions = 0;  // the permission bits, set-id bits included
    // Whether the effective user of this process may read it, going by its owner, its group and
    // its permission bits (the superuser may read anything).
    bool readable = false;
};

enum class LinkRule {
    Follow,   // a link at the last name stands for what it names
    NoFollow  // a link at the last name is the link itself
};

// The status of what the path names; not_found with `error` set when it cannot be looked at.
FileStatus StatusOf(const std::filesystem::path& path, LinkRule links, std::error_code& error);
// The status of an open file.
FileStatus StatusOf(const CFileDescriptor& file, std::error_code& error);
// The status of the entry `name` of an open folder, a link being the link itself: one system call
// for a walk that already holds the folder, where a path would be looked up again from its root.
FileStatus StatusAt(const CFolderHandle& folder, const std::string& name, std::error_code& error);

// Opens a regular file for reading. The open never waits (a FIFO without a writer), and what was
// opened is looked at before anything is read from it: a FIFO, a device or a folder is closed
// again at once and refused with invalid_argument. `status`, when given, gets the file's status.
CFileDescriptor OpenRegularFile(const std::filesystem::path& path, LinkRule links,
                                std::error_code& error, FileStatus* status = nullptr);

// Reads up to `size` bytes, as many as there are before the end of the file; fewer only at the
// end or on a failure.
std::size_t ReadUpTo(const CFileDescriptor& file, char* data, std::size_t size);

// The open file as a C stream, which then owns it; null (and the file closed) on failure.
std::FILE* StreamOf(CFileDescriptor file, const char* mode);

// "a FIFO", "a socket", "a character device", "a block device", "a folder", ... for messages
// about files that are not regular files.
std::string_view FileTypeDescription(std::filesystem::file_type type);
