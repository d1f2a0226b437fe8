// The safe file writer, where Save writes, the find step and the formatter,
// without windows. The refused targets are covered through the file commands.

#include "disklimit.h"
#include "edit/findstep.h"
#include "edit/markupformatter.h"
#include "edit/saverule.h"
#include "edit/sourcefilewriter.h"
#include "support/formatrules.h"
#include "support/testenv.h"

#include <numeric>
#include <QtTest>

#include <sys/stat.h>

using markloomtest::fileBytes;
using sourcefile::WriteResult;

class TestEditCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void save_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("utf8"); // when set, saved as the pane holds it, as UTF-8
        QTest::addColumn<int>("encoding");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("bytes"); // in the file afterwards
        const int utf8 = QStringConverter::Utf8, latin1 = QStringConverter::Latin1;
        const int ok = int(WriteResult::Ok), failed = int(WriteResult::WriteFailed);
        const int unencodable = int(WriteResult::Unencodable);
        const QByteArray earlier("earlier");
        const QByteArray none;
        QTest::newRow("latin-1 held") << "caf\u00e9" << none << latin1 << ok << QByteArray("caf\xe9");
        QTest::newRow("a real question mark is no error") << "a?b" << none << latin1 << ok << QByteArray("a?b");
        // Never a silent "?" in place of what the encoding cannot hold.
        QTest::newRow("latin-1 cannot hold japanese") << "a日b" << none << latin1 << unencodable << earlier;
        QTest::newRow("trailing lone surrogate") << "ab" + QString(QChar(0xD800)) << none << utf8 << unencodable << earlier;
        // A file-size limit stands in for a full disk, below and above the size a
        // write buffer would hold back until the commit.
        QTest::newRow("disk full, 8 KiB") << QString(8 * 1024, 'x') << none << latin1 << failed << earlier;
        // The pane's own bytes: written as they are when the file is UTF-8.
        const QByteArray held("\xef\xbb\xbf<p>\0\xe6\x97\xa5\r\n", 12);
        QTest::newRow("pane bytes, utf-8") << QString() << held << utf8 << ok << held;
        QTest::newRow("pane bytes, not utf-8") << QString() << QByteArray("\xef\xbb\xbf\xed\xa0\x80z") << utf8 << ok
                                               << QByteArray("\xef\xbb\xbf\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbdz");
        QTest::newRow("pane bytes, latin-1") << QString() << QByteArray("caf\xc3\xa9") << latin1 << ok
                                             << QByteArray("caf\xe9");
        QTest::newRow("pane bytes, latin-1 cannot hold them") << QString() << QByteArray("\xe6\x97\xa5") << latin1
                                                              << unencodable << earlier;
        QTest::newRow("pane bytes, disk full") << QString() << QByteArray(64 * 1024, 'x') << utf8 << failed << earlier;
    }

    void save()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, utf8);
        QFETCH(int, encoding);
        QFETCH(int, result);
        QFETCH(QByteArray, bytes);
        const QString file = m_dir.filePath(QStringLiteral("kept.txt"));
        QCOMPARE(sourcefile::writeBytes(file, "earlier"), WriteResult::Ok);

        WriteResult got;
        {
            const DiskLimit full;
            QVERIFY(full.ok());
            const auto as = QStringConverter::Encoding(encoding);
            got = utf8.isNull() ? sourcefile::save(file, text, as) : sourcefile::saveUtf8(file, utf8, as);
        }

        QCOMPARE(int(got), result);
        QCOMPARE(fileBytes(file), bytes);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("kept.txt")});
    }

    // A rename over a device would replace the node, so devices are written in place.
    void characterDevicesAreWrittenInPlace()
    {
        struct stat st {};
        if (::stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode))
            QSKIP("no /dev/full character device here");
        QCOMPARE(sourcefile::writeBytes(QStringLiteral("/dev/full"), "x"), WriteResult::WriteFailed);
        QCOMPARE(sourcefile::writeBytes(QStringLiteral("/dev/null"), "x"), WriteResult::Ok);
        QVERIFY(::stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode));
        QVERIFY(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
    }

    void saveRoute_data()
    {
        QTest::addColumn<quint64>("shown");     // the document in the pane; 0: none
        QTest::addColumn<QString>("shownUrl");
        QTest::addColumn<QString>("savedPath"); // empty: never saved
        QTest::addColumn<quint64>("savedDoc");  // the document in the pane at the save
        QTest::addColumn<bool>("empty");
        QTest::addColumn<bool>("writes");
        const QString page("mltest://a/"), file("/d/a.html");
        QTest::newRow("the document saved") << 1ull << page << file << 1ull << false << true;
        QTest::newRow("nothing shown, nothing was") << 0ull << QString() << file << 0ull << false << false;
        QTest::newRow("read from it by another spelling") << 3ull << "file:///d/./a.html" << file << 1ull << false << true;
        QTest::newRow("read from it, emptied") << 3ull << "file:///d/a.html" << file << 1ull << true << false;
        QTest::newRow("read from another file") << 3ull << "file:///d/b.html" << file << 1ull << false << false;
        QTest::newRow("the same path on a site") << 3ull << "http://x/d/a.html" << file << 1ull << false << false;
    }

    void saveRoute()
    {
        QFETCH(quint64, shown);
        QFETCH(QString, shownUrl);
        QFETCH(QString, savedPath);
        QFETCH(quint64, savedDoc);
        QFETCH(bool, empty);
        QFETCH(bool, writes);
        QCOMPARE(saverule::route({shown, shownUrl}, {savedPath, savedDoc}, empty) == saverule::Route::Write, writes);
    }

    void findStep_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<int>("hit"); // 0: found nowhere; -1: none after from, but before it
        QTest::newRow("case counts") << "abcABC" << "ABC" << 1 << true << 4;
        QTest::newRow("any case") << "abcABC" << "ABC" << 1 << false << 1;
        QTest::newRow("any case, from further on") << "aBa" << "A" << 2 << false << 3;
        QTest::newRow("Z and z") << "xz" << "Z" << 0 << false << 2;
        QTest::newRow("full width, any case") << "ａｂＣ" << "ＡＢｃ" << 1 << false << 1;
        QTest::newRow("full width, case counts") << "ａｂＣ" << "ＡＢｃ" << 1 << true << 0;
        QTest::newRow("width still counts") << "ABC" << "ａｂｃ" << 1 << false << 0;
        QTest::newRow("other letters keep their case") << "éΑ" << "Éα" << 1 << false << 0;
        QTest::newRow("not letters") << "[@`{" << "{`@[" << 1 << false << 0;
        QTest::newRow("beyond the text") << "abc" << "" << 4 << false << -1;
        QTest::newRow("past the last") << "abcABC" << "ABC" << 5 << true << -1;
    }

    void findStep()
    {
        QFETCH(QString, text);
        QFETCH(QString, needle);
        QFETCH(int, from);
        QFETCH(bool, matchCase);
        QFETCH(int, hit);
        QCOMPARE(findstep::findNext(text, needle, from, matchCase), qMax(hit, 0));
        if (hit <= 0)
            QCOMPARE(findstep::noHitMessage(text, needle, from, matchCase),
                     hit ? QStringLiteral("検索が終了しました。") : QStringLiteral("\"%1\"は見つかりません。").arg(needle));
    }

    void format_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("formatted");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("plain text") << " just\ttext \n" << " just\ttext \n";
        QTest::newRow("nested blocks") << "<div><section><p>a</p></section></div>"
                                       << "<div>\n  <section>\n    <p>\n      a\n    </p>\n  </section>\n</div>";
        QTest::newRow("inline run untouched") << "<p>a <b>b</b>  c<i>d</i></p>" << "<p>\n  a <b>b</b>  c<i>d</i>\n</p>";
        QTest::newRow("white space at a block replaced") << " x \t<div> y </div>\n\f\nz " << " x\n<div>\n  y\n</div>\nz ";
        QTest::newRow("br, empty elements") << "a<br>b<div></div><p> </p>" << "a\n<br>\nb\n<div></div>\n<p> </p>";
        // Inline-level: only their insides are line edges (svg, whose title is markup), or nothing (iframe).
        QTest::newRow("iframe and svg in a line")
            << "a<iframe src=x><p></iframe>b<svg><g></g><path/><title>t</title></svg>c"
            << "a<iframe src=x><p></iframe>b<svg>\n  <g></g><path/>\n  <title>\n    t\n  </title>\n</svg>c";
        // Never shown: they neither make an edge nor hide one.
        QTest::newRow("script between") << "a<script>x</script>b<div><script>y</script>c</div>"
                                        << "a<script>x</script>b\n<div>\n  <script>y</script>\n  c\n</div>";
        // A template's content goes where a script puts it: kept as it is.
        QTest::newRow("template") << "a<template><p>x</p> y<div></div></template>b<div><template>c</template></div>"
                                  << "a<template><p>x</p> y<div></div></template>b\n<div>\n  <template>c</template>\n</div>";
        QTest::newRow("hidden and display style stay inline")
            << "a<div hidden>b</div>c<p style=\"DISPLAY:inline\">d</p>e" << "a<div hidden>b</div>c<p style=\"DISPLAY:inline\">d</p>e";
        QTest::newRow("pre, listing, white-space style")
            << "<div><pre> a\n <div> b </div></pre><listing> <p>x</p></listing><p style='white-space:pre'><b>c</b> </p></div>"
            << "<div>\n  <pre> a\n <div> b </div></pre><listing> <p>x</p></listing>\n  "
               "<p style='white-space:pre'><b>c</b> </p>\n</div>";
        QTest::newRow("style, script, textarea text")
            << "<style> p > a { } </style><script>if (a<b) x = \"</div>\";</script><TEXTAREA> <p></p><div> </textarea >x"
            << "<style> p > a { } </style>\n<script>if (a<b) x = \"</div>\";</script>\n<TEXTAREA> <p></p><div> </textarea >x";
        QTest::newRow("script text with markup comments")
            << "<script><!--<script>a</script><p>--></script><p>b</p><script><!--></script><p>"
            << "<script><!--<script>a</script><p>--></script>\n<p>\n  b\n</p>\n<script><!--></script>\n<p>";
        QTest::newRow("comments, doctype")
            << "<!DOCTYPE html><!-- a --><html><body><!--b--><p>x</p><!--c-->y a<!--d--> <!--e-->b</body></html>"
            << "<!DOCTYPE html>\n<!-- a -->\n<html>\n  <body>\n    <!--b-->\n    <p>\n      x\n    </p>\n"
               "    <!--c-->y a<!--d--> <!--e-->b\n  </body>\n</html>";
        QTest::newRow("comment with markup") << "<div><!-- <p> --!><!-->x<!---->" << "<div>\n  <!-- <p> --!>\n  <!-->x<!---->";
        QTest::newRow("attributes holding > and <")
            << "<div title=\"a>b\" data-x='<p>' z=<q><p class=x/>y</p></div>"
            << "<div title=\"a>b\" data-x='<p>' z=<q>\n  <p class=x/>\n    y\n  </p>\n</div>";
        QTest::newRow("end tags left out") << "<ul><li>a<li><b>b</ul><table><tr><td>1<td>2<tr><td>3</table><p>c<div>d"
                                           << "<ul>\n  <li>\n    a\n  <li>\n    <b>b\n</ul>\n<table>\n  <tr>\n    <td>\n"
                                              "      1\n    <td>\n      2\n  <tr>\n    <td>\n      3\n</table>\n<p>\n  c\n"
                                              "<div>\n  d";
        QTest::newRow("broken at the end") << "<div>a</div><p class=\"x>" << "<div>\n  a\n</div>\n<p class=\"x>";
        QTest::newRow("stray markup") << "<div></span></><?x?><p>a</b><iframe></iframe></div><center></h1>c"
                                      << "<div>\n  </span></>\n  <?x?>\n  <p>\n    a</b><iframe></iframe>\n</div>\n"
                                         "<center>\n  </h1>c";
        QTest::newRow("p over button") << "<p><button><hr></button></p>" << "<p>\n  <button>\n    <hr>\n  </button>\n</p>";
        QTest::newRow("crlf source") << "\n<div><p>a</p>\r\n</div>\r\n" << "<div>\r\n  <p>\r\n    a\r\n  </p>\r\n</div>";
        QTest::newRow("lone cr source") << "<p>a</p>\r" << "<p>\r  a\r</p>";
        QTest::newRow("lf and a lone cr") << "<p>a\rb</p>\n" << "<p>\n  a\rb\n</p>";
        QTest::newRow("surrogate pairs") << "<p>\U0001F600</p><div title=\"\U0001F600\">\U0001F600 <b>\U0001F600</b></div>"
                                         << "<p>\n  \U0001F600\n</p>\n<div title=\"\U0001F600\">\n  \U0001F600 <b>\U0001F600</b>\n</div>";
        QTest::newRow("head") << "<head><title> t </title><meta charset=utf-8><link rel=x></head><body>x</body>"
                              << "<head>\n  <title> t </title>\n  <meta charset=utf-8>\n  <link rel=x>\n</head>\n"
                                 "<body>\n  x\n</body>";
        QString deep = QStringLiteral("<div>").repeated(40), deepFormatted;
        for (int i = 0; i < 40; ++i)
            deepFormatted += QString(2 * qMin(i, 32), u' ') + QStringLiteral("<div>\n");
        QTest::newRow("indented 32 levels at most") << deep + "x" << deepFormatted + QString(64, u' ') + "x";
    }

    // Each row exact, and keeping the formatter's rules in the smallest steps.
    void format()
    {
        QFETCH(QString, source);
        QFETCH(QString, formatted);
        QCOMPARE(markup::format(source), formatted);
        QCOMPARE(QString::fromLatin1(markloomtest::formatFault(source.toUtf8(), 1)), QString());
    }

    // A real page, the built-in home page, long enough to be made in pieces: in
    // steps, the same as made at once.
    void formatARealPageInPieces()
    {
        QFile home(QStringLiteral(MARKLOOM_HOME_PAGE));
        QVERIFY(home.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(home.readAll());
        QVERIFY(markup::format(page).count(QLatin1Char('\n')) > page.count(QLatin1Char('\n')) + 10);
        const QByteArray many = page.repeated(2000).toUtf8();
        markup::Formatter<char> pieces(std::string_view(many.constData(), size_t(many.size())), true);
        while (!pieces.step(100000)) {}
        const std::vector<QByteArray> made = pieces.takePieces();
        QVERIFY(made.size() > 1);
        QVERIFY(std::accumulate(made.begin(), made.end(), QByteArray()) == markup::formatUtf8(many));
    }

    void longestLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("longest");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("one line") << "abc" << 3;
        QTest::newRow("lf, crlf, lone cr") << "ab\r\nabcd\rabc\nab\n" << 4;
        QTest::newRow("last line longest") << "a\n\U0001F600\U0001F600x" << 5;
    }

    void longestLine()
    {
        QFETCH(QString, text);
        QFETCH(int, longest);
        QCOMPARE(markup::longestLine(text), longest);
    }

private:
    QTemporaryDir m_dir;
};

MARKLOOM_CORE_TEST_MAIN(TestEditCore)
#include "tst_editcore.moc"
