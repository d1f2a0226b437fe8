// The safe file writer, without windows. The refused targets are covered
// through the window.

#include "disklimit.h"
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

MARKLOOM_CORE_TEST_MAIN(TestEditCore)
#include "tst_editcore.moc"
