#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ProjectLock.h"

// What the disk says of the files a website links to: whether each is there and may be read,
// the stamp that tells whether it is still the same file with the same bytes, and where a path
// written on a system that does not tell letter case apart finds its file here.

// A file's stamp (ProjectLock.h) tells whether it is still the same file with the same bytes:
// every write changes its change time, which no program can set back (a restore or `touch -r`
// sets only the modification time).

// The stamp of a regular file; nothing when there is none there. `follow`: a link at the last
// name is followed (sources), or is no regular file (files of the export folder).
std::optional<FileStamp> StampOf(const std::filesystem::path& path, bool follow);

// A linked file's source as the plan found it.
struct SourceState {
    enum class Kind {
        NotLooked,  // copying is "Manual": whether the source is there is not the export's
        Regular,
        Missing,
        NotRegular,
        Unreadable,
        NoName,    // the path names no file
        Ambiguous  // the path does not exist as spelled, and names several files without case
    };
    Kind kind = Kind::NotLooked;
    bool linked = false;  // the path's last name is a symbolic link (followed for the rest)
    FileStamp stamp;      // of a regular file
    std::string reason;   // why it cannot be copied
};

// A source found on disk.
struct FoundSource {
    // Where it is read from. Kept as the system's string rather than as a path, which keeps a
    // list of its names beside: hundreds of bytes for each of a million files.
    std::filesystem::path::string_type path;
    std::string normalPath;  // that path absolute, without "." , ".." or doubled separators
    SourceState state;
};

// Looks at the file `path` names as spelled, links followed: one look at the disk unless its last
// name is a link. Safe on any number of threads.
FoundSource FindSource(const std::filesystem::path& path);
// FoundSource::normalPath of that path: absolute, without "." , ".." or doubled separators.
std::string NormalPath(const std::filesystem::path& path);

// Finds the files of paths that do not exist as spelled by looking each of their names up
// without regard to ASCII letter case ("/HOME/ANN/PICS/LOGO.GIF" finds /home/ann/pics/logo.gif),
// "\" separating names as "/" does (paths written on Windows). Folders it lists are kept, so a
// thousand missing files of one folder list it once. One thread at a time.
class CSourceFinder {
public:
    // A source found Missing becomes the one file that matches, or Ambiguous naming the matches.
    void FindWithoutCase(FoundSource& found);

private:
    const std::vector<std::string>& Listing(const std::filesystem::path& folder);

    std::unordered_map<std::string, std::vector<std::string>> listings;
};
