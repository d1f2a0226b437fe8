// The command line: option parsing, and the program itself run as a process
// for what only a process shows (exit status, streams, engine processes).

#include "analysis/analysisrules.h"
#include "cli/options.h"
#include "support/testenv.h"

#include <QProcess>
#include <QtTest>

#include <unistd.h>

namespace {

enum Output { Read, Closed, Full, ClosedEarly };

struct Run {
    qint64 session = 0; // the program's own: it is started as a session leader
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QByteArray out;
    QString err;
};

// Runs the program in a session of its own, so that every process it starts
// can be found afterwards.
Run run(const QStringList &args, const QByteArray &input, Output output)
{
    QProcess p;
    // As root the program switches the sandbox off itself, and says so only
    // when it starts a browser.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (geteuid() == 0)
        env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    p.setProcessEnvironment(env);
    p.setChildProcessModifier([output] {
        setsid();
        if (output == Closed)
            close(STDOUT_FILENO);
    });
    if (output == Full)
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
    // Like "| head -c1": one byte read, then the pipe is gone.
    QProcess head;
    if (output == ClosedEarly) {
        p.setStandardOutputProcess(&head);
        head.start(QStringLiteral("head"), {QStringLiteral("-c1")});
    }
    p.start(QStringLiteral(MARKLOOM_BINARY), args);
    Run r;
    if (!p.waitForStarted())
        return r;
    r.session = p.processId();
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000) || (output == ClosedEarly && !head.waitForFinished(10000)))
        return r;
    r.exitCode = p.exitCode();
    r.status = p.exitStatus();
    if (output == Read)
        r.out = p.readAllStandardOutput();
    else if (output == ClosedEarly)
        r.out = head.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void options_data();
    void options();
    void extract_data();
    void extract();
    void runs_data();
    void runs();
};

void TestCommandLine::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("timeout");
    using M = cli::Mode;
    QTest::newRow("none") << QStringList{} << int(M::Window) << "" << 60;
    QTest::newRow("blanks joined") << QStringList{"a", "b", "c"} << int(M::Window) << "a b c" << 60;
    QTest::newRow("dump") << QStringList{"--dump", "x.test"} << int(M::Dump) << "x.test" << 60;
    QTest::newRow("timeout") << QStringList{"--timeout", "5", "--data", "-"} << int(M::Data) << "-" << 5;
    QTest::newRow("timeout=") << QStringList{"--scripts", "u", "--timeout=007"} << int(M::Scripts) << "u" << 7;
    QTest::newRow("help") << QStringList{"--help", "x"} << int(M::Help) << "" << 60;
    QTest::newRow("-h") << QStringList{"x", "-h"} << int(M::Help) << "" << 60;
    QTest::newRow("version") << QStringList{"--version"} << int(M::Version) << "" << 60;
    QTest::newRow("-V") << QStringList{"-V", "--dump", "x"} << int(M::Version) << "" << 60;
    QTest::newRow("-h after --") << QStringList{"--", "-h"} << int(M::Window) << "-h" << 60;
    QTest::newRow("other short word") << QStringList{"-x"} << int(M::Window) << "-x" << 60;
    QTest::newRow("unknown") << QStringList{"--bogus"} << int(M::Error) << "" << 60;
    QTest::newRow("no address") << QStringList{"--dump"} << int(M::Error) << "" << 60;
    QTest::newRow("dump stdin") << QStringList{"--dump", "-"} << int(M::Error) << "" << 60;
    QTest::newRow("two modes") << QStringList{"--dump", "--data", "x"} << int(M::Error) << "" << 60;
    for (const char *bad : {"0", " 5", "5 ", "+5", "-5", "5s", "0x5", "1e3", "", "99999999999"})
        QTest::addRow("timeout '%s'", bad) << QStringList{"--timeout", bad, "--dump", "x"} << int(M::Error) << "" << 60;
    QTest::newRow("after --") << QStringList{"--", "--dump"} << int(M::Window) << "--dump" << 60;
}

void TestCommandLine::options()
{
    QFETCH(QStringList, args);
    QFETCH(int, mode);
    QFETCH(QString, address);
    QFETCH(int, timeout);
    const cli::Options o = cli::parse(args);
    QCOMPARE(int(o.mode), mode);
    if (o.mode != cli::Mode::Error) {
        QCOMPARE(o.address, address);
        QCOMPARE(o.timeoutSeconds, timeout);
    } else {
        QVERIFY(!o.error.isEmpty());
    }
}

