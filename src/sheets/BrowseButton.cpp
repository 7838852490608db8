#include "BrowseButton.h"

#include "Desktop.h"

CBrowseButton::CBrowseButton(BrowseKind kind, QWidget* parent)
    : QPushButton(QStringLiteral("..."), parent), browseKind(kind) {
    setMaximumWidth(fontMetrics().horizontalAdvance(text()) + 24);
}

QString CBrowseButton::Browse() {
    auto& dialogs = TheDesktop();
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
            return {tr("Gif Files (*.gif)"), tr("JPG Files (*.jpg)"), tr("JPEG Files (*.jpeg)"),
                    tr("All Files (*)")};
        case BrowseSound:
            return {tr("Wave Sound (*.wav)"),
                    tr("Midi Sequencer (*.mid)"),
                    tr("RealMedia (*.ram)"),
                    tr("RealMedia (*.ra)"),
                    tr("AIFF Sound (*.aif *.aifc *.aiff)"),
                    tr("AU Sound (*.au *.snd)"),
                    tr("All Files (*)")};
        case BrowseFolder:
            break;
    }
    return {};
}

QString CBrowseButton::FolderTitle() {
    return tr("Please select a folder");
}
