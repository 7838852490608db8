#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "FakeDesktop.h"
#include "OptionPageBKGDPage.h"
#include "OptionPageGeneralPage.h"
#include "OptionPageLanguagePage.h"
#include "OptionPageMarginsPage.h"
#include "OptionPagePicturesPage.h"
#include "OptionPageSheet.h"
#include "OptionPageStylePage.h"
#include "OptionPageTextPage.h"
#include "SheetTestUtil.h"

namespace {

enum PageIndex {
    kGeneral = 0,
    kBackground,
    kMargins,
    kCustom,
    kLanguage,
    kHeader,
    kFooter,
    kPictures,
    kStyle
};

// Types text into an edit that keeps the focus, so nothing has stored it yet.
void TypeInto(QWidget* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

// Types text into an edit without the focus ever moving, so that only the sheet itself can
// store it when it closes.
void TypeWithoutLeaving(QWidget* edit, const QString& text) {
    QTest::keyClicks(edit, text);
}

}  // namespace

// The Website Properties sheet and its General, Background, Margins, Language, Header, Footer
// and Pictures pages.
class PageSheetTest : public QObject {
    Q_OBJECT
private slots:
    void TabsInOrderAndPagesReadWhenOpened();
    void GeneralPage();
    void BackgroundEnablingSequence();
    void BackgroundChecksFollowModelWhenSpecified();
    void MarginsEnabledByTheirBoxes();
    void OutOfRangeValueKeptUntilEdited();
    void TextCutToFieldCapacity();
    void TypedTextCommittedOnClose_data();
    void TypedTextCommittedOnClose();
    void ChangesMarkedAndUntouchedBytesKept();
    void LanguageCombos();
    void LanguageUnlistedOrOtherCaseSelectsNothing();
    void HeaderAndFooterAreUnbounded();
    void PicturesPageEditsTheWebsiteSettings();
    void StylePageChoosesThePageStyle();
};

void PageSheetTest::TabsInOrderAndPagesReadWhenOpened() {
    CPageOption option;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::blue);
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures, QIcon(pixmap));
    QCOMPARE(sheet.windowTitle(), QStringLiteral("Website Properties"));
    QVERIFY(!sheet.windowIcon().isNull());
    const QStringList expected = {QStringLiteral("General"),  QStringLiteral("Background"),
                                  QStringLiteral("Margins "), QStringLiteral("Custom"),
                                  QStringLiteral("Language"), QStringLiteral("Header"),
                                  QStringLiteral("Footer"),   QStringLiteral("Pictures")};
    QCOMPARE(sheet.Tabs()->count(), expected.size());
    for (int i = 0; i < expected.size(); ++i) QCOMPARE(sheet.Tabs()->tabText(i), expected[i]);

    // A page reads the model when its tab is first opened, not before.
    option.footer = "late footer";
    sheet.show();
    QCOMPARE(sheet.Tabs()->currentIndex(), 0);
    QVERIFY(!sheet.Page(kFooter)->IsInitialised());
    auto* footer = OpenPage<COptionPageFooterPage>(sheet, kFooter);
    QCOMPARE(footer->Edit()->toPlainText(), QStringLiteral("late footer"));
}

