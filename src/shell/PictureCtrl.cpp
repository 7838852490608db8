#include "PictureCtrl.h"

#include <QFile>
#include <QPainter>

CPictureCtrl::CPictureCtrl(QWidget* parent) : CStaticLink(QString(), parent) {
    SetNoLink(true);
}

bool CPictureCtrl::LoadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return LoadFromStream(file);
}

bool CPictureCtrl::LoadFromStream(QIODevice& stream) {
    Clear();
    const QByteArray data = stream.readAll();
    picture.loadFromData(data);
    update();
    return true;
}

bool CPictureCtrl::LoadFromResource(const QString& resourcePath) {
    QFile resource(resourcePath);
    if (!resourcePath.startsWith(u':') || !resource.open(QIODevice::ReadOnly)) return false;
    return LoadFromStream(resource);
}

void CPictureCtrl::SetPicture(QImage shown, QSize whole) {
    picture = std::move(shown);
    wholeSize = picture.isNull() ? QSize() : whole;
    update();
}

bool CPictureCtrl::GetImageSize(QSize& size) const {
    if (picture.isNull()) return false;
    size = wholeSize.isEmpty() ? picture.size() : wholeSize;
    return true;
}

void CPictureCtrl::Clear() {
    picture = QImage();
    wholeSize = QSize();
    update();
}

void CPictureCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect pictureRect =
        picture.isNull() ? QRect() : QRect(QPoint(0, 0), picture.deviceIndependentSize().toSize());
    // Only the part around the picture is erased, so a picture being replaced does not flicker.
    const QRegion around = QRegion(rect()).subtracted(pictureRect);
    for (const QRect& part : around) painter.fillRect(part, palette().window());
    if (!picture.isNull()) painter.drawImage(rect().intersected(pictureRect), picture);
}

QSize FitIntoSquare(QSize size, int side) {
    const int w = size.width();
    const int h = size.height();
    if (w <= side && h <= side) return size;
    if (w > h) return {side, static_cast<int>(static_cast<double>(h) / w * side)};
    if (w < h) return {static_cast<int>(static_cast<double>(w) / h * side), side};
    return {side, side};
}
