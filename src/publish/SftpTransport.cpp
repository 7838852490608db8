#include "SftpTransport.h"

#include <libssh2.h>
#include <libssh2_sftp.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

#include "FileDigest.h"
#include "KnownServers.h"
#include "SftpMessages.h"
#include "SftpUploadChannel.h"
#include "TcpSocket.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

// A manifest larger than this is not ours.
constexpr std::size_t kMaxReadBytes = 256u << 20;
// libssh2 splits a read into requests and keeps several on the way at once.
constexpr std::size_t kReadChunk = 256u << 10;
// A request that sees no progress for this long has lost its server.
constexpr int kStallMilliseconds = 60000;
constexpr int kPollSliceMilliseconds = 100;
constexpr int kStopped = kSftpStopped;

void InitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { libssh2_init(0); });
}

// What the connections of one publish share: the acceptance of a new host key, and the folders
// asked for.
struct SharedConnections {
    std::mutex mutex;
    bool added = false;
    std::shared_ptr<CSftpFolders> folders = std::make_shared<CSftpFolders>();
};

// One file handed out once, for the uploads that go one at a time.
class CSingleUpload final : public CUploadQueue {
public:
    CSingleUpload(const UploadSource& source, const std::string& path,
                  const std::string& temporaryPath, const TransferProgressFn& progress)
        : job{0, source, path, temporaryPath}, progress(progress) {}

    bool Next(UploadJob& next) override {
        if (handedOut) return false;
        handedOut = true;
        next = job;
        return true;
    }
    bool Sent(const UploadJob&, std::uint64_t sent) override { return !progress || progress(sent); }
    void Finished(const UploadJob&, const TransportResult& done) override { result = done; }

    TransportResult result{TransportFailure::Cancelled, {}, {}};

private:
    UploadJob job;
    const TransferProgressFn& progress;
    bool handedOut = false;
};

// The key type name an SSH key blob starts with ("ssh-ed25519", "ecdsa-sha2-nistp256" ...).
std::string KeyTypeOf(std::string_view blob) {
    if (blob.size() < 4) return {};
    const std::size_t length =
        (static_cast<std::size_t>(static_cast<unsigned char>(blob[0])) << 24) |
        (static_cast<std::size_t>(static_cast<unsigned char>(blob[1])) << 16) |
        (static_cast<std::size_t>(static_cast<unsigned char>(blob[2])) << 8) |
        static_cast<std::size_t>(static_cast<unsigned char>(blob[3]));
    if (length == 0 || length > 64 || blob.size() < 4 + length) return {};
    return std::string(blob.substr(4, length));
}

int KnownHostKeyBit(int hostKeyType) {
    switch (hostKeyType) {
        case LIBSSH2_HOSTKEY_TYPE_RSA:
            return LIBSSH2_KNOWNHOST_KEY_SSHRSA;
        case LIBSSH2_HOSTKEY_TYPE_DSS:
            return LIBSSH2_KNOWNHOST_KEY_SSHDSS;
        case LIBSSH2_HOSTKEY_TYPE_ECDSA_256:
            return LIBSSH2_KNOWNHOST_KEY_ECDSA_256;
        case LIBSSH2_HOSTKEY_TYPE_ECDSA_384:
            return LIBSSH2_KNOWNHOST_KEY_ECDSA_384;
        case LIBSSH2_HOSTKEY_TYPE_ECDSA_521:
            return LIBSSH2_KNOWNHOST_KEY_ECDSA_521;
        case LIBSSH2_HOSTKEY_TYPE_ED25519:
            return LIBSSH2_KNOWNHOST_KEY_ED25519;
        default:
            return LIBSSH2_KNOWNHOST_KEY_UNKNOWN;
    }
}

bool IsLoginRefusal(int code) {
    return code == LIBSSH2_ERROR_AUTHENTICATION_FAILED ||
           code == LIBSSH2_ERROR_PUBLICKEY_UNVERIFIED || code == LIBSSH2_ERROR_FILE ||
           code == LIBSSH2_ERROR_METHOD_NONE || code == LIBSSH2_ERROR_PASSWORD_EXPIRED ||
           code == LIBSSH2_ERROR_METHOD_NOT_SUPPORTED || code == LIBSSH2_ERROR_PUBLICKEY_PROTOCOL;
}

