#pragma once

#include <QApplication>
#include <memory>

class CMainFrame;

// The program: one main window, optionally opening the project file named on the command line.
class CSiteApp : public QApplication {
    Q_OBJECT
public:
    CSiteApp(int& argc, char** argv);
    ~CSiteApp() override;

    // Creates and shows the main window; false when it could not be made.
    bool InitInstance();
    CMainFrame* MainFrame() const { return mainFrame.get(); }

private:
    std::unique_ptr<CMainFrame> mainFrame;
};
