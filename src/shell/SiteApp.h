#pragma once

#include <QApplication>
#include <memory>

class CMainFrame;

// The program: one main window, optionally opening a project file at start.
class CSiteApp : public QApplication {
    Q_OBJECT
public:
    CSiteApp(int& argc, char** argv);
    ~CSiteApp() override;

    // Creates and shows the main window and opens the project file, if one is named; false when
    // the window could not be made.
    bool InitInstance(const QString& project);
    CMainFrame* MainFrame() const { return mainFrame.get(); }

private:
    std::unique_ptr<CMainFrame> mainFrame;
};
