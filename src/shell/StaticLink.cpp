#include "StaticLink.h"

#include <QApplication>
#include <QMouseEvent>

#include "Desktop.h"

CStaticLink::CStaticLink(const QString& linkText, QWidget* parent)
    : QLabel(parent), link(linkText) {
    ApplyLook();
}

bool CStaticLink::Navigate() {
    if (link.isEmpty()) return false;
    if (!TheDesktop().OpenUrl(UrlForOpening(link.trimmed()))) return false;
    color = VisitedColor();
    ApplyLook();
    update();
    return true;
}

void CStaticLink::SetNoLink(bool off) {
    noLink = off;
    ApplyLook();
}

void CStaticLink::mousePressEvent(QMouseEvent* event) {
    if (noLink || event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (Navigate()) return;
    link = text();
    if (Navigate()) return;
    TheDesktop().Beep();
    SetNoLink(true);
}

void CStaticLink::ApplyLook() {
    QFont look = QApplication::font(this);
    QPalette colors = QApplication::palette(this);
    if (!noLink) {
        look.setUnderline(true);
        colors.setColor(QPalette::WindowText, color);
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
    setFont(look);
    setPalette(colors);
}
