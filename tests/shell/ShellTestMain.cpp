#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstring>

#include "ShellTestUtil.h"

// Runs every test class; "shell_tests ClassName [test functions...]" runs one of them.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("PagelornTest"));
    // The window keeps its recent files in the user's settings: the tests keep theirs apart.
    QStandardPaths::setTestModeEnabled(true);
    const QTemporaryDir settingsDir;
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, settingsDir.path());
    const std::pair<const char*, int (*)(int, char**)> classes[] = {
        {"ControlsTest", RunControlsTest},
        {"MainFrameTest", RunMainFrameTest},
        {"SiteViewsTest", RunSiteViewsTest},
        {"PropertyViewTest", RunPropertyViewTest},
        {"EditCommandsTest", RunEditCommandsTest},
        {"ImportCommandsTest", RunImportCommandsTest},
        {"FileCommandsTest", RunFileCommandsTest},
        {"ExportCommandsTest", RunExportCommandsTest},
        {"UndoTest", RunUndoTest},
        {"WindowUseTest", RunWindowUseTest},
        {"PublishCommandsTest", RunPublishCommandsTest},
        {"TranslationTest", RunTranslationTest}};
    int failures = 0;
    for (const auto& [name, run] : classes) {
        if (argc > 1 && argv[1][0] != '-') {
            if (std::strcmp(argv[1], name) != 0) continue;
            argv[1] = argv[0];
            failures += run(argc - 1, argv + 1);
        } else {
            failures += run(argc, argv);
        }
    }
    return failures == 0 ? 0 : 1;
}
