// Save, Save As, New and Close on the main window, with pages served by the
// test and a scripted save dialog.

#include "app/markloomform.h"
#include "edit/findandreplacedialog.h"
#include "platform/sourcepane.h"
#include "platform/webbrowser.h"
#include "scriptedservices.h"
#include "support/testpages.h"

#include <QComboBox>
#include <QStringEncoder>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using edittest::ScriptedPrompts;
using edittest::ScriptedShell;
using markloomtest::TestPages;

namespace {

const QString kWriteFailed = QStringLiteral("ファイル書き込みに失敗しました。");

QByteArray systemBytes(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void saveNeverSavedIsSaveAs();
    void saveAfterNavigationWritesOldFile();
    void nameWithoutExtensionIsKept();
    void savedBytesAreThePaneText_data();
    void savedBytesAreThePaneText();
    void failedWriteKeepsState_data();
    void failedWriteKeepsState();
    void tenMegabyteSource();
    void newStartsMinimizedCopy_data();
    void newStartsMinimizedCopy();
    void newThatCannotStartIsReported();
    void closeRunsShutDown();

private:
    void makeForm(const QString &commandLine);
    // A form on page a/one.html (document name "One"), loaded.
    void loadForm(const QString &page = QStringLiteral("a/one.html"));
    Prompts::SaveChoice choice(const QString &name) const { return {m_dir->path() + QLatin1Char('/') + name, name}; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MarkloomForm> m_form;
    TestPages *m_pages = nullptr;
    ScriptedPrompts *m_prompts = nullptr;
    ScriptedShell *m_shell = nullptr;
};

void TestFileCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pages = new TestPages(this);
    m_pages->add("a/one.html", "<html><head><title>One</title></head><body><p>first 日本語</p></body></html>");
    m_pages->add("a/two.html", "<html><head><title>Two</title></head><body><p>second</p></body></html>");
    makeForm(QString());
}

void TestFileCommands::makeForm(const QString &commandLine)
{
    m_form = std::make_unique<MarkloomForm>(commandLine);
    m_pages->installOn(m_form->WebBrowser1->browserProfile());
    installScripted(*m_form, m_prompts, m_shell);
}

void TestFileCommands::cleanup()
{
    m_form.reset();
    delete m_pages;
    m_pages = nullptr;
    // Leave folders writable so the temporary folder can go.
    if (m_dir)
        ::chmod(QFile::encodeName(m_dir->path() + QStringLiteral("/ro")).constData(), 0755);
    m_dir.reset();
}

void TestFileCommands::loadForm(const QString &page)
{
    makeForm(TestPages::url(page));
    m_form->Form_Load();
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->docName().isEmpty(), 20000);
}

void TestFileCommands::saveNeverSavedIsSaveAs()
{
    loadForm();
    QCOMPARE(m_form->docName(), QStringLiteral("One"));

    // Cancelled: nothing changes, nothing is said.
    m_form->ID_Save_Click();
    QCOMPARE(m_prompts->saveCalls.size(), 1);
    const QStringList filters{QStringLiteral("テキストファイル (*.txt)"), QStringLiteral("HTMLファイル (*.html)"),
                              QStringLiteral("HTMファイル (*.htm)")};
    QCOMPARE(m_prompts->saveCalls[0].filters, filters);
    QCOMPARE(m_prompts->saveCalls[0].initialName, QStringLiteral("One"));
    QVERIFY(!m_form->hasFile());
    QVERIFY(m_form->filePath().isEmpty());
    QVERIFY(m_prompts->messages.isEmpty());
    QCOMPARE(m_form->windowTitle(), QStringLiteral("One - Markloom"));

    // Answered: written, and from now on the file has a name.
    m_prompts->saveAnswers << choice(QStringLiteral("one.html"));
    m_form->ID_Save_Click();
    QCOMPARE(m_prompts->saveCalls.size(), 2);
    QVERIFY(m_form->hasFile());
    QCOMPARE(m_form->filePath(), choice(QStringLiteral("one.html")).path);
    QCOMPARE(m_form->fileTitle(), QStringLiteral("one.html"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("One one.html - Markloom"));
    QCOMPARE(contents(m_form->filePath()), systemBytes(m_form->HTMLSorceText->Text()));
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestFileCommands::saveAfterNavigationWritesOldFile()
{
    loadForm();
    m_prompts->saveAnswers << choice(QStringLiteral("a.txt"));
    m_form->ID_SaveAs_Click();
    const QByteArray first = contents(choice(QStringLiteral("a.txt")).path);
    QVERIFY(first.contains("first"));

    m_form->WebBrowser1->Navigate2(TestPages::url(QStringLiteral("a/two.html")));
    QTRY_COMPARE_WITH_TIMEOUT(m_form->docName(), QStringLiteral("Two"), 20000);
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Two - Markloom"));
    QVERIFY(m_form->hasFile());

    m_form->ID_Save_Click();
    QCOMPARE(m_prompts->saveCalls.size(), 1); // no dialog this time
    const QByteArray second = contents(choice(QStringLiteral("a.txt")).path);
    QVERIFY(second.contains("second"));
    QCOMPARE(second, systemBytes(m_form->HTMLSorceText->Text()));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Two a.txt - Markloom"));
}

void TestFileCommands::nameWithoutExtensionIsKept()
{
    m_form->HTMLSorceText->SetText(QStringLiteral("plain"));
    m_prompts->saveAnswers << choice(QStringLiteral("noext"));
    m_form->ID_SaveAs_Click();
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("noext")});
    QCOMPARE(contents(choice(QStringLiteral("noext")).path), QByteArray("plain"));
    QCOMPARE(m_form->fileTitle(), QStringLiteral("noext"));
}

