// An export of a folder of real pictures with the website's settings of pictures: thumbnail
// files, their names and kinds, the pages that show them, re-exports, and PNG and WebP.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vips/vips8>

#include "ExportPlan.h"
#include "ExportTestSupport.h"
#include "ThumbnailFile.h"
#include "WebsiteExporter.h"

namespace {

using exporttest::TempFolderTest;
using vips::VImage;
namespace fs = std::filesystem;

// A picture with some structure, so that encoders have something to keep.
VImage Picture(int width, int height, int bands) {
    VImage image = VImage::xyz(width, height).extract_band(0) % 256;
    while (image.bands() < bands) image = image.bandjoin(255 - image.extract_band(0));
    return image.cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

class PictureExportTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        ASSERT_EQ(VIPS_INIT("pagelorn-tests"), 0);
        out = dir / "web";
        pictures = {
            .thumbnails = true, .box = 100, .density = 2, .quality = 85, .modernTypes = true};
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
                .full = false,
                .threads = 0,
                .pictures = pictures};
    }

    std::vector<std::string> Names(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    CSiteTree tree;
    CPageOption page;
    CLayoutOption layout;
    CPictureSettings pictures;
    fs::path out;
};

TEST_F(PictureExportTest, ThumbnailFilesFollowTheSettingsAndTheirSources) {
    const fs::path src = dir / "pictures";
    fs::create_directories(src);
    Picture(400, 300, 3).jpegsave((src / "plain.jpg").c_str());
    VImage turned = Picture(400, 300, 3).copy();
    turned.set("orientation", 6);
    turned.jpegsave((src / "turned.jpg").c_str());
    Picture(300, 300, 4).pngsave((src / "clear.png").c_str());
    Picture(300, 400, 4)
        .gifsave((src / "frames.gif").c_str(), VImage::option()->set("page_height", 200));
    Picture(500, 250, 3).webpsave((src / "photo.webp").c_str());
    Picture(4000, 3000, 3).jpegsave((src / "big.jpg").c_str());
    Picture(50, 40, 3).pngsave((src / "small.png").c_str());
    const std::string whole = Read(src / "plain.jpg");
    Write("pictures/broken.jpg", whole.substr(0, whole.size() / 2));
    Write("pictures/fake.gif", "not a picture");
    for (const char* name : {"plain.jpg", "turned.jpg", "clear.png", "frames.gif", "photo.webp",
                             "big.jpg", "small.png", "broken.jpg", "fake.gif"})
        tree.AddItem(tree.RootKey(), name, "file://" + (src / name).string());
    tree.AddItem(tree.RootKey(), "sky", "https://example.org/sky.gif");

    // The check reads headers only: a file that holds no picture is a note there.
    const ExportPlan plan = BuildExportPlan(Parameters());
    ASSERT_EQ(plan.problems.size(), 1u);
    EXPECT_EQ(plan.problems[0].kind, ProblemKind::UnreadablePicture);
    EXPECT_EQ(plan.problems[0].severity, ProblemSeverity::Note);
    EXPECT_EQ(plan.problems[0].path, (src / "fake.gif").string());

    ExportResult result = ExportWebsite(Parameters());
    ASSERT_EQ(result.status, ExportStatus::Completed) << result.message;
    EXPECT_EQ(result.thumbnailsMade, 6u);
    // Both pictures that cannot be decoded are listed, and their pages show the file itself.
    ASSERT_EQ(result.failures.size(), 2u) << result.message;
    EXPECT_EQ(result.failures[0].path, (src / "broken.jpg").string());
    EXPECT_EQ(result.failures[1].path, (src / "fake.gif").string());
    EXPECT_NE(result.message.find("6 thumbnails made"), std::string::npos) << result.message;

    struct Expected {
        const char* copy;
        const char* thumbnail;  // "" when the page shows the copy itself
        int width;              // of the thumbnail file
        int height;
        const char* end;  // of the <IMG>: its size attributes, none for the natural size
    };
    const Expected expected[] = {
        {"PLAIN.JPG", "PLAIN.JPG.200q85.jpg", 200, 150, "\" width = 100 height = 75>"},
        {"TURNED.JPG", "TURNED.JPG.200q85.jpg", 150, 200, "\" width = 75 height = 100>"},
        {"CLEAR.PNG", "CLEAR.PNG.200.png", 200, 200, "\" width = 100 height = 100>"},
        {"FRAMES.GIF", "FRAMES.GIF.200.png", 200, 133, "\" width = 100 height = 66>"},
        {"PHOTO.WEBP", "PHOTO.WEBP.200q85.jpg", 200, 100, "\" width = 100 height = 50>"},
        {"BIG.JPG", "BIG.JPG.200q85.jpg", 200, 150, "\" width = 100 height = 75>"},
        {"SMALL.PNG", "", 0, 0, "\">\r\n"},
        {"BROKEN.JPG", "", 0, 0, "\" width = 100 height = 75>"},
        {"FAKE.GIF", "", 0, 0, "\" width = 100 height = 100>"},
    };
    const std::string index = Read(out / "Index.htm");
    std::vector<std::string> thumbnails;
    for (const Expected& e : expected) {
        const std::string copy = std::string("./image/") + e.copy;
        const std::string shown =
            *e.thumbnail != '\0' ? std::string("./thumb/") + e.thumbnail : copy;
        const std::string link = "<A href=\"" + copy + "\"><IMG src = \"" + shown + e.end;
        EXPECT_NE(index.find(link), std::string::npos) << link << "\n" << index;
        EXPECT_TRUE(fs::exists(out / "image" / e.copy)) << e.copy;
        if (*e.thumbnail == '\0') continue;
        thumbnails.push_back(e.thumbnail);
        const VImage made = VImage::new_from_file((out / "thumb" / e.thumbnail).c_str());
        EXPECT_EQ(made.width(), e.width) << e.thumbnail;
        EXPECT_EQ(made.height(), e.height) << e.thumbnail;
        EXPECT_EQ(made.get_typeof("exif-data"), 0) << e.thumbnail << " keeps its metadata";
    }
    std::sort(thumbnails.begin(), thumbnails.end());
    EXPECT_EQ(Names(out / "thumb"), thumbnails);

    // Nothing changed: no thumbnail is made again. A changed source is.
    Picture(300, 400, 3).jpegsave((src / "plain.jpg").c_str());
    result = ExportWebsite(Parameters());
    EXPECT_EQ(result.thumbnailsMade, 1u) << result.message;
    EXPECT_EQ(result.thumbnailsUpToDate, 5u);
    EXPECT_EQ(VImage::new_from_file((out / "thumb" / "PLAIN.JPG.200q85.jpg").c_str()).width(), 150);
    result = ExportWebsite(Parameters());
    EXPECT_EQ(result.thumbnailsMade, 0u);
    EXPECT_EQ(result.pagesWritten, 0u);

    // A changed setting makes new files under new names; the old ones go.
    pictures.quality = 60;
    pictures.box = 50;
    result = ExportWebsite(Parameters());
    EXPECT_EQ(result.thumbnailsMade, 6u) << result.message;
    for (const std::string& name : Names(out / "thumb"))
        EXPECT_TRUE(name.ends_with(".100q60.jpg") || name.ends_with(".100.png")) << name;
    const std::string smaller = Read(out / "Index.htm");
    EXPECT_NE(smaller.find("./thumb/BIG.JPG.100q60.jpg\" width = 50 height = 37>"),
              std::string::npos);
    // A picture on the web cannot be measured: it fills the box (on the second page, as the
    // canvas holds nine).
    EXPECT_NE(Read(out / "Index1.htm")
                  .find("<IMG src = \"https://example.org/sky.gif\" width = 50 height = 50>"),
              std::string::npos);

    // Without PNG and WebP as pictures they are linked by caption from others; without
    // thumbnails the folder thumb goes, and the pages show the pictures themselves.
    pictures.thumbnails = false;
    pictures.modernTypes = false;
    result = ExportWebsite(Parameters());
    EXPECT_TRUE(result.failures.empty()) << result.failures[0].reason;
    EXPECT_FALSE(fs::exists(out / "thumb"));
    const std::string plain = Read(out / "Index.htm");
    EXPECT_NE(plain.find("<A href=\"./others/CLEAR.PNG\">\r\nclear.png</A>"), std::string::npos);
    EXPECT_NE(plain.find("<A href=\"./others/PHOTO.WEBP\">\r\nphoto.webp</A>"), std::string::npos);
    EXPECT_NE(plain.find("<IMG src = \"./image/BIG.JPG\" width = 50 height = 37>"),
              std::string::npos);
    EXPECT_EQ(Names(out / "image"),
              (std::vector<std::string>{"BIG.JPG", "BROKEN.JPG", "FAKE.GIF", "FRAMES.GIF",
                                        "PLAIN.JPG", "TURNED.JPG"}));
}

