// What an export must never touch: files outside its folder (whatever is swapped for a link while
// it runs), a second path to the project's folder, folders of the system; and a folder another
// export is writing into.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "ExportPlan.h"
#include "ExportTestSupport.h"
#include "FolderHandle.h"
#include "WebsiteExporter.h"

namespace {

using exporttest::TempFolderTest;
namespace fs = std::filesystem;

class ExportSafetyTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        out = dir / "out";
        project = Write("project/site.www", "project");
    }

    ExportParameters Parameters(bool clear = true, bool full = false) {
        return {.tree = tree,
                .pageOption = page,
                .layoutOption = layout,
                .exportFolder = out,
                .projectFile = project,
                .clearExistingFolder = clear,
                .progress = {},
                .cancel = nullptr,
                .full = full,
                .threads = 0};
    }

    // Every file below the folder with its bytes.
    static std::map<std::string, std::string> Contents(const fs::path& folder) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (!entry.is_directory())
                files[fs::relative(entry.path(), folder).string()] = Read(entry.path());
        return files;
    }

    CSiteTree tree;
    CPageOption page;
    CLayoutOption layout;
    fs::path out;
    fs::path project;
};

TEST_F(ExportSafetyTest, FoldersSwappedForLinksDuringExportsNeverReachOutside) {
    // The files the website links to lie outside: an export into their folder is refused, so the
    // links below lead where nothing may be deleted or written.
    const fs::path outside = dir / "sources";
    for (int i = 0; i < 40; ++i) {
        const CFolderKey folder = tree.AddFolder(tree.RootKey(), "F" + std::to_string(i)).key;
        const fs::path file = Write("sources/f" + std::to_string(i) + ".doc", "source");
        tree.AddItem(folder, "f", "file://" + file.string());
    }
    const std::map<std::string, std::string> before = Contents(outside);
    ASSERT_TRUE(ExportWebsite(Parameters()).AllWritten());

    std::atomic<bool> done{false};
    // Held by each swap, and by the test while it puts files of its own into the folder.
    std::mutex swapping;
    std::thread swapper([&] {
        const fs::path targets[] = {out, out / "doc"};
        for (unsigned round = 0; !done.load(); ++round) {
            const std::scoped_lock lock(swapping);
            const fs::path& target = targets[round % 2];
            const fs::path saved = target.string() + ".saved";
            std::error_code error;
            fs::rename(target, saved, error);
            if (error) continue;
            fs::create_directory_symlink(outside, target, error);
            std::this_thread::sleep_for(std::chrono::microseconds(200 * (round % 4)));
            fs::remove(target, error);
            fs::rename(saved, target, error);
        }
    });
    int exported = 0;
    for (int run = 0; run < 24; ++run) {
        {
            const std::scoped_lock lock(swapping);
            Write("out/stale.htm", "stale");
            Write("out/doc/STALE.DOC", "stale");
        }
        const ExportResult result = ExportWebsite(Parameters(true, run % 3 == 0));
        if (result.status == ExportStatus::Completed) ++exported;
    }
    done = true;
    swapper.join();
    EXPECT_GT(exported, 0);
    EXPECT_EQ(Contents(outside), before);
}

