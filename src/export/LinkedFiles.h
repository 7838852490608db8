#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "CompactText.h"
#include "SiteFolder.h"
#include "SourceFiles.h"
#include "Thumbnail.h"
#include "UniqueNames.h"

// How an exported page shows a linked file, and the sub-folder of the export folder its copy goes
// to. Both picture categories share "image"; only web pictures are shown as pictures in the box.
enum FileCategory : int {
    CategoryWebImage = 0,
    CategoryImage = 1,
    CategoryDoc = 2,
    CategoryAudio = 3,
    CategoryVideo = 4,
    CategoryZip = 5,
    CategoryOthers = 6,
    // A picture that browsers cannot show themselves (HEIC, AVIF, JXL): its page shows it
    // through its thumbnail file, and links to it as to any other file where it has none.
    CategoryThumbnailImage = 7
};

// The category of a path or URL by its extension: everything after the last "." (the whole text
// when there is none), compared without regard to ASCII letter case. The search does not stop at
// folder separators, so "C:\DATA.V2\NOTES" has the extension "V2\NOTES" and is CategoryOthers.
// With modernTypes, PNG and WEBP are web pictures too (otherwise they are CategoryOthers); HEIC,
// HEIF, AVIF and JXL are CategoryThumbnailImage; MP4, WEBM, MOV, M4V, MKV and OGV are videos; OGG,
// OGA, OPUS, FLAC, M4A and AAC are audio (MP3 and WAV always are).
FileCategory ClassifyFile(std::string_view text, bool modernTypes = false);

// "image", "doc", "audio", "video", "zip" or "others".
std::string_view CategoryFolderName(FileCategory category);
// The index of the category's folder in kCategoryFolderNames.
std::size_t CategoryFolderIndex(FileCategory category);

// The six category sub-folders in the order the export creates them.
inline constexpr std::string_view kCategoryFolderNames[] = {"image", "doc", "audio",
                                                            "video", "zip", "others"};
inline constexpr std::size_t kCategoryFolderCount = std::size(kCategoryFolderNames);

// Upper case of the ASCII letters only; every other byte (UTF-8 included) stays as it is.
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);

// The text of a link the export writes to its own pages and copies. Every byte outside ASCII,
// every control character and the characters " % # ? & < > are percent-encoded ("%22", "%C3%A9"),
// so that the link ends where it should, names the file whatever charset the page declares and
// is never read as the start of a character reference. Other ASCII names are written as they are.
std::string EncodeLinkName(std::string_view name);

// The last name of a path whose names may be separated by "/" or "\" (projects made on Windows).
std::string_view FileNameOfPath(std::string_view path);

// A path held as bytes (as a project stores it) as a path on this system.
std::filesystem::path PathFromBytes(std::string_view bytes);

// The local path of an item's URL: "file://PATH" or "file:PATH" in any letter case gives PATH as
// spelled; any other URL gives nothing.
std::optional<std::string> LocalFilePath(std::string_view url);
// The same as a part of the URL's own text.
std::optional<std::string_view> LocalFilePathView(std::string_view url);

// What an item's URL refers to.
struct ItemTarget {
    bool localFile = false;  // the URL began with "FILE:" in any letter case
    std::string sourcePath;  // local files: the path as the URL spells it
    std::string link;        // what the page links to: the copy, or the URL as typed
    // What the box of a web picture shows: its thumbnail file, else the same as `link`.
    std::string pictureLink;
    FileCategory category = CategoryOthers;
    // The size a web picture's thumbnail is shown at (the whole box when it cannot be measured).
    PictureSize thumbnail{kDefaultPictureBox, kDefaultPictureBox};
    // A video's poster (a frame of it in the folder "thumb", shown at `thumbnail`), "" when it has
    // none, and its duration (-1 when not known).
    std::string posterLink;
    std::int64_t durationMs = -1;
};

// Whether an item's cell shows its picture rather than a link with its caption: a web picture
// always, a picture that browsers cannot show only through its thumbnail file.
bool ShowsPicture(const ItemTarget& target);

// How pages link to the website's own copies of local files. The composer asks for every file a
// page shows, while it composes: building the export's plan decides the links then (CLinkedFiles),
// and carrying the plan out composes the same pages again and looks the links up (CPlannedLinks).
class CPageLinks {
public:
    virtual ~CPageLinks() = default;
    // The link to the copy of a file a page shows under its own name (a background image, the
    // background sound), "./image/Back.gif"; "" for an empty path or one without a file name.
    // `property` names the setting that holds the path, for messages.
    virtual std::string FileLink(std::string_view path, std::string_view property) = 0;
    // What an item's cell links to: the copy of a local file (named in upper case) or the URL as
    // typed, with the thumbnail size of a web picture.
    virtual ItemTarget ItemLink(const CSiteItem& item) = 0;
};

