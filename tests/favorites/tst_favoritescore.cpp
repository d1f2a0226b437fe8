#include "favorites/favoritesscan.h"
#include "favorites/favtreeresize.h"
#include "favorites/shortcutreader.h"
#include "favorites/shortcutwriter.h"
#include "support/testenv.h"

#include <QStandardPaths>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kShortcut = "[DEFAULT]\r\nBASEURL=http://a.test/\r\n[InternetShortcut]\r\nURL=http://a.test/\r\n";

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray shortcutFor(const QByteArray &address)
{
    return "[DEFAULT]\r\nBASEURL=" + address + "\r\n[InternetShortcut]\r\nURL=" + address + "\r\n";
}

// "name<parent" per node, folders marked with a trailing "/".
QStringList describe(const favorites::FavTreeData &data)
{
    QStringList out;
    for (const favorites::FavNode &n : data.nodes) {
        const QString parent = n.parent < 0 ? QStringLiteral("-") : data.nodes.at(n.parent).name;
        out << n.name + (n.folder ? QStringLiteral("/") : QString()) + QLatin1Char('<') + parent;
    }
    return out;
}

QStringList nodePaths(const favorites::FavTreeData &data)
{
    QStringList out;
    for (const FavItem &item : data.items)
        out << item.NodePath;
    return out;
}

const favorites::FavNode *findNode(const favorites::FavTreeData &data, const QString &fullPath)
{
    for (const favorites::FavNode &n : data.nodes) {
        if (n.fullPath == fullPath)
            return &n;
    }
    return nullptr;
}

QString urlOf(const favorites::FavTreeData &data, const QString &fullPath)
{
    const favorites::FavNode *n = findNode(data, fullPath);
    return n && n->item >= 0 ? data.items.at(n->item).Url : QStringLiteral("<no record>");
}

} // namespace

class TestFavoritesCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void shortcut_data();
    void shortcut();
    void relativePath();
    void hugeFiles();
    void exampleFolder();
    void emptyAndMissingFolder();
    void repeatedNames();
    void nameOrder();
    void badEntries();
    void linkedFolders();
    void unreadableFile();
    void favoritesFolderLocation();
    void safeFileName_data();
    void safeFileName();
    void storableAddress_data();
    void storableAddress();
    void addShortcut();
    void treeResize();