void PageSheetTest::GeneralPage() {
    CFakeDesktopScope dialogs;
    CPageOption option;
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* page = OpenPage<COptionPageGeneralPage>(sheet, kGeneral);
    auto* foreverBox = Find<QCheckBox>(page, "foreverCheck");
    auto* loop = Find<CSpinEdit>(page, "loopSpin");
    QVERIFY(foreverBox->isChecked());
    QVERIFY(!loop->isEnabled());
    QCOMPARE(loop->value(), 0);
    QVERIFY(Find<QRadioButton>(page, "automaticRadio")->isChecked());

    dialogs->folders = {QStringLiteral("/srv/www"), QString()};
    Find<CBrowseButton>(page, "locationBrowse")->click();
    Find<CBrowseButton>(page, "locationBrowse")->click();
    QCOMPARE(option.general.location.Str(), std::string("/srv/www"));
    QCOMPARE(Find<QLineEdit>(page, "locationEdit")->text(), QStringLiteral("/srv/www"));
    dialogs->files = {QStringLiteral("/snd/theme.wav")};
    Find<CBrowseButton>(page, "soundBrowse")->click();
    QCOMPARE(option.general.soundLocation.Str(), std::string("/snd/theme.wav"));

    Find<QRadioButton>(page, "manualRadio")->click();
    QCOMPARE(option.general.copyLinkedFiles, 0);
    Find<QRadioButton>(page, "automaticRadio")->click();
    QCOMPARE(option.general.copyLinkedFiles, 1);

    // Unchecking "Forever" starts the count at 0, also after an earlier count.
    foreverBox->click();
    QCOMPARE(option.general.soundLoop, 0);
    QVERIFY(loop->isEnabled());
    loop->stepBy(-1);
    QCOMPARE(option.general.soundLoop, 0);
    loop->stepBy(3);
    QCOMPARE(option.general.soundLoop, 3);
    foreverBox->click();
    QCOMPARE(option.general.soundLoop, -1);
    QVERIFY(!loop->isEnabled());
    foreverBox->click();
    QCOMPARE(option.general.soundLoop, 0);
    QCOMPARE(loop->value(), 0);
    loop->ShowValue(9999);
    loop->stepBy(1);
    QCOMPARE(option.general.soundLoop, 9999);
}

void PageSheetTest::BackgroundEnablingSequence() {
    CFakeDesktopScope dialogs;
    CPageOption option;
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* page = OpenPage<COptionPageBKGDPage>(sheet, kBackground);
    auto* specify = Find<QCheckBox>(page, "specifyCheck");
    auto* image = Find<QCheckBox>(page, "imageCheck");
    auto* watermark = Find<QCheckBox>(page, "watermarkCheck");
    auto* defaults = Find<QCheckBox>(page, "defaultColorsCheck");
    const QList<CColorButton*> swatches = page->findChildren<CColorButton*>();
    QCOMPARE(swatches.size(), 5);

    // Defaults: everything but the first box is disabled and nothing is checked.
    QVERIFY(specify->isEnabled());
    for (QWidget* control : std::initializer_list<QWidget*>{
             image, watermark, defaults, Find<QLineEdit>(page, "imageEdit"),
             Find<CBrowseButton>(page, "imageBrowse")})
        QVERIFY(!control->isEnabled());
    for (auto* swatch : swatches) QVERIFY(!swatch->isEnabled());
    QVERIFY(!image->isChecked() && !watermark->isChecked() && !defaults->isChecked());

    specify->click();
    QCOMPARE(option.background.specifyBackground, 1);
    QVERIFY(image->isEnabled());
    QVERIFY(defaults->isEnabled());
    QVERIFY(defaults->isChecked());
    QVERIFY(!watermark->isEnabled());
    for (auto* swatch : swatches) QVERIFY(!swatch->isEnabled());

    defaults->click();
    QCOMPARE(option.background.useDefaultColors, 0);
    for (auto* swatch : swatches) QVERIFY(swatch->isEnabled());

    image->click();
    QCOMPARE(option.background.useBackgroundImage, 1);
    QVERIFY(watermark->isEnabled());
    watermark->click();
    QCOMPARE(option.background.watermark, 1);

    // Clearing the first box disables the rest but clears no mark and no flag.
    specify->click();
    QCOMPARE(option.background.specifyBackground, 0);
    QVERIFY(!image->isEnabled() && !watermark->isEnabled() && !defaults->isEnabled());
    for (auto* swatch : swatches) QVERIFY(!swatch->isEnabled());
    QVERIFY(image->isChecked() && watermark->isChecked());
    QCOMPARE(option.background.useBackgroundImage, 1);
    QCOMPARE(option.background.watermark, 1);

    specify->click();
    QVERIFY(watermark->isEnabled());
    for (auto* swatch : swatches) QVERIFY(swatch->isEnabled());

    dialogs->colors = {QColor(0x11, 0x22, 0x33)};
    Find<CColorButton>(page, "linkColorSwatch")->click();
    QCOMPARE(option.background.linkColor, COLORREF{0x332211});
}

