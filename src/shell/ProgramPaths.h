#pragma once

#include <QString>

// Where the program finds its own files. Nothing is looked up beside the program itself:
// installed, it lives in a bin folder. (Where an export goes is the core's rule, ExportLocation.h.)

// Where the user guide belongs: help/index.html in the program's data folder, which lies at the
// same place relative to the program's folder in an installed copy and in the build tree.
QString UserGuidePath(const QString& programFolder);

// The user guide of the program running from programFolder; empty when it is not there.
QString FindUserGuide(const QString& programFolder);

// Where the window's translations (pagelorn_LANG.qm) are: translations/ in the program's data
// folder.
QString TranslationsFolder(const QString& programFolder);
