#include <QApplication>
#include <cstring>

#include "ShellTestUtil.h"

// Runs every test class; "shell_tests ClassName [test functions...]" runs one of them.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("PagelornTest"));
    const std::pair<const char*, int (*)(int, char**)> classes[] = {
        {"ControlsTest", RunControlsTest},
        {"MainFrameTest", RunMainFrameTest},
        {"SiteViewsTest", RunSiteViewsTest},
        {"PropertyViewTest", RunPropertyViewTest},
        {"EditCommandsTest", RunEditCommandsTest},
        {"ImportCommandsTest", RunImportCommandsTest}};
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
