#include "platform/webbrowser.h"

#include "browse/docname.h"
#include "browse/localfiles.h"
#include "platform/completionscript.h"
#include "platform/guardedpage.h"
#include "platform/hiddenaccessible.h"
#include "platform/profilefolders.h"

#include <QDir>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInterceptor>

#include <utility>

namespace {

// Every file a page asks for is judged by the local-file rule against the
// page it is for (the top-level document). The engine's own loads of a local
// address the user opened come as the main frame and pass.
class LocalFileGuard : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        using Info = QWebEngineUrlRequestInfo;
        if (!info.requestUrl().isLocalFile() || info.resourceType() == Info::ResourceTypeMainFrame)
            return;
        localfiles::Use use = localfiles::Use::Read;
        switch (info.resourceType()) {
        case Info::ResourceTypeSubFrame:
        case Info::ResourceTypeObject: use = localfiles::Use::Page; break;
        case Info::ResourceTypeScript: use = localfiles::Use::Script; break;
        case Info::ResourceTypeStylesheet: use = localfiles::Use::Style; break;
        case Info::ResourceTypeImage: use = localfiles::Use::Image; break;
        case Info::ResourceTypeFontResource: use = localfiles::Use::Font; break;
        case Info::ResourceTypeMedia: use = localfiles::Use::Media; break;
        default: break; // fetch, XMLHttpRequest, workers, XSLT's document() and the rest
        }
        if (!localfiles::mayLoad(info.firstPartyUrl(), info.requestUrl(), use))
            info.block(true);
    }
};

bool isAbout(const QUrl &url, QLatin1String what)
{
    return url.scheme().compare(QLatin1String("about"), Qt::CaseInsensitive) == 0 && url.path() == what;
}

} // namespace

WebBrowser::WebBrowser(QObject *owner)
{
    // The engine draws the page through Qt Quick. Drawn in software, the view
    // needs no window of the desktop's: otherwise the toolkit maps the view's
    // window onto the screen once the engine starts drawing into it, shown
    // off the screen or not. Only the hidden browser uses Qt Quick here, and
    // this must come before its first window.
    static const bool software = (QQuickWindow::setGraphicsApi(QSGRendererInterface::Software), true);
    Q_UNUSED(software);
    HiddenAccessible::install(); // before the engine makes its first window
    if (owner)
        connect(owner, &QObject::destroyed, this, [this] { delete this; });

    // No storage name: off the record. The engine still creates folders for
    // what pages store (service workers, databases), so they go to a folder
    // of our own that goes with the browser.
    // What earlier runs left behind (killed, or crashed) goes first.
    static const bool swept = (profilefolders::sweep(QDir::tempPath()), true);
    Q_UNUSED(swept);
    m_storage = std::make_unique<QTemporaryDir>(profilefolders::folderTemplate(QDir::tempPath()));
    m_profile = new QWebEngineProfile(this);
    m_profile->setPersistentStoragePath(m_storage->path());
    m_profile->setCachePath(m_storage->path());
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setUrlRequestInterceptor(new LocalFileGuard(m_profile));
    // Downloads are never accepted: the engine drops a download request that
    // nobody accepts. (Cancelling it from the signal as well races with that
    // and can crash the engine.)

    installPage();

    // The page runs as a page a user sees: visible to its own scripts, in a
    // viewport the size of the window's source pane, its frames, animations
    // and observers running. The view is shown, but never on the screen,
    // never focused, and is no window a screen reader lists.
    setAttribute(Qt::WA_DontShowOnScreen);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kViewport);
    show();
}

void WebBrowser::installPage()
{
    m_page = new GuardedPage(m_profile, this);
    ++m_pageGeneration;
    QWebEngineScript script;
    script.setName(QStringLiteral("markloom-completion"));
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(completion::scriptSource(m_page->nonce()));
    m_page->scripts().insert(script);
    m_page->setNavigationGate([this](const QUrl &url, bool isMainFrame) { return allowNavigation(url, isMainFrame); });
    setPage(m_page);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::NoFocus);

    connect(m_page, &GuardedPage::reportReceived, this,
            [this](const QString &message, qsizetype offset) { onReport(QStringView(message).sliced(offset)); });
    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebBrowser::onLoadingChanged);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                if (m_waiting && status != QWebEnginePage::NormalTerminationStatus)
                    endWithoutDocument(LoadEnd::Failed);
            });
}

