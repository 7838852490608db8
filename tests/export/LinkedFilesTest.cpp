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

// What the types of today add, and what stays as it was without them.
TEST(ClassifyModernTest, TodaysTypesOnlyWithTheSetting) {
    struct Case {
        const char* text;
        FileCategory modern;
        FileCategory described;
    };
    const Case cases[] = {
        {"clip.mp4", CategoryVideo, CategoryOthers},
        {"a.WebM", CategoryVideo, CategoryOthers},
        {"b.mov", CategoryVideo, CategoryOthers},
        {"c.M4V", CategoryVideo, CategoryOthers},
        {"d.mkv", CategoryVideo, CategoryOthers},
        {"e.ogv", CategoryVideo, CategoryOthers},
        {"f.ogg", CategoryAudio, CategoryOthers},
        {"g.oga", CategoryAudio, CategoryOthers},
        {"h.opus", CategoryAudio, CategoryOthers},
        {"i.FLAC", CategoryAudio, CategoryOthers},
        {"j.m4a", CategoryAudio, CategoryOthers},
        {"k.aac", CategoryAudio, CategoryOthers},
        {"l.mp3", CategoryAudio, CategoryAudio},
        {"m.wav", CategoryAudio, CategoryAudio},
        {"IMG_1.HEIC", CategoryThumbnailImage, CategoryOthers},
        {"n.heif", CategoryThumbnailImage, CategoryOthers},
        {"o.avif", CategoryThumbnailImage, CategoryOthers},
        {"p.jxl", CategoryThumbnailImage, CategoryOthers},
        {"q.png", CategoryWebImage, CategoryOthers},
        {"r.webp", CategoryWebImage, CategoryOthers},
        {"s.jpg", CategoryWebImage, CategoryWebImage},
        {"t.avi", CategoryVideo, CategoryVideo},
        {"u.mp4.txt", CategoryDoc, CategoryDoc},
        {"v.mpeg4", CategoryOthers, CategoryOthers},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyFile(c.text, true), c.modern) << c.text;
        EXPECT_EQ(ClassifyFile(c.text, false), c.described) << c.text;
    }
    EXPECT_EQ(CategoryFolderName(CategoryThumbnailImage), "image");
}

// The quick way for paths that are normal already gives what taking them apart gives.
TEST(NormalPathTest, EveryPathAsItsNamesMakeIt) {
    for (const char* text :
         {"/home/ann/pics/logo.gif", "/a", "/", "//srv/x", "/a//b", "/a/./b", "/a/../b", "/a/b/",
          "/a/b/.", "/a/b/..", "/a/.hidden/..x", "/a/b.../c", "rel/x.gif", "./x", "../x", ""}) {
        const fs::path path(text);
        std::error_code error;
        const fs::path absolute = fs::absolute(path, error);
        EXPECT_EQ(NormalPath(path), (error ? path : absolute).lexically_normal().string()) << text;
    }
}

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
}

class CopyTest : public TempFolderTest {};

TEST_F(CopyTest, ItemFilesGetUpperCaseNamesAndLinksWithSlashes) {
    const fs::path photo = Write("src/photo.jpeg", exporttest::JpegBytes(10, 10));
    CLinkedFiles files;

    const ItemTarget item = files.ResolveItemUrl("file://" + photo.string());
    EXPECT_TRUE(item.localFile);
    EXPECT_EQ(item.sourcePath, photo.string());
    EXPECT_EQ(item.category, CategoryWebImage);
    EXPECT_EQ(item.link, "./image/PHOTO.JPEG");
    ASSERT_NE(files.Find(photo.string()), nullptr);
    EXPECT_EQ(files.Find(photo.string())->name, "PHOTO.JPEG");
    EXPECT_TRUE(files.Find(photo.string())->picture);

    EXPECT_EQ(files.ResolveItemUrl("FILE:///src/archive.tar.gz").link, "./zip/ARCHIVE.TAR.GZ");
    const ItemTarget dotted = files.ResolveItemUrl("File:///src/DATA.V2/NOTES");
    EXPECT_EQ(dotted.category, CategoryOthers);
    EXPECT_EQ(dotted.link, "./others/NOTES");
    // A path without a file name is linked to nothing.
    EXPECT_EQ(files.ResolveItemUrl("file:///src/folder/").link, "");
    EXPECT_EQ(files.FilesLinked(), 4u);
    // file:PATH without slashes keeps its whole path.
    EXPECT_EQ(files.ResolveItemUrl("file:" + photo.string()).link, "./image/PHOTO.JPEG");
    EXPECT_EQ(files.FilesLinked(), 4u);
}

