#include "CharsetConverter.h"

#include <iconv.h>

#include <string>
#include <utility>

namespace {

iconv_t Handle(void* handle) {
    return static_cast<iconv_t>(handle);
}

}  // namespace

CCharsetConverter::CCharsetConverter(std::string_view to, std::string_view from) {
    const iconv_t opened = ::iconv_open(std::string(to).c_str(), std::string(from).c_str());
    if (opened != reinterpret_cast<iconv_t>(-1)) handle = opened;
}

CCharsetConverter::CCharsetConverter(CCharsetConverter&& other) noexcept
    : handle(std::exchange(other.handle, nullptr)) {}

CCharsetConverter& CCharsetConverter::operator=(CCharsetConverter&& other) noexcept {
    if (this != &other) {
        if (handle != nullptr) ::iconv_close(Handle(handle));
        handle = std::exchange(other.handle, nullptr);
    }
    return *this;
}

CCharsetConverter::~CCharsetConverter() {
    if (handle != nullptr) ::iconv_close(Handle(handle));
}

std::size_t CCharsetConverter::Convert(char** input, std::size_t* inputLeft, char** output,
                                       std::size_t* outputLeft) {
    return ::iconv(Handle(handle), input, inputLeft, output, outputLeft);
}
