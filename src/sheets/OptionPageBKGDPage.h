#pragma once

#include <array>

#include "OptionPage.h"
#include "PageOption.h"

class QCheckBox;

// "Background": whether the page body carries a background at all, the background image and
// the five page colours. A check mark changes only through its own box.
class COptionPageBKGDPage : public COptionPage {
    Q_OBJECT
public:
    explicit COptionPageBKGDPage(CPageOption& option, QWidget* parent = nullptr);

protected:
    void InitPage() override;

private:
    // Checks the image, watermark and default-colour boxes the model has set and enables the
    // image and colour groups to match.
    void ApplyModelState();
    void SetImageGroupEnabled(bool enabled);
    void SetColorGroupEnabled(bool enabled);

    void OnSpecifyClicked(bool checked);
    void OnImageClicked(bool checked);
    void OnDefaultColorsClicked(bool checked);

    CPageOption& option;
    QCheckBox* specifyCheck;
    QCheckBox* imageCheck;
    QCheckBox* watermarkCheck;
    QLineEdit* imageEdit;
    CBrowseButton* imageBrowse;
    QCheckBox* defaultColorsCheck;
    // Background, Text, Hyperlink, Visited Hyperlink, Active Hyperlink.
    std::array<CColorButton*, 5> swatches;
};
