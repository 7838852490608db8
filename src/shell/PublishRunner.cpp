#include "PublishRunner.h"

#include <qt6keychain/keychain.h>

#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <thread>

#include "Desktop.h"
#include "KnownServers.h"
#include "PublishPasswordDlg.h"
#include "PublishProgressDlg.h"

namespace {

const QString kKeyringService = QStringLiteral("Pagelorn");

// The keyring's answer, waited for in a loop of its own (the jobs answer through signals).
QString ReadKeyring(const QString& key) {
    QKeychain::ReadPasswordJob job(kKeyringService);
    job.setAutoDelete(false);
    job.setKey(key);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    return job.error() == QKeychain::NoError ? job.textData() : QString();
}

void WriteKeyring(const QString& key, const QString& password) {
    QKeychain::WritePasswordJob job(kKeyringService);
    job.setAutoDelete(false);
    job.setKey(key);
    // Where no keyring answers, the password is not kept at all: never in a settings file.
    job.setInsecureFallback(false);
    job.setTextData(password);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
}

std::optional<PasswordAnswer> AskPassword(QWidget* parent, const QString& address) {
    CPublishPasswordDlg dialog(address, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return PasswordAnswer{dialog.Password(), dialog.Remember()};
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Runs `work` on a worker thread behind the progress dialog; `progress` receives the dialog's
// reports, and the dialog's Cancel sets `cancel`.
void RunBehindDialog(QWidget* parent, std::atomic<bool>& cancel,
                     const std::function<void(const PublishProgressFn&)>& work) {
    std::mutex mutex;
    PublishProgress latest;
    bool changed = false;
    std::atomic<bool> done{false};
    CPublishProgressDlg dialog(parent);
    const PublishProgressFn report = [&](const PublishProgress& progress) {
        std::lock_guard lock(mutex);
        latest = progress;
        changed = true;
    };
    QObject::connect(&dialog, &CPublishProgressDlg::Cancelled, &dialog, [&] { cancel = true; });
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &dialog, [&] {
        {
            std::lock_guard lock(mutex);
            if (changed) dialog.Show(latest);
            changed = false;
        }
        if (done) dialog.Finished();
    });
    std::jthread worker([&] {
        work(report);
        done = true;
    });
    timer.start(100);
    dialog.exec();
}

}  // namespace

CPublishRunner::CPublishRunner()
    : transportMaker(&CurlTransportFactory),
      passwordAsker(&AskPassword),
      keyring{&ReadKeyring, &WriteKeyring} {}

QString CPublishRunner::KeyringKey(const PublishAddress& address) {
    PublishAddress withoutPath = address;
    withoutPath.path.clear();
    QString key = Text(withoutPath.ToString());
    key.chop(1);  // the "/" of the empty path
    return key;
}

bool CPublishRunner::Resolve(QWidget* parent, const PublishAddress& address,
                             const TransportResult& failure, CurlTransportOptions& options,
                             bool& askedPassword, std::optional<PasswordAnswer>& answer) const {
    const QString where = Text(address.ToString());
    switch (failure.failure) {
        case TransportFailure::HostKeyUnknown:
        case TransportFailure::Certificate: {
            if (failure.fingerprint.empty() || options.acceptedFingerprint == failure.fingerprint)
                return false;
            const QString what =
                failure.failure == TransportFailure::HostKeyUnknown
                    ? CPublishRunner::tr(
                          "The server %1 is not known yet. Its host key has the "
                          "fingerprint\n\n%2\n\nIf your host tells you the same "
                          "fingerprint, the server is the right one. Trust it?")
                    : CPublishRunner::tr(
                          "The certificate of %1 cannot be verified (it may be one the "
                          "host made itself). Its fingerprint is\n\n%2\n\nIf your host "
                          "tells you the same fingerprint, the server is the right one. "
                          "Trust it?");
            if (TheDesktop().Ask(parent, what.arg(where, Text(failure.fingerprint)), false,
                                 CDesktop::Icon::Warning) != CDesktop::Answer::Yes)
                return false;
            options.acceptedFingerprint = failure.fingerprint;
            return true;
        }
        case TransportFailure::Login:
            if (askedPassword) {
                TheDesktop().Tell(parent,
                                  CPublishRunner::tr("The server %1 refused the login: %2")
                                      .arg(where, Text(failure.message)),
                                  CDesktop::Severity::Warning);
            }
            answer = passwordAsker(parent, where);
            askedPassword = true;
            if (!answer) return false;
            options.password = answer->password.toStdString();
            return true;
        default:
            return false;
    }
}

CurlTransportOptions CPublishRunner::OptionsFor(const PublishAddress& address,
                                                std::atomic<bool>& cancel) const {
    return {.address = address,
            .password = keyring.read(KeyringKey(address)).toStdString(),
            .sshFolder = QDir::home().filePath(QStringLiteral(".ssh")).toStdString(),
            .acceptedFingerprint = {},
            .knownCertificates = DefaultKnownCertificatesFile(),
            .cancel = &cancel,
            .connectTimeoutSeconds = 30};
}

std::optional<PublishResult> CPublishRunner::Publish(QWidget* parent, const PublishAddress& address,
                                                     const std::filesystem::path& folder) const {
    std::atomic<bool> cancel{false};
    CurlTransportOptions options = OptionsFor(address, cancel);
    bool askedPassword = false;
    std::optional<PasswordAnswer> answer;
    if (options.password.empty() && address.protocol != PublishProtocol::Sftp) {
        answer = passwordAsker(parent, Text(address.ToString()));
        askedPassword = true;
        if (!answer) return std::nullopt;
        options.password = answer->password.toStdString();
    }
    bool intoNonempty = false;
    for (;;) {
        PublishResult result;
        RunBehindDialog(parent, cancel, [&](const PublishProgressFn& progress) {
            result = PublishWebsite({.exportFolder = folder,
                                     .connect = transportMaker(options),
                                     .connections = 4,
                                     .intoNonempty = intoNonempty,
                                     .dryRun = false,
                                     .progress = progress,
                                     .cancel = &cancel,
                                     .target = address.ToString()});
        });
        if (result.status == PublishStatus::NotConnected && !cancel) {
            if (Resolve(parent, address, result.connection, options, askedPassword, answer))
                continue;
            const TransportFailure failure = result.connection.failure;
            if (failure == TransportFailure::HostKeyUnknown ||
                failure == TransportFailure::Certificate || failure == TransportFailure::Login)
                return std::nullopt;
        }
        if (result.status == PublishStatus::NotEmpty && !intoNonempty) {
            const QString question =
                CPublishRunner::tr(
                    "The folder at %1 holds files that were not published from here. "
                    "Publish into it all the same? Files with the website's names are "
                    "replaced; nothing else there is changed or deleted.")
                    .arg(Text(address.ToString()));
            if (TheDesktop().Ask(parent, question, false, CDesktop::Icon::Warning) !=
                CDesktop::Answer::Yes)
                return std::nullopt;
            intoNonempty = true;
            continue;
        }
        if (answer && answer->remember && result.status != PublishStatus::NotConnected)
            keyring.write(KeyringKey(address), answer->password);
        return result;
    }
}

QString CPublishRunner::KnownFingerprint(const std::string& url) {
    const PublishAddressParse parsed = ParsePublishAddress(url);
    if (!parsed.address) return {};
    const std::string name = parsed.address->KnownHostsName();
    if (parsed.address->protocol == PublishProtocol::Sftp)
        return Text(KnownHostKeyFingerprint(
            QDir::home().filePath(QStringLiteral(".ssh/known_hosts")).toStdString(), name));
    return Text(KnownCertificate(DefaultKnownCertificatesFile(), name));
}

PublishConnectionTest CPublishRunner::Test(QWidget* parent, const std::string& url) const {
    const PublishAddressParse parsed = ParsePublishAddress(url);
    if (!parsed.address) return {false, Text(parsed.problem), {}};
    const PublishAddress& address = *parsed.address;
    std::atomic<bool> cancel{false};
    CurlTransportOptions options = OptionsFor(address, cancel);
    bool askedPassword = false;
    std::optional<PasswordAnswer> answer;
    for (;;) {
        TransportResult opened;
        std::string fingerprint;
        RunBehindDialog(parent, cancel, [&](const PublishProgressFn&) {
            const std::unique_ptr<CPublishTransport> transport = transportMaker(options)();
            opened = transport->Open();
            fingerprint = transport->Fingerprint();
        });
        if (opened.Ok()) {
            if (answer && answer->remember) keyring.write(KeyringKey(address), answer->password);
            return {true, CPublishRunner::tr("Connected."), Text(fingerprint)};
        }
        if (!cancel && Resolve(parent, address, opened, options, askedPassword, answer)) continue;
        return {false, Text(opened.message), Text(opened.fingerprint)};
    }
}
