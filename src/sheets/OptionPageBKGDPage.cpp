#include "OptionPageBKGDPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

COptionPageBKGDPage::COptionPageBKGDPage(CPageOption& option, QWidget* parent)
    : COptionPage(tr("Background"), parent),
      option(option),
      specifyCheck(new QCheckBox(tr("Specify Background and Colors"), this)),
      imageCheck(new QCheckBox(tr("Background Image"), this)),
      watermarkCheck(new QCheckBox(tr("Watermark"), this)),
      imageEdit(new QLineEdit(this)),
      imageBrowse(new CBrowseButton(BrowseImage, this)),
      defaultColorsCheck(new QCheckBox(tr("Use Default Colors"), this)),
      swatches{} {
    specifyCheck->setObjectName(QStringLiteral("specifyCheck"));
    imageCheck->setObjectName(QStringLiteral("imageCheck"));
    watermarkCheck->setObjectName(QStringLiteral("watermarkCheck"));
    imageEdit->setObjectName(QStringLiteral("imageEdit"));
    imageBrowse->setObjectName(QStringLiteral("imageBrowse"));
    defaultColorsCheck->setObjectName(QStringLiteral("defaultColorsCheck"));

    auto* imageBox = new QGroupBox(tr("Background"), this);
    auto* image = new QGridLayout(imageBox);
    image->addWidget(imageCheck, 0, 0);
    image->addWidget(watermarkCheck, 0, 1);
    image->addWidget(imageEdit, 1, 0, 1, 2);
    image->addWidget(imageBrowse, 1, 2);

    static constexpr std::array<const char*, 5> kSwatchLabels = {
        QT_TR_NOOP("Background"), QT_TR_NOOP("Text"), QT_TR_NOOP("Hyperlink"),
        QT_TR_NOOP("Visited Hyperlink"), QT_TR_NOOP("Active Hyperlink")};
    static constexpr std::array<const char*, 5> kSwatchNames = {
        "bgColorSwatch", "textColorSwatch", "linkColorSwatch", "visitedLinkColorSwatch",
        "activeLinkColorSwatch"};
    auto* colorBox = new QGroupBox(tr("Colors"), this);
    auto* colors = new QGridLayout(colorBox);
    colors->addWidget(defaultColorsCheck, 0, 0, 1, 2);
    for (std::size_t i = 0; i < swatches.size(); ++i) {
        swatches[i] = new CColorButton(colorBox);
        swatches[i]->setObjectName(QLatin1String(kSwatchNames[i]));
        const int row = static_cast<int>(i) + 1;
        colors->addWidget(new QLabel(tr(kSwatchLabels[i]), colorBox), row, 0);
        colors->addWidget(swatches[i], row, 1);
    }
    colors->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(specifyCheck);
    layout->addWidget(imageBox);
    layout->addWidget(colorBox);
    layout->addStretch();
}

void COptionPageBKGDPage::InitPage() {
    auto& background = option.background;
    if (background.specifyBackground != 0) {
        specifyCheck->setChecked(true);
        ApplyModelState();
    } else {
        imageCheck->setEnabled(false);
        defaultColorsCheck->setEnabled(false);
        SetImageGroupEnabled(false);
        SetColorGroupEnabled(false);
    }

    BindText(imageEdit, background.backgroundImage);
    BindBrowse(imageBrowse, imageEdit, background.backgroundImage);
    BindColor(swatches[0], background.bgColor);
    BindColor(swatches[1], background.textColor);
    BindColor(swatches[2], background.linkColor);
    BindColor(swatches[3], background.visitedLinkColor);
    BindColor(swatches[4], background.activeLinkColor);

    connect(specifyCheck, &QCheckBox::clicked, this, &COptionPageBKGDPage::OnSpecifyClicked);
    connect(imageCheck, &QCheckBox::clicked, this, &COptionPageBKGDPage::OnImageClicked);
    connect(watermarkCheck, &QCheckBox::clicked, this,
            [this](bool checked) { Store(option.background.watermark, checked ? 1 : 0); });
    connect(defaultColorsCheck, &QCheckBox::clicked, this,
            &COptionPageBKGDPage::OnDefaultColorsClicked);
}

void COptionPageBKGDPage::ApplyModelState() {
    const auto& background = option.background;
    if (background.useBackgroundImage != 0) {
        imageCheck->setChecked(true);
        SetImageGroupEnabled(true);
        if (background.watermark != 0) watermarkCheck->setChecked(true);
    } else {
        SetImageGroupEnabled(false);
    }
    if (background.useDefaultColors != 0) {
        defaultColorsCheck->setChecked(true);
        SetColorGroupEnabled(false);
    } else {
        SetColorGroupEnabled(true);
    }
}

void COptionPageBKGDPage::SetImageGroupEnabled(bool enabled) {
    imageEdit->setEnabled(enabled);
    watermarkCheck->setEnabled(enabled);
    imageBrowse->setEnabled(enabled);
}

void COptionPageBKGDPage::SetColorGroupEnabled(bool enabled) {
    for (auto* swatch : swatches) swatch->setEnabled(enabled);
}

void COptionPageBKGDPage::OnSpecifyClicked(bool checked) {
    Store(option.background.specifyBackground, checked ? 1 : 0);
    imageCheck->setEnabled(checked);
    defaultColorsCheck->setEnabled(checked);
    if (checked) {
        ApplyModelState();
    } else {
        SetImageGroupEnabled(false);
        SetColorGroupEnabled(false);
    }
}

void COptionPageBKGDPage::OnImageClicked(bool checked) {
    Store(option.background.useBackgroundImage, checked ? 1 : 0);
    SetImageGroupEnabled(checked);
    if (checked && option.background.watermark != 0) watermarkCheck->setChecked(true);
}

void COptionPageBKGDPage::OnDefaultColorsClicked(bool checked) {
    Store(option.background.useDefaultColors, checked ? 1 : 0);
    SetColorGroupEnabled(!checked);
}