// A local file the pages of an export link to: where it is read and the name of its copy. What
// only pictures and videos have, and what only a few files need, is held as CCompactText: a
// million documents leave those empty.
struct LinkedFile {
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::string source;      // the path as the project names it (first, when it has several)
    FoundSource found;       // where it is read and what the disk said of it
    std::size_t folder = 0;  // the category folder: an index into kCategoryFolderNames
    std::string name;        // the copy's file name; "" when the path names no file
    std::string link;        // "./image/LOGO.GIF"; "" when the path names no file
    // A clash with another source's copy: the name this one wanted and the file that has it.
    CCompactText wantedName;
    std::size_t clashWith = kNone;
    bool picture = false;        // a page shows it in the box, so its size is read
    bool thumbnailOnly = false;  // browsers cannot show it: only its thumbnail is shown
    bool thumbPng = false;       // the picture can be transparent: its thumbnail is a PNG
    bool video = false;          // a video whose poster is its thumbnail file
    PictureSize thumbnail{kDefaultPictureBox, kDefaultPictureBox};  // its size on the page
    // The thumbnail file made for it in the folder "thumb" ("" when the page shows the file
    // itself) and the link to it.
    CCompactText thumbName;
    CCompactText thumbLink;
    // Modern pages: the thumbnail at the box size beside thumbName (made from it), for screens
    // of one pixel a page pixel; "" when thumbName is that size already.
    CCompactText thumb1xName;
    // The picture's own size, upright, when it could be read.
    PictureSize natural{0, 0};
    // Modern pages: the screen-sized picture in the folder "view" ("" when the page shows the
    // copy itself), its size, and the one of twice its size where the picture is that large.
    CCompactText viewName;
    PictureSize view{0, 0};
    CCompactText view2xName;
    // Why the picture could not be read; the page shows the file itself in the box. For a video,
    // why it gets no poster; the page links to it.
    CCompactText pictureProblem;
    // A video's duration (-1 when not known).
    std::int64_t durationMs = -1;
    // When the video was recorded, as its container says in UTC ("2026:07:14 09:30:00"; "" when
    // it does not).
    CCompactText recorded;
    // Modern pages: the video's poster at the size of its page, made from the frame of its
    // thumbnail and lying beside it ("" when the thumbnail is that large already), and its size.
    CCompactText pagePosterName;
    PictureSize pagePoster{0, 0};
    // The first place in the project that names it: an item of a folder, or a setting.
    CFolderKey folderKey;
    CItemKey itemKey;
    CCompactText property;
};

// The linked files of one export, as its plan decides them: the copies' names and the links to
// them. Nothing is written here; each source is looked at on disk once (FindSource), so that
// every source file gets one copy however often and however spelled pages link to it
// ("src/logo.gif", "src//logo.gif", a hard link to it), and a path that does not exist as
// spelled finds its file without regard to letter case (CSourceFinder). Two different
// sources with the same name get their own copies, the second as NAME~2.EXT
// (then ~3 ...), and names that differ only in letter case count as the same name so that the
// website also works on file systems that do not tell case apart. A name is shortened (on a UTF-8
// character boundary, keeping its extension) where the number would make it longer than a file
// name may be.
class CLinkedFiles : public CPageLinks {
public:
    // sourceBase: the folder relative source paths are taken from (the project's folder; empty
    // for the current one).
    // modernTypes: PNG and WebP files are shown as pictures (ClassifyFile); a picture that
    // cannot be measured (a web address) is shown in a square of `box` pixels.
    CLinkedFiles() = default;
    explicit CLinkedFiles(std::filesystem::path sourceBase, bool modernTypes = false,
                          int box = kDefaultPictureBox);

    std::string FileLink(std::string_view path, std::string_view property) override;
    ItemTarget ItemLink(const CSiteItem& item) override;

    // The relative link to the copy of a local file, "./image/LOGO.GIF"; "" for an empty path or
    // a path without a file name. upperCaseName names the copy in upper case (items); other
    // files (backgrounds, sounds) keep the case of their name.
    std::string CopyLinkedFile(std::string_view path, bool upperCaseName = false);
    // Resolves an item's URL: local files ("file://PATH", also "file:PATH") get a copy; any other
    // URL is linked as typed.
    ItemTarget ResolveItemUrl(std::string_view url);

