#include "FileDigest.h"

#include <array>
#include <fstream>
#include <memory>
#include <vector>

#include "CryptoLibrary.h"

namespace {

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

std::string Hex(const unsigned char* bytes, unsigned int length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return hex;
}

// Empty without the library: no digest is, so it never matches one.
std::string RawSha256(std::string_view bytes) {
    const CryptoLibrary* crypto = Crypto();
    if (crypto == nullptr) return {};
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    crypto->digest(bytes.data(), bytes.size(), digest.data(), &length, crypto->sha256(), nullptr);
    return std::string(reinterpret_cast<const char*>(digest.data()), length);
}

}  // namespace

std::optional<std::string> FileSha256(const std::filesystem::path& file) {
    const CryptoLibrary* crypto = Crypto();
    if (crypto == nullptr) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    DigestContext context(crypto->newContext(), crypto->freeContext);
    if (!context || crypto->digestInit(context.get(), crypto->sha256(), nullptr) != 1)
        return std::nullopt;
    std::vector<char> buffer(1 << 16);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (got > 0)
            crypto->digestUpdate(context.get(), buffer.data(), static_cast<std::size_t>(got));
    }
    if (in.bad()) return std::nullopt;
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (crypto->digestFinal(context.get(), digest.data(), &length) != 1) return std::nullopt;
    return Hex(digest.data(), length);
}

std::string BytesSha256(std::string_view bytes) {
    const std::string raw = RawSha256(bytes);
    return Hex(reinterpret_cast<const unsigned char*>(raw.data()),
               static_cast<unsigned int>(raw.size()));
}

std::string Sha256Fingerprint(std::string_view bytes) {
    std::string encoded = Base64Encode(RawSha256(bytes));
    while (!encoded.empty() && encoded.back() == '=') encoded.pop_back();
    return "SHA256:" + encoded;
}

std::string Base64Encode(std::string_view bytes) {
    const CryptoLibrary* crypto = Crypto();
    if (crypto == nullptr) return {};
    std::string encoded(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length = crypto->encodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                                           reinterpret_cast<const unsigned char*>(bytes.data()),
                                           static_cast<int>(bytes.size()));
    encoded.resize(static_cast<std::size_t>(length));
    return encoded;
}

std::optional<std::string> Base64Decode(std::string_view text) {
    const CryptoLibrary* crypto = Crypto();
    if (crypto == nullptr) return std::nullopt;
    std::string clean;
    for (char c : text)
        if (c != '\n' && c != '\r' && c != ' ') clean += c;
    if (clean.size() % 4 != 0) return std::nullopt;
    std::string decoded(clean.size() / 4 * 3 + 1, '\0');
    const int length = crypto->decodeBlock(reinterpret_cast<unsigned char*>(decoded.data()),
                                           reinterpret_cast<const unsigned char*>(clean.data()),
                                           static_cast<int>(clean.size()));
    if (length < 0) return std::nullopt;
    // EVP_DecodeBlock counts the padding as zero bytes.
    std::size_t size = static_cast<std::size_t>(length);
    if (clean.ends_with("=="))
        size -= 2;
    else if (clean.ends_with('='))
        size -= 1;
    decoded.resize(size);
    return decoded;
}
