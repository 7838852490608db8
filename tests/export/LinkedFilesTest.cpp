#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "LinkedFiles.h"
#include "Thumbnail.h"

namespace {

using exporttest::TempFolderTest;
namespace fs = std::filesystem;

struct ClassifyCase {
    const char* text;
    FileCategory category;

    friend void PrintTo(const ClassifyCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class ClassifyFileTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyFileTest, ByLastExtensionWithoutRegardToCase) {
    EXPECT_EQ(ClassifyFile(GetParam().text), GetParam().category) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClassifyFileTest,
    ::testing::Values(
        ClassifyCase{"photo.jpeg", CategoryWebImage}, ClassifyCase{"LOGO.GIF", CategoryWebImage},
        ClassifyCase{"a.Jpg", CategoryWebImage}, ClassifyCase{"scan.tiff", CategoryImage},
        ClassifyCase{"x.emf", CategoryImage}, ClassifyCase{"notes.txt", CategoryDoc},
        ClassifyCase{"page.HTML", CategoryDoc}, ClassifyCase{"mail.eml", CategoryDoc},
        ClassifyCase{"song.mp3", CategoryAudio}, ClassifyCase{"s.aifc", CategoryAudio},
        ClassifyCase{"clip.mpeg", CategoryVideo}, ClassifyCase{"v.dat", CategoryVideo},
        ClassifyCase{"archive.tar.gz", CategoryZip}, ClassifyCase{"a.cab", CategoryZip},
        ClassifyCase{"zip", CategoryZip}, ClassifyCase{"README", CategoryOthers},
        ClassifyCase{"picture.png", CategoryOthers},
        ClassifyCase{"C:\\DATA.V2\\NOTES", CategoryOthers},
        ClassifyCase{"/home/u/DATA.V2/NOTES.txt", CategoryDoc},
        ClassifyCase{"trailing.", CategoryOthers}, ClassifyCase{"", CategoryOthers}));

TEST(LinkedFileNamesTest, FileNamesAndFolders) {
    EXPECT_EQ(FileNameOfPath("C:\\Pics\\logo.gif"), "logo.gif");
    EXPECT_EQ(FileNameOfPath("/home/u/pics/logo.gif"), "logo.gif");
    EXPECT_EQ(FileNameOfPath("C:\\mixed/dir\\x.doc"), "x.doc");
    EXPECT_EQ(FileNameOfPath("plain"), "plain");
    EXPECT_EQ(CategoryFolderName(CategoryWebImage), "image");
    EXPECT_EQ(CategoryFolderName(CategoryImage), "image");
    EXPECT_EQ(CategoryFolderName(CategoryZip), "zip");
    EXPECT_EQ(CategoryFolderName(CategoryOthers), "others");
    EXPECT_EQ(AsciiUpper("straße.gif"), "STRAßE.GIF");
    EXPECT_EQ(EncodeLinkName("100% #1?.gif"), "100%25 %231%3F.gif");
}

class CopyTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        out = dir / "out";
        for (std::string_view name : kCategoryFolderNames) fs::create_directories(out / name);
    }
    fs::path out;
};

TEST_F(CopyTest, ItemFilesAreCopiedUnderUpperCaseNamesAndLinkedWithSlashes) {
    const fs::path photo = Write("src/photo.jpeg", exporttest::JpegBytes(10, 10));
    const fs::path archive = Write("src/archive.tar.gz", "gz");
    const fs::path notes = Write("src/DATA.V2/NOTES", "notes");
    CLinkedFiles files(out, true);

    const ItemTarget item = files.ResolveItemUrl("file://" + photo.string());
    EXPECT_TRUE(item.localFile);
    EXPECT_EQ(item.sourcePath, photo.string());
    EXPECT_EQ(item.category, CategoryWebImage);
    EXPECT_EQ(item.link, "./image/PHOTO.JPEG");
    EXPECT_EQ(Read(out / "image" / "PHOTO.JPEG"), Read(photo));

    EXPECT_EQ(files.ResolveItemUrl("FILE://" + archive.string()).link, "./zip/ARCHIVE.TAR.GZ");
    const ItemTarget dotted = files.ResolveItemUrl("File://" + notes.string());
    EXPECT_EQ(dotted.category, CategoryOthers);
    EXPECT_EQ(dotted.link, "./others/NOTES");
    EXPECT_TRUE(fs::exists(out / "others" / "NOTES"));
    EXPECT_EQ(files.FilesCopied(), 3u);
    EXPECT_TRUE(files.Failures().empty());
}

