#include "favorites/favoritesscan.h"
#include "favorites/shortcutreader.h"
#include "favorites/shortcutwriter.h"
#include "support/testenv.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace favorites;

namespace {

QByteArray shortcutFor(const QString &address)
{
    const QByteArray a = address.toUtf8();
    return "[DEFAULT]\r\nBASEURL=" + a + "\r\n[InternetShortcut]\r\nURL=" + a + "\r\n";
}

// A shortcut whose address names its own path, so every record can be checked.
void writeFile(const QString &dir, const QString &name, const QByteArray &bytes = {})
{
    QDir().mkpath(QFileInfo(dir + '/' + name).absolutePath());
    QFile f(dir + '/' + name);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(name));
    f.write(bytes.isNull() ? shortcutFor("http://x.test/" + name) : bytes);
}

// "name<parent" per node in tree order, folders with a trailing "/".
QStringList describe(const FavTreeData &data)
{
    QStringList out;
    for (const FavNode &n : data.nodes)
        out << n.name + (n.folder ? "/<" : "<") + (n.parent < 0 ? QString("-") : data.nodes.at(n.parent).name);
    return out;
}

} // namespace

class TestFavoritesCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void shortcut_data();
    void shortcut();
    void tree_data();
    void tree();
    void badEntries();
    void linkedFolders();
    void addShortcut_data();
    void addShortcut();
    void addShortcutNeverOverwrites();

private:
    QString m_dir; // a fresh folder per test function and data row
};

void TestFavoritesCore::init()
{
    static int n = 0;
    m_dir = markloomtest::sandboxPath(QStringLiteral("core%1").arg(++n));
}

void TestFavoritesCore::shortcut_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *tag, const char *file, const QByteArray &content, const QString &expected) {
        QTest::newRow(tag) << QString(file) << content << expected;
    };
    const QByteArray four = shortcutFor("http://a.test/x");
    row("four lines, DEFAULT in capitals", "a.url", four, "http://a.test/x\r\n");
    row("marker in small letters", "a.url", "[default]\nX=v\n[y]", "v\n");
    // Without an address in [DEFAULT], the URL= line of [InternetShortcut], as most programs write them.
    row("only InternetShortcut", "a.url", "[InternetShortcut]\r\nURL=http://a/\r\nIconIndex=0\r\n", "http://a/");
    row("URL key in any case, last line", "a.url", "[internetshortcut]\nIconFile=x\nurl=http://a/?b=[1]", "http://a/?b=[1]");
    row("empty DEFAULT value falls back", "a.url", "[DEFAULT]\r\nBASEURL=\r\n[InternetShortcut]\r\nURL=http://b/\r\n",
        "http://b/");
    row("URL= in another section", "a.url", "[Other]\r\nURL=http://no/\r\n[InternetShortcut]\r\nX=1\r\n", "");
    row("URL line across pieces", "a.url", "[InternetShortcut]\n" + QByteArray(65536 - 22, ' ') + "\nURL=http://p/", "http://p/");
    row("DEFAULT last, runs to the end", "a.url", "[InternetShortcut]\r\nURL=http://1/\r\n[DEFAULT]\r\nB=http://2/\r\n",
        "http://2/\r\n");
    row("no line break at the end", "a.url", "[Default]\r\nX=abc", "abc");
    row("[ in the value ends it", "a.url", "[Default]\r\nURL=http://[::1]/\r\n", "http://");
    row("= in the value stays", "a.url", "[Default]\r\nURL=http://a/?q=1&r=2\r\n[X]\r\n", "http://a/?q=1&r=2\r\n");
    row("two keys", "a.url", "[Default]\r\nBASEURL=http://a/\r\nIDList=\r\n[X]\r\nURL=b", "http://a/\r\nIDList=\r\n");
    row("no = before the section ends", "a.url", "[Default]\r\nnothing\r\n[X]\r\nU=y", "");
    row("empty file", "a.url", "", "");
    row("extension lnk is not read", "a.lnk", four, "");
    row("extension LNK is read", "a.LNK", four, "http://a.test/x\r\n");
    row("no extension is read", "shortcut", four, "http://a.test/x\r\n");
    row("binary", "a.url", QByteArray("\x00\xff\xfe[DEFAULT]\x00=\x80\x81[\x00", 18), QString(2, QChar(0xfffd)));
    // The file is read and decoded in 64 KiB pieces: what straddles two pieces
    // must come out as if the file were read whole.
    row("marker across pieces", "a.url", QByteArray(65536 - 4, ' ') + "[Default]\nU=v", "v");
    const QByteArray longValue(1536 * 1024, 'a');
    row("value across pieces", "a.url", "[Default]\nU=" + longValue + "[x", QString(longValue));
    row("character across pieces", "a.url", QByteArray(65536 - 13, ' ') + "[Default]\nU=\xe6\x97\xa5!", "日!");
}

void TestFavoritesCore::shortcut()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    writeFile(m_dir, fileName, content);
    QCOMPARE(readShortcutUrl(m_dir + '/' + fileName), expected);
    if (!fileName.endsWith(QLatin1String(".lnk")))
        QCOMPARE(shortcutAddress(QString::fromUtf8(content)), expected);
}

