// The export as a plan: the problems it finds, re-exports that write only what differs and compose
// only pages whose inputs changed, a plan that stands without its project, failures in plan order
// with several threads, texts in the pages' charset and where an export goes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "ExportCache.h"
#include "ExportLocation.h"
#include "ExportPlan.h"
#include "ExportTestSupport.h"
#include "ProjectFile.h"
#include "TextEncoder.h"
#include "WebsiteExporter.h"

namespace {

using exporttest::TempFolderTest;
namespace fs = std::filesystem;

class PlanTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        out = dir / "out";
    }

    ExportParameters Parameters() {
        return {.tree = tree,
                .pageOption = page,
                .layoutOption = layout,
                .exportFolder = out,
                .projectFile = dir / "site.www",
                .clearExistingFolder = true,
                .progress = {},
                .cancel = nullptr,
                .full = full,
                .threads = threads};
    }
    ExportResult Export() { return ExportWebsite(Parameters()); }

    // Every file below the folder, by its path inside it, with its bytes; the folder's record of
    // what was made is no part of the website.
    static std::map<std::string, std::string> Contents(const fs::path& folder) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.path().filename() != kExportCacheName)
                files[fs::relative(entry.path(), folder).string()] =
                    entry.is_directory() ? std::string("(folder)") : Read(entry.path());
        return files;
    }

    // A file written or copied again has a new change time, whatever modification time it got.
    struct Stamp {
        std::int64_t changedNs = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    static std::map<std::string, Stamp> Stamps(const fs::path& folder) {
        std::map<std::string, Stamp> stamps;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            struct stat status {};
            ::lstat(entry.path().c_str(), &status);
            if (S_ISREG(status.st_mode) && entry.path().filename() != kExportCacheName)
                stamps[fs::relative(entry.path(), folder).string()] = {
                    status.st_ctim.tv_sec * 1000000000LL + status.st_ctim.tv_nsec,
                    status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec};
        }
        return stamps;
    }

    CSiteTree tree;
    CPageOption page;
    CLayoutOption layout;
    fs::path out;
    bool full = false;
    unsigned threads = 0;
};

