#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>
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

// Everything the window and its property sheets ask of the user or of the desktop outside their
// own widgets: message boxes, the file, folder, colour and font dialogs, opening a document
// with its default program, the beep. The program installs the real one; tests install their
// own, so that no test waits for a dialog. A dialog returns nothing (or an empty text or list)
// when the user cancels.
class CDesktop {
public:
    enum class Answer { Yes, No, Cancel };
    enum class Severity { Information, Warning, Critical };
    enum class Icon { Question, Warning };

    CDesktop() = default;
    CDesktop(const CDesktop&) = delete;
    CDesktop& operator=(const CDesktop&) = delete;
    virtual ~CDesktop() = default;

    // A question with Yes and No (and Cancel when asked for), shown with a question mark.
    Answer Ask(QWidget* parent, const QString& text, bool withCancel) {
        return Ask(parent, text, withCancel, Icon::Question);
    }
    // The same with the icon given: a warning shows an exclamation mark.
    virtual Answer Ask(QWidget* parent, const QString& text, bool withCancel, Icon icon) = 0;
    // A warning with OK (or the button text given, such as "Overwrite") and Cancel; true for
    // the first.
    virtual bool Confirm(QWidget* parent, const QString& text,
                         const QString& acceptText = QString()) = 0;
    virtual void Tell(QWidget* parent, const QString& text, Severity severity) = 0;

    // The window's file dialogs. Filters are in Qt's form ("Html Files (*.htm);;All Files (*)").
    virtual QString OpenFileName(QWidget* parent, const QString& filter) = 0;
    // The import's dialogs, which open where the last import was taken from.
    virtual QStringList OpenFileNames(QWidget* parent, const QString& filter) = 0;
    virtual QString ExistingFolder(QWidget* parent, const QString& title) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultSuffix) = 0;

    // The sheets' dialogs. `filters` one by one ("Gif Files (*.gif)").
    virtual std::optional<QColor> GetColor(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<CFontChoice> GetFont(QWidget* parent, const QFont& initial,
                                               const QColor& initialColor) = 0;
    virtual QString GetOpenFileName(QWidget* parent, const QString& title,
                                    const QStringList& filters) = 0;
    virtual QString GetExistingDirectory(QWidget* parent, const QString& title) = 0;
    virtual std::optional<CMetaVariableText> EditMetaVariable(QWidget* parent,
                                                              const QString& caption,
                                                              const CMetaVariableText& initial) = 0;

    // Opens a document or address with the desktop's default program; false when that failed.
    virtual bool OpenUrl(const QUrl& url) = 0;
    virtual void Beep() = 0;
};

// The desktop every window and sheet asks: the one installed, else Qt's own dialogs.
CDesktop& TheDesktop();
// Installs another desktop and returns the one it replaces (null for none).
std::unique_ptr<CDesktop> InstallDesktop(std::unique_ptr<CDesktop> desktop);

// What a URL the user wrote means to the desktop: "file://" followed by a local path is that
// file (names with blanks, "#" or "%" included); anything else is read as an address or a path.
QUrl UrlForOpening(const QString& text);
