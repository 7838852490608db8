#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "Outcome.h"

// How the export treats pictures.
struct CPictureSettings {
    bool thumbnails = false;   // make thumbnail files for the pages
    int box = 100;             // longest side of a thumbnail on the page, in page pixels
    int density = 2;           // pixels in the thumbnail file per page pixel
    int quality = 85;          // JPEG quality of thumbnail files
    bool modernTypes = false;  // PNG and WebP are pictures too, shown in the box
    // A picture whose header declares more pixels than this (in millions) gets no thumbnail: it
    // is never decoded, as a few bytes can declare a picture of gigabytes.
    int maxMegapixels = 100;
    // Longest side of the screen-sized picture on a picture's own page (modern pages); 0: none,
    // the page shows the thumbnail and links to the picture.
    int view = 1600;

    bool operator==(const CPictureSettings&) const = default;
};

// What an import makes of the files it brings in.
struct CImportSettings {
    enum class Caption {
        File,  // the file's name, as always
        Name,  // the file's name without its extension
        Title  // the title a picture holds, else the name without its extension
    };
    enum class Order {
        Name,  // by name, as always
        Date   // pictures by the date they were taken, then the rest by name
    };
    Caption caption = Caption::File;
    Order order = Order::Name;
    bool skip = false;  // hidden files and folders and the junk systems leave are left out

    bool operator==(const CImportSettings&) const = default;
};

// Where the website is published: "sftp://user@host[:port]/path", "ftps://..." or "ftp://..."
// (empty: nowhere yet). Passwords are never kept here.
struct CPublishSettings {
    std::string url;

    bool operator==(const CPublishSettings&) const = default;
};

// The ranges the settings file and the Pictures page accept.
inline constexpr int kMinThumbnailBox = 16;
inline constexpr int kMaxThumbnailBox = 1000;
inline constexpr int kMinDensity = 1;
inline constexpr int kMaxDensity = 4;
inline constexpr int kMinQuality = 1;
inline constexpr int kMaxQuality = 100;
inline constexpr int kMinMegapixels = 1;
inline constexpr int kMaxMegapixels = 1000;
inline constexpr int kMaxViewSide = 8000;

// A settings file larger than this, or nesting objects and arrays deeper than this, is damaged:
// it is refused before it costs memory or stack.
inline constexpr std::uintmax_t kMaxSettingsFileSize = 1024 * 1024;
inline constexpr int kMaxSettingsNesting = 64;

// How the pages look: "classic" as every project always had them (HTML 4, a layout table), or
// "modern" (HTML5 with one stylesheet, a grid that reflows on a phone, a page for every picture,
// video and sound).
enum class PageStyle { Classic, Modern };

struct CPageSettings {
    PageStyle style = PageStyle::Classic;

    bool operator==(const CPageSettings&) const = default;
};

// "classic" or "modern", as the settings file spells it.
const char* PageStyleName(PageStyle style);

enum class SettingsLoadStatus {
    Missing,  // no settings file: every setting off
    Read,
    Damaged  // the file is there but cannot be used: every setting off, message says why
};

struct SettingsLoadResult {
    SettingsLoadStatus status = SettingsLoadStatus::Missing;
    std::string message;  // Damaged: the file, the line where known, and the reason
};

enum class SettingsSave {
    KeepDamaged,      // a damaged file that was read is left alone (the save fails)
    OverwriteDamaged  // the user agreed to replace it
};

struct SettingsSaveResult : Outcome {
    bool refusedDamaged = false;  // nothing written: the file on disk is damaged and was kept
};

// The website's settings that the project file has no room for. They live beside the project,
// in NAME.www.json. A project without that file behaves as every project always has: every
// setting off. Keys this program does not know are kept when it rewrites the file, so a newer
// program's settings survive an older one.
class CWebsiteSettings {
public:
    CPictureSettings pictures;
    CPageSettings pages;
    CImportSettings importing;  // the section "import"
    CPublishSettings publish;

    CWebsiteSettings();
    CWebsiteSettings(const CWebsiteSettings& other);
    CWebsiteSettings& operator=(const CWebsiteSettings& other);
    CWebsiteSettings(CWebsiteSettings&&) noexcept;
    CWebsiteSettings& operator=(CWebsiteSettings&&) noexcept;
    ~CWebsiteSettings();

    // What a new project starts with: modern pages, thumbnails on, today's file types, and imports
    // captioned by the pictures' titles, in the order they were taken, without junk.
    static CWebsiteSettings ForNewProject();

    // The settings file that was found damaged when these settings were read (empty when none
    // was): saving over it needs the user's agreement (SettingsSave::OverwriteDamaged).
    const std::filesystem::path& DamagedFile() const { return damagedFile; }

    // The file's text with the known settings written into it and every other key kept.
    std::string ToJson() const;

    bool operator==(const CWebsiteSettings& other) const {
        return pictures == other.pictures && pages == other.pages && importing == other.importing &&
               publish == other.publish;
    }

private:
    friend SettingsLoadResult ParseWebsiteSettings(const std::string&, const std::string&,
                                                   CWebsiteSettings&);
    friend SettingsLoadResult LoadWebsiteSettings(const std::filesystem::path&, CWebsiteSettings&);
    friend SettingsSaveResult SaveWebsiteSettings(const std::filesystem::path&, CWebsiteSettings&,
                                                  SettingsSave);
    struct Document;
    std::unique_ptr<Document> document;  // the whole file as read, unknown keys included
    std::filesystem::path damagedFile;
};

// What the JSON parser's message ("... syntax error while parsing object key - unexpected '}';
// expected string literal") says, in words for someone editing the file by hand: "at column 3,
// there is "}" where a name or text in double quotes belongs".
std::string PlainParseReason(const std::string& what);

// NAME.www.json beside NAME.www.
std::filesystem::path WebsiteSettingsPath(const std::filesystem::path& projectFile);

// Reads the settings of the project file's website into `settings` (every setting off when there
// is no file or it cannot be used).
SettingsLoadResult LoadWebsiteSettings(const std::filesystem::path& projectFile,
                                       CWebsiteSettings& settings);
// The same for a file's text; `shownName` names the file in messages.
SettingsLoadResult ParseWebsiteSettings(const std::string& text, const std::string& shownName,
                                        CWebsiteSettings& settings);

// Writes NAME.www.json atomically beside the project file. Once the damaged file the settings
// were read from is replaced, the settings no longer count as coming from it.
SettingsSaveResult SaveWebsiteSettings(const std::filesystem::path& projectFile,
                                       CWebsiteSettings& settings,
                                       SettingsSave damaged = SettingsSave::KeepDamaged);
