#include "WebsiteExporter.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#if !defined(_WIN32)
#include <pwd.h>
#endif

#include "ExportPlan.h"
#include "FileWrite.h"
#include "LinkedFiles.h"

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

// The system's own folders, as named and as they resolve (/bin may be a link to /usr/bin).
std::vector<fs::path> SystemFolders() {
    std::vector<fs::path> folders;
#if !defined(_WIN32)
    for (const char* name :
         {"/bin", "/boot", "/dev", "/etc", "/lib", "/lib32", "/lib64", "/libx32", "/opt", "/proc",
          "/root", "/run", "/sbin", "/srv", "/sys", "/tmp", "/usr", "/var"})
        folders.emplace_back(name);
    std::error_code error;
    for (fs::directory_iterator it("/", error), end; !error && it != end; it.increment(error))
        if (it->path().filename().string().starts_with("lib")) folders.push_back(it->path());
    const std::size_t named = folders.size();
    for (std::size_t i = 0; i < named; ++i) {
        fs::path resolved = OnDisk(folders[i]);
        if (resolved != folders[i]) folders.push_back(std::move(resolved));
    }
#endif
    return folders;
}

struct AccountHome {
    std::string account;  // empty for the home folder the environment names
    fs::path home;
};

// The home folder of every account in the account database, and the one the environment names
// (which may be missing from the database, or be wrong).
std::vector<AccountHome> AccountHomes() {
    std::vector<AccountHome> homes;
#if !defined(_WIN32)
    ::setpwent();
    while (const passwd* entry = ::getpwent())
        if (entry->pw_dir != nullptr && entry->pw_dir[0] == '/')
            homes.push_back({entry->pw_name != nullptr ? entry->pw_name : "", entry->pw_dir});
    ::endpwent();
    const char* home = std::getenv("HOME");
#else
    const char* home = std::getenv("USERPROFILE");
#endif
    if (home != nullptr && *home != '\0') homes.push_back({{}, home});
    return homes;
}

}  // namespace

std::vector<std::string> ProjectLinkedFiles(const CSiteTree& tree, const CPageOption& pageOption,
                                            const CLayoutOption& layoutOption) {
    std::vector<std::string> sources;
    std::unordered_set<std::string> seen;
    const auto add = [&](std::string_view path) {
        if (!path.empty() && seen.emplace(path).second) sources.emplace_back(path);
    };
    add(pageOption.general.soundLocation.View());
    add(pageOption.background.backgroundImage.View());
    for (const CLayoutAreaOption& area : layoutOption.areas) add(area.imagePath.View());
    add(layoutOption.mainCanvas.imagePath.View());
    tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
        for (const auto& item : node.Folder().items)
            if (std::optional<std::string> path = LocalFilePath(item.url)) add(*path);
    });
    return sources;
}

bool LiesInSystemFolder(const fs::path& folder) {
    const fs::path resolved = OnDisk(folder);
    for (const fs::path& system : SystemFolders())
        if (IsInside(resolved, system)) return true;
    return false;
}

std::string ClearingRefusal(const fs::path& folder, const ExportParameters& parameters) {
    const std::string refusing = "Refusing to clear " + folder.string() + ": ";
    if (folder == folder.root_path() || !folder.has_relative_path())
        return refusing + "it is the root of the file system.";
    for (const fs::path& system : SystemFolders()) {
        if (!IsInside(system, folder)) continue;
        return system == folder ? refusing + "it is a folder of the system."
                                : refusing + "it holds the system folder " + system.string() + ".";
    }
    for (const AccountHome& account : AccountHomes()) {
        const fs::path home = OnDisk(account.home);
        if (!IsInside(home, folder)) continue;
        if (account.account.empty())
            return home == folder ? refusing + "it is your home folder."
                                  : refusing + "it holds your home folder " + home.string() + ".";
        return home == folder
                   ? refusing + "it is the home folder of the account " + account.account + "."
                   : refusing + "it holds " + home.string() + ", the home folder of the account " +
                         account.account + ".";
    }
    if (!parameters.projectFile.empty() && IsInside(OnDisk(parameters.projectFile), folder))
        return refusing + "it holds the project file " + parameters.projectFile.string() + ".";

    const CLinkedFiles resolver(LinkedSourceFolder(parameters));
    // Thousands of linked files share a few folders, and the folders share their parents: a
    // path resolves to its parent's place with its own name unless it is a link itself (or
    // "." or ".."), so each folder costs one look at the disk and each file one more.
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
    const std::string& inside = folder.native();
    const auto within = [&](const fs::path& path) {
        const std::string& text = path.native();
        return text.starts_with(inside) && (text.size() == inside.size() ||
                                            text[inside.size()] == fs::path::preferred_separator);
    };
    for (const std::string& source :
         ProjectLinkedFiles(parameters.tree, parameters.pageOption, parameters.layoutOption)) {
        fs::path file = resolver.SourceFile(source);
        if (file.is_relative()) file = fs::absolute(file);
        if (within(resolve(file.parent_path(), resolve)) || within(resolve(file, resolve)))
            return refusing + "it holds " + source + ", a file the website links to.";
    }
    return {};
}

