#include "analysis/analysisrules.h"
#include "analysis/dataanalizerclass.h"
#include "analysis/progressrule.h"
#include "analysis/textscan.h"
#include "support/testenv.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The two extractions written out literally: 1-based positions, 0 for "not
// found", a fresh search every time. The analyser must agree with these on
// any text, however it gets there.
qsizetype find1(const QString &text, QStringView needle, qsizetype from)
{
    if (from > text.size())
        return 0;
    const qsizetype i = text.indexOf(needle, from - 1);
    return i < 0 ? 0 : i + 1;
}

QStringList literalScripts(const QString &text)
{
    QStringList blocks;
    qsizetype s = 1;
    for (;;) {
        const qsizetype p = find1(text, u"<SCRIPT", s);
        if (p == 0)
            return blocks;
        const qsizetype e = find1(text, u"</", p + 1);
        blocks << (e == 0 ? text.mid(p - 1) : text.mid(p - 1, e + 9 - p));
        s = p + 1;
    }
}

QStringList literalData(const QString &text)
{
    QStringList items;
    qsizetype g = 0;
    qsizetype l = 1;
    while (l != 0) {
        g = find1(text, u">", g + 1);
        l = find1(text, u"<", l + 1);
        if (l - g - 1 <= 0)
            continue;
        const QString item = text.mid(g, l - g - 1);
        if (!item.isEmpty() && item != QLatin1String("&nbsp;"))
            items << item;
    }
    return items;
}

// Text from a UTF-16 literal, NULs and lone surrogates included.
template <size_t N> QString u16(const char16_t (&text)[N])
{
    return QString::fromUtf16(text, qsizetype(N - 1));
}

QString hostile()
{
    return QStringLiteral("<a>") + QString(100000, u'<');
}

} // namespace

class TestDataAnalizer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scriptBlocks_data();
    void scriptBlocks();
    void dataItems_data();
    void dataItems();
    void agreesWithLiteralAlgorithm();
    void textScan();
    void countsAddUp();
    void overCap_data();
    void overCap();
    void capBoundary();
    void progressRule_data();
    void progressRule();
    void progressRaisedAfter25();
    void resultsText();
    void layout_data();
    void layout();
};

void TestDataAnalizer::scriptBlocks_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("blocks");
    QTest::newRow("head") << "<HEAD><SCRIPT LANGUAGE=JavaScript>x=1;</SCRIPT></HEAD>"
                          << QStringList{"<SCRIPT LANGUAGE=JavaScript>x=1;</SCRIPT>"};
    QTest::newRow("lower case") << "<script>a()</script>" << QStringList();
    QTest::newRow("mixed case") << "<Script>a()</Script>" << QStringList();
    QTest::newRow("first close mark") << "<SCRIPT>document.write('</B>');</SCRIPT>"
                                      << QStringList{"<SCRIPT>document.write('</B>');</"};
    QTest::newRow("two") << "<SCRIPT>x</SCRIPT><SCRIPT SRC=a.js></SCRIPT>"
                         << QStringList{"<SCRIPT>x</SCRIPT>", "<SCRIPT SRC=a.js></SCRIPT>"};
    QTest::newRow("overlapping") << "<SCRIPT>w('<SCRIPT>')</SCRIPT>"
                                 << QStringList{"<SCRIPT>w('<SCRIPT>')</SCRIPT>", "<SCRIPT>')</SCRIPT>"};
    QTest::newRow("cut at the end") << "<SCRIPT>x</SCR" << QStringList{"<SCRIPT>x</SCR"};
    QTest::newRow("noscript") << "<NOSCRIPT>x</NOSCRIPT>" << QStringList();
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("prefix match") << "<SCRIPTED a></X>" << QStringList{"<SCRIPTED a></X>"};
    QTest::newRow("line breaks kept") << "<SCRIPT>\r\nx\r\n</SCRIPT>\r\n" << QStringList{"<SCRIPT>\r\nx\r\n</SCRIPT>"};
    // No "</" after an opener: the block runs to the end of the text.
    QTest::newRow("unclosed") << "<P><SCRIPT>x=1;" << QStringList{"<SCRIPT>x=1;"};
    QTest::newRow("unclosed after closed")
        << "<SCRIPT>a</SCRIPT><SCRIPT>b<" << QStringList{"<SCRIPT>a</SCRIPT>", "<SCRIPT>b<"};
    QTest::newRow("unclosed twice") << "<SCRIPT a<SCRIPT b" << QStringList{"<SCRIPT a<SCRIPT b", "<SCRIPT b"};
    QTest::newRow("opener at the end") << "x<SCRIPT" << QStringList{"<SCRIPT"};
    QTest::newRow("lone < at the end") << "<SCRIPT>x<" << QStringList{"<SCRIPT>x<"};
    QTest::newRow("no tags") << "plain text" << QStringList();
    QTest::newRow("NUL kept") << u16(u"<SCRIPT>\0a</SCRIPT>") << QStringList{u16(u"<SCRIPT>\0a</SCRIPT>")};
    // The nine characters may end between the halves of a pair: the half stays.
    QTest::newRow("pair cut") << u16(u"<SCRIPT></SCRIPT\U0001F600>") << QStringList{u16(u"<SCRIPT></SCRIPT\xD83D")};
    QTest::newRow("unpaired surrogate") << u16(u"<SCRIPT>\xDC00</SCRIPT>")
                                        << QStringList{u16(u"<SCRIPT>\xDC00</SCRIPT>")};
}

