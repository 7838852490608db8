#pragma once

#include <libssh2.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "PublishTransport.h"
#include "SftpMessages.h"

// Not a libssh2 code: the user stopped the publish while a request waited.
inline constexpr int kSftpStopped = -10000;

// The folders under the target that one of a publish's connections asked the server to make.
class CSftpFolders {
public:
    // True when `folder` is new here (and now counted as made).
    bool Claim(const std::string& folder) {
        std::lock_guard lock(mutex);
        return made.insert(folder).second;
    }

private:
    std::mutex mutex;
    std::set<std::string> made;
};

// An SFTP channel of its own beside libssh2's, spoken here, that keeps many files on the way at
// once: libssh2's SFTP layer has one open, close or rename on the way at a time, so each file
// costs the server a wake-up per request. Here the requests of dozens of files travel together
// and the answers are matched to them by id. Each file still goes to its temporary name, is
// renamed only once every write and the close were acknowledged, and is reported as it ends.
// Deletions go the same way, many at once.
class CSftpUploadChannel {
public:
    struct Hooks {
        // Waits until the socket can be read (`in`) or written (`out`); 0, or why not.
        std::function<int(bool in, bool out)> wait;
        // The path the server is given for a path relative to the target folder.
        std::function<std::string(const std::string&)> serverPath;
        std::string fingerprint;
    };

    CSftpUploadChannel(LIBSSH2_SESSION* session, Hooks hooks,
                       std::shared_ptr<CSftpFolders> folders);
    ~CSftpUploadChannel();
    CSftpUploadChannel(const CSftpUploadChannel&) = delete;
    CSftpUploadChannel& operator=(const CSftpUploadChannel&) = delete;

    // Opens the channel and starts SFTP on it. 0, or the libssh2 code it failed with.
    int Start();
    // Uploads what `queue` hands out until it hands out no more and every file ended. 0, or the
    // code the connection failed with; the files then still on the way are in TakeUnfinished()
    // and nothing more may be said on the channel.
    int Upload(CUploadQueue& queue);
    std::vector<UploadJob> TakeUnfinished();
    // Deletes what `queue` hands out, many at once, the same way: 0, or the code the connection
    // failed with, the ids of the deletions then unanswered in TakeUnfinishedRemovals().
    int Remove(CRemovalQueue& queue);
    std::vector<std::size_t> TakeUnfinishedRemovals();
    // Closes the channel once Upload or Remove returned 0, leaving the connection for other
    // channels.
    int Close();
    // Why the server's answers could not be understood, when that ended the connection.
    const std::string& Problem() const { return problem; }

private:
    struct Transfer;
    enum class Kind { Ignored, Open, Write, Close, Rename, Removal };
    struct Request {
        Kind kind = Kind::Ignored;
        std::size_t slot = 0;  // the transfer's, or the caller's id of a removal
        std::uint32_t bytes = 0;
    };

    void Admit(CUploadQueue& queue, UploadJob job);
    // Sends the writes the budget allows and the close after the last; false when the queue
    // stopped the upload.
    bool PumpWrites(CUploadQueue& queue, std::size_t slot);
    void SendOpen(std::size_t slot);
    void SendMkdir(const std::string& folder);
    void SendRename(std::size_t slot);
    // A new request id, its answer expected for `slot`.
    std::uint32_t Expect(Kind kind, std::size_t slot = 0, std::uint32_t bytes = 0);
    // Moves what can be moved both ways without waiting; `progressed` when anything did.
    int Exchange(bool& progressed);
    int WaitForSocket();
    // One round: sends and receives what it can, acts on the answers, and waits for the socket
    // when nothing moved.
    int Turn();
    // Acts on every whole answer received; 0, or why the answers make no sense.
    int Dispatch();
    int Answered(const Request& request, const sftp::Reply& reply);
    void Finish(std::size_t slot, const TransportResult& result);
    TransportResult Refused(std::uint32_t status) const;
    int Malformed(const std::string& what);

    LIBSSH2_SESSION* session;
    LIBSSH2_CHANNEL* channel = nullptr;
    Hooks hooks;
    std::shared_ptr<CSftpFolders> folders;
    bool posixRename = false;
    std::uint32_t nextId = 1;
    std::unordered_map<std::uint32_t, Request> requests;
    std::vector<std::unique_ptr<Transfer>> slots;
    std::size_t busy = 0;      // transfers on the way
    std::size_t removing = 0;  // removals on the way
    // The queue of the Upload or Remove under way.
    CUploadQueue* uploadQueue = nullptr;
    CRemovalQueue* removalQueue = nullptr;
    bool retried = false;
    std::uint64_t unacknowledged = 0;  // bytes of writes not yet answered
    // Requests are put together in `composing` while `sending` goes out, which libssh2 needs
    // unchanged until it took all of it.
    std::string composing;
    std::string sending;
    std::size_t sent = 0;
    std::string incoming;
    std::size_t parsed = 0;
    // The call that left a packet half sent: libssh2 takes no other until that one is through.
    enum class Pending { None, Write, Read } pending = Pending::None;
    bool windowFull = false;  // the server's window took nothing more
    std::vector<char> scratch;
    std::string problem;
};
