#pragma once

#include <cstdint>
#include <map>
#include <string>

// The name of the manifest the server keeps in the target folder.
inline constexpr const char* kPublishManifestName = ".pagelorn-publish.json";

struct PublishedFile {
    std::uint64_t size = 0;
    std::string sha256;  // 64 lower-case hex digits
    // The local file's modification time when it was uploaded (nanoseconds since the epoch; 0:
    // unknown), for the reader's information: what tells an unchanged file without reading it
    // is the cache on this side (PublishDigestCache.h), which no other computer writes.
    std::int64_t modified = 0;

    // The same bytes: the time does not count.
    bool operator==(const PublishedFile& other) const {
        return size == other.size && sha256 == other.sha256;
    }
};

// Every file this program uploaded to a target folder, by its path under the folder ("/"
// separated, "image/LOGO.GIF"), with its size and SHA-256. Only what it lists is ever replaced
// or deleted by a later publish.
struct CPublishManifest {
    std::map<std::string, PublishedFile> files;

    std::string ToJson() const;
    bool operator==(const CPublishManifest&) const = default;
};

struct ManifestParse {
    bool ok = false;
    std::string problem;  // why the text is not a manifest
};

// Reads a manifest. Entries with an unsafe path ("..", an absolute path, a backslash, a control
// character) are refused as a whole: a manifest that names them was not written by us, and
// deleting what it lists could reach outside the target.
ManifestParse ParsePublishManifest(const std::string& text, CPublishManifest& manifest);

// Whether a path under the target folder may be written or deleted: relative, "/" separated,
// no empty, "." or ".." names, no control characters.
bool IsSafeRelativePath(const std::string& path);