void PageSheetTest::BackgroundChecksFollowModelWhenSpecified() {
    CPageOption option;
    option.background.useBackgroundImage = 1;
    option.background.watermark = 1;
    option.background.useDefaultColors = 0;
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* page = OpenPage<COptionPageBKGDPage>(sheet, kBackground);
    // Not specified: the marks stay clear whatever the model holds, until the first box is set.
    QVERIFY(!Find<QCheckBox>(page, "imageCheck")->isChecked());
    QVERIFY(!Find<QCheckBox>(page, "watermarkCheck")->isChecked());
    Find<QCheckBox>(page, "specifyCheck")->click();
    QVERIFY(Find<QCheckBox>(page, "imageCheck")->isChecked());
    QVERIFY(Find<QCheckBox>(page, "watermarkCheck")->isChecked());
    QVERIFY(!Find<QCheckBox>(page, "defaultColorsCheck")->isChecked());
    QVERIFY(Find<CColorButton>(page, "bgColorSwatch")->isEnabled());
}

void PageSheetTest::MarginsEnabledByTheirBoxes() {
    CPageOption option;
    option.margins.topMargin = 10;
    option.margins.specifyLeftMargin = 1;
    option.margins.leftMargin = 7;
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* page = OpenPage<COptionPageMarginsPage>(sheet, kMargins);
    auto* top = Find<CSpinEdit>(page, "topSpin");
    auto* left = Find<CSpinEdit>(page, "leftSpin");
    QVERIFY(!top->isEnabled());
    QCOMPARE(top->value(), 0);
    QVERIFY(left->isEnabled());
    QCOMPARE(left->value(), 7);
    QVERIFY(Find<QCheckBox>(page, "leftCheck")->isChecked());

    Find<QCheckBox>(page, "topCheck")->click();
    QCOMPARE(option.margins.specifyTopMargin, 1);
    QVERIFY(top->isEnabled());
    QCOMPARE(top->value(), 0);
    QCOMPARE(option.margins.topMargin, 10);
    top->stepBy(1);
    QCOMPARE(option.margins.topMargin, 1);

    Find<QCheckBox>(page, "leftCheck")->click();
    QCOMPARE(option.margins.specifyLeftMargin, 0);
    QVERIFY(!left->isEnabled());
    QVERIFY(top->isEnabled());
    QCOMPARE(option.margins.leftMargin, 7);
}

void PageSheetTest::OutOfRangeValueKeptUntilEdited() {
    CPageOption option;
    option.margins.specifyTopMargin = 1;
    option.margins.topMargin = 5000;
    option.general.soundLoop = 20000;
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* general = OpenPage<COptionPageGeneralPage>(sheet, kGeneral);
    auto* loop = Find<CSpinEdit>(general, "loopSpin");
    QCOMPARE(loop->value(), 20000);
    auto* margins = OpenPage<COptionPageMarginsPage>(sheet, kMargins);
    auto* top = Find<CSpinEdit>(margins, "topSpin");
    QCOMPARE(top->value(), 5000);
    sheet.accept();
    QCOMPARE(option.margins.topMargin, 5000);
    QCOMPARE(option.general.soundLoop, 20000);

    // Typed values beyond the arrows' range are stored as typed, up to what the field holds.
    sheet.show();
    for (const auto& [text, stored] :
         {std::pair{"5000", 5000}, {"99999", 99999}, {"2147483647", 2147483647}}) {
        top->selectAll();
        TypeInto(top, QString::fromLatin1(text));
        top->CommitTyped();
        QCOMPARE(option.margins.topMargin, stored);
    }
    // The arrows step back into their range and stop at its ends.
    QTest::keyClick(top, Qt::Key_Up);
    QCOMPARE(option.margins.topMargin, 2147483647);
    top->stepBy(-1);
    QCOMPARE(option.margins.topMargin, 1024);
    top->stepBy(1);
    QCOMPARE(option.margins.topMargin, 1024);
    loop->stepBy(-1);
    QCOMPARE(option.general.soundLoop, 9999);
    sheet.reject();
}

