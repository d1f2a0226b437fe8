#include "browse/navigation.h"

#include "platform/completionscript.h"

#include <utility>

namespace {

bool isAbout(const QUrl &url, QLatin1String what)
{
    return url.scheme().compare(QLatin1String("about"), Qt::CaseInsensitive) == 0 && url.path() == what;
}

bool isHttp(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

NavAction act(NavAction::Kind kind, quint64 token = 0, bool flag = false)
{
    NavAction a{kind};
    a.token = token;
    a.flag = flag;
    return a;
}

NavAction load(const QUrl &url)
{
    NavAction a{NavAction::Load};
    a.url = url;
    return a;
}

NavAction reportDocument(const CompletedDocument &doc)
{
    NavAction a{NavAction::Document};
    a.document = doc;
    return a;
}

NavAction documentsRead(const QList<CompletedDocument> &documents)
{
    NavAction a{NavAction::DocumentsRead};
    a.documents = documents;
    return a;
}

} // namespace

Navigation::Navigation(std::function<bool(const QString &)> servedScheme) : m_servedScheme(std::move(servedScheme)) {}

QUrl Navigation::homeUrl() { return QUrl(QStringLiteral("qrc:/markloom/home.html")); }

bool Navigation::mayLoad(const QUrl &url) const
{
    if (!url.isValid() || url.isEmpty())
        return false;
    // Engine-internal addresses (chrome:, devtools:, view-source:, other
    // about: pages and the like) are never loaded: some crash or hang the
    // engine on purpose. Any scheme the engine does not load itself would go
    // to a desktop program, which the hidden browser never starts.
    const QString scheme = url.scheme().toLower();
    if (isHttp(url) || scheme == QLatin1String("file") || scheme == QLatin1String("data"))
        return true;
    if (scheme == QLatin1String("about"))
        return isAbout(url, QLatin1String("blank"));
    if (scheme == QLatin1String("qrc"))
        return url.path() == homeUrl().path();
    return m_servedScheme && m_servedScheme(scheme);
}

void Navigation::begin(const QUrl &url, const QString &address, bool byPage, bool engineBusy)
{
    ++m_token;
    // A load signal still on its way when the engine was idle belongs to the
    // load before; when it is busy, its next end is this navigation's too.
    m_phase = engineBusy ? Phase::Started : Phase::Waiting;
    m_settled = false;
    m_deferred.clear();
    m_byPage = byPage;
    m_url = url;
    m_address = address;
    m_why = LoadEnd::NoDocument;
    m_httpStatus = 0;
}

NavActions Navigation::end(LoadEnd why, const LoadError &error)
{
    m_phase = Phase::Idle;
    m_settled = true;
    if (m_byPage)
        return {};
    NavAction a{NavAction::Ended};
    a.why = why;
    a.address = m_address;
    a.error = error;
    return {a};
}

NavActions Navigation::takeDeferred()
{
    m_stopped.clear();
    if (m_deferred.isEmpty())
        return {};
    return {load(std::exchange(m_deferred, QUrl()))};
}

NavActions Navigation::navigate(const QUrl &url, const QString &address, bool engineBusy)
{
    if (!mayLoad(url)) {
        // Nothing a browser could load: it ends like a failed load, once the
        // caller's handler has finished, as a real load would.
        NavAction a{NavAction::Ended};
        a.why = LoadEnd::Unloadable;
        a.address = address;
        a.flag = true;
        return {a};
    }
    // A load that never ended (stopped, or still going) may be a page that
    // hangs: the new one must not wait in it.
    const bool unsettled = !m_settled || engineBusy;
    begin(url, address, false, engineBusy);
    NavActions out;
    if (m_stopped.isEmpty())
        out << load(url);
    else
        m_deferred = url; // a load started before the stopped one has ended can be taken down with it
    if (unsettled || !m_deferred.isEmpty())
        out << act(NavAction::Watch, m_token);
    out << act(NavAction::Partial, m_token);
    return out;
}

NavActions Navigation::reload(const QUrl &shown, bool engineBusy)
{
    if (!mayLoad(shown))
        return navigate(shown, shown.toString(), engineBusy); // says it cannot be loaded
    begin(shown, shown.toString(), false, engineBusy);
    return {act(NavAction::Reload), act(NavAction::Partial, m_token)};
}

NavActions Navigation::stop(bool engineBusy, const QUrl &requested)
{
    m_phase = Phase::Idle;
    ++m_token;
    m_deferred.clear();
    // The stopped load says it ended later, maybe once the next one has
    // begun: that is not the next one's end.
    m_stopped = engineBusy ? requested : QUrl();
    return {act(NavAction::StopEngine), act(NavAction::Watch, m_token)};
}

bool Navigation::navigationRequested(const QUrl &url, bool isMainFrame)
{
    // Documents a page makes itself may be shown in its frames and itself.
    const bool pageMade = url.scheme().compare(QLatin1String("blob"), Qt::CaseInsensitive) == 0
                          || (!isMainFrame && isAbout(url, QLatin1String("srcdoc")));
    if (!mayLoad(url) && !pageMade)
        return false;
    if (!isMainFrame)
        return true;
    if (m_phase == Phase::Waiting || m_phase == Phase::Started) {
        // Ours, a redirect of it, or the page moving on while it loads.
        m_phase = Phase::Started;
        return true;
    }
    // The load is over: the page replaces its document by itself, unless
    // it is to stay.
    if (m_keep || m_rereads > 0)
        return false;
    // Before its document was read, that carries on the navigation waiting
    // for it (a refresh as the page completes); after, it is the page's own.
    if (m_phase == Phase::Finished)
        begin(url, m_address, m_byPage, true);
    else
        begin(url, url.toString(), true, true);
    return true;
}

NavActions Navigation::loadStarted()
{
    if (m_phase == Phase::Waiting)
        m_phase = Phase::Started;
    return {};
}

NavActions Navigation::loadFinished(const LoadFinish &finish)
{
    if (finish.status == LoadFinish::Stopped && !m_stopped.isEmpty() && finish.url == m_stopped)
        return takeDeferred();
    // The engine has finished loading (merged loads end once); while it is
    // still busy, a newer load is under way and its own end follows.
    if (m_phase != Phase::Started || finish.engineBusy)
        return {};
    if (finish.errorPage)
        return end(LoadEnd::Failed, finish.error);
    m_phase = Phase::Finished;
    m_why = finish.status == LoadFinish::Failed ? LoadEnd::Failed : LoadEnd::NoDocument;
    // The engine gives 200 for files and data too.
    m_httpStatus = isHttp(finish.url) ? finish.httpStatus : 0;
    return {act(NavAction::Capture, m_token)};
}

NavActions Navigation::captureAnswered(quint64 token, const std::optional<CompletedDocument> &document,
                                       bool engineBusy)
{
    if (token != m_token || m_phase != Phase::Finished)
        return {};
    if (document && document->isErrorPage())
        return end(LoadEnd::Failed, {});
    if (document) {
        m_phase = Phase::Idle;
        NavAction a = act(NavAction::HandOver, token);
        a.document = *document;
        a.document.isTop = true;
        a.document.httpStatus = m_httpStatus;
        return {a};
    }
    // Nothing new to read, and no newer load under way whose own end would
    // read it: this load left no document (the empty one a browser starts
    // with, or one a download or a refused address left in place).
    if (!engineBusy)
        return end(m_why, {});
    return {};
}

NavActions Navigation::handOver(quint64 token, const CompletedDocument &doc)
{
    if (token != m_token)
        return {};
    m_settled = true;
    return {reportDocument(doc)};
}

NavActions Navigation::consoleMessage(QStringView message)
{
    // Only our own script knows the marker: the page's console.log cannot
    // forge a frame.
    const qsizetype n = m_marker.size();
    if (n == 0 || message.size() <= n || !message.startsWith(m_marker) || message.at(n) != QLatin1Char(':'))
        return {};
    // Frames report while their navigation waits: a frame that loads again
    // once the page is complete (ads, refreshes) never replaces the source,
    // and one before the engine took the navigation up is the page before's.
    if (m_phase != Phase::Started && m_phase != Phase::Finished)
        return {};
    const std::optional<completion::Report> r = completion::parse(message.sliced(n + 1));
    if (!r)
        return {};
    CompletedDocument doc = CompletedDocument::make(false, r->hasRoot, r->url.toString(), r->title.toString(),
                                                    r->html.toString());
    doc.framePath = r->framePath.toString();
    // A frame that failed (or was refused) shows the engine's own page.
    if (doc.isErrorPage())
        return {};
    return {reportDocument(doc)};
}

NavActions Navigation::rendererGone(bool abnormal, const QString &reason)
{
    if (!abnormal || !waiting())
        return {};
    return end(LoadEnd::Failed, LoadError{0, reason});
}

NavActions Navigation::watchdogTick(quint64 token, bool missedOnce, bool answered)
{
    // A script that never yields holds its page's process: no stop gets
    // through to it, and a later load of the same site would wait in it for
    // ever. A page that misses two questions in a row is replaced by a new
    // page, which gets a process of its own, and a load the user started
    // starts again there (once: the new one is not watched). A load started
    // over an unfinished one is watched until it ends, since the page it
    // waits for may only hang once it runs; a stop is checked once. (Twice: a
    // question to a document that a new one replaces meanwhile is never
    // answered.)
    if (token != m_token)
        return {};
    // A stopped load that has not said it ended by now may never say so.
    NavActions out = takeDeferred();
    if (answered) {
        if (waiting())
            out << act(NavAction::Watch, token);
        return out;
    }
    if (!missedOnce)
        return out << act(NavAction::Watch, token, true);
    out << act(NavAction::ReplacePage);
    m_settled = true; // nothing loads in a new page
    if (waiting()) {
        begin(m_url, m_address, false, false);
        out << load(m_url) << act(NavAction::Partial, m_token);
    }
    return out;
}

NavActions Navigation::readAgain()
{
    ++m_rereads;
    return {act(NavAction::Reread, m_token)};
}

NavActions Navigation::rereadAnswered(quint64 token, const QList<CompletedDocument> &documents)
{
    if (m_rereads > 0)
        --m_rereads;
    QList<CompletedDocument> read;
    // Empty when a navigation began meanwhile.
    if (token == m_token) {
        for (const CompletedDocument &d : documents) {
            if (!d.isErrorPage())
                read << d;
        }
    }
    return {documentsRead(read)};
}

NavActions Navigation::partialDue(quint64 token, bool asked)
{
    if (token != m_token || !waiting())
        return asked ? NavActions{documentsRead({})} : NavActions{};
    return {act(NavAction::Peek, token, asked)};
}

NavActions Navigation::peekAnswered(quint64 token, bool asked, const std::optional<CompletedDocument> &document)
{
    const bool current = token == m_token && waiting();
    // A document the parser has not given a root yet has nothing to show.
    const bool shown = current && document && document->hasRoot && !document->isErrorPage();
    CompletedDocument doc = shown ? *document : CompletedDocument();
    doc.isTop = true;
    doc.stillLoading = true;
    if (asked)
        return {documentsRead(shown ? QList<CompletedDocument>{doc} : QList<CompletedDocument>{})};
    if (!current)
        return {};
    // Nothing of this load to show yet (the page before is still in place):
    // later.
    if (!shown)
        return {act(NavAction::Partial, token)};
    return {reportDocument(doc)};
}
