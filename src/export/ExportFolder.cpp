#include "ExportFolder.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <unordered_map>

#include "ExportCache.h"
#include "ExportDigest.h"
#include "FileWrite.h"
#include "LinkedFiles.h"
#include "ParallelFor.h"
#include "SystemFolders.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

// True when path is folder or lies inside it; both are taken as they are on disk.
bool IsInside(const fs::path& path, const fs::path& folder) {
    auto pathPart = path.begin();
    for (auto folderPart = folder.begin(); folderPart != folder.end(); ++folderPart, ++pathPart) {
        if (folderPart->empty()) continue;  // a trailing separator
        if (pathPart == path.end() || *pathPart != *folderPart) return false;
    }
    return true;
}

// The path as the file system sees it: absolute, with links and ".." resolved as far as it exists.
fs::path OnDisk(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) absolute = path;
    fs::path resolved = fs::weakly_canonical(absolute, error);
    if (error) resolved = absolute.lexically_normal();
    return resolved;
}

// The folder an export really writes: absolute, with links and ".." resolved, so that the
// checks look at what will be cleared and written ("EXISTING/missing/.." is EXISTING).
fs::path ResolvedFolder(const fs::path& folder) {
    fs::path resolved = OnDisk(folder);
    if (!resolved.has_filename() && resolved.has_relative_path()) resolved = resolved.parent_path();
    return resolved;
}

int TreeDepth(const CSiteTree& tree) {
    int deepest = 0;
    tree.ForEachDepthFirst(
        [&](const CSiteNode&, int depth) { deepest = std::max(deepest, depth); });
    return deepest;
}

// Both kinds of folders of the system, as named (/lib, /lib64 ... as the root folder holds them).
std::vector<fs::path> SystemFolderNames(bool withAllInside, bool themselves) {
    std::vector<fs::path> folders;
    if (withAllInside) folders = SystemFoldersWithAllInside();
    if (themselves)
        for (fs::path& folder : SystemFoldersThemselves()) folders.push_back(std::move(folder));
    return folders;
}

}  // namespace

fs::path LinkedSourceFolder(const ExportParameters& parameters) {
    if (parameters.projectFile.empty()) return {};
    std::error_code error;
    fs::path absolute = fs::absolute(parameters.projectFile, error);
    return error ? parameters.projectFile.parent_path() : absolute.parent_path();
}

void ForEachLinkedPath(const CSiteTree& tree, const CPageOption& pageOption,
                       const CLayoutOption& layoutOption,
                       const std::function<void(std::string_view)>& visit) {
    const auto add = [&](std::string_view path) {
        if (!path.empty()) visit(path);
    };
    add(pageOption.general.soundLocation.View());
    add(pageOption.background.backgroundImage.View());
    for (const CLayoutAreaOption& area : layoutOption.areas) add(area.imagePath.View());
    add(layoutOption.mainCanvas.imagePath.View());
    tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
        for (const auto& item : node.Folder().items)
            if (const std::optional<std::string_view> path = LocalFilePathView(item.url))
                add(*path);
    });
}

std::vector<std::string> ProjectLinkedFiles(const CSiteTree& tree, const CPageOption& pageOption,
                                            const CLayoutOption& layoutOption,
                                            std::vector<std::uint32_t>* occurrences) {
    std::vector<std::string> sources;
    // The texts stay the tree's and the options' while this runs: a path is copied only once.
    std::unordered_map<std::string_view, std::uint32_t> seen;
    ForEachLinkedPath(tree, pageOption, layoutOption, [&](std::string_view path) {
        const auto [at, added] = seen.emplace(path, static_cast<std::uint32_t>(sources.size()));
        if (added) sources.emplace_back(path);
        if (occurrences != nullptr) occurrences->push_back(at->second);
    });
    return sources;
}

PageHash LinkedSourcesSeen::Digest() const {
    return keep ? SourcesDigest(sources, occurrences) : digest;
}

bool LiesInSystemFolder(const fs::path& folder) {
    const fs::path resolved = OnDisk(folder);
    for (const fs::path& system : SystemFolderNames(true, true)) {
        if (IsInside(resolved, system)) return true;
        if (const fs::path real = OnDisk(system); real != system && IsInside(resolved, real))
            return true;
    }
    return false;
}

