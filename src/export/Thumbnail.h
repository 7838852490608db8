#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "SiteSort.h"
#include "ThumbnailFile.h"

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};

// The side of the square box a page shows a picture in, unless the website's settings say
// otherwise.
inline constexpr int kDefaultPictureBox = 100;

// What the header of a GIF or JPEG picture says, read however large the file is: its blocks up
// to the first bytes of its image data, never the image data itself.
struct PictureProbe {
    // The size in pixels as browsers show it: a JPEG whose EXIF orientation turns it (5 to 8)
    // has its sides swapped. Nothing when the file cannot be opened, is not a regular file (a
    // FIFO named "x.jpg" is never waited on), is no GIF or JPEG picture, is damaged, or gives a
    // size of 0 or one larger than kMaxPictureSide.
    std::optional<PictureSize> size;
    bool isJpeg = false;   // begins as a JPEG (which is never transparent)
    bool damaged = false;  // a GIF or JPEG whose image data is missing or cut short: a GIF
                           // without an image descriptor, a JPEG without a scan
};
PictureProbe ProbePicture(const std::filesystem::path& path);

// The size of ProbePicture, for a file and for the bytes of a file.
std::optional<PictureSize> ReadPictureSize(const std::filesystem::path& path);
std::optional<PictureSize> ReadPictureSize(std::span<const unsigned char> bytes);

// When a JPEG photo was taken, as its EXIF data says ("2026:07:14 09:30:00", which sorts in time
// order); nothing for other files and photos without a date.
std::optional<std::string> ReadDateTaken(const std::filesystem::path& path);
// The date each item's photo was taken (a video's: when its container says it was recorded), its
// local file read as the export reads it for a project in projectFolder, for sorting by date.
CDateTakenFn ItemDatesTaken(const std::filesystem::path& projectFolder);

// The size an item's thumbnail is shown at, fitting a box of box x box pixels with the picture's
// proportions: 0 x 0 (natural size, no size attributes) when the picture is at most `box` pixels
// each way, box x box when it cannot be read.
PictureSize GetThumbnailSize(const std::filesystem::path& path, int box = kDefaultPictureBox);

// The same rule for a picture of a known size.
PictureSize ThumbnailSizeFor(PictureSize natural, int box = kDefaultPictureBox);
