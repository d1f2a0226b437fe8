// Save, Save As, New and Close on the main window, with pages served by the
// test and a scripted save dialog.

#include "app/markloomform.h"
#include "disklimit.h"
#include "edit/findandreplacedialog.h"
#include "platform/sourcepane.h"
#include "platform/webbrowser.h"
#include "support/scripted.h"
#include "support/testpages.h"

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>
#include <QStringEncoder>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using markloomtest::TestPages;
Q_DECLARE_METATYPE(unsaved::Answer)

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
    void newStartsCopy_data();
    void newStartsCopy();
    void unsavedEditsQuestion_data();
    void unsavedEditsQuestion();

private:
    // A form loaded with page a/one.html (document name "One"), or without a page.
    void makeForm(const QString &url = TestPages::url(QStringLiteral("a/one.html")));
    QString inDir(const QString &name) const { return m_dir->filePath(name); }
    Prompts::SaveChoice choice(const QString &name) const { return {inDir(name), name}; }
    void trigger(const char *name) { m_form->action(QString::fromLatin1(name))->trigger(); }
    // Types into the pane at its start, as the user would.
    void edit(const QString &text) { m_form->HTMLSorceText->insertAt(text, 0, 0); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MarkloomForm> m_form;
    std::unique_ptr<TestPages> m_pages;
    markloomtest::ScriptedPrompts *m_prompts = nullptr;
    markloomtest::ScriptedShell *m_shell = nullptr;
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
    const auto scripted = markloomtest::installScripted(*m_form);
    m_prompts = scripted.prompts;
    m_shell = scripted.shell;
    if (!url.isEmpty()) {
        m_form->Form_Load();
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->document().docName().isEmpty(), 20000);
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
    trigger("ID_Save"); // never saved: the save dialog; cancelled, nothing changes
    QVERIFY(!m_form->document().hasFile() && m_form->document().filePath().isEmpty());
    m_prompts->saveAnswers << choice(QStringLiteral("a.txt"));
    trigger("ID_Save");
    QCOMPARE(m_prompts->saveInitialNames, QStringList(2, QStringLiteral("One")));
    QVERIFY(m_form->document().hasFile());
    QCOMPARE(m_form->windowTitle(), QStringLiteral("One a.txt - Markloom"));
    QVERIFY(contents(inDir(QStringLiteral("a.txt"))).contains("first"));
    // Every save clears the mark so that the next edit sets it again.
    m_prompts->saveAnswers << choice(QStringLiteral("a.txt"));
    for (const char *command : {"ID_SaveAs", "ID_Save", "ID_Save"}) {
        QTest::keyClicks(m_form->HTMLSorceText->viewport(), QStringLiteral("x"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("One* a.txt - Markloom"));
        trigger(command);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("One a.txt - Markloom"));
    }
    QVERIFY(contents(inDir(QStringLiteral("a.txt"))).startsWith("xxx"));

    m_form->WebBrowser1->Navigate2(TestPages::url(QStringLiteral("a/two.html")));
    QTRY_COMPARE_WITH_TIMEOUT(m_form->document().docName(), QStringLiteral("Two"), 20000);
    trigger("ID_Save");
    QCOMPARE(m_prompts->saveInitialNames.size(), 3); // no dialog this time
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
    trigger("ID_SaveAs");
    QVERIFY(m_prompts->messages.isEmpty());
    QCOMPARE(m_form->document().fileTitle(), name);
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
        trigger("ID_SaveAs");
    }
    const QByteArray earlier = contents(inDir(QStringLiteral("good.txt")));
    edit(QStringLiteral("later ") + QString(8192, QLatin1Char('x')));
    QVERIFY(m_form->document().isModified());
    const QString caption = m_form->windowTitle();
    const QString title = m_form->document().fileTitle();

    if (target.isEmpty()) {
        const DiskLimit full;
        QVERIFY(full.ok());
        trigger("ID_Save");
    } else {
        const QString path = target.startsWith(QLatin1Char('/')) ? target : inDir(target);
        m_prompts->saveAnswers << Prompts::SaveChoice{path, QStringLiteral("x.txt")};
        trigger("ID_SaveAs");
        QCOMPARE(m_form->document().filePath(), path); // taken even though the write failed
    }
    QCOMPARE(m_prompts->messages, QStringList{QStringLiteral("ファイル書き込みに失敗しました。")});
    QCOMPARE(m_form->document().hasFile(), savedBefore);
    QVERIFY(m_form->document().isModified());
    QCOMPARE(m_form->windowTitle(), caption);
    QCOMPARE(m_form->document().fileTitle(), title);
    QCOMPARE(contents(inDir(QStringLiteral("good.txt"))), earlier);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), savedBefore ? QStringList{"good.txt"} : QStringList());
    QVERIFY(::stat("/dev/full", &st) != 0 || S_ISCHR(st.st_mode)); // still a device
}

