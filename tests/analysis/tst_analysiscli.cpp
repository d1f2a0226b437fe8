#include "analysis/analysisrules.h"
#include "support/testenv.h"

#include <QProcess>
#include <QtTest>

// markloom --scripts - / --data -: the source comes from standard input and
// no browser is started.
class TestAnalysisCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void extract_data();
    void extract();
};

void TestAnalysisCli::extract_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("err"); // expected within standard error

    const QString noScripts = analysis::kNoScriptsMessage;
    const QString noData = analysis::kNoDataMessage;
    const QString smile = QString::fromUtf16(u"\U0001F600");

    QTest::newRow("scripts") << "--scripts" << QByteArray("<SCRIPT>x</SCRIPT>\n<script>y</script><SCRIPT>z") << 0
                             << QByteArray("<SCRIPT>x</SCRIPT>\r\n<SCRIPT>z\r\n") << QString();
    QTest::newRow("data, UTF-8") << "--data" << QStringLiteral("<P>日本語</P><P>%1</P>").arg(smile).toUtf8() << 0
                                 << QStringLiteral("日本語\r\n%1\r\n").arg(smile).toUtf8() << QString();
    QTest::newRow("NUL") << "--data" << QByteArray("<P>a\0b</P>", 10) << 0 << QByteArray("a\0b\r\n", 5) << QString();
    QTest::newRow("invalid UTF-8") << "--data" << QByteArray("<P>\xff</P>") << 0
                                   << QStringLiteral("\uFFFD\r\n").toUtf8() << QString();
    // The nine characters after "</" end inside a pair: the window holds the
    // same half, and the output is its UTF-8 form.
    const QString cut = QStringLiteral("<SCRIPT></SCRIPT") + smile.left(1) + QStringLiteral("\r\n");
    QTest::newRow("pair cut") << "--scripts" << QStringLiteral("<SCRIPT></SCRIPT%1>").arg(smile).toUtf8() << 0
                              << cut.toUtf8() << QString();
    // Longer than one written slice, with a pair across the slice boundary.
    const QString many = QStringLiteral("a") + smile.repeated(600000);
    QTest::newRow("long item") << "--data" << (QStringLiteral("<P>") + many + QStringLiteral("</P>")).toUtf8() << 0
                               << (many + QStringLiteral("\r\n")).toUtf8() << QString();
    QTest::newRow("empty, scripts") << "--scripts" << QByteArray() << 1 << QByteArray() << noScripts;
    QTest::newRow("empty, data") << "--data" << QByteArray() << 1 << QByteArray() << noData;
    QTest::newRow("no tags") << "--data" << QByteArray("plain text") << 1 << QByteArray() << noData;
    QTest::newRow("lone < at the end") << "--scripts" << QByteArray("text<") << 1 << QByteArray() << noScripts;
    QTest::newRow("over the cap") << "--data" << (QByteArray("<a>") + QByteArray(100000, '<')) << 1 << QByteArray()
                                  << analysis::overCapMessage();
}

void TestAnalysisCli::extract()
{
    QFETCH(QString, option);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QString, err);

    QProcess markloom;
    markloom.start(QStringLiteral(MARKLOOM_BINARY), {option, QStringLiteral("-")});
    QVERIFY(markloom.waitForStarted());
    markloom.write(input);
    markloom.closeWriteChannel();
    QVERIFY(markloom.waitForFinished(120000));
    QCOMPARE(markloom.exitStatus(), QProcess::NormalExit);
    const QByteArray stdOut = markloom.readAllStandardOutput();
    const QString stdErr = QString::fromUtf8(markloom.readAllStandardError());
    QCOMPARE(markloom.exitCode(), exitCode);
    QCOMPARE(stdOut.size(), out.size());
    QVERIFY(stdOut == out);
    if (!err.isEmpty())
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
    else
        QVERIFY2(!stdErr.contains(QStringLiteral("このソース")), qPrintable(stdErr));
}

MARKLOOM_CORE_TEST_MAIN(TestAnalysisCli)
#include "tst_analysiscli.moc"