void TestDataAnalizer::scriptBlocks()
{
    QFETCH(QString, source);
    QFETCH(QStringList, blocks);
    const QString before = source;
    DataAnalizerClass analizer;
    QCOMPARE(analizer.ScriptDataCollection(source), blocks);
    QCOMPARE(analizer.GetScriptDataLen(), blocks.size());
    QCOMPARE(analizer.GetDataLen(), 0);
    QCOMPARE(source, before);
    // A second object given the same text answers the same.
    DataAnalizerClass second;
    QCOMPARE(second.ScriptDataCollection(source), blocks);
    QCOMPARE(second.GetScriptDataLen(), blocks.size());
}

void TestDataAnalizer::dataItems_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("hello") << "<P>Hello</P>" << QStringList{"Hello"};
    QTest::newRow("nbsp alone") << "<TD>&nbsp;</TD>" << QStringList();
    QTest::newRow("nbsp inside") << "<P>a&nbsp;</P>" << QStringList{"a&nbsp;"};
    QTest::newRow("nbsp capitals") << "<P>&NBSP;</P>" << QStringList{"&NBSP;"};
    QTest::newRow("line break") << "<BR>\r\n<BR>" << QStringList{kCrLf};
    QTest::newRow("adjacent") << "<A><B>" << QStringList();
    QTest::newRow("space kept") << "<B>1</B> <I>2</I>" << QStringList{"1", " ", "2"};
    QTest::newRow("page") << "<HEAD><TITLE>T</TITLE></HEAD><BODY>Hi <B>you</B></BODY>"
                          << QStringList{"T", "Hi ", "you"};
    QTest::newRow("< before >") << "x<P>y</P>" << QStringList();
    QTest::newRow("independent cursors") << "<P>a > b</P><P>c</P>" << QStringList{"a > b", " b</P>", "<P>c"};
    QTest::newRow("no tags") << "hello" << QStringList();
    QTest::newRow("empty") << "" << QStringList();
    // Once no ">" is left, the ">" cursor starts over from the beginning.
    QTest::newRow("starts over") << "<a><<<" << QStringList{"<a><", "<<"};
    QTest::newRow("no >") << "<<<" << QStringList{"<", "<<"};
    QTest::newRow("lone < at the end") << "<P>x</P>y<" << QStringList{"x", "y"};
    QTest::newRow("lone <") << "<" << QStringList();
    QTest::newRow("lone >") << ">" << QStringList();
    QTest::newRow("tabs kept") << "<P>\t \t</P>" << QStringList{"\t \t"};
    QTest::newRow("NUL") << u16(u"<P>\0</P><P>a\0b</P>") << QStringList{QString(QChar(0)), u16(u"a\0b")};
    QTest::newRow("unpaired surrogates") << u16(u"<P>\xD800</P><I>x\xDC00</I>")
                                         << QStringList{QString(QChar(0xD800)), u16(u"x\xDC00")};
}

void TestDataAnalizer::dataItems()
{
    QFETCH(QString, source);
    QFETCH(QStringList, items);
    const QString before = source;
    DataAnalizerClass analizer;
    QCOMPARE(analizer.DataCollection(source), items);
    QCOMPARE(analizer.GetDataLen(), items.size());
    QCOMPARE(analizer.GetScriptDataLen(), 0);
    QCOMPARE(source, before);
    DataAnalizerClass second;
    QCOMPARE(second.DataCollection(source), items);
}

