#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class TransportFailure {
    None,
    Connect,         // the server cannot be reached, or broke the connection
    Login,           // the user, key or password was refused
    HostKeyUnknown,  // the server's key is not in known_hosts and was not accepted
    HostKeyChanged,  // the server's key differs from the one known_hosts holds for it
    Certificate,     // the TLS certificate cannot be verified and was not accepted
    Missing,         // the file or folder is not there
    File,            // this one file or folder could not be written, renamed or deleted
    Cancelled
};

struct TransportResult {
    TransportFailure failure = TransportFailure::None;
    std::string message;      // the server's or the library's reason
    std::string fingerprint;  // the server's key or certificate, "SHA256:...", where known

    bool Ok() const { return failure == TransportFailure::None; }
    // The failure concerns the connection or the login, not one file: nothing else will work.
    bool Fatal() const {
        return failure == TransportFailure::Connect || failure == TransportFailure::Login ||
               failure == TransportFailure::HostKeyUnknown ||
               failure == TransportFailure::HostKeyChanged ||
               failure == TransportFailure::Certificate;
    }
};

struct UploadSource {
    std::filesystem::path file;  // a local file, or else
    std::string bytes;           // these bytes
    bool fromFile = true;
};

// What tells one version of a file on the server from another without reading it.
struct RemoteFileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // seconds since the epoch, as the server tells it

    bool operator==(const RemoteFileStamp&) const = default;
};

// Bytes of the current upload sent so far; returning false stops it.
using TransferProgressFn = std::function<bool(std::uint64_t sent)>;

// One file of those a connection uploads in turn.
struct UploadJob {
    std::size_t id = 0;  // the caller's
    UploadSource source;
    std::string path;
    std::string temporaryPath;
};

// Hands out the files one connection uploads, as it has room for them. Called from that
// connection's thread only.
class CUploadQueue {
public:
    virtual ~CUploadQueue() = default;
    // The next file to send; false when there is none left or the upload is to stop.
    virtual bool Next(UploadJob& job) = 0;
    // `sent` bytes of the file went out so far; false stops the upload at once.
    virtual bool Sent(const UploadJob& job, std::uint64_t sent) = 0;
    // The file arrived whole under its name (Ok), or did not.
    virtual void Finished(const UploadJob& job, const TransportResult& result) = 0;
};

// Hands out the files one connection deletes, as it has room for them. Called from that
// connection's thread only.
class CRemovalQueue {
public:
    virtual ~CRemovalQueue() = default;
    // The next file to delete and the caller's id for it; false when there is none left or the
    // deletions are to stop.
    virtual bool Next(std::string& path, std::size_t& id) = 0;
    // The file is gone (Ok, also when it was not there), or is not.
    virtual void Finished(std::size_t id, const TransportResult& result) = 0;
};

// One connection to the target folder on a server. Paths are relative to the target folder, "/"
// separated. A transport is used by one thread at a time; a publish opens a few at once.
class CPublishTransport {
public:
    virtual ~CPublishTransport() = default;

    // Connects and logs in (checking the server's key or certificate) if not yet connected.
    virtual TransportResult Open() = 0;
    // The server's key or certificate fingerprint once connected ("SHA256:..."), else "".
    virtual std::string Fingerprint() const = 0;
    // A file's bytes; Missing when there is none.
    virtual TransportResult Read(const std::string& path, std::string& bytes) = 0;
    // A file's size and modification time; Missing when there is none, File when the server
    // does not tell them (the caller then reads the file).
    virtual TransportResult Stat(const std::string& path, RemoteFileStamp& stamp) {
        (void)path;
        stamp = {};
        return {TransportFailure::File, "the server does not tell a file's size and time", {}};
    }
    // The names in the target folder, "." and ".." left out; Missing when the folder is not
    // there.
    virtual TransportResult ListTarget(std::vector<std::string>& names) = 0;
    // Sends the source to `temporaryPath` (making missing folders) and, once it is whole, renames
    // it to `path`, replacing the file there.
    virtual TransportResult Upload(const UploadSource& source, const std::string& path,
                                   const std::string& temporaryPath,
                                   const TransferProgressFn& progress) = 0;
    // Uploads each file `queue` hands out as Upload does, reporting each as it ends. A
    // connection that can keeps several files on the way at once; this one sends them one
    // after the other.
    virtual void UploadQueued(CUploadQueue& queue) {
        UploadJob job;
        while (queue.Next(job)) {
            const TransportResult done =
                Upload(job.source, job.path, job.temporaryPath,
                       [&](std::uint64_t sent) { return queue.Sent(job, sent); });
            queue.Finished(job, done);
        }
    }
    // Deletes a file; one that is not there counts as deleted.
    virtual TransportResult Remove(const std::string& path) = 0;
    // Deletes each file `queue` hands out as Remove does, reporting each as it ends; several at
    // once where the connection can.
    virtual void RemoveQueued(CRemovalQueue& queue) {
        std::string path;
        std::size_t id = 0;
        while (queue.Next(path, id)) queue.Finished(id, Remove(path));
    }
};

using TransportFactory = std::function<std::unique_ptr<CPublishTransport>()>;