void PageSheetTest::TextCutToFieldCapacity() {
    CPageOption option;
    option.general.soundLocation = "keep.wav";
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* page = OpenPage<COptionPageGeneralPage>(sheet, kGeneral);
    auto* title = Find<QLineEdit>(page, "titleEdit");
    const QString longTitle(300, QLatin1Char('t'));
    TypeInto(title, longTitle);
    Find<QLineEdit>(page, "soundEdit")->setFocus();
    QCOMPARE(option.general.title.Str(), std::string(254, 't'));
    QCOMPARE(title->text(), longTitle);
    QCOMPARE(option.general.soundLocation.Str(), std::string("keep.wav"));

    // Cutting never splits a character: 200 two-byte characters keep 127 of them.
    title->selectAll();
    title->insert(QString(200, QChar(0x00E9)));
    sheet.accept();
    QCOMPARE(option.general.title.View().size(), std::size_t{254});
    QVERIFY(!TextFromBytes(option.general.title.View()).contains(QChar(0xFFFD)));
}

void PageSheetTest::TypedTextCommittedOnClose_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("OK") << 0;
    QTest::newRow("Enter") << 1;
    QTest::newRow("Cancel") << 2;
    QTest::newRow("Escape") << 3;
    QTest::newRow("close box") << 4;
}

void PageSheetTest::TypedTextCommittedOnClose() {
    QFETCH(int, how);
    CPageOption option;
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* header = OpenPage<COptionPageHeaderPage>(sheet, kHeader);
    TypeWithoutLeaving(header->Edit(), QStringLiteral("<b>Hello</b>"));
    auto* margins = OpenPage<COptionPageMarginsPage>(sheet, kMargins);
    Find<QCheckBox>(margins, "leftCheck")->click();
    auto* left = Find<CSpinEdit>(margins, "leftSpin");
    left->selectAll();
    TypeWithoutLeaving(left, QStringLiteral("25"));
    auto* general = OpenPage<COptionPageGeneralPage>(sheet, kGeneral);
    auto* title = Find<QLineEdit>(general, "titleEdit");
    TypeWithoutLeaving(title, QStringLiteral("My site"));
    QVERIFY(option.header.empty());
    QCOMPARE(option.margins.leftMargin, 0);
    QVERIFY(option.general.title.Empty());

    switch (how) {
        case 0:
            sheet.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            break;
        case 1:
            QTest::keyClick(title, Qt::Key_Return);
            break;
        case 2:
            sheet.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
            break;
        case 3:
            QTest::keyClick(title, Qt::Key_Escape);
            break;
        default:
            sheet.close();
            break;
    }
    QVERIFY(!sheet.isVisible());
    QCOMPARE(option.general.title.Str(), std::string("My site"));
    QCOMPARE(option.header, std::string("<b>Hello</b>"));
    QCOMPARE(option.margins.leftMargin, 25);
}

