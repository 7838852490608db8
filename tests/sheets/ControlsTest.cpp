#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "AlignmentCombo.h"
#include "BrowseButton.h"
#include "ColorButton.h"
#include "FakeDialogs.h"
#include "FontButton.h"
#include "ModelText.h"
#include "SpinEdit.h"

// The controls the pages share: swatch, browse and font buttons, alignment combo, spin edit,
// and the conversion between model bytes and shown text.
class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void SwatchFillsAllButItsMargin();
    void PickColorOpensOnCurrentColourAndKeepsItOnCancel();
    void BrowseKindsOfferTheirDialogs();
    void FontChoiceMapping_data();
    void FontChoiceMapping();
    void FontDialogCancelOrEmptyFaceLeavesRecord();
    void FontDialogOpensOnRecord();
    void DescribeFontText_data();
    void DescribeFontText();
    void AlignmentComboOpensByPrefixIgnoringCase_data();
    void AlignmentComboOpensByPrefixIgnoringCase();
    void SpinEditReportsOnlyUserEdits();
    void ModelBytesShowAsUtf8OrWindows1252();
};

void ControlsTest::SwatchFillsAllButItsMargin() {
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::white);
    parent.setPalette(palette);
    CColorButton swatch(&parent);
    swatch.setGeometry(0, 0, 44, 24);
    swatch.SetColor(0x0000FF);  // red
    parent.resize(50, 30);
    const QImage image = parent.grab().toImage();
    const QColor red(255, 0, 0);
    QCOMPARE(image.pixelColor(2, 2), red);
    QCOMPARE(image.pixelColor(41, 21), red);
    QCOMPARE(image.pixelColor(20, 12), red);
    QCOMPARE(image.pixelColor(1, 1), QColor(Qt::white));
    QCOMPARE(image.pixelColor(42, 12), QColor(Qt::white));
    QCOMPARE(image.pixelColor(20, 22), QColor(Qt::white));
}

void ControlsTest::PickColorOpensOnCurrentColourAndKeepsItOnCancel() {
    CFakeDialogs dialogs;
    CScopedDialogProvider scope(dialogs);
    CColorButton swatch;
    swatch.SetColor(0x336699);
    dialogs.colors = {std::nullopt, QColor(1, 2, 3)};
    QCOMPARE(swatch.PickColor(), COLORREF{0x336699});
    QCOMPARE(swatch.Color(), COLORREF{0x336699});
    QCOMPARE(swatch.PickColor(), COLORREF{0x030201});
    QCOMPARE(dialogs.colorInitials.size(), std::size_t{2});
    QCOMPARE(dialogs.colorInitials[0], QColor(0x99, 0x66, 0x33));
    QCOMPARE(dialogs.colorInitials[1], QColor(0x99, 0x66, 0x33));
    QCOMPARE(QColorToColorRef(ColorRefToQColor(0x123456)), COLORREF{0x123456});
}

void ControlsTest::BrowseKindsOfferTheirDialogs() {
    CFakeDialogs dialogs;
    CScopedDialogProvider scope(dialogs);

    CBrowseButton folder(BrowseFolder);
    dialogs.folders = {QStringLiteral("/srv/site")};
    QCOMPARE(folder.Browse(), QStringLiteral("/srv/site"));
    QCOMPARE(folder.LastPath(), QStringLiteral("/srv/site"));
    QCOMPARE(dialogs.folderTitles, QStringList{QStringLiteral("Please select a folder")});

    CBrowseButton sound(BrowseSound);
    dialogs.files = {QStringLiteral("/music/loop.mid"), QString()};
    QCOMPARE(sound.Browse(), QStringLiteral("/music/loop.mid"));
    QCOMPARE(sound.Browse(), QString());
    QCOMPARE(sound.LastPath(), QString());
    const QStringList& soundFilters = dialogs.fileFilters.at(0);
    QCOMPARE(soundFilters.size(), 7);
    QCOMPARE(soundFilters.first(), QStringLiteral("Wave Sound (*.wav)"));
    QCOMPARE(soundFilters.last(), QStringLiteral("All Files (*)"));

    CBrowseButton image(BrowseImage);
    dialogs.files = {QStringLiteral("/pics/a.gif")};
    QCOMPARE(image.Browse(), QStringLiteral("/pics/a.gif"));
    QCOMPARE(dialogs.fileFilters.at(2),
             (QStringList{QStringLiteral("Gif Files (*.gif)"), QStringLiteral("JPG Files (*.jpg)"),
                          QStringLiteral("JPEG Files (*.jpeg)"), QStringLiteral("All Files (*)")}));
    QCOMPARE(dialogs.unexpected, 0);
}

