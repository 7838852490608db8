#include "CliPassword.h"

#include <cstdio>
#include <iostream>

#include "Terminal.h"

bool StdinIsTerminal() {
    return IsTerminal(StandardStream::Input);
}

std::string AskPassword(const std::string& prompt) {
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    std::string password = ReadLineUnseen(std::cin);
    std::fputc('\n', stderr);
    return password;
}
