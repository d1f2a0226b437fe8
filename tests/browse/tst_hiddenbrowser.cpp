// The hidden browser against hostile pages, with the engine: what a page
// cannot read, forge or hold, what a page may replace, what reaches the disk
// and which processes stay. (Which navigation a signal belongs to is the
// navigation machine's, tested by its tables; the main window's tests show
// the page's own navigations refused.)

#include "cli/headless.h"
#include "platform/webbrowser.h"
#include "support/pageserver.h"
#include "support/testenv.h"

#include <QImage>
#include <QSignalSpy>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QtTest>

class TestHiddenBrowser : public QObject
{
    Q_OBJECT
    markloomtest::PageServer m_server; // the network: its pages, and where a page would send what it read

private Q_SLOTS:
    void hostilePages_data()
    {
        // Local pages, loaded the way --dump loads them; each ends within its timeout with the
        // page's real source or the right message, and never with a local file's contents, in
        // its source or sent out. Each may call note(text) (into its body and out to the
        // listener); GATE holds its load open until it calls done().
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
        // Files beside the page's folder, through every route that would read them (links
        // and spellings of a path: the local-file rules' own table).
        row("module import",
            "GATE<script>Promise.allSettled([import('../hostile-private/secret.json', {assert: {type: 'json'}}),"
            " import('./in.json', {assert: {type: 'json'}})]).then(function (r) { r.forEach(function (x) {"
            " note(x.status == 'fulfilled' ? JSON.stringify(x.value.default) : 'import refused'); }); done(); });</script>",
            "import refused import refused", 30);
        row("style sheet rules",
            "<link rel=stylesheet href='../hostile-private/secret.css' onerror=\"note('sheet refused')\""
            " onload='note(this.sheet.cssRules[0].cssText)'><body></body>",
            "sheet refused");
        const char *canvas = "<script>function read(img) { var c = document.createElement('canvas').getContext('2d');"
                             " c.drawImage(img, 0, 0); note(c.getImageData(0, 0, 1, 1).data[0] == 255 ? 'secret-'"
                             " + 'contents' : 'blank'); done(); }</script>";
        row("canvas", (QByteArray(canvas) + "GATE<img src='../hostile-private/secret.png' onload='read(this)'"
                       " onerror=\"note('image refused'); done()\">").constData(), "image refused", 30);
        const char *globals = "<script>note(typeof leaked == 'string' ? leaked : 'no globals');</script>";
        row("script globals",
            (QByteArray("<body><script src='../hostile-private/secret.js'></script>") + globals).constData(), "no globals");
        row("worker",
            "GATE<script>try { var w = new Worker('worker.js'); w.onmessage = function (e) { note(e.data); done(); };"
            " w.onerror = function () { note('worker refused'); done(); }; } catch (e) { note('worker refused'); done(); }"
            "</script>",
            "worker refused", 30);
        row("XSLT document()",
            "<body><script>var x = new XSLTProcessor(); x.importStylesheet(new DOMParser().parseFromString("
            "'<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template match="
            "\"/\"><r><xsl:value-of select=\"document(\\'PRIVATE/secret.xml\\')\"/></r></xsl:template>"
            "</xsl:stylesheet>', 'application/xml')); var out = x.transformToDocument(document.implementation"
            ".createDocument('', 'x', null)); note('xslt [' + (out ? out.documentElement.textContent : '') + ']');"
            "</script></body>",
            "xslt [");
        row("frames",
            "<body><script>function copy(f) { try { note(f.contentDocument.body.textContent); } catch (e) {} }</script>"
            "<iframe src='secret.txt' onload='copy(this)'></iframe><iframe src='PRIVATE/x.html' onload='copy(this)'>"
            "</iframe><iframe src='own/framed.html' onload='copy(this)'></iframe></body>",
            "own frame");
        row("navigation out of the folder", "<body>stays<script>location.href = 'PRIVATE/passwd';</script></body>",
            "stays");
        // What a page shown to a user has: each would hang or differ on a hidden one.
        row("resize observer",
            "GATE<p id=box style='width: 50%'>x</p><script>new ResizeObserver(function (e) {"
            " note('width ' + e[0].contentRect.width); done(); }).observe(box);</script>",
            "</script> width 632</body>", 30);
        row("visibility", "<body><script>note(document.visibilityState + ' ' + innerWidth + 'x' + innerHeight);</script>",
            "</script> visible 1280x800</body>");
        // But a page that passes 4 MiB as it loads is laid out no further.
        row("huge while loading", "GATE<p id=box>x</p><script>requestAnimationFrame(function () {"
            " box.insertAdjacentHTML('afterend', ('<p>' + 'x'.repeat(97)).repeat(45000)); requestAnimationFrame(function"
            " wait() { box.offsetWidth ? requestAnimationFrame(wait) : (note('laid out no further'), done()); }); });"
            "</script>", "</script> laid out no further</body>", 30);
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
        const QString secrets = markloomtest::sandboxPath(QStringLiteral("hostile-private"));
        QDir(dir).mkpath(QStringLiteral("own"));
        const auto writeFile = [](const QString &path, const QByteArray &bytes) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        };
        writeFile(dir + "/secret.txt", "secret-contents");
        writeFile(dir + "/in.json", R"({"in": "secret-contents"})");
        writeFile(dir + "/own.js", "document.write('<p>own script ran</p>');");
        writeFile(dir + "/worker.js", "importScripts('../hostile-private/secret.js'); postMessage(leaked);");
        writeFile(secrets + "/secret.json", R"({"s": "secret-contents"})");
        writeFile(secrets + "/secret.css", ".secret-contents { color: red }");
        writeFile(secrets + "/secret.js", "var leaked = 'secret-contents';");
        writeFile(secrets + "/secret.xml", "<r>secret-contents</r>");
        writeFile(secrets + "/passwd", "root:secret-contents");
        writeFile(secrets + "/x.html", "<p>secret-contents</p>");
        writeFile(dir + "/own/framed.html", "<p>own frame</p>");
        QImage red(1, 1, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(secrets + "/secret.png"));
        m_server.requests.clear();
        // A frame whose document stays open holds the page's load until done().
        const QByteArray prelude = "<script>function note(s) { (document.body || document.documentElement).append(' ' + s);"
                                   " new WebSocket('ws://127.0.0.1:" + QByteArray::number(m_server.serverPort()) + "/note?' + encodeURIComponent(s)); }"
                                   " function done() { gate.contentDocument.close(); }</script>";
        writeFile(dir + "/page.html", "<html>" + prelude + QByteArray(page)
                                          .replace("GATE", "<iframe id=gate></iframe><script>gate.contentDocument.open();"
                                                           "</script>")
                                          .replace("PRIVATE", QUrl::fromLocalFile(secrets).toEncoded()) + "</html>");
        QString error;
        const std::optional<QString> source =
            cli::loadSource(QUrl::fromLocalFile(dir + "/page.html").toString(), timeout, &error);
        const QString text = source ? *source : error;
        QVERIFY2(text.contains(found) && !text.contains(QStringLiteral("secret-contents")),
                 qPrintable(text.left(800)));
        QVERIFY2(!m_server.requests.join('\n').contains("secret-contents"), m_server.requests.join('\n').constData());
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->windowTitle())); // no dialog or window was ever shown
        // The browser is gone: so are its page processes (children of the engine's zygotes), hung or not.
        // (A process ends when the machine gets to it: the ceiling is for a heavily loaded one.)
        // Each look at the process table counts once: one the engine starts
        // as another ends must not pass the wait and fail a second count.
        QStringList left;
        QVERIFY2(QTest::qWaitFor([&left] { return (left = markloomtest::descendants(2)).isEmpty(); }, 120000),
                 qPrintable(left.join(u' ')));
    }

    // A page whose script never yields holds its process; a new address of
    // the same site must still get through.
    void hungPageNeverHoldsTheNextOne()
    {
        m_server.add("a/loop.html", "<html><body><script>for (;;) {}</script></body></html>");
        m_server.add("a/one.html", "<html><head><title>One</title></head><body>one</body></html>");
        auto browser = std::make_unique<WebBrowser>();
        QSignalSpy done(browser.get(), &WebBrowser::documentComplete);
        browser->Navigate2(m_server.url("a/loop.html"));
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requestCount("a/loop.html"), 1, 30000);
        browser->Navigate2(m_server.url("a/one.html"));
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 30000);
        QCOMPARE(done.at(0).at(0).value<CompletedDocument>().url.toString(), m_server.url("a/one.html"));
    }

    // Only a huge page is laid out no further once read: what a page does
    // later from its layout (read again with F5) must still happen.
    void readPageStaysLaidOut()
    {
        m_server.add("a/box.html", "<html><body><p id=box style='width: 50%'>x</p></body></html>");
        auto browser = std::make_unique<WebBrowser>();
        QSignalSpy done(browser.get(), &WebBrowser::documentComplete);
        browser->Navigate2(m_server.url("a/box.html"));
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 30000);
        QVariant width;
        browser->page()->runJavaScript(QStringLiteral("box.offsetWidth"), [&width](const QVariant &v) { width = v; });
        QTRY_VERIFY_WITH_TIMEOUT(width.isValid(), 30000);
        QCOMPARE(width.toInt(), 632);
    }

    // A batch reuses a browser whose pages stored nothing: what each way of
    // storing leaves, once the page is gone, must make the look say so, and
    // a page that only read (or removed what it stored) must not. The look
    // comes as a document of its own, or as the next page of the origin
    // arrives (then before that page's own scripts, which here undo at once
    // what the first page stored, where a row says so).
    void storageLook_data()
    {
        QTest::addColumn<QByteArray>("script"); // ends by calling done()
        QTest::addColumn<bool>("nothingStored");
        QTest::addColumn<bool>("secure"); // or a site of plain http under a name
        QTest::addColumn<QByteArray>("next"); // the next page's script
        for (const bool arriving : {false, true}) {
            const auto row = [arriving](const char *name, const char *script, bool nothingStored, bool secure = true,
                                        const char *next = "") {
                QTest::addRow("%s%s", name, arriving ? ", as the next page arrives" : "")
                    << QByteArray(script) << nothingStored << secure << QByteArray(arriving ? next : nullptr);
            };
            row("only read", "localStorage.getItem('k'); sessionStorage.getItem('k'); document.cookie;"
                             "Promise.all([indexedDB.databases(), caches.keys(), caches.has('c')]).then(done);", true);
            row("only read, as it leaves", "onpagehide = () => document.cookie; done();", true);
            row("stored and removed", "localStorage.k = 1; localStorage.removeItem('k'); sessionStorage.k = 1;"
                                      "sessionStorage.clear(); done();", true);
            row("local storage", "localStorage.k = ''; done();", false, true, "localStorage.clear()");
            row("session storage", "sessionStorage.k = ''; done();", false, true, "sessionStorage.clear()");
            row("database", "indexedDB.open('d').onsuccess = done;", false, true, "indexedDB.deleteDatabase('d')");
            row("cache", "caches.open('c').then(done);", false, true, "caches.delete('c')");
            row("service worker", "navigator.serviceWorker.register('sw.js').then(done);", false);
            row("file", "navigator.storage.getDirectory().then(d => d.getFileHandle('f', {create: true})).then(done);",
                false, true, "navigator.storage.getDirectory().then(d => d.removeEntry('f'))");
            row("old file system", "webkitRequestFileSystem(TEMPORARY, 0, fs => fs.root.getDirectory('d', {create: true},"
                                   "done));", false);
            row("old database", "openDatabase('d', '', 'd', 1).transaction(t => t.executeSql('create table t (a)'),"
                                "done, done);", false);
            row("in the page's last handler", "onpagehide = () => { localStorage.k = '' }; done();", false);
            row("a forged answer", "onpagehide = () => { for (var i = 0; i < 9; ++i) document.title = 'empty'"
                                   " + ' '.repeat(i) }; localStorage.k = ''; done();", false);
            row("cookie", "document.cookie = 'k='; done();", false);
            row("a frame of another site", "var f = document.documentElement.appendChild("
                                           "document.createElement('iframe')); f.onload = done; f.src = OTHER;", false);
            row("moved on to another site", "localStorage.k = ''; location.href = ONWARD;", false);
            row("a worker", "new Worker('w.js').onmessage = done;", false);
            row("a worker at the page's address", "new Worker(location.href).onerror = done;", false);
            row("a worker of its own", "new Worker(URL.createObjectURL(new Blob([WORKER]))).onmessage = done;", false);
            row("only read, not secure", "localStorage.getItem('k'); indexedDB.databases().then(done);", true, false);
            row("database, not secure", "indexedDB.open('d').onsuccess = done;", false, false);
            row("old file system, not secure", "webkitRequestFileSystem(TEMPORARY, 0, fs => fs.root.getDirectory('d',"
                                               "{create: true}, done));", false, false);
        }
        // The next address moved on before it made a document (NEXT: the
        // address it sent to): whatever the look of the one it went to says,
        // it may not be the first to answer, so it does not count.
        QTest::newRow("only read, the next address moves on at once")
            << QByteArray("localStorage.getItem('k'); done();") << false << true << QByteArray("NEXT page.html?again");
    }
    void storageLook()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, nothingStored);
        QFETCH(bool, secure);
        QFETCH(QByteArray, next);
        const QByteArray done = "<script>function done() { document.title = 'done' }</script>";
        markloomtest::PageServer other;
        const QString inner = other.add("inner.html", "<script>localStorage.k = ''</script>");
        const QString onward = other.add("onward.html", done + "<script>done()</script>");
        const QByteArray worker = "indexedDB.open('d').onsuccess = () => postMessage('')";
        m_server.add("s/w.js", worker, "text/javascript");
        m_server.add("s/sw.js", "", "text/javascript");
        script.replace("OTHER", "'" + inner.toUtf8() + "'").replace("ONWARD", "'" + onward.toUtf8() + "'");
        m_server.add("s/page.html", done + "<script>" + script.replace("WORKER", "\"" + worker + "\"") + "</script>");
        if (next.startsWith("NEXT "))
            m_server.add("s/next.html", next.mid(5), "redirect");
        else
            m_server.add("s/next.html", "<script>" + next + "</script>");
        const auto address = [&](const char *page) {
            const QString url = m_server.url(page);
            return secure ? url : QString(url).replace("127.0.0.1", "plain.test");
        };
        WebBrowser browser;
        browser.watchStorage();
        QSignalSpy checked(&browser, &WebBrowser::storageChecked);
        QSignalSpy arrived(&browser, &WebBrowser::arrivalChecked);
        browser.Navigate2(address("s/page.html"));
        QTRY_COMPARE_WITH_TIMEOUT(browser.page()->title(), QStringLiteral("done"), 30000);
        // As a batch goes on, once the page has loaded: the next page arrives
        // looking whenever a look of the origin is due.
        QTRY_VERIFY_WITH_TIMEOUT(!browser.page()->isLoading(), 30000);
        browser.nextPage();
        if (!next.isNull() && !browser.lookDue().isEmpty()) {
            QVERIFY(browser.lookOnArrival(address("s/next.html")));
            browser.Navigate2(address("s/next.html"));
            QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), 1, 30000);
            QCOMPARE(arrived.at(0).at(0).toBool(), nothingStored);
            QCOMPARE(browser.arrivalVerdict(), std::optional<bool>(nothingStored));
            // And the page after may look as it arrives in turn.
            if (nothingStored)
                QVERIFY(!browser.lookDue().isEmpty());
            return;
        }
        // No look is due where a page of the origin alone could not tell.
        QVERIFY(next.isNull() || !nothingStored);
        browser.checkStorage();
        QTRY_COMPARE_WITH_TIMEOUT(checked.size(), 1, 30000);
        QCOMPARE(checked.at(0).at(0).toBool(), nothingStored);
    }

    void pagesNeverReachTheDisk()
    {
        m_server.add("a/store.html",
                     "<html><body>store<script>localStorage.setItem('k', 'v');"
                     "var db = new Promise(function (done) { var r = indexedDB.open('db', 1);"
                     "  r.onupgradeneeded = function () { r.result.createObjectStore('s'); };"
                     "  r.onsuccess = r.onerror = done; });"
                     "Promise.allSettled([db, caches.open('c'), navigator.serviceWorker.register('sw.js')])"
                     "  .then(function () { document.title = 'stored'; });</script></body></html>");
        m_server.add("a/sw.js", "self.addEventListener('fetch', function () {});", "text/javascript");
        auto browser = std::make_unique<WebBrowser>();
        const QString storage = browser->browserProfile()->persistentStoragePath();
        browser->Navigate2(m_server.url("a/store.html"));
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
