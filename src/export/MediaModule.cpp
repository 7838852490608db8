#include "MediaModule.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <system_error>

#include "ExportLocation.h"
#include "ProgramInfo.h"
#include "SharedLibrary.h"

namespace fs = std::filesystem;

namespace {

struct LoadedModule {
    const MediaFunctions* functions = nullptr;
    std::string failure;
};

std::once_flag loadOnce;
std::atomic<bool> loadTried{false};
LoadedModule loaded;

LoadedModule Load() {
    LoadedModule result;
    const fs::path path = MediaModulePath();
    const auto fail = [&](const std::string& why) {
        result.failure = "the picture module " + path.string() + " could not be loaded: " + why;
        return result;
    };
    std::string error;
    const CSharedLibrary library = CSharedLibrary::Load(path, error);
    if (!library.IsLoaded()) return fail(error);
    void* entry = library.Symbol(kMediaEntryPoint, error);
    if (entry == nullptr) return fail(error);
    const auto functions = reinterpret_cast<const MediaFunctions* (*)()>(entry)();
    if (functions == nullptr || functions->interface != kMediaInterface ||
        functions->size != sizeof(MediaFunctions))
        return fail("it belongs to another version of the program");
    result.functions = functions;
    return result;
}

const MediaFunctions* Functions() {
    std::call_once(loadOnce, [] {
        loaded = Load();
        loadTried.store(true, std::memory_order_release);
    });
    return loaded.functions;
}

}  // namespace

fs::path MediaModulePath() {
    if (const char* chosen = std::getenv("PAGELORN_MEDIA_MODULE"); chosen != nullptr && *chosen)
        return chosen;
    std::error_code error;
    const fs::path program = ProgramFolder();
    const fs::path beside =
        program.empty() ? fs::path() : (program / kMediaModuleFromProgram).lexically_normal();
    if (!beside.empty() && fs::exists(beside, error)) return beside;
    const fs::path built(kMediaModuleInBuildTree);
    if (fs::exists(built, error)) return built;
    return beside.empty() ? built : beside;
}

std::optional<std::string> MediaModuleFailure() {
    if (!loadTried.load(std::memory_order_acquire) || loaded.functions != nullptr)
        return std::nullopt;
    return loaded.failure;
}

std::optional<PictureHeader> ReadPictureHeader(const fs::path& path) {
    const MediaFunctions* media = Functions();
    return media != nullptr ? media->readPictureHeader(path) : std::nullopt;
}

ThumbnailOutcome MakeThumbnailFile(const fs::path& source, const fs::path& target, int maxSide,
                                   ThumbnailFormat format, int quality, std::int64_t maxPixels) {
    if (const MediaFunctions* media = Functions())
        return media->makeThumbnailFile(source, target, maxSide, format, quality, maxPixels);
    ThumbnailOutcome outcome;
    outcome.reason = loaded.failure;
    return outcome;
}

ThumbnailOutcome MakeThumbnailFile(const fs::path& source, const CFolderHandle& folder,
                                   std::string_view name, const fs::path& shown, int maxSide,
                                   ThumbnailFormat format, int quality, std::int64_t maxPixels) {
    if (const MediaFunctions* media = Functions())
        return media->makeThumbnailFileIn(source, folder, name, shown, maxSide, format, quality,
                                          maxPixels);
    ThumbnailOutcome outcome;
    outcome.reason = loaded.failure;
    return outcome;
}

ThumbnailOutcome MakeThumbnailFile(const RgbPicture& picture, int quarterTurns,
                                   const CFolderHandle& folder, std::string_view name,
                                   const fs::path& shown, int maxSide, int quality,
                                   std::int64_t modifiedNs) {
    if (const MediaFunctions* media = Functions())
        return media->makeThumbnailFileOf(picture, quarterTurns, folder, name, shown, maxSide,
                                          quality, modifiedNs);
    ThumbnailOutcome outcome;
    outcome.reason = loaded.failure;
    return outcome;
}

std::optional<PicturePixels> ReadPicturePixels(const fs::path& path, int maxSide,
                                               std::int64_t maxPixels) {
    const MediaFunctions* media = Functions();
    return media != nullptr ? media->readPicturePixels(path, maxSide, maxPixels) : std::nullopt;
}

std::optional<PictureMetadata> ReadPictureMetadata(const fs::path& path) {
    const MediaFunctions* media = Functions();
    return media != nullptr ? media->readPictureMetadata(path) : std::nullopt;
}

std::optional<ExifTags> ReadExifTags(std::string_view block) {
    const MediaFunctions* media = Functions();
    return media != nullptr ? media->readExifTags(block) : std::nullopt;
}

std::optional<ExifTags> ReadExifTagsOfFile(const fs::path& path) {
    const MediaFunctions* media = Functions();
    return media != nullptr ? media->readExifTagsOfFile(path) : std::nullopt;
}

VideoProbe ReadVideoFacts(const fs::path& path) {
    if (const MediaFunctions* media = Functions()) return media->readVideoFacts(path);
    return VideoProbe{std::nullopt, loaded.failure};
}

ThumbnailOutcome MakePosterFiles(const fs::path& source, const CFolderHandle& folder,
                                 const std::vector<PosterFile>& files, int quality,
                                 std::int64_t maxPixels) {
    if (const MediaFunctions* media = Functions())
        return media->makePosterFiles(source, folder, files, quality, maxPixels);
    ThumbnailOutcome outcome;
    outcome.reason = loaded.failure;
    return outcome;
}
