#include "app/openwindow.h"
#include "browse/localfiles.h"
#include "cli/headless.h"
#include "cli/options.h"
#include "cli/output.h"
#include "platform/largeblocks.h"
#include "platform/profilefolders.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QScopeGuard>
#include <QTranslator>

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <unistd.h>

namespace {

void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// The offscreen platform's own screen is 800x800, smaller than the page's
// window, and grows as the scale shrinks: pages see a common desktop's
// 1920x1080 at any scale instead. (Its options are split at colons.)
QByteArray offscreenPlatform(const QString &folder)
{
    const double scale =
        qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR") ? 1.0 : qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    QFile config(folder + QLatin1String("/screen.json"));
    const QByteArray screen =
        QStringLiteral(R"({"screens":[{"name":"markloom","x":0,"y":0,"width":%1,"height":%2,"logicalDpi":96}]})")
            .arg(qRound(1920 * scale))
            .arg(qRound(1080 * scale))
            .toUtf8();
    if (scale <= 0 || folder.contains(u':') || !config.open(QIODevice::WriteOnly)
        || config.write(screen) != screen.size())
        return "offscreen";
    return "offscreen:configfile=" + QFile::encodeName(config.fileName());
}

// While the toolkit connects to the display: a display it cannot reach is
// said in one line instead of the toolkit's abort. (A message handler is a
// plain function, so the state it needs is file-wide.)
bool s_connectingDisplay = false;
QtMessageHandler s_previousHandler = nullptr;

void displayHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (s_connectingDisplay) {
        if (type == QtFatalMsg) {
            cli::writeMessage(QStringLiteral("cannot open a window: no display could be reached; "
                                             "without one, use markloom --dump ADDRESS (see --help)"));
            std::_Exit(1);
        }
        if (context.category && qstrncmp(context.category, "qt.qpa.", 7) == 0)
            return; // the toolkit's own account of the same
    }
    if (s_previousHandler)
        s_previousHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    returnLargeBlocksAtOnce();
    // A closed pipe or stream is a write that fails, never the end of the
    // program without a word.
    std::signal(SIGPIPE, SIG_IGN);
    cli::guardStandardStreams();

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    cli::Options options = cli::parse(arguments);
    // "page.html" on the command line is that file, not a web host.
    if (options.address != QLatin1String("-"))
        options.address = localfiles::commandLineAddress(options.address, QDir::currentPath());

    switch (options.mode) {
    case cli::Mode::Help:
    case cli::Mode::Version:
        if (!cli::writeOut(options.mode == cli::Mode::Help
                               ? cli::usage()
                               : QStringLiteral("markloom %1\n").arg(QLatin1String(MARKLOOM_VERSION)))) {
            cli::writeMessage(cli::writeFailedMessage());
            return 1;
        }
        return 0;
    case cli::Mode::Error:
        cli::writeMessage(options.error + QStringLiteral("\nTry 'markloom --help' for more information."));
        return 2;
    default:
        break;
    }

