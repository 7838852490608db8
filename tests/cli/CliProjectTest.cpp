#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteTree.h"
#include "WebsiteExporter.h"
#include "WebsiteSettings.h"

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

    // shellPrefix runs first in the same shell (limits); stdoutTarget replaces the output file.
    CliRun Cli(const std::vector<std::string>& arguments, const std::string& shellPrefix = "",
               const std::string& stdoutTarget = "") const {
        std::string command = shellPrefix + Quote(PAGELORN_CLI);
        for (const std::string& argument : arguments) command += " " + Quote(argument);
        command += " >" +
                   (stdoutTarget.empty() ? Quote((folder / "out.txt").string()) : stdoutTarget) +
                   " 2>" + Quote((folder / "err.txt").string()) + " </dev/null";
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
    for (const char* command : {"new", "import", "show", "export", "publish"})
        EXPECT_TRUE(Contains(help.out, std::string("  ") + command + " ")) << command;

    const CliRun none = Cli({});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(Contains(none.err, "usage"));
    const CliRun unknown = Cli({"upload"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(Contains(unknown.err, "unknown command \"upload\""));
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
    EXPECT_TRUE(Contains(again.err, "\"" + Project() + "\" exists already; use --force"))
        << again.err;
    EXPECT_EQ(ReadFile(Project()), imported);

    EXPECT_EQ(Cli({"new", Project(), "--force"}).exitCode, 0);
    EXPECT_EQ(fs::file_size(Project()), 6403u);

    // Beside it, the website settings of a new project; show prints them, and every setting off
    // for a project without them or with a damaged settings file (a warning, exit status 1).
    const fs::path settings = WebsiteSettingsPath(Project());
    CWebsiteSettings read;
    ASSERT_EQ(LoadWebsiteSettings(Project(), read).status, SettingsLoadStatus::Read);
    EXPECT_TRUE(read == CWebsiteSettings::ForNewProject());
    const struct {
        const char* settingsText;  // nullptr: no settings file
        int exitCode;
        const char* line;
    } cases[] = {
        {"", 0,
         "settings: thumbnails true, box 100, density 2, quality 85, modernTypes true "
         "(site.www.json)\n"},
        {nullptr, 0,
         "settings: thumbnails false, box 100, density 2, quality 85, modernTypes false "
         "(no settings file)\n"},
        {"{ \"pictures\": { \"box\": 7 } }", 1,
         "settings: thumbnails false, box 100, density 2, quality 85, modernTypes false "
         "(its settings file is damaged)\n"},
    };
    for (const auto& c : cases) {
        if (c.settingsText == nullptr) fs::remove(settings);
        if (c.settingsText != nullptr && *c.settingsText != '\0')
            std::ofstream(settings) << c.settingsText;
        const CliRun shown = Cli({"show", Project()});
        EXPECT_EQ(shown.exitCode, c.exitCode) << shown.err;
        EXPECT_TRUE(shown.out.starts_with(c.line)) << shown.out;
        EXPECT_EQ(Contains(shown.err, "line 1, cannot be used: \"box\" must be"), c.exitCode == 1)
            << shown.err;
    }
}

// Texts come from anywhere: control bytes are shown escaped, whatever surrounds them.
TEST_F(CliProjectTest, ShowEscapesControlBytes) {
    CSiteTree tree;
    tree.SetText(tree.RootKey(), CSiteField::Caption, "\tIndex\x1B[0m");
    const CItemKey item = tree.NewItem(tree.RootKey()).key;
    tree.SetText(item, CSiteField::Caption, "a\x7F\nb");
    tree.SetText(item, CSiteField::Url, "file:///x\r");
    ASSERT_TRUE(SaveProject(Project(), CPageOption(), CLayoutOption(), tree));
    const CliRun shown = Cli({"show", Project()});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_TRUE(Contains(shown.out,
                         "\\x09Index\\x1B[0m (folder 0)\n  item 0: a\\x7F\\x0Ab -> "
                         "file:///x\\x0D\ncomplete: 1 folder, 1 item\n"))
        << shown.out;
}

// Texts are scanned for control bytes eight bytes at a time: one at every place of texts of every
// length up to three words, beside bytes above 0x7F, is escaped and nothing else is.
TEST_F(CliProjectTest, ShowEscapesControlBytesWhereverTheyAre) {
    CSiteTree tree;
    std::string expected;
    const auto escaped = [](const std::string& text) {
        std::string shown;
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x20 && byte != 0x7F) {
                shown += c;
                continue;
            }
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        }
        return shown;
    };
    int id = 0;
    for (std::size_t length = 1; length <= 24; ++length) {
        for (std::size_t at = 0; at <= length; ++at) {
            for (const char control : {'\0', '\x1F', '\x7F', '\n'}) {
                std::string caption(length, 'a');
                for (std::size_t i = 1; i < length; i += 3) caption[i] = '\xE9';
                if (at < length) caption[at] = control;
                const std::string url = caption + "x";
                const CItemKey item = tree.NewItem(tree.RootKey()).key;
                tree.SetText(item, CSiteField::Caption, caption);
                tree.SetText(item, CSiteField::Url, url);
                expected += "  item " + std::to_string(id++) + ": " + escaped(caption) + " -> " +
                            escaped(url) + "\n";
                if (at == length) break;
            }
        }
    }
    ASSERT_TRUE(SaveProject(Project(), CPageOption(), CLayoutOption(), tree));
    const CliRun shown = Cli({"show", Project()});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_TRUE(Contains(shown.out, "Index (folder 0)\n" + expected + "complete: 1 folder, "))
        << shown.out;
}

