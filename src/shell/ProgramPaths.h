#pragma once

#include <QString>

// Where the program finds and puts the files that lie beside it.

// The folder an export goes to when the project names no location: "Export" beside the program
// when it is a folder that can be written to or can be made there, else "Pagelorn Export" in the
// user's documents folder (a program installed in a system folder cannot write beside itself).
QString DefaultExportFolder(const QString& programFolder, const QString& documentsFolder);

// The user guide, installed as help/index.html beside the program (the build puts it beside the
// built program too); empty when it is not there.
QString FindUserGuide(const QString& programFolder);
