#include "Thumbnail.h"

#include <cstdio>
#include <memory>

#include "StbImageConfig.h"

namespace {

constexpr int kThumbnailBox = 100;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

int ReadCallback(void* user, char* data, int size) {
    return static_cast<int>(
        std::fread(data, 1, static_cast<std::size_t>(size), static_cast<std::FILE*>(user)));
}

void SkipCallback(void* user, int n) {
    std::fseek(static_cast<std::FILE*>(user), n, SEEK_CUR);
}

int EofCallback(void* user) {
    return std::feof(static_cast<std::FILE*>(user));
}

}  // namespace

std::optional<PictureSize> ReadPictureSize(const std::filesystem::path& path) {
    // stb_image's own file functions take a narrow name; opening the file here keeps wide
    // Windows paths working and lets stb read only as far as the header.
#ifdef _WIN32
    std::FILE* raw = _wfopen(path.c_str(), L"rb");
#else
    std::FILE* raw = std::fopen(path.c_str(), "rb");
#endif
    if (raw == nullptr) return std::nullopt;
    std::unique_ptr<std::FILE, FileCloser> file(raw);
    const stbi_io_callbacks callbacks{ReadCallback, SkipCallback, EofCallback};
    int width = 0;
    int height = 0;
    int components = 0;
    if (!stbi_info_from_callbacks(&callbacks, file.get(), &width, &height, &components))
        return std::nullopt;
    if (width <= 0 || height <= 0) return std::nullopt;
    return PictureSize{width, height};
}

PictureSize ThumbnailSizeFor(PictureSize natural) {
    const long long w = natural.width;
    const long long h = natural.height;
    if (w <= kThumbnailBox && h <= kThumbnailBox) return {0, 0};
    PictureSize size{kThumbnailBox, kThumbnailBox};
    if (w > h) size.height = static_cast<int>(h * kThumbnailBox / w);
    if (h > w) size.width = static_cast<int>(w * kThumbnailBox / h);
    if (size.width == 0) size.width = 1;
    if (size.height == 0) size.height = 1;
    return size;
}

PictureSize GetThumbnailSize(const std::filesystem::path& path) {
    const std::optional<PictureSize> natural = ReadPictureSize(path);
    if (!natural) return {kThumbnailBox, kThumbnailBox};
    return ThumbnailSizeFor(*natural);
}
