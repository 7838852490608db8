#include "Thumbnail.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "StbImageConfig.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

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

void MemoryRewind(void* user) {
    static_cast<MemoryReader*>(user)->position = 0;
}

void FileRewind(void* user) {
    std::rewind(static_cast<std::FILE*>(user));
}

// The segments of a JPEG in front of its frame header, walked as stb_image walks them. stb_image
// 2.27 (the one Debian 12 ships) builds a Huffman table of more than 256 codes without complaint,
// writing past the table's arrays: such a file is taken for no picture (false). The walk also
// keeps the first EXIF segment's bytes, which say how the picture is turned.
bool WalkJpegHeader(const stbi_io_callbacks& io, void* user, std::string& exif, bool& isJpeg) {
    // Past the end stb reads zeros, and so does this walk.
    bool atEnd = false;
    const auto get8 = [&]() -> int {
        unsigned char byte = 0;
        if (io.read(user, reinterpret_cast<char*>(&byte), 1) != 1) atEnd = true;
        return byte;
    };
    const auto get16 = [&]() -> int {
        const int high = get8();
        return (high << 8) | get8();
    };
    // A marker is 0xFF, any number of 0xFF fill bytes and the marker's code; -1 for no marker.
    const auto getMarker = [&]() -> int {
        int byte = get8();
        if (byte != 0xFF) return -1;
        while (byte == 0xFF) byte = get8();
        return byte;
    };
    if (getMarker() != 0xD8) return true;  // no JPEG
    isJpeg = true;
    for (;;) {
        // Stray bytes between segments are passed over.
        const int marker = getMarker();
        if (atEnd) return true;
        if (marker < 0) continue;
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)
            return true;  // stb reads nothing past the frame header
        if (marker == 0xC4) {
            for (int left = get16() - 2; left > 0;) {
                get8();  // class and number of the table
                int codes = 0;
                for (int length = 0; length < 16; ++length) codes += get8();
                if (codes > 256) return false;
                io.skip(user, codes);
                left -= 17 + codes;
            }
        } else if (marker == 0xE1 && exif.empty()) {
            const int length = get16();
            if (length < 2) return true;
            std::string segment(static_cast<std::size_t>(length - 2), '\0');
            const int got = io.read(user, segment.data(), length - 2);
            segment.resize(static_cast<std::size_t>(std::max(got, 0)));
            if (segment.starts_with(std::string_view("Exif\0\0", 6))) exif = std::move(segment);
        } else if (marker == 0xDB || marker == 0xDD || marker == 0xFE ||
                   (marker >= 0xE0 && marker <= 0xEF)) {
            const int length = get16();
            if (length < 2) return true;
            io.skip(user, length - 2);
        } else {
            return true;  // stb refuses any other marker here
        }
    }
}

struct ExifDataUnref {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

// The EXIF orientation (1 to 8) of an EXIF segment's bytes; 1 when it names none.
int ExifOrientation(const std::string& segment) {
    if (segment.empty()) return 1;
    std::unique_ptr<ExifData, ExifDataUnref> data(exif_data_new());
    if (!data) return 1;
    // Only the tag is wanted: no mandatory tags are added and no unknown ones looked at.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(segment.data()),
                        static_cast<unsigned int>(segment.size()));
    const ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 ||
        entry->data == nullptr || entry->size < 2)
        return 1;
    const int orientation = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

std::optional<PictureSize> SizeFromHeader(const stbi_io_callbacks& callbacks, void* user,
                                          void (*rewind)(void*), bool& isJpeg) {
    std::string exif;
    isJpeg = false;
    if (!WalkJpegHeader(callbacks, user, exif, isJpeg)) return std::nullopt;
    rewind(user);
    int width = 0;
    int height = 0;
    int components = 0;
    if (!stbi_info_from_callbacks(&callbacks, user, &width, &height, &components))
        return std::nullopt;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return std::nullopt;
    // Orientations 5 to 8 turn the picture by a quarter: browsers show it with its sides swapped.
    if (ExifOrientation(exif) >= 5) std::swap(width, height);
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

std::optional<PictureSize> ReadPictureSize(const std::filesystem::path& path, bool& isJpeg) {
    isJpeg = false;
    // stb_image's own file functions take a narrow name; opening the file here keeps wide
    // Windows paths working and lets stb read only as far as the header.
    std::unique_ptr<std::FILE, FileCloser> file(OpenRegularFile(path));
    if (!file) return std::nullopt;
    const stbi_io_callbacks callbacks{ReadCallback, SkipCallback, EofCallback};
    return SizeFromHeader(callbacks, file.get(), FileRewind, isJpeg);
}

std::optional<PictureSize> ReadPictureSize(const std::filesystem::path& path) {
    bool isJpeg = false;
    return ReadPictureSize(path, isJpeg);
}

std::optional<PictureSize> ReadPictureSize(std::span<const unsigned char> bytes) {
    MemoryReader reader{bytes};
    const stbi_io_callbacks callbacks{MemoryRead, MemorySkip, MemoryEof};
    bool isJpeg = false;
    return SizeFromHeader(callbacks, &reader, MemoryRewind, isJpeg);
}

PictureSize ThumbnailSizeFor(PictureSize natural, int box) {
    const long long w = natural.width;
    const long long h = natural.height;
    if (w <= box && h <= box) return {0, 0};
    PictureSize size{box, box};
    if (w > h) size.height = static_cast<int>(h * box / w);
    if (h > w) size.width = static_cast<int>(w * box / h);
    if (size.width == 0) size.width = 1;
    if (size.height == 0) size.height = 1;
    return size;
}

PictureSize GetThumbnailSize(const std::filesystem::path& path, int box) {
    const std::optional<PictureSize> natural = ReadPictureSize(path);
    if (!natural) return {box, box};
    return ThumbnailSizeFor(*natural, box);
}
