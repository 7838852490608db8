#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "CliCommands.h"
#include "CliOutput.h"
#include "ImportFacts.h"
#include "ListingWriter.h"
#include "Project.h"
#include "SiteImport.h"
#include "SiteTree.h"
#include "Utf8Path.h"
#include "WebsiteExporter.h"
#include "WebsiteSettings.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kNewUsage =
    "usage: pagelorn-cli new PROJECT.www [--force]\n"
    "  Writes a new project: the root \"Index\" and the default properties, and beside it the\n"
    "  website settings PROJECT.www.json with thumbnail files on, PNG and WebP shown as\n"
    "  pictures and the modern page style.\n"
    "  --force   replace PROJECT.www (and its settings) if it exists already\n"
    "  Exit status: 0 written, 2 nothing written, 130 interrupted (nothing written).\n";
constexpr const char* kImportUsage =
    "usage: pagelorn-cli import PROJECT.www PATH... [--as-site]\n"
    "  Adds each PATH to the project's root: a folder's contents as sub-sites and items, a file\n"
    "  as one item. Only regular files are imported. A PATH that does not exist is skipped and\n"
    "  named. A project that does not exist yet is created, with the settings of a new\n"
    "  project. While another pagelorn-cli changes the same project, waits a few seconds for it.\n"
    "  --as-site   make each folder PATH a sub-site of the root named after the folder, holding\n"
    "              its contents\n"
    "  The settings' \"import\" section picks the captions (file name, name without extension,\n"
    "  or a picture's title), the order (by name, or by date taken) and whether hidden and junk\n"
    "  files are left out; a new project captions by title, orders by date and leaves junk out.\n"
    "  Exit status: 0 imported, 1 imported but a PATH does not exist, 2 nothing imported,\n"
    "  130 interrupted.\n";
constexpr const char* kShowUsage =
    "usage: pagelorn-cli show PROJECT.www\n"
    "  Prints the website settings (PROJECT.www.json; every setting off and the classic page\n"
    "  style without one), then the project's folders, indented by depth, with their items.\n"
    "  Exit status: 0 complete, 1 the tree part or the settings file is damaged, 2 the file\n"
    "  could not be read.\n";

bool WantsHelp(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return true;
    }
    return false;
}

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// Whether a project was written under the name: an empty file is one whose first save never came.
bool HoldsProject(const fs::path& path) {
    std::error_code error;
    if (!Exists(path)) return false;
    return !fs::is_regular_file(path, error) || fs::file_size(path, error) != 0 || error;
}

std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Locks the project for a command that rewrites it; kExitOk when locked, else the exit code, the
// message printed. `nothingDone` finishes the message ("Nothing was imported.").
int LockProject(CProject& website, const fs::path& project, const char* nothingDone) {
    CProjectLock::Options options;
    options.cancel = &InterruptFlag();
    options.waiting = [&] {
        std::fprintf(stderr, "pagelorn-cli: waiting for another program to finish with %s...\n",
                     Printable(Quoted(Utf8FromPath(project))).c_str());
    };
    switch (website.Lock(project, options)) {
        case CProjectLock::Status::Locked:
            return kExitOk;
        case CProjectLock::Status::Cancelled:
            return ReportInterruption(std::string(nothingDone) + " " +
                                      Quoted(Utf8FromPath(project)) + " is as it was.");
        case CProjectLock::Status::Unlocked:
        case CProjectLock::Status::Busy:
        case CProjectLock::Status::Failed:
            break;
    }
    return Fail(website.HeldLock().Message(), nothingDone);
}

// What a save that wrote the project file says about its settings file: the message of a
// failure, else "".
std::string SettingsFailure(const ProjectSaveResult& saved) {
    return saved.status == ProjectSaveStatus::SettingsFailed
               ? "the website settings could not be written: " + saved.message
               : std::string();
}

const char* OnOff(bool flag) {
    return flag ? "true" : "false";
}

}  // namespace

bool ReportSettings(const SettingsLoadResult& settings) {
    if (settings.status != SettingsLoadStatus::Damaged) return true;
    PrintMessage("warning: " + settings.message);
    return false;
}

