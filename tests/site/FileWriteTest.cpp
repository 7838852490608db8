#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FileWrite.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteTree.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <csignal>
#endif

namespace fs = std::filesystem;

namespace {

class FileWriteTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(testing::TempDir()) /
                 ("pagelorn_filewrite_" + std::to_string(::getpid()) + "_" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    static std::string Read(const fs::path& path) {
        std::ifstream stream(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(stream),
                           std::istreambuf_iterator<char>());
    }
    static void Write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder;
};

#if !defined(_WIN32)
// Makes every write past `bytes` fail with EFBIG, the way a full disk makes a save fail half-way,
// and undoes that when it goes out of scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};
#endif

}  // namespace

TEST_F(FileWriteTest, WritesANewFileAndReplacesAnOldOneLeavingNoTemporaryFile) {
    const fs::path target = folder / "page.htm";
    for (FileSync sync : {FileSync::Sync, FileSync::NoSync}) {
        ASSERT_TRUE(WriteFileAtomically(target, "first version", sync));
        EXPECT_EQ(Read(target), "first version");
        const FileWriteResult result = WriteFileAtomically(target, "second", sync);
        EXPECT_TRUE(result.ok) << result.message;
        EXPECT_TRUE(result.message.empty());
        EXPECT_EQ(Read(target), "second");
        EXPECT_EQ(Entries(), std::vector<std::string>{"page.htm"});
        fs::remove(target);
    }
    ASSERT_TRUE(WriteFileAtomically(target, std::string_view{}));
    EXPECT_EQ(fs::file_size(target), 0u);
}

#if !defined(_WIN32)
TEST_F(FileWriteTest, KeepsThePermissionsOfTheFileItReplaces) {
    const fs::path target = folder / "site.www";
    Write(target, "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteFileAtomically(target, "new"));
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Read(target), "new");
}

TEST_F(FileWriteTest, KeepsTheOwnerAndRefusesAReadOnlyFile) {
    const fs::path target = folder / "site.www";
    Write(target, "old");
    fs::permissions(folder, fs::perms::all);
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    constexpr uid_t kSomeoneElse = 65534;
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(target.c_str(), kSomeoneElse, kSomeoneElse), 0);
        // Root may write anything, so the refusal is checked as the file's owner.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(kSomeoneElse) != 0 || ::setuid(kSomeoneElse) != 0) ::_exit(3);
            const FileWriteResult refused = WriteFileAtomically(target, "new");
            ::_exit(refused.ok                                                       ? 1
                    : refused.message.find("Permission denied") == std::string::npos ? 2
                                                                                     : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(Read(target), "old");

        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
        ASSERT_TRUE(WriteFileAtomically(target, "new"));
        struct stat after {};
        ASSERT_EQ(::stat(target.c_str(), &after), 0);
        EXPECT_EQ(after.st_uid, kSomeoneElse);
        EXPECT_EQ(after.st_gid, kSomeoneElse);
        EXPECT_EQ(Read(target), "new");
    } else {
        const FileWriteResult refused = WriteFileAtomically(target, "new");
        EXPECT_FALSE(refused.ok);
        EXPECT_NE(refused.message.find("Permission denied"), std::string::npos) << refused.message;
        EXPECT_EQ(Read(target), "old");
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"site.www"});
}

TEST_F(FileWriteTest, WritesThroughASymbolicLinkAndKeepsTheLink) {
    fs::create_directories(folder / "real");
    Write(folder / "real" / "site.www", "old");
    fs::create_symlink(fs::path("real") / "site.www", folder / "link.www");
    fs::create_symlink("link.www", folder / "chain.www");

    ASSERT_TRUE(WriteFileAtomically(folder / "chain.www", "new"));
    EXPECT_TRUE(fs::is_symlink(folder / "link.www"));
    EXPECT_TRUE(fs::is_symlink(folder / "chain.www"));
    EXPECT_EQ(Read(folder / "real" / "site.www"), "new");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"chain.www", "link.www", "real"}));

    fs::create_symlink("loop2", folder / "loop1");
    fs::create_symlink("loop1", folder / "loop2");
    const FileWriteResult loop = WriteFileAtomically(folder / "loop1", "x");
    EXPECT_FALSE(loop.ok);
    EXPECT_NE(loop.message.find("loop1"), std::string::npos) << loop.message;
}

