#pragma once

#include <string>
#include <string_view>

// The project's texts on their way into a modern page, which is always UTF-8. A text that is
// valid UTF-8 is used as it is; anything else was written by a legacy program in the project's
// charset (`charset`, the Language page's; Windows-1252 when it names none this system knows)
// and is converted.
std::string ModernTextToUtf8(std::string_view text, std::string_view charset);

// The text as HTML text or attribute value: & < > " ' written as character references.
std::string EscapeHtml(std::string_view text);

// A header, footer or description for a modern page: the inline markup of a short safe list
// (b i u em strong small big br span, and a with an href that is no script) is kept where it is
// well-formed, with its attributes dropped but a link's href; every other tag, an unmatched or
// misnested one, a stray "<" or "&" is written as text. Character references (&#233; &amp; and a
// few common names) are kept.
std::string SafeInlineMarkup(std::string_view text);

// The text without any markup, blanks squeezed: for the meta description and alt texts.
std::string PlainText(std::string_view text);
