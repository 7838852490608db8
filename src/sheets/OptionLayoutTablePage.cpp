#include "OptionLayoutTablePage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

void AddSpinRow(QGridLayout* grid, int row, const QString& label, CSpinEdit* spin, QWidget* box) {
    grid->addWidget(new QLabel(label, box), row, 0);
    grid->addWidget(spin, row, 1);
    grid->addWidget(new QLabel(COptionLayoutTablePage::tr("Pixels"), box), row, 2);
}

QGroupBox* LineBox(const QString& title, CColorButton* swatch, CSpinEdit* width, QWidget* page) {
    auto* box = new QGroupBox(title, page);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(COptionLayoutTablePage::tr("Color:"), box), 0, 0);
    grid->addWidget(swatch, 0, 1);
    AddSpinRow(grid, 1, COptionLayoutTablePage::tr("Width:"), width, box);
    grid->setColumnStretch(3, 1);
    return box;
}

}  // namespace

COptionLayoutTablePage::COptionLayoutTablePage(CLayoutOption& option, QWidget* parent)
    : COptionPage(tr("Table Properties"), parent),
      option(option),
      borderSwatch(new CColorButton(this)),
      borderWidthSpin(new CSpinEdit(0, 100, this)),
      cellLineSwatch(new CColorButton(this)),
      cellLineWidthSpin(new CSpinEdit(0, 100, this)),
      cellPaddingSpin(new CSpinEdit(0, 100, this)),
      cellSpacingSpin(new CSpinEdit(0, 100, this)),
      alignmentCombo(new CAlignmentCombo(this)) {
    borderSwatch->setObjectName(QStringLiteral("borderSwatch"));
    borderWidthSpin->setObjectName(QStringLiteral("borderWidthSpin"));
    cellLineSwatch->setObjectName(QStringLiteral("cellLineSwatch"));
    cellLineWidthSpin->setObjectName(QStringLiteral("cellLineWidthSpin"));
    cellPaddingSpin->setObjectName(QStringLiteral("cellPaddingSpin"));
    cellSpacingSpin->setObjectName(QStringLiteral("cellSpacingSpin"));
    alignmentCombo->setObjectName(QStringLiteral("alignmentCombo"));

    auto* layoutBox = new QGroupBox(tr("Layout"), this);
    auto* grid = new QGridLayout(layoutBox);
    AddSpinRow(grid, 0, tr("Cell Padding:"), cellPaddingSpin, layoutBox);
    AddSpinRow(grid, 1, tr("Cell Spacing:"), cellSpacingSpin, layoutBox);
    grid->addWidget(new QLabel(tr("Alignment:"), layoutBox), 2, 0);
    grid->addWidget(alignmentCombo, 2, 1);
    grid->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LineBox(tr("Border"), borderSwatch, borderWidthSpin, this));
    layout->addWidget(LineBox(tr("Cell line"), cellLineSwatch, cellLineWidthSpin, this));
    layout->addWidget(layoutBox);
    layout->addStretch();
}

void COptionLayoutTablePage::InitPage() {
    auto& table = option.table;
    const std::pair<CSpinEdit*, std::int32_t*> spins[] = {{borderWidthSpin, &table.borderWidth},
                                                          {cellLineWidthSpin, &table.cellLineWidth},
                                                          {cellPaddingSpin, &table.cellPadding},
                                                          {cellSpacingSpin, &table.cellSpacing}};
    for (const auto& [spin, field] : spins) {
        spin->ShowValue(*field);
        BindSpin(spin, *field);
    }
    BindColor(borderSwatch, table.borderColor);
    BindColor(cellLineSwatch, table.cellLineColor);
    BindAlignment(alignmentCombo, table.alignment);
}
