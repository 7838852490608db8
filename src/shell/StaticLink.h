#pragma once

#include <QColor>
#include <QLabel>

// A label that is a hyperlink: blue and underlined with a hand cursor; a click opens its target
// with the desktop and turns it purple. When neither its link, nor its text can be opened, it
// beeps once and is a plain label from then on.
class CStaticLink : public QLabel {
    Q_OBJECT
public:
    static QColor LinkColor() { return QColor(0, 0, 255); }
    static QColor VisitedColor() { return QColor(128, 0, 128); }

    explicit CStaticLink(const QString& link = QString(), QWidget* parent = nullptr);

    // Opens the link; false (and nothing changes) when it is empty or the desktop refused it.
    bool Navigate();

    const QString& Link() const { return link; }
    void SetLink(const QString& target) { link = target; }
    QColor Color() const { return color; }
    bool IsLinkOn() const { return !noLink; }
    // Switches the link behaviour off (or on again): colours, cursor and clicks.
    void SetNoLink(bool off);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ApplyLook();

    QString link;
    QColor color = LinkColor();
    bool noLink = false;
};
