#include "SftpUploadChannel.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Files on the way at once on one channel: enough that the requests of many travel together.
constexpr std::size_t kFilesOnTheWay = 64;
// Every SFTP server takes writes of this size.
constexpr std::size_t kWriteChunk = 32768;
// Bytes written but not yet acknowledged, and requests not yet handed to libssh2: the memory an
// upload holds, whatever the sizes of its files.
constexpr std::uint64_t kMaxUnacknowledged = 4u << 20;
constexpr std::size_t kMaxComposing = 1u << 20;
constexpr std::size_t kReadChunk = 64u << 10;
constexpr std::uint32_t kFileMode = 0644;
constexpr std::uint32_t kFolderMode = 0755;

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The folders above a path, outermost first: "a/b/c" gives "a" and "a/b", "/x/y/z" gives "/x"
// and "/x/y".
std::vector<std::string> FoldersAbove(const std::string& path) {
    std::vector<std::string> folders;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        folders.push_back(path.substr(0, slash));
    return folders;
}

bool IsMissing(std::uint32_t status) {
    return status == sftp::kNoSuchFile || status == sftp::kNoSuchPath;
}

}  // namespace

struct CSftpUploadChannel::Transfer {
    UploadJob job;
    std::unique_ptr<std::FILE, FileClose> file;
    std::string temporary;  // the server's paths
    std::string target;
    std::string handle;
    std::uint64_t offset = 0;
    int outstanding = 0;  // writes and the close not yet answered
    bool opened = false;
    bool closeSent = false;
    bool foldersMade = false;
    bool replacing = false;
    TransportResult failure;
};

CSftpUploadChannel::CSftpUploadChannel(LIBSSH2_SESSION* session, Hooks hooks,
                                       std::shared_ptr<CSftpFolders> folders)
    : session(session), hooks(std::move(hooks)), folders(std::move(folders)) {
    slots.resize(kFilesOnTheWay);
}

CSftpUploadChannel::~CSftpUploadChannel() {
    if (channel != nullptr) libssh2_channel_free(channel);
}

int CSftpUploadChannel::WaitForSocket() {
    const int directions = libssh2_session_block_directions(session);
    const bool out = (directions & LIBSSH2_SESSION_BLOCK_OUTBOUND) != 0;
    const bool in = (directions & LIBSSH2_SESSION_BLOCK_INBOUND) != 0 || !out;
    return hooks.wait(in, out);
}

int CSftpUploadChannel::Start() {
    for (;;) {
        channel = libssh2_channel_open_ex(session, "session", sizeof "session" - 1,
                                          LIBSSH2_CHANNEL_WINDOW_DEFAULT,
                                          LIBSSH2_CHANNEL_PACKET_DEFAULT, nullptr, 0);
        if (channel != nullptr) break;
        if (const int code = libssh2_session_last_errno(session); code != LIBSSH2_ERROR_EAGAIN)
            return code;
        if (const int code = WaitForSocket(); code != 0) return code;
    }
    const auto repeat = [&](auto&& call) {
        for (;;) {
            const int code = call();
            if (code != LIBSSH2_ERROR_EAGAIN) return code;
            if (const int waited = WaitForSocket(); waited != 0) return waited;
        }
    };
    if (const int code = repeat([&] {
            return libssh2_channel_process_startup(channel, "subsystem", sizeof "subsystem" - 1,
                                                   "sftp", sizeof "sftp" - 1);
        });
        code != 0)
        return code;
    // Whatever the server's SFTP program says on its error stream would hold the window.
    if (const int code = repeat([&] {
            return libssh2_channel_handle_extended_data2(channel,
                                                         LIBSSH2_CHANNEL_EXTENDED_DATA_IGNORE);
        });
        code != 0)
        return code;
    sftp::AppendInit(composing);
    for (;;) {
        bool progressed = false;
        if (const int code = Exchange(progressed); code != 0) return code;
        sftp::Reply reply;
        std::size_t used = 0;
        const sftp::Parse parse =
            sftp::ParseReply(std::string_view(incoming).substr(parsed), reply, used);
        if (parse == sftp::Parse::Malformed ||
            (parse == sftp::Parse::Complete && (reply.type != sftp::kVersion || reply.id < 3)))
            return Malformed("the server does not speak SFTP version 3");
        if (parse == sftp::Parse::Complete) {
            parsed += used;
            posixRename = std::find(reply.extensions.begin(), reply.extensions.end(),
                                    sftp::kPosixRename) != reply.extensions.end();
            return 0;
        }
        if (!progressed)
            if (const int code = WaitForSocket(); code != 0) return code;
    }
}

