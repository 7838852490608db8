#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// One EXIF entry as stored: whether it is ASCII text, and its bytes.
struct ExifValue {
    bool ascii = false;
    std::string bytes;
};

// The EXIF entries the program reads, each there when the block holds it.
struct ExifTags {
    int orientation = 1;  // 1 to 8; 1 when the block names none or names it wrongly
    std::optional<ExifValue> imageDescription;   // IFD0
    std::optional<ExifValue> xpTitle;            // IFD0, UTF-16 in little-endian byte order
    std::optional<ExifValue> dateTime;           // IFD0
    std::optional<ExifValue> dateTimeOriginal;   // EXIF IFD
    std::optional<ExifValue> dateTimeDigitized;  // EXIF IFD
};

// The entries of an EXIF block that starts "Exif\0\0" (as a JPEG's APP1 segment does); nothing when
// the picture module is not there. Only what is asked for is looked at: no mandatory tags are
// added and no unknown ones read.
std::optional<ExifTags> ReadExifTags(std::string_view block);
// The same of the EXIF block a file holds; nothing when it has none or cannot be read.
std::optional<ExifTags> ReadExifTagsOfFile(const std::filesystem::path& path);
