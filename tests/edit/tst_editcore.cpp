#include "edit/findstep.h"
#include "edit/sourcefilewriter.h"
#include "support/testenv.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using sourcefile::WriteResult;

class TestEditCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findNext_data();
    void findNext();
    void encode_data();
    void encode();
    void writeNewAndReplace();
    void refusedTargets_data();
    void refusedTargets();
    void readOnlyFolder();
    void failedWriteKeepsEarlierFile_data();
    void failedWriteKeepsEarlierFile();
    void characterDevice();
    void unencodableWritesNothing();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }
    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
};

void TestEditCore::findNext_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("hit");
    QTest::newRow("from the top") << "abcabc" << "abc" << 0 << 1;
    QTest::newRow("after the first hit") << "abcabc" << "abc" << 2 << 4;
    QTest::newRow("after the last hit") << "abcabc" << "abc" << 5 << 0;
    QTest::newRow("overlapping") << "aaa" << "aa" << 2 << 2;
    QTest::newRow("hit on the last character") << "aa" << "a" << 2 << 2;
    QTest::newRow("past the end") << "aa" << "a" << 3 << 0;
    QTest::newRow("longer than the text") << "abc" << "abcd" << 0 << 0;
    QTest::newRow("longer than the rest") << "abcab" << "abc" << 2 << 0;
    QTest::newRow("case counts") << "abc" << "ABC" << 0 << 0;
    QTest::newRow("width counts") << "ａｂｃ abc" << "abc" << 0 << 5;
    QTest::newRow("empty text") << "" << "a" << 0 << 0;
    QTest::newRow("empty needle") << "abc" << "" << 0 << 1;
    QTest::newRow("empty needle inside") << "abc" << "" << 3 << 3;
    QTest::newRow("empty needle past the end") << "abc" << "" << 4 << 0;
    QTest::newRow("empty needle in empty text") << "" << "" << 0 << 0;
    QTest::newRow("surrogate pairs count two") << "\U0001F600x" << "x" << 0 << 3;
    QTest::newRow("japanese") << "日本語の日本" << "日本" << 2 << 5;
}

void TestEditCore::findNext()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(int, from);
    QFETCH(int, hit);
    QCOMPARE(findstep::findNext(text, needle, from), hit);
}

void TestEditCore::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("bytes"); // empty with ok=false: refused
    QTest::addColumn<bool>("ok");
    const int utf8 = QStringConverter::Utf8;
    const int latin1 = QStringConverter::Latin1;
    QTest::newRow("utf-8 japanese, no BOM") << "<p>日本語</p>\r\n" << utf8
                                            << QByteArray("<p>\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e</p>\r\n") << true;
    QTest::newRow("utf-8 empty") << "" << utf8 << QByteArray() << true;
    QTest::newRow("latin-1 held") << "caf\u00e9" << latin1 << QByteArray("caf\xe9") << true;
    QTest::newRow("latin-1 cannot hold japanese") << "a日b" << latin1 << QByteArray() << false;
    QTest::newRow("latin-1 cannot hold U+0100") << "\u0100" << latin1 << QByteArray() << false;
    QTest::newRow("a real question mark is no error") << "a?b" << latin1 << QByteArray("a?b") << true;
    QTest::newRow("utf-8 trailing lone surrogate") << "ab" + QString(QChar(0xD800)) << utf8 << QByteArray() << false;
    QTest::newRow("utf-8 lone low surrogate") << QString(QChar(0xDC00)) + "ab" << utf8 << QByteArray() << false;
    QTest::newRow("utf-8 pair") << "\U0001F600" << utf8 << QByteArray("\xf0\x9f\x98\x80") << true;
}

void TestEditCore::encode()
{
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    const std::optional<QByteArray> got = sourcefile::encode(text, QStringConverter::Encoding(encoding));
    QCOMPARE(got.has_value(), ok);
    if (ok)
        QCOMPARE(*got, bytes);
}

void TestEditCore::writeNewAndReplace()
{
    const QString file = path(QStringLiteral("page"));
    QCOMPARE(sourcefile::save(file, QStringLiteral("一つ目"), QStringConverter::Utf8), WriteResult::Ok);
    QCOMPARE(contents(file), QStringLiteral("一つ目").toUtf8());
    QCOMPARE(sourcefile::save(file, QStringLiteral("2"), QStringConverter::Utf8), WriteResult::Ok);
    QCOMPARE(contents(file), QByteArray("2"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("page")});
}

