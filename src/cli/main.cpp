#include <cstdio>
#include <string_view>

#include "CliCommands.h"
#include "CliOutput.h"
#include "HeapUse.h"
#include "ProgramInfo.h"

namespace {

// The manual page resources/man/pagelorn-cli.1.scd describes every command, option and exit
// status; a command, option or exit status added here or in a command's own help goes there too
// (tests/cli/manual-test.sh compares them).
constexpr const char* kUsage =
    "usage: pagelorn-cli COMMAND [ARGUMENTS]\n"
    "Builds and inspects Pagelorn website projects (*.www) without a window.\n"
    "\n"
    "Commands:\n"
    "  new PROJECT.www [--force]        write a new project with the root \"Index\"\n"
    "  import PROJECT.www PATH... [--as-site]\n"
    "                                   add folders and files to the project's root (each\n"
    "                                   folder as a sub-site of its name with --as-site)\n"
    "  show PROJECT.www                 print the website settings, folders and items\n"
    "  check PROJECT.www [--to DIR]     list what the export would find wrong (missing files,\n"
    "                                   clashes ...), writing nothing\n"
    "  export PROJECT.www [--to DIR] [--yes] [--full]\n"
    "                                   write the website's pages and thumbnails; into an\n"
    "                                   earlier export only what changed, all of it with\n"
    "                                   --full\n"
    "  set PROJECT.www KEY=VALUE...     set properties of the website (title, location,\n"
    "                                   charset, colours, rows, pictures.box ...)\n"
    "  get PROJECT.www [KEY]            print one property, or every KEY=VALUE\n"
    "  caption PROJECT.www PATH TEXT    give a sub-site or item a caption\n"
    "  describe PROJECT.www PATH TEXT   give a sub-site or item a description\n"
    "  move PROJECT.www PATH up|down|POSITION|--into FOLDER\n"
    "                                   move a sub-site or item\n"
    "  remove PROJECT.www PATH          remove a sub-site or item\n"
    "  sort PROJECT.www [PATH] [--by caption|name|date] [--recursive]\n"
    "                                   put a folder's items in order\n"
    "  publish PROJECT.www [--to URL] [--dry-run] [--into-nonempty] [--accept-host-key FP]\n"
    "                                   bring the export up to date and upload what changed\n"
    "                                   to the web host over SFTP or FTPS\n"
    "\n"
    "Options:\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Exit status:\n"
    "  0  done\n"
    "  1  finished, but something failed or the project or its settings file is damaged;\n"
    "     check: errors found\n"
    "  2  nothing done: a mistake on the command line, or a file that could not be read or\n"
    "     written; also when standard output could not be written\n"
    "  130  stopped by Ctrl+C (SIGINT) or SIGTERM: temporary files are removed, and the\n"
    "       last line says what was done\n"
    "\n"
    "\"pagelorn-cli COMMAND --help\" tells more about a command.\n";

struct Command {
    std::string_view name;
    int (*run)(int argc, char** argv);
};

constexpr Command kCommands[] = {
    {"new", RunNewCommand},           {"import", RunImportCommand},
    {"show", RunShowCommand},         {"check", RunCheckCommand},
    {"export", RunExportCommand},     {"set", RunSetCommand},
    {"get", RunGetCommand},           {"caption", RunCaptionCommand},
    {"describe", RunDescribeCommand}, {"move", RunMoveCommand},
    {"remove", RunRemoveCommand},     {"sort", RunSortCommand},
    {"publish", RunPublishCommand},
};

int RunCli(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (name == "--version") {
        std::printf("pagelorn-cli %s\n", kProgramVersion);
        return 0;
    }
    for (const Command& command : kCommands)
        if (command.name == name) return command.run(argc - 2, argv + 2);
    std::fprintf(stderr, "pagelorn-cli: unknown command \"%s\"\n\n%s", Printable(name).c_str(),
                 kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // First of all: SIGINT or SIGTERM at any moment ends the program through its own handler,
    // with its own exit status and a last line that says what was done.
    CatchInterruptions();
    LimitHeapArenas(kHeapArenasPerProcessor);
    int exitCode = RunCli(argc, argv);
    // A command that never looks at the flag (show) has finished all the same.
    if (Interrupted() && exitCode != kExitInterrupted)
        exitCode = ReportInterruption("the command had finished all the same.");
    return FinishOutput(exitCode);
}