TEST_F(ExportSafetyTest, ASecondPathToTheProjectsFolderIsTheProjectsFolder) {
    Write("project/photo.gif", exporttest::GifBytes(1, 1));
    tree.AddItem(tree.RootKey(), "Photo", "file://" + (dir / "project/photo.gif").string());
    const auto expectRefused = [&](const fs::path& folder) {
        out = folder;
        const ExportFolderCheck check = CheckExportFolder(Parameters());
        EXPECT_EQ(check.state, ExportFolderState::Refused) << folder;
        EXPECT_NE(check.message.find("project file"), std::string::npos) << check.message;
        EXPECT_EQ(ExportWebsite(Parameters()).status, ExportStatus::Refused);
        EXPECT_EQ(Read(project), "project");
    };
    fs::create_directory_symlink(dir / "project", dir / "link");
    expectRefused(dir / "link");

    fs::create_directories(dir / "alias");
    if (::mount((dir / "project").c_str(), (dir / "alias").c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "no bind mount here: " << std::strerror(errno);
    expectRefused(dir / "alias");
    EXPECT_TRUE(fs::exists(dir / "alias/photo.gif"));
    ::umount2((dir / "alias").c_str(), MNT_DETACH);
}

TEST_F(ExportSafetyTest, FoldersInsideTheSystemsFoldersAreRefusedByRule) {
    struct Case {
        fs::path folder;
        const char* why;  // "" when allowed
    };
    const std::string missing = "pagelorn-never-made-" + std::to_string(::getpid());
    const Case cases[] = {
        {"/usr/share", "it lies inside /usr, a folder of the system, and nothing inside"},
        {"/usr/share/" + missing, "it lies inside /usr"},
        {"/etc/" + missing, "it lies inside /etc"},
        {"/var/lib", "it lies inside /var"},
        {"/dev/shm/" + missing, "it lies inside /dev"},
        {"/proc/self", "it lies inside /proc"},
        {"/var", "it is a folder of the system"},
        {"/opt", "it is a folder of the system"},
        {"/mnt", "it is a folder of the system"},
        {"/tmp", "it is a folder of the system"},
        {"/var/www/" + missing, ""},
        {"/opt/" + missing, ""},
        {"/srv/" + missing, ""},
        {dir / "site", ""},
    };
    for (const Case& c : cases) {
        out = c.folder;
        const ExportFolderCheck check = CheckExportFolder(Parameters());
        if (*c.why == '\0') {
            EXPECT_NE(check.state, ExportFolderState::Refused) << c.folder << ": " << check.message;
        } else {
            EXPECT_EQ(check.state, ExportFolderState::Refused) << c.folder;
            EXPECT_NE(check.message.find(c.why), std::string::npos) << check.message;
        }
    }
    // Refused before anything is made, even where the export could write.
    out = "/usr/share/" + missing;
    EXPECT_EQ(ExportWebsite(Parameters()).status, ExportStatus::Refused);
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(ExportSafetyTest, ASecondExportWaitsAndThenGivesUp) {
    ASSERT_TRUE(ExportWebsite(Parameters()).AllWritten());
    std::error_code error;
    const CFolderHandle other = CFolderHandle::Open(out, error);
    ASSERT_TRUE(other.Lock(std::chrono::milliseconds(0), error));
    Write("out/mine.txt", "mine");
    const auto start = std::chrono::steady_clock::now();
    const ExportResult result = ExportWebsite(Parameters());
    EXPECT_GE(std::chrono::steady_clock::now() - start, kExportLockWait);
    EXPECT_EQ(result.status, ExportStatus::Busy);
    EXPECT_EQ(result.message, "another export is writing into " + out.string());
    EXPECT_EQ(Read(out / "mine.txt"), "mine");
}

TEST_F(ExportSafetyTest, AStoppedFullExportSaysWhatItHadDeleted) {
    for (int i = 0; i < 5; ++i) tree.AddFolder(tree.RootKey(), "F" + std::to_string(i));
    ASSERT_TRUE(ExportWebsite(Parameters()).AllWritten());
    ExportParameters parameters = Parameters(true, true);
    parameters.threads = 1;
    parameters.progress = [](const ExportProgress&) { return false; };
    const ExportResult result = ExportWebsite(parameters);
    EXPECT_EQ(result.status, ExportStatus::Stopped);
    // Six pages and the six category folders.
    EXPECT_EQ(result.entriesCleared, 12u);
    EXPECT_NE(
        result.message.find("; 12 files and folders of the previous export had been deleted."),
        std::string::npos)
        << result.message;
}

TEST_F(ExportSafetyTest, TheUsersDotfilesAndCnameStay) {
    const std::map<std::string, std::string> mine = {{".git/config", "[core]"},
                                                     {".htaccess", "deny"},
                                                     {".well-known/security.txt", "x"},
                                                     {".nojekyll", ""},
                                                     {"CNAME", "example.org"}};
    for (const bool full : {false, true}) {
        SCOPED_TRACE(full);
        for (const auto& [name, bytes] : mine) Write("out/" + name, bytes);
        Write("out/old.htm", "old");
        Write("out/image/.hidden", "a copy folder holds copies only");
        // Left by an export that was killed.
        Write("out/.Index.htm.tmp-4242-7-123456-0", "cut off");
        // The publish's record of its digests is the program's own, and stays.
        Write("out/.pagelorn-publish-cache", "pagelorn-publish-cache 1");
        // The check lists them as kept.
        std::vector<std::string> kept;
        for (const ExportProblem& problem : BuildExportPlan(Parameters()).problems)
            if (problem.kind == ProblemKind::KeptEntry)
                kept.push_back(fs::path(problem.path).lexically_relative(out).string());
        EXPECT_EQ(kept, (std::vector<std::string>{".git", ".htaccess", ".nojekyll", ".well-known",
                                                  "CNAME"}));
        const ExportResult result = ExportWebsite(Parameters(true, full));
        ASSERT_TRUE(result.AllWritten()) << result.message;
        for (const auto& [name, bytes] : mine) EXPECT_EQ(Read(out / name), bytes) << name;
        EXPECT_TRUE(fs::exists(out / ".pagelorn-publish-cache"));
        EXPECT_FALSE(fs::exists(out / "old.htm"));
        EXPECT_FALSE(fs::exists(out / ".Index.htm.tmp-4242-7-123456-0"));
        EXPECT_FALSE(fs::exists(out / "image/.hidden"));
    }
}

}  // namespace
