#include "ProjectLock.h"

#include <system_error>
#include <thread>

#include "FileLock.h"
#include "FileWrite.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& path) {
    // Built step by step: GCC 12 warns wrongly (-Wrestrict) about "\"" + string at -O3.
    std::string quoted(1, '"');
    quoted += Utf8FromPath(path);
    quoted += '"';
    return quoted;
}

bool SameFile(const FileStamp& a, const FileStamp& b) {
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

}  // namespace

CProjectLock::~CProjectLock() {
    Release();
}

void CProjectLock::Release() {
    file = CFileDescriptor();  // closing the last descriptor drops the lock
}

CProjectLock::Status CProjectLock::Acquire(const fs::path& project, const Options& options) {
    Release();
    path = project;
    message.clear();
    created = false;
    empty = false;
    const auto deadline = std::chrono::steady_clock::now() + options.wait;
    bool toldWaiting = false;
    for (int attempt = 0;; ++attempt) {
        std::error_code error;
        CFileDescriptor opened = OpenLockFile(project, LockFileCreation::Existing, error);
        bool made = false;
        if (!opened.IsOpen() && error == std::errc::no_such_file_or_directory) {
            // After a few rounds the name is taken to be a dangling link: the file it names is
            // made, as a save would make it.
            opened = OpenLockFile(
                project, attempt < 3 ? LockFileCreation::New : LockFileCreation::Either, error);
            if (!opened.IsOpen() && error == std::errc::file_exists) continue;
            made = opened.IsOpen();
        }
        if (!opened.IsOpen()) {
            message = "Cannot write " + Quoted(project) + ": " + error.message() + ".";
            return Status::Failed;
        }
        file = std::move(opened);
        const FileStatus status = StatusOf(file, error);
        if (error) {
            message = "Cannot lock " + Quoted(project) + ": " + error.message() + ".";
            Release();
            return Status::Failed;
        }
        if (status.type != fs::file_type::regular) {
            message = "Cannot write " + Quoted(project) + ": it is " +
                      std::string(FileTypeDescription(status.type)) + ", not a regular file.";
            Release();
            return Status::Failed;
        }

        for (;;) {
            const LockAttempt lock = TryLockExclusive(file, error);
            if (lock == LockAttempt::Taken) break;
            if (lock == LockAttempt::Failed) {
                message = "Cannot lock " + Quoted(project) + ": " + error.message() + ".";
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
        if (SameFile(ReadFileStamp(project), status.stamp)) {
            created = made && status.stamp.size == 0;
            const FileStatus locked = StatusOf(file, error);
            empty = !error && locked.stamp.size == 0;
            return Status::Locked;
        }
        Release();
    }
}

void CProjectLock::RemoveUnusedFile() {
    if (file.IsOpen() && created) {
        std::error_code error;
        const FileStatus locked = StatusOf(file, error);
        std::error_code namedError;
        const FileStatus named = StatusOf(path, LinkRule::NoFollow, namedError);
        if (!error && !namedError && locked.stamp.size == 0 && SameFile(named.stamp, locked.stamp))
            fs::remove(path, error);
    }
    created = false;
    Release();
}
