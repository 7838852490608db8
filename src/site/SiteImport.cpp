#include "SiteImport.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

#include "FileStatus.h"
#include "FolderHandle.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSkippedPathsKept = 20;
constexpr std::string_view kFileScheme = "file://";

std::string NotAFile(fs::file_type type) {
    return std::string(FileTypeDescription(type)) + ", not a regular file";
}

std::string Unreadable(const std::error_code& error) {
    return "could not be read: " + error.message();
}

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

std::size_t NameLength(const fs::path& path) {
    return Utf8FromPath(path.filename()).size();
}

// What a folder entry is, as far as the import cares.
enum class EntryKind { File, Folder, Link, Unknown, Other };

struct Entry {
    std::size_t name = 0;  // offset into the listing's names; NUL-terminated
    std::size_t length = 0;
    EntryKind kind = EntryKind::Unknown;
    fs::file_type type = fs::file_type::unknown;  // what an Other is
};

struct Listing {
    std::string names;
    std::vector<Entry> entries;

    std::string_view Name(const Entry& entry) const {
        return {names.data() + entry.name, entry.length};
    }
    const char* CName(const Entry& entry) const { return names.data() + entry.name; }
    void Add(std::string_view name, EntryKind kind, fs::file_type type = fs::file_type::unknown) {
        if (name == "." || name == "..") return;
        entries.push_back({names.size(), name.size(), kind, type});
        names.append(name);
        names.push_back('\0');
    }
    void Sort() {
        std::sort(entries.begin(), entries.end(),
                  [&](const Entry& a, const Entry& b) { return Name(a) < Name(b); });
    }
};

class Scanner {
public:
    static constexpr char kSeparator = fs::path::preferred_separator;

    Scanner(CImportScan& scan, const ImportProgressFn& progress, std::string rootPath,
            bool skipJunk)
        : scan(scan), progress(progress), rootPath(std::move(rootPath)), skipJunk(skipJunk) {}

    // The contents of the folder at the root path go into CImportScan::kTop.
    void Run();

private:
    bool Tick(std::size_t folder) {
        ++seen;
        if (progress && (seen % 64 == 0 || seen == 1)) {
            if (!progress(ImportProgress{seen, FolderPath(folder)})) scan.cancelled = true;
        }
        return !scan.cancelled;
    }

    // The full path of a scanned folder, built from the names above it.
    std::string FolderPath(std::size_t folder) const {
        std::vector<std::string_view> names;
        for (std::size_t at = folder; at != CImportScan::kTop; at = scan.ParentOf(at))
            names.push_back(scan.FolderName(at));
        std::string path = rootPath;
        for (auto it = names.rbegin(); it != names.rend(); ++it) {
            if (path.empty() || path.back() != kSeparator) path += kSeparator;
            path += *it;
        }
        return path;
    }

    // Adds the entries of one folder's listing (sorted) to the scan; returns the sub-folders.
    // The folder's path is only built when a file needs it for its URL, so that a chain of
    // nested folders does not cost the length of every path on the way down.
    std::vector<std::size_t> TakeListing(std::size_t folder, const Listing& listing) {
        std::vector<std::size_t> subFolders;
        std::string filePath;
        std::size_t base = 0;
        for (const Entry& entry : listing.entries) {
            if (!Tick(folder)) break;
            const std::string_view name = listing.Name(entry);
            if (skipJunk && IsJunkName(name)) {
                ++scan.leftOut;
                continue;
            }
            if (entry.kind == EntryKind::Folder) {
                subFolders.push_back(scan.AddFolder(folder, name));
                continue;
            }
            if (base == 0) {
                filePath = FolderPath(folder);
                if (filePath.empty() || filePath.back() != kSeparator) filePath += kSeparator;
                base = filePath.size();
            }
            filePath.resize(base);
            filePath += name;
            switch (entry.kind == EntryKind::File ? EntryKind::File : Resolve(filePath, entry)) {
                case EntryKind::File:
                    scan.AddFile(folder, filePath, name.size());
                    break;
                case EntryKind::Folder:
                    subFolders.push_back(scan.AddFolder(folder, name));
                    break;
                default:
                    break;
            }
        }
        return subFolders;
    }

