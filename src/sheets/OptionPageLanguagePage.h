#pragma once

#include "OptionPage.h"
#include "PageOption.h"

class QComboBox;

// "Language": the character set declared in saved pages and the one kept for loading them,
// chosen from the listed rows of the encoding table.
class COptionPageLanguagePage : public COptionPage {
    Q_OBJECT
public:
    explicit COptionPageLanguagePage(CPageOption& option, QWidget* parent = nullptr);

protected:
    void InitPage() override;

private:
    CPageOption& option;
    QComboBox* saveCombo;
    QComboBox* loadCombo;
};