private:
    QString m_dir; // a fresh folder per test function
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

    const QByteArray four = "[DEFAULT]\r\nBASEURL=http://a.test/x\r\n[InternetShortcut]\r\nURL=http://a.test/x\r\n";
    QTest::newRow("four lines, DEFAULT in capitals") << "a.url" << four << "http://a.test/x\r\n";
    QTest::newRow("marker in small letters") << "a.url" << QByteArray("[default]\nX=v\n[y]") << "v\n";
    QTest::newRow("only InternetShortcut")
        << "a.url" << QByteArray("[InternetShortcut]\r\nURL=http://a.test/\r\n") << "";
    QTest::newRow("DEFAULT last, runs to the end")
        << "a.url" << QByteArray("[InternetShortcut]\r\nURL=http://one/\r\n[DEFAULT]\r\nBASEURL=http://two/\r\n")
        << "http://two/\r\n";
    QTest::newRow("no line break at the end") << "a.url" << QByteArray("[Default]\r\nX=abc") << "abc";
    QTest::newRow("[ in the value ends it") << "a.url" << QByteArray("[Default]\r\nURL=http://[::1]/\r\n") << "http://";
    QTest::newRow("= in the value stays")
        << "a.url" << QByteArray("[Default]\r\nURL=http://a.test/?q=1&r=2\r\n[X]\r\n") << "http://a.test/?q=1&r=2\r\n";
    QTest::newRow("two keys") << "a.url" << QByteArray("[Default]\r\nBASEURL=http://a/\r\nIDList=\r\n[X]\r\nURL=b")
                              << "http://a/\r\nIDList=\r\n";
    QTest::newRow("no = before the section ends")
        << "a.url" << QByteArray("[Default]\r\nnothing\r\n[X]\r\nURL=y") << "";
    QTest::newRow("empty file") << "a.url" << QByteArray() << "";
    QTest::newRow("extension lnk is not read") << "a.lnk" << four << "";
    QTest::newRow("extension LNK is read") << "a.LNK" << four << "http://a.test/x\r\n";
    QTest::newRow("no extension is read") << "shortcut" << four << "http://a.test/x\r\n";
    QTest::newRow("UTF-8 address") << "a.url" << QByteArray("[Default]\nURL=http://例え.テスト/\n")
                                   << QStringLiteral("http://例え.テスト/\n");
    QTest::newRow("binary") << "a.url" << QByteArray("\x00\xff\xfe[DEFAULT]\x00=\x80\x81[\x00", 18)
                            << QString(QChar::ReplacementCharacter) + QChar::ReplacementCharacter;
    QTest::newRow("cut character at the end")
        << "a.url" << QByteArray("[Default]\nU=ab\xe3\x81") << QStringLiteral("ab\uFFFD\uFFFD");
    // The file is read in 64 KiB pieces and decoded in pieces: what straddles
    // them must come out as if the file were read whole.
    QTest::newRow("marker across pieces") << "a.url" << QByteArray(65536 - 4, ' ') + "[Default]\nU=v"
                                          << "v";
    QTest::newRow("= across pieces") << "a.url" << QByteArray(65536 - 11, '\n') + "[Default]\n=v["
                                     << "v";
    const QByteArray longValue(1536 * 1024, 'a'); // a megabyte and more without a place to cut
    QTest::newRow("value across pieces") << "a.url"
                                         << "[Default]\nU=" + longValue + "[x" << QString::fromLatin1(longValue);
    QTest::newRow("character across pieces")
        << "a.url" << QByteArray(65536 - 13, ' ') + "[Default]\nU=\xe6\x97\xa5!" << QStringLiteral("日!");
}

void TestFavoritesCore::shortcut()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    const QString path = m_dir + QLatin1Char('/') + fileName;
    writeFile(path, content);
    QCOMPARE(favorites::readShortcutUrl(path), expected);
    if (!fileName.endsWith(QLatin1String(".lnk")))
        QCOMPARE(favorites::defaultSectionValue(QString::fromUtf8(content)), expected);
}

void TestFavoritesCore::relativePath()
{
    writeFile(m_dir + QStringLiteral("/A/B/b.url"), shortcutFor("http://b.test/"));
    QCOMPARE(favorites::GetUrldata(m_dir, QStringLiteral("A\\B\\b.url")), QStringLiteral("http://b.test/\r\n"));
    QCOMPARE(favorites::GetUrldata(m_dir, QStringLiteral("A\\missing.url")), QString());
    // A folder is not a shortcut.
    QCOMPARE(favorites::GetUrldata(m_dir, QStringLiteral("A\\B")), QString());
}

void TestFavoritesCore::hugeFiles()
{
    // 50 MB each: an address near the start, no marker at all, and a value
    // that never ends (longer than any address: none).
    const QByteArray junk(50 * 1024 * 1024, 'z');
    writeFile(m_dir + QStringLiteral("/early.url"), "[Default]\r\nURL=http://big.test/\r\n[X]" + junk);
    writeFile(m_dir + QStringLiteral("/nomarker.url"), junk);
    writeFile(m_dir + QStringLiteral("/endless.url"), "[Default]\r\nURL=" + junk);
    writeFile(m_dir + QStringLiteral("/late.url"), junk + "[Default]\r\nURL=http://late.test/");
    const favorites::FavTreeData data = favorites::FavoritesScan::build(m_dir);
    QCOMPARE(data.items.size(), 4);
    QCOMPARE(urlOf(data, QStringLiteral("early.url")), QStringLiteral("http://big.test/\r\n"));
    QCOMPARE(urlOf(data, QStringLiteral("nomarker.url")), QString());
    QCOMPARE(urlOf(data, QStringLiteral("endless.url")), QString());
    QCOMPARE(urlOf(data, QStringLiteral("late.url")), QStringLiteral("http://late.test/"));
}

