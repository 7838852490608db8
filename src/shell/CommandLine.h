#pragma once

#include <QString>
#include <QStringList>

// What the program's command line asks for: pagelorn [PROJECT.www], --help or --version.
struct CCommandLine {
    enum class Request { Window, Help, Version, Mistake };
    Request request = Request::Window;
    QString project;  // the project file to open at start; empty for a new project
    QString mistake;  // what is wrong with the arguments (Request::Mistake)
};

// Reads the arguments after the program's name. --help and --version win wherever they stand, so
// they are answered before the toolkit has taken out its own options (-platform NAME, ...); "--"
// ends the options, for a project file whose name starts with "-".
CCommandLine ReadCommandLine(const QStringList& arguments);

// The arguments without the toolkit's own options (-platform NAME, -style=fusion, --reverse ...),
// so that a mistake is found before the toolkit needs a display.
QStringList WithoutToolkitOptions(const QStringList& arguments);

// The text --help prints: the usage, and where the user guide is (or should be) for the program
// running from programFolder.
QString CommandLineUsage(const QString& programFolder);
