// Copies and thumbnails that follow their source, one copy per source file however it is spelled,
// paths written on Windows, and the export folder's record of what it made: whatever happens to
// the record or behind its back, a re-export ends byte for byte as a fresh export.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <map>
#include <vips/vips8>

#include "ExportCache.h"
#include "ExportPlan.h"
#include "ExportTestSupport.h"
#include "LinkedFiles.h"
#include "VideoTestFiles.h"
#include "WebsiteExporter.h"

namespace {

using exporttest::TempFolderTest;
using vips::VImage;
namespace fs = std::filesystem;

VImage Picture(int width, int height, int shade) {
    return ((VImage::xyz(width, height).extract_band(0) + shade) % 256)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W));
}

timespec ModifiedOf(const fs::path& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mtim;
}

// As `touch -r`: the file gets that modification time back, whatever was written.
void SetModified(const fs::path& path, timespec modified) {
    const timespec times[2] = {{0, UTIME_OMIT}, modified};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class CacheTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        ASSERT_EQ(VIPS_INIT("pagelorn-tests"), 0);
        out = dir / "out";
        project = dir / "site.www";
    }

    ExportParameters Parameters(const fs::path& folder) {
        return {.tree = tree,
                .pageOption = page,
                .layoutOption = layout,
                .exportFolder = folder,
                .projectFile = project,
                .clearExistingFolder = true,
                .progress = {},
                .cancel = nullptr,
                .full = false,
                .threads = 0,
                .pictures = pictures};
    }
    ExportResult Export(const fs::path& folder) { return ExportWebsite(Parameters(folder)); }
    ExportResult Export() { return Export(out); }

    // Writes other bytes of the same size into the file itself (same inode), keeping its time.
    static void RewriteInPlace(const fs::path& path) {
        const timespec modified = ModifiedOf(path);
        std::string bytes = Read(path);
        for (char& c : bytes) c = static_cast<char>(c ^ 0x20);
        std::fstream(path, std::ios::in | std::ios::out | std::ios::binary) << bytes;
        SetModified(path, modified);
    }
    // Every file of the website below the folder with its bytes (the record is none of them).
    static std::map<std::string, std::string> Contents(const fs::path& folder) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.path().filename() != kExportCacheName)
                files[fs::relative(entry.path(), folder).string()] =
                    entry.is_directory() ? std::string("(folder)") : Read(entry.path());
        return files;
    }
    void ExpectSameAsFresh() {
        const fs::path fresh = dir / "fresh";
        fs::remove_all(fresh);
        ASSERT_TRUE(Export(fresh).AllWritten());
        EXPECT_EQ(Contents(out), Contents(fresh));
    }
    CItemKey Link(const fs::path& path) {
        return tree.AddItem(tree.RootKey(), path.filename().string(), "file://" + path.string())
            .key;
    }

    CSiteTree tree;
    CPageOption page;
    CLayoutOption layout;
    CPictureSettings pictures{
        .thumbnails = true, .box = 100, .density = 1, .quality = 85, .modernTypes = true};
    fs::path project;
    fs::path out;
};

TEST_F(CacheTest, CopiesAndThumbnailsFollowTheirSourceNotItsNameSizeAndTime) {
    // Two files of equal name, size and time with other bytes.
    const fs::path a = Write("a/f.doc", "first");
    const fs::path b = Write("b/f.doc", "other");
    SetModified(b, ModifiedOf(a));
    const CItemKey item = Link(a);
    const fs::path photo = dir / "photo.jpg";
    Picture(400, 300, 0).jpegsave(photo.c_str());
    Link(photo);
    ASSERT_TRUE(Export().AllWritten());
    const std::string firstThumbnail = Read(out / "thumb" / "PHOTO.JPG.100q85.jpg");

    tree.SetText(item, CSiteField::Url, "file://" + b.string());
    ExportResult result = Export();
    EXPECT_EQ(Read(out / "doc" / "F.DOC"), "other");
    EXPECT_EQ(result.filesCopied, 1u) << result.message;
    EXPECT_EQ(result.thumbnailsUpToDate, 1u) << result.message;

    // The same file written again with bytes of the same size and its old time.
    RewriteInPlace(b);
    EXPECT_EQ(Export().filesCopied, 1u);
    EXPECT_EQ(Read(out / "doc" / "F.DOC"), Read(b));

    // Another picture put in its place with the old time, as `cp -p` or `touch -r` leave it.
    const timespec modified = ModifiedOf(photo);
    Picture(300, 400, 128).jpegsave((dir / "new.jpg").c_str());
    fs::rename(dir / "new.jpg", photo);
    SetModified(photo, modified);
    result = Export();
    EXPECT_EQ(result.thumbnailsMade, 1u) << result.message;
    EXPECT_NE(Read(out / "thumb" / "PHOTO.JPG.100q85.jpg"), firstThumbnail);
    ExpectSameAsFresh();
}