// The lock makes the project file before the first save: a command stopped in between, or a
// second first import, leaves an empty file, which is a project not yet written.
TEST_F(CliProjectTest, EmptyProjectFileIsAProjectNotYetWritten) {
    const auto emptyProject = [&] {
        fs::remove(WebsiteSettingsPath(Project()));
        std::ofstream(Project(), std::ios::trunc).close();
        ASSERT_EQ(fs::file_size(Project()), 0u);
    };
    emptyProject();
    const CliRun shown = Cli({"show", Project()});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_TRUE(Contains(shown.out, "Index (folder 0)\ncomplete: 1 folder, 0 items\n"))
        << shown.out;

    std::ofstream(folder / "notes.txt") << "n";
    const CliRun imported = Cli({"import", Project(), (folder / "notes.txt").string()});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    CWebsiteSettings settings;
    EXPECT_EQ(LoadWebsiteSettings(Project(), settings).status, SettingsLoadStatus::Read);
    EXPECT_TRUE(settings == CWebsiteSettings::ForNewProject());
    EXPECT_TRUE(Contains(Cli({"show", Project()}).out, "complete: 1 folder, 1 item\n"));

    emptyProject();
    const CliRun created = Cli({"new", Project()});
    EXPECT_EQ(created.exitCode, 0) << created.err;
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
    // import made the project: it has the settings of a new project, which caption by the
    // pictures' titles, else by the names without their extensions.
    const std::string expected =
        "settings: thumbnails true, box 100, density 2, quality 85, modernTypes true "
        "(site.www.json)\n"
        "pages: style modern, view 1600\n"
        "Index (folder 0)\n"
        "  item 0: a -> file://" +
        (source / "a.jpg").string() +
        "\n"
        "  item 1: notes -> file://" +
        (folder / "notes.txt").string() +
        "\n"
        "  summer (folder 1)\n"
        "    item 0: beach -> file://" +
        (source / "summer" / "beach.jpg").string() +
        "\n"
        "complete: 2 folders, 3 items\n";
    EXPECT_EQ(shown.out, expected);

    const CliRun missing = Cli({"import", Project(), (folder / "nothing").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(Contains(missing.err, "does not exist")) << missing.err;
    EXPECT_EQ(Cli({"show", Project()}).out, expected);
    EXPECT_EQ(Cli({"import", Project("none.www"), "nothing"}).exitCode, 2);
    EXPECT_FALSE(fs::exists(Project("none.www")));

    // What exists is imported, what does not is named, and the run counts as partly done.
    const CliRun some = Cli({"import", Project(), (folder / "nothing").string(),
                             (folder / "notes.txt").string(), (folder / "gone").string()});
    EXPECT_EQ(some.exitCode, 1) << some.err;
    EXPECT_TRUE(Contains(some.out, "notes.txt: 0 sub-sites and 1 item added")) << some.out;
    for (const char* name : {"nothing", "gone"})
        EXPECT_TRUE(
            Contains(some.err, "skipped \"" + (folder / name).string() + "\": it does not exist"))
            << some.err;
    EXPECT_TRUE(Contains(Cli({"show", Project()}).out, "item 2: notes")) << some.out;
}

TEST_F(CliProjectTest, ShowAndImportTellDamagedFilesApartAndNeverWriteOverThem) {
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    tree.NewFolder(tree.RootKey());
    tree.NewFolder(tree.RootKey());
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

TEST_F(CliProjectTest, OddFilesAreNeitherImportedNorWrittenOver) {
    const std::string fifo = Project("pipe.www");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const CliRun replaced = Cli({"new", fifo, "--force"});
    EXPECT_EQ(replaced.exitCode, 2);
    EXPECT_TRUE(Contains(replaced.err, "\"" + fifo + "\": it is a FIFO, not a regular file"))
        << replaced.err;
    EXPECT_TRUE(fs::is_fifo(fifo));

    const CliRun imported = Cli({"import", Project(), fifo, "/dev/null"});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_TRUE(Contains(imported.err, "skipped \"" + fifo + "\": a FIFO, not a regular file"))
        << imported.err;
    EXPECT_TRUE(
        Contains(imported.err, "skipped \"/dev/null\": a character device, not a regular file"));
    EXPECT_TRUE(Contains(Cli({"show", Project()}).out, "complete: 1 folder, 0 items"));
}

TEST_F(CliProjectTest, ImportsIntoOneProjectTakeTurns) {
    ASSERT_EQ(Cli({"new", Project()}).exitCode, 0);
    const std::string a = (folder / "a.txt").string();
    std::ofstream(a) << "a";
    const auto items = [&] {
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        LoadProject(Project(), page, layout, tree);
        std::vector<std::string> captions;
        for (const auto& item : tree.Root()->Folder().items) captions.push_back(item.caption.Str());
        return captions;
    };
    // Another program holds the project for longer than an import waits.
    int held = ::open(Project().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const CliRun busy = Cli({"import", Project(), a});
    EXPECT_EQ(busy.exitCode, 2);
    EXPECT_TRUE(Contains(busy.err, "waiting for another program to finish with")) << busy.err;
    EXPECT_TRUE(Contains(busy.err, "is being changed by another program")) << busy.err;
    EXPECT_TRUE(busy.out.empty());
    EXPECT_TRUE(items().empty());

    // An import that waits while the other program saves adds to what that one saved.
    const fs::path out = folder / "bg-out.txt";
    const fs::path err = folder / "bg-err.txt";
    {
        clitest::CliProcess waiting({"import", Project(), a}, out, err);
        ASSERT_TRUE(clitest::WaitFor([&] { return Contains(ReadFile(err), "waiting"); }));
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        tree.AddItem(tree.RootKey(), "theirs");
        ASSERT_TRUE(SaveProject(Project(), page, layout, tree));
        ::close(held);
        EXPECT_EQ(waiting.Finish(), 0) << ReadFile(err);
    }
    // (A new project's settings caption a file by its name without the extension.)
    EXPECT_EQ(items(), (std::vector<std::string>{"theirs", "a"}));

    // Interrupted while it waits, it imports nothing and says so.
    held = ::open(Project().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    clitest::CliProcess interrupted({"import", Project(), a}, out, err);
    ASSERT_TRUE(clitest::WaitFor([&] { return Contains(ReadFile(err), "waiting"); }));
    interrupted.Signal(SIGTERM);
    EXPECT_EQ(interrupted.Finish(), 130);
    EXPECT_TRUE(Contains(ReadFile(err), "pagelorn-cli: interrupted: Nothing was imported."))
        << ReadFile(err);
    ::close(held);
    EXPECT_EQ(items().size(), 2u);
}

TEST_F(CliProjectTest, ASignalBeforeAnyCommandRunsEndsItThroughTheHandler) {
    ASSERT_EQ(Cli({"new", Project()}).exitCode, 0);
    // Blocked from the start, the signal waits until the program lets it in: with its handler.
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    const fs::path out = folder / "bg-out.txt";
    const fs::path err = folder / "bg-err.txt";
    for (const char* command : {"show", "check"}) {
        SCOPED_TRACE(command);
        clitest::CliProcess cli({command, Project()}, out, err, &blocked);
        ASSERT_TRUE(cli.Started());
        cli.Signal(SIGTERM);
        EXPECT_EQ(cli.Finish(), 130);
        EXPECT_TRUE(Contains(ReadFile(err), "pagelorn-cli: interrupted: ")) << ReadFile(err);
    }
}

TEST_F(CliProjectTest, OutputAndSavesThatFailAreReportedAsFailures) {
    ASSERT_EQ(Cli({"new", Project()}).exitCode, 0);
    const fs::path files = folder / "files";
    fs::create_directories(files);
    for (int i = 0; i < 60; ++i)
        std::ofstream(files / ("a rather long file name number " + std::to_string(i) + ".txt"));

    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--help"},
             {"new", Project("other.www")},
             {"import", Project(), files.string()},
             {"show", Project()},
             {"export", Project(), "--to", (folder / "web").string()}}) {
        SCOPED_TRACE(arguments.front());
        const CliRun run = Cli(arguments, "", "/dev/full");
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(Contains(run.err, "cannot write to standard output: No space left on device"))
            << run.err;
    }

    // A save cut short by the file size limit: nothing is said to be added.
    const std::string before = ReadFile(Project());
    const CliRun cut = Cli({"import", Project(), files.string()}, "trap '' XFSZ; ulimit -f 16; ");
    EXPECT_EQ(cut.exitCode, 2);
    EXPECT_EQ(cut.out, "");
    EXPECT_TRUE(Contains(cut.err, "File too large")) << cut.err;
    EXPECT_TRUE(Contains(cut.err, "Nothing was imported.")) << cut.err;
    EXPECT_EQ(ReadFile(Project()), before);

    // show stops printing where the export stops writing.
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    CFolderKey node = tree.RootKey();
    for (int depth = 1; depth <= kMaxExportDepth + 1; ++depth) node = tree.NewFolder(node).key;
    ASSERT_TRUE(SaveProject(Project("deep.www"), page, layout, tree));
    const CliRun deep = Cli({"show", Project("deep.www")});
    EXPECT_EQ(deep.exitCode, 0);
    EXPECT_TRUE(Contains(deep.out, "not shown: 1 folder deeper than 1000 levels\n")) << deep.err;
    EXPECT_FALSE(Contains(deep.out, std::string(2 * (kMaxExportDepth + 1), ' ')));
}
