#include "CurlTransport.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "FileDigest.h"
#include "KnownServers.h"
#include "SftpTransport.h"

namespace fs = std::filesystem;

namespace {

// A manifest larger than this is not ours.
constexpr std::size_t kMaxReadBytes = 256u << 20;
// A busy server answers now and then that it could not open a data connection (425) or that one
// broke off (426); the same request a moment later goes through.
constexpr int kDataConnectionAttempts = 3;
constexpr std::chrono::milliseconds kDataConnectionPause{200};

bool DataConnectionFailed(long response) {
    return response == 425 || response == 426;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlListFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListFree>;

CurlList MakeList(const std::vector<std::string>& lines) {
    curl_slist* list = nullptr;
    for (const std::string& line : lines) list = curl_slist_append(list, line.c_str());
    return CurlList(list);
}

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The keeping of an accepted certificate, shared by the connections of one publish.
struct SharedHostKey {
    std::mutex mutex;
    bool certificateKept = false;
};

int SslIndex() {
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

class CCurlTransport final : public CPublishTransport {
public:
    CCurlTransport(const CurlTransportOptions& options, std::shared_ptr<SharedHostKey> shared)
        : options(options), shared(std::move(shared)), handle(curl_easy_init()) {}
    ~CCurlTransport() override {
        if (handle) curl_easy_cleanup(handle);
    }
    CCurlTransport(const CCurlTransport&) = delete;
    CCurlTransport& operator=(const CCurlTransport&) = delete;

    TransportResult Open() override {
        if (open) return {};
        Prepare(FileUrl(kProbeName));
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
        TransportResult result = Perform();
        if (result.failure == TransportFailure::Missing || result.Ok()) {
            open = true;
            return {};
        }
        return result;
    }

    std::string Fingerprint() const override { return fingerprint; }

    TransportResult Read(const std::string& path, std::string& bytes) override {
        bytes.clear();
        Prepare(FileUrl(path));
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CCurlTransport::Collect);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &bytes);
        collecting = &bytes;
        return Perform();
    }

    TransportResult Stat(const std::string& path, RemoteFileStamp& stamp) override {
        stamp = {};
        Prepare(FileUrl(path));
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(handle, CURLOPT_FILETIME, 1L);
        if (TransportResult result = Perform(); !result.Ok()) return result;
        curl_off_t size = -1;
        curl_off_t time = -1;
        curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
        curl_easy_getinfo(handle, CURLINFO_FILETIME_T, &time);
        if (size < 0 || time < 0)
            return {TransportFailure::File, "the server does not tell the file's size and time",
                    fingerprint};
        stamp = {static_cast<std::uint64_t>(size), static_cast<std::int64_t>(time)};
        return {};
    }

    TransportResult ListTarget(std::vector<std::string>& names) override {
        names.clear();
        std::string listing;
        Prepare(FolderUrl(""));
        curl_easy_setopt(handle, CURLOPT_DIRLISTONLY, 1L);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CCurlTransport::Collect);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &listing);
        collecting = &listing;
        const TransportResult result = Perform();
        if (!result.Ok()) return result;
        std::size_t from = 0;
        while (from < listing.size()) {
            std::size_t end = listing.find('\n', from);
            if (end == std::string::npos) end = listing.size();
            std::string name = listing.substr(from, end - from);
            if (name.ends_with('\r')) name.pop_back();
            if (!name.empty() && name != "." && name != "..") names.push_back(std::move(name));
            from = end + 1;
        }
        return {};
    }

    TransportResult Upload(const UploadSource& source, const std::string& path,
                           const std::string& temporaryPath,
                           const TransferProgressFn& progress) override {
        std::unique_ptr<std::FILE, FileClose> file;
        std::uint64_t size = source.bytes.size();
        if (source.fromFile) {
            file.reset(std::fopen(source.file.c_str(), "rb"));
            std::error_code error;
            size = fs::file_size(source.file, error);
            if (!file || error) return {TransportFailure::File, "cannot be read", {}};
        }
        Prepare(FileUrl(temporaryPath));
        reading = {file.get(), &source.bytes, 0};
        uploadProgress = progress ? &progress : nullptr;
        // An upload without a progress report is the manifest, which is written also after the
        // user stopped the publish, so that it says what arrived.
        honourCancel = static_cast<bool>(progress);
        curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(handle, CURLOPT_READFUNCTION, &CCurlTransport::Supply);
        curl_easy_setopt(handle, CURLOPT_READDATA, this);
        curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
        curl_easy_setopt(handle, CURLOPT_FTP_CREATE_MISSING_DIRS, CURLFTP_CREATE_DIR_RETRY);
        // After the upload the connection is in the file's folder.
        const CurlList afterList =
            MakeList({"RNFR " + NameOf(temporaryPath), "RNTO " + NameOf(path)});
        curl_easy_setopt(handle, CURLOPT_POSTQUOTE, afterList.get());
        TransportResult result = Perform();
        uploadProgress = nullptr;
        honourCancel = true;
        return result;
    }

    TransportResult Remove(const std::string& path) override {
        const std::size_t slash = path.rfind('/');
        Prepare(FolderUrl(slash == std::string::npos ? "" : path.substr(0, slash)));
        const CurlList commands = MakeList({"DELE " + NameOf(path)});
        curl_easy_setopt(handle, CURLOPT_POSTQUOTE, commands.get());
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
        TransportResult result = Perform();
        if (result.Ok() || result.Fatal() || result.failure == TransportFailure::Cancelled)
            return result;
        // A file that is already gone counts as deleted.
        Prepare(FileUrl(path));
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
        const TransportResult there = Perform();
        if (there.failure == TransportFailure::Missing) return {};
        return result;
    }

