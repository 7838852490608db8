#include "Desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace {

class CQtDesktop final : public CDesktop {
public:
    Answer Ask(QWidget* parent, const QString& text, bool withCancel, Icon icon) override {
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
        if (withCancel) buttons |= QMessageBox::Cancel;
        QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::Question,
                        QString::fromUtf8(kAppTitle), text, buttons, parent);
        const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
        if (answer == QMessageBox::Yes) return Answer::Yes;
        if (answer == QMessageBox::No) return Answer::No;
        return Answer::Cancel;
    }

    bool Confirm(QWidget* parent, const QString& text) override {
        return QMessageBox::warning(parent, QString::fromUtf8(kAppTitle), text,
                                    QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    }

    void Tell(QWidget* parent, const QString& text, Severity severity) override {
        const QString title = QString::fromUtf8(kAppTitle);
        switch (severity) {
            case Severity::Information:
                QMessageBox::information(parent, title, text);
                break;
            case Severity::Warning:
                QMessageBox::warning(parent, title, text);
                break;
            case Severity::Critical:
                QMessageBox::critical(parent, title, text);
                break;
        }
    }

    QString OpenFileName(QWidget* parent, const QString& filter) override {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    }

    QStringList OpenFileNames(QWidget* parent, const QString& filter) override {
        return QFileDialog::getOpenFileNames(parent, QString(), QString(), filter);
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
        return QFileDialog::getExistingDirectory(parent, title);
    }

    bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }

    void Beep() override { QApplication::beep(); }
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
