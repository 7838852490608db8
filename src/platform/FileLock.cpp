#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

LockAttempt TryLockExclusive(const CFileDescriptor& file, std::error_code& error) {
    error.clear();
    for (;;) {
        if (::flock(file.Get(), LOCK_EX | LOCK_NB) == 0) return LockAttempt::Taken;
        if (errno == EINTR) continue;
        if (errno == EWOULDBLOCK) return LockAttempt::HeldElsewhere;
        error = std::error_code(errno, std::generic_category());
        return LockAttempt::Failed;
    }
}

CFileDescriptor OpenLockFile(const std::filesystem::path& path, LockFileCreation creation,
                             std::error_code& error) {
    error.clear();
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    if (creation == LockFileCreation::New) flags |= O_CREAT | O_EXCL;
    if (creation == LockFileCreation::Either) flags |= O_CREAT;
    CFileDescriptor file(::open(path.c_str(), flags, 0666));
    if (!file.IsOpen()) error = std::error_code(errno, std::generic_category());
    return file;
}
