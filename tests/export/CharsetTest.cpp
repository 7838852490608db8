// Which charsets a page may declare, and the encoder's loop over every way a converter stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>

#include "Charset.h"
#include "TextEncoder.h"

namespace {

TEST(CharsetTest, OnlyTableNamesAndPlainNamesTheConverterKnowsAreCharsets) {
    for (const char* known : {"", "UTF-8", "utf-8", "iso-8859-1", "ISO-8859-15", "EUC-KR",
                              "ISO_8859-1:1987", "x-euc", "_autodetect", "x-user-defined"}) {
        EXPECT_TRUE(IsKnownCharset(known)) << known;
        EXPECT_EQ(PageCharset(known), known);
    }
    for (const char* unknown : {"ISO-8859-1//TRANSLIT", "ISO-8859-1//IGNORE", "UTF-8//",
                                "ISO-8859-1,IGNORE", "utf-8\"><script>alert(1)</script>",
                                "no-such-charset", " UTF-8", "-UTF-8", "caf\xC3\xA9"}) {
        EXPECT_FALSE(IsKnownCharset(unknown)) << unknown;
        EXPECT_EQ(PageCharset(unknown), "UTF-8") << unknown;
    }
}

// A converter that copies its input (ASCII) and stops as each step of its script says.
struct ScriptStep {
    std::size_t copy = 0;    // bytes copied, at most what is left and what fits
    int error = 0;           // 0: returns success
    std::ptrdiff_t lie = 0;  // added to the input left it reports
};

ConverterStep Scripted(std::deque<ScriptStep> script) {
    return [script](char** input, std::size_t* inputLeft, char** output,
                    std::size_t* outputLeft) mutable -> std::size_t {
        if (input == nullptr) return 0;
        if (script.empty()) script.push_back({SIZE_MAX, 0, 0});
        const ScriptStep step = script.front();
        script.pop_front();
        const std::size_t n = std::min({step.copy, *inputLeft, *outputLeft});
        std::memcpy(*output, *input, n);
        *input += n;
        *output += n;
        *inputLeft -= n;
        *outputLeft -= n;
        *inputLeft = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(*inputLeft) + step.lie);
        if (step.error == 0) return 0;
        errno = step.error;
        return static_cast<std::size_t>(-1);
    };
}

TEST(TextEncoderTest, EveryWayAConverterStopsStaysInsideTheText) {
    struct Case {
        const char* what;
        std::string text;
        std::deque<ScriptStep> script;
        bool ok;
        std::string written;  // when ok
    };
    const std::size_t all = SIZE_MAX;
    const Case cases[] = {
        {"EILSEQ at the end, all done", "abc", {{all, EILSEQ}}, true, "abc"},
        {"EILSEQ before a character", "a\xC3\xA9z", {{1, EILSEQ}, {all, 0}}, true, "a&#233;z"},
        {"EILSEQ inside a character", "\xC3\xA9", {{1, EILSEQ}}, false, ""},
        {"EINVAL", "ab", {{1, EINVAL}}, false, ""},
        {"another error", "ab", {{0, EBADF}}, false, ""},
        {"E2BIG in small pieces", "abcdefgh", {{3, E2BIG}, {3, E2BIG}, {all, 0}}, true, "abcdefgh"},
        {"E2BIG with no room for one character", "ab", {{0, E2BIG}, {all, 0}}, true, "ab"},
        {"E2BIG that never ends", "ab", std::deque<ScriptStep>(40, {0, E2BIG}), false, ""},
        {"success without progress", "ab", {{0, 0}}, false, ""},
        {"more input left than given", "ab", {{1, EILSEQ, 5}}, false, ""},
    };
    for (const Case& c : cases) {
        std::string out;
        const bool ok = ConvertUtf8Text(Scripted(c.script), c.text, out);
        EXPECT_EQ(ok, c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(out, c.written) << c.what;
        }
    }
    // The converter's own instructions never reach a page, but the encoder survives them.
    CTextEncoder ignoring("ISO-8859-1//IGNORE");
    EXPECT_EQ(ignoring.Encode("a\xC3\xA9\xE2\x82\xAC"), "a\xE9");
}

}  // namespace
