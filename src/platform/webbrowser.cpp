#include "platform/webbrowser.h"

#include "platform/completionscript.h"
#include "platform/guardedpage.h"
#include "platform/storagewatch.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInterceptor>

#include <utility>

namespace {

// A local file shown as a frame or an object is readable by the page that
// holds it (local pages share one origin), so a page may frame only its own
// pages: HTML or SVG files in its folder or below. A downloaded page can
// then neither frame ~/.ssh nor a text file beside it.
bool isOwnLocalPage(const QUrl &page, const QUrl &frame)
{
    if (!page.isLocalFile())
        return false;
    const QString folder = QDir::cleanPath(QFileInfo(page.toLocalFile()).absolutePath());
    const QString path = QDir::cleanPath(frame.toLocalFile());
    if (!path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')))
        return false;
    static const QStringList pages = {QStringLiteral("htm"), QStringLiteral("html"), QStringLiteral("xhtml"),
                                      QStringLiteral("xht"), QStringLiteral("shtml"), QStringLiteral("svg")};
    return pages.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

// Local pages load their own scripts, styles, images and frames, but no page
// reads a local file's contents through a request of its own.
class LocalFileReadGuard : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (!info.requestUrl().isLocalFile())
            return;
        switch (info.resourceType()) {
        case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
        case QWebEngineUrlRequestInfo::ResourceTypeObject:
            if (!isOwnLocalPage(info.firstPartyUrl(), info.requestUrl()))
                info.block(true);
            break;
        case QWebEngineUrlRequestInfo::ResourceTypeXhr: // XMLHttpRequest, fetch, EventSource
        case QWebEngineUrlRequestInfo::ResourceTypePing:
        case QWebEngineUrlRequestInfo::ResourceTypePrefetch:
        case QWebEngineUrlRequestInfo::ResourceTypeCspReport:
        case QWebEngineUrlRequestInfo::ResourceTypePluginResource:
        case QWebEngineUrlRequestInfo::ResourceTypeNavigationPreloadMainFrame:
        case QWebEngineUrlRequestInfo::ResourceTypeNavigationPreloadSubFrame:
        case QWebEngineUrlRequestInfo::ResourceTypeUnknown:
            info.block(true);
            break;
        default:
            break;
        }
    }
};

// The top-level document as the page's script world hands it over.
std::optional<CompletedDocument> topDocument(const QVariant &result)
{
    const QVariantList d = result.toList();
    if (d.size() != 4)
        return std::nullopt;
    return CompletedDocument::make(true, d.at(3).toBool(), d.at(0).toString(), d.at(1).toString(), d.at(2).toString());
}

} // namespace

WebBrowser::WebBrowser(QObject *owner)
{
    if (owner)
        connect(owner, &QObject::destroyed, this, [this] { delete this; });

    // No storage name: off the record. The engine still creates folders for
    // what pages store (service workers, databases), so they go to a folder
    // of our own that goes with the browser.
    m_storage = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/markloom-browser-XXXXXX"));
    m_profile = new QWebEngineProfile(this);
    m_profile->setPersistentStoragePath(m_storage->path());
    m_profile->setCachePath(m_storage->path());
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setUrlRequestInterceptor(new LocalFileReadGuard(m_profile));
    // Downloads are never accepted: the engine drops a download request that
    // nobody accepts. (Cancelling it from the signal as well races with that
    // and can crash the engine.)

    installPage();
    m_partial.setSingleShot(true);
    connect(&m_partial, &QTimer::timeout, this, [this] { perform(m_nav.partialDue(m_partialToken, false)); });
}

void WebBrowser::installPage()
{
    m_page = new GuardedPage(m_profile, this);
    m_nav.setMarker(m_page->nonce());
    QWebEngineScript script;
    script.setName(QStringLiteral("markloom-completion"));
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(completion::scriptSource(m_page->nonce()));
    m_page->scripts().insert(script);
    m_page->setNavigationGate([this](const QUrl &url, bool isMainFrame) {
        const bool allowed = m_nav.navigationRequested(url, isMainFrame);
        if (allowed && isMainFrame && m_storageWatch)
            m_storageWatch->pageAddress(url);
        return allowed;
    });
    setPage(m_page);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::NoFocus);

    connect(m_page, &GuardedPage::consoleMessage, this,
            [this](const QString &message) { perform(m_nav.consoleMessage(message)); });
    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebBrowser::onLoadingChanged);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                perform(m_nav.rendererGone(status != QWebEnginePage::NormalTerminationStatus,
                                           QStringLiteral("the page's process ended (%1)").arg(code)));
            });
}

WebBrowser::~WebBrowser()
{
    // Nothing the page still delivers while it goes (its pending answers come
    // back empty) belongs to a navigation.
    GuardedPage *page = std::exchange(m_page, nullptr);
    // The page must go before the profile it was created with.
    setPage(nullptr);
    delete page;
    delete m_profile;
    m_profile = nullptr;
}

QUrl WebBrowser::homeUrl() { return Navigation::homeUrl(); }

QUrl WebBrowser::urlFromUserInput(const QString &text)
{
    return QUrl::fromUserInput(text.trimmed());
}

void WebBrowser::Navigate2(const QString &address)
{
    perform(m_nav.navigate(urlFromUserInput(address), address, m_page->isLoading()));
}

