#include "platform/webbrowser.h"

#include "browse/localfiles.h"
#include "platform/completionscript.h"
#include "platform/guardedpage.h"
#include "platform/hiddenaccessible.h"
#include "platform/profilefolders.h"
#include "platform/storagewatch.h"

#include <QDir>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUuid>
#include <QWebEngineCookieStore>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInterceptor>

#include <utility>

// Every file a page asks for is judged by the local-file rule against the
// page it is for (the top-level document). The engine's own loads of a local
// address the user opened come as the main frame and pass. Where the storage
// is watched, a request for a worker's script tells it a worker may run: the
// cookie filter cannot tell one at a page's own address from the page.
class LocalFileGuard : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    // Given before the first request; requests are judged on this thread too.
    void watchWorkers(std::shared_ptr<StorageWatch> storageWatch) { m_storageWatch = std::move(storageWatch); }
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        using Info = QWebEngineUrlRequestInfo;
        const auto type = info.resourceType();
        if (m_storageWatch
            && (type == Info::ResourceTypeWorker || type == Info::ResourceTypeSharedWorker
                || type == Info::ResourceTypeServiceWorker))
            m_storageWatch->beyondReach();
        if (!info.requestUrl().isLocalFile() || type == Info::ResourceTypeMainFrame)
            return;
        localfiles::Use use = localfiles::Use::Read;
        switch (type) {
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

private:
    std::shared_ptr<StorageWatch> m_storageWatch;
};

namespace {

// A document as the page's script world hands it over: [address, title,
// markup, has a root] and, in a read again, whether it is the top.
CompletedDocument documentFrom(const QVariantList &d, bool isTop)
{
    return CompletedDocument::make(isTop, d.at(3).toBool(), d.at(0).toString(), d.at(1).toString(), d.at(2).toString());
}

std::optional<CompletedDocument> topDocument(const QVariant &result)
{
    const QVariantList d = result.toList();
    if (d.size() != 4)
        return std::nullopt;
    return documentFrom(d, true);
}

// Looks at everything its origin can store, as a page of it would see it, and
// answers done(true) when there is nothing at all. What it cannot list (file
// systems) shows in the origin's usage. A site that is not a secure context
// has no caches, and its usage comes from the older interface. Where it cannot
// tell (an error), it is not empty. Every question is asked before it returns,
// so none of them waits behind what the document's own scripts ask next.
constexpr char16_t kStorageLook[] = uR"((function (cookies, done) {
  try {
    if (localStorage.length || sessionStorage.length || (cookies && document.cookie))
      return done(false);
    var usage = isSecureContext ? navigator.storage.estimate().then(function (e) { return e.usage; }) : new Promise(
        function (ok, fail) { navigator.webkitTemporaryStorage.queryUsageAndQuota(ok, fail); });
    Promise.all([usage, indexedDB.databases(), isSecureContext ? caches.keys() : []]).then(function (r) {
      done(r[0] === 0 && r[1].length === 0 && r[2].length === 0);
    }, function () { done(false); });
  } catch (e) { done(false); }
}))";

// The look's own document, which answers in its title.
QString lookDocument(const QString &token)
{
    return QStringLiteral("<!DOCTYPE html><title></title><script>%1(false, function (empty) {\n"
                          "  document.title = (empty ? 'empty ' : 'stored ') + '%2'; });</script>")
        .arg(QString::fromUtf16(kStorageLook), token);
}

// The look as a page's document is made, before the page's own scripts: what
// they could read at once (cookies too) must be empty, and the rest is asked
// first. It answers on the console, with its token and the document's origin.
QString arrivalLook(const QString &token)
{
    return QStringLiteral("%1(true, function (empty) {\n"
                          "  console.log('%2 ' + (empty ? 'empty ' : 'stored ') + location.origin); });")
        .arg(QString::fromUtf16(kStorageLook), token);
}

// A script of the program's own, run in its own world as each document is
// made, before the document's scripts.
QWebEngineScript programScript(const QString &name, const QString &source, bool subFrames)
{
    QWebEngineScript script;
    script.setName(name);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(subFrames);
    script.setSourceCode(source);
    return script;
}