void TestDataAnalizer::agreesWithLiteralAlgorithm()
{
    // Short random texts made of the pieces the rules care about, so every
    // combination of openers, closers, restarts and overlaps turns up.
    const QStringList pieces = {"<", ">", "</",     "<SCRIPT", "<SCRIPT>", "</SCRIPT>",       "S",
                                "a", " ", "&nbsp;", "\r\n",    "/",        QString(QChar(0)), QString(QChar(0xD83D))};
    QRandomGenerator random(20240605);
    for (int round = 0; round < 4000; ++round) {
        // Short texts and texts of a few hundred characters: the scans look at
        // 16 and 64 characters at a time and finish the rest one by one.
        QString text;
        const int count = int(random.bounded(round % 2 ? 24 : 200));
        for (int i = 0; i < count; ++i)
            text += pieces.at(int(random.bounded(pieces.size())));
        DataAnalizerClass analizer;
        const QStringList scripts = analizer.ScriptDataCollection(text);
        const QStringList data = analizer.DataCollection(text);
        if (scripts != literalScripts(text) || data != literalData(text)) {
            qWarning() << "text:" << text;
            QCOMPARE(scripts, literalScripts(text));
            QCOMPARE(data, literalData(text));
        }
        QCOMPARE(analizer.GetScriptDataLen(), scripts.size());
        QCOMPARE(analizer.GetDataLen(), data.size());
    }
}

void TestDataAnalizer::textScan()
{
    // The block-at-a-time searches against Qt's own, from every start.
    const QStringList pieces = {"<", ">", "</", "<SCRIPT", "SCRIPT", "T", "a", "\r\n", QString(QChar(0xFFFF))};
    const QStringList needles = {"<SCRIPT", "</", "<", "T", "TT"};
    QRandomGenerator random(99);
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int count = int(random.bounded(120));
        for (int i = 0; i < count; ++i)
            text += pieces.at(int(random.bounded(pieces.size())));
        for (const QString &needle : needles) {
            for (qsizetype from = 0; from <= text.size() + 1; ++from)
                QCOMPARE(textscan::find(text, from, needle), text.indexOf(needle, from));
        }
        for (const char16_t c : {u'<', u'>', u'\xFFFF'}) {
            QList<qsizetype> expected;
            for (qsizetype i = text.indexOf(QChar(c)); i >= 0; i = text.indexOf(QChar(c), i + 1))
                expected << i;
            QList<qsizetype> seen;
            textscan::CharCursor cursor(text, c);
            for (qsizetype i = cursor.next(); i >= 0; i = cursor.next())
                seen << i;
            QCOMPARE(seen, expected);
            QCOMPARE(cursor.next(), -1);
        }
    }
}

void TestDataAnalizer::countsAddUp()
{
    // Counts are never reset: a second call on one object adds to them, and
    // each operation only touches its own.
    DataAnalizerClass analizer;
    const QString source = QStringLiteral("<SCRIPT>x</SCRIPT><P>a</P>");
    QCOMPARE(analizer.ScriptDataCollection(source).size(), 1);
    QCOMPARE(analizer.ScriptDataCollection(source).size(), 1);
    QCOMPARE(analizer.GetScriptDataLen(), 2);
    QCOMPARE(analizer.DataCollection(source).size(), 2);
    QCOMPARE(analizer.GetDataLen(), 2);
    QCOMPARE(analizer.GetScriptDataLen(), 2);
}

void TestDataAnalizer::overCap_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("scripts");
    // About 100,000 items of about 50,000 characters each.
    QTest::newRow("< run, data") << hostile() << false;
    QTest::newRow("openers without closer") << QStringLiteral("<SCRIPT").repeated(100000) << true;
    QTest::newRow("nested openers") << QStringLiteral("<SCRIPT").repeated(100000) + QStringLiteral("</") << true;
}

void TestDataAnalizer::overCap()
{
    QFETCH(QString, source);
    QFETCH(bool, scripts);
    DataAnalizerClass analizer;
    const Extraction found = scripts ? analizer.ScriptDataSpans(source) : analizer.DataSpans(source);
    QVERIFY(found.overCap);
    QVERIFY(found.items.empty());
    QCOMPARE(found.resultsLength, 0);
    QCOMPARE(scripts ? analizer.GetScriptDataLen() : analizer.GetDataLen(), 0);

    bool over = false;
    DataAnalizerClass lists;
    const QStringList list = scripts ? lists.ScriptDataCollection(source, &over) : lists.DataCollection(source, &over);
    QVERIFY(over);
    QVERIFY(list.isEmpty());
}

