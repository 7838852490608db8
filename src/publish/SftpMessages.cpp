#include "SftpMessages.h"

namespace sftp {

namespace {

// Answers to these requests are a few hundred bytes; a server may send longer texts, but
// nothing near this.
constexpr std::uint32_t kMaxReply = 256u << 10;
constexpr std::uint32_t kAttributePermissions = 0x04;

void PutU32(std::string& out, std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    out.append(bytes, 4);
}

void PutU64(std::string& out, std::uint64_t value) {
    PutU32(out, static_cast<std::uint32_t>(value >> 32));
    PutU32(out, static_cast<std::uint32_t>(value));
}

void PutString(std::string& out, std::string_view text) {
    PutU32(out, static_cast<std::uint32_t>(text.size()));
    out.append(text);
}

// Starts a message: its length is filled in by End.
std::size_t Begin(std::string& out, MessageType type, std::uint32_t id) {
    const std::size_t start = out.size();
    PutU32(out, 0);
    out.push_back(static_cast<char>(type));
    PutU32(out, id);
    return start;
}

void End(std::string& out, std::size_t start) {
    const auto length = static_cast<std::uint32_t>(out.size() - start - 4);
    std::string size;
    PutU32(size, length);
    out.replace(start, 4, size);
}

// Reads the fields of a message's body in turn; any read past its end spoils the reader.
class CFields {
public:
    explicit CFields(std::string_view body) : body(body) {}

    bool Ok() const { return ok; }
    bool AtEnd() const { return body.empty(); }

    std::uint32_t U32() {
        if (body.size() < 4) return Spoil();
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(body[i]);
        body.remove_prefix(4);
        return value;
    }
    std::string String() {
        const std::uint32_t length = U32();
        if (!ok || body.size() < length) {
            Spoil();
            return {};
        }
        std::string text(body.substr(0, length));
        body.remove_prefix(length);
        return text;
    }

private:
    std::uint32_t Spoil() {
        ok = false;
        body = {};
        return 0;
    }

    std::string_view body;
    bool ok = true;
};

}  // namespace

void AppendInit(std::string& out) {
    PutU32(out, 5);
    out.push_back(static_cast<char>(kInit));
    PutU32(out, 3);
}

void AppendOpen(std::string& out, std::uint32_t id, std::string_view path, std::uint32_t flags,
                std::uint32_t mode) {
    const std::size_t start = Begin(out, kOpen, id);
    PutString(out, path);
    PutU32(out, flags);
    PutU32(out, kAttributePermissions);
    PutU32(out, mode);
    End(out, start);
}

void AppendWrite(std::string& out, std::uint32_t id, std::string_view handle, std::uint64_t offset,
                 std::string_view data) {
    const std::size_t start = Begin(out, kWrite, id);
    PutString(out, handle);
    PutU64(out, offset);
    PutString(out, data);
    End(out, start);
}

void AppendClose(std::string& out, std::uint32_t id, std::string_view handle) {
    const std::size_t start = Begin(out, kClose, id);
    PutString(out, handle);
    End(out, start);
}

void AppendRemove(std::string& out, std::uint32_t id, std::string_view path) {
    const std::size_t start = Begin(out, kRemove, id);
    PutString(out, path);
    End(out, start);
}

void AppendMkdir(std::string& out, std::uint32_t id, std::string_view path, std::uint32_t mode) {
    const std::size_t start = Begin(out, kMkdir, id);
    PutString(out, path);
    PutU32(out, kAttributePermissions);
    PutU32(out, mode);
    End(out, start);
}

void AppendRename(std::string& out, std::uint32_t id, std::string_view from, std::string_view to,
                  bool posix) {
    const std::size_t start = Begin(out, posix ? kExtended : kRename, id);
    if (posix) PutString(out, kPosixRename);
    PutString(out, from);
    PutString(out, to);
    End(out, start);
}

Parse ParseReply(std::string_view bytes, Reply& reply, std::size_t& used) {
    used = 0;
    if (bytes.size() < 4) return Parse::Incomplete;
    CFields head(bytes.substr(0, 4));
    const std::uint32_t length = head.U32();
    if (length == 0 || length > kMaxReply) return Parse::Malformed;
    if (bytes.size() - 4 < length) return Parse::Incomplete;
    used = 4 + static_cast<std::size_t>(length);
    reply = {};
    reply.type = static_cast<std::uint8_t>(bytes[4]);
    CFields fields(bytes.substr(5, length - 1));
    if (reply.type == kVersion) {
        reply.id = fields.U32();
        while (fields.Ok() && !fields.AtEnd()) {
            std::string name = fields.String();
            fields.String();
            if (fields.Ok()) reply.extensions.push_back(std::move(name));
        }
        return fields.Ok() ? Parse::Complete : Parse::Malformed;
    }
    reply.id = fields.U32();
    if (reply.type == kStatus) {
        reply.status = fields.U32();
        // Servers of the first versions send the code alone.
        if (fields.Ok() && !fields.AtEnd()) reply.message = fields.String();
    } else if (reply.type == kHandle) {
        reply.handle = fields.String();
    }
    return fields.Ok() ? Parse::Complete : Parse::Malformed;
}

std::string StatusText(std::uint32_t code) {
    switch (code) {
        case kNoSuchFile:
        case kNoSuchPath:
            return "no such file or folder";
        case kPermissionDenied:
            return "permission denied";
        case kNoSpaceOnFilesystem:
            return "no space left on the server";
        case kQuotaExceeded:
            return "the account's quota is used up";
        case kWriteProtect:
            return "the server's disk is write-protected";
        case kNotADirectory:
            return "a file stands where a folder is needed";
        case kInvalidFilename:
            return "the server does not take the name";
        default:
            return "the server refused (SFTP status " + std::to_string(code) + ")";
    }
}

}  // namespace sftp
