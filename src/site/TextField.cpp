#include "TextField.h"

namespace {

// Number of bytes of the UTF-8 sequence that starts with `lead`, or 0 when it cannot start one.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::size_t Utf8SafePrefixLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    // Walk back from the cut over at most three continuation bytes to the byte that leads them.
    std::size_t lead = maxBytes;
    while (lead > 0 && maxBytes - lead < 3 &&
           IsContinuation(static_cast<unsigned char>(text[lead])))
        --lead;
    const std::size_t length = SequenceLength(static_cast<unsigned char>(text[lead]));
    if (length < 2 || lead + length <= maxBytes) return maxBytes;
    // Only cut before the lead byte when it really starts a complete sequence that the cut
    // would split; stray bytes of a single-byte code page are cut where they stand.
    if (lead + length > text.size()) return maxBytes;
    for (std::size_t i = lead + 1; i < lead + length; ++i)
        if (!IsContinuation(static_cast<unsigned char>(text[i]))) return maxBytes;
    return lead;
}
