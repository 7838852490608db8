#include "ImportFacts.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "ExifTags.h"
#include "FileStatus.h"
#include "LinkedFiles.h"
#include "ThumbnailFile.h"
#include "Utf8Path.h"
#include "VideoPoster.h"

namespace fs = std::filesystem;

namespace {

// EXIF and XMP come before a JPEG's picture data, in segments of at most 64 KiB each.
constexpr std::size_t kJpegHeadBytes = 256 * 1024;
constexpr std::string_view kExifStart("Exif\0\0", 6);
constexpr std::string_view kXmpStart("http://ns.adobe.com/xap/1.0/\0", 29);

// What cameras write where nobody wrote a description.
constexpr std::array<std::string_view, 4> kPlaceholderTitles = {
    "OLYMPUS DIGITAL CAMERA", "SONY DSC", "DIGITAL CAMERA", "DCIM"};

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80                   ? 1
                                   : byte >= 0xC2 && byte < 0xE0 ? 2
                                   : byte >= 0xE0 && byte < 0xF0 ? 3
                                   : byte >= 0xF0 && byte < 0xF5 ? 4
                                                                 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

void AppendUtf8(std::string& text, std::uint32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A title as UTF-8 up to its first NUL, blanks around it removed; a placeholder is no title.
std::string CleanTitle(std::string_view raw) {
    raw = raw.substr(0, raw.find('\0'));
    std::string text;
    if (IsUtf8(raw)) {
        text = raw;
    } else {
        for (const char c : raw) AppendUtf8(text, static_cast<unsigned char>(c));
    }
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    text = text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
    for (const std::string_view placeholder : kPlaceholderTitles)
        if (text == placeholder) return {};
    return text;
}

// XPTitle holds UTF-16 in little-endian byte order.
std::string FromUtf16Le(const unsigned char* data, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        std::uint32_t code = data[i] | (data[i + 1] << 8);
        if (code == 0) break;
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < size) {
            const std::uint32_t low = data[i + 2] | (data[i + 3] << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (code >= 0xD800 && code < 0xE000) code = 0xFFFD;
        AppendUtf8(text, code);
    }
    return text;
}

// "2026:07:14 09:30:00"; anything else (the zeros of an unset clock among it) is no date.
std::string CleanDate(std::string_view raw) {
    raw = raw.substr(0, raw.find('\0'));
    if (raw.size() < 19) return {};
    raw = raw.substr(0, 19);
    constexpr std::string_view kPattern = "dddd:dd:dd dd:dd:dd";
    for (std::size_t i = 0; i < kPattern.size(); ++i) {
        const char c = raw[i];
        if (kPattern[i] == 'd' ? c < '0' || c > '9' : c != kPattern[i]) return {};
    }
    if (raw.starts_with("0000")) return {};
    return std::string(raw);
}

void ReadExif(std::string_view stored, ImportedFileFacts& facts) {
    if (stored.empty()) return;
    // libexif finds the block by its header; some formats store the block without one.
    const std::string block = stored.starts_with(kExifStart)
                                  ? std::string(stored)
                                  : std::string(kExifStart) + std::string(stored);
    const std::optional<ExifTags> tags = ReadExifTags(block);
    if (!tags) return;
    if (tags->imageDescription && tags->imageDescription->ascii)
        facts.title = CleanTitle(tags->imageDescription->bytes);
    if (facts.title.empty() && tags->xpTitle && !tags->xpTitle->bytes.empty()) {
        const std::string& title = tags->xpTitle->bytes;
        facts.title = CleanTitle(
            FromUtf16Le(reinterpret_cast<const unsigned char*>(title.data()), title.size()));
    }
    for (const std::optional<ExifValue>& date : {tags->dateTimeOriginal, tags->dateTimeDigitized}) {
        if (date && date->ascii) facts.taken = CleanDate(date->bytes);
        if (!facts.taken.empty()) break;
    }
}

std::string XmlText(std::string_view raw) {
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            text += raw[i];
            continue;
        }
        const std::size_t end = raw.find(';', i);
        if (end == std::string_view::npos || end - i > 10) {
            text += raw[i];
            continue;
        }
        const std::string_view name = raw.substr(i + 1, end - i - 1);
        static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed = {
            {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
        bool known = false;
        for (const auto& [entity, c] : kNamed)
            if (name == entity) {
                text += c;
                known = true;
            }
        if (!known && name.starts_with('#') && name.size() > 1) {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            std::uint32_t code = 0;
            bool digits = name.size() > (hex ? 2u : 1u);
            for (const char c : name.substr(hex ? 2 : 1)) {
                const int digit = c >= '0' && c <= '9'          ? c - '0'
                                  : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                : -1;
                if (digit < 0 || code > 0x10FFFF) digits = false;
                if (!digits) break;
                code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
            }
            if (digits && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code >= 0xE000)) {
                AppendUtf8(text, code);
                known = true;
            }
        }
        if (!known) {
            text += raw[i];
            continue;
        }
        i = end;
    }
    return text;
}

// The first alternative of dc:title in an XMP packet.
std::string XmpTitle(std::string_view xmp) {
    const std::size_t title = xmp.find("<dc:title");
    if (title == std::string_view::npos) return {};
    const std::size_t end = xmp.find("</dc:title>", title);
    const std::size_t item = xmp.find("<rdf:li", title);
    if (item == std::string_view::npos || item > end) return {};
    const std::size_t start = xmp.find('>', item);
    const std::size_t stop = xmp.find("</rdf:li>", item);
    if (start == std::string_view::npos || stop == std::string_view::npos || start >= stop)
        return {};
    return CleanTitle(XmlText(xmp.substr(start + 1, stop - start - 1)));
}

// IPTC's caption (2:120), else its object name (2:05). Its records are found by their tag
// bytes, so that the same search reads a JPEG's Photoshop segment and libvips's IPTC block.
std::string IptcTitle(std::string_view iptc) {
    for (const char dataset : {'\x78', '\x05'}) {
        const std::string tag{'\x1C', '\x02', dataset};
        for (std::size_t at = iptc.find(tag); at != std::string_view::npos && at + 5 <= iptc.size();
             at = iptc.find(tag, at + 1)) {
            const std::size_t length = (static_cast<unsigned char>(iptc[at + 3]) << 8) |
                                       static_cast<unsigned char>(iptc[at + 4]);
            // A length with the high bit set is an extended one, which no caption needs.
            if (length >= 0x8000 || at + 5 + length > iptc.size()) continue;
            std::string title = CleanTitle(iptc.substr(at + 5, length));
            if (!title.empty()) return title;
        }
    }
    return {};
}

// The EXIF, XMP and IPTC segments of a JPEG's first bytes; the walk ends at the picture data.
PictureMetadata JpegMetadata(std::string_view head) {
    PictureMetadata found;
    if (!head.starts_with("\xFF\xD8")) return found;
    std::size_t at = 2;
    while (at + 4 <= head.size()) {
        if (static_cast<unsigned char>(head[at]) != 0xFF) break;
        const auto marker = static_cast<unsigned char>(head[at + 1]);
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xDA || (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 &&
                               marker != 0xC8 && marker != 0xCC))
            break;
        const std::size_t length = (static_cast<unsigned char>(head[at + 2]) << 8) |
                                   static_cast<unsigned char>(head[at + 3]);
        if (length < 2) break;
        const std::string_view segment = head.substr(at + 4, length - 2);
        if (marker == 0xE1 && found.exif.empty() && segment.starts_with(kExifStart))
            found.exif = segment;
        else if (marker == 0xE1 && found.xmp.empty() && segment.starts_with(kXmpStart))
            found.xmp = segment.substr(kXmpStart.size());
        else if (marker == 0xED && found.iptc.empty() && segment.starts_with("Photoshop 3.0"))
            found.iptc = segment;
        at += 2 + length;
    }
    return found;
}