void PageSheetTest::ChangesMarkedAndUntouchedBytesKept() {
    CPageOption option;
    option.general.title = "Caf\xE9";  // Windows-1252 from an old project
    option.header = "line1\r\nline2";
    option.general.soundLoop = 5;
    const CPageOption before = option;
    {
        CPictureSettings pictures;
        COptionPageSheet sheet(option, pictures);
        QSignalSpy changed(&sheet, &COptionSheet::changed);
        for (int i = 0; i < sheet.PageCount(); ++i) OpenPage<COptionPage>(sheet, i);
        auto* general = qobject_cast<COptionPageGeneralPage*>(sheet.Page(kGeneral));
        QCOMPARE(Find<QLineEdit>(general, "titleEdit")->text(), QStringLiteral("Caf\u00E9"));
        // Focus passing through edits without typing stores nothing.
        Find<QLineEdit>(general, "titleEdit")->setFocus();
        Find<QLineEdit>(general, "locationEdit")->setFocus();
        sheet.reject();
        QCOMPARE(changed.count(), 0);
        QVERIFY(option == before);
    }

    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    QSignalSpy changed(&sheet, &COptionSheet::changed);
    auto* general = OpenPage<COptionPageGeneralPage>(sheet, kGeneral);
    Find<QCheckBox>(general, "foreverCheck")->click();
    QCOMPARE(changed.count(), 1);
    Find<QRadioButton>(general, "automaticRadio")->click();  // already automatic
    QCOMPARE(changed.count(), 1);
    auto* title = Find<QLineEdit>(general, "titleEdit");
    TypeInto(title, QStringLiteral("!"));
    auto* header = OpenPage<COptionPageHeaderPage>(sheet, kHeader);
    TypeInto(header->Edit(), QStringLiteral("x"));
    sheet.accept();
    QCOMPARE(changed.count(), 3);
    QCOMPARE(option.general.title.Str(), std::string("Caf\xC3\xA9!"));
    QCOMPARE(option.header, std::string("xline1\r\nline2"));
}

void PageSheetTest::LanguageCombos() {
    CPageOption option;
    option.saveEncoding = "UTF-8";
    option.loadEncoding = "koi8-r";
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    QSignalSpy changed(&sheet, &COptionSheet::changed);
    auto* page = OpenPage<COptionPageLanguagePage>(sheet, kLanguage);
    auto* save = Find<QComboBox>(page, "saveCombo");
    auto* load = Find<QComboBox>(page, "loadCombo");
    for (auto* combo : {save, load}) {
        QCOMPARE(combo->count(), 19);
        QCOMPARE(combo->itemText(0), QStringLiteral("<None>"));
        QCOMPARE(combo->itemText(18), QStringLiteral("Universal Alphabet (Big-Endian)"));
        QCOMPARE(combo->findText(QStringLiteral("Western Alphabet (ISO)")), -1);
    }
    QCOMPARE(save->currentText(), QStringLiteral("Universal (UTF-8)"));
    QCOMPARE(load->currentText(), QStringLiteral("Cyrillic (KOI8-R)"));

    save->setCurrentIndex(save->findText(QStringLiteral("US/Western European")));
    QCOMPARE(option.saveEncoding.Str(), std::string("iso-8859-1"));
    load->setCurrentIndex(0);
    QCOMPARE(option.loadEncoding.Str(), std::string());
    QCOMPARE(option.saveEncoding.Str(), std::string("iso-8859-1"));
    save->setCurrentIndex(0);
    QCOMPARE(option.saveEncoding.Str(), std::string());
    QCOMPARE(changed.count(), 3);
}

void PageSheetTest::LanguageUnlistedOrOtherCaseSelectsNothing() {
    CPageOption option;
    option.saveEncoding = "utf-7";
    option.loadEncoding = "utf-8";
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* page = OpenPage<COptionPageLanguagePage>(sheet, kLanguage);
    QCOMPARE(Find<QComboBox>(page, "saveCombo")->currentIndex(), -1);
    QCOMPARE(Find<QComboBox>(page, "loadCombo")->currentIndex(), -1);
    sheet.accept();
    QCOMPARE(option.saveEncoding.Str(), std::string("utf-7"));
    QCOMPARE(option.loadEncoding.Str(), std::string("utf-8"));
}