std::uint32_t CSftpUploadChannel::Expect(Kind kind, std::size_t slot, std::uint32_t bytes) {
    const std::uint32_t id = nextId++;
    requests[id] = Request{kind, slot, bytes};
    return id;
}

void CSftpUploadChannel::SendOpen(std::size_t slot) {
    constexpr std::uint32_t kFlags = sftp::kOpenWrite | sftp::kOpenCreate | sftp::kOpenTruncate;
    sftp::AppendOpen(composing, Expect(Kind::Open, slot), slots[slot]->temporary, kFlags,
                     kFileMode);
}

void CSftpUploadChannel::SendMkdir(const std::string& folder) {
    sftp::AppendMkdir(composing, Expect(Kind::Ignored), folder, kFolderMode);
}

void CSftpUploadChannel::SendRename(std::size_t slot) {
    const Transfer& transfer = *slots[slot];
    sftp::AppendRename(composing, Expect(Kind::Rename, slot), transfer.temporary, transfer.target,
                       posixRename);
}

void CSftpUploadChannel::Admit(CUploadQueue& queue, UploadJob job) {
    auto transfer = std::make_unique<Transfer>();
    if (job.source.fromFile) {
        transfer->file.reset(std::fopen(job.source.file.c_str(), "rb"));
        if (!transfer->file) {
            queue.Finished(job, {TransportFailure::File, "cannot be read", hooks.fingerprint});
            return;
        }
    }
    // A folder is asked for before the first file that goes into it, in the same batch: the
    // server takes the requests in order. One made meanwhile by another connection, or there
    // from before, is fine; one still missing makes the open fail, and is then made for sure.
    for (const std::string& folder : FoldersAbove(job.path))
        if (folders->Claim(folder)) SendMkdir(hooks.serverPath(folder));
    transfer->temporary = hooks.serverPath(job.temporaryPath);
    transfer->target = hooks.serverPath(job.path);
    transfer->job = std::move(job);
    const auto free = std::find(slots.begin(), slots.end(), nullptr);
    const auto slot = static_cast<std::size_t>(free - slots.begin());
    *free = std::move(transfer);
    ++busy;
    SendOpen(slot);
}

bool CSftpUploadChannel::PumpWrites(CUploadQueue& queue, std::size_t slot) {
    Transfer& transfer = *slots[slot];
    while (!transfer.closeSent && unacknowledged < kMaxUnacknowledged &&
           composing.size() < kMaxComposing) {
        std::string_view data;
        bool unreadable = false;
        if (transfer.failure.Ok() && transfer.file) {
            scratch.resize(kWriteChunk);
            const std::size_t got =
                std::fread(scratch.data(), 1, scratch.size(), transfer.file.get());
            unreadable = got == 0 && std::ferror(transfer.file.get());
            data = {scratch.data(), got};
        } else if (transfer.failure.Ok()) {
            const std::string& bytes = transfer.job.source.bytes;
            const std::size_t at = std::min<std::size_t>(transfer.offset, bytes.size());
            data = std::string_view(bytes).substr(at, kWriteChunk);
        }
        if (data.empty()) {
            if (unreadable)
                transfer.failure = {TransportFailure::File, "cannot be read", hooks.fingerprint};
            transfer.file.reset();
            sftp::AppendClose(composing, Expect(Kind::Close, slot), transfer.handle);
            ++transfer.outstanding;
            transfer.closeSent = true;
            break;
        }
        sftp::AppendWrite(composing,
                          Expect(Kind::Write, slot, static_cast<std::uint32_t>(data.size())),
                          transfer.handle, transfer.offset, data);
        ++transfer.outstanding;
        unacknowledged += data.size();
        transfer.offset += data.size();
        if (!queue.Sent(transfer.job, transfer.offset)) return false;
    }
    return true;
}

int CSftpUploadChannel::Upload(CUploadQueue& queue) {
    uploadQueue = &queue;
    bool more = true;
    for (;;) {
        while (more && busy < kFilesOnTheWay && unacknowledged < kMaxUnacknowledged &&
               composing.size() < kMaxComposing) {
            UploadJob job;
            if (!queue.Next(job)) {
                more = false;
                break;
            }
            Admit(queue, std::move(job));
        }
        for (std::size_t slot = 0; slot < slots.size(); ++slot)
            if (slots[slot] && slots[slot]->opened && !slots[slot]->closeSent &&
                !PumpWrites(queue, slot))
                return kSftpStopped;
        if (!more && busy == 0 && composing.empty() && sent == sending.size() &&
            pending == Pending::None)
            return 0;
        if (const int code = Turn(); code != 0) return code;
    }
}

