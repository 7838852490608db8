#pragma once

#include <filesystem>
#include <system_error>

#include "FolderHandle.h"

// Advisory locks: they keep out only the programs that ask for them too. A lock belongs to the
// open file it was taken on and goes when the last descriptor of that open file is closed.

enum class LockAttempt {
    Taken,
    HeldElsewhere,  // another open file (in this or another process) holds it
    Failed
};

// Tries once, without waiting, to take the exclusive lock on an open file or folder.
LockAttempt TryLockExclusive(const CFileDescriptor& file, std::error_code& error);

enum class LockFileCreation {
    Existing,  // a missing file fails with no_such_file_or_directory
    New,       // the file is made; one that exists fails with file_exists
    Either     // made when missing (through a dangling link too), else opened
};

// Opens the file that holds a lock, for reading only and without ever waiting on it (a FIFO in
// its place opens at once). A file made here is empty and gets the permissions 0666 allows.
CFileDescriptor OpenLockFile(const std::filesystem::path& path, LockFileCreation creation,
                             std::error_code& error);
