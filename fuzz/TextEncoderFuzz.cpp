#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "EncodingTable.h"
#include "TextEncoder.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Opening a converter costs more than a run: one encoder per charset name, kept.
CTextEncoder& EncoderFor(const std::string& charset) {
    static std::map<std::string, std::unique_ptr<CTextEncoder>> encoders;
    std::unique_ptr<CTextEncoder>& encoder = encoders[charset];
    if (!encoder) encoder = std::make_unique<CTextEncoder>(charset);
    return *encoder;
}

}  // namespace

// The first byte picks a charset of the Language page's table (with the converter's own
// instructions some of the time, which pages never carry but the encoder must survive); the
// rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static constexpr const char* kSuffixes[] = {"", "//IGNORE", "//TRANSLIT", "//TRANSLIT//IGNORE"};
    const std::size_t row = data[0] % theEncodingTable.size();
    const std::size_t suffix = (data[0] / theEncodingTable.size()) % std::size(kSuffixes);
    const std::string charset = std::string(theEncodingTable[row].charsetName) + kSuffixes[suffix];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    CTextEncoder& encoder = EncoderFor(charset);
    const std::string written = encoder.Encode(text);
    if (!encoder.Converts() || IsAscii(text) || !IsValidUtf8(text)) Require(written == text);
    // The same text twice gives the same bytes: no state is left behind between texts.
    Require(encoder.Encode(text) == written);
    return 0;
}
