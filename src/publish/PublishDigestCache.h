#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "FileStatus.h"
#include "PublishManifest.h"
#include "PublishTransport.h"

// What a publish from this computer remembers in the export folder, as kPublishCacheName
// (ExportFolder.h; hidden, so it is never published):
// - the SHA-256 of each export file as it last computed it, so that a publish reads only the
//   files that changed since: a file whose size, modification and change times and inode are the
//   recorded ones keeps its recorded digest unread. The change time is set by the system on
//   every write and cannot be set back by a program, so a file written again with the same size
//   and an old modification time is still read again;
// - the manifest it last read from or wrote to a target, with that file's size and time on the
//   server, so that the next publish there need only look at them: a manifest written there
//   since by anyone else has another size or time, and is read.
// The file is written whole or not at all; one that cannot be read as a whole is ignored, and
// everything is read again.
class CPublishDigestCache {
public:
    struct ServerCopy {
        std::string target;  // the publish address, as the user writes it
        RemoteFileStamp stamp;
        CPublishManifest manifest;

        bool operator==(const ServerCopy&) const = default;
    };

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

    // The manifest of `target` when the one there still has this stamp; nullptr otherwise.
    const CPublishManifest* ServerManifest(const std::string& target,
                                           const RemoteFileStamp& stamp) const;
    const std::optional<ServerCopy>& Server() const { return server; }
    std::optional<ServerCopy> TakeServer() { return std::exchange(server, std::nullopt); }
    void SetServer(std::optional<ServerCopy> copy) { server = std::move(copy); }

    std::size_t Size() const { return entries.size(); }
    bool SameDigests(const CPublishDigestCache& other) const { return entries == other.entries; }
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
    std::optional<ServerCopy> server;
};
