#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "CliCommands.h"
#include "CliOutput.h"
#include "CliWebsite.h"
#include "ExportLocation.h"
#include "ExportParametersFor.h"
#include "Terminal.h"
#include "Utf8Path.h"
#include "WebsiteExporter.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: pagelorn-cli export PROJECT.www [--to DIR] [--yes] [--full]\n"
    "  Writes the website of PROJECT.www into DIR, or else into the folder the project names\n"
    "  as its location (a relative location is taken from the project's folder; with none, a\n"
    "  folder named after the project, PROJECT, inside the folder Export beside the program when\n"
    "  it may be written there, else inside Pagelorn Export in your documents folder). Into a\n"
    "  folder that holds an earlier export only what changed is\n"
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
    return IsTerminal(StandardStream::Error);
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
    WebsiteArguments arguments;
    bool yes = false;
    bool full = false;
    const auto flag = [&](std::string_view argument) {
        if (argument == "--yes" || argument == "-y") return yes = true;
        if (argument == "--full") return full = true;
        return false;
    };
    if (const std::optional<int> done =
            ParseWebsiteArguments(argc, argv, "export", kUsage, arguments, flag))
        return *done;

    const fs::path projectPath = arguments.project;
    CProject website;
    ProjectOpenResult opened;
    if (const std::optional<int> failed = LoadWebsite(projectPath, "export", "exporting",
                                                      "; nothing was exported", website, opened))
        return *failed;
    const CPageOption& page = website.PageOption();

    fs::path folder;
    if (arguments.haveFolder) {
        folder = arguments.folder;
    } else {
        const ExportLocation location =
            ResolveExportLocation(page.general.location.View(), projectPath);
        if (!location.problem.empty())
            return Fail(location.problem, "Give the export folder with --to DIR.");
        folder = location.folder;
    }

    CProgressLine progressLine;
    const bool terminal = StderrIsTerminal();
    ExportParameters parameters = ExportParametersFor(website, folder);
    // A damaged tree leaves the project untitled; its links are still read from its folder.
    parameters.projectFile = projectPath;
    parameters.clearExistingFolder = yes;
    parameters.cancel = &InterruptFlag();
    parameters.full = full;
    if (terminal)
        parameters.progress = [&](const ExportProgress& p) { return progressLine.Show(p); };

    // The export checks the folder itself before it touches anything: a refusal, a folder that
    // cannot be used and one that holds files without --yes come back untouched.
    const ExportResult result = ExportWebsite(parameters);
    progressLine.End();
    if (result.status == ExportStatus::NotCleared)
        return Fail(Utf8FromPath(result.exportFolder) +
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
    if (!result.failures.empty() || ReadInPart(opened)) return kExitPartly;
    return kExitOk;
}
