// The main window end to end, with pages served by the test: start-up,
// caption and modified flag, command state, address bar, page-to-source
// synchronisation, frames and reading again.

#include "app/markloomform.h"
#include "edit/markupformatter.h"
#include "platform/sourcepane.h"
#include "platform/webbrowser.h"
#include "support/scripted.h"
#include "support/pageserver.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QWebEnginePage>
#include <QtTest>

#include <csignal>

namespace {

const QStringList kPageCommands = {"ID_AllSel", "ID_AnaScpt", "ID_Anasor", "ID_Copy", "ID_Cut", "ID_Del",
                                   "ID_fvAdd", "ID_fvArrange", "ID_IEVIEW", "ID_Pst", "ID_Save", "ID_SaveAs",
                                   "ID_Sch", "ID_Undo", "ID_fvView", "Save_Button", "Back_Button", "Past_Button",
                                   "Cut_Button", "Copy_Button", "Del_Button", "Sch_Button", "home_Button",
                                   "IE_Button"};

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
    void startUp_data();
    void startUp();
    void commandStateAndStop();
    void homeButton();
    void framesAreListedAndChosen();
    void addressBarKeys();
    void pageNavigatingItself_data();
    void pageNavigatingItself();
    void loadsWithoutAPage_data();
    void loadsWithoutAPage();
    void longLineBarFormatAndUndo();
    void formattedPageShowsTheSameText();

private:
    std::unique_ptr<MarkloomForm> makeForm(const QString &commandLine = QString());
    // Waits until count top-level documents have completed in the last form made.
    bool waitForTopLevel(int count = 1);
    // Keys go to the combo box, which holds the focus for its line edit: the
    // route a real keyboard takes.
    static void enterAddress(MarkloomForm &form, const QString &text)
    {
        form.AddressBarCombo->setEditText(text);
        QTest::keyClick(form.AddressBarCombo, Qt::Key_Return);
    }
    static bool allEnabled(MarkloomForm &form, bool on)
    {
        return std::all_of(kPageCommands.begin(), kPageCommands.end(),
                           [&](const QString &name) { return form.action(name)->isEnabled() == on; });
    }

    markloomtest::PageServer m_server, m_otherSite;
    markloomtest::ScriptedPrompts *m_prompts = nullptr;
    std::unique_ptr<QSignalSpy> m_spy; // documents completed in the last form made
};

void TestMainForm::init()
{
    storedSettings().clear();
    storedSettings().sync();
    m_server.requests.clear();
    m_server.add("a/one.html", "<html><head><title>One</title></head><body><p>first</p></body></html>");
    m_server.add("a/two.html", "<html><head><title>Two</title></head><body><p>second</p></body></html>");
    m_server.add("a/x y.html", "<html><head><title>Blank</title></head><body>spaced</body></html>");
    // Its image is never answered: the load never finishes.
    m_server.add("a/stuck.html", "<html><head><title>Stuck</title></head><body>so far<img src='pending.png'></body></html>");
}

std::unique_ptr<MarkloomForm> TestMainForm::makeForm(const QString &commandLine)
{
    auto form = std::make_unique<MarkloomForm>(commandLine);
    m_prompts = markloomtest::installScripted(*form).prompts;
    m_spy = std::make_unique<QSignalSpy>(form->WebBrowser1, &WebBrowser::documentComplete);
    form->Form_Load();
    return form;
}

bool TestMainForm::waitForTopLevel(int count)
{
    return QTest::qWaitFor(
        [&] {
            return std::count_if(m_spy->begin(), m_spy->end(), [](const QList<QVariant> &args) {
                       return args.at(0).value<CompletedDocument>().isTop;
                   }) >= count;
        },
        30000);
}

void TestMainForm::startUp_data()
{
    QTest::addColumn<QString>("home");        // stored custom home; empty: none stored
    QTest::addColumn<QString>("commandLine"); // in the address bar as given, before anything loads
    QTest::addColumn<QString>("loaded");      // the top-level address that completes
    QTest::addColumn<QString>("caption");
    const QString two = m_server.url("a/two.html");
    const QString spaced = QStringLiteral("  ") + m_server.url("a/x y.html") + QStringLiteral(" ");
    QTest::newRow("first start: built-in home") << QString() << QString() << WebBrowser::homeUrl().toString()
                                                << QStringLiteral(u"Markloom ホーム - Markloom");
    QTest::newRow("custom home") << two << QString() << two << "Two - Markloom";
    // Taken whole, blanks included, whatever the home setting.
    QTest::newRow("command line wins") << two << spaced << m_server.url("a/x y.html") << "Blank - Markloom";
}