// Renaming over a device, a FIFO or a socket would put a plain file in its place.
TEST_F(FileWriteTest, RefusesToReplaceWhatIsNotARegularFile) {
    ASSERT_EQ(::mkfifo((folder / "pipe.www").c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, (folder / "socket.www").c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    std::vector<std::pair<std::string, std::string>> cases{{"pipe.www", "a FIFO"},
                                                           {"socket.www", "a socket"}};
    // A null device of its own, where the system lets this test make one.
    if (::mknod((folder / "null.www").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        cases.emplace_back("null.www", "a character device");

    for (const auto& [name, kind] : cases) {
        const fs::path target = folder / name;
        const fs::file_type type = fs::symlink_status(target).type();
        const FileWriteResult result = WriteFileAtomically(target, "data");
        EXPECT_FALSE(result.ok) << name;
        EXPECT_EQ(result.message, "Cannot write \"" + target.string() + "\": it is " + kind +
                                      ", not a regular file.");
        EXPECT_EQ(fs::symlink_status(target).type(), type) << name;
    }
    ::close(sock);
    EXPECT_EQ(Entries().size(), cases.size());
}

TEST_F(FileWriteTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    const fs::path target = folder / "site.www";
    Write(target, "the old contents");
    FileWriteResult result;
    {
        FileSizeLimit limit(1024);
        result = WriteFileAtomically(target, std::string(4096, 'x'));
    }
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find(target.string()), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("too large"), std::string::npos) << result.message;
    EXPECT_EQ(Read(target), "the old contents");
    EXPECT_EQ(Entries(), std::vector<std::string>{"site.www"});
}
#endif

TEST_F(FileWriteTest, ReportsAFolderInThePlaceOfTheFileOrAMissingFolder) {
    fs::create_directories(folder / "taken.www");
    const FileWriteResult taken = WriteFileAtomically(folder / "taken.www", "data");
    EXPECT_FALSE(taken.ok);
    EXPECT_NE(taken.message.find((folder / "taken.www").string()), std::string::npos);
    EXPECT_NE(taken.message.find("directory"), std::string::npos) << taken.message;
    EXPECT_TRUE(fs::is_directory(folder / "taken.www"));

    const FileWriteResult missing = WriteFileAtomically(folder / "no" / "site.www", "data");
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.message.find("No such file"), std::string::npos) << missing.message;
    EXPECT_EQ(Entries(), std::vector<std::string>{"taken.www"});
}

TEST_F(FileWriteTest, AFailedProjectSaveKeepsTheOldFile) {
    const fs::path target = folder / "site.www";
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    ASSERT_TRUE(SaveProject(target, page, layout, tree).ok);
    const std::string saved = Read(target);

    tree.AddItem(tree.NewFolder(tree.RootKey()).key, "photo", "file:///p.jpg");
    page.header = std::string(2000, 'h');
#if !defined(_WIN32)
    {
        Outcome result;
        {
            FileSizeLimit limit(7000);
            result = SaveProject(target, page, layout, tree);
        }
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.message.find(target.string()), std::string::npos) << result.message;
        EXPECT_EQ(Read(target), saved);
        EXPECT_EQ(Entries(), std::vector<std::string>{"site.www"});
    }
#endif
    fs::remove(target);
    fs::create_directories(target);
    const Outcome onFolder = SaveProject(target, page, layout, tree);
    EXPECT_FALSE(onFolder.ok);
    EXPECT_NE(onFolder.message.find(target.string()), std::string::npos) << onFolder.message;
    EXPECT_EQ(Entries(), std::vector<std::string>{"site.www"});
}
