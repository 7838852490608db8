#pragma once

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

// Reports a settings file that could not be used (every setting is then off) as a warning: its
// file, line and reason. False when it was damaged.
bool ReportSettings(const SettingsLoadResult& settings);