void TestFavoritesCore::exampleFolder()
{
    writeFile(m_dir + QStringLiteral("/top.url"), shortcutFor("http://top.test/"));
    writeFile(m_dir + QStringLiteral("/A/a.url"), shortcutFor("http://a.test/"));
    writeFile(m_dir + QStringLiteral("/A/B/b.url"), shortcutFor("http://b.test/"));
    QVERIFY(QDir().mkpath(m_dir + QStringLiteral("/R")));

    const favorites::FavTreeData data = favorites::FavoritesScan::build(m_dir);
    const QStringList expected = {"A/<-", "B/<A", "b.url<B", "a.url<A", "R/<-", "top.url<-"};
    QCOMPARE(describe(data), expected);
    QCOMPARE(nodePaths(data), (QStringList{"A\\B\\b.url", "A\\a.url", "top.url"}));
    QCOMPARE(data.items.at(0).Url, QStringLiteral("http://b.test/\r\n"));
    QCOMPARE(data.items.at(1).Url, QStringLiteral("http://a.test/\r\n"));
    QCOMPARE(data.items.at(2).Url, QStringLiteral("http://top.test/\r\n"));
    QCOMPARE(findNode(data, QStringLiteral("A\\B"))->folder, true);
    // Each file node points at its own record.
    for (const favorites::FavNode &n : data.nodes) {
        if (!n.folder)
            QCOMPARE(data.items.at(n.item).NodePath, n.fullPath);
        else
            QCOMPARE(n.item, -1);
    }
    // The folders alone, as the add dialog offers them.
    QStringList folders;
    for (const favorites::FavNode &n : favorites::FavoritesScan::folders(m_dir))
        folders << n.fullPath;
    QCOMPARE(folders, (QStringList{"A", "A\\B", "R"}));
}

void TestFavoritesCore::emptyAndMissingFolder()
{
    const favorites::FavTreeData empty = favorites::FavoritesScan::build(m_dir);
    QVERIFY(empty.nodes.isEmpty());
    QVERIFY(empty.items.isEmpty());

    const QString missing = m_dir + QStringLiteral("/missing");
    const favorites::FavTreeData none = favorites::FavoritesScan::build(missing);
    QVERIFY(none.nodes.isEmpty());
    QVERIFY(!QFileInfo::exists(missing)); // reading never creates it
    QCOMPARE(favorites::FavoritesScan::folders(missing).size(), 0);
}

void TestFavoritesCore::repeatedNames()
{
    writeFile(m_dir + QStringLiteral("/A/desktop.ini"), "[.ShellClassInfo]\r\n");
    writeFile(m_dir + QStringLiteral("/B/desktop.ini"), "[.ShellClassInfo]\r\n");
    writeFile(m_dir + QStringLiteral("/B/A/x.url"), shortcutFor("http://x.test/"));
    writeFile(m_dir + QStringLiteral("/desktop.ini"), "[.ShellClassInfo]\r\n");

    const favorites::FavTreeData data = favorites::FavoritesScan::build(m_dir);
    QCOMPARE(describe(data),
             (QStringList{"A/<-", "desktop.ini<A", "B/<-", "A/<B", "x.url<A", "desktop.ini<B", "desktop.ini<-"}));
    // Parents are linked by node, so B's "A" holds x.url, not the top-level A.
    QCOMPARE(data.nodes.at(4).parent, 3);
    QCOMPARE(nodePaths(data), (QStringList{"A\\desktop.ini", "B\\A\\x.url", "B\\desktop.ini", "desktop.ini"}));
    QSet<QString> keys;
    for (const favorites::FavNode &n : data.nodes)
        keys.insert(n.key);
    QCOMPARE(keys.size(), data.nodes.size());
    QCOMPARE(data.nodes.at(0).key, QStringLiteral("A"));
    QCOMPARE(data.nodes.at(3).key, QStringLiteral("A/2"));
    QCOMPARE(data.nodes.at(6).key, QStringLiteral("desktop.ini/3"));
    QCOMPARE(urlOf(data, QStringLiteral("B\\desktop.ini")), QString());
}

