// The command line: option parsing, and the program itself run as a process
// for what only a process shows (exit status, streams, engine processes).

#include "analysis/analysisrules.h"
#include "cli/batchlist.h"
#include "cli/batchprogress.h"
#include "cli/jsonlines.h"
#include "cli/options.h"
#include "cli/resumefile.h"
#include "support/pageserver.h"
#include "support/testenv.h"

#include <QBuffer>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

// Terminal: standard error is a terminal. Term, Int: the signal once a page
// is held for every job, and for Term in a batch the first line is out.
// NoDisplay: no display to connect to.
enum Output { Read, Closed, Full, ClosedEarly, Terminal, Term, Int, NoDisplay };

struct Run {
    qint64 session = 0; // the program's own: it is started as a session leader
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QByteArray out;
    QString err;
    QStringList left; // its temporary folders still there after it
};

// One run of the program: what it is given, and what it must do.
struct RunCase {
    QStringList args;
    QByteArray input;
    Output output = Read;
    int exitCode = 0; // -1: ended by the signal it was sent, raised again once its temporary folders are gone
    QByteArray out;
    QString err; // the whole of standard error, or a pattern ("^..."), but for the sandbox notice
    bool browser = true; // starts one: as root, the notice comes first
};

int jobsOf(const QStringList &args) { return qMax(1, args.value(args.indexOf(QStringLiteral("--jobs")) + 1).toInt()); }

// Runs the program in a session of its own, so that every process it starts
// can be found afterwards; held() tells how many requests the test's server
// holds unanswered.
Run run(const QStringList &args, const QByteArray &input, Output output, const std::function<int()> &held = {})
{
    QProcess p;
    // As root the program switches the sandbox off itself, and says so only
    // when it starts a browser.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (geteuid() == 0)
        env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    if (output == NoDisplay)
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
    static int runs = 0;
    const QString tmp = markloomtest::sandboxPath(QStringLiteral("tmp-%1").arg(++runs));
    env.insert(QStringLiteral("TMPDIR"), tmp);
    p.setProcessEnvironment(env);
    int terminal = -1, terminalEnd = -1;
    if (output == Terminal && openpty(&terminal, &terminalEnd, nullptr, nullptr, nullptr) != 0)
        return Run();
    p.setChildProcessModifier([output, terminalEnd] {
        setsid();
        if (output == Closed)
            close(STDOUT_FILENO);
        if (output == Terminal)
            dup2(terminalEnd, STDERR_FILENO);
    });
    if (output == Full)
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
    // Like "| head -c1": one byte read, then the pipe is gone.
    QProcess head;
    if (output == ClosedEarly) {
        p.setStandardOutputProcess(&head);
        head.start(QStringLiteral("head"), {QStringLiteral("-c1")});
    }
    QSignalSpy finished(&p, &QProcess::finished);
    p.start(QStringLiteral(MARKLOOM_BINARY), args);
    Run r;
    if (!p.waitForStarted())
        return r;
    r.session = p.processId();
    p.write(input);
    p.closeWriteChannel();
    if (output == Term || output == Int) {
        const bool firstLine = output == Term && args.contains(QStringLiteral("--batch"));
        if (!QTest::qWaitFor(
                [&] { return ((r.out += p.readAllStandardOutput()).contains('\n') || !firstLine) && held() >= jobsOf(args); },
                60000))
            return r;
        kill(pid_t(p.processId()), output == Term ? SIGTERM : SIGINT);
    }
    if ((finished.isEmpty() && !finished.wait(180000))
        || (output == ClosedEarly && head.state() != QProcess::NotRunning && !head.waitForFinished(10000)))
        return r;
    r.exitCode = p.exitCode();
    r.status = p.exitStatus();
    r.left = QDir(tmp).entryList({QStringLiteral("markloom-*")}, QDir::AllEntries | QDir::Hidden);
    if (output == ClosedEarly)
        r.out = head.readAllStandardOutput();
    else if (output != Closed && output != Full)
        r.out += p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    if (output == Terminal) {
        QByteArray shown(1 << 16, 0);
        fcntl(terminal, F_SETFL, O_NONBLOCK);
        const ssize_t n = read(terminal, shown.data(), size_t(shown.size()));
        r.err = QString::fromUtf8(shown.first(qMax<ssize_t>(n, 0))).replace(QLatin1String("\r\n"), QLatin1String("\n"));
        close(terminal);
        close(terminalEnd);
    }
    return r;
}

} // namespace

