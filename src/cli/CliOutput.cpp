#include "CliOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

namespace {

// Whether any of the eight bytes is a control byte (below 0x20, or 0x7F). Exact for the word as a
// whole, which is all the scan needs: a word that has one is looked at byte by byte.
bool HasControlByte(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    const std::uint64_t below = (word - kOnes * 0x20) & ~word & kHighs;
    const std::uint64_t del = word ^ (kOnes * 0x7F);
    return (below | ((del - kOnes) & ~del & kHighs)) != 0;
}

}  // namespace

void AppendPrintable(std::string& out, std::string_view text) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    // Texts with control bytes are rare: whole runs of plain bytes are found eight at a time and
    // copied at once.
    const char* const data = text.data();
    const std::size_t size = text.size();
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < size) {
        if (size - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, data + i, sizeof word);
            if (!HasControlByte(word)) {
                i += 8;
                continue;
            }
        }
        const std::size_t end = std::min(size, i + 8);
        for (; i < end; ++i) {
            const auto byte = static_cast<unsigned char>(data[i]);
            if (byte >= 0x20 && byte != 0x7F) continue;
            out.append(data + start, i - start);
            const char escaped[4] = {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xF]};
            out.append(escaped, sizeof escaped);
            start = i + 1;
        }
    }
    out.append(data + start, size - start);
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
