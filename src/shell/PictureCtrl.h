#pragma once

#include <QImage>
#include <QSize>

#include "StaticLink.h"

class QIODevice;

// Shows a picture read from a file, a stream or the program's resources, stretched into the part
// of the control the picture covers. It starts as a plain label: its link is off.
class CPictureCtrl : public CStaticLink {
    Q_OBJECT
public:
    explicit CPictureCtrl(QWidget* parent = nullptr);

    // False when the file cannot be opened; the previous picture then stays.
    bool LoadFromFile(const QString& path);
    // Drops the current picture and reads a new one from the rest of the stream. True whenever
    // the data could be read, also when it held no picture: GetImageSize tells that.
    bool LoadFromStream(QIODevice& stream);
    // A picture compiled into the program (":/..."); false when there is no such resource.
    bool LoadFromResource(const QString& resourcePath);
    // A picture decoded elsewhere, already at the size it is shown at (its device pixel ratio
    // set for the screen), with the size of the whole picture.
    void SetPicture(QImage shown, QSize wholeSize);
    // False when no picture is held; else true and the picture's size in pixels.
    bool GetImageSize(QSize& size) const;
    void Clear();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture;
    QSize wholeSize;  // of a picture decoded elsewhere; empty for one read here
};

// The size a picture of `size` is shown at inside a square of `side` pixels: never enlarged,
// otherwise shrunk to fit with its proportions (fractions dropped).
QSize FitIntoSquare(QSize size, int side);
