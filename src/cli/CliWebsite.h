#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "Project.h"

// What the commands that work on a whole website (export, check) share: one project file and
// --to DIR among their arguments, and the project read with its settings.
struct WebsiteArguments {
    std::string project;
    std::string folder;  // with --to
    bool haveFolder = false;
};

// Reads the arguments after the command's name. `flag` is asked about every other option and says
// whether it took it. Returns the exit code when the command ends here (--help, or a mistake
// reported with `usage`), else nothing.
std::optional<int> ParseWebsiteArguments(int argc, char** argv, const char* command,
                                         const char* usage, WebsiteArguments& arguments,
                                         const std::function<bool(std::string_view)>& flag = {});

// Whether what Open read holds less than the files: a tree damaged after its root, or a settings
// file that could not be used (every setting off).
bool ReadInPart(const ProjectOpenResult& opened);

// Reads the project and the settings beside it. A tree damaged after its root is a warning and the
// folders read are used ("exporting the 3 folders that could be read"); otherwise a project that
// cannot be read ends the command: returns its exit code. `verb` names the command's work
// ("export"), `doing` the same going on ("exporting"), `nothingDone` what a failure adds to its
// message ("; nothing was exported", or "").
std::optional<int> LoadWebsite(const std::filesystem::path& project, std::string_view verb,
                               std::string_view doing, std::string_view nothingDone,
                               CProject& website, ProjectOpenResult& opened);
