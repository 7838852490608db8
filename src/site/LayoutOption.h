#pragma once

#include <array>
#include <cstdint>

#include "PageOption.h"
#include "TextField.h"

// The six bars of a page, in the order they are stored.
enum LayoutAreaSlot : int {
    kHeaderBarSlot = 0,
    kTopNavigatorBarSlot = 1,
    kHistoryBarSlot = 2,
    kNextNavigatorBarSlot = 3,
    kIndexBarSlot = 4,
    kFooterBarSlot = 5,
    kLayoutAreaCount = 6
};

struct CFontOption {
    CTextField<256> faceName;    // "" is the browser's default face
    std::int32_t pointSize = 0;  // tenths of a point; kept by Reset
    std::int32_t bold = 0;
    std::int32_t italic = 0;
    std::int32_t underline = 0;
    std::int32_t strikeOut = 0;
    COLORREF color = 0;

    void Reset();
    bool operator==(const CFontOption&) const = default;
};

struct CLayoutAreaOption {
    CTextField<10> alignment;  // "", "Left", "Center" or "Right"
    CTextField<256> imagePath;
    COLORREF bgColor = 0xFFFFFF;
    CFontOption font;

    void Reset();
    bool operator==(const CLayoutAreaOption&) const = default;
};

// The main canvas: the area fields (its own alignment is carried but never used) plus the grid
// of item cells.
struct CLayoutMainOption : CLayoutAreaOption {
    std::int32_t columns = 3;
    std::int32_t rows = 3;
    CTextField<12> cellAlignment;

    void Reset();
    bool operator==(const CLayoutMainOption&) const = default;
};

struct CLayoutTableOption {
    COLORREF borderColor = 0;
    std::int32_t borderWidth = 0;
    COLORREF cellLineColor = 0;
    std::int32_t cellLineWidth = 0;
    std::int32_t cellPadding = 0;  // kept by Reset
    std::int32_t cellSpacing = 0;  // kept by Reset
    CTextField<12> alignment;

    void Reset();
    bool operator==(const CLayoutTableOption&) const = default;
};

// The layout properties of a website ("Layout Properties").
struct CLayoutOption {
    std::int32_t layout = 0;  // 0 = left layout, the only one there is
    std::array<CLayoutAreaOption, kLayoutAreaCount> areas;
    CLayoutTableOption table;
    CLayoutMainOption mainCanvas;

    CLayoutOption() { Reset(); }
    // The Index Bar is right-aligned and the table centred by default.
    void Reset();
    bool operator==(const CLayoutOption&) const = default;
};
