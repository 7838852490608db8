#include "SystemFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSystemFoldersWithAllInside[] = {"/bin", "/boot", "/dev", "/etc", "/proc",
                                                       "/run", "/sbin", "/sys", "/usr", "/var"};
constexpr const char* kSystemFoldersThemselves[] = {"/srv",   "/opt", "/mnt",
                                                    "/media", "/tmp", "/root"};

}  // namespace

std::vector<fs::path> SystemFoldersWithAllInside() {
    std::vector<fs::path> folders(std::begin(kSystemFoldersWithAllInside),
                                  std::end(kSystemFoldersWithAllInside));
    std::error_code error;
    for (fs::directory_iterator it("/", error), end; !error && it != end; it.increment(error))
        if (it->path().filename().native().starts_with("lib")) folders.push_back(it->path());
    return folders;
}

fs::path WebFolderOfTheSystem() {
    return "/var/www";
}

std::vector<fs::path> SystemFoldersThemselves() {
    return {std::begin(kSystemFoldersThemselves), std::end(kSystemFoldersThemselves)};
}

std::vector<AccountHome> AccountHomes() {
    std::vector<AccountHome> homes;
    ::setpwent();
    while (const passwd* entry = ::getpwent())
        if (entry->pw_dir != nullptr && entry->pw_dir[0] == '/')
            homes.push_back({entry->pw_name != nullptr ? entry->pw_name : "", entry->pw_dir});
    ::endpwent();
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        homes.push_back({{}, home});
    return homes;
}

fs::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

bool MayWriteInFolder(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) return false;
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

fs::path ProgramPath() {
    std::error_code error;
    fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program;
}

std::string DesktopOpener() {
    return "xdg-open";
}