private:
    static constexpr const char* kProbeName = ".pagelorn-publish.json";

    std::string ServerRootUrl() const {
        const PublishAddress& a = options.address;
        const std::string host =
            a.host.find(':') != std::string::npos ? "[" + a.host + "]" : a.host;
        return "ftp://" + host + ":" + std::to_string(a.EffectivePort()) + "/";
    }
    std::string FolderUrl(const std::string& relative) const {
        std::string path = options.address.path;
        if (!relative.empty()) path += "/" + relative;
        std::string url = ServerRootUrl();
        url.pop_back();
        return url + EncodeUrlPath(path) + "/";
    }
    std::string FileUrl(const std::string& relative) const {
        std::string url = ServerRootUrl();
        url.pop_back();
        return url + EncodeUrlPath(options.address.path + "/" + relative);
    }
    static std::string NameOf(const std::string& path) {
        const std::size_t slash = path.rfind('/');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }

    void Prepare(const std::string& url) {
        // A reset keeps the connection, so that one login serves every request.
        curl_easy_reset(handle);
        errorText[0] = '\0';
        certificateRefused = false;
        collecting = nullptr;
        reading = {};
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText.data());
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, 60L);
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &CCurlTransport::OnProgress);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
        // What a request without a body answers (FTP's "Content-Length: ...") is not ours to
        // print.
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CCurlTransport::Discard);
        curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &CCurlTransport::Discard);
        const std::string& user = options.address.user;
        if (!user.empty()) curl_easy_setopt(handle, CURLOPT_USERNAME, user.c_str());
        if (!options.password.empty())
            curl_easy_setopt(handle, CURLOPT_PASSWORD, options.password.c_str());
        PrepareFtp();
    }

    void PrepareFtp() {
        if (options.address.protocol == PublishProtocol::Ftps) {
            curl_easy_setopt(handle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
            curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
            curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST,
                             TrustedCertificate().empty() ? 2L : 0L);
            curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, &CCurlTransport::PrepareTls);
            curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, this);
        }
        curl_easy_setopt(handle, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
    }

    // The certificate trusted whether or not it can be verified: the one the user accepts now,
    // else the one accepted before for this server.
    const std::string& TrustedCertificate() {
        if (!rememberedLoaded) {
            rememberedCertificate =
                KnownCertificate(options.knownCertificates, options.address.KnownHostsName());
            rememberedLoaded = true;
        }
        return options.acceptedFingerprint.empty() ? rememberedCertificate
                                                   : options.acceptedFingerprint;
    }

    // Keeps a certificate the user accepted once the handshake took it, so that the next publish
    // does not ask again.
    void KeepAcceptedCertificate() {
        if (!certificateAccepted || options.acceptedFingerprint.empty() ||
            options.acceptedFingerprint == rememberedCertificate)
            return;
        std::lock_guard lock(shared->mutex);
        if (shared->certificateKept) return;
        shared->certificateKept =
            RememberCertificate(options.knownCertificates, options.address.KnownHostsName(),
                                options.acceptedFingerprint);
    }

    // Performs the prepared request, again when the server could not open its data connection.
    TransportResult Perform() {
        CURLcode code = CURLE_OK;
        long response = 0;
        for (int attempt = 1;; ++attempt) {
            code = curl_easy_perform(handle);
            KeepAcceptedCertificate();
            if (code == CURLE_OK) return {};
            response = 0;
            curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &response);
            if (!DataConnectionFailed(response) || attempt == kDataConnectionAttempts ||
                code == CURLE_ABORTED_BY_CALLBACK || !Restart(attempt))
                break;
        }
        TransportResult result;
        result.fingerprint = fingerprint;
        result.message = errorText[0] != '\0' ? errorText.data() : curl_easy_strerror(code);
        switch (code) {
            case CURLE_ABORTED_BY_CALLBACK:
                result.failure = TransportFailure::Cancelled;
                break;
            case CURLE_PEER_FAILED_VERIFICATION:
            case CURLE_SSL_CACERT_BADFILE:
                result.failure = TransportFailure::Certificate;
                result.message = "the server's certificate " + fingerprint +
                                 " cannot be verified (" + result.message + ")";
                break;
            case CURLE_LOGIN_DENIED:
                result.failure = TransportFailure::Login;
                break;
            case CURLE_REMOTE_FILE_NOT_FOUND:
                result.failure = TransportFailure::Missing;
                break;
            case CURLE_REMOTE_ACCESS_DENIED:
                // An FTP server answers a folder that is not there as a folder it may not enter.
                result.failure = TransportFailure::Missing;
                break;
            case CURLE_UNSUPPORTED_PROTOCOL:
            case CURLE_COULDNT_RESOLVE_HOST:
            case CURLE_COULDNT_CONNECT:
            case CURLE_OPERATION_TIMEDOUT:
            case CURLE_SSL_CONNECT_ERROR:
            case CURLE_USE_SSL_FAILED:
            case CURLE_SEND_ERROR:
            case CURLE_RECV_ERROR:
            case CURLE_GOT_NOTHING:
            case CURLE_PARTIAL_FILE:
            case CURLE_FTP_WEIRD_SERVER_REPLY:
            case CURLE_FTP_ACCEPT_FAILED:
            case CURLE_FTP_CANT_GET_HOST:
                result.failure = TransportFailure::Connect;
                break;
            default:
                result.failure = TransportFailure::File;
                break;
        }
        if (code == CURLE_SSL_CONNECT_ERROR && certificateRefused) {
            result.failure = TransportFailure::Certificate;
            result.message = "the server's certificate " + fingerprint + " cannot be verified";
        }
        if (result.failure == TransportFailure::Certificate &&
            options.acceptedFingerprint.empty() && !rememberedCertificate.empty())
            result.message = "the server's certificate " + fingerprint +
                             " differs from the one accepted for it before (" +
                             rememberedCertificate + ")";
        if (result.failure == TransportFailure::Login)
            result.message = "the server refused the login: " + result.message;
        // The control connection stands: only this transfer failed, however curl names it.
        if (DataConnectionFailed(response) && result.failure == TransportFailure::Connect)
            result.failure = TransportFailure::File;
        return result;
    }

    // Makes the request ready to be performed again after a pause; false when the user stopped
    // the publish meanwhile or the file cannot be read from its start.
    bool Restart(int attempt) {
        for (auto waited = std::chrono::milliseconds(0); waited < kDataConnectionPause * attempt;
             waited += std::chrono::milliseconds(20)) {
            if (honourCancel && options.cancel && options.cancel->load()) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        errorText[0] = '\0';
        if (collecting != nullptr) collecting->clear();
        reading.offset = 0;
        return reading.file == nullptr || std::fseek(reading.file, 0, SEEK_SET) == 0;
    }

    static size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

    static size_t Collect(char* data, size_t size, size_t count, void* target) {
        auto* bytes = static_cast<std::string*>(target);
        if (bytes->size() + size * count > kMaxReadBytes) return 0;
        bytes->append(data, size * count);
        return size * count;
    }

    static size_t Supply(char* buffer, size_t size, size_t count, void* self) {
        auto& reading = static_cast<CCurlTransport*>(self)->reading;
        const std::size_t wanted = size * count;
        if (reading.file != nullptr) {
            const std::size_t got = std::fread(buffer, 1, wanted, reading.file);
            if (got == 0 && std::ferror(reading.file)) return CURL_READFUNC_ABORT;
            return got;
        }
        const std::size_t left = reading.bytes->size() - reading.offset;
        const std::size_t got = std::min(left, wanted);
        std::copy_n(reading.bytes->data() + reading.offset, got, buffer);
        reading.offset += got;
        return got;
    }

    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
        auto* transport = static_cast<CCurlTransport*>(self);
        if (transport->honourCancel && transport->options.cancel &&
            transport->options.cancel->load())
            return 1;
        if (transport->uploadProgress && uploaded > 0 &&
            !(*transport->uploadProgress)(static_cast<std::uint64_t>(uploaded)))
            return 1;
        return 0;
    }

    static CURLcode PrepareTls(CURL*, void* context, void* self) {
        auto* tls = static_cast<SSL_CTX*>(context);
        SSL_CTX_set_ex_data(tls, SslIndex(), self);
        SSL_CTX_set_verify(tls, SSL_VERIFY_PEER, &CCurlTransport::VerifyCertificate);
        return CURLE_OK;
    }

    static int VerifyCertificate(int ok, X509_STORE_CTX* store) {
        auto* ssl = static_cast<SSL*>(
            X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        if (ssl == nullptr) return ok;
        auto* transport =
            static_cast<CCurlTransport*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), SslIndex()));
        if (transport == nullptr) return ok;
        const int depth = X509_STORE_CTX_get_error_depth(store);
        if (depth == 0) {
            std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
            unsigned int length = 0;
            if (X509* certificate = X509_STORE_CTX_get_current_cert(store);
                certificate != nullptr &&
                X509_digest(certificate, EVP_sha256(), digest.data(), &length) == 1) {
                std::string encoded =
                    Base64Encode({reinterpret_cast<const char*>(digest.data()), length});
                while (encoded.ends_with('=')) encoded.pop_back();
                transport->fingerprint = "SHA256:" + encoded;
            }
        }
        if (!ok) transport->chainUnverified = true;
        const std::string& accepted = transport->TrustedCertificate();
        if (accepted.empty()) {
            if (!ok) transport->certificateRefused = true;
            return ok;
        }
        // The user accepted this very certificate: it alone is trusted, whoever signed it.
        if (depth == 0 && transport->fingerprint != accepted) {
            transport->certificateRefused = true;
            return 0;
        }
        // Only a certificate that needed the user's word is kept; one a CA vouches for is
        // checked anew each time.
        if (depth == 0 && transport->chainUnverified) transport->certificateAccepted = true;
        X509_STORE_CTX_set_error(store, X509_V_OK);
        return 1;
    }

    struct Reading {
        std::FILE* file = nullptr;
        const std::string* bytes = nullptr;
        std::size_t offset = 0;
    };

    CurlTransportOptions options;
    std::shared_ptr<SharedHostKey> shared;
    CURL* handle = nullptr;
    bool open = false;
    std::array<char, CURL_ERROR_SIZE + 1> errorText{};
    std::string fingerprint;
    bool certificateRefused = false;
    bool certificateAccepted = false;
    bool chainUnverified = false;
    bool rememberedLoaded = false;
    std::string rememberedCertificate;
    Reading reading;
    std::string* collecting = nullptr;  // what a download has received so far
    const TransferProgressFn* uploadProgress = nullptr;
    bool honourCancel = true;
};

}  // namespace

TransportFactory CurlTransportFactory(const CurlTransportOptions& options) {
    if (options.address.protocol == PublishProtocol::Sftp) return SftpTransportFactory(options);
    InitCurlOnce();
    auto shared = std::make_shared<SharedHostKey>();
    return [options, shared]() -> std::unique_ptr<CPublishTransport> {
        return std::make_unique<CCurlTransport>(options, shared);
    };
}
