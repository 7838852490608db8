#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Paths cross into and out of the program's own texts (project files, messages, page links) as
// UTF-8, whatever the system's own encoding of names; never through a narrow code page. Names
// that are not valid UTF-8 (a file named by an older program) keep their bytes both ways.

std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);
// The same, with "/" between names whatever the system's separator.
std::string GenericUtf8FromPath(const std::filesystem::path& path);