ExportFolderCheck CheckExportFolder(const ExportParameters& parameters) {
    if (parameters.exportFolder.empty())
        return {ExportFolderState::Unusable, "No export folder was given.", {}};
    const fs::path folder = ResolvedFolder(parameters.exportFolder);
    const std::string shown = folder.string();
    if (const int depth = TreeDepth(parameters.tree); depth > kMaxExportDepth)
        return {ExportFolderState::Refused,
                "Refusing to export: the website tree is " + std::to_string(depth) +
                    " levels deep, and pages are written for at most " +
                    std::to_string(kMaxExportDepth) + " levels. Nothing was written.",
                folder};
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (error && error != std::errc::no_such_file_or_directory)
        return {ExportFolderState::Unusable, shown + " cannot be used: " + error.message(), folder};
    if (!fs::exists(status)) return {ExportFolderState::Missing, {}, folder};
    if (!fs::is_directory(status))
        return {ExportFolderState::Unusable, shown + " exists and is not a folder.", folder};
    const bool empty = fs::is_empty(folder, error);
    if (error)
        return {ExportFolderState::Unusable, shown + " cannot be read: " + error.message(), folder};
    if (empty) return {ExportFolderState::Empty, {}, folder};
    if (std::string reason = ClearingRefusal(folder, parameters); !reason.empty())
        return {ExportFolderState::Refused, std::move(reason), folder};
    return {ExportFolderState::NotEmpty, "Warning: All contents of  " + shown + " will be deleted!",
            folder};
}

bool RemoveExportEntry(const fs::path& path, std::vector<ExportFailure>& failures) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (!error && fs::is_directory(status)) {
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
        std::vector<ExportFailure> inner = ClearFolder(path);
        failures.insert(failures.end(), inner.begin(), inner.end());
    }
    if (fs::remove(path, error) || !error) return true;
    // A read-only entry is made writable first, as the user's own delete would.
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    if (fs::remove(path, error) || !error) return true;
    failures.push_back({path.string(), "could not be deleted: " + error.message()});
    return false;
}

std::vector<ExportFailure> ClearFolder(const fs::path& folder) {
    std::vector<ExportFailure> failures;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) {
        failures.push_back({folder.string(), "could not be read: " + error.message()});
        return failures;
    }
    std::vector<fs::path> paths;
    for (const fs::directory_entry& entry : entries) paths.push_back(entry.path());
    for (const fs::path& path : paths) RemoveExportEntry(path, failures);
    return failures;
}

ExportResult ExportWebsite(const ExportParameters& parameters) {
    ExportResult result;
    result.exportFolder = parameters.exportFolder;
    if (!parameters.tree.Root()) {
        result.status = ExportStatus::NoRoot;
        result.message = "The website has no root folder; nothing was exported.";
        return result;
    }

    const ExportFolderCheck check = CheckExportFolder(parameters);
    if (!check.folder.empty()) result.exportFolder = check.folder;
    const fs::path& folder = result.exportFolder;
    const std::string shown = folder.string();
    switch (check.state) {
        case ExportFolderState::Refused:
            result.status = ExportStatus::Refused;
            result.message = check.message;
            return result;
        case ExportFolderState::Unusable:
            result.status = ExportStatus::FolderNotMade;
            result.message = check.message;
            return result;
        case ExportFolderState::NotEmpty:
            if (!parameters.clearExistingFolder) {
                result.status = ExportStatus::NotCleared;
                result.message = shown + " is not empty and was left as it is.";
                return result;
            }
            break;
        case ExportFolderState::Missing: {
            std::error_code error;
            fs::create_directories(folder, error);
            if (error) {
                result.status = ExportStatus::FolderNotMade;
                result.message = shown + " could not be made: " + error.message();
                return result;
            }
            break;
        }
        case ExportFolderState::Empty:
            break;
    }
    // Found out before anything is deleted, instead of as one failure per page.
    if (const std::string problem = NewFileProblem(folder); !problem.empty()) {
        result.status = ExportStatus::FolderNotMade;
        result.message = shown + " cannot be written: " + problem + "; nothing was exported.";
        return result;
    }
    result.rootPage = folder / kRootPageFileName;

    const ExportPlan plan = BuildExportPlan(parameters, &check);
    if (plan.stopped) {
        result.status = ExportStatus::Stopped;
        result.message = "The export to " + shown + " was stopped before anything was written.";
        return result;
    }
    // A folder that held nothing, or was cleared, needs no comparing.
    bool fresh = check.state != ExportFolderState::NotEmpty;
    if (parameters.full && !fresh) {
        result.failures = ClearFolder(folder);
        fresh = true;
    }
    CarryOutExportPlan(plan, parameters, fresh, result);

    const bool thumbnails = plan.pictures.thumbnails;
    std::string counts = std::to_string(result.pagesWritten) + " pages written, " +
                         std::to_string(result.filesCopied) + " files copied, " +
                         (thumbnails ? std::to_string(result.thumbnailsMade) + " thumbnails made, "
                                     : std::string()) +
                         std::to_string(result.failures.size()) + " failures";
    // A first export has nothing up to date; saying so would only lengthen the line.
    if (result.pagesUpToDate + result.filesUpToDate + result.thumbnailsUpToDate > 0)
        counts += "; " + std::to_string(result.pagesUpToDate) + " pages" +
                  (thumbnails ? ", " : " and ") + std::to_string(result.filesUpToDate) + " files" +
                  (thumbnails ? " and " + std::to_string(result.thumbnailsUpToDate) + " thumbnails"
                              : std::string()) +
                  " were up to date";
    if (result.entriesDeleted > 0)
        counts += "; " + std::to_string(result.entriesDeleted) +
                  (result.entriesDeleted == 1 ? " old file or folder" : " old files and folders") +
                  " deleted";
    result.message = result.status == ExportStatus::Stopped
                         ? "The export to " + shown + " was stopped: " + counts + "."
                         : "Exported to " + shown + ": " + counts + ".";
    if (plan.charset != parameters.pageOption.saveEncoding.View())
        result.message += " The charset " + parameters.pageOption.saveEncoding.Str() +
                          " is not known: the pages were written and declared in UTF-8.";
    return result;
}