void TestDataAnalizer::capBoundary()
{
    // "x" and "yy" need 3 + 4 characters of results text.
    const QString source = QStringLiteral("<P>x</P><P>yy</P>");
    DataAnalizerClass fits;
    const Extraction exact = fits.DataSpans(source, 7);
    QVERIFY(!exact.overCap);
    QCOMPARE(exact.resultsLength, 7);
    QVERIFY(exact.items == (std::vector<TextSpan>{{3, 1}, {11, 2}}));
    QCOMPARE(fits.GetDataLen(), 2);

    DataAnalizerClass over;
    QVERIFY(over.DataSpans(source, 6).overCap);
    QCOMPARE(over.GetDataLen(), 0);
    DataAnalizerClass scripts;
    QVERIFY(scripts.ScriptDataSpans(QStringLiteral("<SCRIPT></SCRIPT>"), 18).overCap);
    QVERIFY(!scripts.ScriptDataSpans(QStringLiteral("<SCRIPT></SCRIPT>"), 19).overCap);
}

void TestDataAnalizer::progressRule_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("afterLoop");
    QTest::newRow("1") << 1 << 1 << 1;
    QTest::newRow("5") << 5 << 1 << 5;
    QTest::newRow("9") << 9 << 1 << 9;
    QTest::newRow("10") << 10 << 2 << 5;
    QTest::newRow("25") << 25 << 3 << 8;
    QTest::newRow("100") << 100 << 11 << 9;
    QTest::newRow("99") << 99 << 10 << 9;
    QTest::newRow("1000000") << 1000000 << 100001 << 9;
}

void TestDataAnalizer::progressRule()
{
    QFETCH(int, n);
    QFETCH(int, step);
    QFETCH(int, afterLoop);
    ProgressRule rule(n, 10);
    QCOMPARE(rule.step(), step);
    int bar = 0;
    for (int i = 0; i < n; ++i)
        bar += rule.itemDone() ? 1 : 0;
    QCOMPARE(bar, afterLoop);
}

void TestDataAnalizer::progressRaisedAfter25()
{
    ProgressRule rule(25, 10);
    QList<int> raisedAfter;
    for (int item = 1; item <= 25; ++item) {
        if (rule.itemDone())
            raisedAfter << item;
    }
    QCOMPARE(raisedAfter, (QList<int>{3, 6, 9, 12, 15, 18, 21, 24}));
}

void TestDataAnalizer::resultsText()
{
    const QString source = QStringLiteral("<SCRIPT>a\r\n</SCRIPT><SCRIPT>b</SCRIPT>");
    DataAnalizerClass analizer;
    const Extraction found = analizer.ScriptDataSpans(source);
    int calls = 0;
    const QString text = analysis::resultsText(source, found, [&calls] { ++calls; });
    QCOMPARE(text, QStringLiteral("<SCRIPT>a\r\n</SCRIPT>\r\n<SCRIPT>b</SCRIPT>\r\n"));
    QCOMPARE(text.size(), found.resultsLength);
    QCOMPARE(calls, 2);
    QCOMPARE(analysis::resultsText(source, Extraction()), QString());
    // Spans that do not belong to the text are cut to it, never read past it.
    Extraction stray;
    stray.items = {{30, 100}, {100, 5}};
    QCOMPARE(analysis::resultsText(source, stray), source.mid(30) + kCrLf + kCrLf);
}

void TestDataAnalizer::layout_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<QList<int>>("expected"); // text width, text height, bar top, bar left
    QTest::newRow("5000x3000") << 5000 << 3000 << true << QList<int>{4900, 1500, 2000, 1500};
    QTest::newRow("height 1500") << 5000 << 1500 << false << QList<int>();
    QTest::newRow("height 1501") << 5000 << 1501 << true << QList<int>{4900, 1, 501, 1500};
    QTest::newRow("minimised") << 3000 << 400 << false << QList<int>();
}

void TestDataAnalizer::layout()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(bool, changes);
    QFETCH(QList<int>, expected);
    const std::optional<analysis::AnalizerLayout> l = analysis::analizerLayout(w, h);
    QCOMPARE(l.has_value(), changes);
    if (l)
        QCOMPARE((QList<int>{l->textWidth, l->textHeight, l->barTop, l->barLeft}), expected);
}

MARKLOOM_CORE_TEST_MAIN(TestDataAnalizer)
#include "tst_dataanalizer.moc"
