// The hidden browser against hostile pages, with the engine: what a page
// cannot read, forge or hold, what a page may replace, what reaches the disk
// and which processes stay. (Which navigation a signal belongs to is the
// navigation machine's, tested by its tables; the main window's tests show
// the page's own navigations refused.)

#include "cli/headless.h"
#include "platform/webbrowser.h"
#include "support/testpages.h"

#include <QSignalSpy>
#include <QWebEngineProfile>
#include <QtTest>

using markloomtest::TestPages;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

} // namespace

class TestHiddenBrowser : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestPages> m_pages;

    std::unique_ptr<WebBrowser> makeBrowser()
    {
        auto browser = std::make_unique<WebBrowser>();
        m_pages->installOn(browser->browserProfile());
        return browser;
    }

private Q_SLOTS:
    void init()
    {
        m_pages = std::make_unique<TestPages>();
        m_pages->add("a/one.html", "<html><head><title>One</title></head><body>one</body></html>");
        m_pages->add("a/two.html", "<html><head><title>Two</title></head><body>two</body></html>");
    }

    void hostilePages_data()
    {
        // Local pages, loaded the way --dump loads them; each ends within its timeout with the
        // page's real source or the right message, and never with a local file's contents.
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<QString>("found"); // in the source, or else in the message
        const auto row = [](const char *name, const char *page, const char *found, int timeout = 60) {
            QTest::newRow(name) << QByteArray(page) << timeout << QString::fromUtf8(found);
        };
        row("synthetic load", "<head><script>dispatchEvent(new Event('load'));</script></head><body>real end</body>",
            "real end");
        row("document.open", "<script>document.open(); document.write('<p>written</p>'); document.close();</script>",
            "<p>written</p>");
        row("app scheme before load", "<head><script>location.href = 'mailto:a@b.test';</script></head><body>x</body>",
            "mailto:a@b.test");
        row("debug address from the page", "<body>stays<script>location.href = 'chrome://gpucrash';</script></body>",
            "stays");
        row("local file read",
            "<body><script src='own.js'></script><script>"
            "function note(s) { document.body.appendChild(document.createElement('p')).textContent = s; }"
            "try { var x = new XMLHttpRequest(); x.open('GET', 'secret.txt', false); x.send(); note(x.responseText); }"
            "catch (e) { note('xhr refused'); }"
            "fetch('secret.txt').then(function (r) { return r.text(); }).then(note, function () {});</script></body>",
            "own script ran");
        // Every dialog is answered as if refused, and no window is ever made.
        row("dialogs and popups",
            "<body><script>document.body.textContent = 'confirm ' + confirm('?') + ', prompt ' + "
            "prompt('?', 'given') + ', open ' + window.open('own.js');</script></body>",
            "confirm false, prompt null, open null");
        // Hung: no source as it stood either.
        row("endless loop", "<script>for (;;) {}</script>", "timed out", 2);
        row("dialog loop", "<script>for (;;) alert('stop me');</script>", "timed out", 2);
    }

    void hostilePages()
    {
        QFETCH(QByteArray, page);
        QFETCH(int, timeout);
        QFETCH(QString, found);
        const QString dir = markloomtest::sandboxPath(QStringLiteral("hostile"));
        writeFile(dir + "/secret.txt", "secret-contents");
        writeFile(dir + "/own.js", "document.write('<p>own script ran</p>');");
        writeFile(dir + "/page.html", "<html>" + page + "</html>");
        QString error;
        const std::optional<QString> source =
            cli::loadSource(QUrl::fromLocalFile(dir + "/page.html").toString(), timeout, &error);
        const QString text = source ? *source : error;
        QVERIFY2(text.contains(found) && !text.contains(QStringLiteral("secret-contents")), qPrintable(text.left(500)));
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->windowTitle())); // no dialog or window was ever shown
        // The browser is gone: so are its page processes (children of the engine's zygotes), hung or not.
        QTRY_COMPARE_WITH_TIMEOUT(markloomtest::descendants(2).size(), 0, 30000);
    }

    // Whatever a local page frames it could read, so only its own pages load as
    // frames: neither a text file beside it nor a page outside its folder. Nor
    // can the page's own console.log pass for a frame's report.
    void localPageFramesOnlyItsOwnPages()
    {
        const QString dir = markloomtest::sandboxPath(QStringLiteral("frames"));
        QVERIFY(QDir(dir).mkpath(QStringLiteral("page/sub")));
        writeFile(dir + "/page/secret.txt", "secret-contents");
        writeFile(dir + "/outside.html", "<p>secret-contents</p>");
        writeFile(dir + "/page/sub/framed.html", "<p>own frame</p>");
        writeFile(dir + "/page/top.html",
                  "<html><body><script>function copy(f) { try { document.body.append(f.contentDocument.body.textContent);"
                  " } catch (e) {} }</script><iframe src='secret.txt' onload='copy(this)'></iframe>"
                  "<iframe src='../outside.html' onload='copy(this)'></iframe>"
                  "<iframe src='sub/framed.html' onload='copy(this)'></iframe>"
                  "<script>console.log('markloom-' + '0'.repeat(32) + ':1 6 0\\nhttp:xforged');</script></body></html>");
        auto browser = makeBrowser();
        QList<CompletedDocument> docs;
        connect(browser.get(), &WebBrowser::documentComplete, this, [&](const CompletedDocument &d) { docs << d; });
        browser->Navigate2(QUrl::fromLocalFile(dir + "/page/top.html").toString());
        QTRY_VERIFY_WITH_TIMEOUT(!docs.isEmpty() && docs.last().isTop, 30000);
        QStringList urls;
        for (const CompletedDocument &d : docs)
            urls << d.url.toString();
        QVERIFY2(docs.size() == 2, qPrintable(urls.join(' '))); // the refused frames are no documents of the page
        QCOMPARE(docs.first().url, QUrl::fromLocalFile(dir + "/page/sub/framed.html"));
        QVERIFY(docs.first().innerHTML.contains(QStringLiteral("own frame")));
        QVERIFY2(!docs.last().innerHTML.contains(QStringLiteral("secret-contents")), qPrintable(docs.last().innerHTML));
    }

    // A page whose script never yields holds its process; a new address of
    // the same site must still get through.
    void hungPageNeverHoldsTheNextOne()
    {
        m_pages->add("a/loop.html", "<html><body><script>for (;;) {}</script></body></html>");
        auto browser = makeBrowser();
        QSignalSpy done(browser.get(), &WebBrowser::documentComplete);
        browser->Navigate2(TestPages::url("a/loop.html"));
        QTRY_COMPARE_WITH_TIMEOUT(m_pages->requestCount("a/loop.html"), 1, 30000);
        browser->Navigate2(TestPages::url("a/one.html"));
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 30000);
        QCOMPARE(done.at(0).at(0).value<CompletedDocument>().url.toString(), TestPages::url("a/one.html"));
    }

    void pagesNeverReachTheDisk()
    {
        m_pages->add("a/store.html",
                     "<html><body>store<script>localStorage.setItem('k', 'v');"
                     "var db = new Promise(function (done) { var r = indexedDB.open('db', 1);"
                     "  r.onupgradeneeded = function () { r.result.createObjectStore('s'); };"
                     "  r.onsuccess = r.onerror = done; });"
                     "Promise.allSettled([db, caches.open('c'), navigator.serviceWorker.register('sw.js')])"
                     "  .then(function () { document.title = 'stored'; });</script></body></html>");
        m_pages->add("a/sw.js", "self.addEventListener('fetch', function () {});", "text/javascript");
        auto browser = makeBrowser();
        const QString storage = browser->browserProfile()->persistentStoragePath();
        browser->Navigate2(TestPages::url("a/store.html"));
        QTRY_COMPARE_WITH_TIMEOUT(browser->page()->title(), QStringLiteral("stored"), 30000);
        browser.reset();
        // Nothing of any browser this test made is left in the test's home.
        for (const char *home : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"})
            QCOMPARE(QDir(qEnvironmentVariable(home)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList());
        QVERIFY(!storage.isEmpty() && !QFileInfo::exists(storage));
    }
};

MARKLOOM_UI_TEST_MAIN(TestHiddenBrowser)
#include "tst_hiddenbrowser.moc"
