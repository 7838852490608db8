#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "CliCommands.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteImport.h"
#include "SiteTree.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitTreeDamaged = 1;
constexpr int kExitFailed = 2;

constexpr const char* kNewUsage =
    "usage: pagelorn-cli new PROJECT.www [--force]\n"
    "  Writes a new project: the root \"Index\" and the default properties.\n"
    "  --force   replace PROJECT.www if it exists already\n";
constexpr const char* kImportUsage =
    "usage: pagelorn-cli import PROJECT.www PATH...\n"
    "  Adds each PATH to the project's root: a folder's contents as sub-sites and items, a file\n"
    "  as one item. A project that does not exist yet is created.\n";
constexpr const char* kShowUsage =
    "usage: pagelorn-cli show PROJECT.www\n"
    "  Prints the project's folders, indented by depth, with their items.\n"
    "  Exit status: 0 complete, 1 the tree part is damaged, 2 the file could not be read.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "pagelorn-cli: %s\n", message.c_str());
    return kExitFailed;
}

int Usage(const char* usage) {
    std::fputs(usage, stderr);
    return kExitFailed;
}

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

// Texts come from project files made anywhere; control bytes would break the one-line-per-entry
// listing, so they are shown escaped.
std::string Printable(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
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

}  // namespace

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
            return Usage(kNewUsage);
        else
            paths.emplace_back(argument);
    }
    if (paths.size() != 1) return Usage(kNewUsage);
    const fs::path project = paths.front();
    if (!force && Exists(project))
        return Fail(Quoted(project.string()) +
                    "\" exists already; use --force to replace it with a new project.");

    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    const SaveResult saved = SaveProject(project, page, layout, tree);
    if (!saved) return Fail(saved.message);
    std::printf("Wrote the new project \"%s\".\n", project.string().c_str());
    return kExitOk;
}

int RunImportCommand(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::fputs(kImportUsage, stdout);
        return kExitOk;
    }
    if (argc < 2) return Usage(kImportUsage);
    const fs::path project = argv[0];

    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    if (Exists(project)) {
        const LoadResult loaded = LoadProject(project, page, layout, tree);
        if (!loaded.IsComplete())
            return Fail(loaded.message +
                        "\nNothing was imported: the project file is left as it is, " +
                        "so that nothing more of it is lost.");
    }

    // Every path is scanned before the project changes, so a mistyped path imports nothing.
    std::vector<CImportScan> scans;
    for (int i = 1; i < argc; ++i) {
        scans.push_back(ScanImportPath(argv[i]));
        if (!scans.back().found)
            return Fail(Quoted(argv[i]) + " does not exist; nothing was imported.");
    }

    CSiteNode& root = *tree.Root();
    for (std::size_t i = 0; i < scans.size(); ++i) {
        const char* path = argv[i + 1];
        const CImportResult result = AddImportedScan(tree, root, std::move(scans[i]));
        std::printf("%s: %s and %s added", path,
                    Plural(result.foldersAdded, "sub-site", "sub-sites").c_str(),
                    Plural(result.itemsAdded, "item", "items").c_str());
        if (result.skipped > 0)
            std::printf(", %s skipped", Plural(result.skipped, "entry", "entries").c_str());
        std::printf("\n");
        for (const ImportSkip& skipped : result.skippedEntries)
            std::fprintf(stderr, "pagelorn-cli: skipped \"%s\": %s\n", skipped.path.c_str(),
                         skipped.reason.c_str());
        if (result.skipped > result.skippedEntries.size())
            std::fprintf(stderr, "pagelorn-cli: ... and %zu more skipped\n",
                         result.skipped - result.skippedEntries.size());
    }

    const SaveResult saved = SaveProject(project, page, layout, tree);
    if (!saved) return Fail(saved.message + "\nNothing was imported.");
    return kExitOk;
}

int RunShowCommand(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::fputs(kShowUsage, stdout);
        return kExitOk;
    }
    if (argc != 1) return Usage(kShowUsage);
    const fs::path project = argv[0];

    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    const LoadResult loaded = LoadProject(project, page, layout, tree);
    if (loaded.status == LoadStatus::NotOpenable || loaded.status == LoadStatus::HeaderDamaged)
        return Fail(loaded.message);
    if (loaded.status == LoadStatus::WrongVersion)
        return Fail(project.string() + ": " + loaded.message);

    std::size_t items = 0;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int depth) {
        const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
        const CSiteFolder& folder = node.Folder();
        std::printf("%s%s (folder %d)\n", indent.c_str(), Printable(folder.caption).c_str(),
                    folder.id);
        for (const auto& item : folder.items) {
            std::printf("%s  item %d: %s -> %s\n", indent.c_str(), item->id,
                        Printable(item->caption).c_str(), Printable(item->url).c_str());
            ++items;
        }
    });
    if (loaded.status == LoadStatus::TreeDamaged) {
        std::printf("incomplete: only %s could be read\n",
                    Plural(loaded.foldersRead, "folder", "folders").c_str());
        std::fprintf(stderr, "pagelorn-cli: %s\n", loaded.message.c_str());
        return kExitTreeDamaged;
    }
    std::printf("complete: %s, %s\n", Plural(tree.FolderCount(), "folder", "folders").c_str(),
                Plural(items, "item", "items").c_str());
    return kExitOk;
}
