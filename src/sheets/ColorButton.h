#pragma once

#include <QColor>
#include <QPushButton>

#include "PageOption.h"

inline constexpr COLORREF kNoColor = 0xFFFFFFFF;

QColor ColorRefToQColor(COLORREF color);
COLORREF QColorToColorRef(const QColor& color);

// A swatch that shows a colour: the whole button less a 2-pixel margin is filled with it, inside
// a one-pixel frame; a disabled swatch shows the colour greyed. The page decides what a click
// does; most pages call PickColor.
class CColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);

    COLORREF Color() const { return color; }
    // Does not repaint by itself when the colour is set from outside the button's own dialog.
    void SetColor(COLORREF newColor) { color = newColor; }

    // Runs the colour dialog on the current colour and returns the colour afterwards, changed
    // only when the dialog ended with OK.
    COLORREF PickColor();
    // The colour as painted: greyed while the swatch is disabled.
    QColor ShownColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    COLORREF color = kNoColor;
};