void TestMainForm::startUp()
{
    QFETCH(QString, home);
    QFETCH(QString, commandLine);
    QFETCH(QString, loaded);
    QFETCH(QString, caption);
    if (!home.isEmpty()) {
        QSettings s = storedSettings();
        s.setValue("bUserHome", QStringLiteral("1"));
        s.setValue("Home", home);
        s.setValue("FontSize", QString());           // empty: the default, written back
        s.setValue("BackColor", QStringLiteral("x")); // kept, but shown as white
    }
    auto form = makeForm(commandLine);
    QCOMPARE(storedSettings().allKeys().size(), 5); // all written before anything loads
    QCOMPARE(form->windowTitle(), QStringLiteral("読み込み中… - Markloom"));
    QCOMPARE(form->AddressBarCombo->currentText(), commandLine);
    QCOMPARE(form->HTMLSorceText->PaneFontSize(), 11.0);
    QCOMPARE(form->HTMLSorceText->BackColor(), QColor(Qt::white));
    QVERIFY(waitForTopLevel());
    QCOMPARE(form->WebBrowser1->LocationURL(), loaded);
    QCOMPARE(form->AddressBarCombo->currentText(), loaded);
    QCOMPARE(form->windowTitle(), caption);
    QVERIFY(!form->document().isModified()); // the first page's arrival is not an edit
    QCOMPARE(m_server.requestCount("a/two.html"), loaded == home ? 1 : 0);
}

// Page commands are off from start-up and from Enter until a page completes,
// or until a page that never finishes is shown as it stands, marked in the
// caption, once the partial delay has passed (the test makes it none); then
// F5 reads it again without a request, where 再読み込み loads it again. Loading shows in the status bar until Esc stops it.
void TestMainForm::commandStateAndStop()
{
    auto form = makeForm(m_server.url("a/one.html"));
    QVERIFY(allEnabled(*form, false));
    QVERIFY(!form->action("IE_Option")->isEnabled() && form->action("Stop_Button1")->isEnabled());
    QVERIFY(waitForTopLevel());
    QVERIFY(allEnabled(*form, true));
    QVERIFY(!form->action("IE_Option")->isEnabled());

    form->WebBrowser1->setPartialDelay(0);
    enterAddress(*form, m_server.url("a/stuck.html"));
    auto *status = form->statusBar()->findChild<QLabel *>();
    auto *progress = form->statusBar()->findChild<QProgressBar *>();
    QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(m_server.url("a/stuck.html")), 30000);
    QVERIFY(progress->isVisibleTo(form.get()));
    QTRY_COMPARE_WITH_TIMEOUT(form->windowTitle(), QStringLiteral(u"Stuck（読み込み中） - Markloom"), 30000);
    QVERIFY(allEnabled(*form, true) && form->WebBrowser1->page()->isLoading());
    // What stood may be from before the parse; once parsed and changed, F5 reads it.
    const auto changed = std::make_shared<bool>(false); // answers may come after the test
    QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                 form->WebBrowser1->page()->runJavaScript(
                                     QStringLiteral("document.readyState != 'loading' && !document.body.append('and more')"),
                                     [changed](const QVariant &v) { *changed = *changed || v.toBool(); });
                                 return *changed;
                             })(),
                             30000);
    form->AddressBarCombo->setEditText(QStringLiteral("typed, not entered"));
    form->action("ID_Reread")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(form->HTMLSorceText->Text().contains(QStringLiteral("so far"))
                                 && form->HTMLSorceText->Text().contains(QStringLiteral("and more")),
                             30000);
    QCOMPARE(m_server.requestCount("a/stuck.html"), 1); // read again, not loaded again
    QCOMPARE(form->AddressBarCombo->currentText(), m_server.url("a/stuck.html"));

    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get(), 30000));
    QTest::keyClick(form->HTMLSorceText, Qt::Key_Escape);
    QVERIFY(allEnabled(*form, true));
    QTRY_VERIFY_WITH_TIMEOUT(status->text().isEmpty(), 30000);
    QVERIFY(!progress->isVisibleTo(form.get()));
    QVERIFY(!form->action("ID_Stop")->isEnabled()); // idle: Esc is left to others
    QVERIFY(m_prompts->messages.isEmpty());
    form->action("ID_Reload")->trigger(); // 再読み込み asks for the page again
    QTRY_COMPARE(m_server.requestCount("a/stuck.html"), 2);
}