void TestCommandLine::extract_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("out"); // empty: nothing found, exit code 1
    QTest::addColumn<QString>("err");    // expected within standard error
    const QString smile = QString::fromUtf16(u"\U0001F600");
    QTest::newRow("scripts") << "--scripts" << QByteArray("<SCRIPT>x</SCRIPT>\n<script>y</script><SCRIPT>z")
                             << QByteArray("<SCRIPT>x</SCRIPT>\r\n<script>y</script>\r\n<SCRIPT>z\r\n") << QString();
    QTest::newRow("data, UTF-8") << "--data" << QStringLiteral("<P>日本語</P><P>%1</P>").arg(smile).toUtf8()
                                 << QStringLiteral("日本語\r\n%1\r\n").arg(smile).toUtf8() << QString();
    QTest::newRow("NUL") << "--data" << QByteArray("<P>a\0b</P>", 10) << QByteArray("a\0b\r\n", 5) << QString();
    // Longer than one written slice, with a pair across the slice boundary.
    const QString many = QStringLiteral("a") + smile.repeated(600000);
    QTest::newRow("long item") << "--data" << (QStringLiteral("<P>") + many + QStringLiteral("</P>")).toUtf8()
                               << (many + QStringLiteral("\r\n")).toUtf8() << QString();
    QTest::newRow("no scripts") << "--scripts" << QByteArray("<P>x</P>") << QByteArray() << analysis::kNoScriptsMessage;
    QTest::newRow("no data") << "--data" << QByteArray("plain text") << QByteArray() << analysis::kNoDataMessage;
    QTest::newRow("over the cap") << "--data" << QByteArray("<a>") + QByteArray(100000, '<') << QByteArray()
                                  << analysis::overCapMessage();
}

void TestCommandLine::extract()
{
    QFETCH(QString, option);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, out);
    QFETCH(QString, err);
    const Run r = run({option, QStringLiteral("-")}, input, Read);
    QCOMPARE(r.status, QProcess::NormalExit);
    QCOMPARE(r.exitCode, out.isEmpty() ? 1 : 0);
    // Byte for byte; the sizes first, so a mismatch does not print megabytes.
    QCOMPARE(r.out.size(), out.size());
    QVERIFY(r.out == out);
    QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.contains(err), qPrintable(r.err));
}

void TestCommandLine::runs_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("output");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("err"); // the whole of standard error, but for the sandbox notice
    QTest::addColumn<bool>("browser"); // starts one: as root, the notice comes first
    const QString cannotWrite = QStringLiteral("markloom: cannot write the output\n");
    const QByteArray big = "<P>" + QByteArray(8 << 20, 'x') + "</P>";
    QTest::newRow("-V") << QStringList{"-V"} << QByteArray() << int(Read) << 0
                        << QByteArray("markloom " MARKLOOM_VERSION "\n") << QString() << false;
    QTest::newRow("-h, closed") << QStringList{"-h"} << QByteArray() << int(Closed) << 1 << QByteArray() << cannotWrite
                                << false;
    QTest::newRow("--version, full") << QStringList{"--version"} << QByteArray() << int(Full) << 1 << QByteArray()
                                     << cannotWrite << false;
    QTest::newRow("data, closed") << QStringList{"--data", "-"} << QByteArray("<P>x</P>") << int(Closed) << 1
                                  << QByteArray() << cannotWrite << false;
    QTest::newRow("data, full") << QStringList{"--data", "-"} << big << int(Full) << 1 << QByteArray() << cannotWrite
                                << false;
    QTest::newRow("data | head -c1") << QStringList{"--data", "-"} << big << int(ClosedEarly) << 1 << QByteArray("x")
                                     << cannotWrite << false;
    const QString longWord = QString(5000, u'x');
    QTest::newRow("usage error") << QStringList{"--" + longWord} << QByteArray() << int(Read) << 2 << QByteArray()
                                 << "markloom: unknown option --" + longWord.left(198)
                                        + "...\nTry 'markloom --help' for more information.\n"
                                 << false;
    QTest::newRow("long address") << QStringList{"--dump", "nosuch:" + longWord} << QByteArray() << int(Read) << 1
                                  << QByteArray()
                                  << "markloom: cannot load this address: nosuch:" + longWord.left(193) + "...\n"
                                  << true;
    const QString loop = markloomtest::sandboxPath(QStringLiteral("cli")) + QStringLiteral("/loop.html");
    QFile f(loop);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("<script>for (;;) {}</script>") > 0);
    const QString url = QUrl::fromLocalFile(loop).toString();
    QTest::newRow("endless loop") << QStringList{"--timeout", "1", "--dump", url} << QByteArray() << int(Read) << 1
                                  << QByteArray() << "markloom: timed out after 1 s: " + url + "\n" << true;
}

void TestCommandLine::runs()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, output);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QString, err);
    QFETCH(bool, browser);
    const Run r = run(args, input, Output(output));
    QCOMPARE(r.status, QProcess::NormalExit); // never killed by SIGPIPE
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, out);
    const QString notice = QStringLiteral("markloom: running as root, the browser sandbox is switched off\n");
    QCOMPARE(r.err, (browser && geteuid() == 0 ? notice : QString()) + err);
    // Nothing it started outlives it, engine processes included.
    const auto inSession = [&r] {
        QStringList pids = markloomtest::processIds();
        pids.removeIf([&](const QString &pid) {
            const QList<QByteArray> stat = markloomtest::processStat(pid);
            return stat.value(3).toLongLong() != r.session || stat.value(0) == "Z";
        });
        return pids;
    };
    QTRY_COMPARE(inSession(), QStringList());
}

MARKLOOM_CORE_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