bool Offers(std::string_view methods, std::string_view method) {
    while (!methods.empty()) {
        const std::size_t comma = methods.find(',');
        if (methods.substr(0, comma) == method) return true;
        if (comma == std::string_view::npos) break;
        methods.remove_prefix(comma + 1);
    }
    return false;
}

class CSftpTransport final : public CPublishTransport {
public:
    CSftpTransport(const CurlTransportOptions& options, std::shared_ptr<SharedConnections> shared)
        : options(options), shared(std::move(shared)) {}
    ~CSftpTransport() override { Disconnect(false); }
    CSftpTransport(const CSftpTransport&) = delete;
    CSftpTransport& operator=(const CSftpTransport&) = delete;

    TransportResult Open() override {
        honourCancel = true;
        return Connect();
    }

    std::string Fingerprint() const override { return fingerprint; }

    TransportResult Read(const std::string& path, std::string& bytes) override {
        bytes.clear();
        honourCancel = true;
        if (TransportResult open = ConnectSftp(); !open.Ok()) return open;
        int code = 0;
        const std::string file = ServerPath(path);
        LIBSSH2_SFTP_HANDLE* handle =
            OpenHandle(file, LIBSSH2_FXF_READ, LIBSSH2_SFTP_OPENFILE, code);
        if (handle == nullptr) return Failure(code);
        std::vector<char> buffer(kReadChunk);
        for (;;) {
            ssize_t got = 0;
            code = Run([&] {
                got = libssh2_sftp_read(handle, buffer.data(), buffer.size());
                return got < 0 ? static_cast<int>(got) : 0;
            });
            if (code != 0) return Failure(code, handle);
            if (got == 0) break;
            if (bytes.size() + static_cast<std::size_t>(got) > kMaxReadBytes) {
                CloseHandle(handle);
                return {TransportFailure::File, "it is too large", fingerprint};
            }
            bytes.append(buffer.data(), static_cast<std::size_t>(got));
        }
        if ((code = CloseHandle(handle)) != 0) return Failure(code);
        return {};
    }

    TransportResult Stat(const std::string& path, RemoteFileStamp& stamp) override {
        stamp = {};
        honourCancel = true;
        if (TransportResult open = ConnectSftp(); !open.Ok()) return open;
        const std::string file = ServerPath(path);
        LIBSSH2_SFTP_ATTRIBUTES attributes{};
        const int code = Run([&] {
            return libssh2_sftp_stat_ex(sftp, file.data(), static_cast<unsigned>(file.size()),
                                        LIBSSH2_SFTP_STAT, &attributes);
        });
        if (code != 0) return Failure(code);
        constexpr unsigned long kWanted = LIBSSH2_SFTP_ATTR_SIZE | LIBSSH2_SFTP_ATTR_ACMODTIME;
        if ((attributes.flags & kWanted) != kWanted)
            return {TransportFailure::File, "the server does not tell the file's size and time",
                    fingerprint};
        stamp = {attributes.filesize, static_cast<std::int64_t>(attributes.mtime)};
        return {};
    }

    TransportResult ListTarget(std::vector<std::string>& names) override {
        names.clear();
        honourCancel = true;
        if (TransportResult open = ConnectSftp(); !open.Ok()) return open;
        int code = 0;
        LIBSSH2_SFTP_HANDLE* handle = OpenHandle(ServerPath({}), 0, LIBSSH2_SFTP_OPENDIR, code);
        if (handle == nullptr) return Failure(code);
        std::array<char, 1024> name{};
        for (;;) {
            LIBSSH2_SFTP_ATTRIBUTES attributes{};
            int length = 0;
            code = Run([&] {
                length = libssh2_sftp_readdir_ex(handle, name.data(), name.size(), nullptr, 0,
                                                 &attributes);
                return std::min(length, 0);
            });
            if (code != 0) return Failure(code, handle);
            if (length == 0) break;
            std::string entry(name.data(), static_cast<std::size_t>(length));
            if (entry != "." && entry != "..") names.push_back(std::move(entry));
        }
        if ((code = CloseHandle(handle)) != 0) return Failure(code);
        return {};
    }