    // The kind of an entry that is not a plain file or folder in the listing (a link, another
    // kind of file, or an entry whose type the listing did not give). Only what leads to a
    // regular file is taken; everything else is skipped with its reason.
    EntryKind Resolve(const std::string& path, const Entry& entry) {
        if (entry.kind == EntryKind::Other && entry.type != fs::file_type::unknown) {
            scan.Skip(path, NotAFile(entry.type));
            return EntryKind::Other;
        }
        std::error_code error;
        const fs::file_status own = fs::symlink_status(path, error);
        if (error) {
            scan.Skip(path, Unreadable(error));
            return EntryKind::Other;
        }
        if (fs::is_directory(own)) return EntryKind::Folder;
        if (fs::is_regular_file(own)) return EntryKind::File;
        if (!fs::is_symlink(own)) {
            scan.Skip(path, NotAFile(own.type()));
            return EntryKind::Other;
        }
        const fs::file_status target = fs::status(path, error);
        if (error || !fs::exists(target))
            scan.Skip(path, "a broken link");
        else if (fs::is_directory(target))
            scan.Skip(path, "a link to a folder, which is not followed");
        else if (!fs::is_regular_file(target))
            scan.Skip(path, "a link to " + NotAFile(target.type()));
        else
            return EntryKind::File;
        return EntryKind::Other;
    }

    CImportScan& scan;
    const ImportProgressFn& progress;
    std::string rootPath;
    bool skipJunk = false;
    std::size_t seen = 0;
    long handlesKept = 0;
};

EntryKind KindOf(fs::file_type type) {
    switch (type) {
        case fs::file_type::regular:
            return EntryKind::File;
        case fs::file_type::directory:
            return EntryKind::Folder;
        case fs::file_type::symlink:
            return EntryKind::Link;
        case fs::file_type::none:
            return EntryKind::Unknown;
        default:
            return EntryKind::Other;
    }
}

// Folders are opened relative to their parent's open handle, which costs the same at any depth
// and works past the longest path the system takes. A parent stays open only while sub-folders
// of it wait to be scanned, and no more than this many at once; beyond that (a deep tree with
// sub-folders at every level) the rest are opened by their full path.
constexpr long kHandlesKept = 64;

// An open folder that counts itself among the handles kept while it lives.
struct KeptFolder {
    KeptFolder(CFolderHandle handle, long* kept) : handle(std::move(handle)), kept(kept) {}
    KeptFolder(const KeptFolder&) = delete;
    KeptFolder& operator=(const KeptFolder&) = delete;
    ~KeptFolder() {
        if (kept) --*kept;
    }

    CFolderHandle handle;
    long* kept = nullptr;
};
using SharedFolder = std::shared_ptr<KeptFolder>;

struct Pending {
    std::size_t folder = CImportScan::kTop;
    SharedFolder parent;
};

void Scanner::Run() {
    std::vector<Pending> pending{{CImportScan::kTop, nullptr}};
    while (!pending.empty() && !scan.cancelled) {
        Pending next = std::move(pending.back());
        pending.pop_back();
        std::error_code error;
        CFolderHandle opened =
            next.parent ? next.parent->handle.OpenFolder(scan.FolderName(next.folder), error)
                        : CFolderHandle::OpenThroughLinks(FolderPath(next.folder), error);
        next.parent.reset();
        Listing listing;
        const auto add = [&](std::string_view name, fs::file_type type) {
            listing.Add(name, KindOf(type),
                        type == fs::file_type::none ? fs::file_type::unknown : type);
        };
        if (!opened.IsOpen() || !opened.List(add, error)) {
            scan.Skip(FolderPath(next.folder), Unreadable(error));
            continue;
        }
        if (error)
            scan.Skip(FolderPath(next.folder), "could not be read whole: " + error.message());
        const bool keep = handlesKept < kHandlesKept;
        if (keep) ++handlesKept;
        const auto folder =
            std::make_shared<KeptFolder>(std::move(opened), keep ? &handlesKept : nullptr);
        listing.Sort();
        const std::vector<std::size_t> subFolders = TakeListing(next.folder, listing);
        for (auto it = subFolders.rbegin(); it != subFolders.rend(); ++it)
            pending.push_back({*it, keep ? folder : nullptr});
    }
}

}  // namespace

std::size_t CImportScan::AddFolder(std::size_t parent, std::string_view name) {
    if (parent != kTop && parent >= folders.size())
        throw std::out_of_range("no such folder in the scan");
    folders.push_back({parent, texts.size(), name.size()});
    texts.append(name);
    texts.push_back('\0');
    return folders.size() - 1;
}

void CImportScan::AddFile(std::size_t folder, std::string_view path, std::size_t nameLength) {
    if (folder != kTop && folder >= folders.size())
        throw std::out_of_range("no such folder in the scan");
    const std::size_t url = texts.size();
    const std::size_t urlLength = kFileScheme.size() + path.size();
    nameLength = std::min(nameLength, path.size());
    files.push_back({folder, url, urlLength, nameLength, url + urlLength - nameLength, nameLength});
    texts.append(kFileScheme);
    texts.append(path);
}

