#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

// Length of the longest prefix of `text` that is at most `maxBytes` long and does not end in the
// middle of a UTF-8 sequence. Bytes that do not form valid UTF-8 (text typed on Windows in a
// single-byte code page) are treated as characters of one byte each.
std::size_t Utf8SafePrefixLength(std::string_view text, std::size_t maxBytes);

// A fixed-width, NUL-terminated text field of N bytes inside an option record, stored in the
// project file as all N bytes. It holds at most N - 1 bytes of text; longer text is cut (never
// inside a UTF-8 character). Every byte behind the text is zero, so identical projects always
// produce identical files.
template <std::size_t N>
class CTextField {
public:
    static_assert(N >= 2);
    static constexpr std::size_t size = N;
    static constexpr std::size_t capacity = N - 1;

    CTextField() = default;
    CTextField(std::string_view text) { Set(text); }  // NOLINT: fields are assigned from text
    CTextField& operator=(std::string_view text) {
        Set(text);
        return *this;
    }

    // Stores the text up to its first NUL byte, cut to the capacity.
    void Set(std::string_view text) {
        if (auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
        const std::size_t length = Utf8SafePrefixLength(text, capacity);
        bytes.fill(0);
        std::memcpy(bytes.data(), text.data(), length);
    }

    // Takes the N bytes of a stored field. The text ends at the first NUL byte; a field without
    // one is taken whole (that is what older files may hold).
    void AssignRaw(const unsigned char* data) {
        const auto* end = std::find(data, data + N, static_cast<unsigned char>(0));
        bytes.fill(0);
        std::copy(data, end, bytes.begin());
    }

    std::string_view View() const {
        const auto end = std::find(bytes.begin(), bytes.end(), '\0');
        return std::string_view(bytes.data(), static_cast<std::size_t>(end - bytes.begin()));
    }
    std::string Str() const { return std::string(View()); }
    bool Empty() const { return bytes[0] == '\0'; }
    void Clear() { bytes.fill(0); }
    const std::array<char, N>& Bytes() const { return bytes; }

    bool operator==(const CTextField&) const = default;
    bool operator==(std::string_view text) const { return View() == text; }

private:
    std::array<char, N> bytes{};
};
