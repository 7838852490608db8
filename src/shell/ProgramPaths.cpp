#include "ProgramPaths.h"

#include <QDir>
#include <QFileInfo>

QString DefaultExportFolder(const QString& programFolder, const QString& documentsFolder) {
    const QString besideProgram = QDir(programFolder).filePath(QStringLiteral("Export"));
    const QFileInfo info(besideProgram);
    const bool usable = info.exists() ? info.isDir() && info.isWritable()
                                      : QDir(programFolder).mkdir(QStringLiteral("Export"));
    if (usable) return besideProgram;
    return QDir(documentsFolder).filePath(QStringLiteral("Pagelorn Export"));
}

QString FindUserGuide(const QString& programFolder) {
    const QString guide = QDir(programFolder).filePath(QStringLiteral("help/index.html"));
    return QFileInfo(guide).isFile() ? guide : QString();
}
