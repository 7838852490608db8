#pragma once

#include <QColor>
#include <QLabel>

// A label that paints its own background in a colour of its choosing, with the desktop's
// general font and the window text colour.
class CColorLabel : public QLabel {
    Q_OBJECT
public:
    explicit CColorLabel(const QString& text, QWidget* parent = nullptr);

    void SetBkColor(const QColor& color);
    void SetTextColor(const QColor& color);
    QColor BkColor() const { return bkColor; }
    QColor TextColor() const { return textColor; }

private:
    void ApplyColors();

    QColor textColor;
    QColor bkColor;
};
