#pragma once

#include <QIcon>
#include <QString>

// The icon of a command or a kind of node ("new", "subsite" ...): the desktop theme's where it has
// one for it, else the program's own drawing (":/icons/NAME.svg").
QIcon ThemeIcon(const QString& name);

// Whether the desktop theme gives the icon of that name.
bool HasThemeIcon(const QString& name);
