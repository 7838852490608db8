#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vips/vips8>

#include "ExportTestSupport.h"
#include "ImportFacts.h"
#include "Thumbnail.h"
#include "VideoPoster.h"
#include "VideoTestFiles.h"

namespace fs = std::filesystem;
using vips::VImage;

namespace {

class VideoPosterTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = fs::path(testing::TempDir()) / ("pagelorn_posters_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        videos = MakeTestVideos(folder);
    }
    static void TearDownTestSuite() { fs::remove_all(folder); }
    void SetUp() override {
        ASSERT_EQ(VIPS_INIT("pagelorn-tests"), 0);
        if (!videos.made) GTEST_SKIP() << videos.problem;
    }

    static inline fs::path folder;
    static inline TestVideos videos;
};

TEST_F(VideoPosterTest, FactsComeFromTheContainer) {
    struct Case {
        const char* name;
        int width;
        int height;
        int quarterTurns;
        std::int64_t durationMs;
        const char* created;
    };
    const Case cases[] = {
        {"clip.mp4", 320, 180, 0, 3000, "2026:07:14 09:30:00"},
        {"clip.webm", 320, 180, 0, 3000, nullptr},
        {"turned.mp4", 180, 320, 1, 4000, nullptr},  // a phone held upright
        {"wide.mp4", 320, 180, 0, 1000, nullptr},    // 160 x 180 pixels twice as wide as high
    };
    for (const Case& c : cases) {
        const VideoProbe probe = ReadVideoFacts(folder / c.name);
        ASSERT_TRUE(probe.facts) << c.name << ": " << probe.reason;
        EXPECT_EQ(probe.facts->width, c.width) << c.name;
        EXPECT_EQ(probe.facts->height, c.height) << c.name;
        EXPECT_EQ(probe.facts->quarterTurns, c.quarterTurns) << c.name;
        EXPECT_NEAR(static_cast<double>(probe.facts->durationMs), c.durationMs, 100) << c.name;
        EXPECT_EQ(probe.facts->created.value_or("none"), c.created ? c.created : "none") << c.name;
    }
}

TEST_F(VideoPosterTest, PostersAreUprightFittedAndTakenATenthOfTheWayIn) {
    const fs::path out = folder / "thumb";
    fs::create_directories(out);
    struct Case {
        const char* name;
        int width;
        int height;
    };
    for (const Case& c : {Case{"clip.mp4", 200, 113}, Case{"clip.webm", 200, 113},
                          Case{"turned.mp4", 113, 200}, Case{"wide.mp4", 200, 113}}) {
        const fs::path poster = out / (std::string(c.name) + ".jpg");
        const ThumbnailOutcome outcome = MakePosterFile(folder / c.name, poster, 200, 80);
        ASSERT_TRUE(outcome.ok) << c.name << ": " << outcome.reason;
        const VImage written = VImage::new_from_file(poster.c_str());
        EXPECT_EQ(std::string(written.get_string("vips-loader")), "jpegload") << c.name;
        EXPECT_EQ(written.width(), outcome.width) << c.name;
        EXPECT_EQ(written.height(), outcome.height) << c.name;
        EXPECT_EQ(written.width(), c.width) << c.name;
        EXPECT_NEAR(written.height(), c.height, 1) << c.name;
        EXPECT_EQ(fs::last_write_time(poster), fs::last_write_time(folder / c.name)) << c.name;
    }
    // turned.mp4 starts black, on its only key frame; from 0.2 s on its frames are white above
    // and black below, and its container turns them a quarter clockwise: upright, white is on
    // the right.
    const VImage turned = VImage::new_from_file((out / "turned.mp4.jpg").c_str());
    EXPECT_GT(turned.crop(turned.width() * 3 / 4, 0, turned.width() / 4, turned.height()).avg(),
              200.0);
    EXPECT_LT(turned.crop(0, 0, turned.width() / 4, turned.height()).avg(), 50.0);
}

