#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Thumbnail files for the pages, made with libvips: a picture is decoded at a fraction of its
// size where the format allows (shrink-on-load), turned upright by its EXIF orientation, scaled
// down to fit a square and written without metadata.

// What a picture's header says, read without decoding the picture.
struct PictureHeader {
    int width = 0;  // upright: a picture that its orientation turns (5 to 8) has its sides swapped
    int height = 0;
    int orientation = 1;    // EXIF orientation, 1 to 8 (1 when the file has none)
    bool hasAlpha = false;  // the picture can be transparent: its thumbnail is a PNG
};

// The header of a JPEG, GIF, PNG or WebP file; nothing when the file is none of these or cannot be
// read. Other formats libvips could open (PDF, SVG, formats read through other programs) are never
// opened for a website's pictures.
std::optional<PictureHeader> ReadPictureHeader(const std::filesystem::path& path);

enum class ThumbnailFormat { Jpeg, Png };

struct ThumbnailOutcome {
    bool ok = false;
    int width = 0;  // of the file written
    int height = 0;
    std::string reason;  // on failure
};

// Writes the thumbnail of `source` to `target`: upright, at most maxSide pixels on its longer side
// (never enlarged), the first frame of an animated picture, sRGB, no metadata. A JPEG is written
// at `quality` (1 to 100). The file appears under its name only when it is whole: it is written
// under a temporary name in the target's folder and renamed.
ThumbnailOutcome MakeThumbnailFile(const std::filesystem::path& source,
                                   const std::filesystem::path& target, int maxSide,
                                   ThumbnailFormat format, int quality);
