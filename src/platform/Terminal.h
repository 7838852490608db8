#pragma once

#include <istream>
#include <string>

// The program's standard streams and the terminal behind them.

enum class StandardStream { Input, Output, Error };

// Whether the stream is a terminal (and not a file or a pipe).
bool IsTerminal(StandardStream stream);

// One line of standard input (through `in`, which reads it), without showing what is typed when
// the input is a terminal; without its line end.
std::string ReadLineUnseen(std::istream& in);
