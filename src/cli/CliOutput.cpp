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
    AppendPrintable(shown, text);
    return shown;
}

void AppendPrintable(std::string& out, std::string_view text) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    // Texts with control bytes are rare: whole runs of plain bytes are copied at once.
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte != 0x7F) continue;
        out.append(text.data() + start, i - start);
        const char escaped[4] = {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xF]};
        out.append(escaped, sizeof escaped);
        start = i + 1;
    }
    out.append(text.data() + start, text.size() - start);
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
