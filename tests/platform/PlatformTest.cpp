#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "CharsetConverter.h"
#include "FileLock.h"
#include "FileStatus.h"
#include "FileWrite.h"
#include "FolderHandle.h"
#include "Interruption.h"
#include "ParallelFor.h"
#include "SessionBus.h"
#include "SystemFolders.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("platform-test-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path Write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return folder / name;
    }

    fs::path folder;
};

TEST(Utf8PathTest, KeepsTheBytesBothWays) {
    for (const std::string text :
         {"plain/name.htm", "Caf\xC3\xA9/\xE6\x97\xA5.png", "old\xFFname"}) {
        const fs::path path = PathFromUtf8(text);
        EXPECT_EQ(Utf8FromPath(path), text);
        EXPECT_EQ(path.native(), text);
    }
    EXPECT_EQ(PathFromUtf8("a/b\xC3\xA9").filename(), PathFromUtf8("b\xC3\xA9"));
    EXPECT_EQ(GenericUtf8FromPath(PathFromUtf8("a") / "b"), "a/b");
}

TEST(CharsetConverterTest, ConvertsAndClosesOnce) {
    CCharsetConverter converter("ISO-8859-1", "UTF-8");
    ASSERT_TRUE(converter.IsOpen());
    std::string text = "Caf\xC3\xA9";
    std::string out(16, '\0');
    char* input = text.data();
    char* output = out.data();
    std::size_t inputLeft = text.size();
    std::size_t outputLeft = out.size();
    EXPECT_EQ(converter.Convert(&input, &inputLeft, &output, &outputLeft), 0u);
    out.resize(out.size() - outputLeft);
    EXPECT_EQ(out, "Caf\xE9");

    CCharsetConverter moved = std::move(converter);
    EXPECT_TRUE(moved.IsOpen());
    EXPECT_FALSE(converter.IsOpen());
    EXPECT_FALSE(CCharsetConverter("NO-SUCH-CHARSET-9", "UTF-8").IsOpen());
}

TEST_F(PlatformTest, StatusTellsLinksTypesAndNanoseconds) {
    const fs::path file = Write("file.txt", "12345");
    fs::create_symlink(file, folder / "link");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::error_code error;
    EXPECT_EQ(StatusOf(folder / "link", LinkRule::NoFollow, error).type, fs::file_type::symlink);
    const FileStatus followed = StatusOf(folder / "link", LinkRule::Follow, error);
    EXPECT_EQ(followed.type, fs::file_type::regular);
    EXPECT_EQ(followed.stamp.size, 5u);
    EXPECT_TRUE(followed.readable);
    EXPECT_EQ(StatusOf(folder / "missing", LinkRule::Follow, error).type, fs::file_type::not_found);
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(ReadFileStamp(folder / "missing").exists);

    // A time with nanoseconds set on the file comes back whole.
    std::error_code openError;
    const CFolderHandle handle = CFolderHandle::Open(folder, openError);
    constexpr std::int64_t kTime = 1'700'000'000'123'456'789;
    ASSERT_TRUE(ReplaceFile(handle, "timed", folder / "timed", "x", kTime));
    EXPECT_EQ(ReadFileStamp(folder / "timed").modifiedNs, kTime);
    EXPECT_NE(ReadFileStamp(folder / "timed"), ReadFileStamp(file));

    // Opening never waits on the FIFO, and refuses what is no regular file.
    for (const char* name : {"fifo", "."}) {
        EXPECT_FALSE(OpenRegularFile(folder / name, LinkRule::Follow, error).IsOpen()) << name;
        EXPECT_EQ(error, std::errc::invalid_argument) << name;
    }
    EXPECT_FALSE(OpenRegularFile(folder / "link", LinkRule::NoFollow, error).IsOpen());
    FileStatus status;
    const CFileDescriptor opened =
        OpenRegularFile(folder / "link", LinkRule::Follow, error, &status);
    ASSERT_TRUE(opened.IsOpen());
    std::string bytes(10, '\0');
    bytes.resize(ReadUpTo(opened, bytes.data(), bytes.size()));
    EXPECT_EQ(bytes, "12345");
    EXPECT_EQ(status.stamp, ReadFileStamp(file));
}