int CSftpUploadChannel::Remove(CRemovalQueue& queue) {
    removalQueue = &queue;
    bool more = true;
    for (;;) {
        std::string path;
        std::size_t id = 0;
        while (more && removing < kFilesOnTheWay && composing.size() < kMaxComposing) {
            if (!queue.Next(path, id)) {
                more = false;
                break;
            }
            sftp::AppendRemove(composing, Expect(Kind::Removal, id), hooks.serverPath(path));
            ++removing;
        }
        if (!more && removing == 0 && composing.empty() && sent == sending.size() &&
            pending == Pending::None)
            return 0;
        if (const int code = Turn(); code != 0) return code;
    }
}

int CSftpUploadChannel::Turn() {
    bool progressed = false;
    if (const int code = Exchange(progressed); code != 0) return code;
    if (const int code = Dispatch(); code != 0) return code;
    if (progressed) {
        retried = false;
        return 0;
    }
    // A window adjustment may have come in with the answers just read: the write is tried once
    // more before waiting for the socket to say so.
    if (windowFull && !retried) {
        retried = true;
        return 0;
    }
    retried = false;
    return WaitForSocket();
}

int CSftpUploadChannel::Exchange(bool& progressed) {
    if (pending != Pending::Read) {
        if (sent == sending.size()) {
            sending.clear();
            sent = 0;
            sending.swap(composing);
        }
        windowFull = false;
        while (sent < sending.size()) {
            const ssize_t wrote =
                libssh2_channel_write(channel, sending.data() + sent, sending.size() - sent);
            if (wrote > 0) {
                sent += static_cast<std::size_t>(wrote);
                progressed = true;
                pending = Pending::None;
                continue;
            }
            if (wrote == 0) {
                pending = Pending::None;
                windowFull = true;
                break;
            }
            if (wrote != LIBSSH2_ERROR_EAGAIN) return static_cast<int>(wrote);
            pending =
                (libssh2_session_block_directions(session) & LIBSSH2_SESSION_BLOCK_OUTBOUND) != 0
                    ? Pending::Write
                    : Pending::None;
            break;
        }
    }
    if (pending == Pending::Write) return 0;
    char buffer[kReadChunk];
    for (;;) {
        const ssize_t got = libssh2_channel_read(channel, buffer, sizeof buffer);
        if (got > 0) {
            if (parsed > 0 && parsed == incoming.size()) {
                incoming.clear();
                parsed = 0;
            }
            incoming.append(buffer, static_cast<std::size_t>(got));
            progressed = true;
            pending = Pending::None;
            continue;
        }
        if (got == LIBSSH2_ERROR_EAGAIN) {
            pending =
                (libssh2_session_block_directions(session) & LIBSSH2_SESSION_BLOCK_OUTBOUND) != 0
                    ? Pending::Read
                    : Pending::None;
            return 0;
        }
        if (got < 0) return static_cast<int>(got);
        if (libssh2_channel_eof(channel) != 0) {
            problem = "the server ended the SFTP session";
            return LIBSSH2_ERROR_CHANNEL_CLOSED;
        }
        // libssh2 read a packet for another channel: the socket may hold more.
        pending = Pending::None;
        progressed = true;
        return 0;
    }
}

int CSftpUploadChannel::Dispatch() {
    for (;;) {
        sftp::Reply reply;
        std::size_t used = 0;
        const sftp::Parse parse =
            sftp::ParseReply(std::string_view(incoming).substr(parsed), reply, used);
        if (parse == sftp::Parse::Incomplete) break;
        if (parse == sftp::Parse::Malformed) return Malformed("an answer cannot be read");
        parsed += used;
        const auto request = requests.find(reply.id);
        if (request == requests.end()) return Malformed("an answer to no request came");
        const Request answered = request->second;
        requests.erase(request);
        if (const int code = Answered(answered, reply); code != 0) return code;
    }
    if (parsed > (1u << 16) && parsed * 2 > incoming.size()) {
        incoming.erase(0, parsed);
        parsed = 0;
    }
    return 0;
}