TEST_F(CopyTest, WebAddressesAreLinkedAsTypedAndNeverCopied) {
    CLinkedFiles files(out, true);
    const ItemTarget web = files.ResolveItemUrl("http://Example.com/Page.gif");
    EXPECT_FALSE(web.localFile);
    EXPECT_EQ(web.link, "http://Example.com/Page.gif");
    EXPECT_EQ(web.category, CategoryWebImage);
    EXPECT_EQ(files.ResolveItemUrl("mailto:Someone@Example.com").link,
              "mailto:Someone@Example.com");
    EXPECT_EQ(files.ResolveItemUrl("").link, "");
    EXPECT_EQ(files.FilesCopied(), 0u);
    EXPECT_TRUE(files.Failures().empty());
}

TEST_F(CopyTest, FileUrlWithoutSlashesKeepsItsWholePath) {
    const fs::path doc = Write("src/report.doc", "doc");
    CLinkedFiles files(out, true);
    const ItemTarget item = files.ResolveItemUrl("file:" + doc.string());
    EXPECT_EQ(item.sourcePath, doc.string());
    EXPECT_EQ(item.link, "./doc/REPORT.DOC");
    EXPECT_TRUE(files.Failures().empty());
}

TEST_F(CopyTest, SourcesWithTheSameNameGetCopiesOfTheirOwn) {
    const fs::path first = Write("a/logo.gif", "first");
    const fs::path second = Write("b/LOGO.gif", "second");
    const fs::path third = Write("c/logo.gif", "third");
    CLinkedFiles files(out, true);
    EXPECT_EQ(files.ResolveItemUrl("file://" + first.string()).link, "./image/LOGO.GIF");
    // Names that differ only in case would be one file on many systems.
    EXPECT_EQ(files.ResolveItemUrl("file://" + second.string()).link, "./image/LOGO~2.GIF");
    EXPECT_EQ(files.CopyLinkedFile(third.string()), "./image/logo~3.gif");
    EXPECT_EQ(Read(out / "image" / "LOGO.GIF"), "first");
    EXPECT_EQ(Read(out / "image" / "LOGO~2.GIF"), "second");
    EXPECT_EQ(Read(out / "image" / "logo~3.gif"), "third");

    // A file without extension gets the number at its end.
    const fs::path plainA = Write("a/README", "a");
    const fs::path plainB = Write("b/README", "b");
    EXPECT_EQ(files.CopyLinkedFile(plainA.string()), "./others/README");
    EXPECT_EQ(files.CopyLinkedFile(plainB.string()), "./others/README~2");
}

TEST_F(CopyTest, NumberedCopyNamesAreShortenedToFitOnACharacterBoundary) {
    // Two names of 255 bytes, the longest a name may be, that differ only in letter case.
    std::string stem;
    for (int i = 0; i < 125; ++i) stem += "\xC3\xA9";
    const fs::path first = Write("a/" + stem + "x.txt", "first");
    const fs::path second = Write("b/" + stem + "X.txt", "second");
    ASSERT_EQ(first.filename().string().size(), 255u);
    CLinkedFiles files(out, true);
    files.ResolveItemUrl("file://" + first.string());
    const std::string link = files.ResolveItemUrl("file://" + second.string()).link;
    EXPECT_TRUE(files.Failures().empty()) << files.Failures().front().reason;
    EXPECT_EQ(files.FilesCopied(), 2u);

    // 124 whole characters: the 125th would not leave room for "~2.TXT".
    const std::string shortened = stem.substr(0, 248) + "~2.TXT";
    EXPECT_EQ(link, "./doc/" + shortened);
    EXPECT_EQ(Read(out / "doc" / shortened), "second");
    EXPECT_EQ(Read(out / "doc" / (stem + "X.TXT")), "first");
}

TEST_F(CopyTest, TheSameSourceIsCopiedOncePerExport) {
    const fs::path back = Write("src/back.gif", "bg");
    CLinkedFiles files(out, true);
    int reports = 0;
    files.SetCopiedCallback([&] {
        ++reports;
        return true;
    });
    const std::string link = files.ResolveItemUrl("file://" + back.string()).link;
    for (int page = 0; page < 5; ++page) EXPECT_EQ(files.CopyLinkedFile(back.string()), link);
    EXPECT_EQ(files.FilesCopied(), 1u);
    EXPECT_EQ(files.FilesLinked(), 1u);
    EXPECT_EQ(reports, 1);
}

