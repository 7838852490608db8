#include <QApplication>
#include <QTest>

int RunControlsTest(int argc, char** argv);
int RunPageSheetTest(int argc, char** argv);
int RunCustomPageTest(int argc, char** argv);
int RunLayoutSheetTest(int argc, char** argv);
int RunSheetExportTest(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (auto* run : {RunControlsTest, RunPageSheetTest, RunCustomPageTest, RunLayoutSheetTest,
                      RunSheetExportTest})
        failures += run(argc, argv);
    return failures == 0 ? 0 : 1;
}
