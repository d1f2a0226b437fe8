// Save, Save As, New and Close on the main window, with pages served by the
// test and a scripted save dialog.

#include "app/markloomform.h"
#include "disklimit.h"
#include "edit/findandreplacedialog.h"
#include "platform/sourcepane.h"
#include "platform/webbrowser.h"
#include "scriptedservices.h"
#include "support/testpages.h"

#include <QComboBox>
#include <QStringEncoder>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using markloomtest::TestPages;

static QByteArray systemBytes(const QString &text) { return QStringEncoder(QStringConverter::System).encode(text); }

static QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

class TestFileCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void saveAsThenNavigationThenSave();
    void savedBytesAreThePaneText_data();
    void savedBytesAreThePaneText();
    void failedWriteKeepsState_data();
    void failedWriteKeepsState();
    void newStartsMinimizedCopy_data();
    void newStartsMinimizedCopy();
    void closeRunsShutDown();

private:
    // A form loaded with page a/one.html (document name "One"), or without a page.
    void makeForm(const QString &url = TestPages::url(QStringLiteral("a/one.html")));
    QString inDir(const QString &name) const { return m_dir->filePath(name); }
    Prompts::SaveChoice choice(const QString &name) const { return {inDir(name), name}; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MarkloomForm> m_form;
    std::unique_ptr<TestPages> m_pages;
    edittest::ScriptedPrompts *m_prompts = nullptr;
    edittest::ScriptedShell *m_shell = nullptr;
};

void TestFileCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pages = std::make_unique<TestPages>();
    m_pages->add("a/one.html", "<html><head><title>One</title></head><body><p>first 日本語</p></body></html>");
    m_pages->add("a/two.html", "<html><head><title>Two</title></head><body><p>second</p></body></html>");
}

void TestFileCommands::makeForm(const QString &url)
{
    m_form = std::make_unique<MarkloomForm>(url);
    m_pages->installOn(m_form->WebBrowser1->browserProfile());
    installScripted(*m_form, m_prompts, m_shell);
    if (!url.isEmpty()) {
        m_form->Form_Load();
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->docName().isEmpty(), 20000);
    }
}

void TestFileCommands::cleanup()
{
    m_form.reset();
    m_pages.reset();
    ::chmod(QFile::encodeName(inDir(QStringLiteral("ro"))).constData(), 0755); // so the folder can go
    m_dir.reset();
}

void TestFileCommands::saveAsThenNavigationThenSave()
{
    makeForm();
    m_form->ID_Save_Click(); // never saved: the save dialog; cancelled, nothing changes
    QVERIFY(!m_form->hasFile() && m_form->filePath().isEmpty());
    m_prompts->saveAnswers << choice(QStringLiteral("a.txt"));
    m_form->ID_Save_Click();
    QCOMPARE(m_prompts->saveInitialNames, QStringList(2, QStringLiteral("One")));
    QCOMPARE(m_prompts->lastSaveFilters, (QStringList{QStringLiteral("テキストファイル (*.txt)"),
                                                      QStringLiteral("HTMLファイル (*.html)"),
                                                      QStringLiteral("HTMファイル (*.htm)")}));
    QVERIFY(m_form->hasFile());
    QCOMPARE(m_form->windowTitle(), QStringLiteral("One a.txt - Markloom"));
    QVERIFY(contents(inDir(QStringLiteral("a.txt"))).contains("first"));

    m_form->WebBrowser1->Navigate2(TestPages::url(QStringLiteral("a/two.html")));
    QTRY_COMPARE_WITH_TIMEOUT(m_form->docName(), QStringLiteral("Two"), 20000);
    m_form->ID_Save_Click();
    QCOMPARE(m_prompts->saveInitialNames.size(), 2); // no dialog this time
    QVERIFY(contents(inDir(QStringLiteral("a.txt"))).contains("second"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Two a.txt - Markloom"));
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestFileCommands::savedBytesAreThePaneText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("japanese, line breaks as they are") << QStringLiteral("<p>日本語、ｶﾀｶﾅ</p>\r\nb\rc\n") << "out.txt";
    QTest::newRow("nul, outside the BMP") << QStringLiteral("a") + QChar(0) + QStringLiteral("\U0001F600")
                                          << "out.txt";
    QTest::newRow("name without extension kept") << QString() << "noext";
    QTest::newRow("10 MB") << QStringLiteral("<div class=\"row\">日本語 text &amp; more</div>\r\n").repeated(120000)
                           << "big.html";
}

// Replaces an existing file without a question, as the bytes of the system
// encoding without a BOM, and leaves nothing else in the folder.
void TestFileCommands::savedBytesAreThePaneText()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    makeForm(QString());
    m_form->HTMLSorceText->SetText(text);
    QFile old(inDir(name));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("a much longer earlier content") > 0);
    old.close();
    m_prompts->saveAnswers << choice(name);
    m_form->ID_SaveAs_Click();
    QVERIFY(m_prompts->messages.isEmpty());
    QCOMPARE(m_form->fileTitle(), name);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{name});
    QVERIFY(contents(inDir(name)) == systemBytes(text)); // QCOMPARE would print 10 MB on failure
}