void ControlsTest::FontChoiceMapping_data() {
    QTest::addColumn<int>("weight");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("strikeOut");
    QTest::addColumn<double>("points");
    QTest::addColumn<int>("bold");
    QTest::addColumn<int>("tenths");
    QTest::newRow("bold") << 700 << false << false << false << 12.0 << 1 << 120;
    QTest::newRow("demibold is not bold") << 600 << false << false << false << 9.0 << 0 << 90;
    QTest::newRow("black is not bold") << 900 << true << false << false << 10.5 << 0 << 105;
    QTest::newRow("styles") << 400 << true << true << true << 8.0 << 0 << 80;
}

void ControlsTest::FontChoiceMapping() {
    QFETCH(int, weight);
    QFETCH(bool, italic);
    QFETCH(bool, underline);
    QFETCH(bool, strikeOut);
    QFETCH(double, points);
    QFETCH(int, bold);
    QFETCH(int, tenths);
    CFakeDialogs dialogs;
    CScopedDialogProvider scope(dialogs);
    QFont chosen(QStringLiteral("Serif Face"));
    chosen.setWeight(static_cast<QFont::Weight>(weight));
    chosen.setItalic(italic);
    chosen.setUnderline(underline);
    chosen.setStrikeOut(strikeOut);
    chosen.setPointSizeF(points);
    dialogs.fonts = {CFontChoice{chosen, QColor(0x10, 0x20, 0x30)}};

    CFontOption font;
    font.bold = 1 - bold;
    CFontButton button;
    QVERIFY(button.PickFont(font));
    QCOMPARE(font.faceName.Str(), std::string("Serif Face"));
    QCOMPARE(font.bold, bold);
    QCOMPARE(font.italic, italic ? 1 : 0);
    QCOMPARE(font.underline, underline ? 1 : 0);
    QCOMPARE(font.strikeOut, strikeOut ? 1 : 0);
    QCOMPARE(font.pointSize, tenths);
    QCOMPARE(font.color, COLORREF{0x302010});
}

void ControlsTest::FontDialogCancelOrEmptyFaceLeavesRecord() {
    CFakeDialogs dialogs;
    CScopedDialogProvider scope(dialogs);
    CFontOption font;
    font.faceName = "Helvetica";
    font.pointSize = 110;
    font.italic = 1;
    font.color = 0x0000FF;
    const CFontOption before = font;
    QFont faceless;
    faceless.setFamilies({});
    faceless.setFamily(QString());
    faceless.setWeight(QFont::Bold);
    faceless.setPointSize(20);
    QVERIFY(faceless.family().isEmpty());
    dialogs.fonts = {std::nullopt, CFontChoice{faceless, QColor(Qt::green)}};
    CFontButton button;
    QVERIFY(!button.PickFont(font));
    QVERIFY(font == before);
    QVERIFY(!button.PickFont(font));
    QVERIFY(font == before);
}

