#include <QCheckBox>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>

#include "OptionLayoutMainPage.h"
#include "OptionLayoutSheet.h"
#include "OptionPageGeneralPage.h"
#include "OptionPageSheet.h"
#include "PageNames.h"
#include "SheetTestUtil.h"
#include "WebsiteExporter.h"

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

// What the sheets store is what the next export writes.
class SheetExportTest : public QObject {
    Q_OBJECT
private slots:
    void PropertyChangesReachTheExportedPages();
};

void SheetExportTest::PropertyChangesReachTheExportedPages() {
    CSiteTree tree;
    tree.AddItem(tree.RootKey(), "First", "http://example.org/first.html");
    tree.AddItem(tree.RootKey(), "Second", "http://example.org/second.html");
    CPageOption pageOption;
    CLayoutOption layoutOption;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::filesystem::path out = std::filesystem::path(dir.path().toStdString()) / "out";
    const auto exportSite = [&] {
        return ExportWebsite({.tree = tree,
                              .pageOption = pageOption,
                              .layoutOption = layoutOption,
                              .exportFolder = out,
                              .projectFile = {},
                              .clearExistingFolder = true,
                              .progress = {}});
    };
    ExportResult result = exportSite();
    QVERIFY2(result.AllWritten(), result.message.c_str());
    QCOMPARE(result.pagesWritten, std::size_t{1});

    {
        COptionLayoutSheet sheet(layoutOption);
        auto* canvas = OpenPage<COptionLayoutMainPage>(sheet, 5);
        Find<CSpinEdit>(canvas, "rowsSpin")->stepBy(-2);
        Find<CSpinEdit>(canvas, "columnsSpin")->stepBy(-2);
        sheet.reject();
    }
    {
        CPictureSettings pictures;
        COptionPageSheet sheet(pageOption, pictures);
        auto* general = OpenPage<COptionPageGeneralPage>(sheet, 0);
        QTest::keyClicks(Find<QLineEdit>(general, "titleEdit"), QStringLiteral("From the sheet"));
        sheet.reject();
    }

    result = exportSite();
    QVERIFY2(result.AllWritten(), result.message.c_str());
    QCOMPARE(result.pagesWritten, std::size_t{2});
    const std::string first = ReadFile(out / PageFileName("Index", 0));
    const std::string second = ReadFile(out / PageFileName("Index", 1));
    QVERIFY(first.find("From the sheet") != std::string::npos);
    QVERIFY(first.find("first.html") != std::string::npos);
    QVERIFY(first.find("second.html") == std::string::npos);
    QVERIFY(second.find("second.html") != std::string::npos);
}

int RunSheetExportTest(int argc, char** argv) {
    SheetExportTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SheetExportTest.moc"
