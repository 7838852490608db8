#include "SourceFiles.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <system_error>
#include <type_traits>

#include "FileStatus.h"
#include "LinkedFiles.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

// More matches than this are not followed further: a path that finds them is ambiguous anyway.
constexpr std::size_t kMaxMatches = 16;

SourceState LookAtSource(const fs::path& file) {
    SourceState state;
    std::error_code error;
    // Not followed at first, so that the export folder's check knows a link without asking again.
    FileStatus status = StatusOf(file, LinkRule::NoFollow, error);
    if (!error && status.type == fs::file_type::symlink) {
        state.linked = true;
        status = StatusOf(file, LinkRule::Follow, error);
    }
    if (error) {
        state.kind =
            error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory
                ? SourceState::Kind::Missing
                : SourceState::Kind::Unreadable;
        state.reason = state.kind == SourceState::Kind::Missing
                           ? "the file does not exist"
                           : "could not be read: " + error.message();
        return state;
    }
    if (status.type != fs::file_type::regular) {
        state.kind = SourceState::Kind::NotRegular;
        state.reason = "not a regular file but " + std::string(FileTypeDescription(status.type));
        return state;
    }
    if (!status.readable) {
        state.kind = SourceState::Kind::Unreadable;
        state.reason = "could not be read: Permission denied";
        return state;
    }
    state.kind = SourceState::Kind::Regular;
    state.stamp = status.stamp;
    return state;
}

// Whether a path is absolute and normal already, as nearly every path a project links to is: it
// is then its own normal form, found without taking it apart into its names.
template <typename Text>
bool IsNormalAbsolute(const Text& text) {
    if constexpr (!std::is_same_v<typename Text::value_type, char> ||
                  fs::path::preferred_separator != '/') {
        return false;
    } else {
        if (text.size() < 2 || text[0] != '/' || text[1] == '/' || text.back() == '/') return false;
        const std::string_view path = text;
        for (std::size_t start = 1; start <= path.size();) {
            const std::size_t end = std::min(path.find('/', start), path.size());
            const std::string_view name = path.substr(start, end - start);
            if (name.empty() || name == "." || name == "..") return false;
            start = end + 1;
        }
        return true;
    }
}

}  // namespace

std::optional<FileStamp> StampOf(const fs::path& path, bool follow) {
    std::error_code error;
    const FileStatus status = StatusOf(path, follow ? LinkRule::Follow : LinkRule::NoFollow, error);
    if (error || status.type != fs::file_type::regular) return std::nullopt;
    return status.stamp;
}

FoundSource FindSource(const fs::path& path) {
    return {path.native(), NormalPath(path), LookAtSource(path)};
}

std::string NormalPath(const fs::path& path) {
    if (IsNormalAbsolute(path.native())) return Utf8FromPath(path);
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) absolute = path;
    return Utf8FromPath(absolute.lexically_normal());
}

const std::vector<std::string>& CSourceFinder::Listing(const fs::path& folder) {
    const auto known = listings.find(folder.native());
    if (known != listings.end()) return known->second;
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end;
         !error && it != end; it.increment(error))
        names.push_back(Utf8FromPath(it->path().filename()));
    return listings.emplace(folder.native(), std::move(names)).first->second;
}

void CSourceFinder::FindWithoutCase(FoundSource& found) {
    if (found.state.kind != SourceState::Kind::Missing) return;
    const fs::path path(found.path);
    std::vector<fs::path> candidates{path.root_path()};
    for (const fs::path& element : path.relative_path()) {
        const std::string text = Utf8FromPath(element);
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t end = std::min(text.find('\\', start), text.size());
            const std::string_view name = std::string_view(text).substr(start, end - start);
            start = end + 1;
            if (name.empty() || name == ".") continue;
            if (name == "..") {
                for (fs::path& candidate : candidates) candidate /= "..";
                continue;
            }
            const std::string wanted = AsciiLower(name);
            std::vector<fs::path> next;
            for (const fs::path& folder : candidates) {
                for (const std::string& entry : Listing(folder))
                    if (entry.size() == wanted.size() && AsciiLower(entry) == wanted)
                        next.push_back(folder / entry);
                if (next.size() > kMaxMatches) break;
            }
            if (next.empty()) return;
            candidates = std::move(next);
        }
    }
    if (candidates.size() == 1) {
        FoundSource match = FindSource(candidates.front());
        if (match.state.kind != SourceState::Kind::Missing) found = std::move(match);
        return;
    }
    std::sort(candidates.begin(), candidates.end());
    std::string names;
    for (const fs::path& candidate : candidates) {
        if (!names.empty()) names += ", ";
        names += Utf8FromPath(candidate.lexically_normal());
    }
    found.state.kind = SourceState::Kind::Ambiguous;
    found.state.reason =
        "no file has this name as spelled, and several have it without regard to letter case: " +
        names;
}
