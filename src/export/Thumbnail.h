#pragma once

#include <filesystem>
#include <optional>

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};

// The size in pixels of a picture file (GIF, JPEG, PNG, BMP and the other formats stb_image
// knows), read from the file's header alone however large the file is; nothing when the file
// cannot be opened or is not a picture.
std::optional<PictureSize> ReadPictureSize(const std::filesystem::path& path);

// The size an item's thumbnail is shown at, fitting a 100 x 100 box with the picture's
// proportions: 0 x 0 (natural size, no size attributes) when the picture is at most 100 pixels
// each way, 100 x 100 when it cannot be read.
PictureSize GetThumbnailSize(const std::filesystem::path& path);

// The same rule for a picture of a known size.
PictureSize ThumbnailSizeFor(PictureSize natural);