Q_DECLARE_METATYPE(RunCase)

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void options_data();
    void options();
    void jsonLines_data();
    void jsonLines();
    void batchList_data();
    void batchList();
    void progress_data();
    void progress();
    void resume_data();
    void resume();
    void runs_data();
    void runs();

private:
    markloomtest::PageServer m_server;
};

namespace {
// The options parsed, as "mode address" and every value that is not its default.
QString parsed(const cli::Options &o)
{
    static const char *const modes[] = {"window", "dump", "scripts", "data", "batch", "help", "version", "error"};
    if (o.mode == cli::Mode::Error)
        return o.error.isEmpty() ? QStringLiteral("error without a message") : QStringLiteral("error");
    QStringList d{QString::fromLatin1(modes[int(o.mode)]), o.address};
    const auto add = [&d](bool differs, const QString &text) { d << (differs ? text : QString()); };
    add(o.timeoutSeconds != 60, QStringLiteral("timeout=%1").arg(o.timeoutSeconds));
    add(o.settleMs >= 0, QStringLiteral("settle=%1").arg(o.settleMs));
    add(o.frames, QStringLiteral("frames"));
    add(o.format, QStringLiteral("format"));
    add(!o.batchList.isEmpty(), QStringLiteral("list=") + o.batchList);
    add(o.jobs != 0, QStringLiteral("jobs=%1").arg(o.jobs));
    add(o.shardCount != 1, QStringLiteral("shard=%1/%2").arg(o.shardIndex).arg(o.shardCount));
    add(!o.resumeFile.isEmpty(), QStringLiteral("resume=") + o.resumeFile);
    add(o.quiet, QStringLiteral("quiet"));
    d.removeAll(QString());
    return d.join(QLatin1Char(' '));
}
} // namespace

void TestCommandLine::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    const QList<std::pair<QStringList, QString>> rows{
        {{}, "window"},
        {{"a", "b", "c"}, "window a b c"},
        {{"--dump", "x.test"}, "dump x.test"},
        {{"--timeout", "5", "--data", "-"}, "data - timeout=5"},
        {{"--scripts", "u", "--timeout=007"}, "scripts u timeout=7"},
        {{"--help", "x"}, "help"},
        {{"x", "-h"}, "help"},
        {{"--version"}, "version"},
        {{"-V", "--dump", "x"}, "version"},
        {{"--", "-h"}, "window -h"},
        {{"-x"}, "error"},
        {{"--dump", "-v"}, "error"},
        {{"--", "-x", "--bogus"}, "window -x --bogus"},
        {{"--dump"}, "error"},
        {{"--dump", "-"}, "error"},
        {{"--dump", "--data", "x"}, "error"},
        {{"--frames", "--dump", "u", "--settle", "0"}, "dump u settle=0 frames"},
        {{"--data", "u", "--settle=1500"}, "data u settle=1500"},
        {{"--batch", "-", "--jobs", "3", "--shard=2/5", "--settle", "10"}, "batch settle=10 list=- jobs=3 shard=2/5"},
        {{"--batch=l", "--shard", "7/7", "--timeout", "9"}, "batch timeout=9 list=l shard=7/7"},
        {{"--batch", "--jobs"}, "batch list=--jobs"},
        {{"--frames", "u"}, "error"},
        {{"--format", "--dump", "u", "--frames"}, "dump u frames format"},
        {{"--batch", "l", "--format"}, "batch format list=l"},
        {{"--format", "--data", "-"}, "error"},
        {{"--format", "u"}, "error"},
        {{"--settle", "5", "u"}, "error"},
        {{"--settle", "5", "--scripts", "-"}, "error"},
        {{"--jobs", "2", "--dump", "u"}, "error"},
        {{"--shard", "1/2", "--dump", "u"}, "error"},
        {{"--batch", "l", "u"}, "error"},
        {{"--batch", "l", "--dump"}, "error"},
        {{"--batch"}, "error"},
        {{"--batch="}, "error"},
        {{"--quiet", "--batch", "-", "--resume=o"}, "batch list=- resume=o quiet"},
        {{"--batch", "-", "--resume"}, "error"},
        {{"--batch", "-", "--resume="}, "error"},
        {{"--resume", "o", "--dump", "u"}, "error"},
        {{"--quiet", "--data", "-"}, "error"},
    };
    for (const auto &[args, expected] : rows)
        QTest::newRow(qPrintable(args.join(QLatin1Char(' ')))) << args << expected;
    const std::pair<QString, QStringList> bad[] = {
        {"--timeout", {"0", " 5", "5 ", "+5", "-5", "5s", "0x5", "1e3", "", "99999999999", "2000001"}},
        {"--settle", {" 5", "-1", "5.0", "", "2000000001"}},
        {"--jobs", {"0", "1001", "two"}},
        {"--shard", {"0/2", "3/2", "x/y", "1/0", "1", "/2", "1/", "1/2/3", " 1/2", "1 /2", "+1/2", "1/1000001"}}};
    for (const auto &[option, values] : bad)
        for (const QString &value : values)
            QTest::addRow("%s '%s'", qPrintable(option), qPrintable(value))
                << QStringList{option, value, "--batch", "-"} << "error";
}