    TransportResult Upload(const UploadSource& source, const std::string& path,
                           const std::string& temporaryPath,
                           const TransferProgressFn& progress) override {
        // An upload without a progress report is the manifest, which is written also after the
        // user stopped the publish, so that it says what arrived.
        honourCancel = static_cast<bool>(progress);
        CSingleUpload single(source, path, temporaryPath, progress);
        RunUploads(single);
        return single.result;
    }

    void UploadQueued(CUploadQueue& queue) override {
        honourCancel = true;
        RunUploads(queue);
    }

    void RemoveQueued(CRemovalQueue& queue) override {
        honourCancel = true;
        if (TransportResult open = OpenUploads(); !open.Ok()) {
            std::string path;
            std::size_t id = 0;
            if (queue.Next(path, id)) queue.Finished(id, open);
            return;
        }
        const int code = uploads->Remove(queue);
        if (code == 0) return;
        const std::vector<std::size_t> lost = uploads->TakeUnfinishedRemovals();
        const TransportResult failure = ChannelFailure(code);
        for (const std::size_t id : lost) queue.Finished(id, failure);
    }

    TransportResult Remove(const std::string& path) override {
        honourCancel = true;
        if (TransportResult open = ConnectSftp(); !open.Ok()) return open;
        const std::string file = ServerPath(path);
        const int code = Run([&] {
            return libssh2_sftp_unlink_ex(sftp, file.data(), static_cast<unsigned>(file.size()));
        });
        // A file that is already gone counts as deleted.
        if (code == 0 || IsMissing(code)) return {};
        return Failure(code);
    }

private:
    void RunUploads(CUploadQueue& queue) {
        // A connection that cannot be made fails the first file, which stops the publish.
        if (TransportResult open = OpenUploads(); !open.Ok()) {
            UploadJob job;
            if (queue.Next(job)) queue.Finished(job, open);
            return;
        }
        const int code = uploads->Upload(queue);
        if (code == 0) return;
        const std::vector<UploadJob> lost = uploads->TakeUnfinished();
        const TransportResult failure = ChannelFailure(code);
        for (const UploadJob& job : lost) queue.Finished(job, failure);
    }

    // Connected, with the upload channel started.
    TransportResult OpenUploads() {
        if (TransportResult open = Connect(); !open.Ok()) return open;
        if (uploads) return {};
        uploads = std::make_unique<CSftpUploadChannel>(
            session,
            CSftpUploadChannel::Hooks{
                [this](bool in, bool out) { return Wait(in, out); },
                [this](const std::string& relative) { return ServerPath(relative); }, fingerprint},
            shared->folders);
        int code = uploads->Start();
        // A server that allows one channel a connection: libssh2's SFTP channel gives way.
        if (code == LIBSSH2_ERROR_CHANNEL_FAILURE && sftp != nullptr) {
            code = Run([&] { return libssh2_sftp_shutdown(sftp); });
            if (code == 0) {
                sftp = nullptr;
                code = uploads->Start();
            }
        }
        return code == 0 ? TransportResult{} : ChannelFailure(code);
    }

    // What a failure of the upload channel means: the connection is not used again.
    TransportResult ChannelFailure(int code) {
        const std::string problem = uploads ? uploads->Problem() : std::string();
        TransportResult result = Failure(code);
        if (!problem.empty() && result.failure == TransportFailure::Connect)
            result.message = problem;
        Disconnect(true);
        return result;
    }

    // The path the SFTP server is given: absolute, or under the home folder. An empty
    // `relative` names the target folder itself.
    std::string ServerPath(const std::string& relative) const {
        const std::string& base = options.address.path;
        std::string folder;
        if (base == "/~")
            folder = ".";
        else if (base.starts_with("/~/"))
            folder = base.substr(3);
        else
            folder = base.empty() ? "/" : base;
        if (relative.empty()) return folder;
        if (folder == ".") return relative;
        return folder.ends_with('/') ? folder + relative : folder + "/" + relative;
    }

