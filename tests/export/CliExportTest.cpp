#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "ExportLocation.h"
#include "ExportTestSupport.h"
#include "FolderHandle.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteTree.h"

namespace {

using exporttest::TempFolderTest;
namespace fs = std::filesystem;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliExportTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        project = dir / "site.www";
        out = dir / "web";
        const fs::path doc = Write("files/report.doc", "report");
        const fs::path gif = Write("files/logo.gif", exporttest::GifBytes(300, 150));
        tree.AddItem(tree.RootKey(), "Report", "file://" + doc.string());
        tree.AddItem(tree.AddFolder(tree.RootKey(), "Photos").key, "Logo",
                     "file://" + gif.string());
    }

    void Save() { ASSERT_TRUE(SaveProject(project, page, layout, tree)); }

    CliRun Cli(std::vector<std::string> arguments, const char* name = "export") const {
        std::string command = Quote(PAGELORN_CLI) + " " + name;
        for (const std::string& argument : arguments) command += " " + Quote(argument);
        const fs::path stdoutFile = dir / "stdout.txt";
        const fs::path stderrFile = dir / "stderr.txt";
        command +=
            " >" + Quote(stdoutFile.string()) + " 2>" + Quote(stderrFile.string()) + " </dev/null";
        const int status = std::system(command.c_str());
        CliRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = Read(stdoutFile);
        run.err = Read(stderrFile);
        fs::remove(stdoutFile);
        fs::remove(stderrFile);
        return run;
    }

    CSiteTree tree;
    CPageOption page;
    CLayoutOption layout;
    fs::path project;
    fs::path out;
};

TEST_F(CliExportTest, ExportsIntoTheGivenFolderAndSumsUp) {
    Save();
    const CliRun run = Cli({project.string(), "--to", out.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "2 pages written, 2 files copied, 0 failures")) << run.out;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(Contains(Read(out / "Index.htm"), "<A href=\"./doc/REPORT.DOC\">\r\nReport</A>"));
    EXPECT_TRUE(Contains(Read(out / "Index_Photos.htm"),
                         "<IMG src = \"./image/LOGO.GIF\" width = 100 height = 50>"));
    EXPECT_EQ(Read(out / "doc" / "REPORT.DOC"), "report");
}

