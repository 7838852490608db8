#pragma once

#include <filesystem>
#include <optional>
#include <span>

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};

// The side of the square box a page shows a picture in, unless the website's settings say
// otherwise.
inline constexpr int kDefaultPictureBox = 100;

// The largest side a picture may have; GIF and JPEG headers hold sizes in 16 bits, so anything
// larger comes from a damaged or hostile file.
inline constexpr int kMaxPictureSide = 65535;

// The size in pixels of a GIF or JPEG picture as browsers show it, read from the file's header
// alone however large the file is: a JPEG whose EXIF orientation turns it (5 to 8) has its sides
// swapped. Nothing when the file cannot be opened, is not a regular file (a FIFO named "x.jpg" is
// never waited on), is no GIF or JPEG picture, or gives a size of 0 or one larger than
// kMaxPictureSide.
std::optional<PictureSize> ReadPictureSize(const std::filesystem::path& path);
// The same, telling whether the picture is a JPEG (which is never transparent).
std::optional<PictureSize> ReadPictureSize(const std::filesystem::path& path, bool& isJpeg);
// The same for the bytes of a file.
std::optional<PictureSize> ReadPictureSize(std::span<const unsigned char> bytes);

// The size an item's thumbnail is shown at, fitting a box of box x box pixels with the picture's
// proportions: 0 x 0 (natural size, no size attributes) when the picture is at most `box` pixels
// each way, box x box when it cannot be read.
PictureSize GetThumbnailSize(const std::filesystem::path& path, int box = kDefaultPictureBox);

// The same rule for a picture of a known size.
PictureSize ThumbnailSizeFor(PictureSize natural, int box = kDefaultPictureBox);