void TestFileCommands::failedWriteKeepsState_data()
{
    QTest::addColumn<QString>("target"); // in the test folder unless absolute; empty: Save on a full disk
    QTest::addColumn<bool>("savedBefore");
    for (const bool saved : {false, true}) {
        const char *suffix = saved ? " (saved before)" : "";
        QTest::addRow("folder as target%s", suffix) << "." << saved;
        QTest::addRow("missing folder%s", suffix) << "no/such/x.txt" << saved;
        QTest::addRow("over-long name%s", suffix) << QString(300, QChar(0x65E5)) << saved;
        QTest::addRow("name with a NUL%s", suffix) << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << saved;
        QTest::addRow("full device%s", suffix) << "/dev/full" << saved;
        QTest::addRow("read-only folder%s", suffix) << "ro/x.txt" << saved;
    }
    QTest::newRow("disk full during Save") << QString() << true;
}

// The message, and the flag, caption, title and earlier file as they were.
void TestFileCommands::failedWriteKeepsState()
{
    QFETCH(QString, target);
    QFETCH(bool, savedBefore);
    struct stat st {};
    if (target == QLatin1String("/dev/full") && (::stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode)))
        QSKIP("no /dev/full here");
    const QByteArray ro = QFile::encodeName(inDir(QStringLiteral("ro")));
    if (target.startsWith(QLatin1String("ro/"))) {
        QVERIFY(QDir().mkpath(QFile::decodeName(ro)) && ::chmod(ro.constData(), 0555) == 0);
        if (::access(ro.constData(), W_OK) == 0)
            QSKIP("running with privileges that ignore folder permissions (root)");
    }
    makeForm();
    if (savedBefore) {
        m_prompts->saveAnswers << choice(QStringLiteral("good.txt"));
        m_form->ID_SaveAs_Click();
    }
    const QByteArray earlier = contents(inDir(QStringLiteral("good.txt")));
    m_form->HTMLSorceText->SetText(QStringLiteral("later ") + QString(8192, QLatin1Char('x')));
    QVERIFY(m_form->m_bModfied);
    const QString caption = m_form->windowTitle();
    const QString title = m_form->fileTitle();

    if (target.isEmpty()) {
        const DiskLimit full;
        QVERIFY(full.ok());
        m_form->ID_Save_Click();
    } else {
        const QString path = target.startsWith(QLatin1Char('/')) ? target : inDir(target);
        m_prompts->saveAnswers << Prompts::SaveChoice{path, QStringLiteral("x.txt")};
        m_form->ID_SaveAs_Click();
        QCOMPARE(m_form->filePath(), path); // taken even though the write failed
    }
    QCOMPARE(m_prompts->messages, QStringList{QStringLiteral("ファイル書き込みに失敗しました。")});
    QCOMPARE(m_form->hasFile(), savedBefore);
    QVERIFY(m_form->m_bModfied);
    QCOMPARE(m_form->windowTitle(), caption);
    QCOMPARE(m_form->fileTitle(), title);
    QCOMPARE(contents(inDir(QStringLiteral("good.txt"))), earlier);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), savedBefore ? QStringList{"good.txt"} : QStringList());
    QVERIFY(::stat("/dev/full", &st) != 0 || S_ISCHR(st.st_mode)); // still a device
}

void TestFileCommands::newStartsMinimizedCopy_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("starts");
    QTest::newRow("typed address with blanks") << "mltest://a/x y.html" << true;
    QTest::newRow("address that looks like an option") << "--help" << true;
    QTest::newRow("cannot start: reported") << "mltest://a/" << false;
}

// The address goes in whole and unchanged, after the end of the options.
void TestFileCommands::newStartsMinimizedCopy()
{
    QFETCH(QString, address);
    QFETCH(bool, starts);
    makeForm(QString());
    m_shell->answer = starts;
    m_form->AddressBarCombo->setEditText(address);
    m_form->ID_New_Click();
    QCOMPARE(m_shell->starts, (QList<QStringList>{{QCoreApplication::applicationFilePath(), "--", address}}));
    QCOMPARE(m_shell->others, 0);
    QCOMPARE(m_prompts->messages.size(), starts ? 0 : 1);
}

// No question about the unsaved edit; other windows go with the main one.
void TestFileCommands::closeRunsShutDown()
{
    makeForm(QString());
    m_form->show();
    m_form->HTMLSorceText->SetText(QStringLiteral("x"));
    m_form->HTMLSorceText->SetText(QStringLiteral("unsaved"));
    QVERIFY(m_form->m_bModfied);
    m_form->ID_Sch_Click();
    QPointer<FindAndReplaceDialog> find = m_form->findDialog();
    QVERIFY(find && find->isVisible());
    m_form->ID_Close_Click();
    QVERIFY(m_prompts->messages.isEmpty() && m_prompts->saveInitialNames.isEmpty());
    QVERIFY(!m_form->isVisible() && find.isNull());
}

MARKLOOM_UI_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