void TestFavoritesCore::nameOrder()
{
    for (const char *name : {"b.url", "a.url", "C.url", "A.url"})
        writeFile(m_dir + QLatin1Char('/') + QLatin1String(name), kShortcut);
    for (const char *name : {"zeta", "Alpha", "beta"})
        QVERIFY(QDir().mkpath(m_dir + QLatin1Char('/') + QLatin1String(name)));
    const favorites::FavTreeData data = favorites::FavoritesScan::build(m_dir);
    QCOMPARE(describe(data),
             (QStringList{"Alpha/<-", "beta/<-", "zeta/<-", "A.url<-", "a.url<-", "b.url<-", "C.url<-"}));
}

void TestFavoritesCore::badEntries()
{
    const QByteArray dir = QFile::encodeName(m_dir);
    writeFile(m_dir + QStringLiteral("/good.url"), shortcutFor("http://good.test/"));
    writeFile(m_dir + QStringLiteral("/Sub/inner.url"), shortcutFor("http://inner.test/"));
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) & 0xff);
    writeFile(m_dir + QStringLiteral("/binary.url"), binary);
    // A name that is not UTF-8, for a file and for a folder.
    const QByteArray badFile = dir + "/bad\xff\xfe.url";
    const QByteArray badFolder = dir + "/folder\xc3";
    // Names that do not decode cannot be removed through Qt either.
    const auto removeBadNames = qScopeGuard([&] {
        ::unlink(badFile.constData());
        ::rmdir(badFolder.constData());
    });
    const int fd = ::open(badFile.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, kShortcut.constData(), kShortcut.size()), ssize_t(kShortcut.size()));
    ::close(fd);
    QCOMPARE(::mkdir(badFolder.constData(), 0755), 0);
    // Links: one leading nowhere, one to a good file, folder links back up.
    QVERIFY(QFile::link(m_dir + QStringLiteral("/nowhere.url"), m_dir + QStringLiteral("/dangling.url")));
    QVERIFY(QFile::link(m_dir + QStringLiteral("/good.url"), m_dir + QStringLiteral("/alias.url")));
    QVERIFY(QFile::link(m_dir, m_dir + QStringLiteral("/Sub/up")));
    QVERIFY(QFile::link(m_dir + QStringLiteral("/Sub/self"), m_dir + QStringLiteral("/Sub/self")));
    // A pipe: opening it for reading would wait for a writer forever.
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir + QStringLiteral("/pipe.url")).constData(), 0644), 0);

    const favorites::FavTreeData data = favorites::FavoritesScan::build(m_dir);
    QCOMPARE(urlOf(data, QStringLiteral("good.url")), QStringLiteral("http://good.test/\r\n"));
    QCOMPARE(urlOf(data, QStringLiteral("alias.url")), QStringLiteral("http://good.test/\r\n"));
    QCOMPARE(urlOf(data, QStringLiteral("Sub\\inner.url")), QStringLiteral("http://inner.test/\r\n"));
    QCOMPARE(urlOf(data, QStringLiteral("dangling.url")), QString());
    QCOMPARE(urlOf(data, QStringLiteral("pipe.url")), QString());
    QCOMPARE(urlOf(data, QStringLiteral("Sub\\self")), QString());
    // The link back up is shown but not walked into.
    const favorites::FavNode *up = findNode(data, QStringLiteral("Sub\\up"));
    QVERIFY(up);
    QVERIFY(up->folder);
    QVERIFY(!findNode(data, QStringLiteral("Sub\\up\\good.url")));
    // Names that are not valid in the system encoding cannot be named through
    // the file system layer at all: they are left out, everything else is there.
    QCOMPARE(describe(data), (QStringList{"Sub/<-", "up/<Sub", "inner.url<Sub", "self<Sub", "alias.url<-",
                                          "binary.url<-", "dangling.url<-", "good.url<-", "pipe.url<-"}));
}

