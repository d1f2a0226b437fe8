// The main window end to end: start-up, settings, caption, command state,
// address bar, page-to-source synchronisation and the hostile-page guards.

#include "analysis/analizerform.h"
#include "app/markloomform.h"
#include "platform/sourcepane.h"
#include "platform/webbrowser.h"
#include "support/scripted.h"
#include "support/testpages.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QSettings>
#include <QSignalSpy>
#include <QToolBar>
#include <QWebEnginePage>
#include <QtTest>

using markloomtest::TestPages;

namespace {

const QStringList kPageCommands = {"ID_AllSel", "ID_AnaScpt", "ID_Anasor", "ID_Copy", "ID_Cut",
                                   "ID_Del", "ID_fvAdd", "ID_fvArrange", "ID_IEVIEW", "ID_Pst",
                                   "ID_Save", "ID_SaveAs", "ID_Sch", "ID_Undo", "ID_fvView"};
const QStringList kAlwaysOn = {"ID_New", "ID_Close", "ID_SETBR", "ID_About", "Stop_Button1"};
const QStringList kPageButtons = {"Save_Button", "Back_Button", "Past_Button", "Cut_Button", "Copy_Button",
                                  "Del_Button", "Sch_Button", "home_Button", "IE_Button"};

QSettings storedSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindlecot"),
                     QStringLiteral("Markloom"));
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void firstStartWritesDefaultsAndGoesHome();
    void emptyStoredValueIsReplaced();
    void commandLineWinsOverHomeSetting();
    void customHomeWhenNoCommandLine();
    void captionAndModifiedSequence();
    void commandStateAtStartupEnterAndCompletion();
    void stopSwitchesCommandsOn();
    void homeButtonEmptiesPaneAndUsesBuiltInHome();
    void framesEndWithTopLevelDocument();
    void readAgainAndReload();
    void addressBarListKeepsDuplicatesAndEmpties();
    void otherKeysNeverNavigate();
    void pageNavigatingItselfKeepsEdits();
    void analysisOfALivePage();
    void hostilePageCannotReachUser();
    void badInputEndsWithCommandsOn_data();
    void badInputEndsWithCommandsOn();
    void lateFrameReloadKeepsSource();
    void documentWithoutRootKeepsPane();
    void textDocumentShowsItsSource();

private:
    std::unique_ptr<MarkloomForm> makeForm(const QString &commandLine = QString(), bool load = true);
    // Waits until count top-level documents have completed in the last form made.
    bool waitForTopLevel(int count = 1);
    void enterAddress(MarkloomForm &form, const QString &text);
    static bool enabled(MarkloomForm &form, const QString &name) { return form.action(name)->isEnabled(); }

    TestPages *m_pages = nullptr;
    markloomtest::ScriptedPrompts *m_prompts = nullptr;
    std::unique_ptr<QSignalSpy> m_spy; // documents completed in the last form made
};

void TestMainForm::init()
{
    storedSettings().clear();
    storedSettings().sync();
    delete m_pages;
    m_pages = new TestPages(this);
    m_pages->add("a/one.html", "<html><head><title>One</title></head><body><p>first</p></body></html>");
    m_pages->add("a/two.html", "<html><head><title>Two</title></head><body><p>second</p></body></html>");
    m_pages->add("a/x y.html", "<html><head><title>Blank</title></head><body>spaced</body></html>");
    m_pages->addPending("a/pending.html");
}

std::unique_ptr<MarkloomForm> TestMainForm::makeForm(const QString &commandLine, bool load)
{
    auto form = std::make_unique<MarkloomForm>(commandLine);
    m_pages->installOn(form->WebBrowser1->browserProfile());
    m_prompts = markloomtest::installScripted(*form).prompts;
    m_spy = std::make_unique<QSignalSpy>(form->WebBrowser1, &WebBrowser::documentComplete);
    if (load)
        form->Form_Load();
    return form;
}

bool TestMainForm::waitForTopLevel(int count)
{
    auto tops = [this] {
        int n = 0;
        for (const QList<QVariant> &args : *m_spy)
            n += args.at(0).value<CompletedDocument>().isTop ? 1 : 0;
        return n;
    };
    return QTest::qWaitFor([&] { return tops() >= count; }, 20000);
}