TEST_F(VideoPosterTest, DamagedForeignAndReferringFilesFailWithoutLeavingFiles) {
    // Cut off after its header; not a video at all; a list of other files named like a video
    // (which must not be opened); and a FIFO, which must never be waited on.
    std::ofstream(folder / "paper.mp4", std::ios::binary) << "%PDF-1.4\n1 0 obj\n<<>>\nendobj\n";
    std::ofstream(folder / "list.mp4", std::ios::binary) << "ffconcat version 1.0\nfile clip.mp4\n";
    ASSERT_EQ(::mkfifo((folder / "pipe.mp4").c_str(), 0600), 0);
    const fs::path out = folder / "failed";
    fs::create_directories(out);
    for (const char* name : {"damaged.mp4", "paper.mp4", "list.mp4", "pipe.mp4", "missing.mp4"}) {
        const ThumbnailOutcome outcome = MakePosterFile(folder / name, out / "poster.jpg", 200, 80);
        EXPECT_FALSE(outcome.ok) << name;
        EXPECT_FALSE(outcome.reason.empty()) << name;
    }
    for (const char* name : {"paper.mp4", "list.mp4", "pipe.mp4", "missing.mp4"})
        EXPECT_FALSE(ReadVideoFacts(folder / name).facts) << name;
    EXPECT_TRUE(fs::is_empty(out));
    // Too many pixels for the settings: never decoded.
    EXPECT_FALSE(MakePosterFile(folder / "clip.mp4", out / "poster.jpg", 200, 80, 320 * 100).ok);
}

TEST_F(VideoPosterTest, RecordingDatesOrderImportsAndSorts) {
    EXPECT_EQ(ReadImportFacts(folder / "clip.mp4").taken, "2026:07:14 09:30:00");
    EXPECT_EQ(ReadImportFacts(folder / "clip.webm").taken, "");
    EXPECT_EQ(ReadImportFacts(folder / "damaged.mp4").taken, "2026:07:14 09:30:00");
    CSiteItem item;
    item.url = "file://clip.mp4";
    EXPECT_EQ(ItemDatesTaken(folder)(item).value_or("none"), "2026:07:14 09:30:00");
    item.url = "file://missing.mp4";
    EXPECT_EQ(ItemDatesTaken(folder)(item).value_or("none"), "none");
}

// pagelorn-cli on a folder of videos: the posters on both styles' pages, only what changed made
// again, and a video without a poster linked as before.
class VideoExportTest : public exporttest::TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        const TestVideos made = MakeTestVideos(dir / "videos");
        if (!made.made) GTEST_SKIP() << made.problem;
        for (const char* name : {"plain.mp4", "wide.mp4"}) fs::remove(dir / "videos" / name);
        fs::rename(dir / "videos/clip.webm", dir / "videos/waves.webm");
        Write("videos/fake.mp4", "not a video");
    }
    std::pair<int, std::string> Cli(const std::string& arguments) const {
        const fs::path output = dir / "cli.txt";
        const int status = std::system(("cd '" + dir.string() + "' && " + PAGELORN_CLI + " " +
                                        arguments + " >cli.txt 2>&1 </dev/null")
                                           .c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(output)};
    }
    // The page of the folder `site` that plays or shows `copy`.
    std::string PageOf(const std::string& site, const std::string& copy) const {
        for (const auto& entry : fs::directory_iterator(dir / site)) {
            if (entry.path().extension() != ".htm") continue;
            const std::string page = Read(entry.path());
            if (page.find("<main") != std::string::npos &&
                page.find("<video") != std::string::npos &&
                page.find("video/" + copy + "\"") != std::string::npos)
                return page;
        }
        return {};
    }
};

