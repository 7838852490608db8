#pragma once

#include <QString>
#include <functional>

#include "OptionPage.h"
#include "WebsiteSettings.h"

class QLabel;
class QPushButton;

// What "Test connection" does with an address: connects and logs in, and says how it went. The
// window gives one that asks for a password and for accepting a new host key as publishing does.
struct PublishConnectionTest {
    bool ok = false;
    QString message;      // the server's reason, or "Connected."
    QString fingerprint;  // the server's host key or certificate, when it is known
};
struct PublishConnectionTester {
    std::function<PublishConnectionTest(const std::string& url)> test;
    // The fingerprint this computer already trusts for the server of url (known_hosts, or a
    // certificate accepted before), "" when none: shown before anyone connects.
    std::function<QString(const std::string& url)> knownFingerprint;
};

// "Publish": where Site > Publish... puts the website. The address (sftp://host/folder,
// ftps://... or ftp://...) and the user are kept together as the settings' "url"; a password
// never is. "Test connection" tries them and shows the server's key fingerprint.
class COptionPagePublishPage : public COptionPage {
    Q_OBJECT
public:
    COptionPagePublishPage(CPublishSettings& publish, PublishConnectionTester tester,
                           QWidget* parent = nullptr);

    // The settings' url made of an address and a user: the user goes after "scheme://",
    // replacing one the address names.
    static std::string JoinUrl(const QString& address, const QString& user);
    // The other way: the address without its user, and the user.
    static void SplitUrl(const std::string& url, QString& address, QString& user);

protected:
    void InitPage() override;

private:
    void StoreUrl();
    void TestConnection();
    void ShowFingerprint(const QString& fingerprint);

    CPublishSettings& publish;
    PublishConnectionTester tester;
    QLineEdit* addressEdit;
    QLineEdit* userEdit;
    QPushButton* testButton;
    QLabel* resultLabel;
    QLabel* fingerprintLabel;
};
