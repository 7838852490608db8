#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "FileStatus.h"
#include "FolderHandle.h"

struct FileWriteResult {
    bool ok = false;
    std::string message;      // empty on success; otherwise names the file and the reason
    std::string reason;       // the reason alone ("No space left on device"); empty on success
    bool readFailed = false;  // copies: the source could not be read (or is no regular file)

    explicit operator bool() const { return ok; }
};

enum class FileSync {
    Sync,   // the data is on the disk before the new file takes the old one's place
    NoSync  // for bulk output (thousands of export pages) where a crash only means exporting again
};

// Replaces the file at `target` with `data` so that readers see either the old file or the whole
// new one, never a mix or a truncated file: the data goes to a temporary file in the same folder,
// which is then renamed over the target. On failure the previous file is untouched and no
// temporary file is left behind. An existing target keeps its permission bits; when the target
// is a symbolic link, the file it points to is replaced and the link stays. A target that is not
// a regular file (a device such as /dev/null, a FIFO, a socket) is refused and left as it is.
FileWriteResult WriteFileAtomically(const std::filesystem::path& target,
                                    std::span<const unsigned char> data,
                                    FileSync sync = FileSync::Sync);
FileWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view data,
                                    FileSync sync = FileSync::Sync);

// Output of the export, which owns its folder and holds it open: the entry `name` of `folder`,
// whatever it was (a link included, which is replaced and never followed), gives way to the new
// file only once the new one is whole. `shown` is the entry's path, for messages. Nothing is
// synced. A file given `modifiedNs` (nanoseconds since the epoch) gets that modification time.
// On failure nothing is left under either name.
FileWriteResult ReplaceFile(const CFolderHandle& folder, std::string_view name,
                            const std::filesystem::path& shown, std::string_view data,
                            std::optional<std::int64_t> modifiedNs = std::nullopt);

// The same for a copy of `source`, which must be a regular file (a link to one is fine): a FIFO
// or a device is refused without being opened for long, so the copy can never hang on it. The
// copy takes the fastest way the system offers (a clone sharing the blocks where the file system
// can, else a copy inside the kernel, else reads and writes), and it gets the source's
// modification time and permission bits. When `cancel` becomes true the copy stops between two
// blocks, leaves nothing behind and fails with the reason kInterruptedReason.
FileWriteResult ReplaceFileWithCopy(const std::filesystem::path& source,
                                    const CFolderHandle& folder, std::string_view name,
                                    const std::filesystem::path& shown,
                                    const std::atomic<bool>* cancel = nullptr);

inline constexpr const char* kInterruptedReason = "interrupted";

// Why no new file can be made in the folder ("Permission denied", "Read-only file system"), or ""
// when one can. Tries it with a temporary file, which is removed again.
std::string NewFileProblem(const CFolderHandle& folder);
