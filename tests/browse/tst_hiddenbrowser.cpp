// The hidden browser against hostile and racing pages: what it refuses to
// load, when it reads a document, which navigation a load signal belongs to,
// what a page may replace, what reaches the disk and which processes stay.

#include "cli/headless.h"
#include "platform/completionscript.h"
#include "platform/webbrowser.h"
#include "support/testpages.h"

#include <QDirIterator>
#include <QSignalSpy>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QtTest>

#include <unistd.h>

using markloomtest::TestPages;

namespace {

qint64 parentOf(const QString &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray s = stat.readAll();
    return s.mid(s.lastIndexOf(')') + 2).split(' ').value(1).toLongLong();
}

// Page processes of this test process: the engine forks them from its zygote
// processes, the children of this one.
int rendererCount()
{
    int n = 0;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
        n += pid.toLongLong() > 0 && parentOf(QString::number(parentOf(pid))) == getpid() ? 1 : 0;
    return n;
}

QStringList listing(const QString &dir)
{
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next();
    return entries;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

} // namespace

class TestHiddenBrowser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void loadableAddresses_data();
    void loadableAddresses();
    void hostilePages_data();
    void hostilePages();
    void lateSignalNeverEndsNewerNavigation();
    void keepDocument_data();
    void keepDocument();
    void pagesNeverReachTheDisk();
    void completionReport_data();
    void completionReport();

private:
    std::unique_ptr<WebBrowser> makeBrowser();
    std::unique_ptr<TestPages> m_pages;
};

void TestHiddenBrowser::init()
{
    m_pages = std::make_unique<TestPages>();
    m_pages->add("a/one.html", "<html><head><title>One</title></head><body>one</body></html>");
    m_pages->add("a/two.html", "<html><head><title>Two</title></head><body>two</body></html>");
    m_pages->addPending("a/pending.html");
}

std::unique_ptr<WebBrowser> TestHiddenBrowser::makeBrowser()
{
    auto browser = std::make_unique<WebBrowser>();
    m_pages->installOn(browser->browserProfile());
    return browser;
}

void TestHiddenBrowser::loadableAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("loadable");
    for (const char *yes : {"http://a.test/", "https://a.test/", "file:///tmp/x.html", "data:text/html,<p>x",
                            "about:blank", "qrc:/markloom/home.html", "mltest://a/one.html"})
        QTest::newRow(yes) << QString::fromLatin1(yes) << true;
    for (const char *no : {"chrome://gpucrash", "CHROME://gpuhang", "chrome-untrusted://x/", "devtools://devtools/",
                           "view-source:http://a.test/", "javascript:alert(1)", "blob:http://a.test/1",
                           "about:version", "qrc:/markloom/icons/save.svg", "mailto:a@b.test", "nosuch://x"})
        QTest::newRow(no) << QString::fromLatin1(no) << false;
}

void TestHiddenBrowser::loadableAddresses()
{
    QFETCH(QString, address);
    QFETCH(bool, loadable);
    auto browser = makeBrowser();
    QCOMPARE(browser->canLoad(WebBrowser::urlFromUserInput(address)), loadable);
    if (loadable)
        return;
    // Refused before the engine sees it, with the usual end.
    QSignalSpy ended(browser.get(), &WebBrowser::loadEndedWithoutDocument);
    QSignalSpy loads(browser->page(), &QWebEnginePage::loadStarted);
    browser->Navigate2(address);
    QTRY_COMPARE(ended.size(), 1);
    QCOMPARE(ended.at(0).at(0).value<LoadEnd>(), LoadEnd::Unloadable);
    QCOMPARE(ended.at(0).at(1).toString(), address);
    QCOMPARE(loads.size(), 0);
}

void TestHiddenBrowser::hostilePages_data()
{
    // Local pages, loaded the way --dump loads them; each ends within its
    // timeout with the page's real source or the right message.
    QTest::addColumn<QByteArray>("page"); // empty: load the address instead
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<QString>("found"); // in the source, or else in the message
    QTest::addColumn<QString>("absent");
    QTest::newRow("synthetic load") << QByteArray("<head><script>dispatchEvent(new Event('load'));</script></head>"
                                                  "<body>real end</body>")
                                    << QString() << 20 << "real end" << QString();
    QTest::newRow("document.open") << QByteArray("<script>document.open(); document.write('<p>written</p>');"
                                                 "document.close();</script>")
                                   << QString() << 20 << "<p>written</p>" << QString();
    QTest::newRow("mailto before load")
        << QByteArray("<head><script>location.href = 'mailto:a@b.test';</script></head><body>x</body>") << QString()
        << 20 << "mailto:a@b.test" << QString();
    QTest::newRow("app scheme link before load")
        << QByteArray("<body><a id='l' href='someapp:open'>x</a><script>document.getElementById('l').click();"
                      "</script>after</body>")
        << QString() << 20 << "someapp:open" << QString();
    QTest::newRow("debug address from the page")
        << QByteArray("<body>stays<script>location.href = 'chrome://gpucrash';</script></body>") << QString() << 20
        << "stays" << QString();
    QTest::newRow("debug address typed") << QByteArray() << "chrome://gpucrash" << 20
                                         << "cannot load this address: chrome://gpucrash" << QString();
    QTest::newRow("local file read")
        << QByteArray("<body><script src='own.js'></script><script>"
                      "function note(s) { document.body.appendChild(document.createElement('p')).textContent = s; }"
                      "try { var x = new XMLHttpRequest(); x.open('GET', 'secret.txt', false); x.send();"
                      "  note('xhr:' + x.responseText); } catch (e) { note('xhr refused'); }"
                      "fetch('secret.txt').then(function (r) { return r.text(); })"
                      "  .then(function (t) { note('fetch:' + t); }, function () { note('fetch refused'); });"
                      "</script></body>")
        << QString() << 20 << "own script ran" << "secret-contents";
    QTest::newRow("endless loop") << QByteArray("<script>for (;;) {}</script>") << QString() << 2
                                  << "timed out after 2 s" << QString();
    QTest::newRow("dialog loop") << QByteArray("<script>for (;;) alert('stop me');</script>") << QString() << 2
                                 << "timed out after 2 s" << QString();
}

