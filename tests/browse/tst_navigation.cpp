// The hidden browser's navigation bookkeeping, fed the orders of events an
// engine under load produces, and the words a failed load is told in.
//
// A row's events run in order on one machine; each event's actions follow,
// "|" between events, "-" for none. Events (T: a navigation's token):
//   go X [busy] | reload X [busy] | stop [X [idle]]   the user's (busy, X: the engine loads X; idle: X is shown)
//   request X | frame X | start | finish X [failed|stopped|error|NNN] [busy]   the engine's
//   capture T X|none|error [busy] | handover T X | reread [T X] | due T | asked | peek T X|none [asked]
//   report M X (marker M, "m" the page's, "m;" it without its colon; frame X) | gone | exit | tick T [missed] [answered] | keep on|off
// Actions: "kind [token] [! (missed, asked, later)] [X]"; documents "frame X",
// "partial X" or X, with their HTTP status. X: http://x.test/X, or itself.

#include "browse/failurewords.h"
#include "browse/navigation.h"
#include "support/testenv.h"

#include <QtTest>

namespace {

QUrl url(const QString &x)
{
    if (x == QLatin1String("error"))
        return QUrl(QStringLiteral("chrome-error://chromewebdata/"));
    return x.contains(QLatin1Char(':')) ? QUrl(x) : QUrl(QStringLiteral("http://x.test/") + x);
}

QString name(const CompletedDocument &d)
{
    const QString n = d.url.host() == QLatin1String("x.test") ? d.url.path().mid(1) : d.url.toString();
    return (d.stillLoading ? QStringLiteral("partial ") : d.isTop ? QString() : QStringLiteral("frame ")) + n
           + (d.framePath.isEmpty() ? QString() : QLatin1Char('@') + d.framePath) + (d.httpStatus ? QStringLiteral(" %1").arg(d.httpStatus) : QString());
}

std::optional<CompletedDocument> doc(const QString &x)
{
    if (x == QLatin1String("none"))
        return std::nullopt;
    // "rootless": a document the parser has not given a root yet.
    return CompletedDocument::make(true, x != QLatin1String("rootless"), url(x).toString(), x, QStringLiteral("<body>") + x);
}

QString describe(const NavAction &a)
{
    static const char *const kinds[] = {"load", "reload", "stop", "capture", "peek", "reread", "handover",
                                        "document", "read", "ended", "replace", "watch", "partial"};
    static const char *const why[] = {"unloadable", "failed", "nodoc"};
    QStringList w{QString::fromLatin1(kinds[a.kind])};
    if (a.kind == NavAction::Ended)
        w << QString::fromLatin1(why[int(a.why)]) << a.address << (a.error.code ? QString::number(a.error.code) : "");
    w << (a.token ? QString::number(a.token) : "") << (a.flag ? "!" : "");
    if (a.kind == NavAction::Load)
        w << name(*doc(a.url.toString()));
    if (!a.document.url.isEmpty())
        w << name(a.document);
    QStringList read;
    for (const CompletedDocument &d : a.documents)
        read << name(d);
    if (a.kind == NavAction::DocumentsRead)
        w << QLatin1Char('[') + read.join(QLatin1Char(',')) + QLatin1Char(']');
    w.removeAll(QString());
    return w.join(QLatin1Char(' '));
}

// Runs one event on the machine; returns its actions as a row writes them.
QString run(Navigation &nav, const QString &event)
{
    QStringList w = event.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString verb = w.takeFirst(), x = w.value(0), y = w.value(1);
    const bool busy = w.contains(QStringLiteral("busy")), asked = w.contains(QStringLiteral("asked"));
    const quint64 t = x.toULongLong();
    const auto is = [&verb](const char *v) { return verb == QLatin1String(v); };
    NavActions out;
    if (is("go")) {
        out = nav.navigate(url(x), x, busy);
    } else if (is("reload")) {
        out = nav.reload(url(x), busy);
    } else if (is("stop")) {
        out = nav.stop(!x.isEmpty() && y != QLatin1String("idle"), x.isEmpty() ? QUrl() : url(x));
    } else if (is("request") || is("frame")) {
        return nav.navigationRequested(url(x), is("request")) ? QStringLiteral("yes") : QStringLiteral("no");
    } else if (is("start")) {
        out = nav.loadStarted();
    } else if (is("finish")) {
        const bool error = y == QLatin1String("error");
        out = nav.loadFinished({y == QLatin1String("stopped")                ? LoadFinish::Stopped
                                : error || y == QLatin1String("failed") ? LoadFinish::Failed
                                                                        : LoadFinish::Succeeded,
                                url(x), error, error ? LoadError{-102, QStringLiteral("net::X")} : LoadError{},
                                y.toInt(), busy});
    } else if (is("capture")) {
        out = nav.captureAnswered(t, doc(y), busy);
    } else if (is("handover")) {
        out = nav.handOver(t, *doc(y));
    } else if (is("report")) {
        const QString address = url(y).toString();
        // "m;": the page's marker, then something other than its colon.
        const QString marker = x == QLatin1String("m") ? QStringLiteral("markloom-00c0ffee:")
                               : x == QLatin1String("m;") ? QStringLiteral("markloom-00c0ffee;") : x + QLatin1Char(':');
        out = nav.consoleMessage(marker + QStringLiteral("1 %1 0 0.1\n%2<p>frame").arg(address.size()).arg(address));
    } else if (is("gone") || is("exit")) {
        out = nav.rendererGone(is("gone"), QStringLiteral("crashed"));
    } else if (is("tick")) {
        out = nav.watchdogTick(t, w.contains(QStringLiteral("missed")), w.contains(QStringLiteral("answered")));
    } else if (is("reread")) {
        out = x.isEmpty() ? nav.readAgain() : nav.rereadAnswered(t, {*doc(y)});
    } else if (is("due") || is("asked")) {
        out = nav.partialDue(is("due") ? t : nav.token(), is("asked"));
    } else if (is("peek")) {
        out = nav.peekAnswered(t, asked, doc(y));
    } else if (is("keep")) {
        nav.setKeepDocument(x == QLatin1String("on"));
    } else {
        return QStringLiteral("unknown event ") + event;
    }
    QStringList described;
    for (const NavAction &a : out)
        described << describe(a);
    return described.isEmpty() ? QStringLiteral("-") : described.join(QStringLiteral(", "));
}

} // namespace

