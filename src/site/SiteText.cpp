#include "SiteText.h"

#include <cstring>
#include <limits>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace {

std::uint32_t CheckedLength(std::size_t size) {
    if (size > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("a text of a project is limited to 4 GB");
    return static_cast<std::uint32_t>(size);
}

const char* CopyBytes(const char* source, std::uint32_t length) {
    char* copy = std::allocator<char>().allocate(length);
    std::memcpy(copy, source, length);
    return copy;
}

}  // namespace

CSiteText::CSiteText(std::string_view text) : length(CheckedLength(text.size())) {
    // An empty text needs no storage at all, so it is never owned.
    if (length == 0) return;
    bytes = CopyBytes(text.data(), length);
    owned = true;
}

CSiteText CSiteText::Borrow(std::string_view bytes) {
    CSiteText text;
    text.length = CheckedLength(bytes.size());
    text.bytes = text.length ? bytes.data() : nullptr;
    return text;
}

CSiteText::CSiteText(const CSiteText& other)
    : bytes(other.bytes), length(other.length), owned(other.owned) {
    if (owned) bytes = CopyBytes(other.bytes, length);
}

CSiteText& CSiteText::operator=(const CSiteText& other) {
    if (this != &other) {
        CSiteText copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CSiteText::CSiteText(CSiteText&& other) noexcept
    : bytes(other.bytes), length(other.length), owned(other.owned) {
    other.bytes = nullptr;
    other.length = 0;
    other.owned = false;
}

CSiteText& CSiteText::operator=(CSiteText&& other) noexcept {
    if (this != &other) {
        Release();
        bytes = other.bytes;
        length = other.length;
        owned = other.owned;
        other.bytes = nullptr;
        other.length = 0;
        other.owned = false;
    }
    return *this;
}

CSiteText::~CSiteText() {
    Release();
}

void CSiteText::Release() noexcept {
    if (owned) std::allocator<char>().deallocate(const_cast<char*>(bytes), length);
    bytes = nullptr;
    length = 0;
    owned = false;
}

std::ostream& operator<<(std::ostream& stream, const CSiteText& text) {
    return stream << text.View();
}
