#include "TextEncoder.h"

#include <cerrno>
#include <cstdint>
#include <vector>

#include "CharsetConverter.h"
#include "LinkedFiles.h"

namespace {

bool IsUtf8Name(std::string_view charset) {
    const std::string lower = AsciiLower(charset);
    return lower == "utf-8" || lower == "utf8";
}

// Length of the UTF-8 sequence at the start of text (1 to 4), and its code point; 0 when the
// bytes there are no valid sequence (or there are none).
std::size_t DecodeUtf8(std::string_view text, std::uint32_t& codePoint) {
    if (text.empty()) return 0;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(0);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if (first < 0x80) {
        codePoint = first;
        return 1;
    }
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
        codePoint = first & 0x1Fu;
        minimum = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        codePoint = first & 0x0Fu;
        minimum = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        codePoint = first & 0x07u;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

ConverterStep StepOf(CCharsetConverter& converter) {
    return
        [&converter](char** input, std::size_t* inputLeft, char** output, std::size_t* outputLeft) {
            return converter.Convert(input, inputLeft, output, outputLeft);
        };
}

// The output a single character may need at most grows the buffer up to this before the
// converter is taken to misbehave.
constexpr std::size_t kMaxConversionBuffer = std::size_t{1} << 20;

}  // namespace

std::string CharsetConverterName(std::string_view charset) {
    // Charset names browsers know under a name the system's converter does not.
    const std::string lower = AsciiLower(charset);
    if (lower == "x-euc") return "EUC-JP";
    if (lower == "ks_c_5601-1987" || lower == "ks_c_5601") return "CP949";
    return std::string(charset);
}

bool ConvertUtf8Text(const ConverterStep& step, std::string_view text, std::string& out) {
    step(nullptr, nullptr, nullptr, nullptr);
    std::vector<char> buffer(text.size() * 4 + 16);
    char* input = const_cast<char*>(text.data());
    const char* const end = text.data() + text.size();
    std::size_t inputLeft = text.size();
    while (inputLeft > 0) {
        char* output = buffer.data();
        std::size_t outputLeft = buffer.size();
        const std::size_t leftBefore = inputLeft;
        errno = 0;
        const std::size_t result = step(&input, &inputLeft, &output, &outputLeft);
        const int error = errno;
        // What the converter reports must stay inside the text and the buffer.
        if (inputLeft > leftBefore || input != end - inputLeft || output < buffer.data() ||
            output > buffer.data() + buffer.size() ||
            outputLeft != buffer.size() - static_cast<std::size_t>(output - buffer.data()))
            return false;
        out.append(buffer.data(), output);
        const bool progress = inputLeft < leftBefore || output > buffer.data();
        if (result != static_cast<std::size_t>(-1)) {
            if (!progress) return false;
            continue;
        }
        if (error == E2BIG) {
            // A character whose output does not fit the whole buffer gets a larger one.
            if (!progress) {
                if (buffer.size() >= kMaxConversionBuffer) return false;
                buffer.resize(buffer.size() * 2);
            }
            continue;
        }
        // EINVAL (a sequence cut off at the end, never in valid UTF-8) and anything else.
        if (error != EILSEQ) return false;
        // A converter that skips what it lacks reports that once all the text is done.
        if (inputLeft == 0) break;
        // A character the charset lacks goes in as a reference to it.
        std::uint32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(std::string_view(input, inputLeft), codePoint);
        if (length == 0) return false;
        out += "&#" + std::to_string(codePoint) + ";";
        input += length;
        inputLeft -= length;
    }
    // A charset with shifts (ISO-2022-JP) returns to its initial state at the end of each text.
    char* output = buffer.data();
    std::size_t outputLeft = buffer.size();
    if (step(nullptr, nullptr, &output, &outputLeft) == static_cast<std::size_t>(-1) ||
        output < buffer.data() || output > buffer.data() + buffer.size())
        return false;
    out.append(buffer.data(), output);
    return true;
}

bool IsValidUtf8(std::string_view text) {
    while (!text.empty()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(text, codePoint);
        if (length == 0) return false;
        text.remove_prefix(length);
    }
    return true;
}

CTextEncoder::CTextEncoder(std::string_view charset) {
    if (charset.empty() || IsUtf8Name(charset)) return;
    auto opened = std::make_unique<CCharsetConverter>(CharsetConverterName(charset), "UTF-8");
    if (!opened->IsOpen()) {
        problem = "this system cannot convert text to the charset " + std::string(charset) +
                  "; texts are written as they are stored";
        return;
    }
    // The pages' own markup is ASCII and is written as it is: a charset that writes ASCII
    // otherwise (UTF-16, UTF-7 for some characters) would make the page unreadable.
    std::string probe;
    for (char c = 0x20; c < 0x7F; ++c) probe += c;
    probe += "\r\n\t";
    std::string converted;
    if (!ConvertUtf8Text(StepOf(*opened), probe, converted) || converted != probe) {
        problem = "the charset " + std::string(charset) +
                  " does not keep ASCII text as it is; texts are written as they are stored";
        return;
    }
    converter = std::move(opened);
}

CTextEncoder::~CTextEncoder() = default;

std::string CTextEncoder::Encode(std::string_view text) {
    if (converter == nullptr || IsAscii(text) || !IsValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size());
    if (!ConvertUtf8Text(StepOf(*converter), text, out)) return std::string(text);
    return out;
}
