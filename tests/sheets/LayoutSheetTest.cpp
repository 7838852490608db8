#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "FakeDesktop.h"
#include "OptionLayoutAreaPage.h"
#include "OptionLayoutMainPage.h"
#include "OptionLayoutSheet.h"
#include "OptionLayoutTablePage.h"
#include "SheetTestUtil.h"

namespace {

enum PageIndex { kTable = 0, kHeaderBar = 1, kMainCanvas = 5, kIndexBar = 6, kFooterBar = 7 };

}  // namespace

// The Layout Properties sheet: table, six bar pages and main canvas.
class LayoutSheetTest : public QObject {
    Q_OBJECT
private slots:
    void TabsInOrderEditTheirSlots();
    void InitialAlignments();
    void HeaderAndFooterBarsOfferNoBackground();
    void BarBackgroundAndFont();
    void MainCanvasRowsAndColumns();
    void TablePage();
};

void LayoutSheetTest::TabsInOrderEditTheirSlots() {
    CLayoutOption option;
    COptionLayoutSheet sheet(option);
    QCOMPARE(sheet.windowTitle(), QStringLiteral("Layout Properties"));
    const QStringList titles = {QStringLiteral("Table Properties"),   QStringLiteral("Header Bar"),
                                QStringLiteral("Top Navigator Bar"),  QStringLiteral("History Bar"),
                                QStringLiteral("Next Navigator Bar"), QStringLiteral("Main Canvas"),
                                QStringLiteral("Index Bar"),          QStringLiteral("Footer Bar")};
    QCOMPARE(sheet.Tabs()->count(), titles.size());
    for (int i = 0; i < titles.size(); ++i) QCOMPARE(sheet.Tabs()->tabText(i), titles[i]);

    // Each bar page writes the slot of the bar its title names.
    const std::pair<int, int> tabSlots[] = {{1, kHeaderBarSlot},  {2, kTopNavigatorBarSlot},
                                            {3, kHistoryBarSlot}, {4, kNextNavigatorBarSlot},
                                            {6, kIndexBarSlot},   {7, kFooterBarSlot}};
    for (const auto& [tab, slot] : tabSlots) {
        auto* page = OpenPage<COptionLayoutAreaPage>(sheet, tab);
        QVERIFY(page != nullptr);
        const CLayoutOption before = option;
        Find<CAlignmentCombo>(page, "alignmentCombo")->setCurrentIndex(1);
        for (int other = 0; other < kLayoutAreaCount; ++other) {
            if (other == slot)
                QCOMPARE(option.areas[other].alignment.Str(), std::string("Left"));
            else
                QVERIFY(option.areas[other] == before.areas[other]);
        }
    }
}

void LayoutSheetTest::InitialAlignments() {
    CLayoutOption option;
    option.mainCanvas.cellAlignment = "rIGHT";
    COptionLayoutSheet sheet(option);
    QSignalSpy changed(&sheet, &COptionSheet::changed);
    for (int tab = 0; tab < sheet.PageCount(); ++tab) {
        auto* combo = Find<CAlignmentCombo>(OpenPage<COptionPage>(sheet, tab), "alignmentCombo");
        const QString expected = tab == kTable        ? QStringLiteral("Center")
                                 : tab == kIndexBar   ? QStringLiteral("Right")
                                 : tab == kMainCanvas ? QStringLiteral("Right")
                                                      : QStringLiteral("Default");
        QCOMPARE(combo->currentText(), expected);
    }
    sheet.accept();
    QCOMPARE(changed.count(), 0);
    QCOMPARE(option.mainCanvas.cellAlignment.Str(), std::string("rIGHT"));

    auto* table = Find<CAlignmentCombo>(sheet.Page(kTable), "alignmentCombo");
    table->setCurrentIndex(0);
    QCOMPARE(option.table.alignment.Str(), std::string());
    table->setCurrentIndex(2);
    QCOMPARE(option.table.alignment.Str(), std::string("Center"));
    QCOMPARE(changed.count(), 2);
}

void LayoutSheetTest::HeaderAndFooterBarsOfferNoBackground() {
    CLayoutOption option;
    COptionLayoutSheet sheet(option);
    for (int tab = 1; tab < sheet.PageCount(); ++tab) {
        if (tab == kMainCanvas) continue;
        auto* page = OpenPage<COptionPage>(sheet, tab);
        const bool offered = tab != kHeaderBar && tab != kFooterBar;
        QCOMPARE(Find<QLineEdit>(page, "imageEdit")->isEnabled(), offered);
        QCOMPARE(Find<CBrowseButton>(page, "imageBrowse")->isEnabled(), offered);
        QCOMPARE(Find<CColorButton>(page, "bgSwatch")->isEnabled(), offered);
        QVERIFY(Find<CFontButton>(page, "fontButton")->isEnabled());
        QVERIFY(Find<CColorButton>(page, "fontSwatch")->isEnabled());
        QVERIFY(Find<CAlignmentCombo>(page, "alignmentCombo")->isEnabled());
    }
}

