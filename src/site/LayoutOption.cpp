#include "LayoutOption.h"

void CFontOption::Reset() {
    faceName.Clear();
    bold = italic = underline = strikeOut = 0;
    color = 0;
}

void CLayoutAreaOption::Reset() {
    alignment.Clear();
    imagePath.Clear();
    bgColor = 0xFFFFFF;
    font.Reset();
}

void CLayoutMainOption::Reset() {
    cellAlignment.Clear();
    columns = 3;
    rows = 3;
    CLayoutAreaOption::Reset();
}

void CLayoutTableOption::Reset() {
    alignment.Clear();
    borderColor = 0;
    borderWidth = 0;
    cellLineColor = 0;
    cellLineWidth = 0;
}

void CLayoutOption::Reset() {
    layout = 0;
    for (auto& area : areas) area.Reset();
    areas[kIndexBarSlot].alignment = "Right";
    table.Reset();
    table.alignment = "Center";
    mainCanvas.Reset();
}