void TestFavoritesCore::tree_data()
{
    QTest::addColumn<QStringList>("entries"); // files, and folders with a trailing "/"
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty folder") << QStringList() << QStringList();
    QTest::newRow("example folder") << QStringList{"top.url", "A/a.url", "A/B/b.url", "R/"}
                                    << QStringList{"A/<-", "B/<A", "b.url<B", "a.url<A", "R/<-", "top.url<-"};
    // Repeated names each hang below their own folder; name order ignores case.
    QTest::newRow("desktop.ini in two folders")
        << QStringList{"A/desktop.ini", "B/desktop.ini", "B/A/x.url", "desktop.ini", "b.url", "C.url", "a.url", "beta/"}
        << QStringList{"A/<-",    "desktop.ini<A", "B/<-",    "A/<B",    "x.url<A",      "desktop.ini<B",
                       "beta/<-", "a.url<-",       "b.url<-", "C.url<-", "desktop.ini<-"};
}

void TestFavoritesCore::tree()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, expected);
    for (const QString &entry : entries)
        entry.endsWith('/') ? void(QDir().mkpath(m_dir + '/' + entry)) : writeFile(m_dir, entry);
    const FavTreeData data = FavoritesScan::build(m_dir);
    QCOMPARE(describe(data), expected);
    // Parents linked by node, keys unique, records in node order, each with its file's address.
    QSet<QString> keys;
    QStringList fileNodes;
    for (const FavNode &n : data.nodes) {
        keys.insert(n.key);
        QCOMPARE(n.fullPath, (n.parent < 0 ? QString() : data.nodes.at(n.parent).fullPath + '\\') + n.name);
        if (!n.folder)
            fileNodes << n.fullPath;
        QCOMPARE(n.item >= 0 ? data.items.at(n.item).NodePath : QString(), n.folder ? QString() : n.fullPath);
    }
    QCOMPARE(keys.size(), data.nodes.size());
    QCOMPARE(data.items.size(), fileNodes.size());
    for (qsizetype i = 0; i < data.items.size(); ++i) {
        const QString path = fileNodes.at(i);
        QCOMPARE(data.items.at(i).NodePath, path);
        QCOMPARE(data.items.at(i).Url, "http://x.test/" + QString(path).replace('\\', '/') + "\r\n");
        QCOMPARE(GetUrldata(m_dir, path), data.items.at(i).Url);
    }
}

void TestFavoritesCore::badEntries()
{
    writeFile(m_dir, "good.url");
    writeFile(m_dir, "Sub/inner.url");
    // 50 MB each: an address after all the junk, and a value too long to be any address.
    const QByteArray junk(50 * 1024 * 1024, 'z');
    writeFile(m_dir, "big1.url", junk + "[Default]\r\nURL=http://late.test/");
    writeFile(m_dir, "big2.url", "[Default]\r\nURL=" + junk);
    writeFile(m_dir, "secret.url");
    writeFile(m_dir, "Locked/inside.url");
    // Names that are not UTF-8 (a file and a folder), which Qt cannot remove.
    const QByteArray badFile = QFile::encodeName(m_dir) + "/bad\xff\xfe.url";
    const QByteArray badFolder = QFile::encodeName(m_dir) + "/folder\xc3";
    const auto cleanUp = qScopeGuard([&] {
        ::unlink(badFile.constData());
        ::rmdir(badFolder.constData());
        ::chmod(QFile::encodeName(m_dir + "/Locked").constData(), 0755);
    });
    QVERIFY(::close(::open(badFile.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
    QCOMPARE(::mkdir(badFolder.constData(), 0755), 0);
    QVERIFY(QFile::setPermissions(m_dir + "/secret.url", QFileDevice::WriteOwner));
    QVERIFY(QFile::setPermissions(m_dir + "/Locked", QFileDevice::WriteOwner));
    const bool permissionsBite = ::access(QFile::encodeName(m_dir + "/secret.url").constData(), R_OK) != 0;
    // Links: one leading nowhere, one to a good file, one to itself.
    QVERIFY(QFile::link(m_dir + "/nowhere.url", m_dir + "/dangling.url"));
    QVERIFY(QFile::link(m_dir + "/good.url", m_dir + "/alias.url"));
    QVERIFY(QFile::link(m_dir + "/Sub/self", m_dir + "/Sub/self"));
    // A pipe: opening it for reading would wait for a writer forever.
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir + "/pipe.url").constData(), 0644), 0);

    const FavTreeData data = FavoritesScan::build(m_dir);
    QCOMPARE(GetUrldata(m_dir, "alias.url"), QStringLiteral("http://x.test/good.url\r\n"));
    QCOMPARE(GetUrldata(m_dir, "big1.url"), QStringLiteral("http://late.test/"));
    for (const char *empty : {"big2.url", "dangling.url", "pipe.url", "Sub\\self"})
        QCOMPARE(GetUrldata(m_dir, empty), QString());
    QCOMPARE(GetUrldata(m_dir, "secret.url").isEmpty(), permissionsBite);
    // Undecodable names cannot be named through Qt at all: left out, the rest is there.
    QStringList expected{"Locked/<-",      "inside.url<Locked", "Sub/<-",     "inner.url<Sub",
                         "self<Sub",       "alias.url<-",       "big1.url<-", "big2.url<-",
                         "dangling.url<-", "good.url<-",        "pipe.url<-", "secret.url<-"};
    if (permissionsBite)
        expected.removeOne("inside.url<Locked");
    QCOMPARE(describe(data), expected);

    // A missing folder: an empty tree, and reading never creates it.
    QVERIFY(FavoritesScan::build(m_dir + "/missing").nodes.isEmpty());
    QVERIFY(!QFileInfo::exists(m_dir + "/missing"));
}