// Home empties the pane at once and goes where the settings say now: "0"
// means the built-in page even when a custom address is set.
void TestMainForm::homeButton()
{
    auto form = makeForm(m_server.url("a/one.html"));
    QVERIFY(waitForTopLevel());
    settings::Values v = form->settings().values();
    v.m_UserHome = m_server.url("a/two.html");
    form->settings().setValues(v);
    form->action("home_Button")->trigger();
    QVERIFY(form->HTMLSorceText->Text().isEmpty() && allEnabled(*form, false));
    QCOMPARE(form->AddressBarCombo->currentText(), m_server.url("a/one.html"));
    QVERIFY(waitForTopLevel(2));
    QCOMPARE(form->WebBrowser1->LocationURL(), WebBrowser::homeUrl().toString());
}

// Frames report before their page; 表示 → フレーム lists the page first, then
// each frame once, a frame's own frames indented under it, and shows the one
// chosen with its name and address. A frame of another site cannot be read
// again; one of the same site can. The next page lists only its own.
void TestMainForm::framesAreListedAndChosen()
{
    m_server.add("a/frames.html", "<html><head><title>Frames</title></head><body>top<iframe src=\""
                                      + m_otherSite.url("b/inner.html").toUtf8()
                                      + "\"></iframe><iframe src=\"inner2.html\"></iframe></body></html>");
    m_otherSite.add("b/inner.html", "<html><head><title>Inner</title></head><body>cross-origin frame<iframe src=\""
                                        + m_server.url("a/nested.html").toUtf8() + "\"></iframe></body></html>");
    m_server.add("a/inner2.html", "<html><body>same-origin frame</body></html>");
    m_server.add("a/nested.html", "<html><body>nested frame</body></html>");
    auto form = makeForm(m_server.url("a/frames.html"));
    QVERIFY(waitForTopLevel());
    QCOMPARE(m_spy->size(), 4);
    QVERIFY(m_spy->at(3).at(0).value<CompletedDocument>().isTop);
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("<iframe")));
    QCOMPARE(form->windowTitle(), QStringLiteral("Frames - Markloom"));

    QMenu *frames = form->action("ID_Frames")->menu();
    Q_EMIT frames->aboutToShow();
    const QList<QAction *> entries = frames->actions();
    QStringList labels;
    for (QAction *entry : entries)
        labels << entry->text().left(entry->text().indexOf(QStringLiteral("  "), entry->text().indexOf(u':')));
    QCOMPARE(labels, (QStringList{QStringLiteral("ページ: Frames"), QStringLiteral("    フレーム: Inner"),
                                  QStringLiteral("        フレーム: nested.html"), QStringLiteral("    フレーム: inner2.html")}));
    QVERIFY(entries.at(0)->isChecked());
    const auto choose = [&](const QString &url) {
        for (QAction *entry : entries) {
            if (entry->text().endsWith(url))
                return entry->trigger();
        }
        QFAIL(qPrintable(url));
    };
    choose(m_otherSite.url("b/inner.html"));
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("cross-origin frame")));
    QCOMPARE(form->windowTitle(), QStringLiteral("Inner - Markloom"));
    QCOMPARE(form->AddressBarCombo->currentText(), m_otherSite.url("b/inner.html"));
    form->action("ID_Reread")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts->messages.size(), 1, 30000);
    choose(m_server.url("a/inner2.html"));
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("same-origin frame")));
    form->action("ID_Reread")->trigger();
    choose(m_server.url("a/frames.html"));
    QVERIFY(form->HTMLSorceText->Text().contains(QStringLiteral("<iframe")));
    QCOMPARE(form->AddressBarCombo->currentText(), m_server.url("a/frames.html"));
    QCOMPARE(m_prompts->messages.size(), 1);
    enterAddress(*form, m_server.url("a/two.html"));
    QVERIFY(waitForTopLevel(2));
    Q_EMIT frames->aboutToShow();
    QCOMPARE(frames->actions().size(), 1);
    QVERIFY(frames->actions().at(0)->text().startsWith(QStringLiteral("ページ: Two")));
}

