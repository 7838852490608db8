#include "CliPassword.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

bool StdinIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(fileno(stdin)) != 0;
#endif
}

std::string AskPassword(const std::string& prompt) {
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    std::string password;
#ifdef _WIN32
    for (int c = _getch(); c != '\r' && c != '\n' && c != EOF; c = _getch())
        password += static_cast<char>(c);
#else
    termios saved{};
    const bool terminal = tcgetattr(fileno(stdin), &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(fileno(stdin), TCSAFLUSH, &quiet);
    }
    std::getline(std::cin, password);
    if (terminal) tcsetattr(fileno(stdin), TCSAFLUSH, &saved);
#endif
    std::fputc('\n', stderr);
    return password;
}
