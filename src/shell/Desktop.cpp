#include "Desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>

#include "BrowserLauncher.h"

namespace {

// Shows the box with the desktop theme's icons on its buttons, or none: the toolkit's own
// stand-ins are coloured balls that no desktop uses.
int ExecBox(QMessageBox& box) {
    for (QAbstractButton* button : box.buttons()) {
        const QMessageBox::ButtonRole role = box.buttonRole(button);
        const bool accepts = role == QMessageBox::AcceptRole || role == QMessageBox::YesRole;
        const bool rejects = role == QMessageBox::RejectRole || role == QMessageBox::NoRole;
        button->setIcon(accepts   ? QIcon::fromTheme(QStringLiteral("dialog-ok"))
                        : rejects ? QIcon::fromTheme(QStringLiteral("dialog-cancel"))
                                  : QIcon());
    }
    return box.exec();
}

class CQtDesktop final : public CDesktop {
public:
    Answer Ask(QWidget* parent, const QString& text, bool withCancel, Icon icon) override {
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
        if (withCancel) buttons |= QMessageBox::Cancel;
        QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::Question,
                        QString::fromUtf8(kAppTitle), text, buttons, parent);
        const auto answer = static_cast<QMessageBox::StandardButton>(ExecBox(box));
        if (answer == QMessageBox::Yes) return Answer::Yes;
        if (answer == QMessageBox::No) return Answer::No;
        return Answer::Cancel;
    }

    bool Confirm(QWidget* parent, const QString& text, const QString& acceptText) override {
        QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kAppTitle), text,
                        QMessageBox::Ok | QMessageBox::Cancel, parent);
        if (!acceptText.isEmpty()) box.button(QMessageBox::Ok)->setText(acceptText);
        return ExecBox(box) == QMessageBox::Ok;
    }

    void Tell(QWidget* parent, const QString& text, Severity severity) override {
        const QMessageBox::Icon icon = severity == Severity::Information ? QMessageBox::Information
                                       : severity == Severity::Warning   ? QMessageBox::Warning
                                                                         : QMessageBox::Critical;
        QMessageBox box(icon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok, parent);
        ExecBox(box);
    }

    QString OpenFileName(QWidget* parent, const QString& filter) override {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    }

    QStringList OpenFileNames(QWidget* parent, const QString& filter) override {
        const QStringList files =
            QFileDialog::getOpenFileNames(parent, QString(), ImportStart(), filter);
        if (!files.isEmpty()) RememberImport(QFileInfo(files.front()).absolutePath());
        return files;
    }

    QString SaveFileName(QWidget* parent, const QString& filter,
                         const QString& defaultSuffix) override {
        QFileDialog dialog(parent, QString(), QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().constFirst();
    }

    QString ExistingFolder(QWidget* parent, const QString& title) override {
        const QString folder = QFileDialog::getExistingDirectory(parent, title, ImportStart());
        // The next folder is most likely a neighbour of this one.
        if (!folder.isEmpty()) RememberImport(QFileInfo(folder).absolutePath());
        return folder;
    }

    bool OpenUrl(const QUrl& url) override {
        if (!launcher) {
            // Owned by the application, which outlives every window and goes before this object.
            launcher = new CBrowserLauncher(qApp);
            // The launcher starts whenever it is installed; whether a program could be started
            // for the address is known only when it ends.
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

    void Beep() override { QApplication::beep(); }

private:
    // Where the import dialogs open: where the last import was taken from, else the documents
    // folder (never the folder the program was started in).
    static QString ImportStart() {
        const QString last = ImportSettings().value(QStringLiteral("Import/LastFolder")).toString();
        if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    static void RememberImport(const QString& folder) {
        ImportSettings().setValue(QStringLiteral("Import/LastFolder"), folder);
    }
    static QSettings ImportSettings() {
        return QSettings(QStringLiteral("Pagelorn"), QStringLiteral("Pagelorn"));
    }

    QPointer<CBrowserLauncher> launcher;
};

std::unique_ptr<CDesktop>& Installed() {
    static std::unique_ptr<CDesktop> desktop;
    return desktop;
}

}  // namespace

CDesktop& TheDesktop() {
    static CQtDesktop real;
    if (auto& installed = Installed()) return *installed;
    return real;
}

std::unique_ptr<CDesktop> InstallDesktop(std::unique_ptr<CDesktop> desktop) {
    return std::exchange(Installed(), std::move(desktop));
}

QUrl UrlForOpening(const QString& text) {
    static const QString filePrefix = QStringLiteral("file://");
    if (text.startsWith(filePrefix, Qt::CaseInsensitive))
        return QUrl::fromLocalFile(text.mid(filePrefix.size()));
    return QUrl::fromUserInput(text);
}
