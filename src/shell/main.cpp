#include <QCoreApplication>
#include <cstdio>

#include "CommandLine.h"
#include "HeapUse.h"
#include "ProgramInfo.h"
#include "SessionBus.h"
#include "SiteApp.h"

int main(int argc, char** argv) {
    LimitHeapArenas(kHeapArenasPerProcessor);
    // --help and --version need no window system, so they are answered without a display too.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const CCommandLine early = ReadCommandLine(arguments);
    if (early.request == CCommandLine::Request::Version) {
        std::printf("pagelorn %s\n", kProgramVersion);
        return 0;
    }
    if (early.request == CCommandLine::Request::Help) {
        const QCoreApplication app(argc, argv);
        std::fputs(
            CommandLineUsage(QCoreApplication::applicationDirPath()).toLocal8Bit().constData(),
            stdout);
        return 0;
    }
    // A mistake is told without a display as well; the toolkit would stop at not finding one.
    if (const CCommandLine mistaken = ReadCommandLine(WithoutToolkitOptions(arguments));
        mistaken.request == CCommandLine::Request::Mistake) {
        const QCoreApplication app(argc, argv);
        std::fprintf(
            stderr, "pagelorn: %s\n\n%s", mistaken.mistake.toLocal8Bit().constData(),
            CommandLineUsage(QCoreApplication::applicationDirPath()).toLocal8Bit().constData());
        return 2;
    }

    // Where no session bus can be, libdbus still forks the program at the toolkit's first
    // question to the bus (accessibility, the desktop's menu bar) to run a dbus-launch that is
    // not there. An address no transport takes fails the same way without the fork; wherever a
    // bus can be reached or started nothing changes.
    if (SessionBusUnreachable()) qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    CSiteApp app(argc, argv);
    // The application object has taken out the toolkit's options by now.
    const CCommandLine line = ReadCommandLine(QCoreApplication::arguments().mid(1));
    if (line.request == CCommandLine::Request::Mistake) {
        std::fprintf(
            stderr, "pagelorn: %s\n\n%s", line.mistake.toLocal8Bit().constData(),
            CommandLineUsage(QCoreApplication::applicationDirPath()).toLocal8Bit().constData());
        return 2;
    }
    if (!app.InitInstance(line.project)) return 1;
    return CSiteApp::exec();
}