TEST_F(PlatformTest, ListingTellsTypesWithoutFollowingLinks) {
    Write("file", "x");
    fs::create_directory(folder / "sub");
    fs::create_directory_symlink(folder / "sub", folder / "link");
    std::error_code error;
    const CFolderHandle handle = CFolderHandle::Open(folder, error);
    std::map<std::string, fs::file_type> listed;
    ASSERT_TRUE(handle.List(
        [&](std::string_view name, fs::file_type type) { listed[std::string(name)] = type; },
        error));
    EXPECT_FALSE(error);
    const std::map<std::string, fs::file_type> expected = {{"file", fs::file_type::regular},
                                                           {"sub", fs::file_type::directory},
                                                           {"link", fs::file_type::symlink}};
    ASSERT_EQ(listed.size(), expected.size());
    for (const auto& [name, type] : expected) {
        // A file system that does not tell types in its listings gives none for every entry.
        EXPECT_TRUE(listed[name] == type || listed[name] == fs::file_type::none) << name;
    }
    EXPECT_FALSE(CFolderHandle::Open(folder / "link", error).IsOpen());
    EXPECT_TRUE(CFolderHandle::OpenThroughLinks(folder / "link", error).IsOpen());
}

TEST_F(PlatformTest, OneLockAtATime) {
    const fs::path path = folder / "project.www";
    std::error_code error;
    EXPECT_FALSE(OpenLockFile(path, LockFileCreation::Existing, error).IsOpen());
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    CFileDescriptor first = OpenLockFile(path, LockFileCreation::New, error);
    ASSERT_TRUE(first.IsOpen());
    EXPECT_FALSE(OpenLockFile(path, LockFileCreation::New, error).IsOpen());
    EXPECT_EQ(error, std::errc::file_exists);
    const CFileDescriptor second = OpenLockFile(path, LockFileCreation::Either, error);
    ASSERT_TRUE(second.IsOpen());
    EXPECT_EQ(TryLockExclusive(first, error), LockAttempt::Taken);
    EXPECT_EQ(TryLockExclusive(second, error), LockAttempt::HeldElsewhere);
    first = CFileDescriptor();
    EXPECT_EQ(TryLockExclusive(second, error), LockAttempt::Taken);
}

TEST(SystemFoldersTest, ProgramAndHomes) {
    const fs::path program = ProgramPath();
    EXPECT_EQ(program.filename(), "platform_tests");
    EXPECT_TRUE(fs::is_regular_file(program));
    EXPECT_TRUE(MayWriteInFolder(fs::temp_directory_path()));
    EXPECT_FALSE(MayWriteInFolder(program));
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        EXPECT_EQ(HomeFolder(), fs::path(home));
        const std::vector<AccountHome> homes = AccountHomes();
        ASSERT_FALSE(homes.empty());
        EXPECT_EQ(homes.back().home, fs::path(home));
    }
}

TEST(SystemFoldersTest, SystemFoldersNameEveryLibFolderOfTheRoot) {
    const std::vector<fs::path> allInside = SystemFoldersWithAllInside();
    const auto has = [&](const fs::path& folder) {
        return std::find(allInside.begin(), allInside.end(), folder) != allInside.end();
    };
    for (const char* folder : {"/usr", "/etc", "/var"}) EXPECT_TRUE(has(folder)) << folder;
    for (const fs::directory_entry& entry : fs::directory_iterator("/")) {
        if (entry.path().filename().native().starts_with("lib")) {
            EXPECT_TRUE(has(entry.path())) << entry.path();
        }
    }
    EXPECT_EQ(WebFolderOfTheSystem().parent_path(), "/var");
    const std::vector<fs::path> themselves = SystemFoldersThemselves();
    EXPECT_NE(std::find(themselves.begin(), themselves.end(), "/tmp"), themselves.end());
}

