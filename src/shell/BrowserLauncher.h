#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

class QTemporaryDir;
class QTimer;

// Opens addresses and local pages with the desktop's launcher (xdg-open) and finds out whether
// the browser could be started: the launcher itself starts whenever it is installed, and fails
// later when no browser is configured or the browser cannot be run. The launcher runs detached,
// so nothing is stopped when the program ends; its exit status comes back through a file. Where
// there is no such launcher, the toolkit opens the address and its answer is the only one.
class CBrowserLauncher : public QObject {
    Q_OBJECT
public:
    explicit CBrowserLauncher(QObject* parent = nullptr);
    ~CBrowserLauncher() override;

    // The launcher program and the arguments before the address; xdg-open when it is installed.
    void SetLauncher(const QString& program, const QStringList& arguments = {});
    // How long an answer of the launcher is waited for: one that is still running then is
    // showing the page (some launchers wait for the browser to end).
    void SetPatience(int milliseconds) { patience = milliseconds; }

    // Starts opening the address; false when not even the launcher could be started. Failed()
    // tells of a failure found later.
    bool Open(const QUrl& url);

signals:
    // The launcher ended with a failure: no browser could be started for the address.
    void Failed(const QUrl& url, const QString& reason);
    // The launcher ended with success (or was still running when the patience ran out).
    void Opened(const QUrl& url);

private:
    struct Launch;
    void Poll();

    QString program;
    QStringList arguments;
    int patience = 20000;
    std::unique_ptr<QTemporaryDir> statusFolder;
    std::vector<std::unique_ptr<Launch>> launches;
    QTimer* poll = nullptr;
    int counter = 0;
};
