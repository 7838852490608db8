#include <cstdio>

#include "CliCommands.h"

int RunExportCommand(int, char**) {
    std::fputs("pagelorn-cli: export is not available in this build\n", stderr);
    return 2;
}
