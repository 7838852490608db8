#pragma once

#include <QCoreApplication>

#include "LayoutOption.h"
#include "OptionPage.h"

class QGroupBox;
class QLabel;

// The background and font controls that every bar page and the main canvas share.
struct CAreaControls {
    Q_DECLARE_TR_FUNCTIONS(CAreaControls)

public:
    QLineEdit* imageEdit;
    CBrowseButton* imageBrowse;
    CColorButton* bgSwatch;
    QLabel* fontLabel;
    CFontButton* fontButton;
    CColorButton* fontSwatch;  // shows the font's colour; a click does nothing

    // Builds the "Background  Properties" and "Font Properties" groups.
    static CAreaControls Build(QWidget* page, QGroupBox*& backgroundBox, QGroupBox*& fontBox);
};

// One bar of the page frame. `areaIndex` counts the bars in the order of the sheet's tabs, which
// puts the Next Navigator Bar before the History Bar; the bar's slot in the model follows from it.
// The Header and Footer Bars are plain paragraphs, so their background is not offered.
class COptionLayoutAreaPage : public COptionPage {
    Q_OBJECT
public:
    COptionLayoutAreaPage(CLayoutOption& option, int areaIndex, const QString& title,
                          QWidget* parent = nullptr);

    int AreaIndex() const { return areaIndex; }
    // The slot of `areas` a page with this index edits.
    static int SlotOfAreaIndex(int areaIndex);

protected:
    void InitPage() override;

private:
    int areaIndex;
    CLayoutAreaOption& area;
    CAreaControls controls;
    CAlignmentCombo* alignmentCombo;
};
