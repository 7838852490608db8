#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

#include "ProgramInfo.h"

class QWidget;

// Everything the window asks of the user or of the desktop outside its own widgets: message
// boxes, file and folder dialogs, opening a document with its default program, the beep. The
// program installs the real one; tests install their own so that no test waits for a dialog.
class CDesktop {
public:
    enum class Answer { Yes, No, Cancel };
    enum class Severity { Information, Warning, Critical };

    virtual ~CDesktop() = default;

    enum class Icon { Question, Warning };

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

    // File dialogs; an empty result (or list) means the user cancelled. Filters are in Qt's form
    // ("Html Files (*.htm);;All Files (*)").
    virtual QString OpenFileName(QWidget* parent, const QString& filter) = 0;
    virtual QStringList OpenFileNames(QWidget* parent, const QString& filter) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    virtual QString ExistingFolder(QWidget* parent, const QString& title) = 0;

    // Opens a document or address with the desktop's default program; false when that failed.
    virtual bool OpenUrl(const QUrl& url) = 0;
    virtual void Beep() = 0;
};

// The desktop every window asks. Until something else is installed it is the real one.
CDesktop& TheDesktop();
// Installs another desktop and returns the one it replaces (null for the built-in real one).
std::unique_ptr<CDesktop> InstallDesktop(std::unique_ptr<CDesktop> desktop);

// What a URL the user wrote means to the desktop: "file://" followed by a local path is that
// file (names with blanks, "#" or "%" included); anything else is read as an address or a path.
QUrl UrlForOpening(const QString& text);
