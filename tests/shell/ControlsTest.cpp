// The small pieces under the views: text conversion, the picture control, the link label and
// the coloured label.
#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "ColorLabel.h"
#include "ModelText.h"
#include "PictureCtrl.h"
#include "ShellTestUtil.h"
#include "StaticLink.h"

namespace {

QString WritePicture(const QTemporaryDir& dir, const QString& name, QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = dir.filePath(name);
    if (!image.save(path)) qWarning("cannot write the test picture");
    return path;
}

}  // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void TextBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ascii") << QByteArray("Index") << QStringLiteral("Index");
        QTest::newRow("utf-8") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac")
                               << QStringLiteral("Caf\u00e9 \u20ac");
        QTest::newRow("windows-1252") << QByteArray("Caf\xe9 \x80 \x93x\x94")
                                      << QStringLiteral("Caf\u00e9 \u20ac \u201cx\u201d");
        QTest::newRow("cut utf-8 is 1252") << QByteArray("a\xc3") << QStringLiteral("a\u00c3");
    }

    void TextBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(TextFromBytes(bytes.toStdString()), shown);
    }

    void TypedTextIsUtf8AndUntouchedFieldsKeepTheirBytes() {
        QCOMPARE(BytesFromText(QStringLiteral("Caf\u00e9")), std::string("Caf\xc3\xa9"));

        std::string field = "Caf\xe9";
        QVERIFY(!AssignEdited(field, QStringLiteral("Caf\u00e9")));
        QCOMPARE(field, std::string("Caf\xe9"));
        QVERIFY(AssignEdited(field, QStringLiteral("Caf\u00e9s")));
        QCOMPARE(field, std::string("Caf\xc3\xa9s"));
    }

    void FitIntoSquare_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("wide") << QSize(400, 200) << QSize(135, 67);
        QTest::newRow("tall") << QSize(200, 400) << QSize(67, 135);
        QTest::newRow("small stays") << QSize(100, 80) << QSize(100, 80);
        QTest::newRow("exact") << QSize(135, 135) << QSize(135, 135);
        QTest::newRow("square") << QSize(300, 300) << QSize(135, 135);
        QTest::newRow("one side over") << QSize(136, 20) << QSize(135, 19);
    }

    void FitIntoSquare() {
        QFETCH(QSize, picture);
        QFETCH(QSize, shown);
        QCOMPARE(::FitIntoSquare(picture, 135), shown);
    }

    void PictureLoadsAndDrawsSqueezed() {
        QTemporaryDir dir;
        const QString path = WritePicture(dir, QStringLiteral("red.png"), {400, 300}, Qt::red);
        CPictureCtrl picture;
        QSize size;
        QVERIFY(!picture.GetImageSize(size));
        QVERIFY(picture.LoadFromFile(path));
        QVERIFY(picture.GetImageSize(size));
        QCOMPARE(size, QSize(400, 300));

        picture.resize(135, 135);
        const QImage drawn = picture.grab().toImage();
        QCOMPARE(drawn.size(), QSize(135, 135));
        QCOMPARE(QColor(drawn.pixel(0, 0)), QColor(Qt::red));
        QCOMPARE(QColor(drawn.pixel(134, 134)), QColor(Qt::red));

        // In a larger control the picture keeps its own size; the rest is background.
        picture.resize(500, 400);
        const QImage natural = picture.grab().toImage();
        QCOMPARE(QColor(natural.pixel(399, 299)), QColor(Qt::red));
        QVERIFY(QColor(natural.pixel(450, 350)) != QColor(Qt::red));
    }

    void PictureFailures() {
        QTemporaryDir dir;
        CPictureCtrl picture;
        const QString good = WritePicture(dir, QStringLiteral("a.jpg"), {40, 30}, Qt::blue);
        QVERIFY(picture.LoadFromFile(good));

        // A file that cannot be opened leaves the previous picture.
        QVERIFY(!picture.LoadFromFile(dir.filePath(QStringLiteral("missing.gif"))));
        QSize size;
        QVERIFY(picture.GetImageSize(size));
        QCOMPARE(size, QSize(40, 30));

        // Data that is no picture was read, but leaves the control empty.
        QFile text(dir.filePath(QStringLiteral("notes.gif")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("just some words\n");
        text.close();
        QVERIFY(picture.LoadFromFile(text.fileName()));
        QVERIFY(!picture.GetImageSize(size));

        QBuffer stream;
        stream.setData(QByteArray());
        QVERIFY(stream.open(QIODevice::ReadOnly));
        QVERIFY(picture.LoadFromStream(stream));
        QVERIFY(!picture.GetImageSize(size));

        QVERIFY(!picture.LoadFromResource(QStringLiteral(":/no/such/picture.png")));
        QVERIFY(picture.LoadFromResource(QStringLiteral(":/icons/item.svg")));
        QVERIFY(picture.GetImageSize(size));
        QVERIFY(!picture.IsLinkOn());
    }

    void LinkTurnsPurpleAfterItOpened() {
        CFakeDesktopScope desktop;
        CStaticLink link(QStringLiteral("https://example.org/"));
        link.setText(QStringLiteral("Example"));
        link.resize(100, 20);
        QVERIFY(link.IsLinkOn());
        QCOMPARE(link.Color(), CStaticLink::LinkColor());
        QVERIFY(link.font().underline());
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);

        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(desktop->openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/"))});
        QCOMPARE(link.Color(), CStaticLink::VisitedColor());
        QCOMPARE(link.palette().color(QPalette::WindowText), CStaticLink::VisitedColor());
        QCOMPARE(desktop->beeps, 0);
    }

    void LinkFallsBackToItsTextThenBeepsOnce() {
        CFakeDesktopScope desktop;
        CStaticLink link;
        link.setText(QStringLiteral("https://example.org/text"));
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(desktop->openedUrls.size(), 1);
        QCOMPARE(link.Link(), QStringLiteral("https://example.org/text"));

        CStaticLink dead;
        QTest::mouseClick(&dead, Qt::LeftButton);
        QCOMPARE(desktop->beeps, 1);
        QVERIFY(!dead.IsLinkOn());
        QVERIFY(!dead.font().underline());
        QCOMPARE(dead.cursor().shape(), Qt::ArrowCursor);
        QTest::mouseClick(&dead, Qt::LeftButton);
        QCOMPARE(desktop->beeps, 1);
        QCOMPARE(desktop->openedUrls.size(), 1);
    }

    void LinkRefusedByTheDesktopStaysBlue() {
        CFakeDesktopScope desktop;
        desktop->openSucceeds = false;
        CStaticLink link(QStringLiteral("nowhere:at-all"));
        QVERIFY(!link.Navigate());
        QCOMPARE(link.Color(), CStaticLink::LinkColor());
    }

    void ColorLabelPaintsItsBackground() {
        CColorLabel label(QStringLiteral("Caption:"));
        label.resize(100, 20);
        label.SetBkColor(QColor(10, 200, 30));
        const QImage drawn = label.grab().toImage();
        QCOMPARE(QColor(drawn.pixel(98, 1)), QColor(10, 200, 30));
        label.SetTextColor(Qt::red);
        QCOMPARE(label.palette().color(QPalette::WindowText), QColor(Qt::red));
    }
};

int RunControlsTest(int argc, char** argv) {
    ControlsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ControlsTest.moc"
