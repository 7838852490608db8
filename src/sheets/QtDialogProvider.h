#pragma once

#include "Desktop.h"

// The real dialogs and message boxes of Qt. Opening a document asks the desktop's services.
class CQtDialogProvider : public CDesktop {
public:
    using CDesktop::Ask;
    Answer Ask(QWidget* parent, const QString& text, bool withCancel, Icon icon) override;
    bool Confirm(QWidget* parent, const QString& text, const QString& acceptText) override;
    void Tell(QWidget* parent, const QString& text, Severity severity) override;

    QString OpenFileName(QWidget* parent, const QString& filter) override;
    QStringList OpenFileNames(QWidget* parent, const QString& filter) override;
    QString ExistingFolder(QWidget* parent, const QString& title) override;
    QString SaveFileName(QWidget* parent, const QString& filter,
                         const QString& defaultSuffix) override;

    std::optional<QColor> GetColor(QWidget* parent, const QColor& initial) override;
    std::optional<CFontChoice> GetFont(QWidget* parent, const QFont& initial,
                                       const QColor& initialColor) override;
    QString GetOpenFileName(QWidget* parent, const QString& title,
                            const QStringList& filters) override;
    QString GetExistingDirectory(QWidget* parent, const QString& title) override;
    std::optional<CMetaVariableText> EditMetaVariable(QWidget* parent, const QString& caption,
                                                      const CMetaVariableText& initial) override;

    bool OpenUrl(const QUrl& url) override;
    void Beep() override;

    // Shows the box with the desktop theme's icons on its buttons, or none: the toolkit's own
    // stand-ins are coloured balls that no desktop uses.
    static int ExecBox(class QMessageBox& box);
};
