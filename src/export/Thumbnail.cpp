#include "Thumbnail.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "ExifTags.h"
#include "FileStatus.h"
#include "LinkedFiles.h"
#include "StbImageConfig.h"
#include "VideoPoster.h"

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

// What the walk over a picture's blocks found.
enum class PictureCheck {
    Other,    // no GIF or JPEG
    Refused,  // a GIF or JPEG that stb_image must not be given
    Damaged,  // a GIF or JPEG whose image data is missing or cut short
    Whole     // a GIF or JPEG whose header and image data begin as they should
};

// The segments of a JPEG, walked as stb_image walks them up to the frame header and on to the
// first scan. stb_image 2.27 (the one Debian 12 ships) builds a Huffman table of more than 256
// codes without complaint, writing past the table's arrays: such a file is taken for no picture.
// A JPEG whose scan is missing or cut off has no picture to show however whole its frame header
// is: damaged. The walk also keeps the first EXIF segment's bytes, which say how the picture is
// turned.
PictureCheck WalkJpeg(const stbi_io_callbacks& io, void* user, std::string& exif) {
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
    // Skips a segment's bytes and tells whether all of them are there.
    const auto skipSegment = [&](int length) {
        if (length < 2) return false;
        if (length > 2) {
            io.skip(user, length - 3);
            get8();
        }
        return !atEnd;
    };
    if (getMarker() != 0xD8) return PictureCheck::Other;
    bool frameSeen = false;
    for (;;) {
        // Stray bytes between segments are passed over.
        const int marker = getMarker();
        if (atEnd) return frameSeen ? PictureCheck::Damaged : PictureCheck::Refused;
        if (marker < 0) continue;
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            if (frameSeen || !skipSegment(get16())) return PictureCheck::Damaged;
            frameSeen = true;
        } else if (marker == 0xDA) {
            if (!frameSeen) return PictureCheck::Refused;
            // The scan header, then at least the first byte of its data.
            if (!skipSegment(get16())) return PictureCheck::Damaged;
            get8();
            return atEnd ? PictureCheck::Damaged : PictureCheck::Whole;
        } else if (marker == 0xC4) {
            for (int left = get16() - 2; left > 0 && !atEnd;) {
                get8();  // class and number of the table
                int codes = 0;
                for (int length = 0; length < 16; ++length) codes += get8();
                if (codes > 256) return PictureCheck::Refused;
                io.skip(user, codes);
                left -= 17 + codes;
            }
        } else if (marker == 0xE1 && exif.empty() && !frameSeen) {
            const int length = get16();
            if (length < 2) return PictureCheck::Refused;
            std::string segment(static_cast<std::size_t>(length - 2), '\0');
            const int got = io.read(user, segment.data(), length - 2);
            segment.resize(static_cast<std::size_t>(std::max(got, 0)));
            if (segment.starts_with(std::string_view("Exif\0\0", 6))) exif = std::move(segment);
        } else if (marker == 0xDB || marker == 0xDD || marker == 0xFE ||
                   (marker >= 0xE0 && marker <= 0xEF)) {
            if (!skipSegment(get16()))
                return frameSeen ? PictureCheck::Damaged : PictureCheck::Refused;
        } else {
            // stb refuses any other marker before the frame; after it, a picture without a scan.
            return frameSeen ? PictureCheck::Damaged : PictureCheck::Refused;
        }
    }
}

// The blocks of a GIF up to its first image: the screen descriptor, the global colour table, the
// extensions, then the image descriptor, its colour table and the first block of its data. A GIF
// that ends or holds anything else before that (`GIF89a garbage`) is damaged, whatever size its
// first bytes give.
PictureCheck WalkGif(const stbi_io_callbacks& io, void* user) {
    char signature[6] = {};
    if (io.read(user, signature, 6) != 6) return PictureCheck::Other;
    const std::string_view text(signature, 6);
    if (text != "GIF87a" && text != "GIF89a") return PictureCheck::Other;
    bool atEnd = false;
    const auto get8 = [&]() -> int {
        unsigned char byte = 0;
        if (io.read(user, reinterpret_cast<char*>(&byte), 1) != 1) atEnd = true;
        return byte;
    };
    // Skips n bytes and tells whether all of them are there.
    const auto skip = [&](int n) {
        if (n > 0) {
            io.skip(user, n - 1);
            get8();
        }
        return !atEnd;
    };
    const auto colourTableSize = [](int flags) {
        return (flags & 0x80) != 0 ? 3 * (2 << (flags & 7)) : 0;
    };
    skip(4);
    const int screenFlags = get8();
    if (!skip(2) || !skip(colourTableSize(screenFlags))) return PictureCheck::Damaged;
    for (;;) {
        const int block = get8();
        if (atEnd) return PictureCheck::Damaged;
        if (block == 0x21) {
            get8();  // the extension's label
            for (int length = get8(); length != 0; length = get8())
                if (atEnd || !skip(length)) return PictureCheck::Damaged;
            if (atEnd) return PictureCheck::Damaged;
        } else if (block == 0x2C) {
            skip(8);
            const int imageFlags = get8();
            if (atEnd || !skip(colourTableSize(imageFlags))) return PictureCheck::Damaged;
            const int codeSize = get8();
            const int length = get8();
            if (atEnd || codeSize < 1 || codeSize > 12 || length == 0 || !skip(length))
                return PictureCheck::Damaged;
            return PictureCheck::Whole;
        } else {
            return PictureCheck::Damaged;
        }
    }
}