void WebBrowser::checkResponsive(quint64 token, bool missedOnce)
{
    // A script that never yields holds its page's process: no stop gets
    // through to it, and a later load of the same site would wait in it for
    // ever. The page is asked a trivial question; one that misses two in a
    // row is replaced by a new page, which gets a process of its own, and a
    // load under way starts again there (once: the new one is not watched).
    // A load that was started over an unfinished one is watched until it
    // ends, since the page it waits for may only hang once it runs; a stop
    // is checked once. (Twice: a question to a document that a new one
    // replaces meanwhile is never answered.)
    auto answered = std::make_shared<bool>(false);
    m_page->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                          [answered](const QVariant &) { *answered = true; });
    QTimer::singleShot(kAnswerMs, this, [this, answered, token, missedOnce, generation = m_pageGeneration] {
        if (generation != m_pageGeneration || token != m_token)
            return;
        if (*answered) {
            if (m_waiting)
                checkResponsive(token, false);
            return;
        }
        if (!missedOnce)
            return checkResponsive(token, true);
        GuardedPage *old = m_page;
        installPage();
        delete old;
        if (m_waiting && !m_byPage) {
            const QString address = m_address;
            begin(address, false);
            m_page->load(address == homeUrl().toString() ? homeUrl() : urlFromUserInput(address));
        }
    });
}

WebBrowser::~WebBrowser()
{
    // Nothing the page still delivers while it goes belongs to a navigation.
    m_waiting = false;
    ++m_token;
    // The page must go before the profile it was created with.
    setPage(nullptr);
    delete m_page;
    m_page = nullptr;
    delete m_profile;
    m_profile = nullptr;
}

QUrl WebBrowser::homeUrl() { return QUrl(QStringLiteral("qrc:/markloom/home.html")); }

QUrl WebBrowser::urlFromUserInput(const QString &text)
{
    return QUrl::fromUserInput(text.trimmed());
}

bool WebBrowser::canLoad(const QUrl &url) const
{
    if (!url.isValid() || url.isEmpty())
        return false;
    // Engine-internal addresses (chrome:, devtools:, view-source:, other
    // about: pages and the like) are never loaded: some crash or hang the
    // engine on purpose. Any scheme the engine does not load itself would go
    // to a desktop program, which the hidden browser never starts.
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("file")
        || scheme == QLatin1String("data"))
        return true;
    if (scheme == QLatin1String("about"))
        return isAbout(url, QLatin1String("blank"));
    if (scheme == QLatin1String("qrc"))
        return url.path() == homeUrl().path();
    return m_profile->urlSchemeHandler(scheme.toLatin1()) != nullptr;
}

void WebBrowser::begin(const QString &address, bool byPage)
{
    ++m_token;
    m_waiting = true;
    m_settled = false;
    m_deferredLoad.clear();
    m_byPage = byPage;
    m_address = address;
    // A load signal still on its way when the engine was idle belongs to the
    // load before; when it is busy, its next end is this navigation's too.
    m_started = m_page->isLoading();
}

void WebBrowser::Navigate2(const QString &address)
{
    const QUrl url = urlFromUserInput(address);
    if (!canLoad(url)) {
        // Nothing a browser could load: end like a failed load, not a hang,
        // and after the caller's handler has finished, as a real load would.
        QMetaObject::invokeMethod(
            this, [this, address] { Q_EMIT loadEndedWithoutDocument(LoadEnd::Unloadable, address); },
            Qt::QueuedConnection);
        return;
    }
    // A load that never ended (stopped, or still going) may be a page that
    // hangs: the new one must not wait in it.
    const bool unsettled = !m_settled || m_page->isLoading();
    begin(address, false);
    if (m_stoppedUrl.isEmpty()) {
        m_page->load(url);
    } else {
        // A load started before the stopped one has said it ended can be
        // taken down with it: it starts once that end has come, or after a
        // while if it never comes (a page that hangs never says it).
        m_deferredLoad = url;
        QTimer::singleShot(kAnswerMs, this, [this, token = m_token] {
            if (token == m_token)
                startDeferredLoad();
        });
    }
    if (unsettled)
        checkResponsive(m_token, false);
}

void WebBrowser::GoHome()
{
    begin(homeUrl().toString(), false);
    m_page->load(homeUrl());
}

void WebBrowser::Stop()
{
    m_waiting = false;
    ++m_token;
    m_stoppedUrl = m_page->isLoading() ? m_page->requestedUrl() : QUrl();
    m_page->triggerAction(QWebEnginePage::Stop);
    checkResponsive(m_token, false);
}

void WebBrowser::startDeferredLoad()
{
    m_stoppedUrl.clear();
    if (!m_deferredLoad.isEmpty())
        m_page->load(std::exchange(m_deferredLoad, QUrl()));
}

QString WebBrowser::LocationURL() const { return m_page->url().toString(); }

void WebBrowser::Reload()
{
    const QString address = LocationURL();
    if (!canLoad(m_page->url())) {
        Navigate2(address); // says it cannot be loaded
        return;
    }
    begin(address, false);
    m_page->triggerAction(QWebEnginePage::Reload);
}