int RunNewCommand(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::fputs(kNewUsage, stdout);
        return kExitOk;
    }
    std::vector<std::string> paths;
    bool force = false;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--force")
            force = true;
        else if (argument.starts_with("--"))
            return FailWithUsage("unknown option " + std::string(argument), kNewUsage);
        else
            paths.emplace_back(argument);
    }
    if (paths.size() != 1) return FailWithUsage("new takes one project file", kNewUsage);
    const fs::path project = paths.front();
    const std::string exists = Quoted(Utf8FromPath(project)) +
                               " exists already; use --force to replace it with a new project.";
    if (!force && HoldsProject(project)) return Fail(exists);

    // The root "Index", the default properties and the settings of a new project.
    CProject created;
    if (const int locked = LockProject(created, project, "No project was written.");
        locked != kExitOk)
        return locked;
    // Another program may have written the project while this one waited.
    if (!force && !created.HeldLock().FoundEmpty()) return Fail(exists);
    if (Interrupted()) {
        created.Unlock();
        return ReportInterruption("no project was written.");
    }

    ProjectSaveOptions options;
    options.damagedSettings = SettingsSave::OverwriteDamaged;
    const ProjectSaveResult saved = created.SaveAs(project, options);
    if (!saved.projectWritten) return Fail(saved.message);
    std::printf("Wrote the new project %s.\n", Printable(Quoted(Utf8FromPath(project))).c_str());
    if (const std::string failed = SettingsFailure(saved); !failed.empty()) {
        PrintMessage(failed);
        return kExitPartly;
    }
    if (Interrupted()) return ReportInterruption("the new project had been written already.");
    return kExitOk;
}

int RunImportCommand(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::fputs(kImportUsage, stdout);
        return kExitOk;
    }
    std::vector<const char*> paths;
    bool asSites = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--as-site")
            asSites = true;
        else
            paths.push_back(argv[i]);
    }
    if (argc < 1 || paths.empty())
        return FailWithUsage("import needs a project and a path", kImportUsage);
    const fs::path project = argv[0];
    constexpr const char* kNothingImported = "Nothing was imported.";

    // Held from reading the project to the end of the save, so that a second import at the same
    // time waits for this one and then adds to what it saved.
    CProject website;
    if (const int locked = LockProject(website, project, kNothingImported); locked != kExitOk)
        return locked;

    // A project not yet written starts as a new one, with the settings of a new project.
    bool newProject = website.HeldLock().CreatedFile();
    if (!newProject) {
        const ProjectOpenResult opened = website.Open(project);
        if (!opened.load.IsComplete())
            return Fail(opened.load.message,
                        "Nothing was imported: the project file is left as it is, so that "
                        "nothing more of it is lost.");
        newProject = opened.load.notWritten;
        if (newProject)
            website.Settings() = CWebsiteSettings::ForNewProject();
        else
            ReportSettings(opened.settings);
    }
    const auto interrupted = [&] {
        website.Unlock();
        return ReportInterruption("nothing was imported; " + Quoted(Utf8FromPath(project)) +
                                  " is as it was.");
    };

    // The settings say how files are captioned, ordered and picked; a new project has its own.
    ImportOptions options{website.Settings().importing,
                          [](const std::string& path) { return ReadImportFacts(path); }};

    // Every path is scanned before the project changes. A path that does not exist is skipped,
    // as the window's import skips it, and named; only when none exists is nothing imported.
    std::vector<std::pair<const char*, CImportScan>> scans;
    std::vector<std::string> missing;
    const ImportProgressFn keepGoing = [](const ImportProgress&) { return !Interrupted(); };
    for (const char* path : paths) {
        CImportScan scan = ScanImportPath(path, keepGoing, options);
        if (Interrupted()) return interrupted();
        if (scan.found)
            scans.emplace_back(path, std::move(scan));
        else
            missing.push_back(Quoted(path));
    }
    if (scans.empty()) {
        website.Unlock();
        for (std::size_t i = 0; i + 1 < missing.size(); ++i)
            PrintMessage(missing[i] + " does not exist.");
        return Fail(missing.back() + " does not exist; nothing was imported.");
    }

    // What was added is told only once it is saved.
    std::string summary;
    std::vector<std::string> skippedLines;
    for (const std::string& path : missing)
        skippedLines.push_back("skipped " + path + ": it does not exist");
    CSiteTree& tree = website.Tree();
    const CFolderKey root = tree.RootKey();
    for (auto& [path, scan] : scans) {
        const CImportResult result =
            asSites ? AddImportedScanAsSite(tree, root, ImportSiteName(path), std::move(scan))
                    : AddImportedScan(tree, root, std::move(scan));
        summary += Printable(path) + ": " + Plural(result.foldersAdded, "sub-site", "sub-sites") +
                   " and " + Plural(result.itemsAdded, "item", "items") + " added";
        if (result.skipped > 0)
            summary += ", " + Plural(result.skipped, "entry", "entries") + " skipped";
        if (result.leftOut > 0)
            summary += ", " +
                       Plural(result.leftOut, "hidden or junk entry", "hidden or junk entries") +
                       " left out";
        summary += '\n';
        for (const ImportSkip& skipped : result.skippedEntries)
            skippedLines.push_back("skipped " + Quoted(skipped.path) + ": " + skipped.reason);
        if (result.skipped > result.skippedEntries.size())
            skippedLines.push_back("... and " +
                                   std::to_string(result.skipped - result.skippedEntries.size()) +
                                   " more skipped");
    }
    if (Interrupted()) return interrupted();

    // The settings file is written only for a new project: an existing one keeps its file.
    ProjectSaveOptions saving;
    saving.writeSettings = newProject;
    saving.damagedSettings = SettingsSave::OverwriteDamaged;
    const ProjectSaveResult saved = website.SaveAs(project, saving);
    if (!saved.projectWritten) return Fail(saved.message, kNothingImported);
    const std::string settingsFailed = SettingsFailure(saved);
    std::fputs(summary.c_str(), stdout);
    if (!settingsFailed.empty()) {
        PrintMessage(settingsFailed);
        return kExitPartly;
    }
    for (const std::string& line : skippedLines) PrintMessage(line);
    if (Interrupted()) return ReportInterruption("the import had been saved already.");
    return missing.empty() ? kExitOk : kExitPartly;
}

