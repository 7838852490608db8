#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Short videos made with ffmpeg for the tests, in `folder`:
//   clip.mp4    320 x 180, 3 s, H.264 (MPEG-4 part 2 without libx264), recorded 2026-07-14 09:30
//   clip.webm   320 x 180, 3 s, VP8 (VP9 without it)
//   turned.mp4  320 x 180 frames the container turns a quarter clockwise, 4 s, one key frame:
//               black for a fifth of a second, then white above and black below
//   wide.mp4    160 x 180 frames of pixels twice as wide as high, 1 s
//   damaged.mp4 clip.mp4 with its frames' bytes overwritten by zeros
struct TestVideos {
    bool made = false;
    std::string problem;  // why not, for the skip message
};

inline bool RunFfmpeg(const std::string& arguments) {
    return std::system(("ffmpeg -nostdin -v error -y " + arguments + " >/dev/null 2>&1").c_str()) ==
           0;
}

inline TestVideos MakeTestVideos(const std::filesystem::path& folder) {
    TestVideos videos;
    if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) {
        videos.problem = "ffmpeg is not installed (scripts/install-test-deps.sh installs it)";
        return videos;
    }
    std::filesystem::create_directories(folder);
    const auto at = [&](const char* name) { return "'" + (folder / name).string() + "'"; };
    const bool h264 =
        std::system("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q ' libx264 '") == 0;
    const std::string mp4 = h264 ? " -c:v libx264 -pix_fmt yuv420p" : " -c:v mpeg4";
    const std::string fast = " -movflags +faststart";
    const bool made =
        RunFfmpeg("-f lavfi -i testsrc=size=320x180:rate=25:duration=3" + mp4 + fast +
                  " -metadata creation_time=2026-07-14T09:30:00Z " + at("clip.mp4")) &&
        (RunFfmpeg("-f lavfi -i testsrc=size=320x180:rate=25:duration=3 -c:v libvpx -b:v 200k " +
                   at("clip.webm")) ||
         RunFfmpeg("-f lavfi -i testsrc=size=320x180:rate=25:duration=3 -c:v libvpx-vp9 " +
                   at("clip.webm"))) &&
        RunFfmpeg(
            "-f lavfi -i color=black:size=320x180:rate=25:duration=0.2 -f lavfi -i "
            "color=white:size=320x180:rate=25:duration=3.8 -filter_complex "
            "\"[1]drawbox=y=90:h=90:w=320:color=black:t=fill[b];[0][b]concat\" -g 250 "
            "-sc_threshold 0" +
            mp4 + " " + at("plain.mp4")) &&
        // A phone held upright: the container turns the frames a quarter clockwise (ffprobe
        // says "rotation=-90"). ffmpeg 6 and later take the turn as an option of the input,
        // ffmpeg 5 as the stream's "rotate" tag, both counter-clockwise.
        (RunFfmpeg("-display_rotation -90 -i " + at("plain.mp4") + " -c copy " +
                   at("turned.mp4")) ||
         RunFfmpeg("-i " + at("plain.mp4") + " -c copy -metadata:s:v rotate=270 " +
                   at("turned.mp4"))) &&
        RunFfmpeg("-f lavfi -i testsrc=size=160x180:rate=25:duration=1 -vf setsar=2" + mp4 + " " +
                  at("wide.mp4"));
    if (!made) {
        videos.problem = "ffmpeg could not make the test videos";
        return videos;
    }
    std::ifstream in(folder / "clip.mp4", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t data = bytes.find("mdat");
    if (data == std::string::npos) {
        videos.problem = "ffmpeg made an MP4 without frames";
        return videos;
    }
    for (std::size_t i = data + 4; i < bytes.size(); ++i) bytes[i] = '\0';
    std::ofstream(folder / "damaged.mp4", std::ios::binary) << bytes;
    videos.made = true;
    return videos;
}