    std::string UserName() const {
        if (!options.address.user.empty()) return options.address.user;
        for (const char* name : {"USER", "LOGNAME"})
            if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
                return value;
        return {};
    }

    bool Cancelled() const {
        return honourCancel && options.cancel != nullptr && options.cancel->load();
    }

    // Waits until the socket is ready for what libssh2 waits for. 0, or why not.
    int Wait() {
        const int directions = libssh2_session_block_directions(session);
        const bool out = (directions & LIBSSH2_SESSION_BLOCK_OUTBOUND) != 0;
        const bool in = (directions & LIBSSH2_SESSION_BLOCK_INBOUND) != 0 || !out;
        return Wait(in, out);
    }

    int Wait(bool in, bool out) {
        for (int waited = 0;;) {
            if (Cancelled()) return kStopped;
            const SocketWait ready = WaitOnSocket(socket, in, out, kPollSliceMilliseconds);
            if (ready == SocketWait::Ready) return 0;
            if (ready == SocketWait::Failed) return LIBSSH2_ERROR_SOCKET_RECV;
            if ((waited += kPollSliceMilliseconds) >= stallLimit) return LIBSSH2_ERROR_TIMEOUT;
        }
    }

    // Repeats a libssh2 call that answers EAGAIN, waiting on the socket in between.
    template <class Call>
    int Run(Call&& call) {
        for (;;) {
            const int code = call();
            if (code != LIBSSH2_ERROR_EAGAIN) return code;
            if (const int waited = Wait(); waited != 0) return waited;
        }
    }

    // The same for a call that answers a pointer, nullptr on failure.
    template <class Call>
    auto RunForPointer(Call&& call, int& code) {
        for (;;) {
            auto* result = call();
            if (result != nullptr) {
                code = 0;
                return result;
            }
            code = libssh2_session_last_errno(session);
            if (code != LIBSSH2_ERROR_EAGAIN) return result;
            if ((code = Wait()) != 0) return result;
        }
    }

    // Connected, with libssh2's SFTP channel open.
    TransportResult ConnectSftp() {
        if (TransportResult open = Connect(); !open.Ok()) return open;
        if (const int code = OpenSftp(); code != 0) return Failure(code);
        return {};
    }

    // libssh2's SFTP channel, for all but the uploads. Where the server allows one channel a
    // connection, the upload channel is closed first.
    int OpenSftp() {
        int code = 0;
        while (sftp == nullptr) {
            sftp = RunForPointer([&] { return libssh2_sftp_init(session); }, code);
            if (sftp != nullptr) break;
            if (code != LIBSSH2_ERROR_CHANNEL_FAILURE || !uploads) return code;
            if ((code = uploads->Close()) != 0) return code;
            uploads.reset();
        }
        return 0;
    }

    LIBSSH2_SFTP_HANDLE* OpenHandle(const std::string& path, unsigned long flags, int type,
                                    int& code) {
        constexpr long kMode = LIBSSH2_SFTP_S_IRUSR | LIBSSH2_SFTP_S_IWUSR | LIBSSH2_SFTP_S_IRGRP |
                               LIBSSH2_SFTP_S_IROTH;
        return RunForPointer(
            [&] {
                return libssh2_sftp_open_ex(sftp, path.data(), static_cast<unsigned>(path.size()),
                                            flags, kMode, type);
            },
            code);
    }

    int CloseHandle(LIBSSH2_SFTP_HANDLE* handle) {
        return Run([&] { return libssh2_sftp_close_handle(handle); });
    }

    bool IsMissing(int code) const {
        if (code != LIBSSH2_ERROR_SFTP_PROTOCOL || sftp == nullptr) return false;
        const unsigned long status = libssh2_sftp_last_error(sftp);
        return status == LIBSSH2_FX_NO_SUCH_FILE || status == LIBSSH2_FX_NO_SUCH_PATH;
    }

    std::string LastError() const {
        char* message = nullptr;
        if (session != nullptr) libssh2_session_last_error(session, &message, nullptr, 0);
        return message != nullptr && *message != '\0' ? message : "the connection failed";
    }

