#include "OptionPageGeneralPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

COptionPageGeneralPage::COptionPageGeneralPage(CPageOption& option, QWidget* parent)
    : COptionPage(tr("General"), parent),
      option(option),
      locationEdit(new QLineEdit(this)),
      locationBrowse(new CBrowseButton(BrowseFolder, this)),
      titleEdit(new QLineEdit(this)),
      soundEdit(new QLineEdit(this)),
      soundBrowse(new CBrowseButton(BrowseSound, this)),
      loopSpin(new CSpinEdit(0, 9999, this)),
      foreverCheck(new QCheckBox(tr("Forever"), this)),
      automaticRadio(new QRadioButton(tr("Automatic"), this)),
      manualRadio(new QRadioButton(tr("Manual"), this)) {
    locationEdit->setObjectName(QStringLiteral("locationEdit"));
    locationBrowse->setObjectName(QStringLiteral("locationBrowse"));
    titleEdit->setObjectName(QStringLiteral("titleEdit"));
    soundEdit->setObjectName(QStringLiteral("soundEdit"));
    soundBrowse->setObjectName(QStringLiteral("soundBrowse"));
    loopSpin->setObjectName(QStringLiteral("loopSpin"));
    foreverCheck->setObjectName(QStringLiteral("foreverCheck"));
    automaticRadio->setObjectName(QStringLiteral("automaticRadio"));
    manualRadio->setObjectName(QStringLiteral("manualRadio"));

    auto* top = new QGridLayout;
    top->addWidget(new QLabel(tr("Location:"), this), 0, 0);
    top->addWidget(locationEdit, 0, 1);
    top->addWidget(locationBrowse, 0, 2);
    top->addWidget(new QLabel(tr("Title:"), this), 1, 0);
    top->addWidget(titleEdit, 1, 1, 1, 2);

    auto* soundBox = new QGroupBox(tr("Background Sound"), this);
    auto* sound = new QGridLayout(soundBox);
    sound->addWidget(new QLabel(tr("Location:"), soundBox), 0, 0);
    sound->addWidget(soundEdit, 0, 1, 1, 2);
    sound->addWidget(soundBrowse, 0, 3);
    sound->addWidget(new QLabel(tr("Loop:"), soundBox), 1, 0);
    sound->addWidget(loopSpin, 1, 1);
    sound->addWidget(foreverCheck, 1, 2);
    sound->setColumnStretch(2, 1);

    auto* copyBox = new QGroupBox(tr("Copy Linked Files"), this);
    auto* copy = new QVBoxLayout(copyBox);
    copy->addWidget(automaticRadio);
    copy->addWidget(manualRadio);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(soundBox);
    layout->addWidget(copyBox);
    layout->addStretch();
}

void COptionPageGeneralPage::InitPage() {
    auto& general = option.general;
    BindText(titleEdit, general.title);
    BindText(locationEdit, general.location);
    BindText(soundEdit, general.soundLocation);
    BindBrowse(locationBrowse, locationEdit, general.location);
    BindBrowse(soundBrowse, soundEdit, general.soundLocation);

    const bool playsForever = general.soundLoop < 0;
    loopSpin->setEnabled(!playsForever);
    foreverCheck->setChecked(playsForever);
    loopSpin->ShowValue(playsForever ? 0 : general.soundLoop);
    BindSpin(loopSpin, general.soundLoop);
    connect(foreverCheck, &QCheckBox::clicked, this, &COptionPageGeneralPage::OnForeverClicked);

    (general.copyLinkedFiles != 0 ? automaticRadio : manualRadio)->setChecked(true);
    connect(automaticRadio, &QRadioButton::clicked, this,
            [this](bool checked) { Store(option.general.copyLinkedFiles, checked ? 1 : 0); });
    connect(manualRadio, &QRadioButton::clicked, this, [this](bool checked) {
        if (checked) Store(option.general.copyLinkedFiles, 0);
    });
}

void COptionPageGeneralPage::OnForeverClicked(bool checked) {
    loopSpin->setEnabled(!checked);
    Store(option.general.soundLoop, checked ? -1 : 0);
    loopSpin->ShowValue(0);
}