// The EXIF orientation (1 to 8) of an EXIF segment's bytes; 1 when it names none.
int ExifOrientation(const std::string& segment) {
    if (segment.empty()) return 1;
    const std::optional<ExifTags> tags = ReadExifTags(segment);
    return tags ? tags->orientation : 1;
}

// The date and time an EXIF segment says the picture was taken ("2026:07:14 09:30:00"): the
// original's, else the digitised one's, else the file's.
std::optional<std::string> ExifDateTaken(const std::string& segment) {
    if (segment.empty()) return std::nullopt;
    const std::optional<ExifTags> tags = ReadExifTags(segment);
    if (!tags) return std::nullopt;
    for (const std::optional<ExifValue>& value :
         {tags->dateTimeOriginal, tags->dateTimeDigitized, tags->dateTime}) {
        if (!value || !value->ascii || value->bytes.size() < 19) continue;
        const std::string text = value->bytes.substr(0, 19);
        // "YYYY:MM:DD HH:MM:SS"; cameras without a clock write zeros or blanks.
        bool wellFormed = true;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char expected = i == 4 || i == 7     ? ':'
                                  : i == 10            ? ' '
                                  : i == 13 || i == 16 ? ':'
                                                       : '0';
            wellFormed = wellFormed &&
                         (expected == '0' ? text[i] >= '0' && text[i] <= '9' : text[i] == expected);
        }
        if (wellFormed && text.compare(0, 4, "0000") != 0) return text;
    }
    return std::nullopt;
}

PictureProbe ProbeHeader(const stbi_io_callbacks& callbacks, void* user, void (*rewind)(void*)) {
    PictureProbe probe;
    std::string exif;
    PictureCheck check = WalkJpeg(callbacks, user, exif);
    probe.isJpeg = check != PictureCheck::Other;
    if (check == PictureCheck::Other) {
        rewind(user);
        check = WalkGif(callbacks, user);
    }
    probe.damaged = check == PictureCheck::Damaged;
    if (check != PictureCheck::Whole) return probe;
    rewind(user);
    int width = 0;
    int height = 0;
    int components = 0;
    if (!stbi_info_from_callbacks(&callbacks, user, &width, &height, &components)) return probe;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return probe;
    // Orientations 5 to 8 turn the picture by a quarter: browsers show it with its sides swapped.
    if (ExifOrientation(exif) >= 5) std::swap(width, height);
    probe.size = PictureSize{width, height};
    return probe;
}

// The file opened for reading when it is a regular file; a FIFO or a device is refused without
// waiting for a writer or touching the device.
std::FILE* OpenRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    CFileDescriptor file = OpenRegularFile(path, LinkRule::Follow, error);
    return file.IsOpen() ? StreamOf(std::move(file), "rb") : nullptr;
}

}  // namespace

PictureProbe ProbePicture(const std::filesystem::path& path) {
    // stb_image's own file functions take a narrow name; opening the file here keeps wide
    // Windows paths working and lets stb read only as far as the header.
    std::unique_ptr<std::FILE, FileCloser> file(OpenRegularFile(path));
    if (!file) return {};
    const stbi_io_callbacks callbacks{ReadCallback, SkipCallback, EofCallback};
    return ProbeHeader(callbacks, file.get(), FileRewind);
}

std::optional<PictureSize> ReadPictureSize(const std::filesystem::path& path) {
    return ProbePicture(path).size;
}

std::optional<PictureSize> ReadPictureSize(std::span<const unsigned char> bytes) {
    MemoryReader reader{bytes};
    const stbi_io_callbacks callbacks{MemoryRead, MemorySkip, MemoryEof};
    return ProbeHeader(callbacks, &reader, MemoryRewind).size;
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

std::optional<std::string> ReadDateTaken(const std::filesystem::path& path) {
    std::unique_ptr<std::FILE, FileCloser> file(OpenRegularFile(path));
    if (!file) return std::nullopt;
    const stbi_io_callbacks callbacks{ReadCallback, SkipCallback, EofCallback};
    std::string exif;
    WalkJpeg(callbacks, file.get(), exif);
    return ExifDateTaken(exif);
}

CDateTakenFn ItemDatesTaken(const std::filesystem::path& projectFolder) {
    return [files = CLinkedFiles(projectFolder)](const CSiteItem& item) {
        std::string_view url = item.url.View();
        const std::string scheme = AsciiLower(url.substr(0, 7));
        if (scheme.starts_with("file://"))
            url.remove_prefix(7);
        else if (scheme.starts_with("file:"))
            url.remove_prefix(5);
        else
            return std::optional<std::string>();
        const std::filesystem::path source = files.SourceFile(url);
        if (ClassifyFile(url, true) == CategoryVideo)
            if (std::optional<VideoFacts> video = ReadVideoFacts(source).facts)
                return std::move(video->created);
        return ReadDateTaken(source);
    };
}
