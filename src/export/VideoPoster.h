#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FolderHandle.h"
#include "ThumbnailFile.h"

// Posters for the pages' videos, made with FFmpeg's libraries: the container is read for the
// video's size, turn, duration and date, one frame about a tenth of the way in is decoded and
// written as a JPEG thumbnail (ThumbnailFile.h). Reading and decoding are carried out by the media
// module (MediaModule.h), as thumbnails are: when it cannot be loaded a video has no facts and no
// poster, with the reason.
//
// Only the containers websites and cameras use are opened (MP4 and QuickTime, Matroska and WebM,
// Ogg, AVI, MPEG program and transport streams, RealMedia), always from the one regular file
// named: a file that refers to others (a playlist, a reference movie) never opens them.

// What a video's container says.
struct VideoFacts {
    // The size a player shows, upright: a video its container turns a quarter (a phone held
    // upright) has its sides swapped, and pixels that are not square are stretched to be.
    int width = 0;
    int height = 0;
    int quarterTurns = 0;          // clockwise turns (0 to 3) that bring the frames upright
    std::int64_t durationMs = -1;  // -1 when the container does not say
    // When it was recorded, as the container says ("2026:07:14 09:30:00", as ReadDateTaken
    // writes a photo's, which sorts in time order); nothing when it does not say.
    std::optional<std::string> created;
};

struct VideoProbe {
    std::optional<VideoFacts> facts;  // nothing when the file is no video that can be read
    std::string reason;               // why, then
};

// Reads the container of a video file (not its frames). A file that is not a regular file is not
// waited on, nor one whose frames are larger than kMaxPictureSide (ThumbnailFile.h) either way.
VideoProbe ReadVideoFacts(const std::filesystem::path& path);

// Writes the poster of `source` into the entry `name` of `folder` (`shown`: its path, for
// messages): its frame about 10 % in (the first one for a video without a duration), upright, at
// most maxSide pixels on its longer side, a JPEG at `quality`, written whole or not at all with
// the modification time of the source as it was read. A video whose frames declare more than
// maxPixels pixels is never decoded; one whose frames cannot be decoded fails. Decodes on the
// calling thread only: callers make several posters at once instead.
ThumbnailOutcome MakePosterFile(const std::filesystem::path& source, const CFolderHandle& folder,
                                std::string_view name, const std::filesystem::path& shown,
                                int maxSide, int quality,
                                std::int64_t maxPixels = kDefaultMaxThumbnailPixels);
// The same to a path.
ThumbnailOutcome MakePosterFile(const std::filesystem::path& source,
                                const std::filesystem::path& target, int maxSide, int quality,
                                std::int64_t maxPixels = kDefaultMaxThumbnailPixels);

// One size of a poster: the entry `name` of the folder (`shown`: its path, for messages).
struct PosterFile {
    std::string name;
    std::filesystem::path shown;
    int maxSide = 0;
};
// The same at several sizes from the one frame decoded, into one folder: each file is what
// MakePosterFile makes at its size. Fails as a whole when one cannot be made; the outcome's size
// is the first file's.
ThumbnailOutcome MakePosterFiles(const std::filesystem::path& source, const CFolderHandle& folder,
                                 const std::vector<PosterFile>& files, int quality,
                                 std::int64_t maxPixels);

// A duration as pages show it: "0:07", "12:34", "1:02:03" (seconds rounded down).
std::string DurationText(std::int64_t durationMs);
