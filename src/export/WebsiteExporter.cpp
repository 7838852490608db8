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

#include "FileWrite.h"
#include "HtmlWriter.h"
#include "LinkedFiles.h"
#include "PageComposer.h"
#include "PageNames.h"

namespace fs = std::filesystem;

namespace {

// Rows and columns beyond what the Layout Properties sheet allows come only from damaged files;
// they would otherwise make pages of millions of empty rows.
constexpr int kMaxCanvasCells = 100;

CLayoutOption ClampedLayout(const CLayoutOption& layout) {
    CLayoutOption clamped = layout;
    clamped.mainCanvas.rows = std::clamp(clamped.mainCanvas.rows, 0, kMaxCanvasCells);
    clamped.mainCanvas.columns = std::clamp(clamped.mainCanvas.columns, 0, kMaxCanvasCells);
    return clamped;
}

fs::path SourceBase(const ExportParameters& parameters) {
    if (parameters.projectFile.empty()) return {};
    std::error_code error;
    fs::path absolute = fs::absolute(parameters.projectFile, error);
    return error ? parameters.projectFile.parent_path() : absolute.parent_path();
}

// The local files the pages of this export link to and copy, each once: the items' files, the
// background sound and image, and the background images of the bars that appear on some page.
// Only the progress counts come from here; what must never be deleted is ProjectLinkedFiles.
std::vector<std::string> CopiedSources(const ExportParameters& parameters,
                                       const CLayoutOption& layout) {
    std::vector<std::string> sources;
    std::unordered_set<std::string> seen;
    const auto add = [&](std::string_view path) {
        if (!path.empty() && seen.emplace(path).second) sources.emplace_back(path);
    };
    const CPageOption& page = parameters.pageOption;
    if (!parameters.tree.Root()) return sources;

    add(page.general.soundLocation.View());
    if (page.background.specifyBackground && page.background.useBackgroundImage)
        add(page.background.backgroundImage.View());
    add(layout.areas[kTopNavigatorBarSlot].imagePath.View());
    add(layout.areas[kHistoryBarSlot].imagePath.View());

    const bool cellsShown = layout.mainCanvas.rows > 0 && layout.mainCanvas.columns > 0;
    bool anySubSite = false;
    bool anyIndexBar = false;
    bool anyCanvasCell = false;
    parameters.tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
        const CSiteFolder& folder = node.Folder();
        anySubSite = anySubSite || node.ChildCount() > 0;
        anyIndexBar = anyIndexBar || CanvasPageCount(folder.items.size(), layout.mainCanvas.rows,
                                                     layout.mainCanvas.columns) > 1;
        anyCanvasCell =
            anyCanvasCell || !folder.description.empty() || (cellsShown && !folder.items.empty());
        if (!cellsShown) return;
        for (const auto& item : folder.items)
            if (std::optional<std::string> path = LocalFilePath(item.url)) add(*path);
    });
    if (anySubSite) add(layout.areas[kNextNavigatorBarSlot].imagePath.View());
    if (anyIndexBar) add(layout.areas[kIndexBarSlot].imagePath.View());
    if (anyCanvasCell) add(layout.mainCanvas.imagePath.View());
    return sources;
}

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