// Keys go to the combo box, which holds the focus for its line edit: the
// route a real keyboard takes.
void TestMainForm::enterAddress(MarkloomForm &form, const QString &text)
{
    form.AddressBarCombo->setEditText(text);
    QTest::keyClick(form.AddressBarCombo, Qt::Key_Return);
}

void TestMainForm::firstStartWritesDefaultsAndGoesHome()
{
    QVERIFY(!storedSettings().contains("bUserHome"));
    auto form = makeForm(QString(), false);
    form->Form_Load();

    // All five written before anything loads.
    QCOMPARE(storedSettings().allKeys().size(), 5);
    QCOMPARE(form->windowTitle(), QStringLiteral(" - Markloom"));
    QCOMPARE(form->AddressBarCombo->currentText(), QString());
    QCOMPARE(form->HTMLSorceText->PaneFontSize(), 11.0);
    QCOMPARE(form->HTMLSorceText->BackColor(), QColor(Qt::white));

    QVERIFY(waitForTopLevel());
    QCOMPARE(form->WebBrowser1->LocationURL(), WebBrowser::homeUrl().toString());
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral(u"Markloom へようこそ")));
    QCOMPARE(form->AddressBarCombo->currentText(), WebBrowser::homeUrl().toString());
    QCOMPARE(form->windowTitle(), QStringLiteral(u"Markloom ホーム - Markloom"));
    // The first page's arrival is not an edit.
    QVERIFY(!form->document().isModified());
}

void TestMainForm::emptyStoredValueIsReplaced()
{
    {
        QSettings s = storedSettings();
        s.setValue("FontSize", QString());
        s.setValue("BackColor", QStringLiteral("not a colour"));
        s.setValue("FontFace", QStringLiteral("DejaVu Sans Mono"));
    }
    auto form = makeForm();
    QCOMPARE(form->HTMLSorceText->PaneFontSize(), 11.0);
    QCOMPARE(form->HTMLSorceText->PaneFontFace(), QStringLiteral("DejaVu Sans Mono"));
    // Kept as stored, but the pane falls back to white.
    QCOMPARE(form->settings().values().m_BackColor, QStringLiteral("not a colour"));
    QCOMPARE(form->HTMLSorceText->BackColor(), QColor(Qt::white));
}

void TestMainForm::commandLineWinsOverHomeSetting()
{
    {
        QSettings s = storedSettings();
        s.setValue("bUserHome", QStringLiteral("1"));
        s.setValue("Home", TestPages::url("a/two.html"));
    }
    const QString commandLine = QStringLiteral("  ") + TestPages::url("a/x y.html") + QStringLiteral(" ");
    auto form = makeForm(commandLine, false);
    form->Form_Load();
    // Whole, blanks included, before anything loads.
    QCOMPARE(form->AddressBarCombo->currentText(), commandLine);
    QVERIFY(waitForTopLevel());
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("spaced")));
    QCOMPARE(form->windowTitle(), QStringLiteral("Blank - Markloom"));
    QCOMPARE(m_pages->requestCount("a/two.html"), 0);
}

void TestMainForm::customHomeWhenNoCommandLine()
{
    {
        QSettings s = storedSettings();
        s.setValue("bUserHome", QStringLiteral("1"));
        s.setValue("Home", TestPages::url("a/two.html"));
    }
    auto form = makeForm(QString(), false);
    form->Form_Load();
    // The address bar stays empty until the page completes.
    QCOMPARE(form->AddressBarCombo->currentText(), QString());
    QVERIFY(waitForTopLevel());
    QCOMPARE(form->AddressBarCombo->currentText(), TestPages::url("a/two.html"));
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("second")));
}

