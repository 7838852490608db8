#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// What the user chose in the font dialog.
struct CFontChoice {
    QFont font;
    QColor color;
};

// A meta variable as typed into its dialog.
struct CMetaVariableText {
    QString name;
    QString value;
};

// Every dialog the property sheets open from their controls goes through this interface, so that
// tests can answer in place of the user. Each call returns nothing (or an empty text) when the
// user cancels.
class CDialogProvider {
public:
    CDialogProvider() = default;
    CDialogProvider(const CDialogProvider&) = delete;
    CDialogProvider& operator=(const CDialogProvider&) = delete;
    virtual ~CDialogProvider() = default;

    virtual std::optional<QColor> GetColor(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<CFontChoice> GetFont(QWidget* parent, const QFont& initial,
                                               const QColor& initialColor) = 0;
    // `filters` in the form of QFileDialog ("Gif Files (*.gif)").
    virtual QString GetOpenFileName(QWidget* parent, const QString& title,
                                    const QStringList& filters) = 0;
    virtual QString GetExistingDirectory(QWidget* parent, const QString& title) = 0;
    virtual std::optional<CMetaVariableText> EditMetaVariable(QWidget* parent,
                                                              const QString& caption,
                                                              const CMetaVariableText& initial) = 0;
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;

    // The provider in use: the Qt dialogs unless a test has put its own in place.
    static CDialogProvider& Current();

private:
    friend class CScopedDialogProvider;
    static CDialogProvider* installed;
};

// The real dialogs of Qt.
class CQtDialogProvider final : public CDialogProvider {
public:
    std::optional<QColor> GetColor(QWidget* parent, const QColor& initial) override;
    std::optional<CFontChoice> GetFont(QWidget* parent, const QFont& initial,
                                       const QColor& initialColor) override;
    QString GetOpenFileName(QWidget* parent, const QString& title,
                            const QStringList& filters) override;
    QString GetExistingDirectory(QWidget* parent, const QString& title) override;
    std::optional<CMetaVariableText> EditMetaVariable(QWidget* parent, const QString& caption,
                                                      const CMetaVariableText& initial) override;
    void ShowMessage(QWidget* parent, const QString& text) override;
};

// Puts a provider in place for the lifetime of this object and restores the previous one after.
class CScopedDialogProvider {
public:
    explicit CScopedDialogProvider(CDialogProvider& provider);
    CScopedDialogProvider(const CScopedDialogProvider&) = delete;
    CScopedDialogProvider& operator=(const CScopedDialogProvider&) = delete;
    ~CScopedDialogProvider();

private:
    CDialogProvider* previous;
};
