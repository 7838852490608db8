#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// What this computer already trusts about a server, so that the Publish page can show it before
// anyone connects and an accepted FTPS certificate is not asked about again.

// The fingerprint ("SHA256:...") of the key that known_hosts holds for a host named as
// known_hosts names it ("host" or "[host]:port"), plain or hashed; "" when it holds none.
std::string KnownHostKeyFingerprint(const std::filesystem::path& knownHosts,
                                    std::string_view hostName);

// The key type ("ssh-ed25519", "ssh-rsa" ...) of that key; "" when known_hosts holds none.
std::string KnownHostKeyType(const std::filesystem::path& knownHosts, std::string_view hostName);

// Where accepted FTPS certificates are kept: $XDG_CONFIG_HOME/pagelorn/known_certificates, else
// ~/.config/pagelorn/known_certificates; empty when neither variable is set. One line a server:
// its name as known_hosts names it, a space, the fingerprint.
std::filesystem::path DefaultKnownCertificatesFile();

// The fingerprint of the certificate accepted for a server, "" when none was.
std::string KnownCertificate(const std::filesystem::path& file, std::string_view hostName);

// Keeps the fingerprint as the one accepted for that server, replacing an earlier one; the file
// is replaced whole, so a crash leaves the old list or the new one. False when it cannot be
// written.
bool RememberCertificate(const std::filesystem::path& file, std::string_view hostName,
                         std::string_view fingerprint);