void TestCommandLine::options()
{
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    QCOMPARE(parsed(cli::parse(args)), expected);
}

void TestCommandLine::jsonLines_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("written"); // within the quotes
    QTest::newRow("quote, backslash, slash") << QString("a \"b\\c/~") << QByteArray(R"(a \"b\\c/~)");
    QTest::newRow("controls") << QString::fromUtf16(u"\b\f\n\r\t\x01\x1f\x7f", 8)
                              << QByteArray("\\b\\f\\n\\r\\t\\u0001\\u001f\x7f");
    QTest::newRow("NUL") << QString(QChar(0)) << QByteArray("\\u0000");
    QTest::newRow("UTF-8") << QString::fromUtf16(u"\u00e9\u65e5\U0001F600")
                           << QByteArray("\xc3\xa9\xe6\x97\xa5\xf0\x9f\x98\x80");
    QTest::newRow("line ends of JavaScript") << QString::fromUtf16(u"\u2028\u2029") << QByteArray("\\u2028\\u2029");
    QTest::newRow("lone surrogates") << QString::fromUtf16(u"\xd83d" "a\xde00\xde00\xd83d", 5)
                                     << QByteArray("\\ud83da\\ude00\\ude00\\ud83d");
    // Longer than one slice and one piece, with a pair across the slice end.
    const QString pair = QString::fromUtf16(u"\U0001F600");
    QTest::newRow("long") << QString(65535, u'"') + pair + QString(600000, u'\n')
                          << QByteArray("\\\"").repeated(65535) + pair.toUtf8() + QByteArray("\\n").repeated(600000);
}

void TestCommandLine::jsonLines()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, written);
    QByteArray out;
    int pieces = 0;
    cli::JsonLineWriter writer([&](QByteArrayView piece) { return (out += piece, ++pieces); });
    writer.beginObject();
    writer.add(QLatin1String("top"), true);
    writer.add(QLatin1String("v"), value);
    QVERIFY(writer.endObject());
    const QByteArray line = "{\"top\":true,\"v\":\"" + written + "\"}\n";
    QCOMPARE(out.size(), line.size());
    QVERIFY(out == line);
    QCOMPARE(pieces > 1, line.size() > (1 << 20));
    // A piece the sink refuses fails its line, one in the middle too.
    cli::JsonLineWriter refusing([calls = 0](QByteArrayView) mutable { return calls++ > 0; });
    refusing.beginObject();
    refusing.add(QLatin1String("v"), value);
    QVERIFY(!refusing.endObject());
}

void TestCommandLine::batchList_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QList<int>>("shard"); // K, N
    QTest::addColumn<QStringList>("taken");
    const QByteArray five = "\xef\xbb\xbf a \r\n\n  \t\r\nb\nc d\n\n e\r\n f";
    QTest::newRow("all") << five << QList<int>{1, 1} << QStringList{"a", "b", "c d", "e", "f"};
    QTest::newRow("1/2") << five << QList<int>{1, 2} << QStringList{"a", "c d", "f"};
    QTest::newRow("2/2") << five << QList<int>{2, 2} << QStringList{"b", "e"};
    QTest::newRow("4/5") << five << QList<int>{4, 5} << QStringList{"e"};
    QTest::newRow("7/7, too few") << five << QList<int>{7, 7} << QStringList{};
    QTest::newRow("blank") << QByteArray(" \n\r\n") << QList<int>{1, 1} << QStringList{};
}