class TestNavigation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void orders_data();
    void orders();
    void failureWords_data();
    void failureWords();
};

void TestNavigation::orders_data()
{
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("actions");
    const auto row = [](const char *name, const char *events, const char *actions) {
        QTest::newRow(name) << QString::fromUtf8(events) << QString::fromUtf8(actions);
    };
    // The plain course: the document is read once the engine is done, and
    // handed on when the engine's copy has gone.
    row("loads", "go a | request a | start | finish a | capture 1 a | handover 1 a | go b",
        "load a, partial 1 | yes | - | capture 1 | handover 1 a | document a | load b, partial 2");
    // What may load: from the user, from the page, as a frame.
    row("addresses", "frame chrome://gpucrash | frame CHROME://gpuhang | frame chrome-untrusted://x/"
        " | frame view-source:http://x.test/ | frame about:version | frame javascript:x | frame nosuch:x"
        " | frame qrc:/markloom/icons/save.svg | frame about:blank | frame data:text/html,x | frame file:///tmp/x.html"
        " | frame https://x.test/ | frame served:x | frame qrc:/markloom/home.html",
        "no | no | no | no | no | no | no | no | yes | yes | yes | yes | yes | yes");
    row("refused", "go chrome://gpucrash | go devtools://devtools/ | go served:x",
        "ended unloadable chrome://gpucrash ! | ended unloadable devtools://devtools/ ! | load served:x, partial 1");
    row("pages ask too", "go a | request chrome://gpucrash | request mailto:a@x.test | request blob:http://x.test/1"
        " | frame about:srcdoc | request about:srcdoc | frame chrome://kill",
        "load a, partial 1 | no | no | yes | yes | no | no");
    // Load signals of an earlier load never end a newer one.
    row("late finish after a new navigate",
        "go a | request a | start | go b | finish a | request b | start | finish b | capture 2 b",
        "load a, partial 1 | yes | - | load b, watch 2, partial 2 | - | yes | - | capture 2 | handover 2 b");
    row("two loads finishing in reverse order",
        "go a | request a | start | go b busy | request b | finish b busy | finish a | capture 2 b",
        "load a, partial 1 | yes | - | load b, watch 2, partial 2 | yes | - | capture 2 | handover 2 b");
    row("capture answer after a new navigate", "go a | request a | finish a | go b busy | capture 1 none | finish b"
        " | capture 1 a | capture 2 b",
        "load a, partial 1 | yes | capture 1 | load b, watch 2, partial 2 | - | capture 2 | - | handover 2 b");
    row("capture answer after stop", "go a | request a | finish a | stop | capture 1 a | handover 1 a",
        "load a, partial 1 | yes | capture 1 | stop, watch 2 | - | -");
    row("handover after a new navigate", "go a | request a | finish a | capture 1 a | go b | handover 1 a",
        "load a, partial 1 | yes | capture 1 | handover 1 a | load b, watch 2, partial 2 | -");
    row("late start, second capture answer", "go a | request a | finish a | start | capture 1 a | capture 1 a",
        "load a, partial 1 | yes | capture 1 | - | handover 1 a | -");
    // Nothing to read: why depends on how the load ended; not while the engine goes on.
    row("no document", "go a | request a | finish a stopped | capture 1 none", "load a, partial 1 | yes | capture 1 | ended nodoc a");
    row("failed, no document", "go a | request a | finish a failed | capture 1 none busy | capture 1 none",
        "load a, partial 1 | yes | capture 1 | - | ended failed a");
    // The engine's own page is never a source.
    // A failed load has settled: the next is not watched for hanging in it.
    row("error page", "go a | request a | finish a error | capture 1 error | go b",
        "load a, partial 1 | yes | ended failed a -102 | - | load b, partial 2");
    row("error page read", "go a | request a | finish a | capture 1 error | finish a", "load a, partial 1 | yes | capture 1 | ended failed a | -");
    row("status", "go a | request a | finish a 404 | capture 1 a | go file:///p.html | request file:///p.html"
        " | finish file:///p.html 200 | capture 2 file:///p.html",
        "load a, partial 1 | yes | capture 1 | handover 1 a 404 | load file:///p.html, watch 2, partial 2 | yes"
        " | capture 2 | handover 2 file:///p.html");
    // Frames: the page's marker, while their navigation waits, never the engine's page.
    row("frame reports", "go a | report m f | request a | report forged f | report markloom-0badc0de f | report m; f"
        " | report m error | report m f | finish a | report m f | capture 1 a | report m f",
        "load a, partial 1 | - | yes | - | - | - | - | document frame f@0.1 | capture 1 | document frame f@0.1"
        " | handover 1 a | -");
    // The page's own navigations: part of its load, then its own, unless kept.
    row("page moves on while it loads", "go a | request a | request c | finish c | capture 1 c",
        "load a, partial 1 | yes | yes | capture 1 | handover 1 c");
    row("page moves on later", "go a | request a | finish a | capture 1 a | request c | finish c error | request d"
        " | finish d | capture 3 d",
        "load a, partial 1 | yes | capture 1 | handover 1 a | yes | - | yes | capture 3 | handover 3 d");
    row("kept", "keep on | go a | request a | finish a | capture 1 a | request c | frame f | go b",
        "- | load a, partial 1 | yes | capture 1 | handover 1 a | no | yes | load b, watch 2, partial 2");
    row("refresh as it completes", "go a | request a | finish a | request c | finish c error",
        "load a, partial 1 | yes | capture 1 | yes | ended failed a -102");
    row("refresh as it completes, kept", "keep on | go a | request a | finish a | request c | capture 1 a",
        "- | load a, partial 1 | yes | capture 1 | no | handover 1 a");
    row("read again holds the page", "go a | request a | finish a | capture 1 a | reread | request c | reread 1 a"
        " | request c",
        "load a, partial 1 | yes | capture 1 | handover 1 a | reread 1 | no | read [a] | yes");
    // An answer nobody asked for leaves the next read again holding the page.
    row("read again after a navigate", "go a | reread | go b | reread 1 a | reread 2 error | request b | finish b"
        " | capture 2 b | reread | request c",
        "load a, partial 1 | reread 1 | load b, watch 2, partial 2 | read [] | read [] | yes | capture 2"
        " | handover 2 b | reread 2 | no");
    // Stop: the stopped load's own end is not the next one's; the next waits for it.
    row("load after stop", "go a | request a | start | stop a | go b busy | finish c stopped busy | finish a stopped"
        " | request b | finish b",
        "load a, partial 1 | yes | - | stop, watch 2 | watch 3, partial 3 | - | load b | yes | capture 3");
    row("stop never said, page read, a frame loading", "go a | request a | finish a | capture 1 a | handover 1 a"
        " | stop a | go b | tick 3 answered | tick 3 answered", "load a, partial 1 | yes | capture 1 | handover 1 a"
        " | document a | stop, watch 2 | watch 3, partial 3 | load b, watch 3 | watch 3");
    // Stop on a page that is done: no end is to come, the next goes at once.
    row("stop after the load", "go a | request a | finish a | capture 1 a | handover 1 a | stop a idle | go b",
        "load a, partial 1 | yes | capture 1 | handover 1 a | document a | stop, watch 2 | load b, partial 3");
    row("stopped twice", "go a | stop a | go b | stop a | finish a stopped",
        "load a, partial 1 | stop, watch 2 | watch 3, partial 3 | stop, watch 4 | -");
    // The watchdog: a page that misses twice in a row is replaced, and the
    // user's load starts again there, once.
    row("hung page", "go a | go b busy | tick 2 | tick 2 missed | request b | finish b",
        "load a, partial 1 | load b, watch 2, partial 2 | watch 2 ! | replace, load b, partial 3 | yes | capture 3");
    row("answers", "go a busy | tick 1 answered | tick 1 | tick 1 answered | tick 1 missed",
        "load a, watch 1, partial 1 | watch 1 | watch 1 ! | watch 1 | replace, load a, partial 2");
    row("stale tick", "go a busy | go b | tick 1 missed | tick 1 answered", "load a, watch 1, partial 1 | load b, watch 2, partial 2 | - | -");
    row("hung after stop", "go a | stop a | tick 2 | tick 2 missed | go b", "load a, partial 1 | stop, watch 2 | watch 2 ! | replace | load b, partial 3");
    // The page's process dies: one end, and nothing more of that load.
    row("renderer gone", "go a | request a | exit | gone | finish a error | capture 1 none",
        "load a, partial 1 | yes | - | ended failed a | - | -");
    row("renderer gone idle", "go a | request a | finish a | capture 1 a | exit | gone", "load a, partial 1 | yes | capture 1 | handover 1 a | - | -");
    row("reload", "reload a | request a | finish a | reload chrome://kill", "reload, partial 1 | yes | capture 1 | ended unloadable chrome://kill !");
    // The page as it stands while it loads: once there is one of this load.
    row("partial", "go a | due 1 | peek 1 none | due 1 | peek 1 rootless | due 1 | peek 1 a | go b | due 1 | peek 1 b",
        "load a, partial 1 | peek 1 | partial 1 | peek 1 | partial 1 | peek 1 | document partial a"
        " | load b, watch 2, partial 2 | - | -");
    row("as it stands, asked", "go a | asked | peek 1 a asked | peek 1 none asked | peek 1 error asked | stop | asked",
        "load a, partial 1 | peek 1 ! | read [partial a] | read [] | read [] | stop, watch 2 | read []");
}

