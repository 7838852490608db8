#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LayoutOption.h"
#include "PageOption.h"
#include "WebsiteSettings.h"

// The properties of a website by name, as pagelorn-cli's set and get read and write them: the
// fields of Website Properties and Layout Properties, and the keys of the settings file. Each
// name writes the same field the sheets write, with the values the sheets can give it.
struct CWebsiteProperties {
    CPageOption& page;
    CLayoutOption& layout;
    CWebsiteSettings& settings;
};

struct PropertyKey {
    std::string name;     // "title", "rows", "pictures.box" ...
    std::string values;   // what it takes, for the help: "TEXT", "0-100", "#RRGGBB" ...
    std::string example;  // a value it takes that differs from a new project's
    bool inSettingsFile = false;
};

// Every key, in the order of the sheets' pages, then the settings file's keys.
const std::vector<PropertyKey>& WebsitePropertyKeys();

// The key of that name, or null.
const PropertyKey* FindWebsitePropertyKey(std::string_view name);

// The value of a key as set takes it ("#FFFFFF", "true", "forever" ...); nothing for an
// unknown key.
std::optional<std::string> GetWebsiteProperty(const CWebsiteProperties& properties,
                                              std::string_view name);

// Sets a key to the value written as get writes it. Returns "" when done, else why nothing
// changed: an unknown key, or a value the field cannot take (text longer than the field, a
// number out of range, a charset the Language page does not know ...).
std::string SetWebsiteProperty(CWebsiteProperties& properties, std::string_view name,
                               std::string_view value);