// The list holds the addresses that loaded, the latest on top, each once;
// an address that fails never enters. Each key clears the list selection but
// keeps what is typed and its selection; no key but Enter navigates.
void TestMainForm::addressBarKeys()
{
    auto form = makeForm(m_server.url("a/one.html"));
    QVERIFY(waitForTopLevel());
    QComboBox *bar = form->AddressBarCombo;
    bar->setEditText(m_server.url("a/two.html"));
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Up, Qt::Key_Down, Qt::Key_Tab, Qt::Key_A})
        QTest::keyClick(bar, key);
    QCOMPARE(m_server.requestCount("a/two.html"), 0);
    int loads = 1;
    for (const char *page : {"a/two.html", "a/one.html", "nosuchscheme://x/"}) {
        const bool served = QLatin1String(page).startsWith('a');
        enterAddress(*form, served ? m_server.url(page) : QString::fromLatin1(page));
        if (served)
            QVERIFY(waitForTopLevel(++loads));
    }
    QTRY_COMPARE(m_prompts->messages.size(), 1);
    QStringList listed;
    for (int i = 0; i < bar->count(); ++i)
        listed << bar->itemText(i);
    QCOMPARE(listed, (QStringList{m_server.url("a/one.html"), m_server.url("a/two.html")}));
    bar->setCurrentIndex(0);
    bar->lineEdit()->setText(QStringLiteral("abcdef"));
    bar->lineEdit()->setSelection(4, -3); // "bcd", cursor at 1
    QTest::keyClick(bar, Qt::Key_Delete);
    QCOMPARE(bar->currentIndex(), -1);
    QCOMPARE(bar->currentText(), QStringLiteral("aef"));
}

void TestMainForm::pageNavigatingItself_data()
{
    QTest::addColumn<QString>("moveOn"); // what the page does once it has loaded
    QTest::addColumn<bool>("edited");
    QTest::newRow("script") << "location.href = 'two.html'" << false;
    QTest::newRow("script, edited") << "location.href = 'two.html'" << true;
}

// A page that navigates by itself shows where it went, but never replaces
// the user's edits: the engine refuses it (a refresh or a form goes through
// the same check as a script), and pane, caption and flag stay.
void TestMainForm::pageNavigatingItself()
{
    QFETCH(QString, moveOn);
    QFETCH(bool, edited);
    m_server.add("a/mover.html", "<html><head><title>Mover</title></head><body>moving</body></html>");
    auto form = makeForm(m_server.url("a/mover.html"));
    QVERIFY(waitForTopLevel());
    if (edited)
        form->HTMLSorceText->insertAt(QStringLiteral("mine "), 0, 0);
    const QString text = form->HTMLSorceText->Text();
    QSignalSpy stopped(form->WebBrowser1->page(), &QWebEnginePage::loadFinished); // the refused attempt's end
    form->WebBrowser1->page()->runJavaScript(moveOn);
    if (!edited) {
        QVERIFY(waitForTopLevel(2));
        QCOMPARE(form->windowTitle(), QStringLiteral("Two - Markloom"));
        return;
    }
    QVERIFY(stopped.wait(30000));
    QCOMPARE(m_server.requestCount("a/two.html") + m_server.requestCount("a/mover.html"), 1);
    QCOMPARE(form->WebBrowser1->LocationURL(), m_server.url("a/mover.html"));
    QCOMPARE(form->HTMLSorceText->Text(), text);
    QCOMPARE(form->windowTitle(), QStringLiteral("Mover* - Markloom"));
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestMainForm::loadsWithoutAPage_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message"); // empty: none expected
    QTest::addColumn<QString>("pane");    // what the pane then holds; "*": a page of the engine's own
    const auto cannot = [](const QString &a) { return QStringLiteral(u"「%1」を開けません。アドレスを確かめてください。").arg(a); };
    const auto failed = [](const QString &a, const QString &why) {
        return QStringLiteral(u"「%1」を読み込めませんでした（%2）。").arg(a, why);
    };
    const QString first = QStringLiteral("<p>first</p>"); // the page before, kept
    QTest::newRow("not a URL") << "not a url at all" << cannot("not a url at all") << first;
    const QString longAddress = QUrl::fromLocalFile(markloomtest::sandboxPath("files") + "/" + QString(300, u'x')).toString();
    QTest::newRow("unreachable, long") << longAddress
                                       << failed(longAddress.left(200) + "...", u"読み込みエラー: net::ERR_FILE_NOT_FOUND"_qs)
                                       << first;
    // (Refused ports and unknown hosts: the command line's rows and the navigation's words.)
    // The page's process dies while the page loads (killed by the test).
    QTest::newRow("renderer dies") << m_server.url("a/stuck.html")
                                   << failed(m_server.url("a/stuck.html"), u"読み込みエラー"_qs) << first;
    QTest::newRow("image") << m_server.url("a/picture.png") << "" << "*";
    // Downloads come from local files: the engine can crash when a download
    // from a custom-scheme handler is dropped, which no real page would use.
    const QString zip = QUrl::fromLocalFile(markloomtest::sandboxPath("files") + "/archive.zip").toString();
    QTest::newRow("download") << zip << QStringLiteral(u"「%1」はページとして表示できません。").arg(zip) << first;
    // A document without a root element leaves the pane as Enter emptied it.
    QTest::newRow("no root element") << m_server.url("a/rootless.html") << "" << "";
    QTest::newRow("text") << m_server.url("a/plain.txt") << "" << "&lt;b&gt;not markup&lt;/b&gt;";
    // An error status is no failure: the page shows, the status bar says it.
    QTest::newRow("HTTP 404") << m_server.url("404") << "" << "<title>404</title>";
}