// The mark means unsaved user edits: never set by a page or by emptying the
// pane, shown on the first edit after every page, gone when undone.
void TestMainForm::captionAndModifiedSequence()
{
    auto form = makeForm(TestPages::url("a/one.html"), false);
    form->Form_Load();
    QCOMPARE(form->windowTitle(), QStringLiteral(" - Markloom"));
    QVERIFY(waitForTopLevel());
    QCOMPARE(form->windowTitle(), QStringLiteral("One - Markloom"));
    enterAddress(*form, TestPages::url("a/two.html"));
    QVERIFY(form->HTMLSorceText->Text().isEmpty());
    QCOMPARE(form->windowTitle(), QStringLiteral("One - Markloom"));
    QVERIFY(waitForTopLevel(2));
    QCOMPARE(form->windowTitle(), QStringLiteral("Two - Markloom"));
    QVERIFY(!form->document().isModified());

    form->HTMLSorceText->setFocus();
    form->HTMLSorceText->SetSelStart(0);
    QTest::keyClicks(form->HTMLSorceText->viewport(), QStringLiteral("z"));
    QVERIFY(form->HTMLSorceText->Text().startsWith(QLatin1Char('z')));
    QCOMPARE(form->windowTitle(), QStringLiteral("Two* - Markloom"));
    QVERIFY(form->document().isModified());
    form->HTMLSorceText->undo();
    QCOMPARE(form->windowTitle(), QStringLiteral("Two - Markloom"));
    QVERIFY(!form->document().isModified());
}

void TestMainForm::commandStateAtStartupEnterAndCompletion()
{
    auto form = makeForm(TestPages::url("a/one.html"), false);
    form->Form_Load();
    for (const QString &name : kPageCommands)
        QVERIFY2(!enabled(*form, name), qPrintable(name));
    for (const QString &name : kPageButtons)
        QVERIFY2(!enabled(*form, name), qPrintable(name));
    for (const QString &name : kAlwaysOn)
        QVERIFY2(enabled(*form, name), qPrintable(name));
    QVERIFY(!enabled(*form, "IE_Option"));

    QVERIFY(waitForTopLevel());
    for (const QString &name : kPageCommands + kPageButtons)
        QVERIFY2(enabled(*form, name), qPrintable(name));
    QVERIFY(!enabled(*form, "IE_Option"));

    enterAddress(*form, TestPages::url("a/two.html"));
    for (const QString &name : kPageCommands + kPageButtons)
        QVERIFY2(!enabled(*form, name), qPrintable(name));
    QVERIFY(enabled(*form, "Stop_Button1"));
    QVERIFY(waitForTopLevel(2));
    for (const QString &name : kPageCommands + kPageButtons)
        QVERIFY2(enabled(*form, name), qPrintable(name));
}

void TestMainForm::stopSwitchesCommandsOn()
{
    // No page ever completes: the status bar says what loads; stop (Esc)
    // brings the commands back and leaves nothing in the bar.
    auto form = makeForm(TestPages::url("a/pending.html"));
    QTRY_COMPARE(m_pages->requestCount("a/pending.html"), 1);
    QVERIFY(!enabled(*form, "ID_Save"));
    auto *status = form->statusBar()->findChild<QLabel *>();
    QTRY_VERIFY(status->text().contains(TestPages::url("a/pending.html")));
    QVERIFY(form->statusBar()->findChild<QProgressBar *>()->isVisibleTo(form.get()));
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form->HTMLSorceText, Qt::Key_Escape);
    for (const QString &name : kPageCommands + kPageButtons)
        QVERIFY2(enabled(*form, name), qPrintable(name));
    QCOMPARE(form->windowTitle(), QStringLiteral(" - Markloom"));
    QTRY_VERIFY(status->text().isEmpty());
    QVERIFY(!form->statusBar()->findChild<QProgressBar *>()->isVisibleTo(form.get()));
    QVERIFY(!enabled(*form, "ID_Stop")); // idle: Esc is left to others
}

