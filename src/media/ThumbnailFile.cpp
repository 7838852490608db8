#include "ThumbnailFile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <string_view>
#include <system_error>
#include <vips/vips8>

#include "FileStatus.h"
#include "FileWrite.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

// The loaders a website's pictures may go through. HEIC, HEIF and AVIF come through libheif, JPEG
// XL through libjxl; browsers cannot show those, so their pages show them only as thumbnails.
constexpr std::array<std::string_view, 6> kPictureLoaders = {"jpegload_source", "gifload_source",
                                                             "pngload_source",  "webpload_source",
                                                             "heifload_source", "jxlload_source"};

bool StartVips() {
    static const bool started = [] {
        if (VIPS_INIT("pagelorn") != 0) return false;
        // Every picture is read once per export: caching decoded pictures would only grow memory.
        vips_cache_set_max(0);
        vips_cache_set_max_mem(0);
        // Callers make one thumbnail per thread; threads of the library's own on top of those
        // only fight over the cores (measured: 1.9 s against 1.4 s for 40 photos on 2 cores).
        vips_concurrency_set(1);
        // Loaders that hand the file to other programs or parse documents are not for pictures.
        vips_block_untrusted_set(TRUE);
        // libvips counts its JPEG XL loader among those only because it is young; libjxl itself
        // is the reference decoder, fuzzed upstream, and JPEG XL is a camera format of today.
        vips_operation_block_set("VipsForeignLoadJxl", FALSE);
        // A damaged picture is reported as a failure of its own; the library's warnings about
        // it would only clutter the terminal.
        g_log_set_handler(
            "VIPS", G_LOG_LEVEL_WARNING,
            [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
        return true;
    }();
    return started;
}

std::string VipsReason() {
    std::string reason = vips_error_buffer();
    vips_error_clear();
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
    if (const std::size_t newline = reason.rfind('\n'); newline != std::string::npos)
        reason = reason.substr(newline + 1);
    return reason.empty() ? std::string("the picture cannot be read") : reason;
}

// vips_foreign_find_load names the loader's class; its nickname ("jpegload") is what is stable.
bool IsPictureLoader(const char* loaderClass) {
    if (loaderClass == nullptr) return false;
    const char* nickname = vips_nickname_find(g_type_from_name(loaderClass));
    return nickname != nullptr && std::find(kPictureLoaders.begin(), kPictureLoaders.end(),
                                            std::string_view(nickname)) != kPictureLoaders.end();
}

// A picture file opened for libvips. Only a regular file is opened for long (a FIFO named
// "x.jpg" is never waited on), and libvips picks its loader by the file's bytes, not its name:
// a file named .jpg that holds a PDF is turned away.
class PictureSource {
public:
    explicit PictureSource(const fs::path& path) {
        std::error_code error;
        FileStatus status;
        const CFileDescriptor file = OpenRegularFile(path, LinkRule::Follow, error, &status);
        if (!file.IsOpen()) {
            // Whatever was opened and looked at is no regular file; what could not be opened
            // says why.
            problem = error == std::errc::invalid_argument ? "not a regular file" : error.message();
            return;
        }
        modifiedNs = status.stamp.modifiedNs;
        // The source reads from a duplicate of the descriptor.
        source = vips_source_new_from_descriptor(file.Get());
        if (source == nullptr || !IsPictureLoader(vips_foreign_find_load_source(source))) {
            vips_error_clear();
            problem = "not a JPEG, GIF, PNG, WebP, HEIC, AVIF or JPEG XL picture";
        }
    }
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;
    ~PictureSource() {
        if (source != nullptr) g_object_unref(source);
    }

    bool Usable() const { return problem.empty(); }
    const std::string& Problem() const { return problem; }
    VipsSource* Get() const { return source; }
    std::int64_t ModifiedNs() const { return modifiedNs; }

private:
    VipsSource* source = nullptr;
    std::string problem;
    std::int64_t modifiedNs = 0;
};

// libvips turns some operations (the reductions a picture is shrunk with among them) into machine
// code with Orc as it builds them, and frees that code when they go. Orc keeps that code in one
// list which it splits and merges without a lock, so two threads building or letting go of
// pipelines at once corrupt the list and the heap: about one export in ten of the 20,000-file
// benchmark crashed. Pipelines are built and let go of one at a time; their pixels are still
// computed, and their files encoded, on every thread at once.
std::mutex pipelineLock;

// An image at the end of a pipeline built under that lock, and let go of under it.
class CPipeline {
public:
    template <typename Build>
    explicit CPipeline(Build build) {
        const std::scoped_lock lock(pipelineLock);
        image = build();
    }
    CPipeline(const CPipeline&) = delete;
    CPipeline& operator=(const CPipeline&) = delete;
    ~CPipeline() {
        const std::scoped_lock lock(pipelineLock);
        image = vips::VImage();
    }

    vips::VImage image;
};

// The picture shrunk to fit maxSide, upright, as 8-bit sRGB (or grey).
vips::VImage ShrunkPicture(const PictureSource& picture, int maxSide) {
    vips::VImage image = vips::VImage::thumbnail_source(
        vips::VSource(picture.Get(), vips::NOSTEAL), maxSide,
        vips::VImage::option()
            ->set("height", maxSide)
            ->set("size", VIPS_SIZE_DOWN)
            // A damaged picture, one cut short among them, is reported, not shown half grey.
            // Reading from a source, the loader takes the setting from the option string.
            ->set("fail_on", VIPS_FAIL_ON_ERROR)
            ->set("option_string", "fail_on=error"));
    // Pages are shown in sRGB; 16-bit and grey pictures become plain 8-bit colour here.
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB &&
        image.interpretation() != VIPS_INTERPRETATION_B_W)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
    return image;
}

// What the picture's header says; the picture itself is not decoded.
std::optional<PictureHeader> HeaderOf(const PictureSource& source) {
    VipsImage* raw =
        vips_image_new_from_source(source.Get(), "", "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
    if (raw == nullptr) {
        vips_error_clear();
        return std::nullopt;
    }
    const vips::VImage image(raw);
    PictureHeader header;
    header.width = image.width();
    header.height = image.height();
    header.orientation = std::clamp(vips_image_get_orientation(raw), 1, 8);
    header.hasAlpha = image.has_alpha();
    if (vips_image_get_orientation_swap(raw)) std::swap(header.width, header.height);
    if (header.width <= 0 || header.height <= 0) return std::nullopt;
    return header;
}

// Encodes the thumbnail in memory (a thumbnail is small) and writes it as any file of the export
// is, inside the folder held open. Throws vips::VError when it cannot be encoded.
ThumbnailOutcome WriteThumbnail(vips::VImage thumbnail, const CFolderHandle& folder,
                                std::string_view name, const fs::path& shown,
                                ThumbnailFormat format, int quality, std::int64_t modifiedNs) {
    ThumbnailOutcome outcome;
    VipsBlob* blob = nullptr;
    if (format == ThumbnailFormat::Jpeg) {
        if (thumbnail.has_alpha())
            thumbnail = thumbnail.flatten(
                vips::VImage::option()->set("background", std::vector<double>{255.0}));
        blob = thumbnail.jpegsave_buffer(vips::VImage::option()
                                             ->set("Q", std::clamp(quality, 1, 100))
                                             ->set("strip", true)
                                             ->set("optimize_coding", true));
    } else {
        blob = thumbnail.pngsave_buffer(vips::VImage::option()->set("strip", true));
    }
    outcome.width = thumbnail.width();
    outcome.height = thumbnail.height();
    std::size_t size = 0;
    const auto* data =
        static_cast<const char*>(vips_area_get_data(&blob->area, &size, nullptr, nullptr, nullptr));
    const FileWriteResult written =
        ReplaceFile(folder, name, shown, std::string_view(data, size), modifiedNs);
    vips_area_unref(&blob->area);
    if (!written) {
        outcome.reason = "could not be written: " + written.reason;
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

bool TooManyPixels(const PictureHeader& header, std::int64_t maxPixels) {
    return static_cast<std::int64_t>(header.width) * header.height > maxPixels;
}

}  // namespace

std::optional<PictureHeader> ReadPictureHeader(const fs::path& path) {
    if (!StartVips()) return std::nullopt;
    const PictureSource source(path);
    if (!source.Usable()) return std::nullopt;
    return HeaderOf(source);
}

ThumbnailOutcome MakeThumbnailFile(const fs::path& source, const CFolderHandle& folder,
                                   std::string_view name, const fs::path& shown, int maxSide,
                                   ThumbnailFormat format, int quality, std::int64_t maxPixels) {
    ThumbnailOutcome outcome;
    if (!StartVips()) {
        outcome.reason = "the picture library could not be started";
        return outcome;
    }
    const PictureSource picture(source);
    if (!picture.Usable()) {
        outcome.reason = picture.Problem();
        return outcome;
    }
    // The size is looked at again here: the file may have changed since the export was planned.
    const std::optional<PictureHeader> header = HeaderOf(picture);
    if (!header) {
        outcome.reason = "the picture cannot be read";
        return outcome;
    }
    if (TooManyPixels(*header, maxPixels)) {
        outcome.reason = TooLargeForThumbnail(header->width, header->height);
        return outcome;
    }
    try {
        const CPipeline shrunk([&] { return ShrunkPicture(picture, maxSide); });
        return WriteThumbnail(shrunk.image, folder, name, shown, format, quality,
                              picture.ModifiedNs());
    } catch (const vips::VError&) {
        outcome.reason = VipsReason();
        return outcome;
    }
}

ThumbnailOutcome MakeThumbnailFile(const RgbPicture& picture, int quarterTurns,
                                   const CFolderHandle& folder, std::string_view name,
                                   const fs::path& shown, int maxSide, int quality,
                                   std::int64_t modifiedNs) {
    ThumbnailOutcome outcome;
    if (!StartVips()) {
        outcome.reason = "the picture library could not be started";
        return outcome;
    }
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() != static_cast<std::size_t>(picture.width) * picture.height * 3) {
        outcome.reason = "the picture cannot be read";
        return outcome;
    }
    try {
        const CPipeline shrunk([&] {
            vips::VImage image = vips::VImage::new_from_memory(
                const_cast<unsigned char*>(picture.rgb.data()), picture.rgb.size(), picture.width,
                picture.height, 3, VIPS_FORMAT_UCHAR);
            static constexpr VipsAngle kTurns[] = {VIPS_ANGLE_D0, VIPS_ANGLE_D90, VIPS_ANGLE_D180,
                                                   VIPS_ANGLE_D270};
            const VipsAngle turn = kTurns[((quarterTurns % 4) + 4) % 4];
            if (turn != VIPS_ANGLE_D0) image = image.rot(turn);
            return image.thumbnail_image(
                maxSide,
                vips::VImage::option()->set("height", maxSide)->set("size", VIPS_SIZE_DOWN));
        });
        return WriteThumbnail(shrunk.image, folder, name, shown, ThumbnailFormat::Jpeg, quality,
                              modifiedNs);
    } catch (const vips::VError&) {
        outcome.reason = VipsReason();
        return outcome;
    }
}

ThumbnailOutcome MakeThumbnailFile(const fs::path& source, const fs::path& target, int maxSide,
                                   ThumbnailFormat format, int quality, std::int64_t maxPixels) {
    std::error_code error;
    const CFolderHandle folder = CFolderHandle::OpenFolderOf(target, error);
    if (!folder.IsOpen()) {
        ThumbnailOutcome outcome;
        outcome.reason = "could not be written: " + error.message();
        return outcome;
    }
    return MakeThumbnailFile(source, folder, Utf8FromPath(target.filename()), target, maxSide,
                             format, quality, maxPixels);
}

std::optional<PicturePixels> ReadPicturePixels(const fs::path& path, int maxSide,
                                               std::int64_t maxPixels) {
    if (!StartVips()) return std::nullopt;
    const PictureSource picture(path);
    if (!picture.Usable()) return std::nullopt;
    const std::optional<PictureHeader> header = HeaderOf(picture);
    if (!header || TooManyPixels(*header, maxPixels)) return std::nullopt;
    PicturePixels pixels;
    pixels.naturalWidth = header->width;
    pixels.naturalHeight = header->height;
    try {
        const CPipeline rgba([&] {
            vips::VImage image = ShrunkPicture(picture, std::max(maxSide, 1));
            // Grey, with or without alpha, becomes three equal colour channels.
            if (image.bands() <= 2) {
                const vips::VImage grey = image.extract_band(0);
                vips::VImage colour = grey.bandjoin(grey).bandjoin(grey);
                image = image.bands() == 2 ? colour.bandjoin(image.extract_band(1)) : colour;
            }
            if (image.bands() == 3) image = image.bandjoin_const({255.0});
            return image.extract_band(0, vips::VImage::option()->set("n", 4));
        });
        pixels.width = rgba.image.width();
        pixels.height = rgba.image.height();
        std::size_t size = 0;
        void* memory = rgba.image.write_to_memory(&size);
        const auto* bytes = static_cast<const unsigned char*>(memory);
        pixels.rgba.assign(bytes, bytes + size);
        g_free(memory);
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
    return pixels;
}

std::optional<PictureMetadata> ReadPictureMetadata(const fs::path& path) {
    if (!StartVips()) return std::nullopt;
    const PictureSource picture(path);
    if (!picture.Usable()) return std::nullopt;
    VipsImage* raw =
        vips_image_new_from_source(picture.Get(), "", "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
    if (raw == nullptr) {
        vips_error_clear();
        return std::nullopt;
    }
    const vips::VImage image(raw);
    const auto blob = [raw](const char* name) {
        const void* data = nullptr;
        std::size_t length = 0;
        if (vips_image_get_typeof(raw, name) == 0 ||
            vips_image_get_blob(raw, name, &data, &length) != 0 || data == nullptr) {
            vips_error_clear();
            return std::string();
        }
        return std::string(static_cast<const char*>(data), length);
    };
    return PictureMetadata{blob(VIPS_META_EXIF_NAME), blob(VIPS_META_XMP_NAME),
                           blob(VIPS_META_IPTC_NAME)};
}