void TestFavoritesCore::linkedFolders()
{
    // Favourites kept elsewhere and linked in are shown once; links that lead
    // back up, or into the favourites folder itself, are not walked.
    const QString root = m_dir + QStringLiteral("/Favorites");
    const QString outside = m_dir + QStringLiteral("/Elsewhere");
    writeFile(outside + QStringLiteral("/far.url"), shortcutFor("http://far.test/"));
    writeFile(root + QStringLiteral("/Local/near.url"), shortcutFor("http://near.test/"));
    QVERIFY(QFile::link(outside, root + QStringLiteral("/Ext")));
    QVERIFY(QFile::link(outside, root + QStringLiteral("/Ext2")));
    QVERIFY(QFile::link(outside, outside + QStringLiteral("/loop")));
    QVERIFY(QFile::link(m_dir, outside + QStringLiteral("/parent")));
    QVERIFY(QFile::link(root + QStringLiteral("/Local"), root + QStringLiteral("/LocalLink")));

    const favorites::FavTreeData data = favorites::FavoritesScan::build(root);
    QCOMPARE(nodePaths(data), (QStringList{"Ext\\far.url", "Local\\near.url"}));
    QCOMPARE(describe(data), (QStringList{"Ext/<-", "loop/<Ext", "parent/<Ext", "far.url<Ext", "Ext2/<-", "Local/<-",
                                          "near.url<Local", "LocalLink/<-"}));
}