TEST_F(CliExportTest, UsesTheProjectsLocationOrTheDefaultFolder) {
    Save();
    // A copy of the program in a folder of the system's (/tmp): no location means the documents
    // folder, which is never made when only asked for.
    fs::create_directories(dir / "bin");
    fs::copy_file(PAGELORN_CLI, dir / "bin" / "pagelorn-cli");
    const fs::path home = dir / "home";
    // Each project has a folder of its own there, named after its file.
    const fs::path ownFolder = home / "Documents" / "Pagelorn Export" / project.stem();
    EXPECT_EQ(ResolveExportLocation("", project, dir / "bin", home / "Documents").folder,
              ownFolder);
    EXPECT_FALSE(fs::exists(home));
    const std::string command = "env -u XDG_CONFIG_HOME HOME=" + Quote(home.string()) + " " +
                                Quote((dir / "bin" / "pagelorn-cli").string()) + " export " +
                                Quote(project.string()) + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(fs::exists(ownFolder / "Index.htm"));
    EXPECT_FALSE(fs::exists(dir / "bin" / "Export"));

    page.general.location = "C:\\Web";
    Save();
    CliRun run = Cli({project.string()});
    EXPECT_EQ(run.exitCode, 2);
    const std::string refused = ResolveExportLocation("C:\\Web", project).problem;
    EXPECT_TRUE(Contains(refused, "Windows path")) << refused;
    EXPECT_TRUE(Contains(run.err, refused)) << run.err;
    EXPECT_TRUE(Contains(run.err, "--to")) << run.err;

    page.general.location = "web";  // beside the project
    Save();
    run = Cli({project.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(out / "Index.htm"));
}

TEST_F(CliExportTest, ClearsAnExistingFolderOnlyWithYes) {
    Save();
    Write("web/mine.txt", "mine");
    CliRun run = Cli({project.string(), "--to", out.string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "--yes")) << run.err;
    EXPECT_EQ(Read(out / "mine.txt"), "mine");
    EXPECT_FALSE(fs::exists(out / "Index.htm"));

    run = Cli({project.string(), "--yes", "--to=" + out.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(fs::exists(out / "mine.txt"));
    EXPECT_TRUE(fs::exists(out / "Index.htm"));
}

TEST_F(CliExportTest, RefusesToClearTheProjectsFolderEvenWithYes) {
    Save();
    const CliRun run = Cli({project.string(), "--to", dir.string(), "--yes"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "Refusing to clear")) << run.err;
    EXPECT_TRUE(fs::exists(project));
    EXPECT_EQ(Read(dir / "files" / "report.doc"), "report");
}

TEST_F(CliExportTest, FailuresAreListedAndExitWithOne) {
    tree.AddItem(tree.RootKey(), "Gone", "file://" + (dir / "gone.pdf").string());
    Save();
    const CliRun run = Cli({project.string(), "--to", out.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, (dir / "gone.pdf").string() + ": the file does not exist"))
        << run.err;
    EXPECT_TRUE(Contains(run.out, "1 failures"));
    EXPECT_TRUE(fs::exists(out / "Index_Photos.htm"));
}

TEST_F(CliExportTest, UnreadableProjectsAndBadArgumentsExportNothing) {
    Write("broken.www", "not a project");
    EXPECT_EQ(Cli({(dir / "broken.www").string(), "--to", out.string()}).exitCode, 2);
    EXPECT_EQ(Cli({(dir / "missing.www").string(), "--to", out.string()}).exitCode, 2);
    EXPECT_EQ(Cli({}).exitCode, 2);
    EXPECT_EQ(Cli({project.string(), "--to"}).exitCode, 2);
    EXPECT_EQ(Cli({project.string(), "--frobnicate"}).exitCode, 2);
    EXPECT_FALSE(fs::exists(out));
    const CliRun help = Cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Contains(help.out, "--yes"));
}

TEST_F(CliExportTest, ADamagedTreeIsExportedAsFarAsItWasReadWithAWarning) {
    Save();
    std::string bytes = Read(project);
    bytes.resize(bytes.size() - 3);  // cut into the last folder's record
    Write("site.www", bytes);
    CPageOption checkPage;
    CLayoutOption checkLayout;
    CSiteTree checkTree;
    ASSERT_EQ(LoadProject(project, checkPage, checkLayout, checkTree).status,
              LoadStatus::TreeDamaged);

    const CliRun run = Cli({project.string(), "--to", out.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "warning")) << run.err;
    EXPECT_TRUE(fs::exists(out / "Index.htm"));
}

TEST_F(CliExportTest, TheFolderCheckedIsTheFolderWritten) {
    Save();
    Write("web/Index.htm", "mine");
    // "web/missing/.." is web itself, which is not empty.
    const CliRun run = Cli({project.string(), "--to", (out / "missing" / "..").string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, out.string() + " exists and is not empty")) << run.err;
    EXPECT_EQ(Read(out / "Index.htm"), "mine");
    EXPECT_FALSE(fs::exists(out / "missing"));
}

TEST_F(CliExportTest, AnInterruptedExportStopsWithWholeFilesAndSaysWhatItDid) {
    // One page per item, so that the export is still writing pages when the signal comes.
    layout.mainCanvas.rows = layout.mainCanvas.columns = 1;
    const fs::path doc = dir / "files" / "report.doc";
    for (int i = 0; i < 5000; ++i) tree.AddItem(tree.RootKey(), "r", "file://" + doc.string());
    Save();
    clitest::CliProcess cli({"export", project.string(), "--to", out.string()}, dir / "out.txt",
                            dir / "err.txt");
    ASSERT_TRUE(cli.Started());
    ASSERT_TRUE(clitest::WaitFor([&] { return fs::exists(out / "Index1.htm"); }));
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Finish(), 130);
    const std::string err = Read(dir / "err.txt");
    EXPECT_TRUE(Contains(
        err, "pagelorn-cli: interrupted: The export to " + out.string() + " was stopped: "))
        << err;
    std::size_t pages = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name;
        if (name.ends_with(".htm")) {
            ++pages;
            EXPECT_TRUE(Read(entry.path()).ends_with("</HTML>\r\n")) << name;
        }
    }
    EXPECT_GT(pages, 0u);
    EXPECT_LT(pages, 5000u);
    EXPECT_TRUE(Contains(err, std::to_string(pages) + " pages written")) << err;
}