void TestCommandLine::batchList()
{
    QFETCH(QByteArray, list);
    QFETCH(QList<int>, shard);
    QFETCH(QStringList, taken);
    QBuffer in(&list);
    QVERIFY(in.open(QIODevice::ReadOnly));
    cli::AddressList addresses(&in, shard.at(0), shard.at(1));
    QStringList read;
    for (auto a = addresses.next(); a; a = addresses.next())
        read << *a;
    QCOMPARE(read, taken); // (their answers in order: the batch row of the runs)
}

void TestCommandLine::progress_data()
{
    QTest::addColumn<QList<qint64>>("figures"); // done, total, failed, done here, ms
    QTest::addColumn<QString>("line");
    QTest::newRow("nothing done yet") << QList<qint64>{0, 200, 0, 0, 900} << "0/200 done";
    QTest::newRow("failed before any time passed") << QList<qint64>{1, 200, 1, 1, 0} << "1/200 done, 1 failed";
    QTest::newRow("total unknown") << QList<qint64>{5, -1, 1, 5, 1000} << "5 done, 5.0 pages/s, 1 failed";
    QTest::newRow("minutes left") << QList<qint64>{120, 400, 3, 100, 20000}
                                  << "120/400 done, 5.0 pages/s, 3 failed, 0:56 left";
    QTest::newRow("hours left") << QList<qint64>{1, 3606, 0, 1, 1000} << "1/3606 done, 1.0 pages/s, 1:00:05 left";
    // Going on from 60,000: the rate is this run's own.
    QTest::newRow("resumed") << QList<qint64>{60010, 100000, 0, 10, 4000}
                             << "60010/100000 done, 2.5 pages/s, 4:26:36 left";
    QTest::newRow("all done") << QList<qint64>{7, 7, 0, 7, 2000} << "7/7 done, 3.5 pages/s, 0:00 left";
}

void TestCommandLine::progress()
{
    QFETCH(QList<qint64>, figures);
    QFETCH(QString, line);
    QCOMPARE(cli::progressLine({figures[0], figures[1], figures[2], figures[3], figures[4]}), line);
}

void TestCommandLine::resume_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("answered"); // a digit per address; "": not resumable
    QTest::addColumn<qint64>("keep");
    QTest::addColumn<QString>("error");
    const auto ok = [](const char *a) { return "{\"address\":\"" + QByteArray(a) + "\",\"url\":\"u\",\"source\":\"\"}\n"; };
    const auto bad = [](const char *a) { return "{\"address\":\"" + QByteArray(a) + "\",\"error\":\"e\"}\n"; };
    const QStringList abc{"a", "b", "c"};
    QTest::newRow("empty") << abc << QByteArray() << "000" << 0LL << QString();
    QTest::newRow("complete") << abc << ok("a") + ok("b") + ok("c") << "111" << 3LL * ok("a").size() << QString();
    QTest::newRow("cut in a line") << abc << ok("a") + ok("b").first(9) << "100" << qint64(ok("a").size()) << QString();
    QTest::newRow("cut after the brace") << abc << ok("a") + ok("b").chopped(1) << "100" << qint64(ok("a").size())
                                         << QString();
    // Failed addresses are tried again by a later run, which writes after the first.
    QTest::newRow("a later run") << abc << ok("a") + bad("b") + ok("c") + ok("b") << "111"
                                 << qint64(3 * ok("a").size() + bad("b").size()) << QString();
    QTest::newRow("a later run, failing again") << abc << bad("a") + bad("b") + ok("a") + bad("b") + ok("c") << "101"
                                                << qint64(3 * bad("a").size() + 2 * ok("a").size()) << QString();
    QTest::newRow("duplicates") << QStringList{"a", "b", "a", "a"} << ok("a") + bad("b") + ok("a") << "1010"
                                << qint64(2 * ok("a").size() + bad("b").size()) << QString();
    QTest::newRow("duplicates, a later run") << QStringList{"a", "a", "b"} << bad("a") + ok("a") + ok("a")
                                             << "110" << qint64(bad("a").size() + 2 * ok("a").size()) << QString();
    QTest::newRow("not JSON Lines") << abc << QByteArray("a\nb\n") << "" << 0LL
                                    << "line 1 is not a line of a batch's output";
    QTest::newRow("not JSON Lines, no line end") << abc << QByteArray("{\"a\":1}") << "" << 0LL
                                                 << "line 1 is not a line of a batch's output";
    QTest::newRow("an object without an address") << abc << ok("a") + "{\"url\":\"a\"}\n" << "" << 0LL
                                                   << "line 2 is not a line of a batch's output";
    QTest::newRow("another list") << abc << ok("a") + ok("x") << "" << 0LL << "line 2 is for x, where the list has b";
    QTest::newRow("a shorter list") << QStringList{"a"} << ok("a") + ok("a") << "" << 0LL
                                    << "line 2 is for a, and every address of the list is answered before it";
}

