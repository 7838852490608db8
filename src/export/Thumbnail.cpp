#include "Thumbnail.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "StbImageConfig.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// The bytes of a file, read through the same kind of callbacks as a file on disk.
struct MemoryReader {
    std::span<const unsigned char> bytes;
    std::size_t position = 0;
};

int MemoryRead(void* user, char* data, int size) {
    auto& reader = *static_cast<MemoryReader*>(user);
    const std::size_t count =
        std::min(static_cast<std::size_t>(size), reader.bytes.size() - reader.position);
    std::memcpy(data, reader.bytes.data() + reader.position, count);
    reader.position += count;
    return static_cast<int>(count);
}

void MemorySkip(void* user, int n) {
    auto& reader = *static_cast<MemoryReader*>(user);
    // A negative n takes back bytes already read.
    if (n < 0)
        reader.position -=
            std::min(reader.position, static_cast<std::size_t>(-static_cast<long long>(n)));
    else
        reader.position +=
            std::min(static_cast<std::size_t>(n), reader.bytes.size() - reader.position);
}

int MemoryEof(void* user) {
    const auto& reader = *static_cast<MemoryReader*>(user);
    return reader.position >= reader.bytes.size() ? 1 : 0;
}

std::optional<PictureSize> SizeFromHeader(const stbi_io_callbacks& callbacks, void* user) {
    int width = 0;
    int height = 0;
    int components = 0;
    if (!stbi_info_from_callbacks(&callbacks, user, &width, &height, &components))
        return std::nullopt;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return std::nullopt;
    return PictureSize{width, height};
}

// The file opened for reading when it is a regular file; a FIFO or a device is refused without
// waiting for a writer or touching the device.
std::FILE* OpenRegularFile(const std::filesystem::path& path) {
#ifdef _WIN32
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return nullptr;
    return _wfopen(path.c_str(), L"rb");
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status {};
    std::FILE* file = nullptr;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) file = ::fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
    return file;
#endif
}

}  // namespace

std::optional<PictureSize> ReadPictureSize(const std::filesystem::path& path) {
    // stb_image's own file functions take a narrow name; opening the file here keeps wide
    // Windows paths working and lets stb read only as far as the header.
    std::unique_ptr<std::FILE, FileCloser> file(OpenRegularFile(path));
    if (!file) return std::nullopt;
    const stbi_io_callbacks callbacks{ReadCallback, SkipCallback, EofCallback};
    return SizeFromHeader(callbacks, file.get());
}

std::optional<PictureSize> ReadPictureSize(std::span<const unsigned char> bytes) {
    MemoryReader reader{bytes};
    const stbi_io_callbacks callbacks{MemoryRead, MemorySkip, MemoryEof};
    return SizeFromHeader(callbacks, &reader);
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
