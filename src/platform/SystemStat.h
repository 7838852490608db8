#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <filesystem>

// What the stat record's mode says the file is.
inline std::filesystem::file_type FileTypeOfMode(mode_t mode) {
    if (S_ISREG(mode)) return std::filesystem::file_type::regular;
    if (S_ISDIR(mode)) return std::filesystem::file_type::directory;
    if (S_ISLNK(mode)) return std::filesystem::file_type::symlink;
    if (S_ISFIFO(mode)) return std::filesystem::file_type::fifo;
    if (S_ISSOCK(mode)) return std::filesystem::file_type::socket;
    if (S_ISCHR(mode)) return std::filesystem::file_type::character;
    if (S_ISBLK(mode)) return std::filesystem::file_type::block;
    return std::filesystem::file_type::unknown;
}

// The times of a stat record. Their fields are the one part of the record that systems name
// differently (macOS: st_mtimespec, st_ctimespec), so they are read here and nowhere else.

inline timespec ModifiedTimeOf(const struct stat& status) {
    return status.st_mtim;
}

inline timespec ChangedTimeOf(const struct stat& status) {
    return status.st_ctim;
}

inline std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}
