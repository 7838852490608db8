#include "ThemeIcon.h"

#include <QHash>

namespace {

// The desktop's own icons where its theme has one for the command, so the window looks like the
// user's other programs; our drawings elsewhere.
const QHash<QString, QString>& ThemeNames() {
    static const QHash<QString, QString> themeNames = {
        {QStringLiteral("new"), QStringLiteral("document-new")},
        {QStringLiteral("open"), QStringLiteral("document-open")},
        {QStringLiteral("save"), QStringLiteral("document-save")},
        {QStringLiteral("undo"), QStringLiteral("edit-undo")},
        {QStringLiteral("redo"), QStringLiteral("edit-redo")},
        {QStringLiteral("cut"), QStringLiteral("edit-cut")},
        {QStringLiteral("copy"), QStringLiteral("edit-copy")},
        {QStringLiteral("paste"), QStringLiteral("edit-paste")},
        {QStringLiteral("delete"), QStringLiteral("edit-delete")},
        {QStringLiteral("move-up"), QStringLiteral("go-up")},
        {QStringLiteral("move-down"), QStringLiteral("go-down")},
        {QStringLiteral("new-folder"), QStringLiteral("folder-new")},
        {QStringLiteral("help"), QStringLiteral("help-contents")},
        {QStringLiteral("subsite"), QStringLiteral("folder")},
        {QStringLiteral("subsite-open"), QStringLiteral("folder-open")},
        {QStringLiteral("item"), QStringLiteral("text-x-generic")}};
    return themeNames;
}

// Whether the desktop names an icon theme. Without one there is only "hicolor", the theme every
// other falls back on, which holds programs' own icons and none of the ones asked for here;
// looking there first means reading its whole index, the largest single cost of opening the
// window on such a desktop.
bool DesktopHasIconTheme() {
    static const bool named = [] {
        const QString theme = QIcon::themeName();
        return !theme.isEmpty() && theme != QStringLiteral("hicolor");
    }();
    return named;
}

}  // namespace

QIcon ThemeIcon(const QString& name) {
    const QIcon own(QStringLiteral(":/icons/%1.svg").arg(name));
    const QString themeName = ThemeNames().value(name);
    return themeName.isEmpty() || !DesktopHasIconTheme() ? own : QIcon::fromTheme(themeName, own);
}

bool HasThemeIcon(const QString& name) {
    const QString themeName = ThemeNames().value(name);
    return !themeName.isEmpty() && DesktopHasIconTheme() && QIcon::hasThemeIcon(themeName);
}