// Browsers cannot show HEIC, AVIF or JPEG XL: their pages show a JPEG thumbnail, also of a
// picture smaller than the box, and link to the original; without a thumbnail, a link by caption.
TEST_F(PictureExportTest, CameraPicturesAreShownThroughTheirThumbnails) {
    const fs::path src = dir / "camera";
    fs::create_directories(src);
    Picture(400, 300, 3).jpegsave((src / "shot.jpg").c_str());
    Picture(60, 40, 3).jpegsave((src / "tiny.jpg").c_str());
    const std::string encode = "heif-enc -q 80 -o '" + (src / "shot.heic").string() + "' '" +
                               (src / "shot.jpg").string() + "' >/dev/null 2>&1 && heif-enc -o '" +
                               (src / "tiny.heic").string() + "' '" + (src / "tiny.jpg").string() +
                               "' >/dev/null 2>&1";
    if (std::system(encode.c_str()) != 0)
        GTEST_SKIP() << "heif-enc (libheif-examples) cannot make a HEIC here";
    // The export blocks libvips's untrusted operations, its JPEG XL writer among them.
    vips_operation_block_set("VipsForeignSaveJxl", FALSE);
    Picture(300, 400, 4).jxlsave((src / "clear.jxl").c_str());
    Write("camera/broken.heic", Read(src / "shot.heic").substr(0, 200));
    for (const char* name : {"shot.heic", "tiny.heic", "clear.jxl", "broken.heic"})
        tree.AddItem(tree.RootKey(), name, "file://" + (src / name).string());

    ExportResult result = ExportWebsite(Parameters());
    ASSERT_EQ(result.status, ExportStatus::Completed) << result.message;
    EXPECT_EQ(result.thumbnailsMade, 3u) << result.message;
    const std::string index = Read(out / "Index.htm");
    for (const char* shown :
         {"<A href=\"./image/SHOT.HEIC\"><IMG src = \"./thumb/SHOT.HEIC.200q85.jpg\" width = "
          "100 height = 75>",
          "<A href=\"./image/TINY.HEIC\"><IMG src = \"./thumb/TINY.HEIC.200q85.jpg\">",
          "<A href=\"./image/CLEAR.JXL\"><IMG src = \"./thumb/CLEAR.JXL.200q85.jpg\" width = "
          "75 height = 100>",
          "<A href=\"./image/BROKEN.HEIC\">\r\nbroken.heic</A>"})
        EXPECT_NE(index.find(shown), std::string::npos) << shown << "\n" << index;
    const VImage tiny = VImage::new_from_file((out / "thumb" / "TINY.HEIC.200q85.jpg").c_str());
    EXPECT_EQ(tiny.width(), 60);
    EXPECT_EQ(Names(out / "image"),
              (std::vector<std::string>{"BROKEN.HEIC", "CLEAR.JXL", "SHOT.HEIC", "TINY.HEIC"}));

    pictures.thumbnails = false;
    result = ExportWebsite(Parameters());
    ASSERT_EQ(result.status, ExportStatus::Completed) << result.message;
    EXPECT_NE(Read(out / "Index.htm").find("<A href=\"./image/SHOT.HEIC\">\r\nshot.heic</A>"),
              std::string::npos);
    pictures.modernTypes = false;
    result = ExportWebsite(Parameters());
    EXPECT_NE(Read(out / "Index.htm").find("<A href=\"./others/SHOT.HEIC\">\r\nshot.heic</A>"),
              std::string::npos);
}