void TestMainForm::homeButtonEmptiesPaneAndUsesBuiltInHome()
{
    auto form = makeForm(TestPages::url("a/one.html"), false);
    form->Form_Load();
    QVERIFY(waitForTopLevel());
    // "0" means the built-in page even when a custom address is set.
    settings::Values v = form->settings().values();
    v.m_bUserHome = QStringLiteral("0");
    v.m_UserHome = TestPages::url("a/two.html");
    form->settings().setValues(v);
    form->action("home_Button")->trigger();
    QVERIFY(form->HTMLSorceText->Text().isEmpty());
    QVERIFY(!enabled(*form, "ID_Save"));
    QCOMPARE(form->AddressBarCombo->currentText(), TestPages::url("a/one.html"));
    QVERIFY(waitForTopLevel(2));
    QCOMPARE(form->WebBrowser1->LocationURL(), WebBrowser::homeUrl().toString());
    QVERIFY(enabled(*form, "ID_Save"));
    QCOMPARE(m_pages->requestCount("a/two.html"), 0);

    v.m_bUserHome = QStringLiteral("1");
    form->settings().setValues(v);
    form->action("home_Button")->trigger();
    QVERIFY(waitForTopLevel(3));
    QCOMPARE(form->WebBrowser1->LocationURL(), TestPages::url("a/two.html"));
}

void TestMainForm::framesEndWithTopLevelDocument()
{
    m_pages->add("a/frames.html",
                 "<html><head><title>Frames</title></head><body>top"
                 "<iframe src=\"mltest://b/inner.html\"></iframe>"
                 "<iframe src=\"inner2.html\"></iframe></body></html>");
    m_pages->add("b/inner.html", "<html><head><title>Inner</title></head><body>cross-origin frame</body></html>");
    m_pages->add("a/inner2.html", "<html><body>same-origin frame</body></html>");
    auto form = makeForm(TestPages::url("a/frames.html"), false);
    form->Form_Load();
    QVERIFY(waitForTopLevel());
    // Both frames reported before the top-level document.
    QCOMPARE(m_spy->size(), 3);
    QStringList frameUrls;
    for (int i = 0; i < 2; ++i) {
        const auto doc = m_spy->at(i).at(0).value<CompletedDocument>();
        QVERIFY(!doc.isTop);
        frameUrls << doc.url.toString();
    }
    frameUrls.sort();
    QCOMPARE(frameUrls, (QStringList{TestPages::url("a/inner2.html"), TestPages::url("b/inner.html")}));
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("<iframe")));
    QCOMPARE(form->AddressBarCombo->currentText(), TestPages::url("a/frames.html"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Frames - Markloom"));

    // 表示 → フレーム: the page first, then each frame with its address;
    // choosing one shows its source and its name. A frame of another site
    // cannot be read again; one of the same site can.
    QMenu *frames = form->action("ID_Frames")->menu();
    Q_EMIT frames->aboutToShow();
    const QList<QAction *> entries = frames->actions();
    QCOMPARE(entries.size(), 3);
    QVERIFY(entries.at(0)->text().startsWith(QStringLiteral("ページ: Frames")) && entries.at(0)->isChecked());
    const auto choose = [&](const QString &url) {
        for (QAction *entry : entries) {
            if (entry->text().endsWith(url))
                return entry->trigger();
        }
        QFAIL(qPrintable(url));
    };
    choose(TestPages::url("b/inner.html"));
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("cross-origin frame")));
    QCOMPARE(form->windowTitle(), QStringLiteral("Inner - Markloom"));
    form->action("ID_Reread")->trigger();
    QTRY_COMPARE(m_prompts->messages.size(), 1);
    choose(TestPages::url("a/inner2.html"));
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("same-origin frame")));
    form->action("ID_Reread")->trigger();
    choose(TestPages::url("a/frames.html"));
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("<iframe")));
    QCOMPARE(m_prompts->messages.size(), 1);
}

// ソースの再取得 reads the live DOM again without a request; 再読み込み loads
// the page again.
void TestMainForm::readAgainAndReload()
{
    m_pages->add("a/later.html",
                 "<html><head><title>Later</title><script>"
                 "addEventListener('load', function () { setTimeout(function () {"
                 "  document.body.append('added ' + 'later'); document.title = 'Changed'; }, 1000); });"
                 "</script></head><body>first</body></html>");
    auto form = makeForm(TestPages::url("a/later.html"));
    QVERIFY(waitForTopLevel());
    QVERIFY(!form->HTMLSorceText->Text().contains(QStringLiteral("added later")));
    QTRY_COMPARE_WITH_TIMEOUT(form->WebBrowser1->page()->title(), QStringLiteral("Changed"), 20000);
    form->action("ID_Reread")->trigger();
    QTRY_VERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("added later")));
    QCOMPARE(form->windowTitle(), QStringLiteral("Changed - Markloom"));
    QCOMPARE(m_pages->requestCount("a/later.html"), 1);
    QVERIFY(!form->document().isModified());
    form->action("ID_Reload")->trigger();
    QVERIFY(waitForTopLevel(2));
    QCOMPARE(m_pages->requestCount("a/later.html"), 2);
    QCOMPARE(form->windowTitle(), QStringLiteral("Later - Markloom"));
}