void TestFavoritesCore::unreadableFile()
{
    const QString path = m_dir + QStringLiteral("/secret.url");
    writeFile(path, kShortcut);
    writeFile(m_dir + QStringLiteral("/Locked/inside.url"), kShortcut);
    writeFile(m_dir + QStringLiteral("/open.url"), kShortcut);
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    QVERIFY(QFile::setPermissions(m_dir + QStringLiteral("/Locked"), QFileDevice::WriteOwner));
    QFile probe(path);
    const bool readable = probe.open(QIODevice::ReadOnly);
    probe.close();
    if (readable) {
        QFile::setPermissions(m_dir + QStringLiteral("/Locked"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QSKIP("Permission bits do not stop this user from reading (running as root)");
    }
    const favorites::FavTreeData data = favorites::FavoritesScan::build(m_dir);
    QCOMPARE(urlOf(data, QStringLiteral("secret.url")), QString());
    QCOMPARE(urlOf(data, QStringLiteral("open.url")), QStringLiteral("http://a.test/\r\n"));
    QVERIFY(findNode(data, QStringLiteral("Locked")));
    QVERIFY(!findNode(data, QStringLiteral("Locked\\inside.url")));
    QFile::setPermissions(m_dir + QStringLiteral("/Locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestFavoritesCore::favoritesFolderLocation()
{
    const QByteArray saved = qgetenv("MARKLOOM_FAVORITES");
    qputenv("MARKLOOM_FAVORITES", (m_dir + QStringLiteral("/Mine/")).toLocal8Bit());
    QCOMPARE(favorites::favoritesFolder(), m_dir + QStringLiteral("/Mine"));
    qunsetenv("MARKLOOM_FAVORITES");
    const QString fallback = favorites::favoritesFolder();
    qputenv("MARKLOOM_FAVORITES", saved);
    QCOMPARE(fallback,
             QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Favorites"));
    QVERIFY(!QFileInfo::exists(m_dir + QStringLiteral("/Mine")));
}

void TestFavoritesCore::safeFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "ページ名"
                           << "ページ名";
    QTest::newRow("forbidden characters") << "a/b\\c:d*e?f\"g<h>i|j"
                                          << "a_b_c_d_e_f_g_h_i_j";
    QTest::newRow("line breaks and tabs") << "one\r\ntwo\tthree"
                                          << "one  two three";
    QTest::newRow("leading dots and blanks") << " ..hidden. "
                                             << "hidden";
    QTest::newRow("only dots") << ".."
                               << "";
    QTest::newRow("device name") << "con.txt"
                                 << "con.txt_";
    QTest::newRow("lone surrogate") << QString(QChar(0xd800)) + "x"
                                    << "_x";
    QTest::newRow("pair kept") << QStringLiteral("\U0001F600") << QStringLiteral("\U0001F600");
    QTest::newRow("long, cut at a character") << QString(100, QChar(0x65e5)) << QString(66, QChar(0x65e5));
}

void TestFavoritesCore::safeFileName()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(favorites::safeFileName(name), expected);
}

void TestFavoritesCore::storableAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected"); // "-": none
    QTest::newRow("plain") << "http://a.test/p?q=1"
                           << "http://a.test/p?q=1";
    QTest::newRow("brackets after the host") << "http://a.test/p[1]?q=[2]#[f]"
                                             << "http://a.test/p%5B1%5D?q=%5B2%5D#%5Bf%5D";
    QTest::newRow("bracketed host") << "http://[::1]:8080/"
                                    << "-";
    QTest::newRow("non-ASCII") << "http://a.test/日本"
                               << "http://a.test/日本";
    QTest::newRow("empty") << ""
                           << "-";
}

void TestFavoritesCore::storableAddress()
{
    QFETCH(QString, address);
    QFETCH(QString, expected);
    const std::optional<QString> stored = favorites::storableAddress(address);
    QCOMPARE(stored.value_or(QStringLiteral("-")), expected);
}

void TestFavoritesCore::addShortcut()
{
    const QString folder = m_dir + QStringLiteral("/New/Sub");
    const QString address = QStringLiteral("http://a.test/x?y=1");
    const favorites::AddedShortcut first = favorites::addShortcut(folder, QStringLiteral("A: page"), address);
    QCOMPARE(first.path, folder + QStringLiteral("/A_ page.url"));
    QFile f(first.path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), shortcutFor(address.toUtf8()));
    f.close();
    QCOMPARE(favorites::readShortcutUrl(first.path), address + QStringLiteral("\r\n"));

    // The same name again: a new file beside it, the first one untouched.
    QCOMPARE(favorites::freeShortcutName(folder, QStringLiteral("A: page.url")), QStringLiteral("A_ page (2).url"));
    const favorites::AddedShortcut second =
        favorites::addShortcut(folder, QStringLiteral("A: page.url"), QStringLiteral("http://b.test/"));
    QCOMPARE(second.path, folder + QStringLiteral("/A_ page (2).url"));
    QCOMPARE(favorites::readShortcutUrl(first.path), address + QStringLiteral("\r\n"));
    QCOMPARE(favorites::readShortcutUrl(second.path), QStringLiteral("http://b.test/\r\n"));

    // A link in the way (even one leading nowhere) is not written through.
    QVERIFY(QFile::link(m_dir + QStringLiteral("/nowhere"), folder + QStringLiteral("/L.url")));
    QCOMPARE(favorites::addShortcut(folder, QStringLiteral("L"), address).path, folder + QStringLiteral("/L (2).url"));
    QVERIFY(!QFileInfo::exists(m_dir + QStringLiteral("/nowhere")));

    // An address the reader would cut short is stored in a form it gives back.
    const favorites::AddedShortcut bracket =
        favorites::addShortcut(folder, QStringLiteral("b"), QStringLiteral("http://a.test/[x]"));
    QCOMPARE(favorites::readShortcutUrl(bracket.path), QStringLiteral("http://a.test/%5Bx%5D\r\n"));

    const favorites::AddedShortcut noName = favorites::addShortcut(folder, QStringLiteral(" . "), address);
    QVERIFY(noName.path.isEmpty());
    QVERIFY(!noName.error.isEmpty());
    const favorites::AddedShortcut ipv6 =
        favorites::addShortcut(folder, QStringLiteral("v6"), QStringLiteral("http://[::1]/"));
    QVERIFY(ipv6.path.isEmpty());
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/v6.url")));
}

void TestFavoritesCore::treeResize()
{
    const FavTreeSize s = favTreeResize(5000, 6000);
    QCOMPARE(s.width, 4900);
    QCOMPARE(s.height, 6000);
    // No threshold: small windows follow too.
    QCOMPARE(favTreeResize(150, 10).width, 50);
    QCOMPARE(favTreeResize(150, 10).height, 10);
}

MARKLOOM_CORE_TEST_MAIN(TestFavoritesCore)
#include "tst_favoritescore.moc"
