// The safe file writer, where Save writes, and the find step, without
// windows. The refused targets are covered through the file commands.

#include "disklimit.h"
#include "edit/findstep.h"
#include "edit/saverule.h"
#include "edit/sourcefilewriter.h"
#include "support/testenv.h"

#include <QScopeGuard>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using sourcefile::WriteResult;

class TestEditCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void save_data();
    void save();
    void readOnlyFolderKeepsEarlierFile();
    void characterDevicesAreWrittenInPlace();
    void saveRoute_data();
    void saveRoute();
    void findStep_data();
    void findStep();

private:
    QTemporaryDir m_dir;
};

static QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void TestEditCore::save_data()
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
    QTest::newRow("disk full, 64 KiB") << QString(64 * 1024, 'x') << none << latin1 << failed << earlier;
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

void TestEditCore::save()
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
    QCOMPARE(contents(file), bytes);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("kept.txt")});
}

// No temporary file can be made beside it, and it is never overwritten in place instead.
void TestEditCore::readOnlyFolderKeepsEarlierFile()
{
    const QString existing = m_dir.filePath(QStringLiteral("readonly/old.txt"));
    const QByteArray folder = QFile::encodeName(m_dir.filePath(QStringLiteral("readonly")));
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    QCOMPARE(sourcefile::writeBytes(existing, "earlier"), WriteResult::Ok);
    QVERIFY(::chmod(folder.constData(), 0555) == 0);
    const auto restore = qScopeGuard([&] { ::chmod(folder.constData(), 0755); });
    if (::access(folder.constData(), W_OK) == 0)
        QSKIP("running with privileges that ignore folder permissions (root)");
    QCOMPARE(sourcefile::writeBytes(existing, "later"), WriteResult::CannotCreate);
    QCOMPARE(contents(existing), QByteArray("earlier"));
}

// A rename over a device would replace the node, so devices are written in place.
void TestEditCore::characterDevicesAreWrittenInPlace()
{
    struct stat st {};
    if (::stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode))
        QSKIP("no /dev/full character device here");
    QCOMPARE(sourcefile::writeBytes(QStringLiteral("/dev/full"), "x"), WriteResult::WriteFailed);
    QCOMPARE(sourcefile::writeBytes(QStringLiteral("/dev/null"), "x"), WriteResult::Ok);
    QVERIFY(::stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode));
    QVERIFY(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
}

void TestEditCore::saveRoute_data()
{
    QTest::addColumn<quint64>("shown");     // the document in the pane; 0: none
    QTest::addColumn<QString>("shownUrl");
    QTest::addColumn<QString>("savedPath"); // empty: never saved
    QTest::addColumn<quint64>("savedDoc");  // the document in the pane at the save
    QTest::addColumn<bool>("empty");
    QTest::addColumn<bool>("writes");
    const QString page("mltest://a/"), file("/d/a.html");
    QTest::newRow("never saved") << 1ull << page << QString() << 0ull << false << false;
    QTest::newRow("the document saved") << 1ull << page << file << 1ull << false << true;
    QTest::newRow("the document saved, emptied") << 1ull << page << file << 1ull << true << false;
    QTest::newRow("another document") << 2ull << page << file << 1ull << false << false;
    QTest::newRow("nothing shown, nothing was") << 0ull << QString() << file << 0ull << false << false;
    QTest::newRow("read from the file") << 3ull << "file:///d/a.html" << file << 1ull << false << true;
    QTest::newRow("read from it by another spelling") << 3ull << "file:///d/./a.html" << file << 1ull << false << true;
    QTest::newRow("read from it, emptied") << 3ull << "file:///d/a.html" << file << 1ull << true << false;
    QTest::newRow("read from another file") << 3ull << "file:///d/b.html" << file << 1ull << false << false;
    QTest::newRow("the same path on a site") << 3ull << "http://x/d/a.html" << file << 1ull << false << false;
}

void TestEditCore::saveRoute()
{
    QFETCH(quint64, shown);
    QFETCH(QString, shownUrl);
    QFETCH(QString, savedPath);
    QFETCH(quint64, savedDoc);
    QFETCH(bool, empty);
    QFETCH(bool, writes);
    QCOMPARE(saverule::route({shown, shownUrl}, {savedPath, savedDoc}, empty) == saverule::Route::Write, writes);
}

void TestEditCore::findStep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<int>("hit");
    QTest::newRow("case counts") << "abcABC" << "ABC" << 1 << true << 4;
    QTest::newRow("any case") << "abcABC" << "ABC" << 1 << false << 1;
    QTest::newRow("any case, from further on") << "aBa" << "A" << 2 << false << 3;
    QTest::newRow("Z and z") << "xz" << "Z" << 0 << false << 2;
    QTest::newRow("full width, any case") << "ａｂＣ" << "ＡＢｃ" << 1 << false << 1;
    QTest::newRow("full width, case counts") << "ａｂＣ" << "ＡＢｃ" << 1 << true << 0;
    QTest::newRow("width still counts") << "ABC" << "ａｂｃ" << 1 << false << 0;
    QTest::newRow("other letters keep their case") << "éΑ" << "Éα" << 1 << false << 0;
    QTest::newRow("not letters") << "[@`{" << "{`@[" << 1 << false << 0;
    QTest::newRow("beyond the text") << "abc" << "" << 4 << false << 0;
}

void TestEditCore::findStep()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(int, from);
    QFETCH(bool, matchCase);
    QFETCH(int, hit);
    QCOMPARE(findstep::findNext(text, needle, from, matchCase), hit);
}

MARKLOOM_CORE_TEST_MAIN(TestEditCore)
#include "tst_editcore.moc"
