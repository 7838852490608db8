#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

// Asks for the name and value of a meta variable. OK refuses an empty name; anything else is
// taken as typed.
class CMetaVariableDlg : public QDialog {
    Q_OBJECT
public:
    CMetaVariableDlg(const QString& caption, const QString& name, const QString& value,
                     QWidget* parent = nullptr);

    // The texts entered, valid after the dialog ended with OK.
    const QString& Name() const { return name; }
    const QString& Value() const { return value; }

    static QString EmptyNameMessage();

public slots:
    void accept() override;

private:
    QLineEdit* nameEdit;
    QLineEdit* valueEdit;
    QString name;
    QString value;
};
