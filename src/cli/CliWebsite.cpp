#include "CliWebsite.h"

#include <cstdio>

#include "CliCommands.h"
#include "CliOutput.h"
#include "Utf8Path.h"

std::optional<int> ParseWebsiteArguments(int argc, char** argv, const char* command,
                                         const char* usage, WebsiteArguments& arguments,
                                         const std::function<bool(std::string_view)>& flag) {
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(usage, stdout);
            return kExitOk;
        }
        if (argument == "--to") {
            if (i + 1 >= argc) return FailWithUsage("--to needs a folder", usage);
            arguments.folder = argv[++i];
            arguments.haveFolder = true;
        } else if (argument.starts_with("--to=")) {
            arguments.folder = std::string(argument.substr(5));
            arguments.haveFolder = true;
        } else if (argument.starts_with("-") && argument.size() > 1) {
            if (!flag || !flag(argument))
                return FailWithUsage("unknown option " + std::string(argument), usage);
        } else if (arguments.project.empty()) {
            arguments.project = std::string(argument);
        } else {
            return FailWithUsage(std::string(command) + " takes one project file", usage);
        }
    }
    if (arguments.project.empty()) return FailWithUsage("no project file given", usage);
    if (arguments.haveFolder && arguments.folder.empty()) return Fail("--to needs a folder");
    return std::nullopt;
}

std::optional<int> LoadWebsite(const std::filesystem::path& project, std::string_view verb,
                               std::string_view doing, std::string_view nothingDone,
                               CProject& website, ProjectOpenResult& opened) {
    const std::string cannot = "cannot " + std::string(verb) + " " + Utf8FromPath(project);
    opened = website.Open(project);
    const LoadResult& load = opened.load;
    switch (load.status) {
        case LoadStatus::Complete:
            break;
        case LoadStatus::TreeDamaged:
            // Without its root record the tree read is the default one, not the project's.
            if (load.foldersRead == 0)
                return Fail(cannot + ": the website tree is damaged from its root folder on" +
                            std::string(nothingDone) + ".");
            std::fprintf(stderr,
                         "pagelorn-cli: warning: the website tree in %s is damaged; %s the %zu "
                         "folders that could be read%s%s\n",
                         Printable(Utf8FromPath(project)).c_str(), std::string(doing).c_str(),
                         load.foldersRead, load.message.empty() ? "" : ": ",
                         Printable(load.message).c_str());
            break;
        case LoadStatus::HeaderDamaged:
        case LoadStatus::WrongVersion:
        case LoadStatus::NotOpenable:
            return Fail(
                cannot + ": " +
                (load.message.empty() ? std::string("the project cannot be read") : load.message));
    }
    ReportSettings(opened.settings);
    return std::nullopt;
}

bool ReadInPart(const ProjectOpenResult& opened) {
    return opened.load.status == LoadStatus::TreeDamaged ||
           opened.settings.status == SettingsLoadStatus::Damaged;
}