TEST_F(CacheTest, OneCopyPerSourceFileHoweverItIsSpelled) {
    const fs::path logo = Write("src/logo.gif", exporttest::GifBytes(20, 20));
    fs::create_hard_link(logo, dir / "hard.gif");
    const std::string base = dir.string();
    for (const std::string& spelling : {base + "/src/logo.gif", base + "/src/../src/logo.gif",
                                        base + "//src//logo.gif", base + "/./src/./logo.gif"})
        tree.AddItem(tree.RootKey(), "Logo", "file://" + spelling);
    tree.AddItem(tree.RootKey(), "Hard", "file://" + (dir / "hard.gif").string());
    page.background.specifyBackground = 1;
    page.background.useBackgroundImage = 1;
    page.background.backgroundImage = "src/../src/logo.gif";
    // "link/.." is where the link leads, not the folder the link is in: two files of one
    // lexical spelling keep their own copies.
    Write("x.gif", exporttest::GifBytes(30, 30));
    Write("real/x.gif", exporttest::GifBytes(40, 40));
    fs::create_directories(dir / "real" / "sub");
    fs::create_directory_symlink(dir / "real" / "sub", dir / "link");
    tree.AddItem(tree.RootKey(), "X", "file://" + base + "/x.gif");
    tree.AddItem(tree.RootKey(), "Linked X", "file://" + base + "/link/../x.gif");

    const ExportPlan plan = BuildExportPlan(Parameters(out));
    std::vector<std::string> names;
    for (const LinkedFile& file : plan.linkedFiles.Files()) names.push_back(file.name);
    EXPECT_EQ(names, (std::vector<std::string>{"LOGO.GIF", "X.GIF", "X~2.GIF"}));
    ASSERT_EQ(plan.problems.size(), 1u);
    EXPECT_EQ(plan.problems[0].kind, ProblemKind::CopyRenamed);
    EXPECT_EQ(plan.problems[0].path, base + "/link/../x.gif");
    ASSERT_TRUE(Export().AllWritten());
    EXPECT_EQ(Read(out / "image" / "X.GIF"), exporttest::GifBytes(30, 30));
    EXPECT_EQ(Read(out / "image" / "X~2.GIF"), exporttest::GifBytes(40, 40));
    const std::string index = Read(out / "Index.htm");
    EXPECT_NE(index.find("background=\"./image/LOGO.GIF\""), std::string::npos) << index;
}

TEST_F(CacheTest, PathsWrittenOnWindowsFindTheirFilesWithoutRegardToCase) {
    const fs::path logo = Write("Pics/logo.gif", exporttest::GifBytes(20, 20));
    const fs::path report = Write("docs/Report.doc", "report");
    Write("twice/Same.doc", "one");
    Write("twice/same.doc", "two");
    tree.AddItem(tree.RootKey(), "Logo", "FILE://" + AsciiUpper(logo.string()));
    tree.AddItem(tree.RootKey(), "Report", "file:DOCS\\REPORT.DOC");
    tree.AddItem(tree.RootKey(), "Same", "file://" + (dir / "TWICE" / "SAME.DOC").string());

    const ExportPlan plan = BuildExportPlan(Parameters(out));
    ASSERT_EQ(plan.problems.size(), 1u) << plan.problems[1].path << plan.problems[1].detail;
    const ExportProblem& ambiguous = plan.problems[0];
    EXPECT_EQ(ambiguous.kind, ProblemKind::AmbiguousFile);
    EXPECT_EQ(ambiguous.severity, ProblemSeverity::Error);
    EXPECT_EQ(ProblemKindName(ambiguous.kind), "ambiguous file");
    EXPECT_NE(ambiguous.detail.find((dir / "twice" / "Same.doc").string() + ", " +
                                    (dir / "twice" / "same.doc").string()),
              std::string::npos)
        << ambiguous.detail;

    const ExportResult result = Export();
    EXPECT_EQ(Read(out / "image" / "LOGO.GIF"), Read(logo));
    EXPECT_EQ(Read(out / "doc" / "REPORT.DOC"), "report");
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].reason, ambiguous.detail);
    EXPECT_FALSE(fs::exists(out / "doc" / "SAME.DOC"));
}