namespace {

// A file this program writes under a temporary name (".NAME.tmp-PID-N-N-N") and renames once
// whole; one left by a run that was killed is its own, not the user's.
bool IsLeftoverTemporary(std::string_view name) {
    const std::size_t mark = name.rfind(".tmp-");
    if (!name.starts_with(".") || mark == name.npos || mark == 0) return false;
    std::size_t groups = 0;
    bool inGroup = false;
    for (const char c : name.substr(mark + 5)) {
        if (c >= '0' && c <= '9') {
            groups += inGroup ? 0 : 1;
            inGroup = true;
        } else if (c == '-' && inGroup) {
            inGroup = false;
        } else {
            return false;
        }
    }
    return inGroup && groups >= 2;
}

}  // namespace

bool IsKeptTopEntry(std::string_view name) {
    return (name.starts_with(".") && !IsLeftoverTemporary(name)) || name == "CNAME";
}

namespace {

constexpr const char* kSystemRule =
    "nothing inside /bin, /boot, /dev, /etc, /lib*, /proc, /run, /sbin, /sys, /usr or /var "
    "(other than /var/www) is ever exported into";

// The folder and every folder holding it, as the file system links them (".." of each), from the
// folder itself up to the root of its file system tree.
std::vector<FileIdentity> FolderAndHolders(const CFolderHandle& folder) {
    std::vector<FileIdentity> chain;
    std::optional<FileIdentity> identity = folder.Identity();
    if (!identity) return chain;
    chain.push_back(*identity);
    CFolderHandle at;
    const CFolderHandle* current = &folder;
    // Deeper than any real path may be; only a loop of mounts would get there.
    for (int level = 0; level < 4096; ++level) {
        std::error_code error;
        CFolderHandle parent = current->OpenParent(error);
        if (error) break;
        identity = parent.Identity();
        if (!identity || *identity == chain.back()) break;
        chain.push_back(*identity);
        at = std::move(parent);
        current = &at;
    }
    return chain;
}

// Why the folder held by `folder` (or, with `below`, a folder to be made somewhere below it) is
// one of the system's own, lies inside one that nothing inside is exported into, or is the root;
// "" when none of these.
std::string SystemRefusal(const CFolderHandle& folder, const fs::path& shown, bool below) {
    // A folder to be made below /var/www is fine even while /var/www is still to be made too.
    if (below && IsInside(shown, WebFolderOfTheSystem())) return {};
    const std::vector<FileIdentity> chain = FolderAndHolders(folder);
    if (chain.empty()) return {};
    const std::string refusing = "Refusing to clear " + Utf8FromPath(shown) + ": ";
    if (!below && IdentityOf("/") == chain.front())
        return refusing + "it is the root of the file system.";
    struct Named {
        fs::path path;
        FileIdentity identity;
        bool allInside;
    };
    std::vector<Named> system;
    for (const bool allInside : {true, false})
        for (const fs::path& path : SystemFolderNames(allInside, !allInside))
            if (const std::optional<FileIdentity> identity = IdentityOf(path))
                system.push_back({path, *identity, allInside});
    const std::optional<FileIdentity> web = IdentityOf(WebFolderOfTheSystem());
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (web && chain[i] == *web) break;
        const bool itself = i == 0 && !below;
        for (const Named& named : system) {
            if (chain[i] != named.identity || (!named.allInside && !itself)) continue;
            if (itself) return refusing + "it is a folder of the system.";
            return "Refusing to export into " + Utf8FromPath(shown) + ": it lies inside " +
                   Utf8FromPath(named.path) + ", a folder of the system, and " + kSystemRule + ".";
        }
    }
    return {};
}

// Whether a path as the system spells it is that text.
template <typename Text>
bool IsSpelledAs(const Text& path, const std::string& text) {
    if constexpr (std::is_same_v<Text, std::string>)
        return path == text;
    else
        return false;
}

// Whether a folder or file, named by its path with links resolved, is the folder with the
// identity `folder` or lies inside it, by the identity of it and of every folder holding it.
// Thousands of linked files share a few folders: each folder is looked at once.
class CHolderTest {
public:
    explicit CHolderTest(FileIdentity folder) : folder(folder) {}

