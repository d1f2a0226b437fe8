#include "app/documentmodel.h"
#include "app/settingsdefaults.h"
#include "app/settingsmodel.h"
#include "app/settingsstore.h"
#include "browse/addresslist.h"
#include "browse/docname.h"
#include "browse/localfiles.h"
#include "platform/besiderule.h"
#include "platform/profilefolders.h"
#include "settings/settingchoices.h"
#include "support/testenv.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
// A page's folder beside a sibling whose name starts with it, a secret
// folder, and links out of and within the page's folder.
QString localTree()
{
    const QString root = markloomtest::sandboxPath(QStringLiteral("local"));
    for (const char *dir : {"site/sub", "site-private", "secret"})
        QDir(root).mkpath(QString::fromLatin1(dir));
    for (const char *file : {"site/page.html", "site/own.js", "site/x.js.download", "site/data.json", "site/notes.txt",
                             "site/style.css", "site/t.xsl", "site/pic.svg", "site/sub/f.html", "site/sub/deep.js",
                             "site-private/x.html", "secret/s.css", "secret/s.txt"}) {
        QFile f(root + QLatin1Char('/') + QLatin1String(file));
        f.open(QIODevice::WriteOnly);
    }
    QFile::link(root + QStringLiteral("/secret/s.txt"), root + QStringLiteral("/site/link-out.txt"));
    QFile::link(root + QStringLiteral("/secret"), root + QStringLiteral("/site/linkdir"));
    QFile::link(root + QStringLiteral("/site/own.js"), root + QStringLiteral("/site/link-in.js"));
    return root;
}
} // namespace

class TestCoreRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void settingsParse()
    {
        // The colours' conversions and a word for a colour are held by the settings dialog's tests.
        QVERIFY(!settings::parseBgr(QStringLiteral("99999999999")));
        QCOMPARE(settings::bgrOrDefault(QStringLiteral(" 000255")), 0x0000FFu);
        QCOMPARE(settings::bgrOrDefault(QStringLiteral("0xFF")), 0xFFFFFFu); // not decimal: the default
        // Vertical-writing faces ("@" anywhere) are left out, each family comes
        // once without its foundry; the platform's order is kept.
        QCOMPARE(settings::selectableFonts({"Sans", "@MS Gothic", "C059 [UKWN]", "Zeta", "Mono@", "C059 [urw]", "Alpha",
                                            "[x]", "C059", "Odd [name] here"}),
                 (QStringList{"Sans", "C059", "Zeta", "Alpha", "[x]", "Odd [name] here"}));
        QCOMPARE(settings::fontSizeChoices().join(','), QStringLiteral("8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27"));
    }

    // Each value under its own name: missing and empty ones get their defaults,
    // written back at once; at close only what this window changed is written,
    // so another window's change meanwhile survives; a refused write is told.
    void settingsModelByName()
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindlecot"), QStringLiteral("Markloom"));
        store.clear();
        store.setValue("FontSize", QString());
        store.setValue("FontFace", QStringLiteral("Mono"));
        const QString longHome(5000, QLatin1Char('h')); // longer than any fixed buffer: read whole
        store.setValue("Home", longHome);
        store.setValue("BackColor", QStringLiteral("not a colour"));
        store.setValue("WordWrap", QStringLiteral("1")); // on; SyntaxColour absent: its default, on
        store.setValue("FormatOnLoad", QStringLiteral(" 1 "));
        store.sync();
        SettingsModel model;
        QSignalSpy changed(&model, &SettingsModel::changed);
        model.load();
        const settings::Values loaded{"0", longHome, "Mono", "11", "not a colour", true, true, true};
        QCOMPARE(model.values(), loaded);
        QCOMPARE(changed.size(), 1);
        store.sync();
        QCOMPARE(store.value("FontSize").toString(), QStringLiteral("11"));

        settings::Values next = loaded;
        next.m_bWordWrap = false;
        next.m_bFormatOnLoad = false;
        next.m_UserHome = QStringLiteral("http://h.test/");
        next.m_BackColor = QStringLiteral("255");
        model.setValues(next);
        model.setValues(next); // the same again: no news
        QCOMPARE(changed.size(), 2);
        SettingsModel other; // a second window, closed first
        other.load();
        settings::Values theirs = other.values();
        theirs.m_CurrentFontSize = QStringLiteral("20");
        other.setValues(theirs);
        QVERIFY(other.save());
        store.sync();
        QCOMPARE(store.value("Home").toString(), longHome); // not before save()
        QVERIFY(model.save());
        store.sync();
        QCOMPARE((QStringList{store.value("bUserHome").toString(), store.value("Home").toString(),
                              store.value("FontFace").toString(), store.value("FontSize").toString(),
                              store.value("BackColor").toString(), store.value("WordWrap").toString(),
                              store.value("SyntaxColour").toString(), store.value("FormatOnLoad").toString()}),
                 (QStringList{"0", "http://h.test/", "Mono", "20", "255", "0", "", "0"}));

        next.m_BackColor = QStringLiteral("0");
        model.setValues(next);
        const QByteArray folder = QFile::encodeName(QFileInfo(store.fileName()).absolutePath());
        const QByteArray file = QFile::encodeName(store.fileName());
        QVERIFY(::chmod(folder.constData(), 0555) == 0 && ::chmod(file.constData(), 0444) == 0);
        const auto restore = qScopeGuard([&] { ::chmod(folder.constData(), 0755), ::chmod(file.constData(), 0644); });
        if (::access(folder.constData(), W_OK) == 0)
            QSKIP("running with privileges that ignore permissions (root)");
        QVERIFY(!model.save());
    }

    void settingChoices_data()
    {
        QTest::addColumn<bool>("custom");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QStringList>("expected"); // bUserHome, Home, FontFace, FontSize, BackColor
        // Every row starts from a custom home at a.example, Sans 12, white; the choices pick Serif, green.
        QTest::newRow("custom address taken") << true << "b.example" << "14"
                                              << QStringList{"1", "b.example", "Serif", "14", "65280"};
        QTest::newRow("own home keeps the address") << false << "typed, not used" << "12"
                                                    << QStringList{"0", "a.example", "Serif", "12", "65280"};
        QTest::newRow("fraction stored as typed") << true << "" << "10.5" << QStringList{"1", "", "Serif", "10.5", "65280"};
        QTest::newRow("largest size") << true << "" << "1638" << QStringList{"1", "", "Serif", "1638", "65280"};
        // A size the pane cannot take keeps the previous one instead of being stored.
        for (const char *size : {"abc", "", "0", "-3", "1639", "inf", "nan", "10,5"})
            QTest::addRow("size '%s' keeps the previous", size)
                << true << "a.example" << QString::fromLatin1(size) << QStringList{"1", "a.example", "Serif", "12", "65280"};
    }

    void settingChoices()
    {
        QFETCH(bool, custom);
        QFETCH(QString, address);
        QFETCH(QString, size);
        QFETCH(QStringList, expected);
        settings::Choices choices;
        choices.customHome = custom;
        choices.address = address;
        choices.font = QStringLiteral("Serif");
        choices.fontSize = size;
        choices.bgr = 0x00FF00u;
        const settings::Values next = settings::applyChoices({"1", "a.example", "Sans", "12", "16777215"}, choices);
        QCOMPARE((QStringList{next.m_bUserHome, next.m_UserHome, next.m_CurrentFont, next.m_CurrentFontSize,
                              next.m_BackColor}),
                 expected);
    }

    // The flag follows the pane; pages and saves clear it; the caption follows
    // each step; a page the user did not ask for is refused only over edits.
    void documentFlagAndCaption()
    {
        DocumentModel doc;
        QSignalSpy captions(&doc, &DocumentModel::captionChanged);
        QCOMPARE(doc.caption(), QStringLiteral(" - Markloom"));
        doc.navigationStarted();
        doc.navigationEnded(); // a first load that brought nothing no longer says it is coming
        doc.navigationStarted();
        QVERIFY(doc.acceptsDocument());
        doc.documentShown({QStringLiteral("mltest://a/f.html"), QStringLiteral("Frame")}, false);
        doc.documentShown({QStringLiteral("mltest://a/one.html"), QStringLiteral("One")}, true);
        QCOMPARE(doc.docElement().Document.URL, QStringLiteral("mltest://a/one.html"));
        QVERIFY(doc.acceptsDocument()); // nothing to lose yet
        doc.setModified(true);
        QVERIFY(!doc.acceptsDocument()); // a page's own navigation must not replace the edits
        doc.saveFailed(QStringLiteral("/x/bad.txt"));
        QVERIFY(doc.isModified() && !doc.hasFile());
        QCOMPARE(doc.filePath(), QStringLiteral("/x/bad.txt"));
        doc.saved(QStringLiteral("/x/a.txt"), QStringLiteral("a.txt"));
        QCOMPARE(doc.caption(), QStringLiteral("One a.txt - Markloom"));
        doc.setModified(true);
        doc.navigationStarted(); // edits given up: the old name, no mark, while loading
        QVERIFY(!doc.isModified() && doc.acceptsDocument());
        doc.setModified(true); // typed while the page loads: the page asked for still comes
        QVERIFY(doc.acceptsDocument());
        doc.documentShown({QStringLiteral("mltest://a/two.html"), QStringLiteral("Two")}, true);
        QVERIFY(!doc.isModified() && doc.hasFile());
        doc.setModified(true); // the first edit after every page shows the mark; a.txt holds another page
        QVERIFY(!doc.acceptsDocument());
        doc.navigationStarted();
        doc.navigationEnded(); // nothing came: pages of their own are refused again over edits
        doc.setModified(true);
        QVERIFY(!doc.acceptsDocument());
        // The caption is what was last told, so the list of captions told holds every step's.
        QStringList seen;
        for (const QList<QVariant> &args : captions)
            seen << args.at(0).toString().chopped(11); // without " - Markloom"
        QCOMPARE(seen, (QStringList{"読み込み中…", "", "読み込み中…", "Frame", "One", "One*", "One a.txt", "One* a.txt", "One a.txt",
                                    "One* a.txt", "Two", "Two*", "Two", "Two*"}));
    }

    void pageDocuments_data()
    {
        QTest::addColumn<QString>("events"); // documents arriving (f<path>, top), "nav" for a load the user starts
        QTest::addColumn<QString>("listed"); // as 表示 → フレーム lists them, indented by depth
        QTest::newRow("frames before the page") << "f0 f1 top" << "top | f0 | f1";
        QTest::newRow("nested frames under their parent") << "f0.1 f0.0 f0 f1 top" << "top | f0 | -f0.0 | -f0.1 | f1";
        QTest::newRow("a frame reported twice, once") << "f0.0 f0 f0.0 top" << "top | f0 | -f0.0";
        QTest::newRow("tenth frame after the second") << "f10 f2 top" << "top | f2 | f10";
        QTest::newRow("a second page alone") << "f0 top nav f5 top" << "top | f5";
        QTest::newRow("after a stopped load") << "f0 top nav f3 nav f4 top" << "top | f4";
        QTest::newRow("a page of its own after the first") << "f0 top top" << "top";
    }

    void pageDocuments()
    {
        QFETCH(QString, events);
        QFETCH(QString, listed);
        DocumentModel doc;
        for (const QString &e : events.split(QLatin1Char(' '))) {
            if (e == QLatin1String("nav"))
                doc.navigationStarted();
            else if (e == QLatin1String("top"))
                doc.documentShown({QStringLiteral("mltest://a/"), QStringLiteral("top")}, true);
            else
                doc.documentShown({QStringLiteral("mltest://a/") + e, e}, false, QString(), e.mid(1));
        }
        QStringList got;
        for (const PageDocument &d : doc.pageDocuments())
            got << QString(qMax(0, d.depth() - 1), QLatin1Char('-')) + d.document.nameProp;
        QCOMPARE(got.join(QStringLiteral(" | ")), listed);
        QCOMPARE(doc.shownDocument(), 0);
    }

    void addressList_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QStringList>("expected");
        QStringList fifty;
        for (int i = 0; i < 50; ++i)
            fifty << QString::number(i);
        QTest::newRow("new on top") << QStringList{"a", "b"} << "c" << QStringList{"c", "a", "b"};
        QTest::newRow("repeated moves up, once") << QStringList{"a", "b", "c"} << "c" << QStringList{"c", "a", "b"};
        QTest::newRow("nothing loaded") << QStringList{"a"} << "" << QStringList{"a"};
        QTest::newRow("the oldest goes past 50") << fifty << "new" << QStringList{"new"} + fifty.mid(0, 49);
        QTest::newRow("repeated at 50 keeps all") << fifty << "49" << QStringList{"49"} + fifty.mid(0, 49);
    }

    void addressList()
    {
        QFETCH(QStringList, list);
        QFETCH(QString, loaded);
        QFETCH(QStringList, expected);
        QCOMPARE(addresslist::loaded(list, loaded), expected);
    }

    void clearOf_data()
    {
        // A 300 x 100 window on a 1600 x 1000 screen.
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("hit");
        QTest::addColumn<QRect>("expected");
        const QRect w(400, 300, 300, 100);
        QTest::newRow("hit elsewhere: stays") << w << QRect(100, 100, 50, 16) << w;
        QTest::newRow("hit on its top row") << w << QRect(450, 300, 50, 16) << QRect(400, 316, 300, 100);
        QTest::newRow("no room below: above") << QRect(400, 850, 300, 100) << QRect(450, 900, 50, 16)
                                              << QRect(400, 800, 300, 100);
        QTest::newRow("exactly room below") << QRect(400, 850, 300, 100) << QRect(450, 884, 50, 16)
                                            << QRect(400, 900, 300, 100);
        QTest::newRow("no room either way: stays") << QRect(400, 0, 300, 1000) << QRect(450, 500, 50, 16)
                                                   << QRect(400, 0, 300, 1000);
    }

    void clearOf()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, hit);
        QFETCH(QRect, expected);
        QCOMPARE(::clearOf(window, hit, QRect(0, 0, 1600, 1000)), expected);
        // A frame that must fit a screen, moved and cut to it.
        QCOMPARE(::fitInside(window, QRect(0, 0, 1600, 1000)), window);
        QCOMPARE(::fitInside(QRect(20, 80, 1568, 952), QRect(0, 24, 1600, 976)), QRect(20, 48, 1568, 952));
        QCOMPARE(::fitInside(QRect(-10, 900, 1700, 400), QRect(0, 24, 1600, 976)), QRect(0, 600, 1600, 400));
        QCOMPARE(::fitInside(QRect(0, 0, 900, 2000), QRect(0, 24, 1600, 976)), QRect(0, 24, 900, 976));
    }

    void docName_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("expected");
        QTest::newRow("title") << "Hello" << "https://a.test/x/y.html" << "Hello";
        QTest::newRow("segment") << "" << "https://a.test/x/y%20z.html" << "y z.html";
        QTest::newRow("trailing slash") << "" << "https://a.test/dir/" << "dir";
        QTest::newRow("host") << "" << "https://a.test/" << "a.test";
        QTest::newRow("no path, no host") << "" << "about:" << "about:";
    }

    void docName()
    {
        QFETCH(QString, title);
        QFETCH(QString, url);
        QFETCH(QString, expected);
        QCOMPARE(documentDisplayName(title, QUrl(url)), expected);
    }

    void besideRect_data()
    {
        // On a 1600 x 1000 screen, with a frame adding 2 x 24 to a window of 460 x 300.
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<QRect>("placed");
        const QSize w(460, 300);
        QTest::newRow("exactly fits on the right") << QRect(100, 50, 1038, 600) << w << QRect(1138, 50, 462, 324);
        QTest::newRow("exactly fits on the left") << QRect(462, 50, 1000, 600) << w << QRect(0, 50, 462, 324);
        QTest::newRow("narrowed on the wider side") << QRect(340, 50, 870, 800) << w << QRect(1210, 50, 390, 324);
        QTest::newRow("narrowed on the left") << QRect(400, 50, 1100, 800) << w << QRect(0, 50, 400, 324);
        QTest::newRow("no side wide enough: over the edge") << QRect(100, 0, 1400, 900) << w << QRect(1138, 0, 462, 324);
        QTest::newRow("kept above the bottom") << QRect(100, 900, 800, 50) << w << QRect(900, 676, 462, 324);
        QTest::newRow("larger than the screen") << QRect(100, 50, 800, 600) << QSize(2000, 2000)
                                                << QRect(900, 0, 700, 1000);
    }

    void besideRect()
    {
        QFETCH(QRect, anchor);
        QFETCH(QSize, wanted);
        QFETCH(QRect, placed);
        QCOMPARE(::besideRect(QRect(0, 0, 1600, 1000), anchor, wanted, QSize(2, 24), 240), placed);
    }

    void localFiles_data()
    {
        QTest::addColumn<QString>("page"); // below the tree; a full address when it has a scheme
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("use");
        QTest::addColumn<bool>("loads");
        using localfiles::Use;
        const QString page = QStringLiteral("site/page.html");
        const auto row = [&](const char *file, Use use, bool loads, const QString &from = QString()) {
            QTest::addRow("%s as %d%s", file, int(use), from.isEmpty() ? "" : qPrintable(" from " + from))
                << (from.isEmpty() ? page : from) << QString::fromLatin1(file) << int(use) << loads;
        };
        row("site/own.js", Use::Script, true);
        row("site/x.js.download", Use::Script, true);
        row("site/data.json", Use::Script, false); // a JSON module
        row("site/style.css", Use::Script, false); // a CSS module
        row("site/notes.txt", Use::Script, false);
        row("site/style.css", Use::Style, true);
        row("site/t.xsl", Use::Style, true);
        row("site/notes.txt", Use::Style, false);
        row("site/pic.svg", Use::Image, true);
        row("site/pic.svg", Use::Page, true);
        row("site/sub/f.html", Use::Page, true);
        row("site/notes.txt", Use::Page, false);
        row("site/own.js", Use::Read, false);
        row("site/nosuch.js", Use::Script, false);
        row("site-private/x.html", Use::Page, false);
        row("secret/s.css", Use::Style, false);
        row("site/link-out.txt", Use::Image, false);
        row("site/linkdir/s.css", Use::Style, false);
        row("site/link-in.js", Use::Script, true);
        row("site/../secret/s.css", Use::Style, false);
        row("site/%2e%2e/secret/s.css", Use::Style, false);
        row("site/sub/../own.js", Use::Script, true);
        row("site/sub/f.html", Use::Page, false, QStringLiteral("http://site/page.html"));
        row("site/own.js", Use::Script, false, QStringLiteral("file://host/site/page.html"));
        row("site/own.js", Use::Script, true, QStringLiteral("site/sub/../page.html"));
    }

    void localFiles()
    {
        QFETCH(QString, page);
        QFETCH(QString, file);
        QFETCH(int, use);
        QFETCH(bool, loads);
        const QString root = localTree();
        const auto address = [&](const QString &path) {
            return path.contains(QLatin1Char(':')) ? QUrl(path) : QUrl(QStringLiteral("file://") + root + QLatin1Char('/') + path);
        };
        QCOMPARE(localfiles::mayLoad(address(page), address(file), localfiles::Use(use)), loads);
    }

    void commandLineAddress_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("from"); // below the tree
        QTest::addColumn<QString>("file"); // below the tree; empty: the argument stays as it is
        QTest::newRow("name") << "page.html" << "site" << "site/page.html";
        QTest::newRow("../x/name") << "../sub/f.html" << "site/sub" << "site/sub/f.html";
        QTest::newRow("no such file") << "nosuch.html" << "site" << QString();
        QTest::newRow("a folder") << "sub" << "site" << QString();
        QTest::newRow("an address") << "http://page.html" << "site" << QString();
        QTest::newRow("standard input") << "-" << "site" << QString();
    }

    void commandLineAddress()
    {
        QFETCH(QString, argument);
        QFETCH(QString, from);
        QFETCH(QString, file);
        const QString root = localTree();
        const QString address = localfiles::commandLineAddress(argument, root + QLatin1Char('/') + from);
        QCOMPARE(address, file.isEmpty() ? argument : QUrl::fromLocalFile(root + QLatin1Char('/') + file).toString());
        // What is opened as a page: a file's address is; a folder's is not.
        QVERIFY(!localfiles::namesFolder(QUrl(address)));
        QVERIFY(localfiles::namesFolder(QUrl::fromLocalFile(root + QLatin1Char('/') + from)));
    }

    void leftFolders()
    {
        // A run that is gone leaves its folders to the next; a running one (this,
        // or another user's) keeps them, and so does a name without a process.
        const QString dir = markloomtest::sandboxPath(QStringLiteral("left"));
        QProcess gone;
        gone.start(QStringLiteral("true"));
        QVERIFY(gone.waitForStarted());
        const qint64 dead = gone.processId();
        QVERIFY(gone.waitForFinished());
        const QString deadOne = QStringLiteral("markloom-browser-%1-aaaaaa").arg(dead);
        const QString ours = QStringLiteral("markloom-browser-%1-bbbbbb").arg(QCoreApplication::applicationPid());
        const QStringList kept{QStringLiteral("markloom-browser-1-cccccc"), QStringLiteral("markloom-browser-dddddd"),
                               QStringLiteral("other-%1").arg(dead)};
        for (const QString &name : kept + QStringList{deadOne, ours})
            QVERIFY(QDir(dir).mkpath(name + QStringLiteral("/storage")));
        QCOMPARE(profilefolders::sweep(dir), QStringList{deadOne});
        const auto left = [&dir] { return QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name); };
        QStringList expected = kept + QStringList{ours};
        expected.sort();
        QCOMPARE(left(), expected);
        profilefolders::removeOwn(dir);
        expected.removeOne(ours);
        QCOMPARE(left(), expected);
    }
};

MARKLOOM_CORE_TEST_MAIN(TestCoreRules)
#include "tst_corerules.moc"
