#pragma once

#include <array>
#include <string_view>

// A character set a page can be declared in. Rows that are not listed are carried for the names
// they hold but never offered.
struct EncodingEntry {
    std::string_view charsetName;  // "" for no declaration
    std::string_view label;
    bool listed;
};

extern const std::array<EncodingEntry, 46> theEncodingTable;