void TestFavoritesCore::linkedFolders()
{
    // Favourites linked in from elsewhere are shown once; links that lead back
    // up, or into the favourites folder itself, are not walked.
    const QString root = m_dir + "/Favorites";
    const QString outside = m_dir + "/Elsewhere";
    writeFile(outside, "far.url");
    writeFile(root, "Local/near.url");
    QVERIFY(QFile::link(outside, root + "/Ext") && QFile::link(outside, root + "/Ext2"));
    QVERIFY(QFile::link(outside, outside + "/loop") && QFile::link(m_dir, outside + "/parent"));
    QVERIFY(QFile::link(root + "/Local", root + "/LocalLink"));
    QCOMPARE(describe(FavoritesScan::build(root)),
             (QStringList{"Ext/<-", "loop/<Ext", "parent/<Ext", "far.url<Ext", "Ext2/<-", "Local/<-", "near.url<Local",
                          "LocalLink/<-"}));
}

void TestFavoritesCore::addShortcut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("file");     // empty: nothing may be written
    QTest::addColumn<QString>("readBack"); // the address as the reader gives it back
    const auto row = [](const char *tag, const QString &name, const QString &address, const QString &file,
                        const QString &readBack) { QTest::newRow(tag) << name << address << file << readBack; };
    const QString a = QStringLiteral("http://a.test/p?q=1");
    row("brackets after the host", "p", "http://a.test/p[1]?q=[2]#[f]", "p.url",
        "http://a.test/p%5B1%5D?q=%5B2%5D#%5Bf%5D");
    row("non-ASCII", "p", "http://a.test/日本", "p.url", "http://a.test/日本");
    row("bracketed host", "p", "http://[::1]:8080/", "", "");
    row("no address", "p", "", "", "");
    row("forbidden characters", "a/b\\c:d*e?f\"g<h>i|j", a, "a_b_c_d_e_f_g_h_i_j.url", a);
    row("line breaks and tabs", "one\r\ntwo\tthree", a, "one  two three.url", a);
    row("dots and blanks, .url typed", " ..hidden. .url", a, "hidden.url", a);
    row("only dots", "..", a, "", "");
    row("device name", "con", a, "con_.url", a);
    row("device name with extension", "con.txt", a, "con_.txt.url", a);
    row("lone surrogate, pair kept", QChar(0xd800) + QString("x\U0001F600"), a, "_x\U0001F600.url", a);
    row("long, cut at a character", QString(100, QChar(0x65e5)), a, QString(66, QChar(0x65e5)) + ".url", a);
}

void TestFavoritesCore::addShortcut()
{
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(QString, file);
    QFETCH(QString, readBack);
    const AddedShortcut added = favorites::addShortcut(m_dir, name, address);
    QCOMPARE(added.path, file.isEmpty() ? QString() : m_dir + '/' + file);
    QCOMPARE(added.error.isEmpty(), !file.isEmpty());
    QCOMPARE(readShortcutUrl(added.path), readBack.isEmpty() ? QString() : readBack + "\r\n");
    QCOMPARE(QDir(m_dir).entryList(QDir::Files).size(), file.isEmpty() ? 0 : 1);
}

void TestFavoritesCore::addShortcutNeverOverwrites()
{
    const QString folder = m_dir + "/New/Sub"; // created on the way
    const AddedShortcut first = favorites::addShortcut(folder, "A: page", "http://a.test/");
    QCOMPARE(first.path, folder + "/A_ page.url");
    QFile f(first.path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), shortcutFor("http://a.test/"));
    QCOMPARE(favorites::addShortcut(folder, "A: page.url", "http://b.test/").path, folder + "/A_ page (2).url");
    QCOMPARE(readShortcutUrl(first.path), QStringLiteral("http://a.test/\r\n"));
    // A link in the way, even one leading nowhere, is not written through.
    QVERIFY(QFile::link(m_dir + "/nowhere", folder + "/L.url"));
    QCOMPARE(favorites::addShortcut(folder, "L", "http://a.test/").path, folder + "/L (2).url");
    QVERIFY(!QFileInfo::exists(m_dir + "/nowhere"));
}

MARKLOOM_CORE_TEST_MAIN(TestFavoritesCore)
#include "tst_favoritescore.moc"