void WebBrowser::ReadAgain()
{
    const quint64 token = m_token;
    m_page->runJavaScript(completion::rereadSource(m_page->nonce()), QWebEngineScript::ApplicationWorld,
                          [this, token](const QVariant &result) {
                              QList<CompletedDocument> documents;
                              if (token == m_token) {
                                  for (const QVariant &item : result.toList()) {
                                      const QVariantList d = item.toList();
                                      if (d.size() == 5)
                                          documents << document(d.at(4).toBool(), d.at(3).toBool(), d.at(0).toString(),
                                                                d.at(1).toString(), d.at(2).toString());
                                  }
                              }
                              Q_EMIT documentsRead(documents);
                          });
}

bool WebBrowser::allowNavigation(const QUrl &url, bool isMainFrame)
{
    // Documents a page makes itself may be shown in its frames and itself.
    const bool pageMade = url.scheme().compare(QLatin1String("blob"), Qt::CaseInsensitive) == 0
                          || (!isMainFrame && isAbout(url, QLatin1String("srcdoc")));
    if (!canLoad(url) && !pageMade)
        return false;
    if (!isMainFrame)
        return true;
    if (m_waiting) {
        // Ours, a redirect of it, or the page moving on while it loads.
        m_started = true;
        return true;
    }
    if (m_keepDocument)
        return false;
    // The page replaces its document by itself.
    begin(url.toString(), true);
    m_started = true;
    return true;
}

void WebBrowser::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    // The stopped load says so later, maybe once the next one has begun: that
    // is not the next one's end.
    if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus && !m_stoppedUrl.isEmpty()
        && info.url() == m_stoppedUrl) {
        startDeferredLoad();
        return;
    }
    if (!m_waiting)
        return;
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_started = true;
        return;
    }
    // The engine has finished loading (merged loads end once); while it is
    // still busy, a newer load is under way and its own end follows.
    if (!m_started || m_page->isLoading())
        return;
    capture(info.status() == QWebEngineLoadingInfo::LoadFailedStatus ? LoadEnd::Failed : LoadEnd::NoDocument);
}

void WebBrowser::capture(LoadEnd why)
{
    // The top-level document is read in the isolated world now that the
    // engine says the load is over: a page can neither hurry, forge nor
    // prevent it. A document is read once; the empty one a browser starts
    // with, or one that a download or a refused address left in place, is
    // not read again.
    const quint64 token = m_token;
    m_page->runJavaScript(completion::captureSource(m_page->nonce()), QWebEngineScript::ApplicationWorld,
                          [this, token, why](const QVariant &result) {
                              if (token != m_token || !m_waiting)
                                  return;
                              const QVariantList d = result.toList();
                              if (d.size() == 4) {
                                  m_waiting = false;
                                  // The source is handed on once the engine's own copy of it is gone.
                                  QMetaObject::invokeMethod(
                                      this,
                                      [this, token, doc = document(true, d.at(3).toBool(), d.at(0).toString(),
                                                                   d.at(1).toString(), d.at(2).toString())] {
                                          if (token != m_token)
                                              return;
                                          m_settled = true;
                                          Q_EMIT documentComplete(doc);
                                      },
                                      Qt::QueuedConnection);
                              } else if (!m_page->isLoading()) {
                                  // Nothing new to read, and no newer load under way whose own
                                  // end would read it: this load left no document.
                                  endWithoutDocument(why);
                              }
                          });
}

void WebBrowser::endWithoutDocument(LoadEnd why)
{
    m_waiting = false;
    m_settled = true;
    if (!m_byPage)
        Q_EMIT loadEndedWithoutDocument(why, m_address);
}

CompletedDocument WebBrowser::document(bool isTop, bool hasRoot, const QString &url, const QString &title,
                                       const QString &innerHTML)
{
    CompletedDocument doc;
    doc.isTop = isTop;
    doc.hasRoot = hasRoot;
    doc.url = QUrl(url);
    doc.isErrorPage = doc.url.scheme() == QLatin1String("chrome-error");
    doc.title = title;
    completion::restoreText(doc.title);
    doc.nameProp = documentDisplayName(doc.title, doc.url);
    doc.innerHTML = innerHTML;
    completion::restoreText(doc.innerHTML);
    return doc;
}

void WebBrowser::onReport(QStringView payload)
{
    // Frames report while their navigation waits: a frame that loads again
    // once the page is complete (ads, refreshes) never replaces the source.
    // A frame that failed (or was refused) shows the engine's own error
    // page: that is no document of the page's, so it is not reported.
    const std::optional<completion::Report> r = completion::parse(payload);
    if (!r || !m_waiting || !m_started)
        return;
    CompletedDocument doc = document(false, r->hasRoot, r->url.toString(), r->title.toString(), r->html.toString());
    if (!doc.isErrorPage)
        Q_EMIT documentComplete(doc);
}