void LayoutSheetTest::BarBackgroundAndFont() {
    CFakeDesktopScope dialogs;
    CLayoutOption option;
    option.areas[kIndexBarSlot].font.faceName = "Verdana";
    option.areas[kIndexBarSlot].font.italic = 1;
    option.areas[kIndexBarSlot].font.color = 0x0000FF;
    option.areas[kIndexBarSlot].bgColor = 0x00FF00;
    COptionLayoutSheet sheet(option);
    QSignalSpy changed(&sheet, &COptionSheet::changed);
    auto* page = OpenPage<COptionLayoutAreaPage>(sheet, kIndexBar);
    auto& area = option.areas[kIndexBarSlot];
    auto* label = Find<QLabel>(page, "fontLabel");
    auto* fontSwatch = Find<CColorButton>(page, "fontSwatch");
    QCOMPARE(label->text(), QStringLiteral("Verdana I"));
    QCOMPARE(fontSwatch->Color(), COLORREF{0x0000FF});
    QCOMPARE(Find<CColorButton>(page, "bgSwatch")->Color(), COLORREF{0x00FF00});

    // The font colour swatch only shows the colour.
    fontSwatch->click();
    QCOMPARE(dialogs->unexpected, 0);
    QVERIFY(dialogs->colorInitials.empty());

    QFont chosen(QStringLiteral("Georgia"));
    chosen.setWeight(QFont::Bold);
    chosen.setPointSize(14);
    dialogs->fonts = {CFontChoice{chosen, QColor(0, 0, 0x80)}, std::nullopt};
    Find<CFontButton>(page, "fontButton")->click();
    QCOMPARE(area.font.faceName.Str(), std::string("Georgia"));
    QCOMPARE(area.font.bold, 1);
    QCOMPARE(area.font.italic, 0);
    QCOMPARE(area.font.pointSize, 140);
    QCOMPARE(label->text(), QStringLiteral("Georgia B"));
    QCOMPARE(fontSwatch->Color(), COLORREF{0x800000});
    Find<CFontButton>(page, "fontButton")->click();
    QCOMPARE(area.font.faceName.Str(), std::string("Georgia"));
    QCOMPARE(changed.count(), 1);

    dialogs->colors = {QColor(0xAB, 0xCD, 0xEF)};
    Find<CColorButton>(page, "bgSwatch")->click();
    QCOMPARE(area.bgColor, COLORREF{0xEFCDAB});
    QCOMPARE(dialogs->colorInitials.at(0), QColor(0, 255, 0));
    QCOMPARE(changed.count(), 2);
}

void LayoutSheetTest::MainCanvasRowsAndColumns() {
    CFakeDesktopScope dialogs;
    CLayoutOption option;
    option.mainCanvas.rows = 150;
    option.mainCanvas.alignment = "Left";
    COptionLayoutSheet sheet(option);
    auto* page = OpenPage<COptionLayoutMainPage>(sheet, kMainCanvas);
    auto* rows = Find<CSpinEdit>(page, "rowsSpin");
    auto* columns = Find<CSpinEdit>(page, "columnsSpin");
    QCOMPARE(rows->value(), 150);
    QCOMPARE(columns->value(), 3);
    QVERIFY(Find<QLineEdit>(page, "imageEdit")->isEnabled());
    QCOMPARE(option.mainCanvas.rows, 150);

    rows->stepBy(1);
    QCOMPARE(option.mainCanvas.rows, 100);
    columns->stepBy(-3);
    QCOMPARE(option.mainCanvas.columns, 0);
    columns->stepBy(-1);
    QCOMPARE(option.mainCanvas.columns, 0);

    // 150 typed into the Rows edit is stored as 150 although the arrows stop at 100.
    rows->selectAll();
    rows->setFocus();
    QTest::keyClicks(rows, QStringLiteral("150"));
    columns->setFocus();
    QCOMPARE(option.mainCanvas.rows, 150);
    QCOMPARE(rows->value(), 150);
    columns->selectAll();
    QTest::keyClicks(columns, QStringLiteral("250"));
    sheet.reject();
    QCOMPARE(option.mainCanvas.columns, 250);
    QCOMPARE(option.mainCanvas.columns, columns->value());

    Find<CAlignmentCombo>(page, "alignmentCombo")->setCurrentIndex(3);
    QCOMPARE(option.mainCanvas.cellAlignment.Str(), std::string("Right"));
    QCOMPARE(option.mainCanvas.alignment.Str(), std::string("Left"));
}

void LayoutSheetTest::TablePage() {
    CLayoutOption option;
    option.table.borderWidth = 2;
    option.table.cellLineWidth = 1;
    option.table.cellPadding = 4;
    option.table.cellSpacing = 300;
    option.table.borderColor = 0x010203;
    COptionLayoutSheet sheet(option);
    auto* page = OpenPage<COptionLayoutTablePage>(sheet, kTable);
    QCOMPARE(Find<CSpinEdit>(page, "borderWidthSpin")->value(), 2);
    QCOMPARE(Find<CSpinEdit>(page, "cellLineWidthSpin")->value(), 1);
    QCOMPARE(Find<CSpinEdit>(page, "cellPaddingSpin")->value(), 4);
    QCOMPARE(Find<CSpinEdit>(page, "cellSpacingSpin")->value(), 300);
    QCOMPARE(Find<CColorButton>(page, "borderSwatch")->Color(), COLORREF{0x010203});

    Find<CSpinEdit>(page, "cellPaddingSpin")->stepBy(2);
    Find<CSpinEdit>(page, "borderWidthSpin")->stepBy(-1);
    QCOMPARE(option.table.cellPadding, 6);
    QCOMPARE(option.table.borderWidth, 1);
    QCOMPARE(option.table.cellSpacing, 300);
}

int RunLayoutSheetTest(int argc, char** argv) {
    LayoutSheetTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LayoutSheetTest.moc"