TEST_F(CacheTest, TheRecordIsACacheWhateverHappensToItAndBehindItsBack) {
    const fs::path report = Write("src/report.doc", "report");
    const fs::path photo = dir / "src" / "photo.jpg";
    Picture(400, 300, 0).jpegsave(photo.c_str());
    Link(report);
    Link(photo);
    ASSERT_TRUE(Export().AllWritten());
    const fs::path record = out / std::string(kExportCacheName);
    ASSERT_TRUE(fs::is_regular_file(record));
    const std::string good = Read(record);

    // Another project's record, written for the same files into another folder.
    const fs::path saved = project;
    project = dir / "other.www";
    ASSERT_TRUE(Export(dir / "other").AllWritten());
    const std::string foreign = Read(dir / "other" / std::string(kExportCacheName));
    project = saved;

    const fs::path copy = out / "doc" / "REPORT.DOC";
    const fs::path thumbnail = out / "thumb" / "PHOTO.JPG.100q85.jpg";
    const fs::path index = out / "Index.htm";
    struct Step {
        const char* what;
        std::function<void()> change;
        std::size_t made;  // copies and thumbnails made again
        std::size_t pagesWritten = 0;
    };
    const Step steps[] = {
        {"nothing", [] {}, 0},
        {"a page written behind its back", [&] { RewriteInPlace(index); }, 0, 1},
        {"a page replaced by another of the same time",
         [&] {
             const timespec modified = ModifiedOf(index);
             Write(index, "<HTML></HTML>");
             SetModified(index, modified);
         },
         0, 1},
        {"a byte of the record changed",
         [&] {
             std::string bytes = good;
             bytes[bytes.size() / 2] ^= 1;
             Write(record, bytes);
         },
         3},
        {"the record cut short", [&] { Write(record, good.substr(0, good.size() / 2)); }, 3},
        {"the record deleted", [&] { fs::remove(record); }, 3},
        {"another project's record", [&] { Write(record, foreign); }, 3},
        {"a copy written behind its back", [&] { RewriteInPlace(copy); }, 1},
        {"a thumbnail written behind its back", [&] { RewriteInPlace(thumbnail); }, 1},
        {"a source written in place", [&] { RewriteInPlace(report); }, 1},
        {"a picture of another size written in place with its old time",
         [&] {
             const timespec modified = ModifiedOf(photo);
             Picture(300, 400, 64).jpegsave((dir / "other.jpg").c_str());
             std::ofstream(photo, std::ios::binary | std::ios::trunc) << Read(dir / "other.jpg");
             SetModified(photo, modified);
         },
         2, 1},
        {"a copy replaced by a link",
         [&] {
             fs::remove(copy);
             fs::create_symlink(report, copy);
         },
         1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        const ExportResult result = Export();
        ASSERT_TRUE(result.AllWritten()) << result.message;
        EXPECT_EQ(result.filesCopied + result.thumbnailsMade, step.made) << result.message;
        EXPECT_EQ(result.filesUpToDate + result.thumbnailsUpToDate, 3 - step.made);
        EXPECT_EQ(result.pagesWritten, step.pagesWritten);
        EXPECT_TRUE(fs::is_regular_file(record)) << "the record is never deleted as foreign";
        ExpectSameAsFresh();
    }
    // The check never lists it.
    for (const ExportProblem& problem : BuildExportPlan(Parameters(out)).problems)
        EXPECT_EQ(problem.path.find(kExportCacheName), std::string::npos) << problem.path;
}

TEST_F(CacheTest, AFolderAsTheLastRunLeftItIsDoneWithoutAPlanAnythingElseIsPlanned) {
    const fs::path report = Write("src/report.doc", "report");
    const fs::path photo = dir / "src" / "photo.jpg";
    Picture(400, 300, 0).jpegsave(photo.c_str());
    const CItemKey item = Link(report);
    Link(photo);
    const ExportResult first = Export();
    ASSERT_TRUE(first.AllWritten()) << first.message;
    EXPECT_FALSE(first.unchanged);
    // What the window asks before it exports into a folder that holds files.
    const auto unchanged = [&] {
        return IsUnchangedExport(Parameters(out), CheckExportFolder(Parameters(out)));
    };
    EXPECT_TRUE(unchanged());
    const ExportResult again = Export();
    EXPECT_TRUE(again.unchanged) << again.message;
    EXPECT_EQ(again.pagesWritten + again.filesCopied + again.thumbnailsMade, 0u);
    EXPECT_EQ(again.pagesUpToDate, first.pagesWritten);
    EXPECT_EQ(again.filesUpToDate, first.filesCopied);
    EXPECT_EQ(again.thumbnailsUpToDate, first.thumbnailsMade);
    EXPECT_NE(again.message.find("0 failures; "), std::string::npos) << again.message;

    const fs::path record = out / std::string(kExportCacheName);
    const fs::path copy = out / "doc" / "REPORT.DOC";
    struct Step {
        const char* what;
        std::function<void()> change;
        bool failing = false;  // the export then fails, and no later run may skip planning
    };
    const Step steps[] = {
        {"a caption edited", [&] { tree.SetText(item, CSiteField::Caption, "Report 2"); }},
        {"a setting edited", [&] { pictures.quality = 70; }},
        {"a source written in place", [&] { RewriteInPlace(report); }},
        {"a picture replaced by another with its old time",
         [&] {
             const timespec modified = ModifiedOf(photo);
             Picture(300, 400, 64).jpegsave((dir / "other.jpg").c_str());
             fs::rename(dir / "other.jpg", photo);
             SetModified(photo, modified);
         }},
        {"a source deleted", [&] { fs::rename(report, dir / "away.doc"); }, true},
        {"the source back", [&] { fs::rename(dir / "away.doc", report); }},
        {"a copy deleted", [&] { fs::remove(copy); }},
        {"a copy written behind its back", [&] { RewriteInPlace(copy); }},
        {"a page written behind its back", [&] { RewriteInPlace(out / "Index.htm"); }},
        {"a file added at the top", [&] { Write(out / "notes.txt", "mine"); }},
        {"a file added among the copies", [&] { Write(out / "doc" / "OLD.DOC", "old"); }},
        {"a folder added", [&] { fs::create_directory(out / "old"); }},
        {"an empty folder of copies deleted", [&] { fs::remove(out / "zip"); }},
        {"the record cut short", [&] { Write(record, Read(record).substr(0, 200)); }},
        {"a byte of the record changed",
         [&] {
             std::string bytes = Read(record);
             bytes[bytes.size() - 20] ^= 1;
             Write(record, bytes);
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        EXPECT_FALSE(unchanged());
        const ExportResult result = Export();
        EXPECT_FALSE(result.unchanged) << result.message;
        if (step.failing) {
            EXPECT_FALSE(result.failures.empty()) << result.message;
            EXPECT_FALSE(Export().unchanged);
            continue;
        }
        ASSERT_TRUE(result.AllWritten()) << result.message;
        ExpectSameAsFresh();
        EXPECT_TRUE(Export().unchanged);
    }
}

TEST_F(CacheTest, ARecordOfManyFilesIsReadPieceByPiece) {
    // Its tables take more than the reader holds at once: a name may straddle two reads.
    for (int i = 0; i < 600; ++i)
        Link(Write("src/a-file-with-a-long-name-" + std::to_string(i) + ".doc", "x"));
    ASSERT_TRUE(Export().AllWritten());
    EXPECT_GT(fs::file_size(out / std::string(kExportCacheName)), 100'000u);
    EXPECT_TRUE(Export().unchanged);
    RewriteInPlace(out / "doc" / "A-FILE-WITH-A-LONG-NAME-599.DOC");
    EXPECT_FALSE(Export().unchanged);
    ExpectSameAsFresh();
}

TEST_F(CacheTest, AFileNamedTwiceKeepsTheShortcutAndARecordedProjectIsStillCheckedForSafety) {
    const fs::path report = Write("src/report.doc", "report");
    Link(report);
    Link(Write("src/notes.txt", "notes"));
    Link(report);
    ASSERT_TRUE(Export().AllWritten());
    // The inputs are those of the record, so the check only digests the sources, each time the
    // project names one: that digest must be the plan's.
    EXPECT_TRUE(Export().unchanged);
    RewriteInPlace(report);
    const ExportResult changed = Export();
    EXPECT_FALSE(changed.unchanged);
    ASSERT_TRUE(changed.AllWritten()) << changed.message;
    ExpectSameAsFresh();
    EXPECT_TRUE(Export().unchanged);

    // A folder of linked files that becomes the export folder behind an unchanged project is
    // refused all the same, and nothing is deleted.
    Write("elsewhere/kept.doc", "kept");
    fs::create_directory_symlink(dir / "elsewhere", dir / "via");
    Link(dir / "via" / "kept.doc");
    ASSERT_TRUE(Export().AllWritten());
    fs::remove(dir / "via");
    fs::create_directory_symlink(out, dir / "via");
    const ExportResult refused = Export();
    EXPECT_EQ(refused.status, ExportStatus::Refused) << refused.message;
    EXPECT_NE(refused.message.find("a file the website links to"), std::string::npos)
        << refused.message;
    EXPECT_TRUE(fs::exists(out / "Index.htm"));
}

TEST_F(CacheTest, APlanMadeAlreadyIsCarriedOutIntoTheFolderItWasMadeForOnly) {
    const CItemKey item = Link(Write("src/report.doc", "report"));
    ASSERT_TRUE(Export().AllWritten());
    // What the window does: the plan that told what the export deletes is the one carried out.
    tree.SetText(item, CSiteField::Caption, "As planned");
    ExportParameters planned = Parameters(out);
    planned.knownPlan = std::make_shared<ExportPlan>(BuildExportPlan(planned, nullptr, false));
    ExportParameters elsewhere = Parameters(dir / "elsewhere");
    elsewhere.knownPlan = std::make_shared<ExportPlan>(BuildExportPlan(planned, nullptr, false));
    tree.SetText(item, CSiteField::Caption, "Edited since");
    ASSERT_TRUE(ExportWebsite(planned).AllWritten());
    EXPECT_NE(Read(out / "Index.htm").find("As planned"), std::string::npos);
    ASSERT_TRUE(ExportWebsite(elsewhere).AllWritten());
    EXPECT_NE(Read(dir / "elsewhere" / "Index.htm").find("Edited since"), std::string::npos);
}

TEST_F(CacheTest, AnUnchangedVideoIsNotOpenedAgainAChangedOneIs) {
    const TestVideos made = MakeTestVideos(dir / "videos");
    if (!made.made) GTEST_SKIP() << made.problem;
    const fs::path clip = dir / "videos" / "clip.mp4";
    Link(clip);
    Link(Write("videos/fake.mp4", "not a video"));
    ASSERT_TRUE(Export().AllWritten());
    const auto facts = [](const ExportPlan& plan) {
        std::vector<std::tuple<int, int, std::int64_t, std::string>> all;
        for (const LinkedFile& file : plan.linkedFiles.Files())
            all.emplace_back(file.natural.width, file.natural.height, file.durationMs,
                             file.pictureProblem);
        return all;
    };
    const ExportPlan fresh = BuildExportPlan(Parameters(dir / "elsewhere"));
    EXPECT_EQ(fresh.headersRead, 2u);
    const ExportPlan again = BuildExportPlan(Parameters(out));
    EXPECT_EQ(again.headersRead, 0u);
    EXPECT_EQ(facts(again), facts(fresh));

    fs::last_write_time(clip, fs::last_write_time(clip) + std::chrono::seconds(5));
    EXPECT_EQ(BuildExportPlan(Parameters(out)).headersRead, 1u);
}

}  // namespace