// A few bytes can declare a picture of gigabytes: such a picture is refused from its header, and
// one that is cut short fails instead of making a thumbnail of what is there.
TEST_F(PictureExportTest, PictureBombsAndCutPicturesAreFailures) {
    const fs::path src = dir / "pictures";
    fs::create_directories(src);
    // A GIF of 35 bytes that declares 30000 x 30000 pixels.
    const std::string gif = std::string("GIF89a\x30\x75\x30\x75\x80\0\0", 13) +
                            std::string("\0\0\0\xFF\xFF\xFF", 6) +
                            std::string("\x2C\0\0\0\0\x30\x75\x30\x75\0", 10) +
                            std::string("\x02\x02\x44\x01\0\x3B", 6);
    ASSERT_EQ(gif.size(), 35u);
    Write("pictures/bomb.gif", gif);
    // A small progressive JPEG whose frame header is patched to 60000 x 60000.
    Picture(64, 48, 3).jpegsave((src / "small.jpg").c_str(),
                                VImage::option()->set("interlace", true)->set("strip", true));
    std::string jpeg = Read(src / "small.jpg");
    const std::size_t frame = jpeg.find("\xFF\xC2");
    ASSERT_NE(frame, std::string::npos);
    jpeg.replace(frame + 5, 4, "\xEA\x60\xEA\x60");
    Write("pictures/patched.jpg", jpeg);
    // A progressive photo cut short, and one larger than this website allows.
    Picture(800, 600, 3)
        .jpegsave((src / "whole.jpg").c_str(), VImage::option()->set("interlace", true));
    const std::string whole = Read(src / "whole.jpg");
    Write("pictures/cut.jpg", whole.substr(0, whole.size() * 2 / 3));
    Picture(1200, 1000, 3).jpegsave((src / "large.jpg").c_str());
    pictures.maxMegapixels = 1;
    for (const char* name : {"bomb.gif", "patched.jpg", "cut.jpg", "large.jpg", "whole.jpg"})
        tree.AddItem(tree.RootKey(), name, "file://" + (src / name).string());

    const ExportResult result = ExportWebsite(Parameters());
    ASSERT_EQ(result.status, ExportStatus::Completed) << result.message;
    EXPECT_EQ(result.thumbnailsMade, 1u) << result.message;
    const std::pair<const char*, const char*> expected[] = {
        {"bomb.gif", "too large to make a thumbnail (30000 x 30000)"},
        {"patched.jpg", "too large to make a thumbnail (60000 x 60000)"},
        {"cut.jpg", ""},
        {"large.jpg", "too large to make a thumbnail (1200 x 1000)"},
    };
    ASSERT_EQ(result.failures.size(), std::size(expected)) << result.message;
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(result.failures[i].path, (src / expected[i].first).string());
        EXPECT_NE(result.failures[i].reason.find(expected[i].second), std::string::npos)
            << result.failures[i].reason;
    }

    // Making the thumbnail looks at the size again, whatever the plan found.
    const ThumbnailOutcome outcome =
        MakeThumbnailFile(src / "bomb.gif", dir / "bomb.png", 200, ThumbnailFormat::Png, 85);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.reason, "too large to make a thumbnail (30000 x 30000)");
    EXPECT_FALSE(ReadPicturePixels(src / "patched.jpg", 100));
}

}  // namespace
