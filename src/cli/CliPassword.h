#pragma once

#include <string>

// Whether standard input is a terminal that a password can be asked on.
bool StdinIsTerminal();

// Asks on the terminal without echo; "" when nothing was typed or the terminal cannot be read.
std::string AskPassword(const std::string& prompt);