TEST_F(PlanTest, ProblemsOfAProjectWithWhereTheyAreAndNothingWritten) {
    const fs::path logo = Write("a/logo.gif", exporttest::GifBytes(20, 20));
    const fs::path other = Write("b/LOGO.GIF", exporttest::GifBytes(20, 20));
    const fs::path secret = Write("home/.ssh/id.txt", "key");
    fs::create_directories(dir / "folder.doc");
    const CFolderKey news = tree.AddFolder(tree.RootKey(), "News").key;
    const CFolderKey again = tree.AddFolder(tree.RootKey(), "News").key;
    const CFolderKey odd = tree.AddFolder(tree.RootKey(), "a/b").key;
    const CItemKey gone = tree.AddItem(news, "Gone", "file://" + (dir / "gone.doc").string()).key;
    tree.AddItem(news, "Logo", "file://" + logo.string());
    const CItemKey clash = tree.AddItem(again, "Other", "file://" + other.string()).key;
    const CItemKey folderItem =
        tree.AddItem(again, "Folder", "file://" + (dir / "folder.doc").string()).key;
    tree.AddItem(odd, "Key", "file://" + secret.string());
    tree.AddItem(odd, "Script", "", "<a href=\"x\" onClick=\"steal()\">x</a>");
    tree.SetText(odd, CSiteField::Description, "<SCRIPT>alert(1)</SCRIPT>");
    page.footer = "<a href='java\tscript:go()'>go</a>";
    page.header = "<b>only markup that runs nothing</b> one=1";
    page.saveEncoding = "x-user-defined";
    page.general.soundLocation = (dir / "gone.wav").string();

    const ExportPlan plan = BuildExportPlan(Parameters());
    EXPECT_FALSE(fs::exists(out));
    struct Expected {
        ProblemKind kind;
        ProblemSeverity severity;
        std::string path;
        std::string where;
        std::string detail;  // a part of it
        CFolderKey folder;
        CItemKey item;
    };
    using enum ProblemKind;
    const auto error = ProblemSeverity::Error;
    const auto note = ProblemSeverity::Note;
    const Expected expected[] = {
        {Charset,
         note,
         "x-user-defined",
         "Website Properties > Language",
         "cannot convert",
         {},
         {}},
        {PageRenamed,
         note,
         "Index_News~2.htm",
         "Index > News",
         "renamed from Index_News.htm: Index_News.htm is a page of Index > News",
         again,
         {}},
        {UnsafeCharacters, note, "Index_a_b.htm", "Index > a/b", "replaced", odd, {}},
        {MissingFile,
         error,
         (dir / "gone.wav").string(),
         "Website Properties > General > Background Sound",
         "does not exist",
         {},
         {}},
        {MissingFile, error, (dir / "gone.doc").string(), "Index > News, item \"Gone\"",
         "the file does not exist", news, gone},
        {CopyRenamed, note, other.string(), "Index > News, item \"Other\"",
         "copied as LOGO~2.GIF: LOGO.GIF is the copy of " + logo.string(), again, clash},
        {NotAFile, error, (dir / "folder.doc").string(), "Index > News, item \"Folder\"",
         "not a regular file but a folder", again, folderItem},
        {HiddenFolder,
         note,
         secret.string(),
         "Index > a/b, item \"Key\"",
         "hidden folder .ssh",
         odd,
         {}},
        {ActiveMarkup,
         note,
         "every page",
         "Website Properties > Footer",
         "a javascript: link",
         {},
         {}},
        {ActiveMarkup, note, "Index_a_b.htm", "Index > a/b", "a script element", odd, {}},
        {ActiveMarkup,
         note,
         "Index_a_b.htm",
         "Index > a/b, item \"Script\"",
         "an event attribute (onClick)",
         odd,
         {}},
    };
    ASSERT_EQ(plan.problems.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const ExportProblem& found = plan.problems[i];
        const Expected& want = expected[i];
        EXPECT_EQ(ProblemKindName(found.kind), ProblemKindName(want.kind));
        EXPECT_EQ(found.severity, want.severity);
        EXPECT_EQ(found.path, want.path);
        EXPECT_EQ(found.where, want.where);
        EXPECT_NE(found.detail.find(want.detail), std::string::npos) << found.detail;
        EXPECT_EQ(found.folder, want.folder);
        if (want.item) {
            EXPECT_EQ(found.item, want.item);
        }
    }
    EXPECT_EQ(plan.ErrorCount(), 3u);

    // "Manual" copying reads no source: a missing one is the user's to put in place.
    page.general.copyLinkedFiles = 0;
    page.saveEncoding = "UTF-8";
    page.footer.clear();
    const ExportPlan manual = BuildExportPlan(Parameters());
    EXPECT_EQ(manual.ErrorCount(), 0u);
    EXPECT_EQ(manual.CopyCount(), 0u);

    // A folder that must never be cleared is an error of its own.
    out = dir;
    Write("site.www", "project");
    const ExportPlan refused = BuildExportPlan(Parameters());
    ASSERT_FALSE(refused.problems.empty());
    EXPECT_EQ(refused.problems[0].kind, ProblemKind::ExportFolder);
    EXPECT_NE(refused.problems[0].detail.find("Refusing to clear"), std::string::npos);
}

TEST_F(PlanTest, DamagedPicturesAreShownInTheBoxWithANote) {
    const std::string jpeg = exporttest::JpegBytes(640, 320);
    const std::string pictures[] = {
        exporttest::GifBytes(300, 150).substr(0, 13),
        "GIF89a garbage",
        jpeg.substr(0, jpeg.find("\xFF\xDA")) + std::string(200, '\0'),
        exporttest::GifBytes(300, 150),
    };
    for (std::size_t i = 0; i < std::size(pictures); ++i) {
        const fs::path file = Write("p" + std::to_string(i) + ".gif", pictures[i]);
        tree.AddItem(tree.RootKey(), file.filename().string(), "file://" + file.string());
    }
    const ExportPlan plan = BuildExportPlan(Parameters());
    ASSERT_EQ(plan.problems.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(plan.problems[i].kind, ProblemKind::UnreadablePicture);
        EXPECT_EQ(plan.problems[i].path, (dir / ("p" + std::to_string(i) + ".gif")).string());
        EXPECT_NE(plan.problems[i].detail.find("missing or cut short"), std::string::npos);
    }
    ASSERT_EQ(Export().status, ExportStatus::Completed);
    const std::string index = Read(out / "Index.htm");
    for (const char* copy : {"P0.GIF", "P1.GIF", "P2.GIF"})
        EXPECT_NE(index.find(copy + std::string("\" width = 100 height = 100>")), std::string::npos)
            << copy;
    EXPECT_NE(index.find("P3.GIF\" width = 100 height = 50>"), std::string::npos);
}

