#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

// A text that most records leave empty (a thumbnail's name, why a picture cannot be read ...):
// one pointer, null while empty, instead of a std::string's 32 bytes in every record. A million
// linked files hold ten of them each. Reads as the std::string it holds.
class CCompactText {
public:
    CCompactText() noexcept = default;
    CCompactText(std::string text)  // NOLINT: records are assigned plain text
        : text(text.empty() ? nullptr : std::make_unique<std::string>(std::move(text))) {}
    CCompactText(std::string_view text) : CCompactText(std::string(text)) {}  // NOLINT
    CCompactText(const char* text) : CCompactText(std::string(text)) {}       // NOLINT

    CCompactText(const CCompactText& other) : CCompactText(other.Str()) {}
    CCompactText& operator=(const CCompactText& other) {
        if (this != &other) *this = CCompactText(other);
        return *this;
    }
    CCompactText(CCompactText&&) noexcept = default;
    CCompactText& operator=(CCompactText&&) noexcept = default;

    const std::string& Str() const { return text ? *text : Empty(); }
    operator const std::string&() const { return Str(); }  // NOLINT: reads as text
    operator std::string_view() const { return Str(); }    // NOLINT

    bool empty() const noexcept { return !text; }
    std::size_t size() const noexcept { return text ? text->size() : 0; }
    std::string substr(std::size_t at, std::size_t count = std::string::npos) const {
        return Str().substr(at, count);
    }
    std::size_t rfind(std::string_view part) const { return Str().rfind(part); }

    friend std::string operator+(std::string_view a, const CCompactText& b) {
        std::string joined(a);
        return joined += b.Str();
    }
    friend std::string operator+(const CCompactText& a, std::string_view b) {
        std::string joined(a.Str());
        return joined += b;
    }
    friend bool operator==(const CCompactText& a, std::string_view b) { return a.Str() == b; }
    friend bool operator==(const CCompactText& a, const char* b) { return a.Str() == b; }
    friend bool operator==(const CCompactText& a, const CCompactText& b) {
        return a.Str() == b.Str();
    }

private:
    static const std::string& Empty() {
        static const std::string empty;
        return empty;
    }

    std::unique_ptr<std::string> text;
};