TEST(InterruptionTest, CtrlCOnlySetsTheFlag) {
    CatchInterruptAndTerminate();
    EXPECT_FALSE(InterruptRequested().load());
    std::raise(SIGINT);
    EXPECT_TRUE(InterruptRequested().load());
}

}  // namespace

// Every index runs once, on a thread of the ones asked for; one thread keeps the order; the first
// exception comes back to the caller and stops what was not begun.
TEST(ParallelForTest, RunsEachIndexOnceAndPassesOnAFailure) {
    for (const unsigned threads : {1u, 2u, 5u}) {
        for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{7},
                                        std::size_t{1000}, std::size_t{100000}}) {
            std::vector<std::atomic<int>> runs(count + 3);
            std::vector<std::size_t> order;
            std::mutex mutex;
            std::atomic<bool> workerOutOfRange{false};
            ParallelFor(3, count + 3, threads, [&](std::size_t index) {
                ++runs[index];
                if (ParallelWorkerIndex() >= threads) workerOutOfRange = true;
                if (threads == 1) order.push_back(index);
            });
            EXPECT_FALSE(workerOutOfRange);
            for (std::size_t i = 0; i < runs.size(); ++i) {
                ASSERT_EQ(runs[i].load(), i < 3 ? 0 : 1) << threads << " threads, index " << i;
            }
            if (threads == 1) {
                EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
            }
        }
        std::atomic<std::size_t> begun{0};
        EXPECT_THROW(ParallelFor(0, 100000, threads,
                                 [&](std::size_t index) {
                                     ++begun;
                                     if (index == 10) throw std::runtime_error("index 10");
                                 }),
                     std::runtime_error);
        EXPECT_LT(begun.load(), 100000u) << threads << " threads";
    }
    EXPECT_GE(ProcessorCount(), 1u);
    EXPECT_EQ(ParallelWorkerIndex(), 0u);
}

// A session bus is out of reach only when nothing names one, the runtime folder holds none and no
// dbus-launch could start one.
TEST_F(PlatformTest, SessionBusUnreachableOnlyWithoutAddressSocketAndLauncher) {
    const auto saved = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    };
    const std::optional<std::string> address = saved("DBUS_SESSION_BUS_ADDRESS");
    const std::optional<std::string> runtime = saved("XDG_RUNTIME_DIR");
    const std::optional<std::string> path = saved("PATH");
    const fs::path withSocket = folder / "runtime";
    const fs::path withLauncher = folder / "bin";
    fs::create_directories(withSocket);
    fs::create_directories(withLauncher);
    std::ofstream(withSocket / "bus").put('x');
    std::ofstream(withLauncher / "dbus-launch").put('x');
    fs::permissions(withLauncher / "dbus-launch", fs::perms::owner_all);
    const std::string empty = (folder / "empty").string();
    fs::create_directories(empty);
    struct Case {
        const char* address;
        std::string runtime;
        std::string path;
        bool unreachable;
    };
    const Case cases[] = {
        {"unix:path=/nowhere", empty, empty, false},
        {nullptr, withSocket.string(), empty, false},
        {nullptr, empty, empty + ":" + withLauncher.string(), false},
        {nullptr, empty, empty, true},
        {"", "", empty, true},
    };
    for (const Case& c : cases) {
        if (c.address != nullptr)
            ::setenv("DBUS_SESSION_BUS_ADDRESS", c.address, 1);
        else
            ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        ::setenv("XDG_RUNTIME_DIR", c.runtime.c_str(), 1);
        ::setenv("PATH", c.path.c_str(), 1);
        EXPECT_EQ(SessionBusUnreachable(), c.unreachable) << c.runtime << " " << c.path;
    }
    const auto restore = [](const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    };
    restore("DBUS_SESSION_BUS_ADDRESS", address);
    restore("XDG_RUNTIME_DIR", runtime);
    restore("PATH", path);
}
