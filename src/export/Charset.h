#pragma once

#include <string>
#include <string_view>

// The charset a page is declared in comes from the project file, which anyone can write: only a
// name of the Language page's table or a plain registered name that this system can convert to
// ("ISO-8859-15", "EUC-KR", matched in any letter case) is a charset. A converter's instructions
// ("ISO-8859-1//TRANSLIT"), which browsers do not know, and anything that is not a name are not.
bool IsKnownCharset(std::string_view name);

// The charset the pages declare and are written in for the project's saveEncoding: "" (no
// declaration) and every known charset as they are, anything else UTF-8.
std::string PageCharset(std::string_view saveEncoding);
