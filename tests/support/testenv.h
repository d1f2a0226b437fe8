#pragma once

// Every test process runs in its own temporary home: settings, favourites,
// runtime and cache folders never touch the user's.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtGlobal>
#include <QtTest>

#include <unistd.h>

// A wait in a test is a ceiling that is never meant to be reached, however
// loaded the machine: 30 s, where Qt's own short forms allow 5.
#undef QTRY_VERIFY
#undef QTRY_VERIFY2
#undef QTRY_COMPARE
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, 30000)
#define QTRY_VERIFY2(expr, message) QTRY_VERIFY2_WITH_TIMEOUT(expr, message, 30000)
#define QTRY_COMPARE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT(expr, expected, 30000)

namespace markloomtest {

inline QTemporaryDir &sandbox()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/markloom-test-XXXXXX"));
    return dir;
}

inline QString sandboxPath(const QString &sub)
{
    const QString p = sandbox().path() + QLatin1Char('/') + sub;
    QDir().mkpath(p);
    return p;
}

inline void prepareEnvironment()
{
    const QString runtime = sandboxPath(QStringLiteral("runtime"));
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    qputenv("HOME", sandboxPath(QStringLiteral("home")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", sandboxPath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", sandboxPath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", sandboxPath(QStringLiteral("cache")).toLocal8Bit());
    // The favourites folder is named but not created: reading must not need it.
    qputenv("MARKLOOM_FAVORITES", (sandbox().path() + QStringLiteral("/Favorites")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // No host name resolves: no test reaches the network by name, and any
    // name is an unknown host (programs started by a test inherit this).
    // But plain.test is this machine: a site that is not a secure context.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            "--host-resolver-rules=\"MAP plain.test 127.0.0.1, MAP * ~NOTFOUND, EXCLUDE 127.0.0.1\"");
    // Read before main() runs, so the environment is too late for these.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext=false\njs=false\nqt.qpa.*=false"));
    qunsetenv("MARKLOOM_START_MINIMIZED");
}

// A file's bytes, or "<none>" when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// The fields of /proc/<pid>/stat after the command name: state, parent,
// process group, session and so on; empty once the process is gone.
inline QList<QByteArray> processStat(const QString &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray s = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    return s.isEmpty() ? QList<QByteArray>() : s.mid(s.lastIndexOf(')') + 2).split(' ');
}

inline QStringList processIds()
{
    return QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[1-9]*")}, QDir::Dirs);
}

// Running processes depth generations below this one (1: children, 2: theirs).
inline QStringList descendants(int depth)
{
    QStringList found;
    for (const QString &pid : processIds()) {
        QString p = pid;
        for (int i = 0; i < depth; ++i)
            p = QString::fromLatin1(processStat(p).value(1));
        if (p.toLongLong() == getpid() && processStat(pid).value(0) != "Z")
            found << pid;
    }
    return found;
}

} // namespace markloomtest

// main() of a test: App is the application class; the rest runs before it is made.
#define MARKLOOM_TEST_MAIN_WITH(TestClass, App, ...)                                                         \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        markloomtest::prepareEnvironment();                                                                  \
        __VA_ARGS__;                                                                                         \
        App app(argc, argv);                                                                                 \
        TestClass tc;                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
#define MARKLOOM_CORE_TEST_MAIN(TestClass) MARKLOOM_TEST_MAIN_WITH(TestClass, QCoreApplication)
// main() of a test with widgets and the browser.
#define MARKLOOM_UI_TEST_MAIN(TestClass)                                                                     \
    MARKLOOM_TEST_MAIN_WITH(TestClass, QApplication, QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts))
