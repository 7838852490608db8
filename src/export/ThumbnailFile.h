#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FolderHandle.h"

// Thumbnail files for the pages, made with libvips: a picture is decoded at a fraction of its
// size where the format allows (shrink-on-load), turned upright by its EXIF orientation, scaled
// down to fit a square and written without metadata. These functions are carried out by the
// picture module (MediaModule.h): when it cannot be loaded, what would be read is nothing and a
// thumbnail fails with the reason.

// The largest side a picture may have; GIF and JPEG headers hold sizes in 16 bits, so anything
// larger comes from a damaged or hostile file.
inline constexpr int kMaxPictureSide = 65535;

// What a picture's header says, read without decoding the picture.
struct PictureHeader {
    int width = 0;  // upright: a picture that its orientation turns (5 to 8) has its sides swapped
    int height = 0;
    int orientation = 1;    // EXIF orientation, 1 to 8 (1 when the file has none)
    bool hasAlpha = false;  // the picture can be transparent: its thumbnail is a PNG
};

// The header of a JPEG, GIF, PNG, WebP, HEIC, HEIF, AVIF or JPEG XL file; nothing when the file is
// none of these or cannot be read. Other formats libvips could open (PDF, SVG, formats read through
// other programs) are never opened for a website's pictures.
std::optional<PictureHeader> ReadPictureHeader(const std::filesystem::path& path);

enum class ThumbnailFormat { Jpeg, Png };

// The most pixels a picture may declare to get a thumbnail, unless the website's settings say
// otherwise: a few bytes can declare a picture whose decoding takes gigabytes.
inline constexpr std::int64_t kDefaultMaxThumbnailPixels = 100'000'000;

// "too large to make a thumbnail (60000 x 60000)": why a picture that declares more pixels than
// allowed gets none.
inline std::string TooLargeForThumbnail(int width, int height) {
    return "too large to make a thumbnail (" + std::to_string(width) + " x " +
           std::to_string(height) + ")";
}

struct ThumbnailOutcome {
    bool ok = false;
    int width = 0;  // of the file written
    int height = 0;
    std::string reason;  // on failure
};

// Writes the thumbnail of `source` to `target`: upright, at most maxSide pixels on its longer side
// (never enlarged), the first frame of an animated picture, sRGB, no metadata. A JPEG is written
// at `quality` (1 to 100). A picture whose header declares more than maxPixels pixels is never
// decoded, and one that is damaged or cut short fails instead of coming out partly grey. The file
// appears under its name only when it is whole: it is written under a temporary name in the
// target's folder and renamed. It gets the modification time of the source as it was read.
// Libvips works on one thread per picture: callers make several thumbnails at once instead.
ThumbnailOutcome MakeThumbnailFile(const std::filesystem::path& source,
                                   const std::filesystem::path& target, int maxSide,
                                   ThumbnailFormat format, int quality,
                                   std::int64_t maxPixels = kDefaultMaxThumbnailPixels);
// The same into the entry `name` of a folder held open (`shown`: its path, for messages).
ThumbnailOutcome MakeThumbnailFile(const std::filesystem::path& source, const CFolderHandle& folder,
                                   std::string_view name, const std::filesystem::path& shown,
                                   int maxSide, ThumbnailFormat format, int quality,
                                   std::int64_t maxPixels);

// A picture another decoder made (a frame of a video): 8-bit red, green and blue, rows without
// padding.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// The same for a decoded picture: turned `quarterTurns` quarter turns clockwise, then fitted to
// maxSide as above and written as a JPEG that gets the modification time modifiedNs.
ThumbnailOutcome MakeThumbnailFile(const RgbPicture& picture, int quarterTurns,
                                   const CFolderHandle& folder, std::string_view name,
                                   const std::filesystem::path& shown, int maxSide, int quality,
                                   std::int64_t modifiedNs);

// A picture decoded for showing on screen: upright, at most maxSide pixels on its longer side,
// four 8-bit channels (red, green, blue, alpha) a pixel, rows without padding.
struct PicturePixels {
    int width = 0;
    int height = 0;
    int naturalWidth = 0;  // the whole picture, upright
    int naturalHeight = 0;
    std::vector<unsigned char> rgba;
};

// Decodes a picture ReadPictureHeader reads for a preview, at a fraction of its size where the
// format allows, in memory bounded by maxSide rather than by the picture; nothing when it cannot be
// read or declares more than maxPixels pixels.
std::optional<PicturePixels> ReadPicturePixels(const std::filesystem::path& path, int maxSide,
                                               std::int64_t maxPixels = kDefaultMaxThumbnailPixels);

// The metadata blocks a picture's header holds, as they are stored: EXIF (starting "Exif\0\0"),
// XMP and IPTC; empty when it has none.
struct PictureMetadata {
    std::string exif;
    std::string xmp;
    std::string iptc;
};
// The metadata of a picture ReadPictureHeader reads; nothing when it cannot be read.
std::optional<PictureMetadata> ReadPictureMetadata(const std::filesystem::path& path);
