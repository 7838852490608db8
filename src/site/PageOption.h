#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TextField.h"

// A colour as 0x00BBGGRR: red in the lowest byte.
using COLORREF = std::uint32_t;

// The "General" page of the website properties.
struct CPageGeneralOption {
    CTextField<255> location;  // folder the website is exported to
    CTextField<255> title;
    CTextField<255> soundLocation;
    std::int32_t soundLoop = -1;       // -1 plays the background sound forever
    std::int32_t copyLinkedFiles = 1;  // 1 "Automatic", 0 "Manual"

    void Reset();
    bool operator==(const CPageGeneralOption&) const = default;
};

// The "Background" page.
struct CPageBKGDOption {
    std::int32_t specifyBackground = 0;
    std::int32_t useBackgroundImage = 0;
    std::int32_t watermark = 0;
    CTextField<256> backgroundImage;
    std::int32_t useDefaultColors = 1;
    COLORREF bgColor = 0xFFFFFF;
    COLORREF textColor = 0;
    COLORREF linkColor = 0;
    COLORREF activeLinkColor = 0;
    COLORREF visitedLinkColor = 0;

    void Reset();
    bool operator==(const CPageBKGDOption&) const = default;
};

// The "Margins " page; margins in pixels.
struct CPageMarginsOption {
    std::int32_t specifyTopMargin = 0;
    std::int32_t specifyLeftMargin = 0;
    std::int32_t topMargin = 0;
    std::int32_t leftMargin = 0;

    void Reset();
    bool operator==(const CPageMarginsOption&) const = default;
};

// One meta element written into the head of every page.
struct CMetaVariable {
    CTextField<255> name;
    CTextField<513> value;
    std::int32_t systemVariable = 0;  // 1 http-equiv, 0 name

    bool operator==(const CMetaVariable&) const = default;
};

// The page properties of a website ("Website Properties").
class CPageOption {
public:
    CPageGeneralOption general;
    CPageBKGDOption background;
    CPageMarginsOption margins;
    // The encoding pair survives New and Open: only a project file that is read replaces it.
    CTextField<255> loadEncoding;
    CTextField<255> saveEncoding;
    std::string header;
    std::string footer;
    std::vector<std::unique_ptr<CMetaVariable>> metaVariables;

    // Starts with the GENERATOR meta variable. Pages are declared UTF-8 by default because text
    // typed on this platform is UTF-8.
    CPageOption();
    CPageOption(const CPageOption& other);
    CPageOption& operator=(const CPageOption& other);
    CPageOption(CPageOption&&) noexcept = default;
    CPageOption& operator=(CPageOption&&) noexcept = default;
    ~CPageOption() = default;

    // Back to the defaults, with or without the GENERATOR meta variable; the encoding pair is
    // left as it is.
    void Reset(bool addGenerator);

    CMetaVariable& AddMetaVariable(std::string_view name, std::string_view value,
                                   bool systemVariable);

    bool operator==(const CPageOption& other) const;
};

inline constexpr std::string_view kGeneratorName = "GENERATOR";
inline constexpr std::string_view kGeneratorValue = "Pagelorn 1.0";