void TestMainForm::addressBarListKeepsDuplicatesAndEmpties()
{
    auto form = makeForm(TestPages::url("a/one.html"));
    QComboBox *bar = form->AddressBarCombo;
    QCOMPARE(bar->count(), 0);
    enterAddress(*form, TestPages::url("a/two.html"));
    enterAddress(*form, TestPages::url("a/two.html"));
    enterAddress(*form, QString());
    QCOMPARE(bar->count(), 3);
    QCOMPARE(bar->itemText(0), TestPages::url("a/two.html"));
    QCOMPARE(bar->itemText(1), TestPages::url("a/two.html"));
    QCOMPARE(bar->itemText(2), QString());

    // Each key clears the list selection but keeps what is being typed.
    bar->setCurrentIndex(0);
    bar->lineEdit()->setText(QStringLiteral("typed"));
    QTest::keyClick(bar, Qt::Key_X);
    QCOMPARE(bar->currentIndex(), -1);
    QCOMPARE(bar->currentText(), QStringLiteral("typedx"));
    // ... and its selection, so typing replaces a selected address.
    bar->setCurrentIndex(1);
    bar->lineEdit()->selectAll();
    QTest::keyClick(bar, Qt::Key_H);
    QCOMPARE(bar->currentText(), QStringLiteral("h"));
    bar->lineEdit()->setText(QStringLiteral("abcdef"));
    bar->lineEdit()->setSelection(4, -3); // "bcd", cursor at 1
    QTest::keyClick(bar, Qt::Key_Delete);
    QCOMPARE(bar->currentText(), QStringLiteral("aef"));
    QTest::keyClick(bar, Qt::Key_Return);
    QCOMPARE(bar->count(), 4);
    QCOMPARE(bar->itemText(3), QStringLiteral("aef"));
}

void TestMainForm::otherKeysNeverNavigate()
{
    auto form = makeForm(TestPages::url("a/one.html"), false);
    form->Form_Load();
    QVERIFY(waitForTopLevel());
    form->AddressBarCombo->setEditText(TestPages::url("a/two.html"));
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Up, Qt::Key_Down, Qt::Key_Tab, Qt::Key_A})
        QTest::keyClick(form->AddressBarCombo, key);
    QCOMPARE(form->AddressBarCombo->count(), 0);
    QVERIFY(enabled(*form, "ID_Save"));
    QCOMPARE(m_pages->requestCount("a/two.html"), 0);
}

// A page that navigates by itself after the user edited its source never
// replaces the edits: pane, caption and flag stay.
void TestMainForm::pageNavigatingItselfKeepsEdits()
{
    m_pages->add("a/mover.html",
                 "<html><head><title>Mover</title><script>"
                 "addEventListener('load', function () { setTimeout(function () {"
                 "  location.href = 'two.html';"
                 "  setTimeout(function () { document.title = 'stayed'; }, 300); }, 300); });"
                 "</script></head><body>moving</body></html>");
    auto form = makeForm(TestPages::url("a/mover.html"));
    QVERIFY(waitForTopLevel());
    form->HTMLSorceText->insertAt(QStringLiteral("mine "), 0, 0);
    const QString text = form->HTMLSorceText->Text();
    // The page tried, and was never let go.
    QTRY_COMPARE_WITH_TIMEOUT(form->WebBrowser1->page()->title(), QStringLiteral("stayed"), 20000);
    QCOMPARE(m_pages->requestCount("a/two.html"), 0);
    QCOMPARE(form->HTMLSorceText->Text(), text);
    QCOMPARE(form->windowTitle(), QStringLiteral("Mover* - Markloom"));
    QVERIFY(form->document().isModified());
    QCOMPARE(form->AddressBarCombo->currentText(), TestPages::url("a/mover.html"));
    QVERIFY(m_prompts->messages.isEmpty());
}

