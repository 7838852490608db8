#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "PublishDigestCache.h"
#include "PublishManifest.h"

struct LocalFile {
    std::string path;  // under the export folder, "/" separated
    PublishedFile file;
};

struct LocalScan {
    std::vector<LocalFile> files;         // sorted by path
    std::vector<std::string> unreadable;  // paths as above, of files that could not be read
    std::string problem;                  // the folder could not be walked to its end
    bool stopped = false;
    CPublishDigestCache digests;  // what the next scan may take unread
    std::size_t filesRead = 0;    // files whose digest was computed rather than taken
};

// Every regular file under the export folder with its size, modification time and SHA-256,
// hashed on `threads` threads (0: one per core). A file that `known` lists with its current
// stamp takes the digest listed there unread. Symbolic links, hidden names (a leading
// "."), and names that are not safe on a server are left out: an export writes none of them.
// The scan stops (`stopped`) when `cancel` or `abandon` becomes true.
LocalScan ScanExportFolder(const std::filesystem::path& folder, unsigned threads,
                           const std::atomic<bool>* cancel,
                           const CPublishDigestCache* known = nullptr,
                           const std::atomic<bool>* abandon = nullptr);

// What a publish does, in the order it does it: the copies (pictures, documents, thumbnails,
// stylesheets) first, then the pages, so that a visitor never meets a page whose picture is not
// there yet; then the deletions of files that an earlier publish uploaded and the export no
// longer has.
struct PublishPlan {
    std::vector<LocalFile> copies;
    std::vector<LocalFile> pages;
    std::vector<std::string> deletions;
    std::size_t upToDate = 0;
    std::uint64_t bytesToSend = 0;

    std::size_t UploadCount() const { return copies.size() + pages.size(); }
};

// Compares the export with what the server's manifest says it holds.
PublishPlan PlanPublish(const LocalScan& local, const CPublishManifest& manifest);

// Whether the file is one of the website's pages (.htm, .html at any depth).
bool IsPagePath(const std::string& path);
