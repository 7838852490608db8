#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteTree.h"

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class CliProjectTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(testing::TempDir()) /
                 ("pagelorn_cli_" + std::to_string(::getpid()) + "_" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    CliRun Cli(const std::vector<std::string>& arguments) const {
        std::string command = Quote(PAGELORN_CLI);
        for (const std::string& argument : arguments) command += " " + Quote(argument);
        command += " >" + Quote((folder / "out.txt").string()) + " 2>" +
                   Quote((folder / "err.txt").string()) + " </dev/null";
        const int status = std::system(command.c_str());
        CliRun result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadFile(folder / "out.txt");
        result.err = ReadFile(folder / "err.txt");
        fs::remove(folder / "out.txt");
        fs::remove(folder / "err.txt");
        return result;
    }

    std::string Project(const char* name = "site.www") const { return (folder / name).string(); }

    fs::path folder;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST_F(CliProjectTest, HelpNamesEveryCommandAndMistakesExitWithTwo) {
    const CliRun help = Cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"new", "import", "show", "export"})
        EXPECT_TRUE(Contains(help.out, std::string("  ") + command + " ")) << command;

    const CliRun none = Cli({});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(Contains(none.err, "usage"));
    const CliRun unknown = Cli({"publish"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(Contains(unknown.err, "unknown command \"publish\""));
    EXPECT_EQ(Cli({"show"}).exitCode, 2);
    EXPECT_EQ(Cli({"import", Project()}).exitCode, 2);
    EXPECT_EQ(Cli({"show", "--help"}).exitCode, 0);
}

TEST_F(CliProjectTest, NewWritesTheDefaultProjectAndDoesNotReplaceOneUnasked) {
    const CliRun created = Cli({"new", Project()});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_EQ(fs::file_size(Project()), 6403u);
    {
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        EXPECT_EQ(LoadProject(Project(), page, layout, tree).status, LoadStatus::Complete);
        EXPECT_EQ(WriteProjectBytes(CPageOption{}, CLayoutOption{}, CSiteTree{}),
                  WriteProjectBytes(page, layout, tree));
    }

    std::ofstream(folder / "notes.txt") << "n";
    ASSERT_EQ(Cli({"import", Project(), (folder / "notes.txt").string()}).exitCode, 0);
    const std::string imported = ReadFile(Project());
    const CliRun again = Cli({"new", Project()});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_TRUE(Contains(again.err, "--force")) << again.err;
    EXPECT_EQ(ReadFile(Project()), imported);

    EXPECT_EQ(Cli({"new", Project(), "--force"}).exitCode, 0);
    EXPECT_EQ(fs::file_size(Project()), 6403u);
}

TEST_F(CliProjectTest, ImportAddsFoldersAndFilesAndShowListsThem) {
    const fs::path source = folder / "photos";
    fs::create_directories(source / "summer");
    std::ofstream(source / "a.jpg") << "a";
    std::ofstream(source / "summer" / "beach.jpg") << "b";
    std::ofstream(folder / "notes.txt") << "n";
    fs::create_directory_symlink(source / "summer", source / "again");

    const CliRun imported =
        Cli({"import", Project(), source.string(), (folder / "notes.txt").string()});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_TRUE(Contains(imported.out, "1 sub-site and 2 items added, 1 entry skipped"))
        << imported.out;
    EXPECT_TRUE(Contains(imported.err, "again")) << imported.err;

    const CliRun shown = Cli({"show", Project()});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    const std::string expected =
        "Index (folder 0)\n"
        "  item 0: a.jpg -> file://" +
        (source / "a.jpg").string() +
        "\n"
        "  item 1: notes.txt -> file://" +
        (folder / "notes.txt").string() +
        "\n"
        "  summer (folder 1)\n"
        "    item 0: beach.jpg -> file://" +
        (source / "summer" / "beach.jpg").string() +
        "\n"
        "complete: 2 folders, 3 items\n";
    EXPECT_EQ(shown.out, expected);

    const CliRun missing = Cli({"import", Project(), (folder / "nothing").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(Contains(missing.err, "does not exist")) << missing.err;
    EXPECT_EQ(Cli({"show", Project()}).out, expected);
}

TEST_F(CliProjectTest, ShowAndImportTellDamagedFilesApartAndNeverWriteOverThem) {
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    tree.NewFolder(*tree.Root());
    tree.NewFolder(*tree.Root());
    const std::vector<unsigned char> bytes = WriteProjectBytes(page, layout, tree);
    std::ofstream(Project("cut.www"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size() - 5));
    std::ofstream(Project("version.www"), std::ios::binary).write("\2\0\0\0", 4);
    std::ofstream(Project("header.www"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), 2000);

    const CliRun cut = Cli({"show", Project("cut.www")});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_TRUE(Contains(cut.out, "incomplete: only 2 folders could be read")) << cut.out;
    EXPECT_TRUE(Contains(cut.err, "cut.www")) << cut.err;

    const CliRun version = Cli({"show", Project("version.www")});
    EXPECT_EQ(version.exitCode, 2);
    EXPECT_TRUE(Contains(version.err, "Unkown version!")) << version.err;
    EXPECT_TRUE(version.out.empty());
    EXPECT_EQ(Cli({"show", Project("header.www")}).exitCode, 2);
    EXPECT_EQ(Cli({"show", Project("missing.www")}).exitCode, 2);

    for (const char* name : {"cut.www", "version.www", "header.www"}) {
        SCOPED_TRACE(name);
        const std::string before = ReadFile(Project(name));
        const CliRun import = Cli({"import", Project(name), "/dev/null"});
        EXPECT_EQ(import.exitCode, 2);
        EXPECT_TRUE(Contains(import.err, "Nothing was imported")) << import.err;
        EXPECT_EQ(ReadFile(Project(name)), before);
    }
}
