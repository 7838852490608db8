#include "OptionPage.h"

#include <QLabel>

COptionPage::COptionPage(const QString& title, QWidget* parent) : QWidget(parent), title(title) {}

void COptionPage::CommitEdits() {
    for (const auto& commit : pendingEdits) commit();
}

void COptionPage::showEvent(QShowEvent* event) {
    if (!initialised) {
        initialised = true;
        InitPage();
    }
    QWidget::showEvent(event);
}

void COptionPage::BindSpin(CSpinEdit* spin, std::int32_t& field) {
    connect(spin, &CSpinEdit::valueEdited, this,
            [this, &field](int value) { Store(field, static_cast<std::int32_t>(value)); });
    AddPendingEdit([spin] { spin->CommitTyped(); });
}

void COptionPage::BindColor(CColorButton* swatch, COLORREF& field) {
    swatch->SetColor(field);
    swatch->update();
    connect(swatch, &QPushButton::clicked, this,
            [this, swatch, &field] { Store(field, swatch->PickColor()); });
}

void COptionPage::BindFont(CFontButton* button, QLabel* description, CColorButton* colorSwatch,
                           CFontOption& font) {
    description->setText(DescribeFont(font));
    colorSwatch->SetColor(font.color);
    colorSwatch->update();
    connect(button, &QPushButton::clicked, this, [this, button, description, colorSwatch, &font] {
        if (!button->PickFont(font)) return;
        description->setText(DescribeFont(font));
        colorSwatch->SetColor(font.color);
        colorSwatch->update();
        emit changed();
    });
}
