#include "ColorLabel.h"

#include <QApplication>
#include <QPalette>

CColorLabel::CColorLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent),
      textColor(QApplication::palette().color(QPalette::WindowText)),
      bkColor(QApplication::palette().color(QPalette::Button)) {
    setFont(QApplication::font());
    setAutoFillBackground(true);
    ApplyColors();
}

void CColorLabel::SetBkColor(const QColor& color) {
    bkColor = color;
    ApplyColors();
}

void CColorLabel::SetTextColor(const QColor& color) {
    textColor = color;
    ApplyColors();
}

void CColorLabel::ApplyColors() {
    QPalette colors = palette();
    colors.setColor(QPalette::Window, bkColor);
    colors.setColor(QPalette::WindowText, textColor);
    setPalette(colors);
}
