#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FileWrite.h"
#include "SourceFiles.h"
#include "Thumbnail.h"
#include "ThumbnailFile.h"
#include "VideoPoster.h"

// The record an export keeps at the top of its folder of what it made there from which source,
// so that a re-export proves a copy or thumbnail up to date with two stats instead of making it
// again, a page up to date with one stat instead of reading it back, and knows the headers of an
// unchanged picture and the container of an unchanged video without opening them. It is a cache,
// not a
// state: written whole (a temporary file renamed) at the end of a completed export, and ignored
// when it is missing, damaged, cut short, written by another version or for another project, which
// only means everything is made again. It is no part of the website: never deleted as a foreign
// file, never listed by the check, never published.
inline constexpr std::string_view kExportCacheName = ".pagelorn-cache";

// A file of the export made from a source (a copy, a thumbnail).
struct MadeFile {
    FileStamp made;          // the file in the export folder as the export left it
    std::string sourcePath;  // the source's normal path (FoundSource::normalPath)
    FileStamp source;        // the source as it was read
    bool operator==(const MadeFile&) const = default;
};

// A hash of a page's bytes, 128 bits: two independent 64-bit hashes.
using PageHash = std::array<std::uint64_t, 2>;
PageHash HashOfPage(std::string_view bytes);

// A page as the export left it.
struct WrittenPage {
    FileStamp made;     // its file in the export folder
    PageHash hash{};    // of its bytes
    PageHash inputs{};  // of what it was composed from (PageInputs.h); all zero when unknown
    bool operator==(const WrittenPage&) const = default;
};

// What a run that left the export folder complete, without a failure, knew of it, so that the
// next run with the same inputs (ExportDigest.h) proves it up to date without planning again:
// the digest of those inputs, the counts its summary gave, and the folders it made beside the
// pages. The files in those folders and the pages are the record's own tables.
struct ExportShortcut {
    PageHash digest{};
    // The part of `digest` that is not the sources' (ExportInputsDigest), by which the next run
    // knows whether it will most likely need a plan before it looks at any source.
    PageHash inputs{};
    std::uint64_t pages = 0;
    std::uint64_t files = 0;
    std::uint64_t thumbnails = 0;
    std::vector<std::string> folders;  // sorted
    bool operator==(const ExportShortcut&) const = default;
};

// What a picture's headers said: the probe every picture shown gets, and libvips's header where
// it was asked for.
struct PictureFacts {
    PictureProbe probe;
    bool headerRead = false;
    std::optional<PictureHeader> header;
};

class CExportCache {
public:
    // The record in `folder`, or an empty one when there is none that can be trusted. `project`
    // names the project it must belong to.
    static CExportCache Read(const std::filesystem::path& folder, std::string_view project);
    // The same from the stored bytes.
    static CExportCache Parse(std::string bytes, std::string_view project);

    // Whether the file `name` of the folder ("image/LOGO.GIF"), found as `entry` of the folder
    // `in` held open, is one this record says was made from that source as it is now, and has
    // not been touched since.
    bool Holds(std::string_view name, const CFolderHandle& in, const std::string& entry,
               std::string_view sourcePath, const FileStamp& source) const;
    const MadeFile* Find(std::string_view name) const;
    // Whether the page `name`, found as `entry` of the folder `in` held open, is one this record
    // says holds bytes of that hash and has not been touched since: it need not be read to be
    // compared.
    bool HoldsPage(std::string_view name, const CFolderHandle& in, const std::string& entry,
                   const PageHash& hash) const;
    // The record of the page `name`, found as `entry` of the folder `in` held open, when it was
    // composed from inputs of that hash (not all zero) and has not been touched since: it need
    // not even be composed; else null.
    const WrittenPage* PageMadeFrom(std::string_view name, const CFolderHandle& in,
                                    const std::string& entry, const PageHash& inputs) const;
    // What the picture at that normal path said when it had that stamp, or null: a picture
    // whose stamp is the same need not be read again.
    const PictureFacts* Picture(std::string_view sourcePath, const FileStamp& source) const;
    // The same for what a video's container said (or why it could not be read).
    const VideoProbe* Video(std::string_view sourcePath, const FileStamp& source) const;
    // From now on the record holds exactly these files, pages, pictures and videos (by normal
    // path).
    void Replace(
        std::vector<std::pair<std::string, MadeFile>> made,
        std::vector<std::pair<std::string, WrittenPage>> written,
        std::vector<std::pair<std::string, std::pair<FileStamp, PictureFacts>>> seen,
        std::vector<std::pair<std::string, std::pair<FileStamp, VideoProbe>>> videosSeen = {});