TEST_F(CopyTest, ManualCopyingMakesTheSameLinksAndCopiesNothing) {
    const fs::path a = Write("a/logo.gif", "a");
    const fs::path b = Write("b/logo.gif", "b");
    CLinkedFiles automatic(out, true);
    const std::string autoA = automatic.ResolveItemUrl("file://" + a.string()).link;
    const std::string autoB = automatic.ResolveItemUrl("file://" + b.string()).link;
    for (std::string_view name : kCategoryFolderNames) {
        fs::remove_all(out / name);
        fs::create_directories(out / name);
    }

    CLinkedFiles manual(out, false);
    EXPECT_EQ(manual.ResolveItemUrl("file://" + a.string()).link, autoA);
    EXPECT_EQ(manual.ResolveItemUrl("file://" + b.string()).link, autoB);
    EXPECT_EQ(manual.ResolveItemUrl("file:///nowhere/missing.doc").link, "./doc/MISSING.DOC");
    EXPECT_EQ(manual.FilesCopied(), 0u);
    EXPECT_TRUE(manual.Failures().empty());
    EXPECT_TRUE(fs::is_empty(out / "image"));
    EXPECT_TRUE(fs::is_empty(out / "doc"));
}

TEST_F(CopyTest, MissingAndUnnamedSourcesAreReported) {
    CLinkedFiles files(out, true);
    const std::string missing = (dir / "gone" / "report.doc").string();
    EXPECT_EQ(files.ResolveItemUrl("file://" + missing).link, "./doc/REPORT.DOC");
    EXPECT_EQ(files.CopyLinkedFile((dir / "gone" / "").string()), "");
    fs::create_directories(dir / "folder.doc");
    files.CopyLinkedFile((dir / "folder.doc").string());

    ASSERT_EQ(files.Failures().size(), 3u);
    EXPECT_EQ(files.Failures()[0].path, missing);
    EXPECT_EQ(files.Failures()[0].reason, "the file does not exist");
    EXPECT_EQ(files.Failures()[2].reason, "not a regular file but a folder");
    EXPECT_EQ(files.FilesCopied(), 0u);
    // A failed source is reported once, however many pages link to it.
    files.ResolveItemUrl("file://" + missing);
    EXPECT_EQ(files.Failures().size(), 3u);
}

TEST_F(CopyTest, PercentAndHashAreEscapedInLinksOnly) {
    const fs::path odd = Write("src/100% #1.gif", "odd");
    CLinkedFiles files(out, true);
    EXPECT_EQ(files.ResolveItemUrl("file://" + odd.string()).link, "./image/100%25 %231.GIF");
    EXPECT_EQ(Read(out / "image" / "100% #1.GIF"), "odd");
}

TEST_F(CopyTest, RelativeSourcesAreReadFromTheProjectFolder) {
    Write("project/pics/a.gif", "a");
    CLinkedFiles files(out, true, dir / "project");
    EXPECT_EQ(files.ResolveItemUrl("file://pics/a.gif").link, "./image/A.GIF");
    EXPECT_EQ(Read(out / "image" / "A.GIF"), "a");
}

TEST_F(CopyTest, ThumbnailsComeFromThePictureHeader) {
    struct Case {
        std::string bytes;
        PictureSize thumbnail;
    };
    const Case cases[] = {
        {exporttest::GifBytes(300, 150), {100, 50}},
        {exporttest::GifBytes(150, 300), {50, 100}},
        {exporttest::GifBytes(101, 101), {100, 100}},
        {exporttest::GifBytes(3000, 10), {100, 1}},
        {exporttest::GifBytes(50, 40), {0, 0}},
        {exporttest::GifBytes(100, 100), {0, 0}},
        {exporttest::JpegBytes(640, 480), {100, 75}},
        // Only GIF and JPEG files are shown as pictures, so only they are measured.
        {exporttest::PngBytes(200, 400), {100, 100}},
        {"P6\n99999999999999999999 7\n255\n", {100, 100}},
        // A Huffman table of 16 x 255 codes, where a JPEG has room for 256.
        {std::string("\xFF\xD8\xFF\xC4\x00\x13\x00", 7) + std::string(16, '\xFF'), {100, 100}},
        // Large photos are measured like any other picture, without decoding them.
        {exporttest::JpegBytes(3000, 2000, 6 * 1024 * 1024), {100, 66}},
        {"not a picture at all", {100, 100}},
        {exporttest::GifBytes(300, 150).substr(0, 8), {100, 100}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path path = Write("pictures/" + std::to_string(n++), c.bytes);
        EXPECT_EQ(GetThumbnailSize(path), c.thumbnail) << path;
    }
    EXPECT_EQ(GetThumbnailSize(dir / "missing.gif"), (PictureSize{100, 100}));
    EXPECT_EQ(ReadPictureSize(Write("p.jpg", exporttest::JpegBytes(3000, 2000, 6 << 20))),
              (PictureSize{3000, 2000}));
}

}  // namespace