void TestNavigation::orders()
{
    QFETCH(QString, events);
    QFETCH(QString, actions);
    Navigation nav([](const QString &scheme) { return scheme == QLatin1String("served"); });
    nav.setMarker(QStringLiteral("markloom-00c0ffee"));
    QStringList got;
    for (const QString &event : events.split(QLatin1Char('|')))
        got << run(nav, event.trimmed());
    QCOMPARE(got.join(QStringLiteral(" | ")), actions);
}

void TestNavigation::failureWords_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("words");
    QTest::newRow("refused") << -102 << u"接続が拒否されました"_qs;
    QTest::newRow("no host") << -105 << u"ホストが見つかりません"_qs;
    QTest::newRow("resolution failed") << -137 << u"ホストが見つかりません"_qs;
    QTest::newRow("timed out") << -7 << u"タイムアウト"_qs;
    QTest::newRow("connection timed out") << -118 << u"タイムアウト"_qs;
    QTest::newRow("certificate, first") << -200 << u"証明書エラー"_qs;
    QTest::newRow("certificate, last") << -299 << u"証明書エラー"_qs;
    QTest::newRow("not a certificate") << -300 << u"読み込みエラー: net::X"_qs;
    QTest::newRow("SSL, not a certificate") << -107 << u"読み込みエラー: net::X"_qs;
    QTest::newRow("process died") << 0 << u"読み込みエラー"_qs;
}

void TestNavigation::failureWords()
{
    QFETCH(int, code);
    QFETCH(QString, words);
    QCOMPARE(loadFailureWords({code, code ? QStringLiteral("net::X") : QStringLiteral("crashed")}), words);
}

MARKLOOM_CORE_TEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
