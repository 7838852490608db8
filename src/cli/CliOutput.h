#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

// What the commands of pagelorn-cli share: exit codes, messages on stderr, and stopping cleanly on
// Ctrl+C.
inline constexpr int kExitOk = 0;
inline constexpr int kExitPartly = 1;         // done, but something is missing or damaged
inline constexpr int kExitFailed = 2;         // nothing was done
inline constexpr int kExitInterrupted = 130;  // stopped by SIGINT or SIGTERM

// Texts come from project files and file names made anywhere; control bytes are shown as \xNN so
// that every message stays one line and no terminal is sent escape sequences.
std::string Printable(std::string_view text);
// The same, appended to out.
void AppendPrintable(std::string& out, std::string_view text);
// The most CopyPrintable writes for a text of `size` bytes.
constexpr std::size_t PrintableRoom(std::size_t size) {
    return 4 * size;
}
// The same, written at `out`, which has PrintableRoom(text.size()) bytes of room; returns the end
// of what was written.
char* CopyPrintable(char* out, std::string_view text);

// "pagelorn-cli: MESSAGE" on stderr, escaped as Printable does.
void PrintMessage(std::string_view message);
// The same, one line each; returns kExitFailed.
int Fail(std::string_view message);
int Fail(std::string_view message, std::string_view secondLine);
// The message, then the command's usage as it stands.
int FailWithUsage(std::string_view message, const char* usage);

// From now on SIGINT and SIGTERM only set the flag below, so that the command can remove its
// temporary files and say what it did before it exits with kExitInterrupted. Called first thing
// in main.
void CatchInterruptions();
const std::atomic<bool>& InterruptFlag();
bool Interrupted();
// "pagelorn-cli: interrupted: WHAT WAS DONE" on stderr; returns kExitInterrupted.
int ReportInterruption(std::string_view whatWasDone);

// Flushes standard output: when it cannot be written (a full disk, a closed pipe) the output is
// lost, which is a failure whatever the command did; returns the exit code to use.
int FinishOutput(int exitCode);
