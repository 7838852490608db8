#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "AlignmentCombo.h"
#include "BrowseButton.h"
#include "ColorButton.h"
#include "FakeDesktop.h"
#include "FontButton.h"
#include "ModelText.h"

// The controls the pages share and the conversion between model bytes and shown text.
class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void SwatchIsFramedAndGreyedWhenDisabled();
    void PickColorOpensOnCurrentColourAndKeepsItOnCancel();
    void BrowseKindsOfferTheirDialogs();
    void FontChoiceMapping_data();
    void FontChoiceMapping();
    void FontDialogCancelOrEmptyFaceLeavesRecord();
    void FontDialogClosedAsItOpenedLeavesRecord();
    void MessagesCarryTheProgramTitle();
    void DescribeFontText();
    void AlignmentComboOpensByPrefixIgnoringCase_data();
    void AlignmentComboOpensByPrefixIgnoringCase();
    void ModelBytesShowAsUtf8OrWindows1252();
};

// The swatch fills all but a 2-pixel margin, inside a frame that shows even a white swatch on a
// white page; disabled, it shows its colour greyed.
void ControlsTest::SwatchIsFramedAndGreyedWhenDisabled() {
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::white);
    parent.setPalette(palette);
    parent.resize(50, 30);
    CColorButton swatch(&parent);
    swatch.setGeometry(0, 0, 44, 24);
    const QColor red(255, 0, 0);
    const QColor white(Qt::white);
    const QColor frame = swatch.palette().color(QPalette::Active, QPalette::Dark);
    QVERIFY(frame != white);
    for (const COLORREF color : {COLORREF{0x0000FF}, COLORREF{0xFFFFFF}}) {
        swatch.SetColor(color);
        const QImage image = parent.grab().toImage();
        const auto at = [&image](int x, int y) { return image.pixel(x, y); };
        QCOMPARE(at(2, 2), frame.rgb());
        QCOMPARE(at(41, 21), frame.rgb());
        QCOMPARE(at(3, 3), ColorRefToQColor(color).rgb());
        QCOMPARE(at(40, 20), ColorRefToQColor(color).rgb());
        QCOMPARE(at(1, 1), white.rgb());
        QCOMPARE(at(42, 12), white.rgb());
        QCOMPARE(at(20, 22), white.rgb());
    }
    swatch.SetColor(0x0000FF);
    swatch.setEnabled(false);
    const QColor greyed = parent.grab().toImage().pixelColor(20, 12);
    QVERIFY(greyed != red);
    QCOMPARE(greyed.saturation(), 0);
    QCOMPARE(swatch.ShownColor().rgb(), greyed.rgb());
}

void ControlsTest::PickColorOpensOnCurrentColourAndKeepsItOnCancel() {
    CFakeDesktopScope dialogs;
    CColorButton swatch;
    swatch.SetColor(0x336699);
    dialogs->colors = {std::nullopt, QColor(1, 2, 3)};
    QCOMPARE(swatch.PickColor(), COLORREF{0x336699});
    QCOMPARE(swatch.PickColor(), COLORREF{0x030201});
    QCOMPARE(swatch.Color(), COLORREF{0x030201});
    QCOMPARE(dialogs->colorInitials.at(0), QColor(0x99, 0x66, 0x33));
    QCOMPARE(dialogs->colorInitials.at(1), QColor(0x99, 0x66, 0x33));
}

