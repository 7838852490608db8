#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "PublishPlan.h"
#include "PublishTransport.h"

// Publishing an export folder to a target folder on a server:
//   1. One connection logs in and reads the server's manifest (PublishManifest.h), unless the
//      export folder remembers it (PublishDigestCache.h); meanwhile the export folder is walked
//      and what changed in it is hashed. A target that holds files but no manifest is refused
//      unless `intoNonempty` is set; even then only the export's own names are ever written
//      there and nothing is deleted.
//   2. The export folder is compared with the manifest (PublishPlan.h).
//   3. A few connections at once upload the copies, then the pages, each to a temporary name
//      beside its target, renamed into place once whole; then what the manifest lists and the
//      export no longer has is deleted (not after a failed upload: an old page may still link to
//      it); last the manifest is written, also by rename. An interrupted publish leaves every
//      real name whole, and the next publish finishes the work.

// The name a file is uploaded under before it is renamed to `path`: hidden, beside it.
std::string TemporaryUploadPath(const std::string& path);

struct PublishProgress {
    std::size_t filesDone = 0;  // uploaded or failed
    std::size_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::size_t deletionsDone = 0;
    std::size_t deletionsTotal = 0;
};

// Called from the worker threads, one call at a time.
using PublishProgressFn = std::function<void(const PublishProgress&)>;

struct PublishParameters {
    std::filesystem::path exportFolder;
    TransportFactory connect;
    unsigned connections = 4;
    // The user agreed to publish into a target that holds files and no manifest.
    bool intoNonempty = false;
    // Plan only: connect, read the manifest, compare, and send nothing.
    bool dryRun = false;
    PublishProgressFn progress;
    // Stops the publish as soon as it becomes true (the manifest is still written, so that the
    // next publish knows what arrived); may be set from another thread or a signal handler.
    const std::atomic<bool>* cancel = nullptr;
    // The address published to, as the user writes it. The export folder remembers the manifest
    // last read from or written to it, so that the next publish there reads the manifest only
    // when its size or time on the server differ. Empty: the manifest is always read.
    std::string target;
};

enum class PublishStatus {
    Completed,     // every step was tried; single files may still have failed
    NotConnected,  // connecting or logging in failed; nothing was changed
    NotEmpty,      // the target holds files and no manifest; nothing was changed
    BadManifest,   // the manifest there cannot be read; nothing was changed
    NoExport,      // the export folder cannot be read; nothing was changed
    Interrupted,   // the connection broke during the publish; what was sent is whole
    Stopped        // cancelled; what was sent is whole
};

struct PublishFailure {
    std::string path;
    std::string reason;
};

struct PublishResult {
    PublishStatus status = PublishStatus::Completed;
    TransportResult connection;  // NotConnected and Interrupted: what failed, the fingerprint
    PublishPlan plan;
    std::size_t uploaded = 0;
    std::size_t deleted = 0;
    std::uint64_t bytesSent = 0;
    std::size_t filesRead = 0;  // export files read to be compared; the others were unchanged
    bool manifestWritten = false;
    bool deletionsPostponed = false;  // an upload failed, so nothing was deleted
    std::vector<PublishFailure> failures;
    std::string message;  // NotEmpty, BadManifest, NoExport: why

    bool AllSent() const { return status == PublishStatus::Completed && failures.empty(); }
};

PublishResult PublishWebsite(const PublishParameters& parameters);

// "12 files uploaded (3.4 MB), 2 deleted, 480 up to date"
std::string PublishSummary(const PublishResult& result);
// "3.4 MB"
std::string FormatBytes(std::uint64_t bytes);