TEST_F(CliExportTest, ASecondExportIntoTheSameFolderGivesUpWithTwo) {
    Save();
    fs::create_directories(out);
    std::error_code error;
    const CFolderHandle other = CFolderHandle::Open(out, error);
    ASSERT_TRUE(other.Lock(std::chrono::milliseconds(0), error));
    const CliRun run = Cli({project.string(), "--to", out.string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "pagelorn-cli: another export is writing into " + out.string()))
        << run.err;
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(CliExportTest, MessagesTellWhatReallyHappened) {
    // A linked file whose name holds control characters is listed escaped.
    tree.AddItem(tree.RootKey(), "Gone", "file://" + (dir / "gone\x1B[31m.doc").string());
    Save();
    CliRun run = Cli({project.string(), "--to", out.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "gone\\x1B[31m.doc: the file does not exist")) << run.err;
    EXPECT_FALSE(Contains(run.err, "\x1B"));

    // A folder that cannot be written is named, and nothing is exported.
    const fs::path readOnly = dir / "read-only";
    const exporttest::ScopedTmpfs tmpfs(readOnly, MS_RDONLY, "size=64k");
    if (tmpfs.Mounted()) {
        run = Cli({project.string(), "--to", readOnly.string()});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(Contains(run.err, readOnly.string() + " cannot be written: Read-only file "
                                                          "system; nothing was exported"))
            << run.err;
        EXPECT_EQ(run.out, "");
    }

    // Without its root record the tree is not the project's: nothing is exported.
    const std::string bytes = Read(project);
    const std::size_t header = 6382;  // the header of a project with the default properties
    Write("site.www", bytes.substr(0, header + 6));
    run = Cli({project.string(), "--to", (dir / "cut").string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "damaged from its root folder on; nothing was exported"))
        << run.err;
    EXPECT_FALSE(fs::exists(dir / "cut"));
}

TEST_F(CliExportTest, CheckListsProblemsWritesNothingAndExitsByWhatItFound) {
    Save();
    CliRun run = Cli({project.string(), "--to", out.string()}, "check");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // The last line names the export folder, resolved.
    const std::string folderLine = "export folder: " + fs::weakly_canonical(out).string() + "\n";
    EXPECT_EQ(run.out, "0 errors, 0 notes\n" + folderLine);

    // Files this project did not make are a note naming them; what an export of it made is not.
    ASSERT_EQ(Cli({project.string(), "--to", out.string()}).exitCode, 0);
    EXPECT_EQ(Cli({project.string(), "--to", out.string()}, "check").out,
              "0 errors, 0 notes\n" + folderLine);
    Write("web/notes.txt", "mine");
    Write("web/image/old.gif", "mine");
    run = Cli({project.string(), "--to", out.string()}, "check");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "note\texport folder\t" + fs::weakly_canonical(out).string() +
                           "\t--to\tit holds 2 files or folders this project did not make (" +
                           "image/old.gif, notes.txt), which export --yes deletes\n" +
                           "0 errors, 1 note\n" + folderLine);
    fs::remove_all(out);

    // Notes alone (a clash) leave the exit status at 0; a missing file is an error.
    tree.AddFolder(tree.RootKey(), "Photos");
    Save();
    run = Cli({project.string(), "--to", out.string()}, "check");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "note\tpage renamed\tIndex_Photos~2.htm\tIndex > Photos\trenamed from "
              "Index_Photos.htm: Index_Photos.htm is a page of Index > Photos\n0 errors, 1 note\n" +
                  folderLine);
    const fs::path gone = dir / "gone\x1B.pdf";
    tree.AddItem(tree.RootKey(), "Gone", "file://" + gone.string());
    page.general.location = "C:\\Web";
    Save();
    run = Cli({project.string()}, "check");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.out, "error\texport folder\tC:\\Web\t")) << run.out;
    EXPECT_TRUE(Contains(run.out, "error\tmissing file\t" + (dir / "gone\\x1B.pdf").string() +
                                      "\tIndex, item \"Gone\"\tthe file does not exist\n"))
        << run.out;
    EXPECT_TRUE(run.out.ends_with("2 errors, 1 note\n")) << run.out;
    EXPECT_FALSE(fs::exists(out));

    Write("broken.www", "not a project");
    EXPECT_EQ(Cli({(dir / "broken.www").string()}, "check").exitCode, 2);
    EXPECT_EQ(Cli({}, "check").exitCode, 2);
}

