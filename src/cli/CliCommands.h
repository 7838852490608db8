#pragma once

// The commands of pagelorn-cli. Each takes the arguments after the command name and returns the
// process exit code.
int RunNewCommand(int argc, char** argv);
int RunImportCommand(int argc, char** argv);
int RunShowCommand(int argc, char** argv);
int RunExportCommand(int argc, char** argv);
int RunCheckCommand(int argc, char** argv);