    bool Holds(const fs::path& resolved) {
        if (const auto known = held.find(resolved.native()); known != held.end())
            return known->second;
        const std::optional<FileIdentity> identity = IdentityOf(resolved);
        bool holds = identity == folder;
        if (!holds && resolved.has_relative_path() && resolved.parent_path() != resolved)
            holds = Holds(resolved.parent_path());
        held.emplace(resolved.native(), holds);
        return holds;
    }

private:
    FileIdentity folder;
    std::unordered_map<std::string, bool> held;
};

}  // namespace

std::string ClearingRefusal(const CFolderHandle& handle, const fs::path& folder,
                            const ExportParameters& parameters, LinkedSourcesSeen* seen) {
    const std::optional<FileIdentity> identity = handle.Identity();
    if (!identity) return {};
    CHolderTest inside(*identity);
    const std::string refusing = "Refusing to clear " + Utf8FromPath(folder) + ": ";
    for (const fs::path& system : SystemFolderNames(true, true))
        if (inside.Holds(OnDisk(system)))
            return refusing + "it holds the system folder " + Utf8FromPath(system) + ".";
    for (const AccountHome& account : AccountHomes()) {
        const fs::path home = OnDisk(account.home);
        if (!inside.Holds(home)) continue;
        const bool itself = IdentityOf(home) == identity;
        if (account.account.empty())
            return itself ? refusing + "it is your home folder."
                          : refusing + "it holds your home folder " + Utf8FromPath(home) + ".";
        return itself ? refusing + "it is the home folder of the account " + account.account + "."
                      : refusing + "it holds " + Utf8FromPath(home) +
                            ", the home folder of the account " + account.account + ".";
    }
    if (!parameters.projectFile.empty() && inside.Holds(OnDisk(parameters.projectFile)))
        return refusing + "it holds the project file " + Utf8FromPath(parameters.projectFile) + ".";

    const CLinkedFiles resolver(LinkedSourceFolder(parameters));
    // A path resolves to its parent's place with its own name unless it is a link itself (or
    // "." or ".."), so each folder costs one look at the disk.
    std::unordered_map<std::string, fs::path> resolved;
    const auto resolve = [&](const fs::path& path, const auto& self) -> const fs::path& {
        if (const auto known = resolved.find(path.native()); known != resolved.end())
            return known->second;
        const fs::path name = path.filename();
        const fs::path parent = path.parent_path();
        std::error_code error;
        fs::path place = name.empty() || name == "." || name == ".." || parent == path ||
                                 !path.is_absolute() ||
                                 fs::is_symlink(fs::symlink_status(path, error))
                             ? OnDisk(path)
                             : self(parent, self) / name;
        return resolved.emplace(path.native(), std::move(place)).first->second;
    };
    // By the folder of a path that is absolute and normal already (nearly all): thousands of
    // files of one folder take it apart once.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::unordered_map<std::string, bool, TextHash, std::equal_to<>> folderHeld;
    const auto holds = [&](const FoundSource& found) {
        const SourceState& state = found.state;
        std::optional<bool> inHeldFolder;
        std::string_view parent;
        if (IsSpelledAs(found.path, found.normalPath) && found.normalPath.starts_with('/')) {
            const std::string_view text = found.normalPath;
            parent = text.substr(0, std::max<std::size_t>(text.rfind('/'), 1));
            if (const auto known = folderHeld.find(parent); known != folderHeld.end())
                inHeldFolder = known->second;
        }
        // A regular file, or nothing at all, is never the folder itself: only the folders
        // holding it count, unless it is a link.
        const bool itself = state.linked || (state.kind != SourceState::Kind::Regular &&
                                             state.kind != SourceState::Kind::Missing);
        std::optional<fs::path> file;
        if (!inHeldFolder || itself) {
            file = found.path;
            if (file->is_relative()) file = fs::absolute(*file);
        }
        if (!inHeldFolder) {
            inHeldFolder = inside.Holds(resolve(file->parent_path(), resolve));
            if (!parent.empty()) folderHeld.emplace(parent, *inHeldFolder);
        }
        return *inHeldFolder || (itself && (state.linked ? inside.Holds(OnDisk(*file))
                                                         : inside.Holds(resolve(*file, resolve))));
    };
    const auto refusal = [&](std::string_view path) {
        return refusing + "it holds " + std::string(path) + ", a file the website links to.";
    };

    if (seen == nullptr || seen->keep) {
        std::vector<std::uint32_t> occurrences;
        std::vector<std::string> paths = ProjectLinkedFiles(parameters.tree, parameters.pageOption,
                                                            parameters.layoutOption, &occurrences);
        // Each file is looked at once, as the export's plan looks at it, which then takes that
        // look.
        std::vector<FoundSource> found(paths.size());
        ParallelFor(paths.size(),
                    [&](std::size_t i) { found[i] = FindSource(resolver.SourceFile(paths[i])); });
        for (std::size_t i = 0; i < paths.size(); ++i)
            if (holds(found[i])) return refusal(paths[i]);
        if (seen != nullptr) {
            seen->sources = std::move(found);
            seen->linked = std::move(paths);
            seen->occurrences = std::move(occurrences);
        }
        return {};
    }

    // Looked at a block at a time, in the order the project names them, and digested as they
    // come: what a file named twice costs is a second look, not a list of every file.
    constexpr std::size_t kBlock = 4096;
    std::vector<std::string_view> block;
    std::vector<FoundSource> found(kBlock);
    CSourcesDigest digest;
    std::string refused;
    const auto lookAtBlock = [&] {
        ParallelFor(block.size(),
                    [&](std::size_t i) { found[i] = FindSource(resolver.SourceFile(block[i])); });
        for (std::size_t i = 0; i < block.size() && refused.empty(); ++i) {
            if (holds(found[i])) refused = refusal(block[i]);
            digest.Add(found[i]);
        }
        block.clear();
    };
    ForEachLinkedPath(parameters.tree, parameters.pageOption, parameters.layoutOption,
                      [&](std::string_view path) {
                          if (!refused.empty()) return;
                          block.push_back(path);
                          if (block.size() == kBlock) lookAtBlock();
                      });
    if (refused.empty() && !block.empty()) lookAtBlock();
    if (!refused.empty()) return refused;
    seen->digest = digest.Finish();
    return {};
}

