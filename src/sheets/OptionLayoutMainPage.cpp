#include "OptionLayoutMainPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

COptionLayoutMainPage::COptionLayoutMainPage(CLayoutOption& option, QWidget* parent)
    : COptionPage(tr("Main Canvas"), parent),
      option(option),
      controls{},
      rowsSpin(new CSpinEdit(0, 100, this)),
      columnsSpin(new CSpinEdit(0, 100, this)),
      alignmentCombo(new CAlignmentCombo(this)) {
    QGroupBox* backgroundBox = nullptr;
    QGroupBox* fontBox = nullptr;
    controls = CAreaControls::Build(this, backgroundBox, fontBox);
    rowsSpin->setObjectName(QStringLiteral("rowsSpin"));
    columnsSpin->setObjectName(QStringLiteral("columnsSpin"));
    alignmentCombo->setObjectName(QStringLiteral("alignmentCombo"));

    auto* layoutBox = new QGroupBox(tr("Layout"), this);
    auto* grid = new QGridLayout(layoutBox);
    grid->addWidget(new QLabel(tr("Rows:"), layoutBox), 0, 0);
    grid->addWidget(rowsSpin, 0, 1);
    grid->addWidget(new QLabel(tr("Columns:"), layoutBox), 1, 0);
    grid->addWidget(columnsSpin, 1, 1);
    grid->addWidget(new QLabel(tr("Alignment:"), layoutBox), 2, 0);
    grid->addWidget(alignmentCombo, 2, 1);
    grid->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(backgroundBox);
    layout->addWidget(fontBox);
    layout->addWidget(layoutBox);
    layout->addStretch();
}

void COptionLayoutMainPage::InitPage() {
    auto& canvas = option.mainCanvas;
    BindText(controls.imageEdit, canvas.imagePath);
    BindBrowse(controls.imageBrowse, controls.imageEdit, canvas.imagePath);
    rowsSpin->ShowValue(canvas.rows);
    columnsSpin->ShowValue(canvas.columns);
    BindSpin(rowsSpin, canvas.rows);
    BindSpin(columnsSpin, canvas.columns);
    BindColor(controls.bgSwatch, canvas.bgColor);
    BindFont(controls.fontButton, controls.fontLabel, controls.fontSwatch, canvas.font);
    BindAlignment(alignmentCombo, canvas.cellAlignment);
}
