#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// Whether the bytes are valid UTF-8 (plain ASCII is).
bool IsValidUtf8(std::string_view text);

// The name the system's converter knows a charset by ("x-euc" is EUC-JP).
std::string CharsetConverterName(std::string_view charset);

class CCharsetConverter;

// One call of a converter as CCharsetConverter::Convert takes it: converts from *input on,
// advancing the pointers and counts, and returns (std::size_t)-1 with errno set when it stops
// early. With `input` null it writes what returns the output to its initial state; with `output`
// null as well it resets.
using ConverterStep = std::function<std::size_t(char** input, std::size_t* inputLeft, char** output,
                                                std::size_t* outputLeft)>;

// Converts valid UTF-8 `text` with `step`, appending to `out`; a character the charset lacks
// goes in as a numeric character reference. False when the converter fails for another reason
// or misbehaves; `out` is then incomplete. Never reads outside the text.
bool ConvertUtf8Text(const ConverterStep& step, std::string_view text, std::string& out);

// The project's texts on their way into a page that declares a charset. Texts typed into this
// program are UTF-8; a page declared in another charset gets them converted, with characters the
// charset lacks written as numeric character references ("&#233;"). Text that is not valid UTF-8
// was written by a legacy program in the page's own charset and is written byte for byte, as is
// plain ASCII. One encoder serves one thread at a time.
class CTextEncoder {
public:
    // `charset` is the page's declared charset (saveEncoding); "" and UTF-8 convert nothing.
    explicit CTextEncoder(std::string_view charset);
    CTextEncoder(const CTextEncoder&) = delete;
    CTextEncoder& operator=(const CTextEncoder&) = delete;
    ~CTextEncoder();

    // Whether texts are converted at all.
    bool Converts() const { return converter != nullptr; }
    // Why texts are written as stored although a charset other than UTF-8 is declared (one this
    // system does not know, or one that does not keep ASCII as it is); "" otherwise.
    const std::string& Problem() const { return problem; }

    // The text as the page writes it.
    std::string Encode(std::string_view text);

private:
    std::unique_ptr<CCharsetConverter> converter;
    std::string problem;
};
