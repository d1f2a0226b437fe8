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
    return "[DEFAULT]\r\nBASEURL=" + address.toUtf8() + "\r\n[InternetShortcut]\r\nURL=" + address.toUtf8() + "\r\n";
}

// By default a shortcut whose address names its own path, so every record can be checked.
void writeFile(const QString &dir, const QString &name, const QByteArray &bytes = {})
{
    QDir().mkpath(QFileInfo(dir + '/' + name).absolutePath());
    QFile f(dir + '/' + name);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(name));
    f.write(bytes.isNull() ? shortcutFor("http://x.test/" + name) : bytes);
}

// "name<parent" per node in tree order, folders with a trailing "/".
QString describe(const FavTreeData &data)
{
    QStringList out;
    for (const FavNode &n : data.nodes)
        out << n.name + (n.folder ? "/<" : "<") + (n.parent < 0 ? QString("-") : data.nodes.at(n.parent).name);
    return out.join(' ');
}

} // namespace

class TestFavoritesCore : public QObject
{
    Q_OBJECT
    QString m_dir; // a fresh folder per test function and data row

private Q_SLOTS:
    void init() { m_dir = markloomtest::sandboxPath(QUuid::createUuid().toString(QUuid::Id128)); }

    void shortcut_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *tag, const QByteArray &content, const QString &expected,
                            const char *file = "a.url") { QTest::newRow(tag) << QString(file) << content << expected; };
        const QByteArray four = shortcutFor("http://a.test/x");
        // Without an address in [DEFAULT], the URL= line of [InternetShortcut], as most programs write them.
        row("URL line, any case", "[internetshortcut]\r\nIconFile=x\r\nurl=http://a/?b=[1]\r\nIconIndex=0",
            "http://a/?b=[1]");
        row("empty DEFAULT value falls back", "[DEFAULT]\r\nB=\r\n[InternetShortcut]\r\nURL=http://b/", "http://b/");
        row("URL= in another section", "[Other]\r\nURL=http://no/\r\n[InternetShortcut]\r\nX=1\r\n", "");
        row("DEFAULT last, to the end", "[InternetShortcut]\nURL=http://1/\n[DEFAULT]\nB=http://2/\n", "http://2/\n");
        row("from the first =, up to [", "[Default]\r\nURL=http://a/?q=1&r=[::1]/\r\n", "http://a/?q=1&r=");
        row("no = before the section ends", "[Default]\r\nnothing\r\n[X]\r\nU=y", "");
        row("extension lnk is not read", four, "", "a.lnk");
        row("extension LNK is read", four, "http://a.test/x\r\n", "a.LNK");
        row("no extension is read", four, "http://a.test/x\r\n", "shortcut");
        row("binary", QByteArray("\x00\xff\xfe[DEFAULT]\x00=\x80\x81[\x00", 18), QString(2, QChar(0xfffd)));
        // Read in 64 KiB pieces: what straddles two must come out as if read whole.
        row("marker across pieces", QByteArray(65536 - 4, ' ') + "[Default]\nU=v", "v");
        row("value across pieces", "[Default]\nU=" + QByteArray(1536 * 1024, 'a') + "[x", QString(1536 * 1024, 'a'));
        row("character across pieces", QByteArray(65536 - 13, ' ') + "[Default]\nU=\xe6\x97\xa5!", "日!");
        // An address after 50 MB of junk.
        const QByteArray junk(50 * 1024 * 1024, 'z');
        row("address after 50 MB", junk + "[Default]\r\nURL=http://late.test/", "http://late.test/");
        row("URL line split", "[InternetShortcut]\n" + QByteArray(65536 - 22, ' ') + "\nURL=http://p/", "http://p/");
        // The longest address taken, either place; one character more is none, never a cut one.
        const QByteArray longest(kMaxAddressLength, 'a');
        row("URL line of the longest", "[InternetShortcut]\r\nURL=" + longest + "\r\n", QString(longest));
        row("URL line one longer", "[InternetShortcut]\r\nURL=" + longest + "b\r\n", "");
        row("DEFAULT value of the longest", "[Default]\r\nU=" + longest, QString(longest));
        row("DEFAULT value one longer", "[Default]\r\nU=" + longest + "b", "");
    }

    void shortcut()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        writeFile(m_dir, fileName, content);
        QCOMPARE(readShortcutUrl(m_dir + '/' + fileName), expected);
        if (!fileName.endsWith(QLatin1String(".lnk")))
            QCOMPARE(shortcutAddress(QString::fromUtf8(content)), expected);
    }

    void scan()
    {
        // Folders first, name order ignoring case; repeated names each below their own folder.
        for (const char *file :
             {"A/desktop.ini", "B/desktop.ini", "B/A/x.url", "desktop.ini", "b.url", "C.url", "a.url", "Sub/inner.url"})
            writeFile(m_dir, file);
        // Names that are not UTF-8 (a file and a folder), which Qt cannot remove.
        const QByteArray badFile = QFile::encodeName(m_dir) + "/bad\xff\xfe.url";
        const QByteArray badFolder = QFile::encodeName(m_dir) + "/folder\xc3";
        const auto cleanUp = qScopeGuard([&] {
            ::unlink(badFile.constData());
            ::rmdir(badFolder.constData());
        });
        QVERIFY(::close(::open(badFile.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        QCOMPARE(::mkdir(badFolder.constData(), 0755), 0);
        // Links leading nowhere, to a file and to themselves; a pipe would block a reader forever.
        QVERIFY(QFile::link(m_dir + "/nowhere.url", m_dir + "/dangling.url"));
        QVERIFY(QFile::link(m_dir + "/a.url", m_dir + "/alias.url"));
        QVERIFY(QFile::link(m_dir + "/Sub/self", m_dir + "/Sub/self"));
        QCOMPARE(::mkfifo(QFile::encodeName(m_dir + "/pipe.url").constData(), 0644), 0);
        // Folders linked in from elsewhere are walked once; links back up or into the favourites are not.
        const QString outside = m_dir + "-elsewhere";
        writeFile(outside, "far.url");
        QVERIFY(QFile::link(outside, m_dir + "/Ext") && QFile::link(outside, m_dir + "/Ext2"));
        QVERIFY(QFile::link(outside, outside + "/loop") && QFile::link(m_dir + "/..", outside + "/parent"));
        QVERIFY(QFile::link(m_dir + "/Sub", m_dir + "/Into"));

        const FavTreeData data = FavoritesScan::build(m_dir);
        QCOMPARE(GetUrldata(m_dir, "alias.url"), QStringLiteral("http://x.test/a.url\r\n"));
        for (const char *empty : {"dangling.url", "pipe.url", "Sub\\self"})
            QCOMPARE(GetUrldata(m_dir, empty), QString());
        // Undecodable names cannot be named through Qt at all: left out, the rest is there.
        QCOMPARE(describe(data),
                 QString("A/<- desktop.ini<A B/<- A/<B x.url<A desktop.ini<B Ext/<- loop/<Ext parent/<Ext "
                         "far.url<Ext Ext2/<- Into/<- Sub/<- inner.url<Sub self<Sub "
                         "a.url<- alias.url<- b.url<- C.url<- dangling.url<- desktop.ini<- "
                         "pipe.url<-"));
        // Paths built through the parent, keys unique, a record per file node in order, with its address.
        QSet<QString> keys;
        int items = 0;
        for (const FavNode &n : data.nodes) {
            keys.insert(n.key);
            QCOMPARE(n.fullPath, (n.parent < 0 ? QString() : data.nodes.at(n.parent).fullPath + '\\') + n.name);
            QCOMPARE(n.item, n.folder ? -1 : items++);
            if (!n.folder) {
                QCOMPARE(data.items.at(n.item).NodePath, n.fullPath);
                QCOMPARE(data.items.at(n.item).Url, GetUrldata(m_dir, n.fullPath));
            }
        }
        QCOMPARE(keys.size(), data.nodes.size());
        QCOMPARE(data.items.size(), items);
        // A missing folder: an empty tree, and reading never creates it.
        QVERIFY(FavoritesScan::build(m_dir + "/missing").nodes.isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir + "/missing"));
    }

    // An unreadable favourite or folder is listed and takes nothing else down.
    void unreadableEntries()
    {
        for (const char *file : {"good.url", "secret.url", "Locked/inside.url"})
            writeFile(m_dir, file);
        const QByteArray locked = QFile::encodeName(m_dir + "/Locked");
        const auto restore = qScopeGuard([&] { ::chmod(locked.constData(), 0755); });
        QVERIFY(QFile::setPermissions(m_dir + "/secret.url", QFileDevice::WriteOwner));
        QCOMPARE(::chmod(locked.constData(), 0300), 0);
        if (::access(locked.constData(), R_OK) == 0)
            QSKIP("running with privileges that ignore permissions (root)");
        QCOMPARE(describe(FavoritesScan::build(m_dir)), QString("Locked/<- good.url<- secret.url<-"));
        QCOMPARE(GetUrldata(m_dir, "secret.url"), QString());
        QCOMPARE(GetUrldata(m_dir, "good.url"), QStringLiteral("http://x.test/good.url\r\n"));
    }

    void addShortcut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("file");     // empty: nothing may be written
        QTest::addColumn<QString>("readBack"); // the address as the reader gives it back
        const auto row = [](const char *tag, const QString &name, const QString &address, const QString &file,
                            const QString &readBack) { QTest::newRow(tag) << name << address << file << readBack; };
        const QString a = QStringLiteral("http://a.test/p?q=1");
        row("brackets after host", "p", "http://a.test/[1]?[2]#[f]", "p.url", "http://a.test/%5B1%5D?%5B2%5D#%5Bf%5D");
        row("non-ASCII", "p", "http://a.test/日本", "p.url", "http://a.test/日本");
        row("bracketed host", "p", "http://[::1]:8080/", "", "");
        row("no address", "p", "", "", "");
        row("forbidden, control characters", "a/b\\c:d*e?f\"g<h>i|j\r\nk\tl", a, "a_b_c_d_e_f_g_h_i_j  k l.url", a);
        row("dots and blanks, .url typed", " ..hidden. .url", a, "hidden.url", a);
        row("only dots", "..", a, "", "");
        row("device name", "con", a, "con_.url", a);
        row("device name with extension", "con.txt", a, "con_.txt.url", a);
        row("lone surrogate, pair kept", QChar(0xd800) + QString("x\U0001F600"), a, "_x\U0001F600.url", a);
        row("long, cut at a character", QString(100, QChar(0x65e5)), a, QString(66, QChar(0x65e5)) + ".url", a);
        const QString pair = QStringLiteral("\U0001F600");
        row("long, a pair never halved", "x" + pair.repeated(60), a, "x" + pair.repeated(49) + ".url", a);
        row("exactly as long as allowed", QString(200, 'n'), a, QString(200, 'n') + ".url", a);
    }

    void addShortcut()
    {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, file);
        QFETCH(QString, readBack);
        const QString folder = m_dir + "/New/Sub"; // created on the way
        const AddedShortcut added = favorites::addShortcut(folder, name, address);
        QCOMPARE(added.path, file.isEmpty() ? QString() : folder + '/' + file);
        QCOMPARE(added.error.isEmpty(), !file.isEmpty());
        QFile written(added.path);
        QCOMPARE(written.open(QIODevice::ReadOnly) ? written.readAll() : "",
                 readBack.isEmpty() ? "" : shortcutFor(readBack));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), file.isEmpty() ? 0 : 1);
        if (file.isEmpty())
            return;
        // Taken names, even by a link leading nowhere, are never written through.
        const QString base = folder + '/' + file.chopped(4);
        QVERIFY(QFile::link(m_dir + "/nowhere", base + " (2).url"));
        QCOMPARE(favorites::addShortcut(folder, name, address).path, base + " (3).url");
        QVERIFY(!QFileInfo::exists(m_dir + "/nowhere"));
    }
};

MARKLOOM_CORE_TEST_MAIN(TestFavoritesCore)
#include "tst_favoritescore.moc"