// As the engine serialises pages: lower-case tags, white space between them.
void TestMainForm::analysisOfALivePage()
{
    m_pages->add("a/live.html",
                 "<!DOCTYPE html>\n<html>\n<head>\n  <title>Live</title>\n  <script>var a = 1;</script>\n</head>\n"
                 "<body>\n  <p>Hello</p>\n  <script src=\"x.js\"></script>\n</body>\n</html>\n");
    auto form = makeForm(TestPages::url("a/live.html"));
    QVERIFY(waitForTopLevel());
    form->action("ID_AnaScpt")->trigger();
    QCOMPARE(form->analizerForm()->AnalizerText->Text(),
             QStringLiteral("<script>var a = 1;</script>\r\n<script src=\"x.js\"></script>\r\n"));
    form->action("ID_Anasor")->trigger();
    QCOMPARE(form->analizerForm()->AnalizerText->Text(), QStringLiteral("Live\r\nvar a = 1;\r\nHello\r\n"));
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestMainForm::hostilePageCannotReachUser()
{
    m_pages->add("a/hostile.html",
                 "<html><head><title>Hostile</title><script>"
                 "alert('boo');"
                 "var c = confirm('sure?');"
                 "var p = prompt('name?', 'x');"
                 "var w = window.open('mltest://a/one.html');"
                 "try { navigator.geolocation.getCurrentPosition(function(){}, function(){}); } catch (e) {}"
                 "document.title = 'Hostile ' + c + ' ' + p + ' ' + (w === null);"
                 "</script></head><body>evil</body></html>");
    auto form = makeForm(TestPages::url("a/hostile.html"), false);
    form->Form_Load();
    QVERIFY(waitForTopLevel());
    QCOMPARE(form->windowTitle(), QStringLiteral("Hostile false null true - Markloom"));
    QVERIFY(enabled(*form, "ID_Save"));
    // No popup was loaded and no other window exists.
    QCOMPARE(m_pages->requestCount("a/one.html"), 0);
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(w == form.get() || !w->isVisible(), qPrintable(w->metaObject()->className()));
}

void TestMainForm::badInputEndsWithCommandsOn_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message"); // empty: none expected
    QTest::newRow("not a URL") << QStringLiteral("not a url at all")
                               << QStringLiteral(u"「not a url at all」を開けません。アドレスを確かめてください。");
    QTest::newRow("unknown scheme") << QStringLiteral("nosuchscheme://x/")
                                    << QStringLiteral(u"「nosuchscheme://x/」を開けません。アドレスを確かめてください。");
    // Engine-internal addresses crash or hang the engine on purpose.
    QTest::newRow("debug address") << QStringLiteral("chrome://gpucrash")
                                   << QStringLiteral(u"「chrome://gpucrash」を開けません。アドレスを確かめてください。");
    // The engine's own error page comes back like any page.
    QTest::newRow("unreachable") << TestPages::url("a/missing.html") << QString();
    QTest::newRow("image") << TestPages::url("a/picture.png") << QString();
    // Downloads come from local files: the engine can crash when a download
    // from a custom-scheme handler is dropped, which no real page would use.
    const QString zip = QUrl::fromLocalFile(markloomtest::sandboxPath("files") + "/archive.zip").toString();
    const QString pdf = QUrl::fromLocalFile(markloomtest::sandboxPath("files") + "/paper.pdf").toString();
    QTest::newRow("download") << zip << QStringLiteral(u"「%1」はページとして表示できません。").arg(zip);
    QTest::newRow("pdf") << pdf << QStringLiteral(u"「%1」はページとして表示できません。").arg(pdf);
}

