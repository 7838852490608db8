#include "VideoPoster.h"

#include <cstdio>
#include <system_error>

namespace fs = std::filesystem;

ThumbnailOutcome MakePosterFile(const fs::path& source, const CFolderHandle& folder,
                                std::string_view name, const fs::path& shown, int maxSide,
                                int quality, std::int64_t maxPixels) {
    return MakePosterFiles(source, folder, {PosterFile{std::string(name), shown, maxSide}}, quality,
                           maxPixels);
}

ThumbnailOutcome MakePosterFile(const fs::path& source, const fs::path& target, int maxSide,
                                int quality, std::int64_t maxPixels) {
    std::error_code error;
    const CFolderHandle folder = CFolderHandle::OpenFolderOf(target, error);
    if (!folder.IsOpen()) {
        ThumbnailOutcome outcome;
        outcome.reason = "could not be written: " + error.message();
        return outcome;
    }
    return MakePosterFile(source, folder, target.filename().string(), target, maxSide, quality,
                          maxPixels);
}

std::string DurationText(std::int64_t durationMs) {
    const std::int64_t seconds = durationMs > 0 ? durationMs / 1000 : 0;
    char text[32];
    if (seconds >= 3600)
        std::snprintf(
            text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    return text;
}
