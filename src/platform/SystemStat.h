#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <ctime>

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
