#pragma once

#include "OptionPage.h"
#include "PageOption.h"

class QCheckBox;

// "Margins ": top and left page margins, each in use only when its box is checked.
class COptionPageMarginsPage : public COptionPage {
    Q_OBJECT
public:
    explicit COptionPageMarginsPage(CPageOption& option, QWidget* parent = nullptr);

protected:
    void InitPage() override;

private:
    CPageOption& option;
    QCheckBox* topCheck;
    CSpinEdit* topSpin;
    QCheckBox* leftCheck;
    CSpinEdit* leftSpin;
};