TEST_F(CliExportTest, ASecondExportRewritesNothingAndFullRewritesAll) {
    Save();
    ASSERT_EQ(Cli({project.string(), "--to", out.string()}).exitCode, 0);
    struct stat first {};
    ::stat((out / "Index.htm").c_str(), &first);
    CliRun run = Cli({project.string(), "--to", out.string(), "--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out,
                         "0 pages written, 0 files copied, 0 failures; 2 pages and 2 "
                         "files were up to date"))
        << run.out;
    struct stat second {};
    ::stat((out / "Index.htm").c_str(), &second);
    EXPECT_EQ(first.st_ctim.tv_sec, second.st_ctim.tv_sec);
    EXPECT_EQ(first.st_ctim.tv_nsec, second.st_ctim.tv_nsec);

    run = Cli({project.string(), "--to", out.string(), "--yes", "--full"});
    EXPECT_TRUE(Contains(run.out, "2 pages written, 2 files copied, 0 failures.")) << run.out;
    ::stat((out / "Index.htm").c_str(), &second);
    EXPECT_NE(first.st_ctim.tv_nsec + 1000000000LL * first.st_ctim.tv_sec,
              second.st_ctim.tv_nsec + 1000000000LL * second.st_ctim.tv_sec);
}

// libvips, libexif and FFmpeg's libraries are a module loaded for the first picture or video that
// needs them: showing a project and exporting one without thumbnails never load it, a thumbnail
// does, and a missing module is named in the failures and notes of an export that still finishes.
TEST_F(CliExportTest, ThePictureModuleIsLoadedOnlyForPicturesAndAMissingOneIsNamed) {
    Save();
    const auto loadsModule = [&](std::vector<std::string> arguments, const char* command) {
        ::setenv("LD_DEBUG", "files", 1);
        const CliRun run = Cli(std::move(arguments), command);
        ::unsetenv("LD_DEBUG");
        EXPECT_LT(run.exitCode, 2) << run.err;
        return Contains(run.err, "libpagelorn_media");
    };
    EXPECT_FALSE(loadsModule({}, "--version"));
    EXPECT_FALSE(loadsModule({project.string()}, "show"));
    EXPECT_FALSE(loadsModule({project.string(), "--to", out.string()}, "export"));

    Write("site.www.json", R"({"pictures": {"thumbnails": true}})");
    EXPECT_TRUE(loadsModule({project.string(), "--to", out.string(), "--yes"}, "export"));
    const auto thumbnails = [](const fs::path& folder) {
        std::error_code error;
        return std::distance(fs::directory_iterator(folder / "thumb", error),
                             fs::directory_iterator());
    };
    EXPECT_EQ(thumbnails(out), 1);

    // Videos go through the module too: without it the page links to the video.
    tree.AddItem(tree.RootKey(), "Clip", "file://" + Write("files/clip.avi", "RIFF").string());
    Save();
    const fs::path missing = dir / "lib" / "libpagelorn_media.so";
    ::setenv("PAGELORN_MEDIA_MODULE", missing.c_str(), 1);
    const CliRun run = Cli({project.string(), "--to", (dir / "other").string()});
    const CliRun check = Cli({project.string()}, "check");
    ::unsetenv("PAGELORN_MEDIA_MODULE");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        Contains(run.err, "the picture module " + missing.string() + " could not be loaded: "))
        << run.err;
    EXPECT_TRUE(Contains(check.out, "no poster: the picture module " + missing.string()))
        << check.out;
    EXPECT_EQ(thumbnails(dir / "other"), 0);
    EXPECT_TRUE(fs::exists(dir / "other" / "Index_Photos.htm"));
}

}  // namespace
