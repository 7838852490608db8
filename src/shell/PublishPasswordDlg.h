#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

// Asks for the password of a publish address, without showing it; "Remember" keeps it in the
// desktop's keyring (never in a file of the program's).
class CPublishPasswordDlg : public QDialog {
    Q_OBJECT
public:
    CPublishPasswordDlg(const QString& address, QWidget* parent = nullptr);

    QString Password() const;
    bool Remember() const;

private:
    QLineEdit* passwordEdit;
    QCheckBox* rememberCheck;
};