void TestMainForm::badInputEndsWithCommandsOn()
{
    QFETCH(QString, address);
    QFETCH(QString, message);
    // A 1 x 1 PNG.
    m_pages->add("a/picture.png",
                 QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg=="),
                 "image/png");
    for (const auto &[name, bytes] : {std::pair{"archive.zip", QByteArray("PK\x03\x04 not really", 16)},
                                      std::pair{"paper.pdf", QByteArray("%PDF-1.4\n%%EOF\n")}}) {
        QFile f(markloomtest::sandboxPath("files") + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    auto form = makeForm(TestPages::url("a/one.html"), false);
    form->Form_Load();
    QVERIFY(waitForTopLevel());
    enterAddress(*form, address);
    QVERIFY(!enabled(*form, "ID_Save"));
    QTRY_VERIFY_WITH_TIMEOUT(enabled(*form, "ID_Save"), 20000);
    for (const QString &name : kPageCommands + kPageButtons)
        QVERIFY2(enabled(*form, name), qPrintable(name));
    QVERIFY(form->windowTitle().endsWith(QStringLiteral(" - Markloom")));
    if (message.isEmpty())
        QVERIFY2(m_prompts->messages.isEmpty(), qPrintable(m_prompts->messages.join('|')));
    else
        QCOMPARE(m_prompts->messages, QStringList{message});
}

void TestMainForm::lateFrameReloadKeepsSource()
{
    // The frame loads a second document after the page is complete (as ads
    // and refreshing widgets do); it must not replace the source being read.
    m_pages->add("a/outer.html",
                 "<html><head><title>Outer</title></head><body>outer"
                 "<iframe src=\"ticker.html\"></iframe></body></html>");
    m_pages->add("a/ticker.html",
                 "<html><head><title>Ticker</title><script>"
                 "addEventListener('load', function () {"
                 "  if (location.search) { parent.document.title = 'reloaded'; return; }"
                 "  setTimeout(function () { location.replace('ticker.html?2'); }, 50); });"
                 "</script></head><body>tick</body></html>");
    auto form = makeForm(TestPages::url("a/outer.html"), false);
    QSignalSpy titles(form->WebBrowser1->page(), &QWebEnginePage::titleChanged);
    form->Form_Load();
    QVERIFY(waitForTopLevel());
    const int reports = m_spy->size();
    QTRY_VERIFY_WITH_TIMEOUT(form->WebBrowser1->page()->title() == QStringLiteral("reloaded"), 20000);
    QCOMPARE(m_pages->requestCount("a/ticker.html"), 2);
    QCOMPARE(m_spy->size(), reports);
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("outer")));
    QCOMPARE(form->windowTitle(), QStringLiteral("Outer - Markloom"));
}

void TestMainForm::documentWithoutRootKeepsPane()
{
    m_pages->add("a/rootless.html",
                 "<html><head><title>Rootless</title><script>"
                 "addEventListener('DOMContentLoaded', function () {"
                 "  document.removeChild(document.documentElement); });"
                 "</script></head><body>gone</body></html>");
    auto form = makeForm(TestPages::url("a/one.html"), false);
    form->Form_Load();
    QVERIFY(waitForTopLevel());
    enterAddress(*form, TestPages::url("a/rootless.html"));
    QVERIFY(waitForTopLevel(2));
    QVERIFY(!m_spy->last().at(0).value<CompletedDocument>().hasRoot);
    // Pane (emptied by Enter), address bar and caption stay; commands come on.
    QCOMPARE(form->HTMLSorceText->Text(), QString());
    QCOMPARE(form->windowTitle(), QStringLiteral("One - Markloom"));
    QCOMPARE(form->AddressBarCombo->currentText(), TestPages::url("a/rootless.html"));
    QVERIFY(enabled(*form, "ID_Save"));
}

void TestMainForm::textDocumentShowsItsSource()
{
    m_pages->add("a/plain.txt", "line one\r\n<b>not markup</b>\n", "text/plain; charset=utf-8");
    auto form = makeForm(TestPages::url("a/plain.txt"), false);
    form->Form_Load();
    QVERIFY(waitForTopLevel());
    const QString text = form->HTMLSorceText->Text();
    QVERIFY2(text.contains(QStringLiteral("&lt;b&gt;not markup&lt;/b&gt;")), qPrintable(text));
    QCOMPARE(form->windowTitle(), QStringLiteral("plain.txt - Markloom"));
    QVERIFY(enabled(*form, "ID_Save"));
}

MARKLOOM_UI_TEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
