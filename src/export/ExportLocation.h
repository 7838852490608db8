#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Where an export goes: one rule for the window and pagelorn-cli. Nothing here makes a folder.

struct ExportLocation {
    std::filesystem::path folder;  // the export folder; empty when the location is refused
    std::string problem;           // why the location names no folder here; "" when it does
};

// The folder the running program lies in; empty when the system does not tell.
std::filesystem::path ProgramFolder();
// The user's documents folder: the one the desktop names (XDG_DOCUMENTS_DIR), else Documents in
// the home folder.
std::filesystem::path DocumentsFolder();

// The export folder of a project that names no location: "Export" beside the program when the
// program's folder (or an Export folder already there) can be written and is not a folder of the
// system, as in a build tree; else "Pagelorn Export" in the documents folder (an installed
// program lives in a folder of the system).
std::filesystem::path DefaultExportFolder(const std::filesystem::path& programFolder,
                                          const std::filesystem::path& documentsFolder);

// The name of the project's own folder inside the default export folder and the preview folder:
// the project file's name without ".www" ("site" for site.www), "Untitled" for a project never
// saved.
std::filesystem::path ProjectFolderName(const std::filesystem::path& projectFile);

// Where Preview writes the project's pages: a folder of its own inside `temporaryRoot` (made by
// the caller and removed when it is done), never the export folder.
std::filesystem::path PreviewFolder(const std::filesystem::path& temporaryRoot,
                                    const std::filesystem::path& projectFile);

// The export folder for a project's location (the General page's "Location"): the project's own
// folder in the default one for an empty location (so that no two projects share a folder); a
// relative location taken from the project's folder (from the documents folder while the project
// was never saved). A Windows path ("C:\Web", "\\server\share") on another system is refused with
// the reason.
ExportLocation ResolveExportLocation(std::string_view location,
                                     const std::filesystem::path& projectFile,
                                     const std::filesystem::path& programFolder,
                                     const std::filesystem::path& documentsFolder);
// The same with this program's folder and the user's documents folder.
ExportLocation ResolveExportLocation(std::string_view location,
                                     const std::filesystem::path& projectFile);
