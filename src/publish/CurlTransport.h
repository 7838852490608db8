#pragma once

#include <atomic>
#include <filesystem>
#include <string>

#include "PublishAddress.h"
#include "PublishTransport.h"

struct CurlTransportOptions {
    PublishAddress address;
    // Empty: SFTP logs in with a key only (the SSH agent, or the first of id_ed25519, id_ecdsa
    // and id_rsa in sshFolder); FTP logs in as "anonymous" when the address names no user.
    std::string password;
    // The user's ~/.ssh: known_hosts, and the keys.
    std::filesystem::path sshFolder;
    // A key or certificate fingerprint ("SHA256:...") the user accepted. An SSH host key that
    // known_hosts does not know is accepted only when it has this fingerprint, and is then added
    // to known_hosts; a TLS certificate that cannot be verified likewise, and is then kept in
    // knownCertificates.
    std::string acceptedFingerprint;
    // The certificates accepted before (see KnownServers.h); a server whose certificate cannot be
    // verified is trusted without asking when it shows the one accepted for it. Empty: none.
    std::filesystem::path knownCertificates;
    const std::atomic<bool>* cancel = nullptr;
    long connectTimeoutSeconds = 30;
};

// Connections to the server: SFTP through libssh2 (SftpTransport.h), FTPS (explicit TLS) and
// plain FTP through libcurl. The connections the factory makes share the acceptance of a new host
// key or certificate, so that it is written down once.
TransportFactory CurlTransportFactory(const CurlTransportOptions& options);
