#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "CliCommands.h"
#include "CliOutput.h"
#include "CliWebsite.h"
#include "ExportLocation.h"
#include "ExportParametersFor.h"
#include "ExportPlan.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: pagelorn-cli check PROJECT.www [--to DIR]\n"
    "  Lists what exporting PROJECT.www would find wrong, and writes nothing: one line per\n"
    "  problem with its severity, kind, path, where the project names it and details, separated\n"
    "  by tabs, then the number of errors and notes. Errors: a linked file missing, unreadable,\n"
    "  not a file or matching several files without regard to case; an export folder that is\n"
    "  refused or cannot be used. Notes: pages and copies renamed because of a clash,\n"
    "  characters replaced in page names, markup that\n"
    "  browsers run in a text, linked files inside hidden folders, a charset that cannot be\n"
    "  written, pictures whose size cannot be read, the entries at the top of the export\n"
    "  folder that an export keeps (names beginning with \".\", and CNAME), an export folder\n"
    "  that holds files this project did not make (which export --yes deletes). The last line\n"
    "  names the export folder, resolved. The website settings beside the project\n"
    "  (PROJECT.www.json) are honoured as the export honours them.\n"
    "  --to DIR   check the export into DIR instead of the project's location\n"
    "  Exit status: 0 no errors (notes may be listed), 1 errors listed or a damaged settings\n"
    "  file, 2 the project cannot be read, 130 interrupted.\n";

// How many of the entries an export would delete a note names.
constexpr std::size_t kNamesShown = 5;

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

int RunCheckCommand(int argc, char** argv) {
    WebsiteArguments arguments;
    if (const std::optional<int> done =
            ParseWebsiteArguments(argc, argv, "check", kUsage, arguments))
        return *done;

    const fs::path projectPath = arguments.project;
    CProject website;
    ProjectOpenResult opened;
    if (const std::optional<int> failed =
            LoadWebsite(projectPath, "check", "checking", "", website, opened))
        return *failed;
    const CPageOption& page = website.PageOption();

    ExportLocation location;
    if (arguments.haveFolder)
        location.folder = arguments.folder;
    else
        location = ResolveExportLocation(page.general.location.View(), projectPath);
    ExportParameters parameters = ExportParametersFor(website, location.folder);
    // A damaged tree leaves the project untitled; its links are still read from its folder.
    parameters.projectFile = projectPath;
    parameters.cancel = &InterruptFlag();
    ExportPlan plan = BuildExportPlan(parameters);
    if (plan.stopped || Interrupted()) return ReportInterruption("the check was not finished.");
    if (!location.problem.empty())
        plan.problems.insert(plan.problems.begin(),
                             ExportFolderProblem(page.general.location.View(), location.problem));
    // What export --yes would delete, because this project's export does not make it: files of
    // someone else's, or of an earlier export of another project.
    if (const UnplannedEntries foreign = FindUnplannedEntries(plan, kNamesShown);
        foreign.count > 0) {
        ExportProblem note = ExportFolderProblem(plan.exportFolder, "");
        note.severity = ProblemSeverity::Note;
        if (arguments.haveFolder) note.where = "--to";
        note.detail = "it holds " + Plural(foreign.count, "file or folder", "files or folders") +
                      " this project did not make (";
        for (std::size_t i = 0; i < foreign.names.size(); ++i)
            note.detail += (i > 0 ? ", " : "") + foreign.names[i];
        note.detail += foreign.count > foreign.names.size() ? ", ...)" : ")";
        note.detail += ", which export --yes deletes";
        plan.problems.insert(plan.problems.begin(), std::move(note));
    }
    if (std::optional<ExportProblem> ftp = PublishAddressProblem(website.Settings().publish.url))
        plan.problems.push_back(std::move(*ftp));

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
    if (!plan.exportFolder.empty())
        std::printf("export folder: %s\n", Printable(Utf8FromPath(plan.exportFolder)).c_str());
    return errors > 0 || ReadInPart(opened) ? kExitPartly : kExitOk;
}