    const bool headless = options.mode != cli::Mode::Window;
    // In a headless mode stdout and stderr belong to the result and its
    // message; the toolkit's and the engine's chatter is not part of either.
    if (headless && qEnvironmentVariableIsEmpty("MARKLOOM_DEBUG"))
        qInstallMessageHandler(quietHandler);
    if (!cli::needsBrowser(options)) {
        // Text from standard input: no browser, no display.
        QCoreApplication app(argc, argv);
        return cli::runHeadless(options);
    }
    // A batch's pages are drawn for nobody: at a quarter scale the toolkit's
    // copies of each job's frame take a sixteenth of the memory (about 6 MiB
    // less with four jobs than at half scale), while the page keeps its
    // 1280x800 viewport, a pixel ratio of 1, layout, frames and observers
    // (the engine draws at no less than 1) and the screen below. A scale the
    // user gives stays theirs.
    if (options.mode == cli::Mode::Batch && qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "0.25");
    // Nothing the engine writes for itself stays in the user's home, not even
    // when a signal comes before the program is up.
    profilefolders::catchTermination();
    // A browser's folder goes with the browser, but the engine's storage
    // threads outlive it and may still write there: what is left of this
    // run's folders goes once the engine is down, after the application.
    const auto removeOwnAtExit = qScopeGuard([] { profilefolders::removeOwn(QDir::tempPath()); });
    const std::unique_ptr<QTemporaryDir> engineHome = headless ? profilefolders::useTemporaryHome() : nullptr;
    if (const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        headless && (platform.isEmpty() || platform == "offscreen"))
        qputenv("QT_QPA_PLATFORM", engineHome ? offscreenPlatform(engineHome->path()) : QByteArray("offscreen"));
    // Chromium refuses to run its sandbox as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        cli::writeMessage(QStringLiteral("running as root, the browser sandbox is switched off"));
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // A page the engine takes for hidden has its timers held back to about
    // once a second; ours is shown off the screen, and F5 and --settle must
    // read what the page's timers make of it in any case.
    {
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        flags += (flags.isEmpty() ? "" : " ") + QByteArray("--disable-background-timer-throttling");
        // The engine's processes write their own log lines straight to
        // standard error, which in a headless mode carries only our message.
        if (headless && qEnvironmentVariableIsEmpty("MARKLOOM_DEBUG"))
            flags += " --log-level=3";
        // A batch's page processes load page after page: the script engine
        // tuned for size takes about 40% less memory for the whole run at a
        // few per cent more time (the batch benchmark). Every page leaves a
        // few script contexts behind, and the engine lets them pile up to
        // about 9 MB before its first full collection; starting that limit
        // at 2 MB keeps each page process some 6 MiB smaller (about 25 MiB
        // of the 300 at the peak of four jobs on small pages), for about
        // 8 ms of collections per page where each page needs a new page
        // process (4% of such a page's time). The document's own objects
        // (nodes, styles, layout) live in a heap of their own that only a
        // full collection empties, and a page of little script makes those
        // rare: every collection is made a full one, with each half of the
        // young generation at least 8 MB so that script-heavy pages do not
        // collect more often. Script flags given by the user stay theirs.
        if (options.mode == cli::Mode::Batch && !flags.contains("--js-flags"))
            flags += " --js-flags=--optimize-for-size,--initial-old-space-size=2,--gc-global,--min-semi-space-size=8";
        // The engine's second zygote only starts helper processes that run
        // without a sandbox; a batch has run none (the network and drawing
        // are threads of this process), and that zygote held 8 MiB.
        if (options.mode == cli::Mode::Batch)
            flags += " --no-unsandboxed-zygote";
        // Nobody sees a batch's pages, yet the engine paints tiles well beyond
        // the viewport of each (some 50 tiles of 256 KB on a long page, shared
        // with this process). A 1 MB budget keeps a few: scripts, layout and
        // frames run as before, and four jobs on long pages peak some 70 MiB
        // lower, at no cost in time there (the batch benchmark).
        if (options.mode == cli::Mode::Batch && !flags.contains("--force-gpu-mem-available-mb"))
            flags += " --force-gpu-mem-available-mb=1";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
    // The engine's start-up report and page console noise are not ours to show.
    // (Rules in QT_LOGGING_RULES still take precedence.)
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext=false\njs=false"));

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    s_previousHandler = qInstallMessageHandler(displayHandler);
    s_connectingDisplay = true;
    QApplication app(argc, argv);
    s_connectingDisplay = false;
    profilefolders::removeOnTermination();
    QApplication::setApplicationName(QStringLiteral("Markloom"));
    QApplication::setOrganizationName(QStringLiteral("Brindlecot"));
    QApplication::setApplicationVersion(QStringLiteral(MARKLOOM_VERSION));
    // Desktops match the window to its installed entry by this name (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brindlecot.Markloom"));

    if (headless)
        return cli::runHeadless(options);

    // The interface is Japanese: the standard dialogs (save, colour, menus
    // of the text controls) should be too.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    const std::unique_ptr<QMainWindow> form = openMainWindow(options.address);
    // A copy started from another one (新規作成) comes up in front of it.
    form->show();
    form->raise();
    form->activateWindow();
    return app.exec();
}
