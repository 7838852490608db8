#include "QtDialogProvider.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "ColorButton.h"
#include "MetaVariableDlg.h"
#include "ProgramInfo.h"

namespace {

QSettings ImportSettings() {
    return QSettings(QStringLiteral("Pagelorn"), QStringLiteral("Pagelorn"));
}

// Where the import dialogs open: where the last import was taken from, else the documents
// folder (never the folder the program was started in).
QString ImportStart() {
    const QString last = ImportSettings().value(QStringLiteral("Import/LastFolder")).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void RememberImport(const QString& folder) {
    ImportSettings().setValue(QStringLiteral("Import/LastFolder"), folder);
}

}  // namespace

int CQtDialogProvider::ExecBox(QMessageBox& box) {
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

CDesktop::Answer CQtDialogProvider::Ask(QWidget* parent, const QString& text, bool withCancel,
                                        Icon icon) {
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::Question,
                    QString::fromUtf8(kAppTitle), text, buttons, parent);
    const auto answer = static_cast<QMessageBox::StandardButton>(ExecBox(box));
    if (answer == QMessageBox::Yes) return Answer::Yes;
    if (answer == QMessageBox::No) return Answer::No;
    return Answer::Cancel;
}

bool CQtDialogProvider::Confirm(QWidget* parent, const QString& text, const QString& acceptText) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kAppTitle), text,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    if (!acceptText.isEmpty()) box.button(QMessageBox::Ok)->setText(acceptText);
    return ExecBox(box) == QMessageBox::Ok;
}

void CQtDialogProvider::Tell(QWidget* parent, const QString& text, Severity severity) {
    const QMessageBox::Icon icon = severity == Severity::Information ? QMessageBox::Information
                                   : severity == Severity::Warning   ? QMessageBox::Warning
                                                                     : QMessageBox::Critical;
    QMessageBox box(icon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok, parent);
    ExecBox(box);
}

QString CQtDialogProvider::OpenFileName(QWidget* parent, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

QStringList CQtDialogProvider::OpenFileNames(QWidget* parent, const QString& filter) {
    const QStringList files =
        QFileDialog::getOpenFileNames(parent, QString(), ImportStart(), filter);
    if (!files.isEmpty()) RememberImport(QFileInfo(files.front()).absolutePath());
    return files;
}

QString CQtDialogProvider::ExistingFolder(QWidget* parent, const QString& title) {
    const QString folder = QFileDialog::getExistingDirectory(parent, title, ImportStart());
    // The next folder is most likely a neighbour of this one.
    if (!folder.isEmpty()) RememberImport(QFileInfo(folder).absolutePath());
    return folder;
}

QString CQtDialogProvider::SaveFileName(QWidget* parent, const QString& filter,
                                        const QString& defaultSuffix) {
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<QColor> CQtDialogProvider::GetColor(QWidget* parent, const QColor& initial) {
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

std::optional<CFontChoice> CQtDialogProvider::GetFont(QWidget* parent, const QFont& initial,
                                                      const QColor& initialColor) {
    // Qt's font dialog has no colour; the text colour of a bar is chosen beside it, in one dialog,
    // so that OK and Cancel apply to both.
    QDialog dialog(parent);
    dialog.setWindowTitle(QFontDialog::tr("Select Font"));
    auto* fontDialog = new QFontDialog(initial, &dialog);
    fontDialog->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fontDialog->setWindowFlags(Qt::Widget);
    fontDialog->setVisible(true);

    auto* colorButton = new CColorButton(&dialog);
    colorButton->SetColor(QColorToColorRef(initialColor));
    colorButton->setFixedSize(48, 24);
    QObject::connect(colorButton, &QPushButton::clicked, colorButton,
                     [colorButton] { colorButton->PickColor(); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(QFontDialog::tr("Color:"), &dialog));
    colorRow->addWidget(colorButton);
    colorRow->addStretch();
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(fontDialog);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);

    // The dialog shows the nearest face, style and size it has; what the user left as the dialog
    // showed it is handed back as it was asked for, so that OK on an untouched dialog changes
    // nothing.
    const QFont opened = fontDialog->currentFont();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    QFont chosen = fontDialog->currentFont();
    if (chosen.family() == opened.family() && !initial.family().isEmpty())
        chosen.setFamily(initial.family());
    if (chosen.pointSizeF() == opened.pointSizeF() && initial.pointSizeF() > 0)
        chosen.setPointSizeF(initial.pointSizeF());
    if (chosen.weight() == opened.weight()) chosen.setWeight(initial.weight());
    if (chosen.italic() == opened.italic()) chosen.setItalic(initial.italic());
    return CFontChoice{chosen, ColorRefToQColor(colorButton->Color())};
}

QString CQtDialogProvider::GetOpenFileName(QWidget* parent, const QString& title,
                                           const QStringList& filters) {
    return QFileDialog::getOpenFileName(parent, title, QString(),
                                        filters.join(QStringLiteral(";;")));
}

QString CQtDialogProvider::GetExistingDirectory(QWidget* parent, const QString& title) {
    return QFileDialog::getExistingDirectory(parent, title);
}

std::optional<CMetaVariableText> CQtDialogProvider::EditMetaVariable(
    QWidget* parent, const QString& caption, const CMetaVariableText& initial) {
    CMetaVariableDlg dialog(caption, initial.name, initial.value, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return CMetaVariableText{dialog.Name(), dialog.Value()};
}

bool CQtDialogProvider::OpenUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

void CQtDialogProvider::Beep() {
    QApplication::beep();
}