void TestFileCommands::newStartsCopy_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("starts");
    QTest::newRow("typed address with blanks") << "mltest://a/x y.html" << true;
    QTest::newRow("address that looks like an option") << "--help" << true;
    QTest::newRow("cannot start: reported") << "mltest://a/" << false;
}

// The address goes in whole and unchanged, after the end of the options.
void TestFileCommands::newStartsCopy()
{
    QFETCH(QString, address);
    QFETCH(bool, starts);
    makeForm(QString());
    m_shell->answer = starts;
    m_form->AddressBarCombo->setEditText(address);
    trigger("ID_New");
    QCOMPARE(m_shell->starts, (QList<QStringList>{{QCoreApplication::applicationFilePath(), "--", address}}));
    QCOMPARE(m_prompts->messages.size(), starts ? 0 : 1);
}

void TestFileCommands::unsavedEditsQuestion_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<unsaved::Answer>("answer");
    QTest::addColumn<QString>("saveAs"); // the file chosen when saving; empty: the dialog is cancelled
    QTest::addColumn<bool>("proceeds");
    using A = unsaved::Answer;
    for (const char *action : {"enter", "home", "close", "close box"}) {
        QTest::addRow("%s, cancel", action) << action << A::Cancel << QString() << false;
        QTest::addRow("%s, discard", action) << action << A::Discard << QString() << true;
        QTest::addRow("%s, save", action) << action << A::Save << "saved.html" << true;
    }
    QTest::newRow("enter, save cancelled") << "enter" << A::Save << QString() << false;
    QTest::newRow("drop, cancel") << "drop" << A::Cancel << QString() << false;
    QTest::newRow("drop, discard") << "drop" << A::Discard << QString() << true;
    QTest::newRow("close, save fails") << "close" << A::Save << "no/such/dir/x.html" << false;
    QTest::newRow("home, save fails") << "home" << A::Save << "no/such/dir/x.html" << false;
}

// Every action that would drop unsaved edits asks first and obeys: after
// キャンセル, or a save that did not happen, text, caption, address and the
// window stay exactly as they were.
void TestFileCommands::unsavedEditsQuestion()
{
    QFETCH(QString, action);
    QFETCH(unsaved::Answer, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, proceeds);
    makeForm();
    m_form->show();
    edit(QStringLiteral("edited "));
    const QString text = m_form->HTMLSorceText->Text();
    const QString caption = m_form->windowTitle();
    QCOMPARE(caption, QStringLiteral("One* - Markloom"));
    m_prompts->saveQuestionAnswers << answer;
    if (!saveAs.isEmpty())
        m_prompts->saveAnswers << choice(saveAs);

    const QString two = TestPages::url(QStringLiteral("a/two.html"));
    if (action == QLatin1String("enter")) {
        m_form->AddressBarCombo->setEditText(two);
        QTest::keyClick(m_form->AddressBarCombo, Qt::Key_Return);
    } else if (action == QLatin1String("drop")) {
        QMimeData data;
        data.setUrls({QUrl(two)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_form->HTMLSorceText->viewport(), &enter);
        QApplication::sendEvent(m_form->HTMLSorceText->viewport(), &drop);
    } else if (action == QLatin1String("home")) {
        trigger("home_Button");
    } else if (action == QLatin1String("close")) {
        trigger("ID_Close");
    } else {
        m_form->close();
    }
    QCOMPARE(m_prompts->saveQuestions, 1);
    const bool saved = answer == unsaved::Answer::Save && proceeds;
    QCOMPARE(contents(inDir(saveAs)) == systemBytes(text), saved);
    if (!proceeds) {
        QCOMPARE(m_form->HTMLSorceText->Text(), text);
        QCOMPARE(m_form->windowTitle(), caption);
        QVERIFY(m_form->document().isModified());
        QVERIFY(m_form->isVisible());
        const bool typed = action == QLatin1String("enter") || action == QLatin1String("drop");
        QCOMPARE(m_form->AddressBarCombo->currentText(), typed ? two : TestPages::url("a/one.html"));
        QVERIFY(m_form->action(QStringLiteral("ID_Save"))->isEnabled());
        QCOMPARE(m_pages->requestCount(QStringLiteral("a/two.html")), 0);
        QCOMPARE(m_prompts->messages.size(), saveAs.isEmpty() ? 0 : 1);
        return;
    }
    if (action.startsWith(QLatin1String("close"))) {
        QVERIFY(!m_form->isVisible());
        return;
    }
    QVERIFY(!m_form->document().isModified());
    // The old name, without the mark, until the new page arrives.
    QCOMPARE(m_form->windowTitle(), saved ? QStringLiteral("One %1 - Markloom").arg(saveAs) : QStringLiteral("One - Markloom"));
    QTRY_VERIFY_WITH_TIMEOUT(m_form->document().docName() != QLatin1String("One"), 20000);
    QVERIFY(!m_form->HTMLSorceText->Text().contains(QStringLiteral("edited")));
}

MARKLOOM_UI_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
