#include <gtest/gtest.h>

#include "CurlTransport.h"
#include "FlakyFtpServer.h"

namespace {

struct FlakyCase {
    int reply;
    int failures;
    bool sent;
};

class FtpDataConnectionTest : public ::testing::TestWithParam<FlakyCase> {};

// A transfer whose data connection the server could not open or lost is tried again a couple of
// times; only then does the file count as failed, and the publish goes on with the others.
TEST_P(FtpDataConnectionTest, ATransientDataConnectionFailureIsTriedAgain) {
    const FlakyCase flaky = GetParam();
    publishtest::FlakyFtpServer server(flaky.reply, flaky.failures);
    ASSERT_TRUE(server.Running());
    const PublishAddressParse parsed =
        ParsePublishAddress("ftp://anonymous@127.0.0.1:" + std::to_string(server.Port()) + "/site");
    ASSERT_TRUE(parsed.address) << parsed.problem;
    CurlTransportOptions options;
    options.address = *parsed.address;
    options.connectTimeoutSeconds = 10;
    const std::unique_ptr<CPublishTransport> transport = CurlTransportFactory(options)();
    const TransportResult done =
        transport->Upload({{}, "the page", false}, "page.htm", ".page.htm.pagelorn-upload", {});
    if (flaky.sent) {
        EXPECT_TRUE(done.Ok()) << done.message;
        EXPECT_EQ(server.Files(), (std::map<std::string, std::string>{{"page.htm", "the page"}}));
    } else {
        EXPECT_EQ(done.failure, TransportFailure::File) << done.message;
        EXPECT_TRUE(server.Files().empty());
    }
    EXPECT_EQ(server.Stores(), std::min(flaky.failures + 1, 3));
}

INSTANTIATE_TEST_SUITE_P(Replies, FtpDataConnectionTest,
                         ::testing::Values(FlakyCase{425, 1, true}, FlakyCase{426, 2, true},
                                           FlakyCase{425, 3, false}, FlakyCase{426, 5, false}));

}  // namespace
