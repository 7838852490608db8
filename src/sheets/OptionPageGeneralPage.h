#pragma once

#include "OptionPage.h"
#include "PageOption.h"

class QCheckBox;
class QRadioButton;

// "General": export folder, title, background sound and the copying of linked files.
class COptionPageGeneralPage : public COptionPage {
    Q_OBJECT
public:
    explicit COptionPageGeneralPage(CPageOption& option, QWidget* parent = nullptr);

protected:
    void InitPage() override;

private:
    void OnForeverClicked(bool checked);

    CPageOption& option;
    QLineEdit* locationEdit;
    CBrowseButton* locationBrowse;
    QLineEdit* titleEdit;
    QLineEdit* soundEdit;
    CBrowseButton* soundBrowse;
    CSpinEdit* loopSpin;
    QCheckBox* foreverCheck;
    QRadioButton* automaticRadio;
    QRadioButton* manualRadio;
};