    // The path a source path given as bytes names, relative ones taken from the source folder.
    std::filesystem::path SourceFile(std::string_view path) const;
    // Looks at the sources of these paths on disk, several at a time, before pages link to them
    // (a path linked later without having been looked at here is looked at then). `known`, when
    // it holds one source for each path (FindSource of SourceFile of it), is taken instead of
    // looking again, and left empty.
    void FindSources(std::vector<std::string> paths, const std::atomic<bool>* cancel = nullptr,
                     std::vector<FoundSource>* known = nullptr);
    // Lets go of what FindSources looked at and no page linked (each path is let go of as soon as
    // a page links it; a path linked later is looked at again).
    void ForgetFoundSources();
    // Items linked from now on belong to this folder (for messages).
    void SetFolder(CFolderKey folder) { currentFolder = folder; }
    bool ModernTypes() const { return modernTypes; }
    int Box() const { return box; }

    // Every file linked, in the order it was first linked.
    const std::vector<LinkedFile>& Files() const { return files; }
    std::vector<LinkedFile>& Files() { return files; }
    std::size_t FilesLinked() const { return files.size(); }
    // The file of a source path, or null when no page links to it.
    const LinkedFile* Find(std::string_view source) const;

private:
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept {
            return std::hash<std::string_view>{}(text);
        }
    };

    // Entries of `files` by a hash of what identifies them, the entry itself holding the rest:
    // a million linked files would otherwise keep a second copy of every path as a key.
    class CEntryIndex {
    public:
        // The first entry of that hash that `same` accepts, or LinkedFile::kNone.
        template <typename Same>
        std::size_t Find(std::size_t hash, Same&& same) const {
            for (auto [at, end] = entries.equal_range(hash); at != end; ++at)
                if (same(at->second)) return at->second;
            return LinkedFile::kNone;
        }
        void Add(std::size_t hash, std::size_t entry) { entries.emplace(hash, entry); }
        void Reserve(std::size_t count) { entries.reserve(count); }

    private:
        std::unordered_multimap<std::size_t, std::size_t> entries;
    };

    LinkedFile& Link(std::string_view path, bool upperCaseName);
    FoundSource Found(std::string_view path);
    // The entry a spelling was linked to, or LinkedFile::kNone.
    std::size_t IndexOf(std::string_view path) const;

    std::filesystem::path sourceBase;
    bool modernTypes = false;
    int box = kDefaultPictureBox;
    std::vector<LinkedFile> files;
    // Every spelling linked to its entry: the entry's own `source` by its hash, other spellings
    // of a file linked already (rare) by their text.
    CEntryIndex bySpelling;
    std::unordered_map<std::string, std::size_t, TextHash, std::equal_to<>> otherSpellings;
    // Every source file to its entry: by identity (device and inode) where it is there, by its
    // normal path while it is missing.
    CEntryIndex byIdentity;
    CEntryIndex byNormalPath;
    // What FindSources looked at, by the position of its path, taken as pages link them: in
    // the order they were listed, nearly always, so that the next one or one a few places on is
    // the one; others are found by the index, made the first time one is not.
    struct FoundEarlier {
        std::vector<std::string> paths;
        std::vector<FoundSource> found;
        std::vector<char> taken;
        std::size_t next = 0;  // the first not taken, or before it
        std::unordered_map<std::string_view, std::size_t, TextHash> index;
    };
    FoundEarlier foundEarlier;
    CSourceFinder finder;
    CUniqueNames names[kCategoryFolderCount];
    CFolderKey currentFolder;
    CItemKey currentItem;
    std::string_view currentProperty;
};

// The links a plan decided, looked up: what carrying out the plan composes its pages with. It
// changes nothing, so any number of threads may use it at once. `thumbnailFailed` (by the index
// of the linked file, may be null) marks the thumbnails that could not be made: their pages show
// the file itself.
class CPlannedLinks : public CPageLinks {
public:
    explicit CPlannedLinks(const CLinkedFiles& files,
                           const std::vector<char>* thumbnailFailed = nullptr)
        : files(files), thumbnailFailed(thumbnailFailed) {}

    std::string FileLink(std::string_view path, std::string_view property) override;
    ItemTarget ItemLink(const CSiteItem& item) override;

private:
    const CLinkedFiles& files;
    const std::vector<char>* thumbnailFailed;
};
