#include "ExportLocation.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "ExportFolder.h"
#include "LinkedFiles.h"
#include "SystemFolders.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

// XDG_DOCUMENTS_DIR="$HOME/Documents" in the desktop's user-dirs.dirs; empty when not set there.
fs::path DesktopDocumentsFolder(const fs::path& home) {
    fs::path config;
    if (const char* configHome = std::getenv("XDG_CONFIG_HOME");
        configHome != nullptr && *configHome == '/')
        config = configHome;
    else if (!home.empty())
        config = home / ".config";
    else
        return {};
    std::ifstream dirs(config / "user-dirs.dirs");
    std::string line;
    while (std::getline(dirs, line)) {
        constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=\"";
        if (!line.starts_with(kKey) || line.size() < kKey.size() + 1 || line.back() != '"')
            continue;
        std::string value = line.substr(kKey.size(), line.size() - kKey.size() - 1);
        if (value.starts_with("$HOME")) return PathFromUtf8(Utf8FromPath(home) + value.substr(5));
        if (value.starts_with("/")) return PathFromUtf8(value);
    }
    return {};
}

bool IsWindowsPath(std::string_view location) {
    const bool drive = location.size() >= 3 &&
                       ((location[0] >= 'A' && location[0] <= 'Z') ||
                        (location[0] >= 'a' && location[0] <= 'z')) &&
                       location[1] == ':' && (location[2] == '\\' || location[2] == '/');
    return drive || location.starts_with("\\\\");
}

}  // namespace

fs::path ProgramFolder() {
    return ProgramPath().parent_path();
}

fs::path DocumentsFolder() {
    const fs::path home = HomeFolder();
    if (fs::path desktop = DesktopDocumentsFolder(home); !desktop.empty()) return desktop;
    return home / "Documents";
}

fs::path DefaultExportFolder(const fs::path& programFolder, const fs::path& documentsFolder) {
    if (!programFolder.empty() && !LiesInSystemFolder(programFolder)) {
        const fs::path beside = programFolder / "Export";
        std::error_code error;
        const bool exists = fs::exists(fs::symlink_status(beside, error));
        if (exists ? MayWriteInFolder(beside) && !LiesInSystemFolder(beside)
                   : MayWriteInFolder(programFolder))
            return beside;
    }
    return documentsFolder / "Pagelorn Export";
}

fs::path ProjectFolderName(const fs::path& projectFile) {
    fs::path name = projectFile.filename();
    if (name.extension() == ".www" || name.extension() == ".WWW") name = name.stem();
    if (name.empty() || name == "." || name == "..") return "Untitled";
    return name;
}

fs::path PreviewFolder(const fs::path& temporaryRoot, const fs::path& projectFile) {
    return temporaryRoot / ProjectFolderName(projectFile);
}

ExportLocation ResolveExportLocation(std::string_view location, const fs::path& projectFile,
                                     const fs::path& programFolder,
                                     const fs::path& documentsFolder) {
    if (location.empty())
        return {
            DefaultExportFolder(programFolder, documentsFolder) / ProjectFolderName(projectFile),
            {}};
    // "C:\Web" from a project made on Windows would become a folder of that name here.
    if (IsWindowsPath(location))
        return {{},
                "The project's location " + std::string(location) +
                    " is a Windows path, which names no folder on this system. Choose another "
                    "location in Website Properties > General."};
    fs::path folder = PathFromBytes(location);
    if (folder.is_relative())
        folder = (projectFile.empty() ? documentsFolder : projectFile.parent_path()) / folder;
    return {folder, {}};
}

ExportLocation ResolveExportLocation(std::string_view location, const fs::path& projectFile) {
    return ResolveExportLocation(location, projectFile, ProgramFolder(), DocumentsFolder());
}