void TestFileCommands::savedBytesAreThePaneText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("japanese") << QStringLiteral("<p>日本語のテキスト、ｶﾀｶﾅ</p>");
    QTest::newRow("line breaks as they are") << QStringLiteral("a\r\nb\rc\nd\r\n");
    QTest::newRow("nul, nbsp, line separator") << QStringLiteral("a") + QChar(0) + QStringLiteral("b\u00a0c\u2028d");
    QTest::newRow("outside the BMP") << QStringLiteral("\U0001F600 x");
    QTest::newRow("empty") << QString();
}

void TestFileCommands::savedBytesAreThePaneText()
{
    QFETCH(QString, text);
    m_form->HTMLSorceText->SetText(text);
    QCOMPARE(m_form->HTMLSorceText->Text(), text);
    // Replacing an existing file, without a question.
    QFile old(choice(QStringLiteral("out.txt")).path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("a much longer earlier content") > 0);
    old.close();
    m_prompts->saveAnswers << choice(QStringLiteral("out.txt"));
    m_form->ID_SaveAs_Click();
    QVERIFY(m_prompts->messages.isEmpty());
    const QByteArray bytes = contents(choice(QStringLiteral("out.txt")).path);
    QCOMPARE(bytes, systemBytes(text));
    QVERIFY(!bytes.startsWith("\xef\xbb\xbf"));
}

void TestFileCommands::failedWriteKeepsState_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("savedBefore");
    for (const bool saved : {false, true}) {
        const char *suffix = saved ? " (saved before)" : " (never saved)";
        for (const char *how : {"folder as target", "missing folder", "over-long name", "name with a NUL",
                                "full device", "read-only folder"})
            QTest::newRow(qPrintable(QString::fromLatin1(how) + QString::fromLatin1(suffix))) << how << saved;
    }
    QTest::newRow("disk full during Save") << "file-size limit" << true;
}