// What the engine keeps in files even off the record (old databases) shows
// as more than the empty folders it makes up front.
bool holdsNothing(const QString &folder)
{
    constexpr auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    const QFileInfoList entries = QDir(folder).entryInfoList(all);
    return std::all_of(entries.begin(), entries.end(), [&](const QFileInfo &entry) {
        return entry.isDir() && !entry.isSymLink() && QDir(entry.filePath()).isEmpty(all);
    });
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
    m_requestGuard = new LocalFileGuard(m_profile);
    m_profile->setUrlRequestInterceptor(m_requestGuard);
    // Downloads are never accepted: the engine drops a download request that
    // nobody accepts. (Cancelling it from the signal as well races with that
    // and can crash the engine.)

    installPage();
    m_partial.setSingleShot(true);
    connect(&m_partial, &QTimer::timeout, this, [this] { perform(m_nav.partialDue(m_partialToken, false)); });

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
    m_nav.setMarker(m_page->nonce());
    m_page->scripts().insert(
        programScript(QStringLiteral("markloom-completion"), completion::scriptSource(m_page->nonce()), true));
    m_page->setNavigationGate([this](const QUrl &url, bool isMainFrame) {
        if (isMainFrame && !m_arrivalOrigin.isEmpty())
            ++m_arrivalNavigations;
        // While the storage is looked at, the look's own document alone.
        if (!m_checking.isEmpty())
            return isMainFrame && url.scheme() == QLatin1String("data");
        const bool allowed = m_nav.navigationRequested(url, isMainFrame);
        if (allowed && m_storageWatch)
            m_storageWatch->pageAddress(url, isMainFrame);
        return allowed;
    });
    setPage(m_page);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::NoFocus);

    connect(m_page, &GuardedPage::consoleMessage, this, [this](const QString &message) {
        if (!m_arrivalOrigin.isEmpty() && message.startsWith(m_arrivalToken + u' ')) {
            const QStringList said = message.split(u' ');
            return arrivalAnswered(said.value(1) == QLatin1String("empty"), QUrl(said.value(2)));
        }
        if (m_checking.isEmpty())
            perform(m_nav.consoleMessage(message));
    });
    // The page being left may still set titles: the look's own carry a token.
    connect(m_page, &QWebEnginePage::titleChanged, this, [this](const QString &title) {
        if (!m_checking.isEmpty() && title.endsWith(u' ' + m_lookToken))
            storageLooked(title.startsWith(QLatin1String("empty ")));
    });
    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebBrowser::onLoadingChanged);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                if (!m_checking.isEmpty())
                    return storageLooked(false);
                perform(m_nav.rendererGone(status != QWebEnginePage::NormalTerminationStatus,
                                           QStringLiteral("the page's process ended (%1)").arg(code)));
            });
}

WebBrowser::~WebBrowser()
{
    // Shown to the last (a window's, or --dump's): hidden first, and a
    // moment for a frame already on its way. (A batch hides its browsers
    // and lets them go later, without holding up the other jobs.)
    if (isVisible()) {
        hide();
        QThread::msleep(kRetireMs);
    }
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
    m_requestGuard->watchWorkers(m_storageWatch);
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_profile->cookieStore()->setCookieFilter(
        [watch = m_storageWatch](const QWebEngineCookieStore::FilterRequest &request) {
            watch->access(request.firstPartyUrl, request.origin);
            return true;
        });
    connect(m_profile->cookieStore(), &QWebEngineCookieStore::cookieAdded, this,
            [this] { m_storageWatch->beyondReach(); });
}

void WebBrowser::checkStorage()
{
    const QUrl origin = m_storageWatch ? m_storageWatch->lookAt() : QUrl();
    if (origin.isEmpty() || !m_checking.isEmpty()) {
        const bool nothing = m_storageWatch && m_storageWatch->leftNothing() && m_checking.isEmpty();
        QMetaObject::invokeMethod(this, [this, nothing] { Q_EMIT storageChecked(nothing); }, Qt::QueuedConnection);
        return;
    }
    m_checking = origin;
    m_lookToken = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // A document of the origin itself, made here: nothing is loaded from it.
    m_page->setHtml(lookDocument(m_lookToken), origin);
}

void WebBrowser::storageLooked(bool empty)
{
    const QUrl origin = std::exchange(m_checking, QUrl());
    if (empty && holdsNothing(m_storage->path()))
        m_storageWatch->foundEmpty(origin);
    Q_EMIT storageChecked(m_storageWatch->leftNothing());
}

QUrl WebBrowser::lookDue() const
{
    return m_storageWatch && m_checking.isEmpty() ? m_storageWatch->lookAt() : QUrl();
}

bool WebBrowser::lookOnArrival(const QString &nextAddress)
{
    const QUrl origin = lookDue();
    if (origin.isEmpty() || m_page->isLoading() || StorageWatch::originOf(urlFromUserInput(nextAddress)) != origin)
        return false;
    m_arrivalOrigin = origin;
    m_arrivalNavigations = 0;
    m_arrivalVerdict.reset();
    m_arrivalToken = QUuid::createUuid().toString(QUuid::WithoutBraces);
    setArrivalScript(arrivalLook(m_arrivalToken));
    return true;
}

void WebBrowser::arrivalAnswered(bool empty, const QUrl &origin)
{
    // The first document's answer alone counts: the documents after it ask
    // no more.
    setArrivalScript({});
    // A worker the page before started late may only now have been asked for.
    const bool nothing = empty && m_arrivalNavigations == 1 && StorageWatch::originOf(origin) == m_arrivalOrigin
                         && !m_storageWatch->beyondLook() && holdsNothing(m_storage->path());
    m_arrivalOrigin.clear();
    m_arrivalVerdict = nothing;
    Q_EMIT arrivalChecked(nothing);
}

void WebBrowser::setArrivalScript(const QString &source)
{
    static const QString name = QStringLiteral("markloom-arrival");
    for (const QWebEngineScript &old : m_page->scripts().find(name))
        m_page->scripts().remove(old);
    if (source.isEmpty())
        return;
    m_page->scripts().insert(programScript(name, source, false));
}

void WebBrowser::nextPage()
{
    if (!m_arrivalOrigin.isEmpty()) {
        m_arrivalOrigin.clear();
        setArrivalScript({});
    }
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
    // The look at the storage is not a navigation; it answers in its title.
    if (!m_checking.isEmpty()) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus
            && info.status() != QWebEngineLoadingInfo::LoadSucceededStatus)
            storageLooked(false);
        return;
    }
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
                                              documents << documentFrom(d, d.at(4).toBool());
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
