#pragma once

#include <QDialog>

// "About  ! Pagelorn": the program icon, its name and version, and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