// Every load that brings nothing to show ends once, with the commands on,
// and says why; a failure keeps the page before in the pane, the address bar
// and the caption, and its address leaves the list.
void TestMainForm::loadsWithoutAPage()
{
    QFETCH(QString, address);
    QFETCH(QString, message);
    QFETCH(QString, pane);
    m_server.add("a/picture.png",
                 QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg=="),
                 "image/png");
    m_server.add("a/rootless.html", "<html><head><script>addEventListener('DOMContentLoaded', function () {"
                                    "  document.removeChild(document.documentElement); });</script></head></html>");
    m_server.add("a/plain.txt", "line one\r\n<b>not markup</b>\n", "text/plain; charset=utf-8");
    QFile f(markloomtest::sandboxPath("files") + QStringLiteral("/archive.zip"));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("PK\x03\x04 not really") > 0);
    f.close();
    auto form = makeForm(m_server.url("a/one.html"));
    QVERIFY(waitForTopLevel());
    enterAddress(*form, address);
    QVERIFY(allEnabled(*form, false));
    if (address.endsWith(QLatin1String("stuck.html"))) {
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requestCount("a/pending.png"), 1, 30000);
        QVERIFY(::kill(pid_t(form->WebBrowser1->page()->renderProcessPid()), SIGKILL) == 0);
    }
    QTRY_VERIFY_WITH_TIMEOUT(allEnabled(*form, true), 30000);
    QCOMPARE(m_prompts->messages, message.isEmpty() ? QStringList() : QStringList{message});
    if (pane != QLatin1String("*"))
        QVERIFY2(pane.isEmpty() ? form->HTMLSorceText->Text().isEmpty() : form->HTMLSorceText->Text().contains(pane),
                 qPrintable(form->HTMLSorceText->Text()));
    if (pane.isEmpty() || pane == QLatin1String("<p>first</p>"))
        QCOMPARE(form->windowTitle(), QStringLiteral("One - Markloom"));
    if (pane == QLatin1String("<p>first</p>")) {
        QCOMPARE(form->AddressBarCombo->currentText(), m_server.url("a/one.html"));
        QCOMPARE(form->AddressBarCombo->count(), 1);
        QCOMPARE(form->AddressBarCombo->itemText(0), m_server.url("a/one.html"));
    }
    auto *bar = form->statusBar()->findChild<QLabel *>();
    QCOMPARE(bar->text(), QString(QTest::currentDataTag()).startsWith("HTTP") ? QTest::currentDataTag() : "");
    // Once: nothing more of that load comes before the next page, whose load
    // the status bar tells instead.
    m_spy->clear();
    enterAddress(*form, m_server.url("a/two.html"));
    QVERIFY(waitForTopLevel());
    QCOMPARE(m_prompts->messages.size(), message.isEmpty() ? 0 : 1);
    QCOMPARE(bar->text(), QString());
}