void ControlsTest::BrowseKindsOfferTheirDialogs() {
    CFakeDesktopScope dialogs;
    dialogs->folders = {QStringLiteral("/srv/site")};
    dialogs->files = {QStringLiteral("/music/loop.mid"), QString(), QStringLiteral("/a.gif")};

    CBrowseButton folder(BrowseFolder);
    QCOMPARE(folder.Browse(), QStringLiteral("/srv/site"));
    QCOMPARE(dialogs->folderTitles, QStringList{QStringLiteral("Please select a folder")});

    CBrowseButton sound(BrowseSound);
    QCOMPARE(sound.Browse(), QStringLiteral("/music/loop.mid"));
    QCOMPARE(sound.Browse(), QString());
    QCOMPARE(sound.LastPath(), QString());
    QCOMPARE(dialogs->fileFilters.at(0).size(), 7);
    QCOMPARE(dialogs->fileFilters.at(0).first(), QStringLiteral("Wave Sound (*.wav)"));
    QCOMPARE(dialogs->fileFilters.at(0).last(), QStringLiteral("All Files (*)"));

    CBrowseButton image(BrowseImage);
    QCOMPARE(image.Browse(), QStringLiteral("/a.gif"));
    QCOMPARE(dialogs->fileFilters.at(2).size(), 4);
    QCOMPARE(dialogs->fileFilters.at(2).first(), QStringLiteral("Gif Files (*.gif)"));
    QCOMPARE(dialogs->unexpected, 0);
}

void ControlsTest::FontChoiceMapping_data() {
    QTest::addColumn<int>("weight");
    QTest::addColumn<bool>("styles");  // italic, underline and strike-out
    QTest::addColumn<double>("points");
    QTest::addColumn<int>("bold");
    QTest::addColumn<int>("tenths");
    QTest::newRow("bold") << 700 << false << 12.0 << 1 << 120;
    QTest::newRow("demibold is not bold") << 600 << true << 9.0 << 0 << 90;
    QTest::newRow("black is not bold") << 900 << false << 10.5 << 0 << 105;
}

void ControlsTest::FontChoiceMapping() {
    QFETCH(int, weight);
    QFETCH(bool, styles);
    QFETCH(double, points);
    QFETCH(int, bold);
    QFETCH(int, tenths);
    CFakeDesktopScope dialogs;
    QFont chosen(QStringLiteral("Serif Face"));
    chosen.setWeight(static_cast<QFont::Weight>(weight));
    chosen.setItalic(styles);
    chosen.setUnderline(styles);
    chosen.setStrikeOut(styles);
    chosen.setPointSizeF(points);
    dialogs->fonts = {CFontChoice{chosen, QColor(0x10, 0x20, 0x30)}};

    CFontOption font;
    font.faceName = "Courier";
    font.pointSize = 145;
    font.bold = 1 - bold;
    font.italic = styles ? 0 : 1;
    font.color = 0x00FF00;
    CFontButton button;
    QVERIFY(button.PickFont(font));
    QCOMPARE(font.faceName.Str(), std::string("Serif Face"));
    QCOMPARE(font.bold, bold);
    QCOMPARE(font.italic, styles ? 1 : 0);
    QCOMPARE(font.underline, styles ? 1 : 0);
    QCOMPARE(font.strikeOut, styles ? 1 : 0);
    QCOMPARE(font.pointSize, tenths);
    QCOMPARE(font.color, COLORREF{0x302010});

    // The dialog opened on the record as it was.
    const CFontChoice& initial = dialogs->fontInitials.at(0);
    QCOMPARE(initial.font.family(), QStringLiteral("Courier"));
    QCOMPARE(initial.font.pointSizeF(), 14.5);
    QCOMPARE(initial.font.weight(), bold == 1 ? QFont::Normal : QFont::Bold);
    QCOMPARE(initial.font.italic(), !styles);
    QCOMPARE(initial.color, QColor(0, 255, 0));
}

void ControlsTest::FontDialogCancelOrEmptyFaceLeavesRecord() {
    CFakeDesktopScope dialogs;
    CFontOption font;
    font.faceName = "Helvetica";
    font.pointSize = 110;
    font.italic = 1;
    font.color = 0x0000FF;
    const CFontOption before = font;
    QFont faceless;
    faceless.setFamily(QString());
    faceless.setWeight(QFont::Bold);
    faceless.setPointSize(20);
    QVERIFY(faceless.family().isEmpty());
    dialogs->fonts = {std::nullopt, CFontChoice{faceless, QColor(Qt::green)}};
    CFontButton button;
    QVERIFY(!button.PickFont(font));
    QVERIFY(!button.PickFont(font));
    QVERIFY(font == before);
}

