#include "Desktop.h"

#include <utility>

#include "QtDialogProvider.h"

namespace {

std::unique_ptr<CDesktop>& Installed() {
    static std::unique_ptr<CDesktop> desktop;
    return desktop;
}

}  // namespace

CDesktop& TheDesktop() {
    static CQtDialogProvider qtDialogs;
    if (auto& installed = Installed()) return *installed;
    return qtDialogs;
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
