#include "ColorButton.h"

#include <QPainter>

#include "Desktop.h"

QColor ColorRefToQColor(COLORREF color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

COLORREF QColorToColorRef(const QColor& color) {
    return static_cast<COLORREF>(color.red()) | (static_cast<COLORREF>(color.green()) << 8) |
           (static_cast<COLORREF>(color.blue()) << 16);
}

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent) {
    setMinimumSize(40, 20);
}

COLORREF CColorButton::PickColor() {
    const QColor initial = color == kNoColor ? QColor(Qt::black) : ColorRefToQColor(color);
    if (const auto chosen = TheDesktop().GetColor(this, initial)) {
        color = QColorToColorRef(*chosen);
        update();
    }
    return color;
}

QColor CColorButton::ShownColor() const {
    const QColor own = ColorRefToQColor(color);
    if (isEnabled()) return own;
    // Greyed: the colour's lightness, washed halfway towards the disabled button face.
    const int grey = qGray(own.rgb());
    const QColor face = palette().color(QPalette::Disabled, QPalette::Button);
    return QColor((grey + face.red()) / 2, (grey + face.green()) / 2, (grey + face.blue()) / 2);
}

void CColorButton::paintEvent(QPaintEvent* /*event*/) {
    if (color == kNoColor) return;
    const QRect swatch = rect().adjusted(2, 2, -2, -2);
    if (swatch.isEmpty()) return;
    QPainter painter(this);
    painter.fillRect(swatch, ShownColor());
    // A one-pixel frame, so that a swatch as light as the page around it still shows.
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Dark));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}
