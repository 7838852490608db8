#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>

#include "Thumbnail.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

// The picture-size reader sees whatever bytes a linked file holds, whatever its name says.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<PictureSize> picture =
        ReadPictureSize(std::span<const unsigned char>(data, size));
    if (!picture) return 0;
    Require(picture->width > 0 && picture->width <= kMaxPictureSide);
    Require(picture->height > 0 && picture->height <= kMaxPictureSide);
    const PictureSize thumbnail = ThumbnailSizeFor(*picture);
    Require(thumbnail.width >= 0 && thumbnail.width <= 100);
    Require(thumbnail.height >= 0 && thumbnail.height <= 100);
    Require((thumbnail.width == 0) == (thumbnail.height == 0));
    return 0;
}