void TestCommandLine::resume()
{
    QFETCH(QStringList, list);
    QFETCH(QByteArray, file);
    QFETCH(QString, answered);
    QFETCH(qint64, keep);
    QFETCH(QString, error);
    QBuffer in(&file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const cli::ResumePoint point = cli::readResume(&in, list);
    QCOMPARE(point.error, error);
    QString got;
    for (const bool a : point.answered)
        got += a ? u'1' : u'0';
    QCOMPARE(got, answered);
    QCOMPARE(point.answeredCount, qint64(answered.count(u'1')));
    QCOMPARE(point.keep, keep);
}

void TestCommandLine::runs_data()
{
    QTest::addColumn<RunCase>("c");
    const QString cannotWrite = QStringLiteral("markloom: cannot write the output\n");
    const QByteArray big = "<P>" + QByteArray(8 << 20, 'x') + "</P>";
    QTest::newRow("-V") << RunCase{.args = {"-V"}, .out = "markloom " MARKLOOM_VERSION "\n", .browser = false};
    QTest::newRow("--version, full") << RunCase{{"--version"}, {}, Full, 1, {}, cannotWrite, false};
    QTest::newRow("data, closed") << RunCase{{"--data", "-"}, "<P>x</P>", Closed, 1, {}, cannotWrite, false};
    QTest::newRow("data, full") << RunCase{{"--data", "-"}, big, Full, 1, {}, cannotWrite, false};
    QTest::newRow("data | head -c1") << RunCase{{"--data", "-"}, big, ClosedEarly, 1, "x", cannotWrite, false};
    // What --scripts and --data find, a line each; nothing found fails with the window's message.
    const auto found = [](const char *option, const QByteArray &input, const QByteArray &out, const QString &err = {}) {
        return RunCase{{option, "-"}, input, Read, out.isEmpty() ? 1 : 0, out, err.isEmpty() ? err : "markloom: " + err + "\n", false};
    };
    QTest::newRow("scripts") << found("--scripts", "<SCRIPT>x</SCRIPT>\n<script>y</script><SCRIPT>z",
                                      "<SCRIPT>x</SCRIPT>\r\n<script>y</script>\r\n<SCRIPT>z\r\n");
    const QString smile = QString::fromUtf16(u"\U0001F600");
    QTest::newRow("data, UTF-8") << found("--data", QStringLiteral("<P>日本語</P><P>%1</P>").arg(smile).toUtf8(),
                                          QStringLiteral("日本語\r\n%1\r\n").arg(smile).toUtf8());
    QTest::newRow("data, NUL") << found("--data", QByteArray("<P>a\0b</P>", 10), QByteArray("a\0b\r\n", 5));
    // Longer than one written slice, with a pair across the slice boundary.
    const QString many = QStringLiteral("a") + smile.repeated(600000);
    QTest::newRow("data, long item") << found("--data", (QStringLiteral("<P>") + many + QStringLiteral("</P>")).toUtf8(),
                                              (many + QStringLiteral("\r\n")).toUtf8());
    QTest::newRow("no scripts") << found("--scripts", "<P>x</P>", {}, analysis::kNoScriptsMessage);
    QTest::newRow("no data") << found("--data", "plain text", {}, analysis::kNoDataMessage);
    QTest::newRow("over the cap") << found("--data", QByteArray("<a>") + QByteArray(100000, '<'), {}, analysis::overCapMessage());
    const QString longWord = QString(5000, u'x');
    QTest::newRow("usage error") << RunCase{.args = {"--" + longWord}, .exitCode = 2,
                                            .err = "markloom: unknown option --" + longWord.left(198)
                                                + "...\nTry 'markloom --help' for more information.\n",
                                            .browser = false};
    QTest::newRow("no display") << RunCase{{"x.test"}, {}, NoDisplay, 1, {},
                                           "markloom: cannot open a window: no display could be reached; without one, use "
                                           "markloom --dump ADDRESS (see --help)\n"};
    QTest::newRow("long address")
        << RunCase{.args = {"--dump", "nosuch:" + longWord}, .exitCode = 1,
                   .err = "markloom: cannot load this address: nosuch:" + longWord.left(193) + "...\n"};
    const auto file = [](const char *name, const QByteArray &text) {
        QFile f(markloomtest::sandboxPath(QStringLiteral("cli")) + QLatin1Char('/') + QLatin1String(name));
        const bool written = f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
        return written ? f.fileName() : QString();
    };
    const auto page = [&file](const char *name, const QByteArray &text) {
        return QUrl::fromLocalFile(file(name, text)).toString();
    };
    // Settled pages stay: a refresh as the page completes is not followed.
    const QByteArray refresh = "<meta http-equiv=refresh content='0; url=elsewhere.html'>";
    QTest::newRow("settle, refresh")
        << RunCase{.args = {"--dump", page("refresh.html", refresh), "--settle", "1000"},
                   .out = "<head>" + QByteArray(refresh).replace("=refresh", "=\"refresh\"").replace('\'', '"')
                       + "</head><body></body>"};
    // Read again once changed: the top reaches its srcdoc frame, not that
    // one's data: frame (another origin).
    const QByteArray framed = "<title>top</title><iframe srcdoc=\"<title>b</title><iframe src='data:text/html,a'>"
                              "</iframe>\"></iframe><script>onload = () => setTimeout(() => { document.title = 'top \\ud800';"
                              " frames[0].document.title = 'b \\udfff'; })</script>";
    const QString top = page("frames.html", framed);
    QTest::newRow("frames, settled") << RunCase{
        .args = {"--settle", "1000", "--frames", "--dump", top},
        .out = QByteArray(R"({"url":"data:text/html,a","title":"","top":false,"source":"<head></head><body>a</body>"})" "\n"
                      R"({"url":"about:srcdoc","title":"b \udfff","top":false,"source":"<head><title>b \udfff</title></head>)"
                      R"(<body><iframe src=\"data:text/html,a\"></iframe></body>"})" "\n"
                      R"({"url":")" + top.toUtf8()
                      + R"(","title":"top \ud800","top":true,"source":"<head><title>top \ud800</title></head><body>)"
                      + QByteArray(framed).replace("<title>top</title>", "").replace("\\", "\\\\").replace("\"", "\\\"")
                      + "</body>\"}\n")};
    // With no display, pages still see a desktop's screen, larger than their window.
    QTest::newRow("screen, no display")
        << RunCase{{"--dump", page("screen.html", "<body><script>document.body.textContent = [screen.width, "
                                                  "screen.height]</script>")},
                   {}, NoDisplay, 0, "<head></head><body>1920,1080</body>"};
    const QString rootless = page("rootless.html", "<body><script>document.documentElement.remove()</script>");
    QTest::newRow("no root element")
        << RunCase{.args = {"--dump", rootless}, .exitCode = 1, .err = "markloom: the document has no root element\n"};
    // The engine's own page for a failed load is never a source.
    QTest::newRow("failed") << RunCase{.args = {"--dump", "http://nosuch.test/"}, .exitCode = 1,
                                       .err = "markloom: loading failed (net::ERR_NAME_NOT_RESOLVED): http://nosuch.test/\n"};
    // HTTP status: said, not failed. Sources as --format prints them, escaped
    // as a JSON string.
    const auto formatted = [](const char *status) {
        return QStringLiteral(R"(<head>\n  <title>%1</title>\n</head>\n<body>\n  status\n</body>)").arg(status).toUtf8();
    };
    QTest::newRow("status 404, formatted") << RunCase{.args = {"--dump", m_server.url("404"), "--format"},
                                                      .out = formatted("404").replace("\\n", "\n"), .err = "markloom: HTTP 404\n"};
    QTest::newRow("status, frames, formatted")
        << RunCase{.args = {"--frames", "--format", "--dump", m_server.url("500")},
                   .out = (R"({"url":")" + m_server.url("500") + R"(","title":"500","top":true,"status":500,"source":")"
                           + formatted("500") + "\"}\n").toUtf8()};
    // A page that never finishes: its source as it stood at the timeout.
    QTest::newRow("timed out") << RunCase{{"--timeout", "30", "--dump", m_server.url("partial")}, {}, Read, 1,
                                          "<head><title>partial</title></head><body><p>so far</p></body>",
                                          "markloom: timed out; the source is the page as it stood\n"};
    // Every other line (blank lines are none), written in the list's order: those
    // that time out hold up the rest.
    const QString good = page("good.html", "<title>good</title>good");
    const QByteArray partial = m_server.url("partial").toUtf8(), notFound = m_server.url("404").toUtf8();
    QTest::newRow("batch") << RunCase{
        {"--batch", "-", "--jobs", "4", "--timeout", "30", "--shard", "1/2", "--format"},
        (m_server.url("silent") + "\nskipped:1\n\n" + partial + "\nskipped:2\n  " + notFound + " \nskipped:3\n" + good
            + "\nskipped:4\nnosuch:x\nskipped:5\n/")
               .toUtf8(),
        Read, 1,
        (R"({"address":")" + m_server.url("silent").toUtf8() + R"(","error":"timed out after 30 s"})" "\n"
            R"({"address":")" + partial + R"(","url":")" + partial + R"(","title":"partial","source":"<head>)"
            R"(\n  <title>partial</title>\n</head>\n<body>\n  <p>\n    so far\n  </p>\n</body>","error":"timed out"})" "\n"
            R"({"address":")" + notFound + R"(","url":")" + notFound + R"(","title":"404","status":404,"source":")"
            + formatted("404") + "\"}\n"
            R"({"address":")" + good.toUtf8() + R"(","url":")" + good.toUtf8()
            + R"(","title":"good","source":"<head>\n  <title>good</title>\n</head>\n<body>\n  good\n</body>"})" "\n"
            R"({"address":"nosuch:x","error":"cannot load this address"})" "\n"
            R"({"address":"/","error":"not a page"})" "\n")};
    QTest::newRow("batch, closed") << RunCase{{"--batch", "-"}, "nosuch:x", Closed, 1, {}, cannotWrite};
    QTest::newRow("batch, no list") << RunCase{.args = {"--batch", "/no"}, .exitCode = 2,
                                               .err = "markloom: cannot read the list /no: No such file or directory\n"};
    const auto line = [](const QString &address, const QString &title, const QString &source) {
        const QString status = address.startsWith(QLatin1String("http:")) ? QStringLiteral(R"("status":200,)") : QString();
        return QStringLiteral(R"({"address":"%1","url":"%1","title":"%2",%3"source":"%4"})" "\n")
            .arg(address, title, status, QString(source).replace(u'"', QLatin1String("\\\""))).toUtf8();
    };
    const QByteArray goodLine = line(good, "good", "<head><title>good</title></head><body>good</body>");
    // Pages from one site in one job: one stores in local storage and a
    // database, one sets a cookie, and the one after each looks (its load
    // ends once IndexedDB has told), in a full viewport at a screen's density,
    // on a desktop-sized screen.
    const QByteArray storing = "<script>localStorage.k = 1; indexedDB.open('k')</script>";
    const QByteArray baking = "<script>document.cookie = 'k=1'</script>";
    const QByteArray looking = "<iframe id=\"f\" src='/hold'></iframe><script>with (document) { title = [devicePixelRatio, "
                               "innerWidth, innerHeight, screen.width, screen.height] + ' c=' + cookie + ' l=' + "
                               "localStorage.length; indexedDB.databases().then(d => { title += ' i=' + d.length; "
                               "f.src = 'about:blank' }) }</script>";
    const QString stores = m_server.add("store", storing), bakes = m_server.add("bake", baking),
                  looks = m_server.add("look", looking);
    const QByteArray looked = line(looks, "1,1280,800,1920,1080 c= l=0 i=0",
                                   "<head><title>1,1280,800,1920,1080 c= l=0 i=0</title></head><body>"
                                       + QString(looking).replace("'/hold'", "\"about:blank\"") + "</body>");
    QTest::newRow("batch, nothing stored is seen")
        << RunCase{{"--batch", "-", "--jobs", "1"}, (stores + "\n" + looks + "\n" + bakes + "\n" + looks).toUtf8(), Read, 0,
                   line(stores, "", "<head>" + storing + "</head><body></body>") + looked
                       + line(bakes, "", "<head>" + baking + "</head><body></body>") + looked};
    // Signals: the line being written is the last, and with two jobs no more
    // than two pages are ever under way; in every mode the temporary folders go.
    const QString hold = m_server.url("held");
    QTest::newRow("batch, SIGTERM") << RunCase{{"--batch", "-", "--jobs", "2"},
                                               (good + "\n" + hold + "\n" + hold + "\n" + hold).toUtf8(), Term, 143, goodLine};
    QTest::newRow("batch, SIGINT") << RunCase{{"--batch", "-", "--jobs", "2"},
                                              (hold + "\n" + hold + "\n" + hold + "\n" + good).toUtf8(), Int, 130};
    QTest::newRow("--dump, SIGTERM") << RunCase{{"--dump", hold}, {}, Term, -1};
    QTest::newRow("window, SIGINT") << RunCase{{hold}, {}, Int, -1, {}, "^" /* the toolkit's notices */};
    // Standard error a terminal: the progress line (a pattern), unless --quiet.
    QTest::newRow("batch, on a terminal")
        << RunCase{{"--batch", file("list.txt", good.toUtf8())}, {}, Terminal, 0, goodLine,
                   R"(^(\r[01]/1 done[^\r]*\x1b\[K)*\r1/1 done, [0-9.]+ pages/s, 0:00 left\x1b\[K\n$)"};
    QTest::newRow("batch, on a terminal, --quiet") << RunCase{{"--batch", "-", "--quiet"}, good.toUtf8(), Terminal, 0, goodLine, "^$"};
    // --resume: the output goes to the file, shown here after what went to
    // standard output (nothing).
    const QByteArray threeGood = (good + "\n" + good + "\n" + good).toUtf8();
    QTest::newRow("resume, a line cut short, duplicates")
        << RunCase{{"--batch", "-", "--resume", file("cut.jsonl", goodLine + goodLine.first(20))}, threeGood, Read, 0,
                   goodLine + goodLine + goodLine};
    QTest::newRow("resume, all done")
        << RunCase{{"--batch", "-", "--resume", file("done.jsonl", goodLine)}, good.toUtf8(), Read, 0, goodLine};
    const QString other = file("other.jsonl", goodLine);
    // A file it cannot go on with stays as it was.
    QTest::newRow("resume, another list")
        << RunCase{{"--batch", "-", "--resume", other}, "nosuch:x", Read, 2, goodLine,
                   "markloom: cannot go on with " + other + ": line 1 is for " + good + ", where the list has nosuch:x\n"};
}