int CSftpUploadChannel::Answered(const Request& request, const sftp::Reply& reply) {
    if (request.kind == Kind::Ignored) return 0;
    if (request.kind == Kind::Removal) {
        if (reply.type != sftp::kStatus || removalQueue == nullptr)
            return Malformed("an answer of the wrong kind came");
        --removing;
        // A file that is already gone counts as deleted.
        const bool gone = reply.status == sftp::kOk || IsMissing(reply.status);
        removalQueue->Finished(request.slot, gone ? TransportResult{} : Refused(reply.status));
        return 0;
    }
    if (uploadQueue == nullptr) return Malformed("an answer to no upload came");
    Transfer& transfer = *slots[request.slot];
    if (request.kind == Kind::Open && reply.type == sftp::kHandle) {
        transfer.handle = reply.handle;
        transfer.opened = true;
        return 0;
    }
    if (reply.type != sftp::kStatus) return Malformed("an answer of the wrong kind came");
    const std::uint32_t status = reply.status;
    switch (request.kind) {
        case Kind::Ignored:
        case Kind::Removal:
            break;
        case Kind::Open:
            if (status == sftp::kOk) return Malformed("a file was opened without a handle");
            if (IsMissing(status) && !transfer.foldersMade) {
                transfer.foldersMade = true;
                for (const std::string& folder : FoldersAbove(transfer.temporary))
                    SendMkdir(folder);
                SendOpen(request.slot);
            } else {
                Finish(request.slot, Refused(status));
            }
            break;
        case Kind::Write:
        case Kind::Close:
            if (request.kind == Kind::Write) unacknowledged -= request.bytes;
            --transfer.outstanding;
            if (status != sftp::kOk && transfer.failure.Ok()) transfer.failure = Refused(status);
            if (!transfer.closeSent || transfer.outstanding > 0) break;
            if (transfer.failure.Ok()) {
                // Every write and the close were acknowledged: the file is whole.
                SendRename(request.slot);
            } else {
                sftp::AppendRemove(composing, Expect(Kind::Ignored), transfer.temporary);
                Finish(request.slot, transfer.failure);
            }
            break;
        case Kind::Rename:
            if (status == sftp::kOk) {
                Finish(request.slot, {});
            } else if (!posixRename && !transfer.replacing && !IsMissing(status)) {
                // A plain rename onto a taken name fails (OpenSSH's does): the old file goes,
                // and the rename follows in the same batch.
                transfer.replacing = true;
                sftp::AppendRemove(composing, Expect(Kind::Ignored), transfer.target);
                SendRename(request.slot);
            } else {
                Finish(request.slot, Refused(status));
            }
            break;
    }
    return 0;
}

void CSftpUploadChannel::Finish(std::size_t slot, const TransportResult& result) {
    std::unique_ptr<Transfer> transfer = std::move(slots[slot]);
    --busy;
    uploadQueue->Finished(transfer->job, result);
}

TransportResult CSftpUploadChannel::Refused(std::uint32_t status) const {
    return {IsMissing(status) ? TransportFailure::Missing : TransportFailure::File,
            sftp::StatusText(status), hooks.fingerprint};
}

int CSftpUploadChannel::Malformed(const std::string& what) {
    problem = "the server's SFTP answers make no sense: " + what;
    return LIBSSH2_ERROR_PROTO;
}

int CSftpUploadChannel::Close() {
    while (channel != nullptr) {
        const int code = libssh2_channel_free(channel);
        if (code == 0) channel = nullptr;
        if (code == LIBSSH2_ERROR_EAGAIN) {
            if (const int waited = WaitForSocket(); waited != 0) return waited;
        } else if (code != 0) {
            return code;
        }
    }
    return 0;
}

std::vector<std::size_t> CSftpUploadChannel::TakeUnfinishedRemovals() {
    std::vector<std::size_t> ids;
    for (const auto& [id, request] : requests)
        if (request.kind == Kind::Removal) ids.push_back(request.slot);
    std::erase_if(requests, [](const auto& entry) { return entry.second.kind == Kind::Removal; });
    removing = 0;
    return ids;
}

std::vector<UploadJob> CSftpUploadChannel::TakeUnfinished() {
    std::vector<UploadJob> jobs;
    for (std::unique_ptr<Transfer>& transfer : slots)
        if (transfer) jobs.push_back(std::move(transfer->job));
    std::fill(slots.begin(), slots.end(), nullptr);
    busy = 0;
    return jobs;
}
