#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "FileStatus.h"

// The SHA-256 of each export file as a publish from this computer last computed it, kept in the
// export folder as kPublishCacheName (ExportFolder.h; hidden, so it is never published), so that a
// publish reads only the files that changed since: a file whose size, modification and change
// times and inode are the recorded ones keeps its recorded digest unread. The change time is set
// by the system on every write and cannot be set back by a program, so a file written again with
// the same size and an old modification time is still read again. The file is written whole or
// not at all; one that cannot be read as a whole is ignored, and everything is read again.
class CPublishDigestCache {
public:
    static CPublishDigestCache Read(const std::filesystem::path& exportFolder);
    // False when it cannot be written; the next publish then reads the files again.
    bool Write(const std::filesystem::path& exportFolder) const;

    // The digest recorded for the file at `path` (under the export folder, "/" separated) when
    // it still has this stamp; nullptr otherwise.
    const std::string* Find(const std::string& path, const FileStamp& stamp) const;
    // Records a digest, unless the file changed so shortly before `scanStartNs` (nanoseconds
    // since the epoch) that a change in the same tick of the file system's clock would leave the
    // same times behind.
    void Set(const std::string& path, const FileStamp& stamp, std::string sha256,
             std::int64_t scanStartNs);

    std::size_t Size() const { return entries.size(); }
    bool operator==(const CPublishDigestCache&) const = default;

private:
    struct Entry {
        std::uint64_t size = 0;
        std::uint64_t inode = 0;
        std::int64_t modifiedNs = 0;
        std::int64_t changedNs = 0;
        std::string sha256;

        bool operator==(const Entry&) const = default;
    };
    std::map<std::string, Entry> entries;
};