// The real font dialog, closed with OK on what it showed: a record that leaves face and size to
// the default keeps doing so; a face the user picks is stored.
void ControlsTest::FontDialogClosedAsItOpenedLeavesRecord() {
    CFontOption font;
    font.bold = 1;
    font.color = 0x336699;
    const CFontOption before = font;
    auto acceptDialog = [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->accept();
    };
    CFontButton button;
    QTimer::singleShot(0, &button, acceptDialog);
    QVERIFY(!button.PickFont(font));
    QVERIFY(font == before);

    CFakeDesktopScope dialogs;
    QFont picked = FontFromOption(font);
    picked.setFamily(QStringLiteral("Picked Face"));
    dialogs->fonts = {CFontChoice{picked, ColorRefToQColor(font.color)}};
    QVERIFY(button.PickFont(font));
    QCOMPARE(font.faceName.Str(), std::string("Picked Face"));
    QCOMPARE(font.pointSize, 0);
    QCOMPARE(font.bold, 1);
}

void ControlsTest::MessagesCarryTheProgramTitle() {
    QString title;
    QTimer::singleShot(0, [&title] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            box->accept();
        }
    });
    TheDesktop().Tell(nullptr, QStringLiteral("Please input name of the variable."),
                      CDesktop::Severity::Warning);
    QCOMPARE(title, QStringLiteral("! Pagelorn"));
}

void ControlsTest::DescribeFontText() {
    CFontOption font;
    font.pointSize = 240;
    font.color = 0xFF;
    QCOMPARE(DescribeFont(font), QStringLiteral("(Default)"));
    font.bold = font.italic = 1;
    QCOMPARE(DescribeFont(font), QStringLiteral("(Default) B I"));
    font.faceName = "Arial";
    font.underline = font.strikeOut = 1;
    QCOMPARE(DescribeFont(font), QStringLiteral("Arial B I U S"));
    font.bold = font.italic = 0;
    QCOMPARE(DescribeFont(font), QStringLiteral("Arial U S"));
}

void ControlsTest::AlignmentComboOpensByPrefixIgnoringCase_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("storedBack");
    QTest::newRow("empty") << QString() << 0 << QString();
    QTest::newRow("Right") << QStringLiteral("Right") << 3 << QStringLiteral("Right");
    QTest::newRow("case") << QStringLiteral("cEnTeR") << 2 << QStringLiteral("Center");
    QTest::newRow("prefix") << QStringLiteral("l") << 1 << QStringLiteral("Left");
    QTest::newRow("unknown") << QStringLiteral("Justify") << -1 << QString();
}

void ControlsTest::AlignmentComboOpensByPrefixIgnoringCase() {
    QFETCH(QString, stored);
    QFETCH(int, index);
    QFETCH(QString, storedBack);
    CAlignmentCombo combo;
    combo.SelectStored(BytesFromText(stored));
    QCOMPARE(combo.currentIndex(), index);
    QCOMPARE(QString::fromStdString(combo.StoredText()), storedBack);
}

void ControlsTest::ModelBytesShowAsUtf8OrWindows1252() {
    QCOMPARE(TextFromBytes("Z\xC3\xBCrich"), QStringLiteral("Z\u00FCrich"));
    QCOMPARE(TextFromBytes("\x80 caf\xE9 \x93q\x94"),
             QStringLiteral("\u20AC caf\u00E9 \u201Cq\u201D"));
    QCOMPARE(BytesFromText(QStringLiteral("\u20AC")), std::string("\xE2\x82\xAC"));
    const std::string withMark =
        "\xEF\xBB\xBF"
        "abc";
    QCOMPARE(BytesFromText(TextFromBytes(withMark)), withMark);
}

int RunControlsTest(int argc, char** argv) {
    ControlsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ControlsTest.moc"
