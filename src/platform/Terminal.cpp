#include "Terminal.h"

#include <termios.h>
#include <unistd.h>

namespace {

int DescriptorOf(StandardStream stream) {
    switch (stream) {
        case StandardStream::Input:
            return STDIN_FILENO;
        case StandardStream::Output:
            return STDOUT_FILENO;
        case StandardStream::Error:
            break;
    }
    return STDERR_FILENO;
}

}  // namespace

bool IsTerminal(StandardStream stream) {
    return ::isatty(DescriptorOf(stream)) != 0;
}

std::string ReadLineUnseen(std::istream& in) {
    termios saved{};
    const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    std::getline(in, line);
    if (terminal) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    return line;
}
