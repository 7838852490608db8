#include "ExifTags.h"

#include <libexif/exif-data.h>

#include <memory>

namespace {

struct ExifDataUnref {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

std::optional<ExifValue> ValueOf(ExifContent* content, ExifTag tag) {
    const ExifEntry* entry = exif_content_get_entry(content, tag);
    if (entry == nullptr) return std::nullopt;
    ExifValue value;
    value.ascii = entry->format == EXIF_FORMAT_ASCII;
    if (entry->data != nullptr)
        value.bytes.assign(reinterpret_cast<const char*>(entry->data), entry->size);
    return value;
}

int OrientationOf(ExifData* data) {
    const ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 ||
        entry->data == nullptr || entry->size < 2)
        return 1;
    const int orientation = exif_get_short(entry->data, exif_data_get_byte_order(data));
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

ExifTags TagsOf(ExifData* data) {
    ExifTags tags;
    ExifContent* main = data->ifd[EXIF_IFD_0];
    ExifContent* exif = data->ifd[EXIF_IFD_EXIF];
    tags.orientation = OrientationOf(data);
    tags.imageDescription = ValueOf(main, EXIF_TAG_IMAGE_DESCRIPTION);
    tags.xpTitle = ValueOf(main, EXIF_TAG_XP_TITLE);
    tags.dateTime = ValueOf(main, EXIF_TAG_DATE_TIME);
    tags.dateTimeOriginal = ValueOf(exif, EXIF_TAG_DATE_TIME_ORIGINAL);
    tags.dateTimeDigitized = ValueOf(exif, EXIF_TAG_DATE_TIME_DIGITIZED);
    return tags;
}

}  // namespace

std::optional<ExifTags> ReadExifTags(std::string_view block) {
    std::unique_ptr<ExifData, ExifDataUnref> data(exif_data_new());
    if (!data) return std::nullopt;
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(block.data()),
                        static_cast<unsigned int>(block.size()));
    return TagsOf(data.get());
}

std::optional<ExifTags> ReadExifTagsOfFile(const std::filesystem::path& path) {
    std::unique_ptr<ExifData, ExifDataUnref> data(exif_data_new_from_file(path.string().c_str()));
    if (!data) return std::nullopt;
    return TagsOf(data.get());
}
