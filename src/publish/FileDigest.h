#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// SHA-256 of a file's bytes as 64 lower-case hex digits; nothing when it cannot be read.
std::optional<std::string> FileSha256(const std::filesystem::path& file);
// SHA-256 of bytes in memory, the same way.
std::string BytesSha256(std::string_view bytes);

// The way OpenSSH shows a key: "SHA256:" and the digest of its bytes in base64 without padding.
std::string Sha256Fingerprint(std::string_view bytes);

std::string Base64Encode(std::string_view bytes);
std::optional<std::string> Base64Decode(std::string_view text);