void TestHiddenBrowser::hostilePages()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, address);
    QFETCH(int, timeout);
    QFETCH(QString, found);
    QFETCH(QString, absent);
    const QString dir = markloomtest::sandboxPath(QStringLiteral("hostile"));
    writeFile(dir + "/secret.txt", "secret-contents");
    writeFile(dir + "/own.js", "document.write('<p>own script ran</p>');");
    if (!page.isEmpty()) {
        writeFile(dir + "/page.html", "<html>" + page + "</html>");
        address = QUrl::fromLocalFile(dir + "/page.html").toString();
    }
    QString error;
    const std::optional<QString> source = cli::loadSource(address, timeout, &error);
    const QString text = source ? *source : error;
    QVERIFY2(text.contains(found), qPrintable(text.left(500)));
    QVERIFY2(absent.isEmpty() || !text.contains(absent), qPrintable(text.left(500)));
    // The browser is gone: so are its page processes, hung or not.
    QTRY_COMPARE_WITH_TIMEOUT(rendererCount(), 0, 10000);
}

void TestHiddenBrowser::lateSignalNeverEndsNewerNavigation()
{
    // Each navigation starts the moment the one before has reported: the
    // earlier load's own end must neither end nor replace the newer one.
    auto browser = makeBrowser();
    QStringList tops;
    QSignalSpy ended(browser.get(), &WebBrowser::loadEndedWithoutDocument);
    const QString one = TestPages::url("a/one.html");
    const QString two = TestPages::url("a/two.html");
    bool chain = true;
    connect(browser.get(), &WebBrowser::documentComplete, this, [&](const CompletedDocument &doc) {
        if (!doc.isTop)
            return;
        tops << doc.url.toString();
        if (chain && tops.size() < 20)
            browser->Navigate2(tops.size() % 2 ? two : one);
    });
    browser->Navigate2(one);
    QTRY_COMPARE_WITH_TIMEOUT(tops.size(), 20, 30000);
    for (int i = 0; i < tops.size(); ++i)
        QCOMPARE(tops.at(i), i % 2 ? two : one);
    QCOMPARE(ended.size(), 0);

    // A navigation that replaces one still loading, or one just stopped.
    chain = false;
    tops.clear();
    browser->Navigate2(TestPages::url("a/pending.html"));
    QTRY_COMPARE(m_pages->requestCount("a/pending.html"), 1);
    browser->Navigate2(one);
    QTRY_COMPARE_WITH_TIMEOUT(tops, QStringList{one}, 20000);
    browser->Navigate2(TestPages::url("a/pending.html"));
    QTRY_COMPARE(m_pages->requestCount("a/pending.html"), 2);
    browser->Stop();
    browser->Navigate2(two);
    QTRY_COMPARE_WITH_TIMEOUT(tops, (QStringList{one, two}), 20000);
    QCOMPARE(ended.size(), 0);
}

void TestHiddenBrowser::keepDocument_data()
{
    QTest::addColumn<QByteArray>("moveOn"); // what the page does 300 ms after it has loaded
    QTest::addColumn<bool>("keep");
    const QByteArray script = "<script>setTimeout(function () { location.href = 'two.html'; }, 300);</script>";
    QTest::newRow("script, keep off") << script << false;
    QTest::newRow("script, keep on") << script << true;
    QTest::newRow("reload") << QByteArray("<script>setTimeout(function () { location.reload(); }, 300);</script>")
                            << true;
    QTest::newRow("refresh") << QByteArray("<meta http-equiv='refresh' content='0.3; url=two.html'>") << true;
    QTest::newRow("link") << QByteArray("<a id='l' href='two.html'>x</a><script>setTimeout(function () {"
                                        " document.getElementById('l').click(); }, 300);</script>")
                          << true;
    QTest::newRow("form") << QByteArray("<form id='f' action='two.html'></form><script>setTimeout(function () {"
                                        " document.getElementById('f').submit(); }, 300);</script>")
                          << true;
}

