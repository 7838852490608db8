#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Folders the system and its accounts own, and where the running program lies.

struct AccountHome {
    std::string account;  // empty for the home folder the environment names
    std::filesystem::path home;
};

// The home folder of every account in the account database, and the one the environment names
// (which may be missing from the database, or be wrong).
std::vector<AccountHome> AccountHomes();

// The home folder of the user running the program: the one the environment names, else the
// account's own; empty when neither is known.
std::filesystem::path HomeFolder();

// Folders of the system that nothing inside is ever exported into: /bin, /etc, /usr, ... and every
// /lib* the root folder holds.
std::vector<std::filesystem::path> SystemFoldersWithAllInside();
// The one place inside those that is made for websites (/var/www).
std::filesystem::path WebFolderOfTheSystem();
// Folders of the system that are never cleared themselves but hold folders anyone may make
// (/srv, /opt, /tmp, ...).
std::vector<std::filesystem::path> SystemFoldersThemselves();

// Whether this process may make and remove entries in the folder (it is a folder, and the
// permissions allow writing and entering it).
bool MayWriteInFolder(const std::filesystem::path& folder);

// The running program's own file; empty when the system does not tell.
std::filesystem::path ProgramPath();

// The program that opens a URL or a file the way the desktop does ("xdg-open"); empty where
// the desktop is asked directly instead.
std::string DesktopOpener();