    // From now on the record tells the next run with inputs of `shortcut.digest` that nothing
    // needs doing as long as the folder holds exactly the files and pages of its tables, each as
    // it was left.
    void SetShortcut(ExportShortcut made) { shortcut = std::move(made); }
    const std::optional<ExportShortcut>& Shortcut() const { return shortcut; }

    // An empty record that remembers what this one was read from, so that Write leaves the
    // folder's record as it is when it ends up holding the same.
    CExportCache Emptied() const;

    // The record as it is stored.
    std::string Bytes(std::string_view project) const;
    // Puts the record into the export folder held open by `folder` (`shown`: its path, for
    // messages) under kExportCacheName; a folder that holds these bytes already (as read, or as
    // the record Emptied came from read them) is left as it is.
    FileWriteResult Write(const CFolderHandle& folder, const std::filesystem::path& shown,
                          std::string_view project) const;

private:
    // The stored form, and the checksum of all of it but the checksum at its end.
    std::string Stored(std::string_view project, std::uint64_t& bodySum) const;

    template <typename Value>
    using Table = std::vector<std::pair<std::string, Value>>;

    // Sorted by name, one entry a name, so that equal records are stored as equal bytes; sorted
    // tables rather than trees, as a record is read whole and looked up by every file of a
    // re-export, and the stored form comes sorted already.
    Table<MadeFile> files;
    Table<WrittenPage> pages;
    Table<std::pair<FileStamp, PictureFacts>> pictures;
    Table<std::pair<FileStamp, VideoProbe>> videos;
    std::optional<ExportShortcut> shortcut;
    PageHash stored{};  // a hash of the bytes it was read from; all zero when none
};

// Whether the export folder held open by `handle` (its resolved path `folder`) is, file for file,
// what the last run left there for inputs of `digest` (not all zero): its record holds a
// shortcut for that digest, every page and every file of its tables is there with the stamp it
// was left with, and the folder holds nothing else but the user's own entries at the top. The
// record is read piece by piece and each name is compared as it comes, so that a website of a
// million files costs no table of a million entries. Returns the shortcut, or nothing whenever
// any of this cannot be shown (a damaged record included).
// The inputs (ExportShortcut::inputs) the shortcut of the record in `folder` was made for,
// when it has one and is of this program and project.
std::optional<PageHash> RecordedInputs(const std::filesystem::path& folder,
                                       std::string_view project);

std::optional<ExportShortcut> ConfirmUnchangedExport(const CFolderHandle& handle,
                                                     const std::filesystem::path& folder,
                                                     std::string_view project,
                                                     const PageHash& digest);

// The project a folder's record belongs to: its file's normal path.
std::string ExportCacheProject(const std::filesystem::path& projectFile);

// The stored form of a record around its tables (the shortcut, sources, made files, pages,
// pictures and videos): the header naming the format, the version and the project before them,
// the checksum after them.
std::string StoredExportCache(std::string_view project, std::string_view tables);

// The name a made file has in the record: its folder and its name, "thumb/LOGO.GIF.200q85.jpg".
std::string MadeFileName(std::string_view folder, std::string_view name);