void WebBrowser::watchStorage()
{
    m_storageWatch = std::make_shared<StorageWatch>();
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_profile->cookieStore()->setCookieFilter(
        [watch = m_storageWatch](const QWebEngineCookieStore::FilterRequest &request) {
            watch->access(request.firstPartyUrl, request.origin);
            return true;
        });
    connect(m_profile->cookieStore(), &QWebEngineCookieStore::cookieAdded, this,
            [this] { m_storageWatch->cookieAdded(); });
}

bool WebBrowser::storedNothing() const { return m_storageWatch && m_storageWatch->storedNothing(); }

void WebBrowser::nextPage()
{
    if (m_storageWatch)
        m_storageWatch->nextPage();
    m_nav.setKeepDocument(false);
    m_page->history()->clear();
}

void WebBrowser::GoHome() { perform(m_nav.navigate(homeUrl(), homeUrl().toString(), m_page->isLoading())); }

void WebBrowser::Stop() { perform(m_nav.stop(m_page->isLoading(), m_page->requestedUrl())); }

void WebBrowser::Reload() { perform(m_nav.reload(m_page->url(), m_page->isLoading())); }

void WebBrowser::ReadAgain() { perform(m_nav.readAgain()); }

void WebBrowser::ReadAsItStands() { perform(m_nav.partialDue(m_nav.token(), true)); }

QString WebBrowser::LocationURL() const { return m_page->url().toString(); }

void WebBrowser::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
        return perform(m_nav.loadStarted());
    LoadFinish f;
    f.status = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus ? LoadFinish::Succeeded
               : info.status() == QWebEngineLoadingInfo::LoadFailedStatus  ? LoadFinish::Failed
                                                                           : LoadFinish::Stopped;
    f.url = info.url();
    f.errorPage = info.isErrorPage();
    // The response's status comes as an error code of its own domain, even
    // for success.
    if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        f.httpStatus = info.errorCode();
    else if (info.errorDomain() != QWebEngineLoadingInfo::NoErrorDomain)
        f.error = LoadError{info.errorCode(), info.errorString()};
    f.engineBusy = m_page->isLoading();
    perform(m_nav.loadFinished(f));
}

void WebBrowser::watch(quint64 token, bool missedOnce)
{
    auto answered = std::make_shared<bool>(false);
    m_page->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                          [answered](const QVariant &) { *answered = true; });
    QTimer::singleShot(kAnswerMs, this, [this, answered, token, missedOnce] {
        if (m_page)
            perform(m_nav.watchdogTick(token, missedOnce, *answered));
    });
}

void WebBrowser::perform(const NavActions &actions)
{
    for (const NavAction &a : actions) {
        if (!m_page) // going: nothing is done any more
            return;
        const quint64 token = a.token;
        switch (a.kind) {
        case NavAction::Load:
            m_page->load(a.url);
            break;
        case NavAction::Reload:
            m_page->triggerAction(QWebEnginePage::Reload);
            break;
        case NavAction::StopEngine:
            m_page->triggerAction(QWebEnginePage::Stop);
            break;
        case NavAction::Capture:
            // Read in the isolated world now that the engine says the load is
            // over: a page can neither hurry, forge nor prevent it.
            m_page->runJavaScript(completion::captureSource(m_page->nonce()), QWebEngineScript::ApplicationWorld,
                                  [this, token](const QVariant &result) {
                                      if (m_page)
                                          perform(m_nav.captureAnswered(token, topDocument(result),
                                                                        m_page->isLoading()));
                                  });
            break;
        case NavAction::Peek:
            m_page->runJavaScript(completion::peekSource(m_page->nonce()), QWebEngineScript::ApplicationWorld,
                                  [this, token, asked = a.flag](const QVariant &result) {
                                      if (m_page)
                                          perform(m_nav.peekAnswered(token, asked, topDocument(result)));
                                  });
            break;
        case NavAction::Reread:
            m_page->runJavaScript(completion::rereadSource(m_page->nonce()), QWebEngineScript::ApplicationWorld,
                                  [this, token](const QVariant &result) {
                                      QList<CompletedDocument> documents;
                                      for (const QVariant &item : result.toList()) {
                                          const QVariantList d = item.toList();
                                          if (d.size() == 5)
                                              documents << CompletedDocument::make(
                                                  d.at(4).toBool(), d.at(3).toBool(), d.at(0).toString(),
                                                  d.at(1).toString(), d.at(2).toString());
                                      }
                                      if (m_page)
                                          perform(m_nav.rereadAnswered(token, documents));
                                  });
            break;
        case NavAction::HandOver:
            // The source is handed on once the engine's own copy of it is gone.
            QMetaObject::invokeMethod(
                this, [this, token, doc = a.document] { perform(m_nav.handOver(token, doc)); },
                Qt::QueuedConnection);
            break;
        case NavAction::Document:
            Q_EMIT documentComplete(a.document);
            break;
        case NavAction::DocumentsRead:
            Q_EMIT documentsRead(a.documents);
            break;
        case NavAction::Ended:
            if (a.flag)
                QMetaObject::invokeMethod(
                    this, [this, a] { Q_EMIT loadEndedWithoutDocument(a.why, a.address, a.error); },
                    Qt::QueuedConnection);
            else
                Q_EMIT loadEndedWithoutDocument(a.why, a.address, a.error);
            break;
        case NavAction::ReplacePage: {
            GuardedPage *old = m_page;
            installPage();
            delete old;
            break;
        }
        case NavAction::Watch:
            watch(token, a.flag);
            break;
        case NavAction::Partial:
            if (m_partialDelay >= 0) {
                m_partialToken = token;
                m_partial.start(m_partialDelay);
            }
            break;
        }
    }
}
