#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "CliCommands.h"
#include "CliOutput.h"
#include "ExportLocation.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteTree.h"
#include "WebsiteExporter.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: pagelorn-cli export PROJECT.www [--to DIR] [--yes] [--full]\n"
    "  Writes the website of PROJECT.www into DIR, or else into the folder the project names\n"
    "  as its location (a relative location is taken from the project's folder; with none, the\n"
    "  folder Export beside the program when it may be written there, else Pagelorn Export in\n"
    "  your documents folder). Into a folder that holds an earlier export only what changed is\n"
    "  written: pages with the same bytes and copies with their source's size and time stay,\n"
    "  and whatever the export does not make is deleted. The website settings beside the\n"
    "  project (PROJECT.www.json) say how pictures are shown: with thumbnails on, each picture\n"
    "  larger than its box gets a thumbnail file in DIR/thumb, made again only when its source\n"
    "  or the settings changed.\n"
    "  --to DIR   export into DIR\n"
    "  --yes      go ahead in an export folder that is not empty (what the export does not make\n"
    "             is deleted)\n"
    "  --full     delete everything inside the export folder, then write and copy everything\n"
    "  A folder that holds the project, a file it links to, a home folder or a folder of the\n"
    "  system is never cleared.\n"
    "  Exit status: 0 exported, 1 exported with failures (listed) or a damaged settings file\n"
    "  (exported with every setting off), 2 nothing exported,\n"
    "  130 interrupted (the pages and copies written so far stay, all of them whole).\n";

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

// One progress line, rewritten in place at most ten times a second.
class CProgressLine {
public:
    bool Show(const ExportProgress& progress) {
        const auto now = std::chrono::steady_clock::now();
        const bool finished =
            progress.pagesDone == progress.pagesTotal && progress.filesDone == progress.filesTotal;
        if (!finished && shown && now - lastShown < std::chrono::milliseconds(100)) return true;
        lastShown = now;
        shown = true;
        std::fprintf(stderr,
                     "\rExporting: pages %zu of %zu (%zu up to date), files %zu of %zu (%zu up to "
                     "date)",
                     progress.pagesDone, progress.pagesTotal, progress.pagesUpToDate,
                     progress.filesDone, progress.filesTotal, progress.filesUpToDate);
        if (progress.thumbnailsTotal > 0)
            std::fprintf(stderr, ", thumbnails %zu of %zu (%zu up to date)",
                         progress.thumbnailsDone, progress.thumbnailsTotal,
                         progress.thumbnailsUpToDate);
        std::fflush(stderr);
        return true;
    }
    void End() const {
        if (shown) std::fputc('\n', stderr);
    }

private:
    bool shown = false;
    std::chrono::steady_clock::time_point lastShown;
};

}  // namespace

int RunExportCommand(int argc, char** argv) {
    std::string projectArgument;
    std::string folderArgument;
    bool haveFolder = false;
    bool yes = false;
    bool full = false;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        if (argument == "--yes" || argument == "-y") {
            yes = true;
        } else if (argument == "--full") {
            full = true;
        } else if (argument == "--to") {
            if (i + 1 >= argc) return FailWithUsage("--to needs a folder", kUsage);
            folderArgument = argv[++i];
            haveFolder = true;
        } else if (argument.starts_with("--to=")) {
            folderArgument = std::string(argument.substr(5));
            haveFolder = true;
        } else if (argument.starts_with("-") && argument.size() > 1) {
            return FailWithUsage("unknown option " + std::string(argument), kUsage);
        } else if (projectArgument.empty()) {
            projectArgument = std::string(argument);
        } else {
            return FailWithUsage("export takes one project file", kUsage);
        }
    }
    if (projectArgument.empty()) return FailWithUsage("no project file given", kUsage);
    if (haveFolder && folderArgument.empty()) return Fail("--to needs a folder");

    CatchInterruptions();
    const fs::path projectPath = projectArgument;
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    const LoadResult load = LoadProject(projectPath, page, layout, tree);
    switch (load.status) {
        case LoadStatus::Complete:
            break;
        case LoadStatus::TreeDamaged:
            // Without its root record the tree read is the default one, not the project's.
            if (load.foldersRead == 0)
                return Fail("cannot export " + projectArgument +
                            ": the website tree is damaged from its root folder on; nothing was "
                            "exported.");
            std::fprintf(stderr,
                         "pagelorn-cli: warning: the website tree in %s is damaged; exporting the "
                         "%zu folders that could be read%s%s\n",
                         Printable(projectArgument).c_str(), load.foldersRead,
                         load.message.empty() ? "" : ": ", Printable(load.message).c_str());
            break;
        case LoadStatus::HeaderDamaged:
        case LoadStatus::WrongVersion:
        case LoadStatus::NotOpenable:
            return Fail(
                "cannot export " + projectArgument + ": " +
                (load.message.empty() ? std::string("the project cannot be read") : load.message));
    }

    CWebsiteSettings settings;
    const bool settingsRead = LoadSettingsOf(projectPath, settings);

    fs::path folder;
    if (haveFolder) {
        folder = folderArgument;
    } else {
        const ExportLocation location =
            ResolveExportLocation(page.general.location.View(), projectPath);
        if (!location.problem.empty())
            return Fail(location.problem, "Give the export folder with --to DIR.");
        folder = location.folder;
    }

    CProgressLine progressLine;
    const bool terminal = StderrIsTerminal();
    ExportParameters parameters{.tree = tree,
                                .pageOption = page,
                                .layoutOption = layout,
                                .exportFolder = folder,
                                .projectFile = projectPath,
                                .clearExistingFolder = yes,
                                .progress = {},
                                .cancel = &InterruptFlag(),
                                .full = full,
                                .threads = 0,
                                .pictures = settings.pictures};
    if (terminal)
        parameters.progress = [&](const ExportProgress& p) { return progressLine.Show(p); };

    // The export checks the folder itself before it touches anything: a refusal, a folder that
    // cannot be used and one that holds files without --yes come back untouched.
    const ExportResult result = ExportWebsite(parameters);
    progressLine.End();
    if (result.status == ExportStatus::NotCleared)
        return Fail(result.exportFolder.string() +
                    " exists and is not empty; nothing was touched. Run again with --yes to "
                    "export into it (deleting what the export does not make).");
    if (result.status != ExportStatus::Completed && result.status != ExportStatus::Stopped) {
        if (Interrupted()) return ReportInterruption(result.message);
        return Fail(result.message);
    }

    for (const ExportFailure& failure : result.failures)
        PrintMessage(failure.path + ": " + failure.reason);
    if (result.status == ExportStatus::Stopped || Interrupted())
        return ReportInterruption(result.message);
    std::printf("%s\n", Printable(result.message).c_str());
    if (!result.failures.empty() || load.status == LoadStatus::TreeDamaged || !settingsRead)
        return kExitPartly;
    return kExitOk;
}