void CImportScan::Skip(std::string_view path, std::string_view reason) {
    ++skipped;
    if (skippedEntries.size() < kSkippedPathsKept)
        skippedEntries.push_back({std::string(path), std::string(reason)});
}

std::string_view CImportScan::FolderName(std::size_t folder) const {
    return {texts.data() + folders[folder].name, folders[folder].nameLength};
}

std::string_view CImportScan::FileUrl(std::size_t file) const {
    return {texts.data() + files[file].url, files[file].urlLength};
}

std::string_view CImportScan::FileName(std::size_t file) const {
    const std::string_view url = FileUrl(file);
    return url.substr(url.size() - files[file].nameLength);
}

std::string_view CImportScan::FileCaption(std::size_t file) const {
    return {texts.data() + files[file].caption, files[file].captionLength};
}

namespace {

// A title fit for a caption: on one line, without the blanks around it.
std::string CaptionOfTitle(std::string_view title) {
    std::string caption;
    for (const char c : title)
        caption += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    const std::size_t first = caption.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return caption.substr(first, caption.find_last_not_of(' ') + 1 - first);
}

std::string_view WithoutExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

void CImportScan::Arrange(const ImportOptions& options, const ImportProgressFn& progress) {
    using Caption = CImportSettings::Caption;
    const CImportSettings& settings = options.settings;
    const bool byDate = settings.order == CImportSettings::Order::Date;
    const bool wantFacts = options.readFacts && (settings.caption == Caption::Title || byDate);
    if (settings.caption == Caption::File && !wantFacts) return;
    std::vector<std::string> taken(wantFacts ? files.size() : 0);
    bool reading = wantFacts;
    for (std::size_t i = 0; i < files.size(); ++i) {
        File& file = files[i];
        if (settings.caption != Caption::File)
            file.captionLength = WithoutExtension(FileName(i)).size();
        if (!reading) continue;
        const std::string_view url = FileUrl(i);
        const std::string path(url.substr(kFileScheme.size()));
        if (progress && i % 16 == 0 && !progress(ImportProgress{i + 1, path})) {
            reading = false;
            cancelled = true;
            continue;
        }
        ImportedFileFacts facts = options.readFacts(path);
        taken[i] = std::move(facts.taken);
        if (settings.caption != Caption::Title) continue;
        const std::string title = CaptionOfTitle(facts.title);
        if (title.empty()) continue;
        file.caption = texts.size();
        file.captionLength = title.size();
        texts += title;
    }
    if (!byDate || !wantFacts) return;
    std::vector<std::size_t> order(files.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    // Files keep their folder's place; within it those with a date come first.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (files[a].folder != files[b].folder) return files[a].folder + 1 < files[b].folder + 1;
        if (taken[a].empty() != taken[b].empty()) return taken[b].empty();
        return taken[a] < taken[b];
    });
    std::vector<File> arranged;
    arranged.reserve(files.size());
    for (const std::size_t i : order) arranged.push_back(files[i]);
    files = std::move(arranged);
}

bool IsJunkName(std::string_view name) {
    if (name.starts_with('.') || name.ends_with('~')) return true;
    const std::string lower = [&] {
        std::string text(name);
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    }();
    return lower == "thumbs.db" || lower == "desktop.ini" || lower == "@eadir" ||
           lower == "__macosx";
}

std::string FileUrl(const fs::path& path) {
    return std::string(kFileScheme) + Utf8FromPath(path);
}

CImportScan ScanImportPath(const fs::path& path, const ImportProgressFn& progress,
                           const ImportOptions& options) {
    CImportScan scan;
    const fs::path full = FullPath(path);
    std::error_code error;
    const fs::file_status status = fs::status(full, error);
    if (error || !fs::exists(status)) return scan;
    scan.found = true;
    if (fs::is_directory(status)) {
        scan.isFolder = true;
        Scanner(scan, progress, Utf8FromPath(full), options.settings.skip).Run();
    } else if (fs::is_regular_file(status)) {
        scan.AddFile(CImportScan::kTop, Utf8FromPath(full), NameLength(full));
    } else {
        scan.Skip(Utf8FromPath(full), NotAFile(status.type()));
    }
    if (!scan.cancelled) scan.Arrange(options, progress);
    return scan;
}