    // What a failed request means. Anything but the server's refusal of this one request leaves
    // the connection in a state no further request can build on: it is closed, and the next
    // request connects anew.
    TransportResult Failure(int code) {
        if (code == kStopped) {
            Disconnect(true);
            return {TransportFailure::Cancelled, {}, fingerprint};
        }
        if (code == LIBSSH2_ERROR_SFTP_PROTOCOL && sftp != nullptr) {
            const unsigned long status = libssh2_sftp_last_error(sftp);
            if (status == LIBSSH2_FX_NO_SUCH_FILE || status == LIBSSH2_FX_NO_SUCH_PATH)
                return {TransportFailure::Missing, "no such file or folder", fingerprint};
            return {TransportFailure::File, sftp::StatusText(static_cast<std::uint32_t>(status)),
                    fingerprint};
        }
        TransportResult result{TransportFailure::Connect, LastError(), fingerprint};
        if (code == LIBSSH2_ERROR_TIMEOUT && session != nullptr)
            result.message = "the server stopped answering";
        Disconnect(true);
        return result;
    }

    // The same, closing the file or folder the request was working on while the connection
    // still stands.
    TransportResult Failure(int code, LIBSSH2_SFTP_HANDLE* handle) {
        TransportResult result = Failure(code);
        if (session != nullptr) CloseHandle(handle);
        return result;
    }

    TransportResult Connect() {
        if (session != nullptr) return {};
        InitOnce();
        stallLimit = static_cast<int>(std::min<long>(options.connectTimeoutSeconds, 3600)) * 1000;
        if (TransportResult reached = Reach(); !reached.Ok()) return reached;
        session = libssh2_session_init_ex(nullptr, nullptr, nullptr, this);
        if (session == nullptr) {
            Disconnect(true);
            return {TransportFailure::Connect, "SSH cannot be set up", {}};
        }
        libssh2_session_set_blocking(session, 0);
        // The server shows the kind of key known_hosts holds for it, when it has several.
        std::string knownType =
            KnownHostKeyType(options.sshFolder / "known_hosts", options.address.KnownHostsName());
        if (knownType == "ssh-rsa") knownType = "rsa-sha2-512,rsa-sha2-256,ssh-rsa";
        if (!knownType.empty())
            libssh2_session_method_pref(session, LIBSSH2_METHOD_HOSTKEY, knownType.c_str());
        int code = Run([&] { return libssh2_session_handshake(session, socket); });
        if (code != 0) return Failure(code);
        if (TransportResult checked = CheckHostKey(); !checked.Ok()) {
            Disconnect(true);
            return checked;
        }
        if (TransportResult login = LogIn(); !login.Ok()) return login;
        if ((code = OpenSftp()) != 0) return Failure(code);
        stallLimit = kStallMilliseconds;
        return {};
    }

    // The TCP connection, within the connection timeout and stoppable.
    TransportResult Reach() {
        const std::string& host = options.address.host;
        const std::string port = std::to_string(options.address.EffectivePort());
        const TcpConnectResult reached = ConnectTcp(host, port, kPollSliceMilliseconds, stallLimit,
                                                    [this] { return Cancelled(); });
        switch (reached.outcome) {
            case TcpConnectResult::Outcome::Connected:
                socket = reached.socket;
                return {};
            case TcpConnectResult::Outcome::Stopped:
                Disconnect(true);
                return {TransportFailure::Cancelled, {}, {}};
            case TcpConnectResult::Outcome::HostUnknown:
                return {TransportFailure::Connect,
                        "cannot find the server " + host + ": " + reached.reason,
                        {}};
            case TcpConnectResult::Outcome::Refused:
                break;
        }
        return {TransportFailure::Connect,
                "cannot connect to " + host + " port " + port + ": " + reached.reason,
                {}};
    }

