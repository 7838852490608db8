#include "CommandLine.h"

#include "ProgramPaths.h"

CCommandLine ReadCommandLine(const QStringList& arguments) {
    CCommandLine line;
    QStringList unknown;
    QStringList projects;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            projects << argument;
        } else if (argument == u"--") {
            optionsEnded = true;
        } else if (argument == u"--help" || argument == u"-h") {
            line.request = CCommandLine::Request::Help;
            return line;
        } else if (argument == u"--version") {
            line.request = CCommandLine::Request::Version;
            return line;
        } else {
            unknown << argument;
        }
    }
    if (!unknown.isEmpty()) {
        line.request = CCommandLine::Request::Mistake;
        line.mistake = QStringLiteral("unknown option %1").arg(unknown.front());
    } else if (projects.size() > 1) {
        line.request = CCommandLine::Request::Mistake;
        line.mistake = QStringLiteral("one project file at a time, not %1").arg(projects.size());
    } else if (!projects.isEmpty()) {
        line.project = projects.front();
    }
    return line;
}

QString CommandLineUsage(const QString& programFolder) {
    const QString guide = FindUserGuide(programFolder);
    const QString guideLine = guide.isEmpty()
                                  ? QStringLiteral("User guide: missing; it belongs in %1\n")
                                        .arg(UserGuidePath(programFolder))
                                  : QStringLiteral("User guide: %1\n").arg(guide);
    return QStringLiteral(
               "usage: pagelorn [PROJECT.www]\n"
               "Arranges local files as a website and exports it as static HTML pages.\n"
               "\n"
               "  PROJECT.www   the project to open; without it the window starts with a new "
               "project\n"
               "  -h, --help    print this help and exit\n"
               "  --version     print the version and exit\n"
               "\n"
               "The window also takes the Qt toolkit's own options, such as -platform NAME.\n") +
           guideLine;
}