void TestHiddenBrowser::keepDocument()
{
    QFETCH(QByteArray, moveOn);
    QFETCH(bool, keep);
    m_pages->add("a/mover.html", "<html><head><title>Mover</title>" + moveOn + "</head><body>mover</body></html>");
    auto browser = makeBrowser();
    browser->setKeepDocument(keep);
    QSignalSpy done(browser.get(), &WebBrowser::documentComplete);
    QSignalSpy ended(browser.get(), &WebBrowser::loadEndedWithoutDocument);
    QList<QWebEngineLoadingInfo::LoadStatus> loading;
    connect(browser->page(), &QWebEnginePage::loadingChanged, this,
            [&](const QWebEngineLoadingInfo &info) { loading << info.status(); });
    const QString mover = TestPages::url("a/mover.html");
    // The user's own navigation goes through, keep or not.
    browser->Navigate2(mover);
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 20000);
    if (!keep) {
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 2, 20000);
        QCOMPARE(done.at(1).at(0).value<CompletedDocument>().url.toString(), TestPages::url("a/two.html"));
        return;
    }
    // The page's attempt starts and stops in the engine, and nothing else happens.
    const int before = loading.size();
    QTRY_VERIFY_WITH_TIMEOUT(loading.size() >= before + 2, 20000);
    QCOMPARE(loading.last(), QWebEngineLoadingInfo::LoadStoppedStatus);
    QCOMPARE(m_pages->requestCount("a/two.html"), 0);
    QCOMPARE(m_pages->requestCount("a/mover.html"), 1);
    QCOMPARE(browser->LocationURL(), mover);
    QCOMPARE(done.size(), 1);
    QCOMPARE(ended.size(), 0);
}

void TestHiddenBrowser::pagesNeverReachTheDisk()
{
    m_pages->add("a/store.html",
                 "<html><body>store<script>"
                 "localStorage.setItem('k', 'v');"
                 "var db = new Promise(function (done) { var r = indexedDB.open('db', 1);"
                 "  r.onupgradeneeded = function () { r.result.createObjectStore('s'); };"
                 "  r.onsuccess = r.onerror = done; });"
                 "Promise.allSettled([db, caches.open('c'), navigator.serviceWorker.register('sw.js')])"
                 "  .then(function () { document.title = 'stored'; });"
                 "</script></body></html>");
    m_pages->add("a/sw.js", "self.addEventListener('fetch', function () {});", "text/javascript");
    auto browser = makeBrowser();
    const QString storage = browser->browserProfile()->persistentStoragePath();
    browser->Navigate2(TestPages::url("a/store.html"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->page()->title(), QStringLiteral("stored"), 20000);
    browser.reset();
    // Nothing of any browser this test made is left in the test's home.
    for (const char *home : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"})
        QCOMPARE(listing(qEnvironmentVariable(home)), QStringList());
    QVERIFY(!storage.isEmpty() && !QFileInfo::exists(storage));
}

void TestHiddenBrowser::completionReport_data()
{
    QTest::addColumn<QString>("payload");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("html");
    const QString html = QStringLiteral("<head></head><body>a\r\nb\n 12 3\n</body>");
    QTest::newRow("frame") << "1 14 4\nhttp://a.test/T\u00e9st" + html << true << "http://a.test/" << "T\u00e9st"
                           << html;
    QTest::newRow("no root") << "0 0 0\n" << true << "" << "" << "";
    QTest::newRow("all url") << "1 003 0\nabc" << true << "abc" << "" << "";
    const auto invalid = [](const char *name, const QString &payload) {
        QTest::newRow(name) << payload << false << QString() << QString() << QString();
    };
    invalid("no line break", "1 0 0");
    invalid("garbage", "garbage\n");
    invalid("lengths beyond the payload", "1 3 1\nabc");
    invalid("title beyond the payload", "1 1 3\nabc");
    invalid("lengths that overflow", "1 9223372036854775807 9223372036854775807\nabc");
    invalid("huge length", "1 99999999999999999999999 0\nabc");
    invalid("negative length", "1 -1 0\nabc");
    invalid("sign", "1 +1 0\nabc");
    invalid("missing field", "1 0\nabc");
    invalid("extra blank", "1 0  0\nabc");
    invalid("extra field", "1 0 0 0\nabc");
    invalid("bad flag", "2 0 0\nabc");
}

void TestHiddenBrowser::completionReport()
{
    QFETCH(QString, payload);
    QFETCH(bool, valid);
    QFETCH(QString, url);
    QFETCH(QString, title);
    QFETCH(QString, html);
    const std::optional<completion::Report> r = completion::parse(payload);
    QCOMPARE(bool(r), valid);
    if (!r)
        return;
    QCOMPARE(r->url.toString(), url);
    QCOMPARE(r->title.toString(), title);
    QCOMPARE(r->html.toString(), html);
    QCOMPARE(r->hasRoot, payload.startsWith('1'));
}

MARKLOOM_UI_TEST_MAIN(TestHiddenBrowser)
#include "tst_hiddenbrowser.moc"
