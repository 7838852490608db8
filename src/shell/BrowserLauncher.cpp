#include "BrowserLauncher.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include "SystemFolders.h"

struct CBrowserLauncher::Launch {
    QUrl url;
    QString statusFile;
    QString errorFile;
    QElapsedTimer started;
};

namespace {

// A launcher's last words on its error output, for the message.
QString LastWords(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(file.read(2000)).trimmed();
}

}  // namespace

CBrowserLauncher::CBrowserLauncher(QObject* parent) : QObject(parent), poll(new QTimer(this)) {
    if (const std::string opener = DesktopOpener(); !opener.empty())
        program = QStandardPaths::findExecutable(QString::fromStdString(opener));
    poll->setInterval(100);
    connect(poll, &QTimer::timeout, this, [this] { Poll(); });
}

CBrowserLauncher::~CBrowserLauncher() = default;

void CBrowserLauncher::SetLauncher(const QString& launcher, const QStringList& leading) {
    program = launcher;
    arguments = leading;
}

bool CBrowserLauncher::Open(const QUrl& url) {
    if (program.isEmpty()) return QDesktopServices::openUrl(url);
    if (!statusFolder || !statusFolder->isValid()) {
        statusFolder = std::make_unique<QTemporaryDir>();
        if (!statusFolder->isValid()) return QDesktopServices::openUrl(url);
    }
    auto launch = std::make_unique<Launch>();
    launch->url = url;
    ++counter;
    launch->statusFile = statusFolder->filePath(QStringLiteral("status-%1").arg(counter));
    // The shell writes the launcher's exit status once it ends; the status file is written
    // under another name first so that it is never read half written.
    QProcess process;
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({QStringLiteral("-c"),
                          QStringLiteral("\"$@\" 2>\"$STATUS.err\"; echo $? >\"$STATUS.new\"; "
                                         "mv \"$STATUS.new\" \"$STATUS\""),
                          QStringLiteral("sh"), program});
    QStringList all = arguments;
    all << (url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded));
    process.setArguments(process.arguments() + all);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("STATUS"), launch->statusFile);
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    if (!process.startDetached()) return false;
    launch->errorFile = launch->statusFile + QStringLiteral(".err");
    launch->started.start();
    launches.push_back(std::move(launch));
    poll->start();
    return true;
}

void CBrowserLauncher::Poll() {
    for (auto it = launches.begin(); it != launches.end();) {
        Launch& launch = **it;
        QFile status(launch.statusFile);
        if (status.open(QIODevice::ReadOnly)) {
            const QString exitStatus = QString::fromLatin1(status.readAll()).trimmed();
            const QUrl url = launch.url;
            const bool ok = exitStatus == u"0";
            QString reason = ok ? QString() : LastWords(launch.errorFile);
            if (!ok && reason.isEmpty())
                reason = tr("%1 ended with status %2.").arg(program, exitStatus);
            QFile::remove(launch.statusFile);
            QFile::remove(launch.errorFile);
            it = launches.erase(it);
            if (ok)
                emit Opened(url);
            else
                emit Failed(url, reason);
            continue;
        }
        if (launch.started.hasExpired(patience)) {
            const QUrl url = launch.url;
            it = launches.erase(it);
            emit Opened(url);
            continue;
        }
        ++it;
    }
    if (launches.empty()) poll->stop();
}
