#pragma once

#include "LayoutOption.h"
#include "OptionLayoutAreaPage.h"
#include "OptionPage.h"

// "Main Canvas": the background and font of the item cells, the rows and columns of cells on a
// page and the cells' alignment.
class COptionLayoutMainPage : public COptionPage {
    Q_OBJECT
public:
    explicit COptionLayoutMainPage(CLayoutOption& option, QWidget* parent = nullptr);

protected:
    void InitPage() override;

private:
    CLayoutOption& option;
    CAreaControls controls;
    CSpinEdit* rowsSpin;
    CSpinEdit* columnsSpin;
    CAlignmentCombo* alignmentCombo;
};
