#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

// A text of a tree record (caption, url, description), read as a std::string_view of the bytes
// the project holds. Most texts borrow their bytes from storage the tree keeps for the whole
// project and never changes (the image of the file it was loaded from, the names an import
// found), so that loading a project costs no allocation per text. A text set by an edit owns a
// copy of its bytes. Copying an owned text copies its bytes; copying a borrowed one copies the
// reference only, so a borrowed text must not outlive the storage it borrows from.
class CSiteText {
public:
    CSiteText() noexcept = default;
    // An owned copy of the bytes. Throws std::length_error beyond 4 GB.
    CSiteText(std::string_view text);  // NOLINT: records are assigned plain text
    CSiteText(const std::string& text) : CSiteText(std::string_view(text)) {}  // NOLINT
    CSiteText(const char* text) : CSiteText(std::string_view(text)) {}         // NOLINT
    // Points at bytes that someone else keeps unchanged for as long as this text is used (see
    // CSiteTree::KeepTexts). Throws std::length_error beyond 4 GB.
    static CSiteText Borrow(std::string_view bytes) {
        CSiteText text;
        text.length = CheckedLength(bytes.size());
        text.bytes = text.length ? bytes.data() : nullptr;
        return text;
    }

    CSiteText(const CSiteText& other)
        : bytes(other.owned ? CopyBytes(other.bytes, other.length) : other.bytes),
          length(other.length),
          owned(other.owned) {}
    CSiteText& operator=(const CSiteText& other) {
        if (this != &other) *this = CSiteText(other);
        return *this;
    }
    CSiteText(CSiteText&& other) noexcept
        : bytes(other.bytes), length(other.length), owned(other.owned) {
        other.Forget();
    }
    CSiteText& operator=(CSiteText&& other) noexcept {
        if (this != &other) {
            if (owned) Release();
            bytes = other.bytes;
            length = other.length;
            owned = other.owned;
            other.Forget();
        }
        return *this;
    }
    // Loading a project makes and drops hundreds of thousands of borrowed texts: only owned ones
    // leave the header.
    ~CSiteText() {
        if (owned) Release();
    }

    std::string_view View() const noexcept { return {bytes, length}; }
    operator std::string_view() const noexcept { return View(); }  // NOLINT: reads as text
    std::string Str() const { return std::string(View()); }
    const char* data() const noexcept { return bytes; }
    std::size_t size() const noexcept { return length; }
    bool empty() const noexcept { return length == 0; }
    // Whether the bytes belong to this text (set by an edit) rather than to shared storage.
    bool IsOwned() const noexcept { return owned; }

    friend bool operator==(const CSiteText& a, const CSiteText& b) noexcept {
        return a.View() == b.View();
    }
    friend bool operator==(const CSiteText& a, std::string_view b) noexcept {
        return a.View() == b;
    }
    friend bool operator==(const CSiteText& a, const char* b) noexcept {
        return a.View() == std::string_view(b);
    }
    friend bool operator==(const CSiteText& a, const std::string& b) noexcept {
        return a.View() == std::string_view(b);
    }

private:
    static std::uint32_t CheckedLength(std::size_t size) {
        if (size > UINT32_MAX) ThrowTooLong();
        return static_cast<std::uint32_t>(size);
    }
    [[noreturn]] static void ThrowTooLong();
    static const char* CopyBytes(const char* source, std::uint32_t length);
    void Release() noexcept;
    void Forget() noexcept {
        bytes = nullptr;
        length = 0;
        owned = false;
    }

    const char* bytes = nullptr;
    std::uint32_t length = 0;
    bool owned = false;
};

std::ostream& operator<<(std::ostream& stream, const CSiteText& text);
