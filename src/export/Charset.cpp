#include "Charset.h"

#include <algorithm>

#include "CharsetConverter.h"
#include "EncodingTable.h"
#include "LinkedFiles.h"
#include "TextEncoder.h"

namespace {

bool IsLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Registered charset names are at most 45 letters, digits and - _ . : + and start with a letter
// or a digit.
bool IsPlainName(std::string_view name) {
    const auto nameCharacter = [](char c) {
        return IsLetterOrDigit(c) || c == '-' || c == '_' || c == '.' || c == ':' || c == '+';
    };
    return !name.empty() && name.size() <= 45 && IsLetterOrDigit(name.front()) &&
           std::all_of(name.begin(), name.end(), nameCharacter);
}

bool ConverterKnows(std::string_view name) {
    return CCharsetConverter(CharsetConverterName(name), "UTF-8").IsOpen();
}

}  // namespace

bool IsKnownCharset(std::string_view name) {
    if (name.empty()) return true;
    const std::string lower = AsciiLower(name);
    for (const EncodingEntry& entry : theEncodingTable)
        if (!entry.charsetName.empty() && AsciiLower(entry.charsetName) == lower) return true;
    return IsPlainName(name) && ConverterKnows(name);
}

std::string PageCharset(std::string_view saveEncoding) {
    return IsKnownCharset(saveEncoding) ? std::string(saveEncoding) : std::string("UTF-8");
}