// Turns a scan into records; a friend of CImportScan.
struct CImportAdder {
    static CImportResult Add(CSiteTree& tree, CFolderKey target, CImportScan scan) {
        CImportResult result;
        result.skipped = scan.skipped;
        result.skippedEntries = std::move(scan.skippedEntries);
        result.leftOut = scan.leftOut;
        result.cancelled = scan.cancelled;
        if (!tree.Find(target)) {
            result.status = CSiteStatus::NoSuchFolder;
            return result;
        }
        if (scan.folders.empty() && scan.files.empty()) return result;

        // The project keeps the names and URLs; the items borrow them.
        auto storage = std::make_shared<const std::string>(std::move(scan.texts));
        const char* texts = storage->data();
        tree.KeepTexts(storage);

        // Folder f's items and children at f + 1, the target's at 0.
        const std::size_t slots = scan.folders.size() + 1;
        std::vector<std::vector<CSiteItem>> items(slots);
        for (const CImportScan::File& file : scan.files) {
            CSiteItem item;
            item.url = CSiteText::Borrow({texts + file.url, file.urlLength});
            item.caption = CSiteText::Borrow({texts + file.caption, file.captionLength});
            items[file.folder + 1].push_back(std::move(item));
        }
        std::vector<std::vector<std::size_t>> children(slots);
        for (std::size_t f = 0; f < scan.folders.size(); ++f)
            children[scan.folders[f].parent + 1].push_back(f);

        result.itemsAdded += items[0].size();
        tree.AddItems(target, std::move(items[0]));
        // Depth first, so that folder ids go out as a recursive import hands them out.
        std::vector<std::pair<std::size_t, CFolderKey>> pending;
        for (auto it = children[0].rbegin(); it != children[0].rend(); ++it)
            pending.emplace_back(*it, target);
        while (!pending.empty()) {
            const auto [f, parent] = pending.back();
            pending.pop_back();
            const CImportScan::Folder& folder = scan.folders[f];
            const CFolderKey key =
                tree.AddFolder(parent, CSiteText::Borrow({texts + folder.name, folder.nameLength}))
                    .key;
            ++result.foldersAdded;
            result.itemsAdded += items[f + 1].size();
            tree.AddItems(key, std::move(items[f + 1]));
            for (auto it = children[f + 1].rbegin(); it != children[f + 1].rend(); ++it)
                pending.emplace_back(*it, key);
        }
        return result;
    }
};

CImportResult AddImportedScan(CSiteTree& tree, CFolderKey folder, CImportScan scan) {
    return CImportAdder::Add(tree, folder, std::move(scan));
}

CImportResult ImportFolder(CSiteTree& tree, CFolderKey folder, const fs::path& path,
                           const ImportProgressFn& progress) {
    return AddImportedScan(tree, folder, ScanImportPath(path, progress));
}

CImportResult ImportFiles(CSiteTree& tree, CFolderKey folder, const std::vector<std::string>& paths,
                          const ImportOptions& options) {
    CImportScan scan;
    for (const std::string& text : paths) {
        if (text.empty()) continue;
        const fs::path full = FullPath(text);
        std::error_code error;
        const fs::file_status status = fs::status(full, error);
        if (error && error != std::errc::no_such_file_or_directory)
            scan.Skip(text, Unreadable(error));
        else if (!fs::exists(status))
            scan.Skip(text, "does not exist");
        else if (!fs::is_regular_file(status))
            scan.Skip(text, NotAFile(status.type()));
        else
            scan.AddFile(CImportScan::kTop, Utf8FromPath(full), NameLength(full));
    }
    ImportOptions captionOnly = options;
    captionOnly.settings.order = CImportSettings::Order::Name;
    scan.Arrange(captionOnly);
    return AddImportedScan(tree, folder, std::move(scan));
}

std::string ImportSiteName(const fs::path& path) {
    std::error_code error;
    fs::path normal = path.lexically_normal();
    if (normal.has_filename() && normal.filename() != "." && normal.filename() != "..")
        return Utf8FromPath(normal.filename());
    normal = fs::absolute(path, error).lexically_normal();
    if (!normal.has_filename()) normal = normal.parent_path();
    return Utf8FromPath(normal.filename());
}

CImportResult AddImportedScanAsSite(CSiteTree& tree, CFolderKey folder, std::string_view name,
                                    CImportScan scan) {
    if (!scan.isFolder) return AddImportedScan(tree, folder, std::move(scan));
    const CSiteFolderResult site = tree.AddFolder(folder, CSiteText(name));
    if (!site) {
        CImportResult refused;
        refused.status = site.status;
        return refused;
    }
    CImportResult result = AddImportedScan(tree, site.key, std::move(scan));
    ++result.foldersAdded;
    return result;
}
