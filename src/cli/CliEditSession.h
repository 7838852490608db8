#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "Project.h"

// A project that a command of pagelorn-cli changes: locked from reading to saving, so that no
// other program's save is lost under this one, read whole with its settings, and saved once.
// Each method prints what went wrong and returns the exit code to end the command with.
class CEditSession {
    CProject website;

public:
    CPageOption& page = website.PageOption();
    CLayoutOption& layout = website.LayoutOption();
    CSiteTree& tree = website.Tree();
    CWebsiteSettings& settings = website.Settings();
    bool settingsRead = true;   // false: the settings file is damaged and every setting is off
    bool saveProject = true;    // Save writes the project file
    bool saveSettings = false;  // Save writes the settings file

    // Locks and reads an existing project; kExitOk when it was read whole. `nothingDone`
    // finishes the messages of failures ("Nothing was changed.").
    int Open(const std::filesystem::path& project, const char* nothingDone);
    // Reads the project (and its settings) without locking it, for commands that only read;
    // a tree damaged after the properties is read as far as it goes.
    int Read(const std::filesystem::path& project);
    // Prints why the change was refused and that nothing was changed; kExitFailed.
    int Refuse(std::string_view why);
    // Saves, then prints `done`; kExitOk, or the exit code of what failed.
    int Save(std::string_view done);

private:
    std::filesystem::path project;
    const char* nothingDone = "";
};
