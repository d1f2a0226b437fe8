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

void TestAnalysisCli::extract()
{
    QFETCH(QString, option);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, out);
    QFETCH(QString, err);
    QProcess markloom;
    markloom.start(QStringLiteral(MARKLOOM_BINARY), {option, QStringLiteral("-")});
    QVERIFY(markloom.waitForStarted());
    markloom.write(input);
    markloom.closeWriteChannel();
    QVERIFY(markloom.waitForFinished(120000));
    QCOMPARE(markloom.exitStatus(), QProcess::NormalExit);
    QCOMPARE(markloom.exitCode(), out.isEmpty() ? 1 : 0);
    // Byte for byte; the sizes first, so a mismatch does not print megabytes.
    const QByteArray stdOut = markloom.readAllStandardOutput();
    QCOMPARE(stdOut.size(), out.size());
    QVERIFY(stdOut == out);
    const QString stdErr = QString::fromUtf8(markloom.readAllStandardError());
    const bool errAsExpected = err.isEmpty() ? !stdErr.contains(u"このソース") : stdErr.contains(err);
    QVERIFY2(errAsExpected, qPrintable(stdErr));
}

MARKLOOM_CORE_TEST_MAIN(TestAnalysisCli)
#include "tst_analysiscli.moc"