int RunShowCommand(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::fputs(kShowUsage, stdout);
        return kExitOk;
    }
    if (argc != 1) return FailWithUsage("show takes one project file", kShowUsage);
    const fs::path project = argv[0];

    // The folders are printed as they are read, never kept: the listing holds the file's bytes
    // and one folder at a time.
    bool settingsRead = true;
    const auto printSettings = [&](const CWebsiteSettings& settings,
                                   const SettingsLoadResult& read) {
        settingsRead = ReportSettings(read);
        const CPictureSettings& pictures = settings.pictures;
        const fs::path settingsFile = WebsiteSettingsPath(project);
        const std::string from = !settingsRead ? "its settings file is damaged"
                                 : Exists(settingsFile)
                                     ? Printable(Utf8FromPath(settingsFile.filename()))
                                     : "no settings file";
        std::printf(
            "settings: thumbnails %s, box %d, density %d, quality %d, modernTypes %s (%s)\n",
            OnOff(pictures.thumbnails), pictures.box, pictures.density, pictures.quality,
            OnOff(pictures.modernTypes), from.c_str());
        std::printf("pages: style %s, view %d\n", PageStyleName(settings.pages.style),
                    pictures.view);
    };

    CListingWriter listing;
    const auto put = [](char* to, std::string_view text) {
        std::memcpy(to, text.data(), text.size());
        return to + text.size();
    };
    constexpr std::size_t kNumberRoom = 11;  // "-2147483648"
    std::size_t folders = 0;
    std::size_t items = 0;
    std::size_t hidden = 0;
    const auto printFolder = [&](const CSiteFolder& folder, std::size_t depth) {
        ++folders;
        // Only a hostile file holds a tree this deep; its indentation alone would be gigabytes.
        if (depth > static_cast<std::size_t>(kMaxExportDepth)) {
            ++hidden;
            items += folder.items.size();
            return;
        }
        const std::size_t indent = depth * 2;
        char* to =
            listing.Reserve(indent + PrintableRoom(folder.caption.size()) + 9 + kNumberRoom + 2);
        to = std::fill_n(to, indent, ' ');
        to = CopyPrintable(to, folder.caption);
        to = put(to, " (folder ");
        to = std::to_chars(to, to + kNumberRoom, folder.id).ptr;
        to = put(to, ")\n");
        listing.Commit(to);
        for (const CSiteItem& item : folder.items) {
            const std::string_view caption = item.caption;
            const std::string_view url = item.url;
            to = listing.Reserve(indent + 7 + kNumberRoom + 2 + PrintableRoom(caption.size()) + 4 +
                                 PrintableRoom(url.size()) + 1);
            to = std::fill_n(to, indent + 2, ' ');
            to = put(to, "item ");
            to = std::to_chars(to, to + kNumberRoom, item.id).ptr;
            to = put(to, ": ");
            to = CopyPrintable(to, caption);
            to = put(to, " -> ");
            to = CopyPrintable(to, url);
            *to++ = '\n';
            listing.Commit(to);
            ++items;
        }
    };

    CProject website;
    const ProjectOpenResult opened = website.List(project, printSettings, printFolder);
    const LoadResult& loaded = opened.load;
    if (loaded.status == LoadStatus::NotOpenable || loaded.status == LoadStatus::HeaderDamaged)
        return Fail(loaded.message);
    if (loaded.status == LoadStatus::WrongVersion)
        return Fail(Utf8FromPath(project) + ": " + loaded.message);
    listing.Flush();
    if (hidden > 0)
        std::printf("not shown: %s deeper than %d levels\n",
                    Plural(hidden, "folder", "folders").c_str(), kMaxExportDepth);
    if (loaded.status == LoadStatus::TreeDamaged) {
        std::printf("incomplete: only %s could be read\n",
                    Plural(loaded.foldersRead, "folder", "folders").c_str());
        PrintMessage(loaded.message);
        return kExitPartly;
    }
    std::printf("complete: %s, %s\n", Plural(folders, "folder", "folders").c_str(),
                Plural(items, "item", "items").c_str());
    return settingsRead ? kExitOk : kExitPartly;
}