ExportFolderCheck InspectExportFolder(
    const ExportParameters& parameters, CFolderHandle& handle, bool lock, bool& busy,
    const std::function<bool(const std::filesystem::path&)>& keepSources) {
    busy = false;
    handle = CFolderHandle();
    if (parameters.exportFolder.empty())
        return {ExportFolderState::Unusable, "No export folder was given.", {}};
    fs::path folder = ResolvedFolder(parameters.exportFolder);
    if (const int depth = TreeDepth(parameters.tree); depth > kMaxExportDepth)
        return {ExportFolderState::Refused,
                "Refusing to export: the website tree is " + std::to_string(depth) +
                    " levels deep, and pages are written for at most " +
                    std::to_string(kMaxExportDepth) + " levels. Nothing was written.",
                folder};
    std::error_code error;
    handle = CFolderHandle::Open(folder, error);
    if (error == std::errc::no_such_file_or_directory) {
        // The folder will be made inside the nearest folder there is, which must allow it.
        for (fs::path above = folder.parent_path(); !above.empty(); above = above.parent_path()) {
            std::error_code aboveError;
            const CFolderHandle existing = CFolderHandle::Open(above, aboveError);
            if (existing.IsOpen()) {
                if (std::string reason = SystemRefusal(existing, folder, true); !reason.empty())
                    return {ExportFolderState::Refused, std::move(reason), folder};
                break;
            }
            if (aboveError != std::errc::no_such_file_or_directory || above == above.parent_path())
                break;
        }
        return {ExportFolderState::Missing, {}, folder};
    }
    const std::string shown = Utf8FromPath(folder);
    if (error) {
        std::error_code statusError;
        if (error == std::errc::not_a_directory ||
            (fs::exists(fs::status(folder, statusError)) && !fs::is_directory(folder, statusError)))
            return {ExportFolderState::Unusable, shown + " exists and is not a folder.", folder};
        return {ExportFolderState::Unusable, shown + " cannot be used: " + error.message(), folder};
    }
    // Named as the folder opened is named now, should the path have changed on the way.
    if (fs::path opened = handle.CurrentPath(); !opened.empty()) folder = std::move(opened);
    if (std::string reason = SystemRefusal(handle, folder, false); !reason.empty())
        return {ExportFolderState::Refused, std::move(reason), folder};
    if (lock && !handle.Lock(kExportLockWait, error)) {
        busy = !error;
        return {ExportFolderState::Unusable,
                busy ? "another export is writing into " + Utf8FromPath(folder)
                     : Utf8FromPath(folder) + " cannot be locked: " + error.message(),
                folder};
    }
    std::vector<std::string> kept;
    {
        const std::vector<std::string> names = handle.Names(error);
        if (error)
            return {ExportFolderState::Unusable,
                    Utf8FromPath(folder) + " cannot be read: " + error.message(), folder};
        if (names.empty()) return {ExportFolderState::Empty, {}, folder};
        // The folder's records of the export and of the publish are the program's own, not the
        // user's. The other names go now: a large website's are megabytes.
        std::copy_if(names.begin(), names.end(), std::back_inserter(kept),
                     [](const std::string& name) {
                         return IsKeptTopEntry(name) && name != kExportCacheName &&
                                name != kPublishCacheName;
                     });
    }
    auto seen = std::make_shared<LinkedSourcesSeen>();
    seen->keep = !keepSources || keepSources(folder);
    if (std::string reason = ClearingRefusal(handle, folder, parameters, seen.get());
        !reason.empty())
        return {ExportFolderState::Refused, std::move(reason), folder};
    ExportFolderCheck check{
        ExportFolderState::NotEmpty,
        "Warning: All contents of  " + Utf8FromPath(folder) + " will be deleted!", folder};
    check.seen = std::move(seen);
    check.kept = std::move(kept);
    std::sort(check.kept.begin(), check.kept.end());
    return check;
}