// The first bytes of a regular file; a FIFO or device named like a picture is never waited on.
std::string FileHead(const fs::path& path, std::size_t limit) {
    std::error_code error;
    const CFileDescriptor file = OpenRegularFile(path, LinkRule::Follow, error);
    if (!file.IsOpen()) return {};
    std::string head(limit, '\0');
    head.resize(ReadUpTo(file, head.data(), limit));
    return head;
}

}  // namespace

ImportedFileFacts ReadImportFacts(const fs::path& path) {
    ImportedFileFacts facts;
    const std::string name = AsciiUpper(Utf8FromPath(path.filename()));
    const std::string_view extension = [&]() -> std::string_view {
        const std::size_t dot = name.rfind('.');
        return dot == std::string::npos ? std::string_view() : std::string_view(name).substr(dot);
    }();
    PictureMetadata metadata;
    if (extension == ".JPG" || extension == ".JPEG" || extension == ".JPE") {
        metadata = JpegMetadata(FileHead(path, kJpegHeadBytes));
    } else if (extension == ".HEIC" || extension == ".HEIF" || extension == ".AVIF" ||
               extension == ".JXL" || extension == ".PNG" || extension == ".WEBP") {
        if (std::optional<PictureMetadata> read = ReadPictureMetadata(path)) metadata = *read;
    } else if (ClassifyFile(name, true) == CategoryVideo) {
        // A video has no title of its own, but when it was recorded orders it among the photos.
        if (const std::optional<VideoFacts> video = ReadVideoFacts(path).facts)
            facts.taken = video->created.value_or(std::string());
        return facts;
    } else {
        return facts;
    }
    ReadExif(metadata.exif, facts);
    if (facts.title.empty()) facts.title = XmpTitle(metadata.xmp);
    if (facts.title.empty()) facts.title = IptcTitle(metadata.iptc);
    return facts;
}
