#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#include <vips/vips8>

#include "ThumbnailFile.h"

namespace fs = std::filesystem;
using vips::VImage;

namespace {

class ThumbnailFileTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(VIPS_INIT("pagelorn-tests"), 0);
        folder = fs::path(testing::TempDir()) /
                 ("pagelorn_thumbnails_" + std::to_string(::getpid()) + "_" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // A picture with some structure, so that encoders have something to keep.
    static VImage Picture(int width, int height, int bands) {
        VImage image = VImage::xyz(width, height).extract_band(0) % 256;
        while (image.bands() < bands) image = image.bandjoin(255 - image.extract_band(0));
        return image.cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set(
                "interpretation", bands >= 3 ? VIPS_INTERPRETATION_sRGB : VIPS_INTERPRETATION_B_W));
    }
    static std::size_t Entries(const fs::path& dir) {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
    }

    fs::path folder;
};

TEST_F(ThumbnailFileTest, UprightFittedAndStrippedInTheAskedFormat) {
    // A 400 x 300 photo whose camera was held upright: EXIF orientation 6 turns it to 300 x 400.
    VImage turned = Picture(400, 300, 3).copy();
    turned.set("orientation", 6);
    turned.jpegsave((folder / "turned.jpg").c_str());
    Picture(300, 300, 4).pngsave((folder / "clear.png").c_str());
    Picture(50, 40, 3).jpegsave((folder / "small.jpg").c_str());
    Picture(120, 80, 4)
        .gifsave((folder / "frames.gif").c_str(), VImage::option()->set("page_height", 40));

    struct Case {
        const char* name;
        PictureHeader header;
        ThumbnailFormat format;
        int width;
        int height;
    };
    const Case cases[] = {
        {"turned.jpg", {300, 400, 6, false}, ThumbnailFormat::Jpeg, 150, 200},
        {"clear.png", {300, 300, 1, true}, ThumbnailFormat::Png, 200, 200},
        {"small.jpg", {50, 40, 1, false}, ThumbnailFormat::Jpeg, 50, 40},   // never enlarged
        {"frames.gif", {120, 40, 1, true}, ThumbnailFormat::Png, 120, 40},  // first frame
    };
    for (const Case& c : cases) {
        const std::optional<PictureHeader> header = ReadPictureHeader(folder / c.name);
        ASSERT_TRUE(header) << c.name;
        EXPECT_EQ(header->width, c.header.width) << c.name;
        EXPECT_EQ(header->height, c.header.height) << c.name;
        EXPECT_EQ(header->orientation, c.header.orientation) << c.name;
        EXPECT_EQ(header->hasAlpha, c.header.hasAlpha) << c.name;

        const fs::path target = folder / "thumb" / c.name;
        fs::create_directories(target.parent_path());
        const ThumbnailOutcome outcome =
            MakeThumbnailFile(folder / c.name, target, 200, c.format, 80);
        ASSERT_TRUE(outcome.ok) << c.name << ": " << outcome.reason;
        const VImage written = VImage::new_from_file(target.c_str());
        EXPECT_EQ(written.width(), c.width) << c.name;
        EXPECT_EQ(written.height(), c.height) << c.name;
        EXPECT_EQ(outcome.width, c.width);
        EXPECT_EQ(written.get_typeof("exif-data"), 0) << c.name << " keeps its metadata";
        EXPECT_EQ(std::string(written.get_string("vips-loader")),
                  c.format == ThumbnailFormat::Jpeg ? "jpegload" : "pngload");
    }
}

TEST_F(ThumbnailFileTest, DamagedAndForeignFilesFailWithoutLeavingFiles) {
    // A JPEG cut off half-way, and a document that only pretends to be a picture.
    Picture(800, 600, 3).jpegsave((folder / "whole.jpg").c_str());
    std::ifstream whole(folder / "whole.jpg", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
    std::ofstream(folder / "cut.jpg", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    std::ofstream(folder / "paper.jpg", std::ios::binary) << "%PDF-1.4\n1 0 obj\n<<>>\nendobj\n";

    // A FIFO named like a picture must never be waited on.
    ASSERT_EQ(::mkfifo((folder / "pipe.jpg").c_str(), 0600), 0);

    EXPECT_FALSE(ReadPictureHeader(folder / "paper.jpg"));
    EXPECT_FALSE(ReadPictureHeader(folder / "missing.jpg"));
    EXPECT_FALSE(ReadPictureHeader(folder / "pipe.jpg"));
    const fs::path out = folder / "out";
    fs::create_directories(out);
    for (const char* name : {"cut.jpg", "paper.jpg", "missing.jpg", "pipe.jpg"}) {
        const ThumbnailOutcome outcome =
            MakeThumbnailFile(folder / name, out / name, 200, ThumbnailFormat::Jpeg, 80);
        EXPECT_FALSE(outcome.ok) << name;
        EXPECT_FALSE(outcome.reason.empty()) << name;
    }
    EXPECT_EQ(Entries(out), 0u);
}

// Thumbnails are made on several threads at once; the pictures shrunk with a reduction libvips
// compiles (a JPEG and a GIF just above the box, a frame of a video) come out whole and the same
// as when made one at a time, however their pipelines are built and let go of side by side.
TEST_F(ThumbnailFileTest, ManyAtOnceOnThreadsAreWhatOneAtATimeMakes) {
    Picture(640, 480, 3).jpegsave((folder / "photo.jpg").c_str());
    Picture(128, 96, 3).gifsave((folder / "still.gif").c_str());
    const RgbPicture frame{90, 160, std::vector<unsigned char>(90 * 160 * 3, 0x50)};
    const auto read = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::error_code error;
    const CFolderHandle out = CFolderHandle::Open(folder, error);
    ASSERT_TRUE(out.IsOpen()) << error.message();
    // Round r of thread t writes "t-r-N.jpg"; round 0 of thread 0 is the one to compare with.
    const auto make = [&](int thread, int round) {
        const std::string prefix = std::to_string(thread) + "-" + std::to_string(round) + "-";
        int made = 0;
        for (const char* name : {"photo.jpg", "still.gif"})
            made += MakeThumbnailFile(folder / name, folder / (prefix + name), 100,
                                      ThumbnailFormat::Jpeg, 85)
                        .ok;
        made +=
            MakeThumbnailFile(frame, 1, out, prefix + "frame.jpg", folder / "frame", 100, 85, 0).ok;
        return made;
    };
    ASSERT_EQ(make(0, 0), 3);
    std::vector<int> made(4, 0);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (int round = 1; round <= 6; ++round) made[t] += make(t, round);
            });
    }
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(made[t], 18) << "thread " << t;
        for (const char* name : {"photo.jpg", "still.gif", "frame.jpg"})
            EXPECT_EQ(read(folder / (std::to_string(t) + "-6-" + name)),
                      read(folder / (std::string("0-0-") + name)))
                << name << " of thread " << t;
    }
}

}  // namespace
