#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class PublishProtocol {
    Sftp,
    Ftps,  // explicit TLS on the FTP port
    Ftp    // the password goes over the network in clear
};

// Where a website is published: "sftp://user@host[:port]/path", "ftps://..." or "ftp://...". A
// path that starts with "/~/" is taken from the account's home folder (SFTP only). An address
// never holds a password: the password is asked for, taken from the environment or the keyring.
struct PublishAddress {
    PublishProtocol protocol = PublishProtocol::Sftp;
    std::string user;
    std::string host;  // a name, an IPv4 address or an IPv6 address without brackets
    int port = 0;      // 0: the protocol's own (22, 21)
    std::string path;  // the target folder, decoded, starting with "/", without a trailing "/"

    // The address as the user writes it (no password).
    std::string ToString() const;
    // "host" or "[host]:port", as known_hosts names a host.
    std::string KnownHostsName() const;
    int EffectivePort() const;
};

struct PublishAddressParse {
    std::optional<PublishAddress> address;
    std::string problem;  // why the text is not an address we can publish to
};

PublishAddressParse ParsePublishAddress(std::string_view text);

// The file part of a URL: each byte outside the unreserved set and "/" percent-encoded.
std::string EncodeUrlPath(std::string_view path);
