#include "SiteApp.h"

#include <QIcon>

#include "MainFrame.h"
#include "ProgramInfo.h"

CSiteApp::CSiteApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("Pagelorn"));
    setApplicationName(QStringLiteral("Pagelorn"));
    setApplicationVersion(QString::fromUtf8(kProgramVersion));
    // Lets the desktop match the window with the menu entry and its icon.
    setDesktopFileName(QString::fromUtf8(kDesktopId));
}

CSiteApp::~CSiteApp() = default;

bool CSiteApp::InitInstance(const QString& project) {
    mainFrame = std::make_unique<CMainFrame>();
    setWindowIcon(mainFrame->windowIcon());
    mainFrame->show();
    mainFrame->activateWindow();
    if (!project.isEmpty()) mainFrame->OpenAndRemember(project);
    return true;
}
