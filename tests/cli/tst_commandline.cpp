// The command line: option parsing, and the program itself run as a process
// for what only a process shows (exit status, streams, engine processes).

#include "analysis/analysisrules.h"
#include "cli/batchlist.h"
#include "cli/jsonlines.h"
#include "cli/options.h"
#include "support/testenv.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QProcess>
#include <QTcpServer>
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
    void jsonLines_data();
    void jsonLines();
    void batchList_data();
    void batchList();
    void extract_data();
    void extract();
    void runs_data();
    void runs();

private:
    QTcpServer m_silent; // accepts, never answers
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
        {{"-x"}, "window -x"},
        {{"--", "--dump"}, "window --dump"},
        {{"--bogus"}, "error"},
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
    QVERIFY(QJsonDocument::fromJson(out).isObject());
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
    QCOMPARE(read, taken);
    // Finished last to first, handed on first to last.
    cli::InOrder<QString> order;
    QStringList released;
    for (qsizetype k = read.size() - 1; k >= 0; --k) {
        order.put(k, read.at(k));
        for (auto next = order.takeNext(); next; next = order.takeNext())
            released << *next;
        QCOMPARE(released.size(), k ? 0 : read.size());
    }
    QCOMPARE(released, read);
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
    const auto page = [](const char *name, const QByteArray &text) {
        QFile f(markloomtest::sandboxPath(QStringLiteral("cli")) + QLatin1Char('/') + QLatin1String(name));
        const bool written = f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
        return written ? QUrl::fromLocalFile(f.fileName()).toString() : QString();
    };
    const QString url = page("loop.html", "<script>for (;;) {}</script>");
    QTest::newRow("endless loop") << QStringList{"--timeout", "1", "--dump", url} << QByteArray() << int(Read) << 1
                                  << QByteArray() << "markloom: timed out after 1 s: " + url + "\n" << true;
    // Each changes 500 ms after its load.
    const QByteArray late = "<script>onload = () => setTimeout(() => document.body.innerHTML = 'late', 500)</script>";
    QTest::newRow("settle, formatted") << QStringList{"--dump", page("late.html", late), "--settle", "1000", "--format"}
                                       << QByteArray() << int(Read) << 0
                                       << "<head>\n  " + late + "\n</head>\n<body>\n  late\n</body>" << QString() << true;
    // The top reaches its srcdoc frame, not that one's data: frame (another origin).
    const QByteArray framed = "<title>top</title><iframe srcdoc=\"<title>b</title><iframe src='data:text/html,a'>"
                              "</iframe>\"></iframe><script>onload = () => setTimeout(() => { document.title = 'top 2';"
                              " frames[0].document.title = 'b 2'; }, 500)</script>";
    const QString top = page("frames.html", framed);
    QTest::newRow("frames, settled, formatted")
        << QStringList{"--settle", "1000", "--frames", "--dump", top, "--format"} << QByteArray() << int(Read) << 0
        << QByteArray(R"({"url":"data:text/html,a","title":"","top":false,"source":"<head></head>\n<body>\n  a\n</body>"})" "\n"
                      R"({"url":"about:srcdoc","title":"b 2","top":false,"source":"<head>\n  <title>b 2</title>\n</head>)"
                      R"(\n<body>\n  <iframe src=\"data:text/html,a\"></iframe>\n</body>"})" "\n"
                      R"({"url":")" + top.toUtf8()
                      + R"(","title":"top 2","top":true,"source":"<head>\n  <title>top 2</title>\n</head>\n<body>\n  )"
                      + QByteArray(framed).replace("<title>top</title>", "").replace("\"", "\\\"").replace("e><s", "e>\\n  <s")
                      + "\\n</body>\"}\n")
        << QString() << true;
    // Two at a time: the good one starts once the bad one has failed, and
    // waits for the one that never answers.
    QVERIFY(m_silent.isListening() || m_silent.listen(QHostAddress::LocalHost));
    const QString good = page("good.html", "<title>good</title>good");
    const QString silent = QStringLiteral("http://127.0.0.1:%1/").arg(m_silent.serverPort());
    QTest::newRow("batch")
        << QStringList{"--batch", "-", "--jobs", "2", "--timeout", "1", "--shard", "1/2", "--format"}
        << ("nosuch:x\nskipped:1\n\n  " + silent + " \nskipped:2\n" + good + "\nskipped:3").toUtf8() << int(Read) << 1
        << (R"({"address":"nosuch:x","error":"cannot load this address"})" "\n"
            R"({"address":")" + silent + R"(","error":"timed out after 1 s"})" "\n"
            R"({"address":")" + good + R"(","url":")" + good
            + R"(","title":"good","source":"<head>\n  <title>good</title>\n</head>\n<body>\n  good\n</body>"})" "\n").toUtf8()
        << QString() << true;
    QTest::newRow("batch, closed") << QStringList{"--batch", "-"} << QByteArray("nosuch:x") << int(Closed) << 1
                                   << QByteArray() << cannotWrite << true;
    QTest::newRow("batch, no list") << QStringList{"--batch", "/no"} << QByteArray() << int(Read) << 2 << QByteArray()
                                    << "markloom: cannot read the list /no: No such file or directory\n" << true;
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
    if (args.contains(QStringLiteral("--frames")) || args.contains(QStringLiteral("--batch")))
        for (const QByteArray &line : r.out.split('\n').mid(0, r.out.count('\n')))
            QVERIFY2(QJsonDocument::fromJson(line).isObject(), line.constData());
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
