#include "CliOutput.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "Interruption.h"

void PrintMessage(std::string_view message) {
    const std::string shown = Printable(message);
    std::fprintf(stderr, "pagelorn-cli: %s\n", shown.c_str());
}

std::string Printable(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

int Fail(std::string_view message) {
    PrintMessage(message);
    return kExitFailed;
}

int Fail(std::string_view message, std::string_view secondLine) {
    PrintMessage(message);
    PrintMessage(secondLine);
    return kExitFailed;
}

int FailWithUsage(std::string_view message, const char* usage) {
    PrintMessage(message);
    std::fputs(usage, stderr);
    return kExitFailed;
}

void CatchInterruptions() {
    CatchInterruptAndTerminate();
}

const std::atomic<bool>& InterruptFlag() {
    return InterruptRequested();
}

bool Interrupted() {
    return InterruptRequested().load();
}

int ReportInterruption(std::string_view whatWasDone) {
    PrintMessage("interrupted: " + std::string(whatWasDone));
    return kExitInterrupted;
}

int FinishOutput(int exitCode) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && !std::ferror(stdout)) return exitCode;
    const std::string reason = errno != 0 ? std::generic_category().message(errno)
                                          : std::string("the output was not written whole");
    std::fprintf(stderr, "pagelorn-cli: cannot write to standard output: %s\n", reason.c_str());
    return exitCode == kExitInterrupted ? exitCode : kExitFailed;
}
