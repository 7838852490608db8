#include "CommandLine.h"

#include "ProgramPaths.h"

using namespace Qt::StringLiterals;

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

QStringList WithoutToolkitOptions(const QStringList& arguments) {
    static const QStringList withValue = {u"platform"_s,        u"platformpluginpath"_s,
                                          u"platformtheme"_s,   u"plugin"_s,
                                          u"qwindowgeometry"_s, u"qwindowicon"_s,
                                          u"qwindowtitle"_s,    u"session"_s,
                                          u"style"_s,           u"stylesheet"_s,
                                          u"display"_s,         u"geometry"_s,
                                          u"title"_s,           u"name"_s,
                                          u"visual"_s};
    static const QStringList alone = {u"reverse"_s, u"widgetcount"_s, u"nograb"_s,
                                      u"dograb"_s,  u"testability"_s, u"qmljsdebugger"_s};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--") {
            kept << arguments.mid(i);
            break;
        }
        // The toolkit takes its options with one dash or two.
        QString option = argument;
        if (option.startsWith(u"--")) option.remove(0, 1);
        if (!option.startsWith(u'-') || option.size() < 2) {
            kept << argument;
            continue;
        }
        option.remove(0, 1);
        const qsizetype equals = option.indexOf(u'=');
        const QString name = equals < 0 ? option : option.left(equals);
        if (withValue.contains(name)) {
            if (equals < 0) ++i;
        } else if (!alone.contains(name)) {
            kept << argument;
        }
    }
    return kept;
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