// Lines joined with CR LF, as pages are written.
std::string WithCrLf(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() +
                  static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

struct FolderEntry {
    const CSiteNode* node = nullptr;
    std::size_t parent = 0;  // index of the parent's entry (the root's is its own)
    std::string baseName;
    std::size_t pageCount = 0;  // canvas pages; the folder writes at least one file
};

class CWebsiteExport {
public:
    CWebsiteExport(const ExportParameters& parameters, ExportResult& result)
        : parameters(parameters),
          result(result),
          layout(ClampedLayout(parameters.layoutOption)),
          linkedFiles(result.exportFolder, parameters.pageOption.general.copyLinkedFiles != 0,
                      SourceBase(parameters)),
          writer(parameters.pageOption, layout, linkedFiles),
          composer(writer) {
        linkedFiles.SetCancelFlag(parameters.cancel);
    }

    void Run() {
        NameFolders();
        if (parameters.pageOption.general.copyLinkedFiles != 0)
            progress.filesTotal = CopiedSources(parameters, layout).size();
        linkedFiles.SetCopiedCallback([this] {
            ++progress.filesDone;
            progress.filesTotal = std::max(progress.filesTotal, progress.filesDone);
            return Report();
        });

        const std::string topNavigator = FolderLinks(0, true);
        // A folder's history is its parent's followed by its own link, so the histories along
        // the path from the root are prefixes of one text: keeping their lengths is enough.
        std::string history;
        std::vector<std::pair<std::size_t, std::size_t>> path;  // entry, length of its history
        for (std::size_t i = 0; i < folders.size() && !Stopped(); ++i) {
            const FolderEntry& entry = folders[i];
            if (i > 0) {
                while (path.back().first != entry.parent) path.pop_back();
                history.resize(path.back().second);
                history += "->";
            }
            history += CHtmlWriter::MakeLink(entry.node->Folder().caption,
                                             EncodeLinkName(entry.baseName), true);
            path.emplace_back(i, history.size());
            WritePages(entry, topNavigator, history);
        }

        result.filesCopied = linkedFiles.FilesCopied();
        const auto& copyFailures = linkedFiles.Failures();
        result.failures.insert(result.failures.end(), copyFailures.begin(), copyFailures.end());
        result.status = Stopped() ? ExportStatus::Stopped : ExportStatus::Completed;
    }

private:
    // Base names are fixed for the whole tree before any page is written, because a folder's
    // pages link to sub-sites whose names are only settled in export order.
    void NameFolders() {
        const int rows = layout.mainCanvas.rows;
        const int columns = layout.mainCanvas.columns;
        std::vector<std::pair<const CSiteNode*, std::size_t>> stack{{parameters.tree.Root(), 0}};
        while (!stack.empty()) {
            const auto [node, parent] = stack.back();
            stack.pop_back();
            const std::size_t index = folders.size();
            // The root's pages are always Index.htm, Index1.htm ...: nothing is named before it.
            const std::string wanted =
                index == 0 ? std::string("Index")
                           : folders[parent].baseName + "_" + SafePageNamePart(node->Label());
            const std::size_t pageCount =
                CanvasPageCount(node->Folder().items.size(), rows, columns);
            folders.push_back({node, parent, names.Claim(wanted, pageCount), pageCount});
            entryOf.emplace(node, index);
            progress.pagesTotal += std::max<std::size_t>(pageCount, 1);
            const auto& children = node->Children();
            for (auto child = children.rbegin(); child != children.rend(); ++child)
                stack.emplace_back(child->get(), index);
        }
    }

    std::string FolderLinks(std::size_t index, bool compact) const;
    void WritePages(const FolderEntry& entry, const std::string& topNavigator,
                    const std::string& history);
    void WritePage(const std::string& fileName, const PageTexts& texts);
    bool Report() {
        if (parameters.progress && !parameters.progress(progress)) stopped = true;
        return !Stopped();
    }
    bool Stopped() {
        if (parameters.cancel != nullptr && parameters.cancel->load()) stopped = true;
        return stopped;
    }

    const ExportParameters& parameters;
    ExportResult& result;
    CLayoutOption layout;
    CLinkedFiles linkedFiles;
    CHtmlWriter writer;
    CPageComposer composer;
    CPageNameTable names;
    std::vector<FolderEntry> folders;  // export order
    std::unordered_map<const CSiteNode*, std::size_t> entryOf;
    ExportProgress progress;
    bool stopped = false;
};

std::string CWebsiteExport::FolderLinks(std::size_t index, bool compact) const {
    std::string links;
    for (const auto& child : folders[index].node->Children()) {
        const FolderEntry& entry = folders[entryOf.at(child.get())];
        links += CHtmlWriter::MakeLink(child->Label(), EncodeLinkName(entry.baseName), true);
        if (!compact) links += "<BR>\n\n";
    }
    return links;
}

void CWebsiteExport::WritePages(const FolderEntry& entry, const std::string& topNavigator,
                                const std::string& history) {
    const CSiteFolder& folder = entry.node->Folder();
    PageTexts texts;
    texts.caption = folder.caption.Str();
    texts.topNavigator = topNavigator;
    texts.history = history;
    texts.nextNavigator = FolderLinks(entryOf.at(entry.node), false);
    texts.canvasHeading = folder.description.Str();
    const std::vector<std::string> pages =
        composer.BuildCanvasPages(folder, layout.mainCanvas.rows, layout.mainCanvas.columns);
    if (Stopped()) return;
    if (pages.empty()) {
        WritePage(PageFileName(entry.baseName, 0), texts);
        return;
    }

    const std::string target = EncodeLinkName(entry.baseName);
    const auto targetOf = [&](std::size_t j) {
        return j > 0 ? target + std::to_string(j) : target;
    };
    for (std::size_t i = 0; i < pages.size() && !Stopped(); ++i) {
        // The current number bare among up to nine numbered links each side; "Previous" and
        // "Next" jump ten pages.
        std::string index;
        const std::size_t first = i >= 10 ? i - 10 : 0;
        const std::size_t last = std::min(pages.size() - 1, i + 10);
        for (std::size_t j = first; j <= last; ++j) {
            if (j == i)
                index += std::to_string(j + 1);
            else if (j + 10 == i)
                index += CHtmlWriter::MakeLink("Previous", targetOf(j), true);
            else if (j == i + 10)
                index += CHtmlWriter::MakeLink("Next", targetOf(j), true);
            else
                index += CHtmlWriter::MakeLink(std::to_string(j + 1), targetOf(j), true);
        }
        texts.itemRows = pages[i];
        texts.indexText = std::move(index);
        WritePage(PageFileName(entry.baseName, i), texts);
    }
}

void CWebsiteExport::WritePage(const std::string& fileName, const PageTexts& texts) {
    const fs::path path = result.exportFolder / PathFromBytes(fileName);
    if (const FileWriteResult written = ReplaceFile(path, WithCrLf(composer.BuildPage(texts))))
        ++result.pagesWritten;
    else
        result.failures.push_back({path.string(), "could not be written: " + written.reason});
    ++progress.pagesDone;
    Report();
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

    const CLinkedFiles resolver({}, false, SourceBase(parameters));
    // Many linked files share a folder; resolving each folder once keeps this quick.
    std::unordered_map<std::string, bool> folderInside;
    for (const std::string& source :
         ProjectLinkedFiles(parameters.tree, parameters.pageOption, parameters.layoutOption)) {
        const fs::path file = resolver.SourceFile(source);
        const std::string parent = file.parent_path().string();
        auto known = folderInside.find(parent);
        if (known == folderInside.end())
            known =
                folderInside.emplace(parent, IsInside(OnDisk(file.parent_path()), folder)).first;
        if (known->second || IsInside(OnDisk(file), folder))
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
    for (const fs::path& path : paths) {
        const fs::file_status status = fs::symlink_status(path, error);
        if (!error && fs::is_directory(status)) {
            fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
            std::vector<ExportFailure> inner = ClearFolder(path);
            failures.insert(failures.end(), inner.begin(), inner.end());
        }
        if (fs::remove(path, error) || !error) continue;
        // A read-only entry is made writable first, as the user's own delete would.
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
        if (!fs::remove(path, error) && error)
            failures.push_back({path.string(), "could not be deleted: " + error.message()});
    }
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
    if (check.state == ExportFolderState::NotEmpty) result.failures = ClearFolder(folder);

    for (std::string_view name : kCategoryFolderNames) {
        // A sub-folder that cannot be made shows up as failed copies into it.
        std::error_code error;
        fs::create_directory(folder / PathFromBytes(name), error);
    }
    result.rootPage = folder / kRootPageFileName;

    CWebsiteExport(parameters, result).Run();
    const std::string counts = std::to_string(result.pagesWritten) + " pages written, " +
                               std::to_string(result.filesCopied) + " files copied, " +
                               std::to_string(result.failures.size()) + " failures";
    result.message = result.status == ExportStatus::Stopped
                         ? "The export to " + shown + " was stopped: " + counts + "."
                         : "Exported to " + shown + ": " + counts + ".";
    return result;
}