TEST_F(CopyTest, WebAddressesAreLinkedAsTypedAndNeverCopied) {
    CLinkedFiles files;
    const ItemTarget web = files.ResolveItemUrl("http://Example.com/Page.gif");
    EXPECT_FALSE(web.localFile);
    EXPECT_EQ(web.link, "http://Example.com/Page.gif");
    EXPECT_EQ(web.category, CategoryWebImage);
    EXPECT_EQ(web.thumbnail, (PictureSize{100, 100}));
    EXPECT_EQ(files.ResolveItemUrl("mailto:Someone@Example.com").link,
              "mailto:Someone@Example.com");
    EXPECT_EQ(files.ResolveItemUrl("").link, "");
    EXPECT_EQ(files.FilesLinked(), 0u);
}

TEST_F(CopyTest, SourcesWithTheSameNameGetCopiesOfTheirOwn) {
    CLinkedFiles files;
    EXPECT_EQ(files.ResolveItemUrl("file:///a/logo.gif").link, "./image/LOGO.GIF");
    // Names that differ only in case would be one file on many systems.
    EXPECT_EQ(files.ResolveItemUrl("file:///b/LOGO.gif").link, "./image/LOGO~2.GIF");
    EXPECT_EQ(files.CopyLinkedFile("/c/logo.gif"), "./image/logo~3.gif");
    // The same source is one copy however often pages link to it.
    for (int page = 0; page < 5; ++page)
        EXPECT_EQ(files.CopyLinkedFile("/c/logo.gif"), "./image/logo~3.gif");
    EXPECT_EQ(files.FilesLinked(), 3u);
    const LinkedFile& third = *files.Find("/c/logo.gif");
    EXPECT_EQ(third.wantedName, "logo.gif");
    EXPECT_EQ(files.Files()[third.clashWith].source, "/a/logo.gif");
    EXPECT_EQ(files.Find("/a/logo.gif")->wantedName, "");

    // A file without extension gets the number at its end.
    EXPECT_EQ(files.CopyLinkedFile("/a/README"), "./others/README");
    EXPECT_EQ(files.CopyLinkedFile("/b/README"), "./others/README~2");

    // Thousands of files of one name: each clash goes on from the last number taken.
    for (int i = 0; i < 3000; ++i)
        files.ResolveItemUrl("file:///camera/" + std::to_string(i) + "/IMG_0001.JPG");
    EXPECT_EQ(files.Find("/camera/2999/IMG_0001.JPG")->name, "IMG_0001~3000.JPG");
}

TEST_F(CopyTest, NumberedCopyNamesAreShortenedToFitOnACharacterBoundary) {
    // Two names of 255 bytes, the longest a name may be, that differ only in letter case.
    std::string stem;
    for (int i = 0; i < 125; ++i) stem += "\xC3\xA9";
    const std::string first = "/a/" + stem + "x.txt";
    const std::string second = "/b/" + stem + "X.txt";
    ASSERT_EQ(fs::path(first).filename().string().size(), 255u);
    CLinkedFiles files;
    files.ResolveItemUrl("file://" + first);
    const std::string link = files.ResolveItemUrl("file://" + second).link;

    // 124 whole characters: the 125th would not leave room for "~2.TXT".
    const std::string shortened = stem.substr(0, 248) + "~2.TXT";
    EXPECT_EQ(files.Find(second)->name, shortened);
    EXPECT_EQ(files.Find(first)->name, stem + "X.TXT");
    EXPECT_EQ(link, "./doc/" + EncodeLinkName(shortened));
}

