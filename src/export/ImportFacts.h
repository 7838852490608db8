#pragma once

#include <filesystem>
#include <string>

#include "SiteImport.h"

// The title a picture holds and the date it was taken, for an import to caption and order by.
// The title is EXIF's ImageDescription, else its XPTitle (as Windows writes it), else XMP's
// dc:title, else IPTC's caption or object name; the placeholders cameras write ("OLYMPUS DIGITAL
// CAMERA") are no title. The date is EXIF's DateTimeOriginal (else DateTimeDigitized). JPEG files
// are read by their first segments only; HEIC, HEIF, AVIF, JPEG XL, PNG and WebP files through
// libvips's reading of their headers. Any other file, and one that cannot be read, has neither.
// Texts come out as UTF-8: a title that is not valid UTF-8 is read as Latin-1.
ImportedFileFacts ReadImportFacts(const std::filesystem::path& path);
