#include "SiteImport.h"

#include <algorithm>
#include <system_error>

#include "FileWrite.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSkippedPathsKept = 20;

fs::path FullPath(const fs::path& path) {
    std::error_code error;
    fs::path full = fs::absolute(path, error);
    if (error) full = path;
    full = full.lexically_normal();
    // "dir/" normalises to "dir/" with an empty file name; the caption needs the last name.
    if (!full.has_filename() && full.has_parent_path() && full != full.root_path())
        full = full.parent_path();
    return full;
}

void AddSkip(CImportScan& scan, const fs::path& path, std::string reason) {
    ++scan.skipped;
    if (scan.skippedEntries.size() < kSkippedPathsKept)
        scan.skippedEntries.push_back({path.string(), std::move(reason)});
}

std::string NotAFile(fs::file_type type) {
    return std::string(FileTypeDescription(type)) + ", not a regular file";
}

std::unique_ptr<CSiteItem> MakeFileItem(const fs::path& path) {
    auto item = std::make_unique<CSiteItem>();
    item->caption = path.filename().string();
    item->url = FileUrl(path);
    return item;
}

class Scanner {
public:
    Scanner(CImportScan& scan, const ImportProgressFn& progress) : scan(scan), progress(progress) {}

    void Skip(const fs::path& path, std::string reason) { AddSkip(scan, path, std::move(reason)); }

    bool Tick(const fs::path& path) {
        ++seen;
        if (progress && (seen % 64 == 0 || seen == 1)) {
            if (!progress(ImportProgress{seen, path.string()})) scan.cancelled = true;
        }
        return !scan.cancelled;
    }

    // Fills folder with the contents of the folder at path.
    void ScanDirectory(const fs::path& path, CImportedFolder& folder) {
        std::error_code error;
        fs::directory_iterator it(path, error);
        if (error) {
            Skip(path, "could not be read: " + error.message());
            return;
        }
        std::vector<fs::directory_entry> entries;
        for (; it != fs::directory_iterator(); it.increment(error)) {
            if (error) break;
            entries.push_back(*it);
        }
        if (error) Skip(path, "could not be read whole: " + error.message());
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return a.path().filename().native() < b.path().filename().native();
        });
        for (const fs::directory_entry& entry : entries) {
            if (!Tick(entry.path())) return;
            std::error_code statusError;
            const fs::file_status linkStatus = entry.symlink_status(statusError);
            if (statusError) {
                Skip(entry.path(), "could not be read: " + statusError.message());
                continue;
            }
            if (fs::is_symlink(linkStatus)) {
                const fs::file_status target = entry.status(statusError);
                // Links to folders are not followed; broken links lead nowhere.
                if (statusError || !fs::exists(target))
                    Skip(entry.path(), "a broken link");
                else if (fs::is_directory(target))
                    Skip(entry.path(), "a link to a folder, which is not followed");
                else if (!fs::is_regular_file(target))
                    Skip(entry.path(), "a link to " + NotAFile(target.type()));
                else
                    folder.files.push_back(MakeFileItem(entry.path()));
            } else if (fs::is_directory(linkStatus)) {
                CImportedFolder& child = folder.folders.emplace_back();
                child.name = entry.path().filename().string();
                ScanDirectory(entry.path(), child);
                if (scan.cancelled) return;
            } else if (fs::is_regular_file(linkStatus)) {
                folder.files.push_back(MakeFileItem(entry.path()));
            } else {
                Skip(entry.path(), NotAFile(linkStatus.type()));
            }
        }
    }

private:
    CImportScan& scan;
    const ImportProgressFn& progress;
    std::size_t seen = 0;
};

void AddFolder(CSiteTree& tree, CSiteNode& node, CImportedFolder& imported, CImportResult& result) {
    for (auto& file : imported.files) {
        node.Folder().AddItem(std::move(file));
        ++result.itemsAdded;
    }
    for (auto& child : imported.folders) {
        auto folder = std::make_unique<CSiteFolder>();
        folder->caption = child.name;
        CSiteNode& childNode = tree.AppendChild(node, std::move(folder));
        ++result.foldersAdded;
        AddFolder(tree, childNode, child, result);
    }
}

}  // namespace

std::string FileUrl(const fs::path& path) {
    return "file://" + path.string();
}

CImportScan ScanImportPath(const fs::path& path, const ImportProgressFn& progress) {
    CImportScan scan;
    const fs::path full = FullPath(path);
    std::error_code error;
    const fs::file_status status = fs::status(full, error);
    if (error || !fs::exists(status)) return scan;
    scan.found = true;
    scan.root.name = full.filename().string();
    Scanner scanner(scan, progress);
    if (fs::is_directory(status)) {
        scan.isFolder = true;
        scanner.ScanDirectory(full, scan.root);
    } else if (fs::is_regular_file(status)) {
        scan.root.files.push_back(MakeFileItem(full));
    } else {
        scanner.Skip(full, NotAFile(status.type()));
    }
    return scan;
}

CImportResult AddImportedScan(CSiteTree& tree, CSiteNode& node, CImportScan scan) {
    CImportResult result;
    result.skipped = scan.skipped;
    result.skippedEntries = std::move(scan.skippedEntries);
    result.cancelled = scan.cancelled;
    AddFolder(tree, node, scan.root, result);
    if (result.foldersAdded + result.itemsAdded > 0) tree.SetModified(true);
    return result;
}

CImportResult ImportFolder(CSiteTree& tree, CSiteNode& node, const fs::path& path,
                           const ImportProgressFn& progress) {
    return AddImportedScan(tree, node, ScanImportPath(path, progress));
}

CImportResult ImportFiles(CSiteTree& tree, CSiteNode& node, const std::vector<std::string>& paths) {
    CImportScan scan;
    for (const std::string& text : paths) {
        if (text.empty()) continue;
        const fs::path full = FullPath(text);
        std::error_code error;
        const fs::file_status status = fs::status(full, error);
        if (error && error != std::errc::no_such_file_or_directory)
            AddSkip(scan, text, "could not be read: " + error.message());
        else if (!fs::exists(status))
            AddSkip(scan, text, "does not exist");
        else if (!fs::is_regular_file(status))
            AddSkip(scan, text, NotAFile(status.type()));
        else
            scan.root.files.push_back(MakeFileItem(full));
    }
    return AddImportedScan(tree, node, std::move(scan));
}
