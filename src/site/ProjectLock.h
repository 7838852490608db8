#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "FileStatus.h"
#include "FolderHandle.h"

// Keeps two programs from rewriting one project file at the same time, where the second would
// save over the first one's work without having seen it. The lock is an advisory lock on
// the project file itself, taken before the file is read and held until the save is over; a
// project that does not exist yet is made as an empty file to hold the lock. Saving renames a
// new file into place, so a waiter that then gets the old file's lock notices the file was
// replaced and locks the new one instead.
class CProjectLock {
public:
    enum class Status { Unlocked, Locked, Busy, Cancelled, Failed };

    struct Options {
        std::chrono::milliseconds wait{3000};       // how long to wait for another program
        std::function<void()> waiting;              // called once when the wait begins
        const std::atomic<bool>* cancel = nullptr;  // stops the wait when it becomes true
    };

    CProjectLock() = default;
    CProjectLock(const CProjectLock&) = delete;
    CProjectLock& operator=(const CProjectLock&) = delete;
    ~CProjectLock();

    // Locks the file at `project`. Busy: another program kept it locked for the whole wait.
    // Failed: the file cannot be locked (it is a device or a FIFO, or the folder is missing).
    Status Acquire(const std::filesystem::path& project, const Options& options);
    Status Acquire(const std::filesystem::path& project) { return Acquire(project, Options{}); }

    // Why the lock was not taken; names the file.
    const std::string& Message() const { return message; }
    // The file did not exist: Acquire made it, empty.
    bool CreatedFile() const { return created; }
    // The file locked holds no bytes: a project not yet written, made here or left by a program
    // that stopped before its first save.
    bool FoundEmpty() const { return empty; }
    // Removes the file Acquire made when nothing was saved into it, then unlocks.
    void RemoveUnusedFile();
    void Release();

private:
    std::filesystem::path path;
    std::string message;
    CFileDescriptor file;
    bool created = false;
    bool empty = false;
};
