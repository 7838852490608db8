#include <gtest/gtest.h>

#include "SftpMessages.h"

namespace {

std::string U32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}
std::string Str(const std::string& text) {
    return U32(static_cast<std::uint32_t>(text.size())) + text;
}
std::string Message(std::uint8_t type, const std::string& body) {
    return U32(static_cast<std::uint32_t>(body.size() + 1)) + static_cast<char>(type) + body;
}

TEST(SftpMessagesTest, RequestsCarryTheirLengthIdAndFields) {
    std::string out;
    sftp::AppendWrite(out, 7, "h1", (1ull << 32) + 5, "data");
    EXPECT_EQ(out, Message(sftp::kWrite, U32(7) + Str("h1") + U32(1) + U32(5) + Str("data")));
    out.clear();
    sftp::AppendRename(out, 9, "a", "b", true);
    EXPECT_EQ(out, Message(sftp::kExtended,
                           U32(9) + Str("posix-rename@openssh.com") + Str("a") + Str("b")));
    out.clear();
    sftp::AppendOpen(out, 1, "x", sftp::kOpenWrite | sftp::kOpenCreate | sftp::kOpenTruncate, 0644);
    EXPECT_EQ(out, Message(sftp::kOpen, U32(1) + Str("x") + U32(0x1a) + U32(4) + U32(0644)));
}

// Answers arrive in pieces and several at once; what is cut short waits, what lies is refused.
TEST(SftpMessagesTest, RepliesAreTakenWholeOneAtATime) {
    const std::string stream =
        Message(sftp::kVersion, U32(3) + Str("posix-rename@openssh.com") + Str("1")) +
        Message(sftp::kHandle, U32(4) + Str("H")) +
        Message(sftp::kStatus, U32(5) + U32(sftp::kPermissionDenied) + Str("no") + Str("")) +
        Message(sftp::kStatus, U32(6) + U32(sftp::kOk));
    std::vector<sftp::Reply> replies;
    std::size_t at = 0;
    for (std::size_t end = 0; end <= stream.size(); ++end) {
        sftp::Reply reply;
        std::size_t used = 0;
        const sftp::Parse parse =
            sftp::ParseReply(std::string_view(stream).substr(at, end - at), reply, used);
        ASSERT_NE(parse, sftp::Parse::Malformed) << end;
        if (parse == sftp::Parse::Complete) {
            at += used;
            replies.push_back(reply);
        }
    }
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_EQ(replies[0].id, 3u);
    EXPECT_EQ(replies[0].extensions, std::vector<std::string>{"posix-rename@openssh.com"});
    EXPECT_EQ(replies[1].handle, "H");
    EXPECT_EQ(replies[2].status, sftp::kPermissionDenied);
    EXPECT_EQ(replies[2].message, "no");
    EXPECT_EQ(replies[3].id, 6u);

    for (const std::string& lie :
         {U32(0), U32(1u << 30) + "x", Message(sftp::kHandle, U32(4) + U32(100) + "short")}) {
        sftp::Reply reply;
        std::size_t used = 0;
        EXPECT_EQ(sftp::ParseReply(lie, reply, used), sftp::Parse::Malformed);
    }
}

}  // namespace
