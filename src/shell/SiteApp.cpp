#include "SiteApp.h"

#include <QIcon>

#include "MainFrame.h"
#include "ProgramInfo.h"
#include "ProgramPaths.h"
#include "ShellDesktop.h"
#include "Translations.h"

CSiteApp::CSiteApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("Pagelorn"));
    setApplicationName(QStringLiteral("Pagelorn"));
    setApplicationVersion(QString::fromUtf8(kProgramVersion));
    // Lets the desktop match the window with the menu entry and its icon.
    setDesktopFileName(QString::fromUtf8(kDesktopId));
    // The language of the user's locale (LANG, LANGUAGE), before any window text is made.
    InstallTranslations(*this, QLocale(), TranslationsFolder(applicationDirPath()));
    InstallDesktop(std::make_unique<CShellDesktop>());
}

// The desktop's browser launcher belongs to the application: the desktop goes first.
CSiteApp::~CSiteApp() {
    InstallDesktop(nullptr);
}

bool CSiteApp::InitInstance(const QString& project) {
    mainFrame = std::make_unique<CMainFrame>();
    setWindowIcon(mainFrame->windowIcon());
    mainFrame->show();
    mainFrame->activateWindow();
    if (!project.isEmpty()) mainFrame->OpenAndRemember(project);
    return true;
}
