#pragma once

#include <QCoreApplication>
#include <QString>
#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>

#include "CurlTransport.h"
#include "OptionPagePublishPage.h"
#include "PublishAddress.h"
#include "WebsitePublisher.h"

class QWidget;

struct PasswordAnswer {
    QString password;
    bool remember = false;  // keep it in the desktop's keyring
};

// Publishes from the window: the publish runs on a worker thread behind a progress dialog, and
// what only the user can decide is asked and the publish tried again: a password (taken from the
// desktop's keyring when one was remembered), a host key or certificate not met before, a target
// that holds files of others. Tests put their own transport, password asker and keyring here.
class CPublishRunner {
    Q_DECLARE_TR_FUNCTIONS(CPublishRunner)

public:
    using TransportMaker = std::function<TransportFactory(const CurlTransportOptions&)>;
    using PasswordAsker =
        std::function<std::optional<PasswordAnswer>(QWidget* parent, const QString& address)>;
    struct Keyring {
        std::function<QString(const QString& key)> read;
        std::function<void(const QString& key, const QString& password)> write;
    };

    CPublishRunner();

    // Brings the export folder to the address. Nothing when the user declined a question (the
    // password, the key, the target), else what the publish did.
    std::optional<PublishResult> Publish(QWidget* parent, const PublishAddress& address,
                                         const std::filesystem::path& exportFolder) const;
    // Connects and logs in, as "Test connection" on the Publish page does.
    PublishConnectionTest Test(QWidget* parent, const std::string& url) const;
    // The fingerprint of the host key (known_hosts) or certificate (accepted before) this
    // computer already trusts for the server of url; "" when none.
    static QString KnownFingerprint(const std::string& url);

    void SetTransportMaker(TransportMaker maker) { transportMaker = std::move(maker); }
    void SetPasswordAsker(PasswordAsker asker) { passwordAsker = std::move(asker); }
    void SetKeyring(Keyring ring) { keyring = std::move(ring); }

    // The name a password is kept under in the keyring: the address without its path.
    static QString KeyringKey(const PublishAddress& address);

private:
    // What every connection to `address` starts with: the remembered password, the user's SSH
    // keys and no fingerprint accepted yet.
    CurlTransportOptions OptionsFor(const PublishAddress& address, std::atomic<bool>& cancel) const;
    // A step of the conversation with the user after a refused connection: true when the user
    // gave what was missing and the attempt should be made again.
    bool Resolve(QWidget* parent, const PublishAddress& address, const TransportResult& failure,
                 CurlTransportOptions& options, bool& askedPassword,
                 std::optional<PasswordAnswer>& answer) const;

    TransportMaker transportMaker;
    PasswordAsker passwordAsker;
    Keyring keyring;
};