void TestFileCommands::failedWriteKeepsState()
{
    QFETCH(QString, how);
    QFETCH(bool, savedBefore);
    loadForm();
    const QString good = choice(QStringLiteral("good.txt")).path;
    if (savedBefore) {
        m_prompts->saveAnswers << choice(QStringLiteral("good.txt"));
        m_form->ID_SaveAs_Click();
        QVERIFY(m_form->hasFile());
    }
    const QByteArray earlier = contents(good);
    // An edit: the second change after a load counts.
    m_form->HTMLSorceText->SetText(QStringLiteral("later ") + QString(8192, QLatin1Char('x')));
    QVERIFY(m_form->m_bModfied);
    const QString caption = m_form->windowTitle();
    QVERIFY(caption.startsWith(QStringLiteral("One*")));
    const QString title = m_form->fileTitle();

    QString target;
    if (how == QLatin1String("folder as target")) {
        target = m_dir->path();
    } else if (how == QLatin1String("missing folder")) {
        target = m_dir->path() + QStringLiteral("/no/such/x.txt");
    } else if (how == QLatin1String("over-long name")) {
        target = m_dir->path() + QLatin1Char('/') + QString(300, QChar(0x65E5)) + QStringLiteral(".txt");
    } else if (how == QLatin1String("name with a NUL")) {
        target = m_dir->path() + QStringLiteral("/a") + QChar(0) + QStringLiteral("b.txt");
    } else if (how == QLatin1String("full device")) {
        struct stat st {
        };
        if (::stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode))
            QSKIP("no /dev/full here");
        target = QStringLiteral("/dev/full");
    } else if (how == QLatin1String("read-only folder")) {
        const QString ro = m_dir->path() + QStringLiteral("/ro");
        QVERIFY(QDir().mkpath(ro));
        QVERIFY(::chmod(QFile::encodeName(ro).constData(), 0555) == 0);
        if (::access(QFile::encodeName(ro).constData(), W_OK) == 0)
            QSKIP("running with privileges that ignore folder permissions (root)");
        target = ro + QStringLiteral("/x.txt");
    }

    if (how == QLatin1String("file-size limit")) {
        // A disk that fills up while writing: the earlier file must survive.
        rlimit old{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        m_form->ID_Save_Click();
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(m_form->filePath(), good);
    } else {
        m_prompts->saveAnswers << Prompts::SaveChoice{target, QStringLiteral("x.txt")};
        m_form->ID_SaveAs_Click();
        // The new path is taken even though the write failed.
        QCOMPARE(m_form->filePath(), target);
    }

    QCOMPARE(m_prompts->messages, QStringList{kWriteFailed});
    QCOMPARE(m_prompts->messageParents.value(0), m_form.get());
    QCOMPARE(m_form->hasFile(), savedBefore);
    QCOMPARE(m_form->fileTitle(), title);
    QVERIFY(m_form->m_bModfied);
    QCOMPARE(m_form->windowTitle(), caption);
    QCOMPARE(contents(good), savedBefore ? earlier : QByteArray("<unreadable>"));
    if (how == QLatin1String("full device")) {
        struct stat st {
        };
        QVERIFY(::stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode));
    }
    // Nothing was left behind in the folder.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             savedBefore ? QStringList{QStringLiteral("good.txt")} : QStringList());
}

void TestFileCommands::tenMegabyteSource()
{
    QString text;
    const QString line = QStringLiteral("<div class=\"row\">日本語 text &amp; more</div>\r\n");
    while (text.size() * 2 < 10 * 1024 * 1024)
        text += line;
    m_form->HTMLSorceText->SetText(text);
    m_prompts->saveAnswers << choice(QStringLiteral("big.html"));
    m_form->ID_SaveAs_Click();
    QVERIFY(m_prompts->messages.isEmpty());
    const QByteArray bytes = contents(choice(QStringLiteral("big.html")).path);
    QCOMPARE(bytes.size(), systemBytes(text).size());
    QVERIFY(bytes == systemBytes(text));
}

void TestFileCommands::newStartsMinimizedCopy_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("typed address with blanks") << QStringLiteral("mltest://a/x y.html");
    QTest::newRow("empty address bar") << QString();
    QTest::newRow("address that looks like an option") << QStringLiteral("--help");
}

void TestFileCommands::newStartsMinimizedCopy()
{
    QFETCH(QString, address);
    m_form->AddressBarCombo->setEditText(address);
    m_form->ID_New_Click();
    QCOMPARE(m_shell->starts.size(), 1);
    QCOMPARE(m_shell->starts[0].program, QCoreApplication::applicationFilePath());
    // The address goes in whole and unchanged, after the end of the options.
    QCOMPARE(m_shell->starts[0].arguments, (QStringList{QStringLiteral("--"), address}));
    QVERIFY(m_shell->starts[0].minimized);
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestFileCommands::newThatCannotStartIsReported()
{
    m_shell->answer = false;
    m_form->show();
    m_form->ID_New_Click();
    QCOMPARE(m_shell->starts.size(), 1);
    QCOMPARE(m_prompts->messages.size(), 1);
    QVERIFY(!m_prompts->messages[0].isEmpty());
    QVERIFY(m_form->isVisible());
}

void TestFileCommands::closeRunsShutDown()
{
    m_form->show();
    m_form->HTMLSorceText->SetText(QStringLiteral("x"));
    m_form->HTMLSorceText->SetText(QStringLiteral("unsaved"));
    QVERIFY(m_form->m_bModfied);
    m_form->ID_Sch_Click();
    QPointer<FindAndReplaceDialog> find = m_form->findDialog();
    QVERIFY(find && find->isVisible());
    m_form->ID_Close_Click();
    // No question about the unsaved edit; other windows go with the main one.
    QVERIFY(m_prompts->messages.isEmpty());
    QVERIFY(m_prompts->saveCalls.isEmpty());
    QVERIFY(!m_form->isVisible());
    QVERIFY(find.isNull());
}

MARKLOOM_UI_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
