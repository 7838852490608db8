#include "ShellDesktop.h"

#include <QApplication>
#include <QMessageBox>

#include "BrowserLauncher.h"
#include "ProgramInfo.h"

bool CShellDesktop::OpenUrl(const QUrl& url) {
    if (!launcher) {
        // Owned by the application, which outlives every window and goes before this object.
        launcher = new CBrowserLauncher(qApp);
        // The launcher starts whenever it is installed; whether a program could be started for
        // the address is known only when it ends.
        QObject::connect(
            launcher, &CBrowserLauncher::Failed, launcher,
            [](const QUrl& failed, const QString& reason) {
                QMessageBox box(
                    QMessageBox::Warning, QString::fromUtf8(kAppTitle),
                    QCoreApplication::translate(
                        "CDesktop",
                        "%1 could not be opened: no browser or other program "
                        "could be started for it.\n\n%2")
                        .arg(failed.isLocalFile() ? failed.toLocalFile() : failed.toString(),
                             reason),
                    QMessageBox::Ok, QApplication::activeWindow());
                ExecBox(box);
            });
    }
    return launcher->Open(url);
}
