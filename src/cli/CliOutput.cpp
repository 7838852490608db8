#include "CliOutput.h"

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

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Whether any of the eight bytes is a control byte (below 0x20, or 0x7F). Exact for the word as a
// whole, which is all the scan needs.
bool HasControlByte(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    const std::uint64_t below = (word - kOnes * 0x20) & ~word & kHighs;
    const std::uint64_t del = word ^ (kOnes * 0x7F);
    return (below | ((del - kOnes) & ~del & kHighs)) != 0;
}

template <typename Word>
Word Load(const char* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Whether the text holds a control byte, read eight bytes at a time; the last word of a text
// whose length is not a multiple of eight overlaps the one before, so that no byte is read alone.
bool HasControlBytes(const char* data, std::size_t size) {
    if (size >= 8) {
        for (std::size_t i = 0; i + 8 <= size; i += 8)
            if (HasControlByte(Load<std::uint64_t>(data + i))) return true;
        return size % 8 != 0 && HasControlByte(Load<std::uint64_t>(data + size - 8));
    }
    if (size >= 4) {
        const auto first = Load<std::uint32_t>(data);
        const auto last = Load<std::uint32_t>(data + size - 4);
        return HasControlByte(std::uint64_t{first} << 32 | last);
    }
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte < 0x20 || byte == 0x7F) return true;
    }
    return false;
}

}  // namespace

char* CopyPrintable(char* out, std::string_view text) {
    // Texts with control bytes are rare: a text without one is copied whole.
    if (!HasControlBytes(text.data(), text.size())) {
        if (!text.empty()) std::memcpy(out, text.data(), text.size());
        return out + text.size();
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            *out++ = c;
            continue;
        }
        *out++ = '\\';
        *out++ = 'x';
        *out++ = kHexDigits[byte >> 4];
        *out++ = kHexDigits[byte & 0xF];
    }
    return out;
}

void AppendPrintable(std::string& out, std::string_view text) {
    const std::size_t before = out.size();
    out.resize(before + PrintableRoom(text.size()));
    char* const end = CopyPrintable(out.data() + before, text);
    out.resize(static_cast<std::size_t>(end - out.data()));
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
