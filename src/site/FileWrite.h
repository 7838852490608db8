#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

struct FileWriteResult {
    bool ok = false;
    std::string message;  // empty on success; otherwise names the file and the reason

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
// is a symbolic link, the file it points to is replaced and the link stays.
FileWriteResult WriteFileAtomically(const std::filesystem::path& target,
                                    std::span<const unsigned char> data,
                                    FileSync sync = FileSync::Sync);
FileWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view data,
                                    FileSync sync = FileSync::Sync);