TEST_F(VideoExportTest, PostersOnPagesMadeOnceAndDamagedVideosLinked) {
    ASSERT_EQ(Cli("new site.www").first, 0);
    ASSERT_EQ(Cli("import site.www videos").first, 0);
    const auto [checked, notes] = Cli("check site.www");
    EXPECT_NE(notes.find("fake.mp4"), std::string::npos) << notes;
    EXPECT_NE(notes.find("no poster: not a video that can be read, so the page links to the video"),
              std::string::npos)
        << notes;

    // The damaged video's frames cannot be decoded: a failure, and its page keeps its link.
    auto [status, output] = Cli("export site.www --to modern --yes");
    EXPECT_EQ(status, 1) << output;
    EXPECT_NE(output.find("3 thumbnails made, 1 failures"), std::string::npos) << output;
    EXPECT_NE(output.find("damaged.mp4: no poster was made (no frame of the video can be decoded"),
              std::string::npos)
        << output;
    // The item pages show the poster at the page's size (at most the video's), made from the
    // thumbnail's frame; the date the container gives in UTC.
    ASSERT_EQ(VIPS_INIT("pagelorn-tests"), 0);
    for (const auto& [copy, width, height] :
         {std::tuple{"CLIP.MP4", 320, 180}, {"WAVES.WEBM", 320, 180}, {"TURNED.MP4", 180, 320}}) {
        EXPECT_TRUE(fs::is_regular_file(dir / "modern/thumb" / (copy + std::string(".200q85.jpg"))))
            << copy;
        const std::string poster = std::string("thumb/") + copy + ".1600q85.jpg";
        EXPECT_NE(PageOf("modern", copy).find(" poster=\"./" + poster + "\""), std::string::npos)
            << copy;
        const VImage made = VImage::new_from_file((dir / "modern" / poster).c_str());
        EXPECT_EQ(std::pair(made.width(), made.height()), std::pair(width, height)) << copy;
    }
    EXPECT_NE(PageOf("modern", "TURNED.MP4").find("width=\"180\" height=\"320\""),
              std::string::npos);
    EXPECT_NE(PageOf("modern", "CLIP.MP4")
                  .find("<p class=\"taken\">Recorded <time datetime=\"2026-07-14T09:30:00Z\">"
                        "2026-07-14 09:30 UTC</time></p>"),
              std::string::npos);
    EXPECT_EQ(PageOf("modern", "WAVES.WEBM").find("Recorded"), std::string::npos);
    const std::string damaged = PageOf("modern", "DAMAGED.MP4");
    EXPECT_NE(damaged.find("<video"), std::string::npos);
    EXPECT_EQ(damaged.find("poster="), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "modern/thumb/DAMAGED.MP4.200q85.jpg"));
    const std::string index = Read(dir / "modern/index.html");
    EXPECT_NE(index.find("<span class=\"duration\">0:03</span>"), std::string::npos) << index;
    EXPECT_NE(index.find("<span class=\"duration\">0:04</span>"), std::string::npos) << index;

    // Again: nothing is made; a video written since gets its poster made again.
    std::tie(status, output) = Cli("export site.www --to modern --yes");
    EXPECT_NE(output.find("0 thumbnails made"), std::string::npos) << output;
    fs::last_write_time(dir / "videos/turned.mp4",
                        fs::last_write_time(dir / "videos/turned.mp4") + std::chrono::seconds(5));
    std::tie(status, output) = Cli("export site.www --to modern --yes");
    EXPECT_NE(output.find("1 thumbnails made"), std::string::npos) << output;

    // Classic pages: the poster, a play mark, the caption and the duration, linked to the video;
    // the damaged video by its caption as ever.
    ASSERT_EQ(Cli("set site.www pages.style=classic").first, 0);
    std::tie(status, output) = Cli("export site.www --to classic --yes");
    std::string classic = Read(dir / "classic/Index.htm");
    std::erase(classic, '\r');
    EXPECT_NE(classic.find("<A href=\"./video/CLIP.MP4\"><IMG src = "
                           "\"./thumb/CLIP.MP4.200q85.jpg\" width = 100 height = 56></A>\n<BR>\n"
                           "<A href=\"./video/CLIP.MP4\">\n&#9654; clip (0:03)</A>"),
              std::string::npos)
        << classic;
    EXPECT_NE(classic.find("<A href=\"./video/DAMAGED.MP4\">\ndamaged</A>"), std::string::npos);

    // Without the settings file: no poster, the pages as they always were.
    fs::remove(dir / "site.www.json");
    std::tie(status, output) = Cli("export site.www --to plain --yes");
    EXPECT_FALSE(fs::exists(dir / "plain/thumb"));
    EXPECT_EQ(Read(dir / "plain/Index.htm").find("&#9654;"), std::string::npos);
}

TEST(DurationTextTest, MinutesAndSecondsOrHours) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {-1, "0:00"}, {999, "0:00"}, {7'400, "0:07"}, {754'000, "12:34"}, {3'723'000, "1:02:03"}};
    for (const auto& [ms, text] : cases) EXPECT_EQ(DurationText(ms), text) << ms;
}

}  // namespace