ExportFolderCheck CheckExportFolder(const ExportParameters& parameters) {
    CFolderHandle handle;
    bool busy = false;
    return InspectExportFolder(parameters, handle, false, busy);
}

std::size_t RemoveExportEntry(const CFolderHandle& folder, std::string_view name,
                              const fs::path& shown, std::vector<ExportFailure>& failures) {
    std::size_t removed = 0;
    std::error_code error;
    // Looked at again and again: whoever may write into the folder may put a link where a folder
    // was at any moment, and a link is only ever removed, never followed.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (folder.Status(name).type == EntryType::Folder) {
            CFolderHandle inside = folder.OpenFolder(name, error);
            if (error == std::errc::permission_denied) {
                folder.MakeAccessible(name);
                inside = folder.OpenFolder(name, error);
            }
            if (inside.IsOpen()) {
                inside.MakeAccessible();
                std::vector<ExportFailure> inner = ClearFolder(inside, shown, false, &removed);
                failures.insert(failures.end(), inner.begin(), inner.end());
                if (folder.RemoveFolder(name, error)) return removed + 1;
                if (error != std::errc::not_a_directory) break;
                continue;
            }
            if (error != std::errc::too_many_symbolic_link_levels &&
                error != std::errc::not_a_directory)
                break;
        }
        if (folder.RemoveFile(name, error) || error == std::errc::no_such_file_or_directory)
            return removed + (error ? 0 : 1);
        if (error != std::errc::is_a_directory && error != std::errc::operation_not_permitted)
            break;
    }
    failures.push_back({Utf8FromPath(shown), "could not be deleted: " + error.message()});
    return removed;
}

std::vector<ExportFailure> ClearFolder(const CFolderHandle& folder, const fs::path& shown,
                                       bool keepUsersEntries, std::size_t* deleted) {
    std::vector<ExportFailure> failures;
    std::error_code error;
    const std::vector<std::string> names = folder.Names(error);
    if (error) {
        failures.push_back({Utf8FromPath(shown), "could not be read: " + error.message()});
        return failures;
    }
    std::size_t removed = 0;
    for (const std::string& name : names)
        if (!keepUsersEntries || !IsKeptTopEntry(name))
            removed += RemoveExportEntry(folder, name, shown / name, failures);
    if (deleted != nullptr) *deleted += removed;
    return failures;
}