    TransportResult CheckHostKey() {
        std::size_t length = 0;
        int type = 0;
        const char* key = libssh2_session_hostkey(session, &length, &type);
        if (key == nullptr) return {TransportFailure::Connect, "the server shows no host key", {}};
        const std::string blob(key, length);
        fingerprint = Sha256Fingerprint(blob);
        const std::unique_ptr<LIBSSH2_KNOWNHOSTS, decltype(&libssh2_knownhost_free)> known(
            libssh2_knownhost_init(session), &libssh2_knownhost_free);
        int match = LIBSSH2_KNOWNHOST_CHECK_NOTFOUND;
        if (known) {
            const std::string file = Utf8FromPath(options.sshFolder / "known_hosts");
            // A missing file knows no server; the lines before one libssh2 cannot read count.
            libssh2_knownhost_readfile(known.get(), file.c_str(), LIBSSH2_KNOWNHOST_FILE_OPENSSH);
            const int port = options.address.EffectivePort();
            match = libssh2_knownhost_checkp(
                known.get(), options.address.host.c_str(), port == 22 ? -1 : port, key, length,
                LIBSSH2_KNOWNHOST_TYPE_PLAIN | LIBSSH2_KNOWNHOST_KEYENC_RAW | KnownHostKeyBit(type),
                nullptr);
        }
        if (match == LIBSSH2_KNOWNHOST_CHECK_MATCH) return {};
        if (match == LIBSSH2_KNOWNHOST_CHECK_MISMATCH)
            return {TransportFailure::HostKeyChanged,
                    "WARNING: the server's host key differs from the one known_hosts holds for " +
                        options.address.KnownHostsName() +
                        "; someone may be listening in, or the server was set up anew. Nothing "
                        "was sent.",
                    fingerprint};
        if (fingerprint != options.acceptedFingerprint)
            return {TransportFailure::HostKeyUnknown,
                    "the server's host key " + fingerprint + " is not in known_hosts", fingerprint};
        RememberHostKey(blob);
        return {};
    }

    // Adds an accepted key to known_hosts as one more line, leaving the user's lines as they are.
    void RememberHostKey(const std::string& blob) {
        std::lock_guard lock(shared->mutex);
        if (shared->added) return;
        const std::string type = KeyTypeOf(blob);
        if (type.empty()) return;
        std::error_code error;
        fs::create_directories(options.sshFolder, error);
        fs::permissions(options.sshFolder, fs::perms::owner_all, fs::perm_options::replace, error);
        std::ofstream file(options.sshFolder / "known_hosts", std::ios::app | std::ios::binary);
        file << options.address.KnownHostsName() << ' ' << type << ' ' << Base64Encode(blob)
             << '\n';
        shared->added = static_cast<bool>(file);
    }

    // The SSH agent, else the first of the user's keys, else the password.
    TransportResult LogIn() {
        const std::string user = UserName();
        const auto userLength = static_cast<unsigned>(user.size());
        int code = 0;
        const char* listed = RunForPointer(
            [&] { return libssh2_userauth_list(session, user.data(), userLength); }, code);
        if (listed == nullptr) {
            if (libssh2_userauth_authenticated(session)) return {};
            return Failure(code);
        }
        const std::string methods = listed;
        // Whether the login is done; a refusal moves on to the next way.
        const auto tried = [&](int result, TransportResult& failure) {
            if (result == 0) return true;
            if (!IsLoginRefusal(result)) failure = Failure(result);
            return false;
        };
        TransportResult failure;
        if (Offers(methods, "publickey")) {
            if (LogInWithAgent(user, failure)) return {};
            if (!failure.Ok()) return failure;
            for (const char* name : {"id_ed25519", "id_ecdsa", "id_rsa"}) {
                std::error_code error;
                const fs::path key = options.sshFolder / name;
                if (!fs::is_regular_file(key, error)) continue;
                const std::string keyFile = Utf8FromPath(key);
                // libssh2 works the public key out of the private one.
                if (tried(Run([&] {
                              return libssh2_userauth_publickey_fromfile_ex(
                                  session, user.data(), userLength, nullptr, keyFile.c_str(),
                                  nullptr);
                          }),
                          failure))
                    return {};
                if (!failure.Ok()) return failure;
                break;
            }
        }
        if (!options.password.empty() && Offers(methods, "password")) {
            if (tried(Run([&] {
                          return libssh2_userauth_password_ex(
                              session, user.data(), userLength, options.password.data(),
                              static_cast<unsigned>(options.password.size()), nullptr);
                      }),
                      failure))
                return {};
            if (!failure.Ok()) return failure;
        }
        if (!options.password.empty() && Offers(methods, "keyboard-interactive")) {
            if (tried(Run([&] {
                          return libssh2_userauth_keyboard_interactive_ex(
                              session, user.data(), userLength, &CSftpTransport::Answer);
                      }),
                      failure))
                return {};
            if (!failure.Ok()) return failure;
        }
        Disconnect(true);
        return {TransportFailure::Login,
                std::string("the server refused the login: ") +
                    (options.password.empty() ? "no key was accepted"
                                              : "neither a key nor the password was accepted"),
                fingerprint};
    }

