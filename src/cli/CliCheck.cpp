#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "CliCommands.h"
#include "CliOutput.h"
#include "ExportLocation.h"
#include "ExportPlan.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteTree.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: pagelorn-cli check PROJECT.www [--to DIR]\n"
    "  Lists what exporting PROJECT.www would find wrong, and writes nothing: one line per\n"
    "  problem with its severity, kind, path, where the project names it and details, separated\n"
    "  by tabs, then the number of errors and notes. Errors: a linked file missing, unreadable\n"
    "  or not a file; an export folder that is refused or cannot be used. Notes: pages and\n"
    "  copies renamed because of a clash, characters replaced in page names, markup that\n"
    "  browsers run in a text, linked files inside hidden folders, a charset that cannot be\n"
    "  written, pictures whose size cannot be read. The website settings beside the project\n"
    "  (PROJECT.www.json) are honoured as the export honours them.\n"
    "  --to DIR   check the export into DIR instead of the project's location\n"
    "  Exit status: 0 no errors (notes may be listed), 1 errors listed or a damaged settings\n"
    "  file, 2 the project cannot be read, 130 interrupted.\n";

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

int RunCheckCommand(int argc, char** argv) {
    std::string projectArgument;
    std::string folderArgument;
    bool haveFolder = false;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        if (argument == "--to") {
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
            return FailWithUsage("check takes one project file", kUsage);
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
            if (load.foldersRead == 0)
                return Fail("cannot check " + projectArgument +
                            ": the website tree is damaged from its root folder on.");
            std::fprintf(stderr,
                         "pagelorn-cli: warning: the website tree in %s is damaged; checking the "
                         "%zu folders that could be read%s%s\n",
                         Printable(projectArgument).c_str(), load.foldersRead,
                         load.message.empty() ? "" : ": ", Printable(load.message).c_str());
            break;
        case LoadStatus::HeaderDamaged:
        case LoadStatus::WrongVersion:
        case LoadStatus::NotOpenable:
            return Fail(
                "cannot check " + projectArgument + ": " +
                (load.message.empty() ? std::string("the project cannot be read") : load.message));
    }

    CWebsiteSettings settings;
    const bool settingsRead = LoadSettingsOf(projectPath, settings);

    ExportLocation location;
    if (haveFolder)
        location.folder = folderArgument;
    else
        location = ResolveExportLocation(page.general.location.View(), projectPath);
    const ExportParameters parameters{.tree = tree,
                                      .pageOption = page,
                                      .layoutOption = layout,
                                      .exportFolder = location.folder,
                                      .projectFile = projectPath,
                                      .clearExistingFolder = false,
                                      .progress = {},
                                      .cancel = &InterruptFlag(),
                                      .full = false,
                                      .threads = 0,
                                      .pictures = settings.pictures};
    ExportPlan plan = BuildExportPlan(parameters);
    if (plan.stopped || Interrupted()) return ReportInterruption("the check was not finished.");
    if (!location.problem.empty())
        plan.problems.insert(plan.problems.begin(),
                             ExportFolderProblem(page.general.location.View(), location.problem));

    for (const ExportProblem& problem : plan.problems) {
        const std::string line = std::string(SeverityName(problem.severity)) + "\t" +
                                 std::string(ProblemKindName(problem.kind)) + "\t" +
                                 Printable(problem.path) + "\t" + Printable(problem.where) + "\t" +
                                 Printable(problem.detail);
        std::printf("%s\n", line.c_str());
    }
    const std::size_t errors = plan.ErrorCount();
    std::printf("%s, %s\n", Plural(errors, "error", "errors").c_str(),
                Plural(plan.problems.size() - errors, "note", "notes").c_str());
    return errors > 0 || load.status == LoadStatus::TreeDamaged || !settingsRead ? kExitPartly
                                                                                 : kExitOk;
}
