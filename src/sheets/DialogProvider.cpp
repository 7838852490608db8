#include "DialogProvider.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "ColorButton.h"
#include "MetaVariableDlg.h"
#include "ProgramInfo.h"

CDialogProvider* CDialogProvider::installed = nullptr;

CDialogProvider& CDialogProvider::Current() {
    static CQtDialogProvider qtDialogs;
    return installed != nullptr ? *installed : qtDialogs;
}

CScopedDialogProvider::CScopedDialogProvider(CDialogProvider& provider)
    : previous(CDialogProvider::installed) {
    CDialogProvider::installed = &provider;
}

CScopedDialogProvider::~CScopedDialogProvider() {
    CDialogProvider::installed = previous;
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

void CQtDialogProvider::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok);
}
