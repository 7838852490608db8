#include "SystemFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

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
