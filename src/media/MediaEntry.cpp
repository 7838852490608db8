#include "MediaModule.h"

namespace {

// The module's own definitions of the functions the core forwards; every symbol of the module
// but the entry point is hidden, so these never meet the core's.
MediaFunctions MakeTable() {
    MediaFunctions table;
    table.readPictureHeader = &ReadPictureHeader;
    table.makeThumbnailFile =
        static_cast<ThumbnailOutcome (*)(const std::filesystem::path&, const std::filesystem::path&,
                                         int, ThumbnailFormat, int, std::int64_t)>(
            &MakeThumbnailFile);
    table.makeThumbnailFileIn = static_cast<ThumbnailOutcome (*)(
        const std::filesystem::path&, const CFolderHandle&, std::string_view,
        const std::filesystem::path&, int, ThumbnailFormat, int, std::int64_t)>(&MakeThumbnailFile);
    table.makeThumbnailFileOf = static_cast<ThumbnailOutcome (*)(
        const RgbPicture&, int, const CFolderHandle&, std::string_view,
        const std::filesystem::path&, int, int, std::int64_t)>(&MakeThumbnailFile);
    table.readPicturePixels = &ReadPicturePixels;
    table.readPictureMetadata = &ReadPictureMetadata;
    table.readExifTags = &ReadExifTags;
    table.readExifTagsOfFile = &ReadExifTagsOfFile;
    table.readVideoFacts = &ReadVideoFacts;
    table.makePosterFiles = &MakePosterFiles;
    return table;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const MediaFunctions* PagelornMediaFunctions() {
    static const MediaFunctions table = MakeTable();
    return &table;
}
