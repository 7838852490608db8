#include "CliOutput.h"

#include <cerrno>
#include <csignal>

#ifndef _WIN32
#include <pthread.h>
#endif
#include <cstdio>
#include <system_error>

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnInterrupt(int) {
    interrupted.store(true);
}

}  // namespace

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
#ifdef _WIN32
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
#else
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A parent may hand them down blocked; one sent before now arrives here.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
#endif
}

const std::atomic<bool>& InterruptFlag() {
    return interrupted;
}

bool Interrupted() {
    return interrupted.load();
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