TEST(CompactTextTest, CopiesOwnTheirBytesAndEmptyReadsAsEmpty) {
    CCompactText name = std::string("LOGO.GIF.200q85.jpg");
    CCompactText copy = name;
    name = "OTHER.JPG";
    EXPECT_EQ(copy, "LOGO.GIF.200q85.jpg");
    EXPECT_EQ(copy.substr(0, copy.rfind(".200")) + "!", "LOGO.GIF!");
    CCompactText moved = std::move(copy);
    EXPECT_EQ(moved.size(), 19u);
    EXPECT_TRUE(copy.empty());  // NOLINT(bugprone-use-after-move): a moved-from text is empty
    EXPECT_EQ(copy.Str(), "");
    EXPECT_TRUE(CCompactText(std::string()).empty());
}

TEST(LinkNamesTest, EveryByteABrowserCouldMisreadIsPercentEncoded) {
    const std::pair<std::string, std::string> cases[] = {
        {"100% #1?.gif", "100%25 %231%3F.gif"},
        {"say \"hi\".doc", "say %22hi%22.doc"},
        {"a&amp;b.txt", "a%26amp;b.txt"},
        {"<b>.txt", "%3Cb%3E.txt"},
        {"caf\xC3\xA9.jpg", "caf%C3%A9.jpg"},
        {"tab\there\x7F", "tab%09here%7F"},
        {"plain-name_(1)+[x]~2.gif", "plain-name_(1)+[x]~2.gif"},
        {"Index_About us", "Index_About us"},
    };
    for (const auto& [name, link] : cases) EXPECT_EQ(EncodeLinkName(name), link) << name;
    CLinkedFiles files;
    EXPECT_EQ(files.CopyLinkedFile("/src/100% #1.gif"), "./image/100%25 %231.gif");
    EXPECT_EQ(files.Find("/src/100% #1.gif")->name, "100% #1.gif");
}

TEST_F(CopyTest, RelativeSourcesAreReadFromTheProjectFolder) {
    CLinkedFiles files(dir / "project");
    EXPECT_EQ(files.ResolveItemUrl("file://pics/a.gif").link, "./image/A.GIF");
    EXPECT_EQ(files.SourceFile("pics/a.gif"), dir / "project" / "pics" / "a.gif");
    EXPECT_EQ(files.SourceFile("/abs/a.gif"), fs::path("/abs/a.gif"));
}

// A JPEG's bytes up to its scan header.
std::string JpegCutAtScan(const std::string& jpeg) {
    return jpeg.substr(0, jpeg.find("\xFF\xDA"));
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
        // A phone's portrait photo: stored 4000 x 3000, turned by its EXIF orientation.
        {exporttest::JpegBytes(4000, 3000, 0, 6), {75, 100}},
        {exporttest::JpegBytes(4000, 3000, 0, 8, true), {75, 100}},
        {exporttest::JpegBytes(4000, 3000, 0, 3), {100, 75}},
        // Only GIF and JPEG files are shown as pictures, so only they are measured.
        {exporttest::PngBytes(200, 400), {100, 100}},
        {"P6\n99999999999999999999 7\n255\n", {100, 100}},
        // A Huffman table of 16 x 255 codes, where a JPEG has room for 256.
        {std::string("\xFF\xD8\xFF\xC4\x00\x13\x00", 7) + std::string(16, '\xFF'), {100, 100}},
        // Large photos are measured like any other picture, without decoding them.
        {exporttest::JpegBytes(3000, 2000, 6 * 1024 * 1024), {100, 66}},
        {"not a picture at all", {100, 100}},
        {exporttest::GifBytes(300, 150).substr(0, 8), {100, 100}},
        // Damaged pictures whose first bytes still give a size: their image data is missing or
        // cut short, so they cannot be read.
        {exporttest::GifBytes(300, 150).substr(0, 13), {100, 100}},
        {exporttest::GifBytes(300, 150).substr(0, 19), {100, 100}},
        {exporttest::GifBytes(300, 150).substr(0, 19) + std::string("\x21\xF9\x04\0\0\0\0", 7),
         {100, 100}},
        {exporttest::GifBytes(300, 150).substr(0, 30), {100, 100}},
        {"GIF89a garbage", {100, 100}},
        {JpegCutAtScan(exporttest::JpegBytes(640, 320)), {100, 100}},
        {JpegCutAtScan(exporttest::JpegBytes(640, 320)) + std::string(200, '\0'), {100, 100}},
        {exporttest::JpegBytes(640, 320).substr(
             0, JpegCutAtScan(exporttest::JpegBytes(640, 320)).size() + 9),
         {100, 100}},
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