void ControlsTest::FontDialogOpensOnRecord() {
    CFakeDialogs dialogs;
    CScopedDialogProvider scope(dialogs);
    CFontOption font;
    font.faceName = "Courier";
    font.pointSize = 145;
    font.bold = 1;
    font.underline = 1;
    font.color = 0x00FF00;
    CFontButton button;
    dialogs.fonts = {std::nullopt};
    button.PickFont(font);
    QCOMPARE(dialogs.fontInitials.size(), std::size_t{1});
    const QFont& initial = dialogs.fontInitials[0].font;
    QCOMPARE(initial.family(), QStringLiteral("Courier"));
    QCOMPARE(initial.pointSizeF(), 14.5);
    QCOMPARE(initial.weight(), QFont::Bold);
    QVERIFY(initial.underline());
    QVERIFY(!initial.italic());
    QCOMPARE(dialogs.fontInitials[0].color, QColor(0, 255, 0));
}

void ControlsTest::DescribeFontText_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("flags");  // bold 1, italic 2, underline 4, strike-out 8
    QTest::addColumn<QString>("text");
    QTest::newRow("default") << QString() << 0 << QStringLiteral("(Default)");
    QTest::newRow("default bold italic") << QString() << 3 << QStringLiteral("(Default) B I");
    QTest::newRow("all") << QStringLiteral("Arial") << 15 << QStringLiteral("Arial B I U S");
    QTest::newRow("underline strike")
        << QStringLiteral("Times") << 12 << QStringLiteral("Times U S");
}

void ControlsTest::DescribeFontText() {
    QFETCH(QString, face);
    QFETCH(int, flags);
    QFETCH(QString, text);
    CFontOption font;
    font.faceName = BytesFromText(face);
    font.bold = flags & 1;
    font.italic = (flags >> 1) & 1;
    font.underline = (flags >> 2) & 1;
    font.strikeOut = (flags >> 3) & 1;
    font.pointSize = 240;
    font.color = 0xFF;
    QCOMPARE(DescribeFont(font), text);
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
    QCOMPARE(combo.count(), 4);
    combo.SelectStored(BytesFromText(stored));
    QCOMPARE(combo.currentIndex(), index);
    QCOMPARE(QString::fromStdString(combo.StoredText()), storedBack);
}

void ControlsTest::SpinEditReportsOnlyUserEdits() {
    CSpinEdit spin(0, 100);
    QSignalSpy edited(&spin, &CSpinEdit::valueEdited);
    spin.ShowValue(150);
    QCOMPARE(spin.value(), 100);
    spin.ShowValue(-4);
    QCOMPARE(spin.value(), 0);
    spin.CommitTyped();
    QCOMPARE(edited.count(), 0);

    spin.stepBy(-1);
    QCOMPARE(edited.count(), 1);
    QCOMPARE(edited.takeFirst().at(0).toInt(), 0);

    spin.ShowValue(100);
    spin.stepBy(1);
    QCOMPARE(edited.takeFirst().at(0).toInt(), 100);

    spin.show();
    spin.setFocus();
    spin.selectAll();
    QTest::keyClicks(&spin, QStringLiteral("42"));
    QCOMPARE(edited.count(), 0);
    spin.CommitTyped();
    QCOMPARE(edited.count(), 1);
    QCOMPARE(edited.takeFirst().at(0).toInt(), 42);
    spin.CommitTyped();
    QCOMPARE(edited.count(), 0);
}

void ControlsTest::ModelBytesShowAsUtf8OrWindows1252() {
    QCOMPARE(TextFromBytes("Z\xC3\xBCrich"), QStringLiteral("Z\u00FCrich"));
    QCOMPARE(TextFromBytes("\x80 caf\xE9 \x93q\x94"),
             QStringLiteral("\u20AC caf\u00E9 \u201Cq\u201D"));
    QCOMPARE(TextFromBytes("\xEF\xBB\xBFhi"), QStringLiteral("\uFEFFhi"));
    QCOMPARE(BytesFromText(QStringLiteral("\u20AC")), std::string("\xE2\x82\xAC"));
    QCOMPARE(BytesFromText(TextFromBytes("\xEF\xBB\xBF"
                                         "abc")),
             std::string("\xEF\xBB\xBF"
                         "abc"));
}

int RunControlsTest(int argc, char** argv) {
    ControlsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ControlsTest.moc"
