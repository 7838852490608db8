#include "BrowseButton.h"

#include "DialogProvider.h"

CBrowseButton::CBrowseButton(BrowseKind kind, QWidget* parent)
    : QPushButton(QStringLiteral("..."), parent), browseKind(kind) {
    setMaximumWidth(fontMetrics().horizontalAdvance(text()) + 24);
}

QString CBrowseButton::Browse() {
    auto& dialogs = CDialogProvider::Current();
    if (browseKind == BrowseFolder)
        lastPath = dialogs.GetExistingDirectory(this, FolderTitle());
    else
        lastPath = dialogs.GetOpenFileName(this, QString(), Filters(browseKind));
    return lastPath;
}

QStringList CBrowseButton::Filters(BrowseKind kind) {
    // "All Files" matches "*" rather than "*.*", which would hide files without an extension.
    switch (kind) {
        case BrowseImage:
            return {QStringLiteral("Gif Files (*.gif)"), QStringLiteral("JPG Files (*.jpg)"),
                    QStringLiteral("JPEG Files (*.jpeg)"), QStringLiteral("All Files (*)")};
        case BrowseSound:
            return {QStringLiteral("Wave Sound (*.wav)"),
                    QStringLiteral("Midi Sequencer (*.mid)"),
                    QStringLiteral("RealMedia (*.ram)"),
                    QStringLiteral("RealMedia (*.ra)"),
                    QStringLiteral("AIFF Sound (*.aif *.aifc *.aiff)"),
                    QStringLiteral("AU Sound (*.au *.snd)"),
                    QStringLiteral("All Files (*)")};
        case BrowseFolder:
            break;
    }
    return {};
}

QString CBrowseButton::FolderTitle() {
    return QStringLiteral("Please select a folder");
}
