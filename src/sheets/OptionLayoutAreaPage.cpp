#include "OptionLayoutAreaPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>
#include <array>

CAreaControls CAreaControls::Build(QWidget* page, QGroupBox*& backgroundBox, QGroupBox*& fontBox) {
    backgroundBox = new QGroupBox(tr("Background  Properties"), page);
    fontBox = new QGroupBox(tr("Font Properties"), page);
    CAreaControls controls{
        new QLineEdit(backgroundBox),    new CBrowseButton(BrowseImage, backgroundBox),
        new CColorButton(backgroundBox), new QLabel(tr("(Default)"), fontBox),
        new CFontButton(fontBox),        new CColorButton(fontBox)};
    controls.imageEdit->setObjectName(QStringLiteral("imageEdit"));
    controls.imageBrowse->setObjectName(QStringLiteral("imageBrowse"));
    controls.bgSwatch->setObjectName(QStringLiteral("bgSwatch"));
    controls.fontLabel->setObjectName(QStringLiteral("fontLabel"));
    controls.fontButton->setObjectName(QStringLiteral("fontButton"));
    controls.fontSwatch->setObjectName(QStringLiteral("fontSwatch"));

    auto* background = new QGridLayout(backgroundBox);
    background->addWidget(new QLabel(tr("Image:"), backgroundBox), 0, 0);
    background->addWidget(controls.imageEdit, 0, 1, 1, 2);
    background->addWidget(controls.imageBrowse, 0, 3);
    background->addWidget(new QLabel(tr("Color:"), backgroundBox), 1, 0);
    background->addWidget(controls.bgSwatch, 1, 1);
    background->setColumnStretch(2, 1);

    auto* font = new QGridLayout(fontBox);
    font->addWidget(new QLabel(tr("Font:"), fontBox), 0, 0);
    font->addWidget(controls.fontLabel, 0, 1, 1, 2);
    font->addWidget(controls.fontButton, 0, 3);
    font->addWidget(new QLabel(tr("Color:"), fontBox), 1, 0);
    font->addWidget(controls.fontSwatch, 1, 1);
    font->setColumnStretch(2, 1);
    return controls;
}

int COptionLayoutAreaPage::SlotOfAreaIndex(int areaIndex) {
    static constexpr std::array<int, kLayoutAreaCount> kSlots = {
        kHeaderBarSlot,  kTopNavigatorBarSlot, kNextNavigatorBarSlot,
        kHistoryBarSlot, kIndexBarSlot,        kFooterBarSlot};
    return kSlots.at(static_cast<std::size_t>(areaIndex));
}

COptionLayoutAreaPage::COptionLayoutAreaPage(CLayoutOption& option, int areaIndex,
                                             const QString& title, QWidget* parent)
    : COptionPage(title, parent),
      areaIndex(areaIndex),
      area(option.areas.at(static_cast<std::size_t>(SlotOfAreaIndex(areaIndex)))),
      controls{},
      alignmentCombo(new CAlignmentCombo(this)) {
    QGroupBox* backgroundBox = nullptr;
    QGroupBox* fontBox = nullptr;
    controls = CAreaControls::Build(this, backgroundBox, fontBox);
    alignmentCombo->setObjectName(QStringLiteral("alignmentCombo"));

    auto* layoutBox = new QGroupBox(tr("Layout"), this);
    auto* layoutGrid = new QGridLayout(layoutBox);
    layoutGrid->addWidget(new QLabel(tr("Alignment:"), layoutBox), 0, 0);
    layoutGrid->addWidget(alignmentCombo, 0, 1);
    layoutGrid->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(backgroundBox);
    layout->addWidget(fontBox);
    layout->addWidget(layoutBox);
    layout->addStretch();
}

void COptionLayoutAreaPage::InitPage() {
    const int slot = SlotOfAreaIndex(areaIndex);
    if (slot == kHeaderBarSlot || slot == kFooterBarSlot) {
        controls.bgSwatch->setEnabled(false);
        controls.imageBrowse->setEnabled(false);
        controls.imageEdit->setEnabled(false);
    }
    BindText(controls.imageEdit, area.imagePath);
    BindBrowse(controls.imageBrowse, controls.imageEdit, area.imagePath);
    BindColor(controls.bgSwatch, area.bgColor);
    BindFont(controls.fontButton, controls.fontLabel, controls.fontSwatch, area.font);
    BindAlignment(alignmentCombo, area.alignment);
}
