#pragma once

#include <cstddef>
#include <string_view>

// The system's converter of text between two charsets, known by the names the system's converter
// takes ("ISO-8859-15", "EUC-JP", "UTF-8"). Closed when it goes; one thread at a time.
class CCharsetConverter {
public:
    CCharsetConverter(std::string_view to, std::string_view from);
    CCharsetConverter(CCharsetConverter&& other) noexcept;
    CCharsetConverter& operator=(CCharsetConverter&& other) noexcept;
    CCharsetConverter(const CCharsetConverter&) = delete;
    CCharsetConverter& operator=(const CCharsetConverter&) = delete;
    ~CCharsetConverter();

    // False when the system converts between no such charsets.
    bool IsOpen() const { return handle != nullptr; }

    // One step as iconv(3) takes it: converts from *input on, advancing the pointers and counts,
    // and returns (std::size_t)-1 with errno set when it stops early. With `input` null it writes
    // what returns the output to its initial state; with `output` null as well it resets.
    std::size_t Convert(char** input, std::size_t* inputLeft, char** output,
                        std::size_t* outputLeft);

private:
    void* handle = nullptr;
};
