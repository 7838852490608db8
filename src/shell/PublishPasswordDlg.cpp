#include "PublishPasswordDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CPublishPasswordDlg::CPublishPasswordDlg(const QString& address, QWidget* parent)
    : QDialog(parent),
      passwordEdit(new QLineEdit(this)),
      rememberCheck(new QCheckBox(tr("&Remember the password in the desktop's keyring"), this)) {
    setWindowTitle(tr("Password"));
    passwordEdit->setObjectName(QStringLiteral("passwordEdit"));
    rememberCheck->setObjectName(QStringLiteral("rememberCheck"));
    passwordEdit->setEchoMode(QLineEdit::Password);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("&Password for %1:").arg(address), this);
    label->setBuddy(passwordEdit);
    layout->addWidget(label);
    layout->addWidget(passwordEdit);
    layout->addWidget(rememberCheck);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CPublishPasswordDlg::Password() const {
    return passwordEdit->text();
}

bool CPublishPasswordDlg::Remember() const {
    return rememberCheck->isChecked();
}