void TestEditCore::refusedTargets_data()
{
    QTest::addColumn<QString>("target");
    QDir().mkpath(path(QStringLiteral("folder")));
    QTest::newRow("empty path") << QString();
    QTest::newRow("a folder") << path(QStringLiteral("folder"));
    QTest::newRow("missing folder") << path(QStringLiteral("no/such/folder/x.txt"));
    QTest::newRow("file as folder") << path(QStringLiteral("plain.txt/x.txt"));
    QTest::newRow("over-long name") << path(QString(300, QLatin1Char('n')) + QStringLiteral(".txt"));
    QTest::newRow("NUL in the name") << path(QStringLiteral("a") + QChar(0) + QStringLiteral("b.txt"));
}

void TestEditCore::refusedTargets()
{
    QFETCH(QString, target);
    QFile plain(path(QStringLiteral("plain.txt")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QStringList before = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    // Linux makes the temporary file without a name, so a name the file system
    // refuses may only fail at the final rename: either way nothing appears.
    const WriteResult result = sourcefile::writeBytes(target, "x");
    QVERIFY(result == WriteResult::CannotCreate || result == WriteResult::WriteFailed);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(contents(path(QStringLiteral("plain.txt"))), QByteArray());
}

void TestEditCore::readOnlyFolder()
{
    const QString folder = path(QStringLiteral("readonly"));
    QVERIFY(QDir().mkpath(folder));
    const QString existing = folder + QStringLiteral("/old.txt");
    QVERIFY(sourcefile::writeBytes(existing, "earlier") == WriteResult::Ok);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    const bool writable = ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
    if (writable) {
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        QSKIP("running with privileges that ignore folder permissions (root)");
    }
    QCOMPARE(sourcefile::writeBytes(folder + QStringLiteral("/new.txt"), "x"), WriteResult::CannotCreate);
    // No temporary file can be made beside it, and it is never overwritten in place.
    QCOMPARE(sourcefile::writeBytes(existing, "later"), WriteResult::CannotCreate);
    QCOMPARE(contents(existing), QByteArray("earlier"));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

void TestEditCore::failedWriteKeepsEarlierFile_data()
{
    QTest::addColumn<int>("size");
    // Both below and above the size a device buffer would hold back.
    QTest::newRow("8 KiB") << 8 * 1024;
    QTest::newRow("64 KiB") << 64 * 1024;
}

// A write that runs out of room (here a file-size limit standing in for a full
// disk) fails and leaves the earlier file exactly as it was.
void TestEditCore::failedWriteKeepsEarlierFile()
{
    QFETCH(int, size);
    const QString file = path(QStringLiteral("kept.txt"));
    QCOMPARE(sourcefile::writeBytes(file, "earlier"), WriteResult::Ok);

    const QByteArray big(size, 'x');
    rlimit old {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    const WriteResult result = sourcefile::writeBytes(file, big);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(result, WriteResult::WriteFailed);
    QCOMPARE(contents(file), QByteArray("earlier"));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("kept.txt*")}, QDir::Files),
             QStringList{QStringLiteral("kept.txt")});
}

// Devices are written in place: a save to /dev/full reports the full disk and
// /dev/full stays a device (a rename over it would replace the node).
void TestEditCore::characterDevice()
{
    struct stat st {};
    if (::stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode))
        QSKIP("no /dev/full character device here");
    QCOMPARE(sourcefile::writeBytes(QStringLiteral("/dev/full"), "x"), WriteResult::WriteFailed);
    QVERIFY(::stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode));
    QCOMPARE(sourcefile::writeBytes(QStringLiteral("/dev/null"), "x"), WriteResult::Ok);
    QVERIFY(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
}

void TestEditCore::unencodableWritesNothing()
{
    const QString file = path(QStringLiteral("latin.txt"));
    QCOMPARE(sourcefile::writeBytes(file, "earlier"), WriteResult::Ok);
    QCOMPARE(sourcefile::save(file, QStringLiteral("日本"), QStringConverter::Latin1), WriteResult::Unencodable);
    QCOMPARE(contents(file), QByteArray("earlier"));
}

MARKLOOM_CORE_TEST_MAIN(TestEditCore)
#include "tst_editcore.moc"
