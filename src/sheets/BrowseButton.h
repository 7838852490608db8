#pragma once

#include <QPushButton>
#include <QString>
#include <QStringList>

enum BrowseKind : int { BrowseFolder = 0, BrowseImage = 1, BrowseSound = 2 };

// The "..." button beside a path edit: asks for a folder, an image file or a sound file.
class CBrowseButton : public QPushButton {
    Q_OBJECT
public:
    explicit CBrowseButton(BrowseKind kind = BrowseImage, QWidget* parent = nullptr);

    BrowseKind Kind() const { return browseKind; }
    void SetKind(BrowseKind kind) { browseKind = kind; }
    const QString& LastPath() const { return lastPath; }

    // Runs the dialog of the button's kind and returns the chosen path, "" when cancelled.
    QString Browse();

    // The file-type filters offered for a kind, in order; empty for folders.
    static QStringList Filters(BrowseKind kind);
    // The title of the folder dialog.
    static QString FolderTitle();

private:
    BrowseKind browseKind;
    QString lastPath;
};
