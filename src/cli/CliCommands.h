#pragma once

#include <filesystem>

#include "WebsiteSettings.h"

// The commands of pagelorn-cli. Each takes the arguments after the command name and returns the
// process exit code.
int RunNewCommand(int argc, char** argv);
int RunImportCommand(int argc, char** argv);
int RunShowCommand(int argc, char** argv);
int RunExportCommand(int argc, char** argv);
int RunCheckCommand(int argc, char** argv);
int RunSetCommand(int argc, char** argv);
int RunGetCommand(int argc, char** argv);
int RunCaptionCommand(int argc, char** argv);
int RunDescribeCommand(int argc, char** argv);
int RunMoveCommand(int argc, char** argv);
int RunRemoveCommand(int argc, char** argv);
int RunSortCommand(int argc, char** argv);
int RunPublishCommand(int argc, char** argv);

// Reads the website settings beside the project; a settings file that cannot be used is reported
// as a warning (its file, line and reason) and leaves every setting off. False when it was
// damaged.
bool LoadSettingsOf(const std::filesystem::path& project, CWebsiteSettings& settings);