// A one-line page names its longest line in a bar; 整形 (the bar's button or
// Ctrl+Shift+F) is an edit Ctrl+Z takes back byte for byte; with 読み込み時に
// 整形 the page arrives formatted, as loaded.
void TestMainForm::longLineBarFormatAndUndo()
{
    m_server.add("a/long.html", "<html><head><title>Long</title></head><body><div>"
                                    + QByteArray("<p>x</p>").repeated(3000) + "</div></body></html>");
    auto form = makeForm(m_server.url("a/long.html"));
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get(), 30000));
    QVERIFY(waitForTopLevel());
    const QByteArray raw = form->HTMLSorceText->Utf8Text().toByteArray();
    auto *bar = form->findChild<QFrame *>(QStringLiteral("LongLineBar"));
    QVERIFY(bar && bar->isVisible() && bar->geometry().bottom() < form->HTMLSorceText->y());
    const QString longest = QLocale(QLocale::Japanese).toString(markup::longestLine(QString::fromUtf8(raw)));
    QVERIFY(bar->findChild<QLabel *>()->text() == QStringLiteral(u"非常に長い行があります（最長 %1 文字）。整形すると速く読み書きできます。").arg(longest));
    QTest::mouseClick(bar->findChild<QAbstractButton *>(QStringLiteral("LongLineFormat")), Qt::LeftButton);
    QVERIFY(form->HTMLSorceText->Utf8Text() == markup::formatUtf8(raw));
    QVERIFY(!bar->isVisible() && form->HTMLSorceText->y() == bar->y());
    QCOMPARE(form->windowTitle(), QStringLiteral("Long* - Markloom"));
    form->HTMLSorceText->setFocus();
    QTest::keyClick(form->HTMLSorceText, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(form->HTMLSorceText->Utf8Text() == raw);
    QCOMPARE(form->windowTitle(), QStringLiteral("Long - Markloom"));
    QTest::keyClick(form->HTMLSorceText, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(form->HTMLSorceText->Utf8Text() == markup::formatUtf8(raw));
    form->HTMLSorceText->undo();
    form->action("ID_FormatOnLoad")->trigger();
    form->action("ID_Reload")->trigger();
    QVERIFY(waitForTopLevel(2));
    QVERIFY(form->HTMLSorceText->Utf8Text() == markup::formatUtf8(raw));
    QCOMPARE(form->windowTitle(), QStringLiteral("Long - Markloom"));
    QVERIFY(!bar->isVisible() && !form->HTMLSorceText->isUndoAvailable());
}

// Nothing the page shows changes: a page and its formatted source, both
// loaded, have the same text.
void TestMainForm::formattedPageShowsTheSameText()
{
    m_server.add("a/mixed.html",
                 "<!DOCTYPE html><html><head><title>t</title><style>.i{display:inline-block}</style></head><body>"
                 "<h1>Title<small>sub</small></h1><p>a <b>b</b>c<i>d</i> e<br>f<br><span>g</span></p>"
                 "<div>x<div>y</div>z<script>var q = 1;</script>w</div><div>h<div hidden>H</div>i"
                 "<p style=\"display:inline\">j</p>k<dialog>D</dialog>l</div><ul><li>one<li>two<ol><li>three</ol></ul>"
                 "<table><caption>cap</caption><tr><td>1<td>2<tr><th>3</table><pre> p  <b>q</b>\n r</pre>"
                 "<textarea> s </textarea>t<svg width=\"9\" height=\"9\"><rect width=\"5\" height=\"5\"/></svg>u"
                 "<iframe srcdoc=\"v\"></iframe>w<math><mi>m</mi><mo>+</mo><mn>1</mn></math>n<dl><dt>k<dd>v</dl>"
                 "<section><!--c--><article>art</article></section><details open><summary>sum</summary>det</details>"
                 "<form><fieldset><legend>leg</legend><label>lab<input></label></fieldset></form>"
                 "\xe6\x97\xa5\xe6\x9c\xac<div>\xe8\xaa\x9e</div>\xe3\x81\xae<span class=i>in</span><span class=i>line</span>"
                 "<p>a<br></p><blockquote>q<figure><figcaption>fc</figcaption></figure></blockquote></body></html>");
    auto form = makeForm(m_server.url("a/mixed.html"));
    QVERIFY(waitForTopLevel());
    const auto bodyText = [&] {
        QString text;
        bool answered = false;
        // Laid out again: the hidden browser takes the root off the layout once loaded.
        const QString read = QStringLiteral("document.documentElement.style.removeProperty('display');"
                                            "document.body.innerText");
        form->WebBrowser1->page()->runJavaScript(read, [&](const QVariant &v) {
            text = v.toString();
            answered = true;
        });
        return QTest::qWaitFor([&] { return answered; }, 30000) ? text : QStringLiteral("no answer");
    };
    const QString shown = bodyText();
    const QString formatted = markup::format(form->HTMLSorceText->Text());
    QVERIFY(shown.contains(QStringLiteral("Title")) && formatted.count(QLatin1Char('\n')) > 60);
    m_server.add("a/formatted.html", formatted.toUtf8());
    enterAddress(*form, m_server.url("a/formatted.html"));
    QVERIFY(waitForTopLevel(2));
    QCOMPARE(bodyText(), shown);
}

MARKLOOM_UI_TEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
