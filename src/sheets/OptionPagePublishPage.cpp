#include "OptionPagePublishPage.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

COptionPagePublishPage::COptionPagePublishPage(CPublishSettings& publish,
                                               PublishConnectionTester tester, QWidget* parent)
    : COptionPage(tr("Publish"), parent),
      publish(publish),
      tester(std::move(tester)),
      addressEdit(new QLineEdit(this)),
      userEdit(new QLineEdit(this)),
      testButton(new QPushButton(tr("&Test connection"), this)),
      resultLabel(new QLabel(this)),
      fingerprintLabel(new QLabel(this)) {
    addressEdit->setObjectName(QStringLiteral("publishAddressEdit"));
    userEdit->setObjectName(QStringLiteral("publishUserEdit"));
    testButton->setObjectName(QStringLiteral("testConnectionButton"));
    resultLabel->setObjectName(QStringLiteral("connectionResultLabel"));
    fingerprintLabel->setObjectName(QStringLiteral("fingerprintLabel"));
    addressEdit->setPlaceholderText(tr("sftp://example.org/~/public_html"));
    resultLabel->setWordWrap(true);
    fingerprintLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    testButton->setEnabled(static_cast<bool>(this->tester.test));

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(tr("&Address:"), addressEdit);
    form->addRow(tr("&User:"), userEdit);
    layout->addLayout(form);
    auto* explanation = new QLabel(
        tr("Site > Publish... puts the exported website there, sending only what changed. "
           "sftp:// (SSH) and ftps:// (FTP with TLS) keep your password safe; ftp:// sends it "
           "in clear. Your password is never kept in the project."),
        this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(testButton);
    testRow->addStretch();
    layout->addLayout(testRow);
    layout->addWidget(resultLabel);
    layout->addWidget(fingerprintLabel);
    layout->addStretch();
}

std::string COptionPagePublishPage::JoinUrl(const QString& address, const QString& user) {
    QString url = address.trimmed();
    const qsizetype scheme = url.indexOf(QStringLiteral("://"));
    if (scheme < 0 || user.trimmed().isEmpty()) return url.toStdString();
    const qsizetype hostStart = scheme + 3;
    qsizetype slash = url.indexOf(QLatin1Char('/'), hostStart);
    if (slash < 0) slash = url.size();
    const qsizetype at = url.lastIndexOf(QLatin1Char('@'), slash - 1);
    const qsizetype from = at >= hostStart ? at + 1 : hostStart;
    QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(user.trimmed()));
    return (url.left(hostStart) + encoded + QLatin1Char('@') + url.mid(from)).toStdString();
}

void COptionPagePublishPage::SplitUrl(const std::string& url, QString& address, QString& user) {
    address = QString::fromStdString(url);
    user.clear();
    const qsizetype scheme = address.indexOf(QStringLiteral("://"));
    if (scheme < 0) return;
    const qsizetype hostStart = scheme + 3;
    qsizetype slash = address.indexOf(QLatin1Char('/'), hostStart);
    if (slash < 0) slash = address.size();
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'), slash - 1);
    if (at < hostStart) return;
    user = QUrl::fromPercentEncoding(address.mid(hostStart, at - hostStart).toUtf8());
    address.remove(hostStart, at + 1 - hostStart);
}

void COptionPagePublishPage::InitPage() {
    QString address;
    QString user;
    SplitUrl(publish.url, address, user);
    addressEdit->setText(address);
    userEdit->setText(user);
    for (QLineEdit* edit : {addressEdit, userEdit}) {
        edit->setModified(false);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            if (!edit->isModified()) return;
            edit->setModified(false);
            StoreUrl();
        });
    }
    AddPendingEdit([this] {
        if (!addressEdit->isModified() && !userEdit->isModified()) return;
        addressEdit->setModified(false);
        userEdit->setModified(false);
        StoreUrl();
    });
    connect(testButton, &QPushButton::clicked, this, &COptionPagePublishPage::TestConnection);
    if (tester.knownFingerprint) ShowFingerprint(tester.knownFingerprint(publish.url));
}

void COptionPagePublishPage::StoreUrl() {
    Store(publish.url, JoinUrl(addressEdit->text(), userEdit->text()));
    if (tester.knownFingerprint) ShowFingerprint(tester.knownFingerprint(publish.url));
}

void COptionPagePublishPage::ShowFingerprint(const QString& fingerprint) {
    if (fingerprint.isEmpty()) {
        fingerprintLabel->clear();
        return;
    }
    const bool ftps = QString::fromStdString(publish.url)
                          .startsWith(QStringLiteral("ftps://"), Qt::CaseInsensitive);
    fingerprintLabel->setText(ftps ? tr("Certificate: %1").arg(fingerprint)
                                   : tr("Host key: %1").arg(fingerprint));
}

void COptionPagePublishPage::TestConnection() {
    CommitEdits();
    resultLabel->setText(tr("Connecting..."));
    const PublishConnectionTest result = tester.test(publish.url);
    resultLabel->setText(result.message);
    ShowFingerprint(result.fingerprint);
}