    bool LogInWithAgent(const std::string& user, TransportResult& failure) {
        const char* socketPath = std::getenv("SSH_AUTH_SOCK");
        if (socketPath == nullptr || *socketPath == '\0') return false;
        const std::unique_ptr<LIBSSH2_AGENT, decltype(&libssh2_agent_free)> agent(
            libssh2_agent_init(session), &libssh2_agent_free);
        if (!agent || libssh2_agent_connect(agent.get()) != 0) return false;
        bool done = false;
        if (libssh2_agent_list_identities(agent.get()) == 0) {
            libssh2_agent_publickey* identity = nullptr;
            while (!done && libssh2_agent_get_identity(agent.get(), &identity, identity) == 0) {
                const int code = Run(
                    [&] { return libssh2_agent_userauth(agent.get(), user.c_str(), identity); });
                done = code == 0;
                if (!done && !IsLoginRefusal(code)) {
                    failure = Failure(code);
                    break;
                }
            }
        }
        libssh2_agent_disconnect(agent.get());
        return done;
    }

    // Keyboard-interactive logins ask for the password; every prompt gets it.
    static void Answer(const char*, int, const char*, int, int count,
                       const LIBSSH2_USERAUTH_KBDINT_PROMPT*,
                       LIBSSH2_USERAUTH_KBDINT_RESPONSE* responses, void** abstract) {
        const auto* transport = static_cast<const CSftpTransport*>(*abstract);
        const std::string& password = transport->options.password;
        for (int i = 0; i < count; ++i) {
            // libssh2 frees the answers with free().
            auto* text = static_cast<char*>(std::malloc(password.size() + 1));
            if (text == nullptr) continue;
            std::memcpy(text, password.c_str(), password.size() + 1);
            responses[i].text = text;
            responses[i].length = static_cast<unsigned>(password.size());
        }
    }

    // Ends the connection. `broken`: requests may be half done, so nothing more is said to the
    // server. Otherwise every request was answered, and the server is told goodbye without
    // waiting for it to close the SFTP channel in turn.
    void Disconnect(bool broken) {
        if (session != nullptr) {
            // libssh2 frees the SFTP channel and the session only when it may wait for them.
            libssh2_session_set_blocking(session, 1);
            libssh2_session_set_timeout(session, 2000);
            if (!broken) libssh2_session_disconnect(session, "done");
            ShutdownSocket(socket);
            uploads.reset();
            if (sftp != nullptr) libssh2_sftp_shutdown(sftp);
            libssh2_session_free(session);
        }
        sftp = nullptr;
        session = nullptr;
        CloseSocket(socket);
        socket = -1;
    }

    CurlTransportOptions options;
    std::shared_ptr<SharedConnections> shared;
    int socket = -1;
    LIBSSH2_SESSION* session = nullptr;
    LIBSSH2_SFTP* sftp = nullptr;
    std::string fingerprint;
    bool honourCancel = true;
    int stallLimit = kStallMilliseconds;
    std::unique_ptr<CSftpUploadChannel> uploads;
};

}  // namespace

TransportFactory SftpTransportFactory(const CurlTransportOptions& options) {
    InitOnce();
    auto shared = std::make_shared<SharedConnections>();
    return [options, shared]() -> std::unique_ptr<CPublishTransport> {
        return std::make_unique<CSftpTransport>(options, shared);
    };
}
