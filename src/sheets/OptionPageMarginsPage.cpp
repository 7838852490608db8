#include "OptionPageMarginsPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QGroupBox* MarginBox(const QString& title, QCheckBox* check, CSpinEdit* spin, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QGridLayout(box);
    layout->addWidget(check, 0, 0, 1, 3);
    layout->addWidget(spin, 1, 0);
    layout->addWidget(new QLabel(COptionPageMarginsPage::tr("Pixels"), box), 1, 1);
    layout->setColumnStretch(2, 1);
    return box;
}

}  // namespace

COptionPageMarginsPage::COptionPageMarginsPage(CPageOption& option, QWidget* parent)
    : COptionPage(tr("Margins "), parent),
      option(option),
      topCheck(new QCheckBox(tr("Specify Top Margin"), this)),
      topSpin(new CSpinEdit(0, 1024, this)),
      leftCheck(new QCheckBox(tr("Specify Left Margin"), this)),
      leftSpin(new CSpinEdit(0, 1024, this)) {
    topCheck->setObjectName(QStringLiteral("topCheck"));
    topSpin->setObjectName(QStringLiteral("topSpin"));
    leftCheck->setObjectName(QStringLiteral("leftCheck"));
    leftSpin->setObjectName(QStringLiteral("leftSpin"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MarginBox(tr("Top Margin"), topCheck, topSpin, this));
    layout->addWidget(MarginBox(tr("Left Margin"), leftCheck, leftSpin, this));
    layout->addStretch();
}

void COptionPageMarginsPage::InitPage() {
    auto& margins = option.margins;
    // A margin whose box is clear shows 0; its stored value stays until the user edits it.
    const bool top = margins.specifyTopMargin != 0;
    const bool left = margins.specifyLeftMargin != 0;
    topSpin->setEnabled(top);
    leftSpin->setEnabled(left);
    topCheck->setChecked(top);
    leftCheck->setChecked(left);
    topSpin->ShowValue(top ? margins.topMargin : 0);
    leftSpin->ShowValue(left ? margins.leftMargin : 0);
    BindSpin(topSpin, margins.topMargin);
    BindSpin(leftSpin, margins.leftMargin);

    connect(topCheck, &QCheckBox::clicked, this, [this](bool checked) {
        Store(option.margins.specifyTopMargin, checked ? 1 : 0);
        topSpin->setEnabled(checked);
    });
    connect(leftCheck, &QCheckBox::clicked, this, [this](bool checked) {
        Store(option.margins.specifyLeftMargin, checked ? 1 : 0);
        leftSpin->setEnabled(checked);
    });
}
