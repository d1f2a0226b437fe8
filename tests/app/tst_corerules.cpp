#include "app/captionrule.h"
#include "app/resizerule.h"
#include "app/settingsdefaults.h"
#include "app/settingsstore.h"
#include "browse/docname.h"
#include "support/testenv.h"

#include <QtTest>

class TestCoreRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void caption_data();
    void caption();
    void resizeThresholds_data();
    void resizeThresholds();
    void settingsRoundTrip();
    void settingsParse();
    void docName_data();
    void docName();
};

void TestCoreRules::caption_data()
{
    QTest::addColumn<QString>("doc");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("start-up") << QString() << false << false << QString() << " - Markloom";
    QTest::newRow("plain") << "Page" << false << false << "x.txt" << "Page - Markloom";
    QTest::newRow("modified") << "Page" << true << false << QString() << "Page* - Markloom";
    QTest::newRow("file") << "Page" << false << true << "x.txt" << "Page x.txt - Markloom";
    QTest::newRow("file modified") << "Page" << true << true << "x.txt" << "Page* x.txt - Markloom";
    QTest::newRow("empty name modified") << QString() << true << false << QString() << "* - Markloom";
}

void TestCoreRules::caption()
{
    QFETCH(QString, doc);
    QFETCH(bool, modified);
    QFETCH(bool, hasFile);
    QFETCH(QString, title);
    QFETCH(QString, expected);
    QCOMPARE(caption::compose(doc, modified, hasFile, title), expected);
}

void TestCoreRules::resizeThresholds_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("paneW"); // -1: keep
    QTest::addColumn<int>("paneH");
    QTest::newRow("both at threshold") << 100 << 1800 << -1 << -1;
    QTest::newRow("just above") << 101 << 1801 << 1 << 401;
    QTest::newRow("designed") << 12480 << 12690 << 12380 << 11290;
    QTest::newRow("zero") << 0 << 0 << -1 << -1;
}

void TestCoreRules::resizeThresholds()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, paneW);
    QFETCH(int, paneH);
    const PaneResize r = mainPaneResize(w, h);
    QCOMPARE(r.width.value_or(-1), paneW);
    QCOMPARE(r.height.value_or(-1), paneH);
}

void TestCoreRules::settingsRoundTrip()
{
    const QString program = QStringLiteral("MarkloomRoundTrip");
    QCOMPARE(GetRegSetting(program, QStringLiteral("FontFace")), QString());
    QCOMPARE(SetRegSetting(program, QStringLiteral("FontFace"), settings::defaultFontFace()), 1);
    QCOMPARE(GetRegSetting(program, QStringLiteral("FontFace")), QStringLiteral(u"ＭＳ Ｐゴシック"));
    // Longer than any fixed buffer: read whole.
    const QString longValue(5000, QLatin1Char('x'));
    SetRegSetting(program, QStringLiteral("Home"), longValue);
    QCOMPARE(GetRegSetting(program, QStringLiteral("Home")), longValue);
    // Stored empty reads like missing.
    SetRegSetting(program, QStringLiteral("Home"), QString());
    QCOMPARE(GetRegSetting(program, QStringLiteral("Home")), QString());
    // The store is where the platform keeps per-user settings for our organisation.
    const QString file = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Brindlecot/MarkloomRoundTrip.conf");
    QVERIFY2(QFile::exists(file), qPrintable(file));
}

void TestCoreRules::settingsParse()
{
    QCOMPARE(settings::parseFontSize(QStringLiteral("10.5")).value_or(-1), 10.5);
    QCOMPARE(settings::parseFontSize(QStringLiteral("11")).value_or(-1), 11.0);
    QVERIFY(!settings::parseFontSize(QStringLiteral("")));
    QVERIFY(!settings::parseFontSize(QStringLiteral("big")));
    QVERIFY(!settings::parseFontSize(QStringLiteral("0")));
    QVERIFY(!settings::parseFontSize(QStringLiteral("-3")));
    QVERIFY(!settings::parseFontSize(QStringLiteral("nan")));
    QVERIFY(!settings::parseFontSize(QStringLiteral("1e300")));
    QCOMPARE(settings::parseFontSize(QStringLiteral("1638")).value_or(-1), 1638.0);
    QCOMPARE(settings::parseBgr(QStringLiteral("16777215")).value_or(0), 0xFFFFFFu);
    QCOMPARE(settings::parseBgr(QStringLiteral("255")).value_or(0), 0xFFu);
    QVERIFY(!settings::parseBgr(QStringLiteral("white")));
    QVERIFY(!settings::parseBgr(QStringLiteral("99999999999")));
    // 0x00BBGGRR: 255 is red.
    QCOMPARE(settings::bgrToRgb(0x0000FFu), 0xFF0000u);
    QCOMPARE(settings::rgbToBgr(0x123456u), 0x563412u);
    QCOMPARE(settings::values().size(), 5);
    QCOMPARE(QString::fromLatin1(settings::values().at(0).name), QStringLiteral("bUserHome"));
    QCOMPARE(settings::values().at(0).fallback, QStringLiteral("0"));
    QCOMPARE(settings::values().at(4).fallback, QStringLiteral("16777215"));
}

void TestCoreRules::docName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");
    QTest::newRow("title") << "Hello" << "https://a.test/x/y.html" << "Hello";
    QTest::newRow("segment") << "" << "https://a.test/x/y%20z.html" << "y z.html";
    QTest::newRow("trailing slash") << "" << "https://a.test/dir/" << "dir";
    QTest::newRow("host") << "" << "https://a.test/" << "a.test";
    QTest::newRow("whole") << "" << "about:blank" << "blank";
    QTest::newRow("no path, no host") << "" << "about:" << "about:";
}

void TestCoreRules::docName()
{
    QFETCH(QString, title);
    QFETCH(QString, url);
    QFETCH(QString, expected);
    QCOMPARE(documentDisplayName(title, QUrl(url)), expected);
}

MARKLOOM_CORE_TEST_MAIN(TestCoreRules)
#include "tst_corerules.moc"
