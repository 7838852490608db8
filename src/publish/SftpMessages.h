#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// SFTP version 3 as the uploads speak it over an SSH channel of their own: each message is a
// uint32 length, a type byte and (but for INIT and VERSION) a uint32 request id, and the server
// answers every request with a message carrying the same id. Numbers are big-endian, strings a
// uint32 length and the bytes.
namespace sftp {

enum MessageType : std::uint8_t {
    kInit = 1,
    kVersion = 2,
    kOpen = 3,
    kClose = 4,
    kWrite = 6,
    kRemove = 13,
    kMkdir = 14,
    kRename = 18,
    kStatus = 101,
    kHandle = 102,
    kExtended = 200,
};

enum OpenFlags : std::uint32_t { kOpenWrite = 0x02, kOpenCreate = 0x08, kOpenTruncate = 0x10 };

enum StatusCode : std::uint32_t {
    kOk = 0,
    kNoSuchFile = 2,
    kPermissionDenied = 3,
    kFailure = 4,
    kNoSuchPath = 10,
    kWriteProtect = 12,
    kNoSpaceOnFilesystem = 14,
    kQuotaExceeded = 15,
    kInvalidFilename = 20,
    kNotADirectory = 19,
};

// OpenSSH's rename that replaces the target in one step; plain RENAME refuses a taken name.
inline constexpr std::string_view kPosixRename = "posix-rename@openssh.com";

// Requests, each appended whole to `out`.
void AppendInit(std::string& out);
// Opens a file with the given flags, a new one getting `mode`.
void AppendOpen(std::string& out, std::uint32_t id, std::string_view path, std::uint32_t flags,
                std::uint32_t mode);
void AppendWrite(std::string& out, std::uint32_t id, std::string_view handle, std::uint64_t offset,
                 std::string_view data);
void AppendClose(std::string& out, std::uint32_t id, std::string_view handle);
void AppendRemove(std::string& out, std::uint32_t id, std::string_view path);
void AppendMkdir(std::string& out, std::uint32_t id, std::string_view path, std::uint32_t mode);
// RENAME, or with `posix` OpenSSH's extension that replaces the file at `to`.
void AppendRename(std::string& out, std::uint32_t id, std::string_view from, std::string_view to,
                  bool posix);

// One answer of the server. VERSION carries the version in `id` and the extensions the server
// offers in `extensions`; STATUS its code in `status` and its words in `message`; HANDLE the
// handle.
struct Reply {
    std::uint8_t type = 0;
    std::uint32_t id = 0;
    std::uint32_t status = kOk;
    std::string handle;
    std::string message;
    std::vector<std::string> extensions;
};

enum class Parse { Incomplete, Complete, Malformed };

// The first whole message of `bytes` and how many bytes it took. A message longer than any
// answer to the requests above, or cut short inside, is Malformed.
Parse ParseReply(std::string_view bytes, Reply& reply, std::size_t& used);

// What a status code means for a file, in words.
std::string StatusText(std::uint32_t code);

}  // namespace sftp