void TestCommandLine::runs()
{
    QFETCH(RunCase, c);
    const auto &[args, input, output, exitCode, out, err, browser] = c;
    m_server.held = 0;
    Run r = run(args, input, output, [this] { return m_server.held; });
    if (const qsizetype at = args.indexOf(QStringLiteral("--resume")); at >= 0) {
        QFile written(args.at(at + 1));
        QVERIFY(written.open(QIODevice::ReadOnly));
        r.out += written.readAll();
    }
    // Never killed by SIGPIPE.
    QCOMPARE(r.status, exitCode < 0 ? QProcess::CrashExit : QProcess::NormalExit);
    if (exitCode >= 0)
        QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, out);
    QCOMPARE(r.left, QStringList());
    if (output == Term || output == Int)
        QCOMPARE(m_server.held, jobsOf(args));
    const QString notice = QStringLiteral("markloom: running as root, the browser sandbox is switched off\n");
    if (err.startsWith(u'^')) // a pattern
        QVERIFY2(QRegularExpression(err).match(QString(r.err).remove(notice)).hasMatch(), qPrintable(r.err));
    else
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
    QTRY_COMPARE_WITH_TIMEOUT(inSession(), QStringList(), 120000); // as the machine gets to them
}

MARKLOOM_CORE_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
