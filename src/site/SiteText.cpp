#include "SiteText.h"

#include <cstring>
#include <memory>
#include <ostream>
#include <stdexcept>

void CSiteText::ThrowTooLong() {
    throw std::length_error("a text of a project is limited to 4 GB");
}

const char* CSiteText::CopyBytes(const char* source, std::uint32_t length) {
    if (length == 0) return nullptr;
    char* copy = std::allocator<char>().allocate(length);
    std::memcpy(copy, source, length);
    return copy;
}

CSiteText::CSiteText(std::string_view text) : length(CheckedLength(text.size())) {
    // An empty text needs no storage at all, so it is never owned.
    if (length == 0) return;
    bytes = CopyBytes(text.data(), length);
    owned = true;
}

void CSiteText::Release() noexcept {
    std::allocator<char>().deallocate(const_cast<char*>(bytes), length);
    Forget();
}

std::ostream& operator<<(std::ostream& stream, const CSiteText& text) {
    return stream << text.View();
}
