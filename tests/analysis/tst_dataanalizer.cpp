#include "analysis/dataanalizerclass.h"
#include "analysis/progressrule.h"
#include "support/literalanalysis.h"
#include "support/testenv.h"

#include <QRandomGenerator>
#include <QtTest>

class TestDataAnalizer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void extract_data()
    {
        QTest::addColumn<bool>("scripts");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("expected");
        auto script = [](const char *name, const QString &source, const QStringList &blocks) {
            QTest::addRow("scripts: %s", name) << true << source << blocks;
        };
        auto data = [](const char *name, const QString &source, const QStringList &items) {
            QTest::addRow("data: %s", name) << false << source << items;
        };
        script("any case, as the engine writes it", "<script>a()</script><ScRiPt>b</x>",
               {"<script>a()</script>", "<ScRiPt>b</x>"});
        // Only ASCII letters fold: a Kelvin sign or a dotless i is no "K" or "I".
        script("no folding beyond ASCII", "<SCR\u0130PT>x</x><scr\u0131pt>y</x>", {});
        script("first close mark", "<SCRIPT>document.write('</B>');</SCRIPT>", {"<SCRIPT>document.write('</B>');</"});
        script("two", "<SCRIPT>x</SCRIPT><SCRIPT SRC=a.js></SCRIPT>", {"<SCRIPT>x</SCRIPT>", "<SCRIPT SRC=a.js></SCRIPT>"});
        script("overlapping", "<SCRIPT>w('<SCRIPT>')</SCRIPT>", {"<SCRIPT>w('<SCRIPT>')</SCRIPT>", "<SCRIPT>')</SCRIPT>"});
        script("cut at the end", "<SCRIPT>x</SCR", {"<SCRIPT>x</SCR"});
        script("noscript", "<NOSCRIPT>x</NOSCRIPT>", {});
        script("prefix match", "<SCRIPTED a></X>", {"<SCRIPTED a></X>"});
        // No "</" after an opener: the block runs to the end of the text.
        script("unclosed", "<P><SCRIPT>x=1;", {"<SCRIPT>x=1;"});

        data("nbsp alone", "<TD>&nbsp;</TD>", {});
        data("nbsp inside", "<P>a&nbsp;</P>", {"a&nbsp;"});
        data("nbsp capitals", "<P>&NBSP;</P>", {"&NBSP;"});
        // White space between tags is no data; anything else keeps its blanks.
        data("white space between tags", "<BR>\r\n<BR> \t\f<P>\r\n a \r\n</P>", {"\r\n a \r\n"});
        data("other spaces are data", "<P>\u00A0</P><P>\u3000</P><P>\v</P>", {"\u00A0", "\u3000", "\v"});
        data("< before >", "x<P>y</P>", {});
        data("independent cursors", "<P>a > b</P><P>c</P>", {"a > b", " b</P>", "<P>c"});
        // Once no ">" is left, the ">" cursor starts over from the beginning.
        data("starts over", "<a><<<", {"<a><", "<<"});
        data("lone < at the end", "<P>x</P>y<", {"x", "y"});
    }

    void extract()
    {
        QFETCH(bool, scripts);
        QFETCH(QString, source);
        QFETCH(QStringList, expected);
        DataAnalizerClass analizer;
        for (qsizetype call = 1; call <= 2; ++call) { // counts are never reset: each call adds to its own
            QCOMPARE(scripts ? analizer.ScriptDataCollection(source) : analizer.DataCollection(source), expected);
            QCOMPARE(analizer.GetScriptDataLen(), scripts ? call * expected.size() : 0);
            QCOMPARE(analizer.GetDataLen(), scripts ? 0 : call * expected.size());
        }
    }

    void agreesWithLiteralAlgorithm()
    {
        // Random texts made of the pieces the rules care about, so every combination
        // of openers, closers, restarts and overlaps turns up, with NULs, lone
        // surrogates and blocks cut inside a pair. The lengths span the analyser's
        // block-at-a-time scans, their leftovers and their buffer refills.
        const QStringList pieces = {"<", ">", "</", "<SCRIPT", "<script>", "</SCRIPT>", "<sCrIp", "S", "a", " ", "&nbsp;",
                                    "\r\n", "\t",
                                    "/", QString(QChar(0)), QString(QChar(0xD83D)), QString(QChar(0xDC00)),
                                    QString::fromUtf16(u"\U0001F600"), QString(QChar(0xFFFF))};
        QRandomGenerator random(20240605);
        for (int round = 0; round < 4000; ++round) {
            QString text;
            const int count = int(random.bounded(round % 100 == 0 ? 3000 : round % 2 ? 24 : 200));
            for (int i = 0; i < count; ++i)
                text += pieces.at(int(random.bounded(pieces.size())));
            QVERIFY2(markloomtest::analysersAgree(text), qPrintable(text));
        }
    }

    void overCap_data()
    {
        QTest::addColumn<bool>("scripts");
        QTest::addColumn<QString>("source");
        QTest::addColumn<qsizetype>("cap");
        // About 100,000 items of about 50,000 characters each.
        const qsizetype real = DataAnalizerClass::kResultCap;
        QTest::newRow("< run") << false << QStringLiteral("<a>") + QString(100000, u'<') << real;
        QTest::newRow("openers without closer") << true << QStringLiteral("<SCRIPT").repeated(100000) << real;
        // "x" and "yy" need 3 + 4 characters of results text, the block 17 + 2: one short.
        QTest::newRow("data boundary") << false << QStringLiteral("<P>x</P><P>yy</P>") << qsizetype(6);
        QTest::newRow("script boundary") << true << QStringLiteral("<SCRIPT></SCRIPT>") << qsizetype(18);
    }

    void overCap()
    {
        QFETCH(bool, scripts);
        QFETCH(QString, source);
        QFETCH(qsizetype, cap);
        DataAnalizerClass analizer;
        auto extract = [&](qsizetype limit) {
            return scripts ? analizer.ScriptDataSpans(source, limit) : analizer.DataSpans(source, limit);
        };
        const Extraction over = extract(cap);
        QVERIFY(over.overCap && over.items.empty() && over.resultsLength == 0);
        QCOMPARE(scripts ? analizer.GetScriptDataLen() : analizer.GetDataLen(), 0);
        if (cap < DataAnalizerClass::kResultCap) {
            const Extraction fits = extract(cap + 1);
            QVERIFY(!fits.overCap);
            QCOMPARE(fits.resultsLength, cap + 1);
        }
    }

    void progressRule_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("raisedAfter"); // items after which the bar goes up
        QTest::newRow("9") << 9 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("10") << 10 << QList<int>{2, 4, 6, 8, 10};
        QTest::newRow("100") << 100 << QList<int>{11, 22, 33, 44, 55, 66, 77, 88, 99};
    }

    void progressRule()
    {
        QFETCH(int, n);
        QFETCH(QList<int>, raisedAfter);
        ProgressRule rule(n, 10);
        QList<int> seen;
        for (int item = 1; item <= n; ++item) {
            if (rule.itemDone())
                seen << item;
        }
        QCOMPARE(seen, raisedAfter);
    }
};

MARKLOOM_CORE_TEST_MAIN(TestDataAnalizer)
#include "tst_dataanalizer.moc"
