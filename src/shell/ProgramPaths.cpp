#include "ProgramPaths.h"

#include <QDir>
#include <QFileInfo>

#include "ProgramInfo.h"

QString UserGuidePath(const QString& programFolder) {
    return QDir::cleanPath(QDir(programFolder)
                               .filePath(QString::fromUtf8(kDataFolderFromProgram) +
                                         QStringLiteral("/help/index.html")));
}

QString FindUserGuide(const QString& programFolder) {
    const QString guide = UserGuidePath(programFolder);
    return QFileInfo(guide).isFile() ? guide : QString();
}

QString TranslationsFolder(const QString& programFolder) {
    return QDir::cleanPath(
        QDir(programFolder)
            .filePath(QString::fromUtf8(kDataFolderFromProgram) + QStringLiteral("/translations")));
}