void PageSheetTest::HeaderAndFooterAreUnbounded() {
    CPageOption option;
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* footer = OpenPage<COptionPageFooterPage>(sheet, kFooter)->Edit();
    const QString longText =
        QString(3000, QLatin1Char('f')) + QStringLiteral("\n") + QString(3000, QLatin1Char('g'));
    footer->setFocus();
    footer->setPlainText(longText);
    footer->document()->setModified(true);
    auto* header = OpenPage<COptionPageHeaderPage>(sheet, kHeader)->Edit();
    header->setFocus();
    QCOMPARE(option.footer, longText.toStdString());
    // Enter starts a new line instead of closing the sheet.
    QTest::keyClicks(header, QStringLiteral("a"));
    QTest::keyClick(header, Qt::Key_Return);
    QVERIFY(sheet.isVisible());
    QTest::keyClicks(header, QStringLiteral("b"));
    sheet.accept();
    QCOMPARE(option.header, std::string("a\nb"));
}

void PageSheetTest::PicturesPageEditsTheWebsiteSettings() {
    CPageOption option;
    CPictureSettings pictures;  // as a project without a settings file has them: all off
    pictures.box = 150;
    COptionPageSheet sheet(option, pictures);
    QSignalSpy changed(&sheet, &COptionSheet::changed);
    auto* page = OpenPage<COptionPagePicturesPage>(sheet, kPictures);
    QVERIFY(page);
    auto* thumbnails = Find<QCheckBox>(page, "thumbnailsCheck");
    auto* modern = Find<QCheckBox>(page, "modernTypesCheck");
    auto* box = Find<CSpinEdit>(page, "boxSpin");
    auto* density = Find<CSpinEdit>(page, "densitySpin");
    auto* quality = Find<CSpinEdit>(page, "qualitySpin");
    QVERIFY(!thumbnails->isChecked() && !modern->isChecked());
    QCOMPARE(box->value(), 150);
    // Density and quality belong to thumbnail files; the box is used with or without them.
    QVERIFY(box->isEnabled());
    QVERIFY(!density->isEnabled() && !quality->isEnabled());
    // Every setting explains itself in a line of its own.
    QVERIFY(page->findChildren<QLabel*>().size() >= 5 + 3);

    thumbnails->click();
    QVERIFY(pictures.thumbnails);
    QVERIFY(density->isEnabled() && quality->isEnabled());
    density->stepBy(1);
    QCOMPARE(pictures.density, 3);
    quality->stepBy(-5);
    QCOMPARE(pictures.quality, 80);
    box->ShowValue(1000);
    box->stepBy(1);
    QCOMPARE(pictures.box, 1000);
    modern->click();
    QVERIFY(pictures.modernTypes);
    QCOMPARE(changed.count(), 5);
    thumbnails->click();
    QVERIFY(!pictures.thumbnails);
    QVERIFY(!density->isEnabled());
}

void PageSheetTest::StylePageChoosesThePageStyle() {
    CPageOption option;
    CPictureSettings pictures;
    CPageSettings pages;  // classic, as a project without a settings file has it
    COptionPageSheet sheet(option, pictures, pages);
    QCOMPARE(sheet.Tabs()->count(), kStyle + 1);
    QCOMPARE(sheet.Tabs()->tabText(kStyle), QStringLiteral("Style"));
    QSignalSpy changed(&sheet, &COptionSheet::changed);
    auto* page = OpenPage<COptionPageStylePage>(sheet, kStyle);
    QVERIFY(page);
    auto* classic = Find<QRadioButton>(page, "classicRadio");
    auto* modern = Find<QRadioButton>(page, "modernRadio");
    QVERIFY(classic->isChecked() && !modern->isChecked());
    // Each choice has its picture and a line saying what it is.
    for (const char* name : {"classicSketch", "modernSketch"})
        QVERIFY(!Find<QLabel>(page, name)->pixmap().isNull());
    QVERIFY(page->findChildren<QLabel*>().size() >= 4);

    modern->click();
    QCOMPARE(pages.style, PageStyle::Modern);
    classic->click();
    QCOMPARE(pages.style, PageStyle::Classic);
    QCOMPARE(changed.count(), 2);
}

int RunPageSheetTest(int argc, char** argv) {
    PageSheetTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PageSheetTest.moc"
