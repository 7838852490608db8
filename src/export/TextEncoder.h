#pragma once

#include <string>
#include <string_view>

// Whether the bytes are valid UTF-8 (plain ASCII is).
bool IsValidUtf8(std::string_view text);

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
    void* converter = nullptr;  // an iconv_t
    std::string problem;
};
