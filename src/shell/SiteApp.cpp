#include "SiteApp.h"

#include <QIcon>

#include "MainFrame.h"

CSiteApp::CSiteApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("Pagelorn"));
    setApplicationName(QStringLiteral("Pagelorn"));
    setApplicationVersion(QStringLiteral("1.0"));
}

CSiteApp::~CSiteApp() = default;

bool CSiteApp::InitInstance() {
    mainFrame = std::make_unique<CMainFrame>();
    setWindowIcon(mainFrame->windowIcon());
    // The desktop opens a project by naming it as the one argument; nothing else is read.
    const QStringList arguments = QApplication::arguments();
    mainFrame->show();
    mainFrame->activateWindow();
    if (arguments.size() >= 2) mainFrame->OpenAndRemember(arguments.at(1));
    return true;
}