TEST_F(PlanTest, ASecondExportWritesOnlyWhatDiffersAndEndsAsAFreshOne) {
    const fs::path report = Write("src/report.doc", "report");
    const fs::path photo = Write("src/photo.jpg", exporttest::JpegBytes(640, 480));
    const CFolderKey a = tree.AddFolder(tree.RootKey(), "A").key;
    const CFolderKey b = tree.AddFolder(tree.RootKey(), "B").key;
    const CItemKey reportItem = tree.AddItem(a, "Report", "file://" + report.string()).key;
    tree.AddItem(b, "Photo", "file://" + photo.string());
    tree.AddItem(tree.RootKey(), "Photo again", "file://" + photo.string());
    ASSERT_TRUE(Export().AllWritten());

    // Each page's time is set far back: a page written again has a new one. A copy keeps its
    // source's modification time, so a copy made again shows by its change time.
    const auto ageThePages = [&] {
        for (const auto& entry : fs::directory_iterator(out))
            if (entry.is_regular_file()) {
                const utimbuf old{1000000000, 1000000000};
                ::utime(entry.path().c_str(), &old);
            }
    };
    const auto rewritten = [&](const std::map<std::string, Stamp>& before) {
        std::vector<std::string> changed;
        for (const auto& [name, stamp] : Stamps(out))
            if (!before.contains(name) || before.at(name) != stamp) changed.push_back(name);
        return changed;
    };
    const auto sameAsFresh = [&] {
        const fs::path saved = out;
        out = dir / "fresh";
        fs::remove_all(out);
        EXPECT_TRUE(Export().AllWritten());
        out = saved;
        EXPECT_EQ(Contents(out), Contents(dir / "fresh"));
    };
    ageThePages();
    EXPECT_EQ(Stamps(out)["doc/REPORT.DOC"].modifiedNs,
              Stamps(dir / "src")["report.doc"].modifiedNs);

    struct Step {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> written;
    };
    const Step steps[] = {
        {"nothing changed", [] {}, {}},
        {"an item's caption",
         [&] { tree.SetText(reportItem, CSiteField::Caption, "Annual report"); },
         {"Index_A.htm"}},
        {"an item removed", [&] { tree.DeleteItem(reportItem); }, {"Index_A.htm"}},
        {"a source touched",
         [&] {
             const utimbuf later{2000000000, 2000000000};
             ::utime(photo.c_str(), &later);
         },
         {"image/PHOTO.JPG"}},
        {"foreign files in the folder",
         [&] {
             Write("out/mine.txt", "mine");
             Write("out/deep/er.htm", "x");
             Write("out/image/stray.gif", "x");
             fs::remove(out / "Index_B.htm");
             fs::create_directory(out / "Index_B.htm");
         },
         {"Index_B.htm"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const auto before = Stamps(out);
        step.change();
        const ExportResult result = Export();
        ASSERT_TRUE(result.AllWritten()) << result.message;
        EXPECT_EQ(rewritten(before), step.written);
        EXPECT_EQ(result.pagesWritten + result.filesCopied, step.written.size());
        EXPECT_EQ(result.pagesUpToDate + result.pagesWritten, 3u);
        sameAsFresh();
        ageThePages();
    }
    EXPECT_FALSE(fs::exists(out / "doc" / "REPORT.DOC"));
    EXPECT_FALSE(fs::exists(out / "mine.txt"));
    EXPECT_FALSE(fs::exists(out / "image" / "stray.gif"));

    // --full writes and copies everything again.
    full = true;
    const auto before = Stamps(out);
    const ExportResult result = Export();
    EXPECT_EQ(result.pagesWritten, 3u);
    EXPECT_EQ(result.filesCopied, 1u);
    EXPECT_EQ(rewritten(before).size(), before.size());
    EXPECT_NE(result.message.find("3 pages written, 1 files copied, 0 failures."),
              std::string::npos)
        << result.message;
}

TEST_F(PlanTest, FailuresComeInPlanOrderWhateverTheThreadsDo) {
    std::vector<std::string> expected;
    for (int folder = 0; folder < 20; ++folder) {
        const CFolderKey key = tree.AddFolder(tree.RootKey(), "F" + std::to_string(folder)).key;
        for (int i = 0; i < 20; ++i) {
            const std::string name = std::to_string(folder) + "-" + std::to_string(i) + ".doc";
            // Every third file is there; the others fail.
            const fs::path path =
                i % 3 == 0 ? Write("src/" + name, std::string(1000, 'x')) : dir / "gone" / name;
            tree.AddItem(key, name, "file://" + path.string());
            if (i % 3 != 0) expected.push_back(path.string());
        }
    }
    threads = 4;
    for (int run = 0; run < 3; ++run) {
        full = run > 0;
        const ExportResult result = Export();
        ASSERT_EQ(result.failures.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(result.failures[i].path, expected[i]) << "run " << run << ", failure " << i;
    }
}

TEST(TextEncoderTest, TextsGoIntoThePagesCharset) {
    struct Case {
        const char* charset;
        std::string text;
        std::string written;
    };
    const Case cases[] = {
        {"iso-8859-1", "Caf\xC3\xA9", "Caf\xE9"},
        {"ISO-8859-1", "\xE6\xBC\xA2 ok \xC3\xA9", "&#28450; ok \xE9"},
        {"iso-8859-1", "Caf\xE9 (legacy)", "Caf\xE9 (legacy)"},
        {"windows-1252", "\xE2\x82\xAC 5", "\x80 5"},
        {"shift-jis", "\xE6\x97\xA5\xE6\x9C\xAC", "\x93\xFA\x96\x7B"},
        {"iso-2022-jp", "\xE6\x97\xA5 a", "\x1B$BF|\x1B(B a"},
        {"x-euc", "\xE6\x97\xA5", "\xC6\xFC"},
        {"UTF-8", "Caf\xC3\xA9", "Caf\xC3\xA9"},
        {"", "Caf\xC3\xA9", "Caf\xC3\xA9"},
        // Charsets this system cannot write, or that change ASCII, leave texts as stored.
        {"x-user-defined", "Caf\xC3\xA9", "Caf\xC3\xA9"},
        {"unicode", "Caf\xC3\xA9", "Caf\xC3\xA9"},
    };
    for (const Case& c : cases) {
        CTextEncoder encoder(c.charset);
        EXPECT_EQ(encoder.Encode(c.text), c.written) << c.charset << ": " << c.text;
        EXPECT_EQ(encoder.Problem().empty(),
                  encoder.Converts() || c.charset == std::string("UTF-8") || *c.charset == '\0')
            << c.charset;
    }
    EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9 \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("\xC3"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a surrogate
}

TEST_F(PlanTest, PagesAreWrittenInTheirCharsetWithLinksThatAlwaysResolve) {
    const fs::path odd = Write("src/Say \"hi\" & caf\xC3\xA9 #1.doc", "odd");
    page.saveEncoding = "iso-8859-1";
    page.general.title = "Caf\xC3\xA9";
    page.footer = "\xE2\x98\x83";
    tree.RenameFolder(tree.RootKey(), "Accueil \xC3\xA9t\xC3\xA9");
    tree.AddFolder(tree.RootKey(), "\xC3\x89t\xC3\xA9");
    tree.AddItem(tree.RootKey(), "R\xC3\xA9sum\xC3\xA9", "file://" + odd.string(),
                 "legacy \xE9 bytes");
    ASSERT_TRUE(Export().AllWritten());
    const std::string index = Read(out / "Index.htm");
    for (const std::string& piece : {
             std::string("charset=iso-8859-1\">"),
             std::string("<TITLE>\r\nCaf\xE9---Accueil \xE9t\xE9</TITLE>"),
             std::string("<A href=\"Index_%C3%89t%C3%A9.htm\">\r\n\xC9t\xE9</A>"),
             std::string(
                 "<A href=\"./doc/SAY %22HI%22 %26 CAF%C3%A9 %231.DOC\">\r\nR\xE9sum\xE9</A>"),
             std::string("legacy \xE9 bytes"),
             std::string("&#9731;"),
         })
        EXPECT_NE(index.find(piece), std::string::npos) << piece << "\n" << index;
    EXPECT_EQ(Read(out / "doc" / "SAY \"HI\" & CAF\xC3\xA9 #1.DOC"), "odd");
    EXPECT_TRUE(fs::exists(out / "Index_\xC3\x89t\xC3\xA9.htm"));
}

// A charset no browser knows, or markup in its place, never reaches a page: the check says so
// and the pages are UTF-8.
TEST_F(PlanTest, UnknownCharsetIsACheckErrorAndThePagesAreUtf8) {
    page.general.title = "Caf\xC3\xA9 \xE2\x82\xAC";
    for (const std::string charset :
         {"ISO-8859-1//TRANSLIT", "utf-8\"><script>alert(1)</script>", "no-such-charset"}) {
        SCOPED_TRACE(charset);
        page.saveEncoding = charset;
        const ExportPlan plan = BuildExportPlan(Parameters());
        ASSERT_EQ(plan.ErrorCount(), 1u);
        EXPECT_EQ(plan.problems.front().kind, ProblemKind::Charset);
        EXPECT_NE(plan.problems.front().detail.find("charset " + charset + " is not known"),
                  std::string::npos);
        const ExportResult result = Export();
        EXPECT_NE(result.message.find("The charset " + charset +
                                      " is not known: the pages were "
                                      "written and declared in UTF-8."),
                  std::string::npos)
            << result.message;
        const std::string index = Read(out / "Index.htm");
        EXPECT_NE(index.find("charset=UTF-8\">\r\n"), std::string::npos) << index;
        EXPECT_NE(index.find("Caf\xC3\xA9 \xE2\x82\xAC"), std::string::npos) << index;
        EXPECT_EQ(index.find("<script>"), std::string::npos) << index;
    }
}

TEST_F(PlanTest, WhereAnExportGoesWithoutALocation) {
    // The folder of this test program lies in the build tree, which may be written; a checkout
    // inside a folder of the system (/tmp, /srv, /root) has its exports in the documents.
    const fs::path program = ProgramFolder() / ("location-test-" + std::to_string(::getpid()));
    fs::create_directories(program);
    const fs::path documents = dir / "Documents";
    const bool besideTheProgram = !LiesInSystemFolder(program);
    struct Case {
        fs::path programFolder;
        fs::path folder;
    };
    const Case cases[] = {
        {program, besideTheProgram ? program / "Export" : documents / "Pagelorn Export"},
        {"/usr/bin", documents / "Pagelorn Export"},   // an installed program
        {dir / "bin", documents / "Pagelorn Export"},  // in /tmp, a folder of the system
        {{}, documents / "Pagelorn Export"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DefaultExportFolder(c.programFolder, documents), c.folder) << c.programFolder;
    // Asking makes nothing.
    EXPECT_FALSE(fs::exists(program / "Export"));
    EXPECT_FALSE(fs::exists(documents));
    // An Export that is no folder is not written into.
    std::ofstream(program / "Export") << "file";
    EXPECT_EQ(DefaultExportFolder(program, documents), documents / "Pagelorn Export");
    fs::remove_all(program);

    const fs::path project = dir / "site" / "site.www";
    EXPECT_EQ(ResolveExportLocation("web", project, program, documents).folder,
              dir / "site" / "web");
    EXPECT_EQ(ResolveExportLocation("web", {}, program, documents).folder, documents / "web");
    // Without a location each project exports into a folder of its own, named after its file,
    // and previews into one of its own in the temporary folder given.
    const fs::path shared = DefaultExportFolder(program, documents);
    EXPECT_EQ(ResolveExportLocation("", project, program, documents).folder, shared / "site");
    EXPECT_EQ(ResolveExportLocation("", dir / "b" / "Holiday 2024.www", program, documents).folder,
              shared / "Holiday 2024");
    EXPECT_EQ(ResolveExportLocation("", {}, program, documents).folder, shared / "Untitled");
    EXPECT_EQ(PreviewFolder("/tmp/p", project), fs::path("/tmp/p/site"));
    EXPECT_EQ(PreviewFolder("/tmp/p", {}), fs::path("/tmp/p/Untitled"));
    EXPECT_EQ(ResolveExportLocation("/srv/web", project, program, documents).folder,
              fs::path("/srv/web"));
    for (const char* windows : {"C:\\Web", "d:/site", "\\\\server\\share"}) {
        const ExportLocation refused = ResolveExportLocation(windows, project, program, documents);
        EXPECT_TRUE(refused.folder.empty()) << windows;
        EXPECT_NE(refused.problem.find("is a Windows path"), std::string::npos) << windows;
    }
}

}  // namespace

TEST_F(PlanTest, WhatAnExportWouldDeleteThatItDidNotMake) {
    const fs::path report = Write("src/report.doc", "report");
    const CFolderKey a = tree.AddFolder(tree.RootKey(), "A").key;
    tree.AddItem(a, "Report", "file://" + report.string());
    ASSERT_TRUE(Export().AllWritten());
    const auto unplanned = [&](std::size_t named) {
        return FindUnplannedEntries(BuildExportPlan(Parameters()), named);
    };
    // A folder holding the website's own earlier export: nothing to ask about.
    EXPECT_EQ(unplanned(5).count, 0u);

    Write("out/notes.txt", "mine");
    Write("out/doc/old.doc", "older copy");
    fs::create_directories(out / "holiday" / "2024");
    Write("out/holiday/2024/a.jpg", "a");
    const UnplannedEntries found = unplanned(2);
    EXPECT_EQ(found.count, 3u);
    ASSERT_EQ(found.names.size(), 2u);
    for (const std::string& name : found.names)
        EXPECT_TRUE(name == "notes.txt" || name == "doc/old.doc" || name == "holiday") << name;
    EXPECT_FALSE(found.unreadable);
    // The export deletes what was named (a folder with all it holds), and nothing is left over.
    EXPECT_GE(Export().entriesDeleted, 3u);
    for (const char* gone : {"notes.txt", "doc/old.doc", "holiday"})
        EXPECT_FALSE(fs::exists(out / gone)) << gone;
    EXPECT_TRUE(fs::exists(out / "doc" / "REPORT.DOC"));
    EXPECT_EQ(unplanned(5).count, 0u);

    // A renamed sub-site leaves its old page behind, which the export then deletes.
    tree.RenameFolder(a, "B");
    const UnplannedEntries renamed = unplanned(5);
    EXPECT_EQ(renamed.names, std::vector<std::string>{"Index_A.htm"});
}

TEST_F(PlanTest, APlanIsCarriedOutAfterItsProjectIsGone) {
    const fs::path photo = Write("src/photo.jpg", exporttest::JpegBytes(640, 480));
    const fs::path report = Write("src/report.doc", "report");
    const fs::path saved = dir / "site.www";
    const CFolderKey a = tree.AddFolder(tree.RootKey(), "Photos").key;
    tree.AddItem(a, "Photo", "file://" + photo.string(), "<b>taken</b> at home");
    tree.AddItem(tree.AddFolder(a, "Reports").key, "Report", "file://" + report.string());
    tree.SetText(a, CSiteField::Description, "Summer");
    page.header = "Welcome";
    page.background.specifyBackground = 1;
    page.background.useBackgroundImage = 1;
    page.background.backgroundImage = photo.string();
    layout.mainCanvas.rows = 1;
    layout.mainCanvas.columns = 1;
    ASSERT_TRUE(SaveProject(saved, page, layout, tree));
    // Loaded from the file, the project's texts borrow the file's bytes, which go with it.
    struct Project {
        CSiteTree tree;
        CPageOption page;
        CLayoutOption layout;
    };
    const auto parameters = [&](const Project& project, const fs::path& folder, PageStyle style) {
        return ExportParameters{.tree = project.tree,
                                .pageOption = project.page,
                                .layoutOption = project.layout,
                                .exportFolder = folder,
                                .projectFile = saved,
                                .clearExistingFolder = false,
                                .progress = {},
                                .cancel = nullptr,
                                .full = false,
                                .threads = 0,
                                .pictures = {},
                                .pages = {.style = style}};
    };
    for (const PageStyle style : {PageStyle::Classic, PageStyle::Modern}) {
        SCOPED_TRACE(PageStyleName(style));
        const fs::path planned = dir / (std::string("planned-") + PageStyleName(style));
        const fs::path fresh = dir / (std::string("fresh-") + PageStyleName(style));
        fs::create_directories(planned);
        std::optional<ExportPlan> plan;
        {
            auto project = std::make_unique<Project>();
            ASSERT_TRUE(
                LoadProject(saved, project->page, project->layout, project->tree).IsComplete());
            plan = BuildExportPlan(parameters(*project, planned, style));
        }
        std::error_code error;
        const CFolderHandle folder = CFolderHandle::Open(plan->exportFolder, error);
        ASSERT_TRUE(folder.IsOpen()) << error.message();
        ExportResult result;
        ExportRun run;
        run.threads = 2;
        CarryOutExportPlan(*plan, run, true, folder, result);
        EXPECT_TRUE(result.AllWritten());
        EXPECT_EQ(result.pagesComposed, plan->pages.size());

        Project again;
        ASSERT_TRUE(LoadProject(saved, again.page, again.layout, again.tree).IsComplete());
        ASSERT_TRUE(ExportWebsite(parameters(again, fresh, style)).AllWritten());
        EXPECT_EQ(Contents(planned), Contents(fresh));
    }
}

TEST_F(PlanTest, OnlyPagesWhoseInputsChangedAreComposed) {
    const fs::path report = Write("src/report.doc", "report");
    const CFolderKey a = tree.AddFolder(tree.RootKey(), "A").key;
    const CFolderKey b = tree.AddFolder(tree.RootKey(), "B").key;
    const CFolderKey c = tree.AddFolder(a, "C").key;
    std::vector<CItemKey> items;
    for (const char* caption : {"one", "two", "three"})
        items.push_back(tree.AddItem(a, caption, "file://" + report.string()).key);
    tree.AddItem(b, "Report", "file://" + report.string());
    // Two items a page: A has the pages Index_A.htm and Index_A1.htm.
    layout.mainCanvas.rows = 1;
    layout.mainCanvas.columns = 2;
    const ExportResult first = Export();
    ASSERT_TRUE(first.AllWritten()) << first.message;
    EXPECT_EQ(first.pagesComposed, 5u);

    struct Step {
        const char* what;
        std::function<void()> change;
        std::size_t composed;  // the pages that show what changed
    };
    const Step steps[] = {
        {"nothing", [] {}, 0},
        {"the caption of an item on A's second page",
         [&] { tree.SetText(items[2], CSiteField::Caption, "Three"); }, 1},
        {"a description on A's first page",
         [&] { tree.SetText(items[0], CSiteField::Description, "first"); }, 1},
        // A's two pages link to C, and C's page (renamed with it) shows it in its history.
        {"the caption of C", [&] { tree.RenameFolder(c, "D"); }, 3},
        {"the header of every page", [&] { page.header = "Hello"; }, 5},
        {"a page written behind the export's back", [&] { Write("out/Index_B.htm", "mine"); }, 1},
        {"a caption changed and changed back",
         [&] {
             tree.SetText(items[1], CSiteField::Caption, "Two");
             tree.SetText(items[1], CSiteField::Caption, "two");
         },
         0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        const ExportResult result = Export();
        ASSERT_TRUE(result.AllWritten()) << result.message;
        EXPECT_EQ(result.pagesComposed, step.composed);
        EXPECT_EQ(result.pagesWritten, step.composed);
        EXPECT_EQ(result.pagesUpToDate + result.pagesWritten, 5u);
        const fs::path saved = out;
        out = dir / "fresh";
        fs::remove_all(out);
        EXPECT_TRUE(Export().AllWritten());
        out = saved;
        EXPECT_EQ(Contents(out), Contents(dir / "fresh"));
    }
}
