#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "ExifTags.h"
#include "ThumbnailFile.h"
#include "VideoPoster.h"

// The code that needs libvips, libexif and FFmpeg's libraries lives in a module of its own
// (libpagelorn_media.so in the program's library folder), so that starting the program, showing
// or editing a project and an export without pictures or videos load none of those libraries. The
// functions of ThumbnailFile.h, ExifTags.h and VideoPoster.h (but DurationText) load it the first
// time one of them is called, once for the whole process, and call into it; the module defines the
// same functions for itself and hands them over in one table.

// Changes whenever the table changes: a module of another build is refused.
inline constexpr std::uint32_t kMediaInterface = 3;

struct MediaFunctions {
    std::uint32_t interface = kMediaInterface;
    std::size_t size = sizeof(MediaFunctions);
    std::optional<PictureHeader> (*readPictureHeader)(const std::filesystem::path&) = nullptr;
    ThumbnailOutcome (*makeThumbnailFile)(const std::filesystem::path& source,
                                          const std::filesystem::path& target, int maxSide,
                                          ThumbnailFormat format, int quality,
                                          std::int64_t maxPixels) = nullptr;
    ThumbnailOutcome (*makeThumbnailFileIn)(const std::filesystem::path& source,
                                            const CFolderHandle& folder, std::string_view name,
                                            const std::filesystem::path& shown, int maxSide,
                                            ThumbnailFormat format, int quality,
                                            std::int64_t maxPixels) = nullptr;
    ThumbnailOutcome (*makeThumbnailFileOf)(const RgbPicture& picture, int quarterTurns,
                                            const CFolderHandle& folder, std::string_view name,
                                            const std::filesystem::path& shown, int maxSide,
                                            int quality, std::int64_t modifiedNs) = nullptr;
    std::optional<PicturePixels> (*readPicturePixels)(const std::filesystem::path&, int maxSide,
                                                      std::int64_t maxPixels) = nullptr;
    std::optional<PictureMetadata> (*readPictureMetadata)(const std::filesystem::path&) = nullptr;
    std::optional<ExifTags> (*readExifTags)(std::string_view block) = nullptr;
    std::optional<ExifTags> (*readExifTagsOfFile)(const std::filesystem::path&) = nullptr;
    VideoProbe (*readVideoFacts)(const std::filesystem::path&) = nullptr;
    ThumbnailOutcome (*makePosterFiles)(const std::filesystem::path& source,
                                        const CFolderHandle& folder,
                                        const std::vector<PosterFile>& files, int quality,
                                        std::int64_t maxPixels) = nullptr;
};

// The one symbol the module exports: `extern "C" const MediaFunctions* PagelornMediaFunctions()`.
inline constexpr const char* kMediaEntryPoint = "PagelornMediaFunctions";

// Where the module is looked for: the file PAGELORN_MEDIA_MODULE names when it is set, else the
// program's library folder relative to the program, else (for the tests and a program run from
// another folder of the build) the build tree's.
std::filesystem::path MediaModulePath();

// Why the module could not be loaded ("the picture module /usr/lib/pagelorn/libpagelorn_media.so
// could not be loaded: ..."); nothing while it has not been asked for or when it was loaded.
// Asking never loads it.
std::optional<std::string> MediaModuleFailure();
