// What reading the upright size of 2,000 JPEG photos costs, the number of pictures in the export
// benchmark's website: the export's reader (stb_image for the size, libexif for the orientation
// on the bytes it read) beside libvips's header reader (ReadPictureHeader), which the thumbnail
// files use. Each photo carries an EXIF segment of about 20 KB, as a phone's photos do; the
// export's reader also runs on the same photos without one.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Thumbnail.h"
#include "ThumbnailFile.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPictures = 2000;

void PutBe16(std::string& bytes, std::size_t value) {
    bytes += static_cast<char>((value >> 8) & 0xFF);
    bytes += static_cast<char>(value & 0xFF);
}

// A little-endian EXIF segment whose first directory holds the orientation, padded to about
// 20 KB with data no directory points at (where a camera keeps its maker notes and preview).
std::string ExifSegment(int orientation) {
    std::string tiff("II\x2A\x00\x08\x00\x00\x00", 8);
    tiff += std::string("\x01\x00\x12\x01\x03\x00\x01\x00\x00\x00", 10);
    tiff += static_cast<char>(orientation);
    tiff += std::string(3, '\0');
    tiff += std::string(4, '\0');
    tiff += std::string(20000, 'm');
    std::string segment("\xFF\xE1", 2);
    PutBe16(segment, tiff.size() + 8);
    return segment + std::string("Exif\0\0", 6) + tiff;
}

struct Pictures {
    std::vector<fs::path> files;
    std::vector<fs::path> plain;  // the same photos without an EXIF segment

    Pictures() {
        const char* dir = std::getenv("PAGELORN_BENCH_DIR");
        const fs::path base =
            fs::path(dir ? dir : fs::temp_directory_path().string()) / "pagelorn_header_bench";
        fs::remove_all(base);
        fs::create_directories(base);
        // A real baseline JPEG, so that every reader decodes its header as it would a photo's.
        std::ifstream in(fs::path(PAGELORN_SOURCE_DIR) / "examples/site/Holiday/harbour.jpg",
                         std::ios::binary);
        const std::string photo((std::istreambuf_iterator<char>(in)), {});
        if (photo.size() < 2) return;
        for (int i = 0; i < kPictures; ++i) {
            const fs::path file = base / ("IMG_" + std::to_string(10000 + i) + ".JPG");
            std::ofstream(file, std::ios::binary)
                << photo.substr(0, 2) + ExifSegment(i % 2 == 0 ? 6 : 1) + photo.substr(2);
            files.push_back(file);
            const fs::path bare = base / ("plain_" + std::to_string(10000 + i) + ".JPG");
            std::ofstream(bare, std::ios::binary) << photo;
            plain.push_back(bare);
        }
    }
};

const Pictures& ThePictures() {
    static const Pictures pictures;
    return pictures;
}

void BM_ExportReader(benchmark::State& state) {
    const auto& files = ThePictures().files;
    for (auto _ : state) {
        int turned = 0;
        for (const fs::path& file : files)
            if (const auto size = ReadPictureSize(file); size && size->width > size->height)
                ++turned;
        // The photo is upright as stored; every other copy says it is turned.
        if (turned != kPictures / 2) state.SkipWithError("sizes not turned by the orientation");
    }
}

// The same reader on photos without EXIF: what reading the orientation adds.
void BM_ExportReaderWithoutExif(benchmark::State& state) {
    const auto& files = ThePictures().plain;
    for (auto _ : state) {
        int read = 0;
        for (const fs::path& file : files)
            if (ReadPictureSize(file)) ++read;
        if (read != kPictures) state.SkipWithError("sizes not read");
    }
}

void BM_VipsHeader(benchmark::State& state) {
    const auto& files = ThePictures().files;
    for (auto _ : state) {
        int turned = 0;
        for (const fs::path& file : files)
            if (const auto header = ReadPictureHeader(file);
                header && header->width > header->height)
                ++turned;
        if (turned != kPictures / 2) state.SkipWithError("sizes not turned by the orientation");
    }
}

}  // namespace

BENCHMARK(BM_ExportReader)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_ExportReaderWithoutExif)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_VipsHeader)->Unit(benchmark::kMillisecond)->Repetitions(5);

BENCHMARK_MAIN();
