#include "PublishAddress.h"

#include <charconv>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Decode(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size() || HexValue(text[i + 1]) < 0 || HexValue(text[i + 2]) < 0)
            return std::nullopt;
        decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
        i += 2;
    }
    return decoded;
}

PublishAddressParse Problem(std::string problem) {
    return {std::nullopt, std::move(problem)};
}

}  // namespace

std::string EncodeUrlPath(std::string_view path) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' ||
                           c == '~' || c == '/';
        if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kDigits[byte >> 4];
            encoded += kDigits[byte & 15];
        }
    }
    return encoded;
}

int PublishAddress::EffectivePort() const {
    if (port != 0) return port;
    return protocol == PublishProtocol::Sftp ? 22 : 21;
}

std::string PublishAddress::ToString() const {
    std::string text = protocol == PublishProtocol::Sftp   ? "sftp://"
                       : protocol == PublishProtocol::Ftps ? "ftps://"
                                                           : "ftp://";
    if (!user.empty()) text += EncodeUrlPath(user) + "@";
    text += host.find(':') != std::string::npos ? "[" + host + "]" : host;
    if (port != 0) text += ":" + std::to_string(port);
    text += EncodeUrlPath(path.empty() ? "/" : path);
    return text;
}

std::string PublishAddress::KnownHostsName() const {
    if (EffectivePort() == 22) return host;
    return "[" + host + "]:" + std::to_string(EffectivePort());
}

PublishAddressParse ParsePublishAddress(std::string_view text) {
    PublishAddress address;
    const std::size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos)
        return Problem("the address must start with sftp://, ftps:// or ftp://");
    std::string scheme(text.substr(0, schemeEnd));
    for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (scheme == "sftp")
        address.protocol = PublishProtocol::Sftp;
    else if (scheme == "ftps")
        address.protocol = PublishProtocol::Ftps;
    else if (scheme == "ftp")
        address.protocol = PublishProtocol::Ftp;
    else
        return Problem("the address must start with sftp://, ftps:// or ftp://");
    std::string_view rest = text.substr(schemeEnd + 3);
    for (const char c : rest)
        if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f')
            return Problem("the address must not hold spaces or control characters");
    const std::size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    std::string_view path = slash == std::string_view::npos ? "/" : rest.substr(slash);
    if (path.find_first_of("?#") != std::string_view::npos)
        return Problem("the address must not hold \"?\" or \"#\"");
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        if (userInfo.find(':') != std::string_view::npos)
            return Problem("the address must not hold a password");
        const std::optional<std::string> user = Decode(userInfo);
        if (!user || user->empty()) return Problem("the user name in the address is not valid");
        address.user = *user;
        authority = authority.substr(at + 1);
    }
    std::string_view portText;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) return Problem("the host in the address is not valid");
        address.host = std::string(authority.substr(1, close - 1));
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (!after.starts_with(':')) return Problem("the host in the address is not valid");
            portText = after.substr(1);
        }
    } else {
        const std::size_t colon = authority.find(':');
        address.host = std::string(authority.substr(0, colon));
        if (colon != std::string_view::npos) portText = authority.substr(colon + 1);
    }
    if (address.host.empty()) return Problem("the address names no host");
    if (address.host.find_first_of("@[]/\\%") != std::string::npos)
        return Problem("the host in the address is not valid");
    if (!portText.empty() || authority.ends_with(':')) {
        int port = 0;
        const auto [end, error] =
            std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (error != std::errc() || end != portText.data() + portText.size() || port < 1 ||
            port > 65535)
            return Problem("the port in the address must be a number from 1 to 65535");
        address.port = port;
    }
    std::optional<std::string> decoded = Decode(path);
    if (!decoded) return Problem("the path in the address is not valid");
    if (decoded->find('\0') != std::string::npos)
        return Problem("the path in the address is not valid");
    while (decoded->size() > 1 && decoded->ends_with('/')) decoded->pop_back();
    if (*decoded == "/") decoded->clear();
    for (std::size_t from = 1; from <= decoded->size();) {
        std::size_t next = decoded->find('/', from);
        if (next == std::string::npos) next = decoded->size();
        const std::string_view part = std::string_view(*decoded).substr(from, next - from);
        if (part.empty() || part == "." || part == "..")
            return Problem("the path in the address must not hold empty names, \".\" or \"..\"");
        from = next + 1;
    }
    if (address.protocol != PublishProtocol::Sftp && decoded->starts_with("/~"))
        return Problem("\"~\" stands for the home folder only in sftp:// addresses");
    address.path = *decoded;
    return {address, {}};
}
