#pragma once

#include "LayoutOption.h"
#include "OptionPage.h"

// "Table Properties": the border and cell lines of the table framing every page, its cell
// padding and spacing and its alignment.
class COptionLayoutTablePage : public COptionPage {
    Q_OBJECT
public:
    explicit COptionLayoutTablePage(CLayoutOption& option, QWidget* parent = nullptr);

protected:
    void InitPage() override;

private:
    CLayoutOption& option;
    CColorButton* borderSwatch;
    CSpinEdit* borderWidthSpin;
    CColorButton* cellLineSwatch;
    CSpinEdit* cellLineWidthSpin;
    CSpinEdit* cellPaddingSpin;
    CSpinEdit* cellSpacingSpin;
    CAlignmentCombo* alignmentCombo;
};
