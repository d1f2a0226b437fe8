#include "platform/webbrowser.h"

#include "browse/docname.h"
#include "platform/completionscript.h"
#include "platform/guardedpage.h"

#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

WebBrowser::WebBrowser(QWidget *parent) : QWebEngineView(parent)
{
    // No storage name: off the record, nothing of a page reaches the disk.
    m_profile = new QWebEngineProfile(this);
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    // Downloads are never accepted: the engine drops a download request that
    // nobody accepts. (Cancelling it from the signal as well races with that
    // and can crash the engine.)

    m_page = new GuardedPage(m_profile, this);
    QWebEngineScript script;
    script.setName(QStringLiteral("markloom-completion"));
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(completion::scriptSource(m_page->nonce()));
    m_page->scripts().insert(script);
    setPage(m_page);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::NoFocus);

    connect(m_page, &GuardedPage::reportReceived, this,
            [this](const QString &message, qsizetype offset) {
                onReport(message.sliced(offset));
            });
    // A new top-level document is on its way: its frames and itself report.
    // (Load start and end signals merge back-to-back loads into one, so they
    // cannot mark where a navigation begins.)
    connect(m_page, &GuardedPage::mainFrameNavigation, this, [this](const QUrl &url) {
        m_requested = url.toString();
        m_topReported = false;
        m_acceptReports = true;
    });
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            m_stopping = false;
            break;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            if (!m_topReported)
                endWithoutDocument(LoadEnd::NoDocument);
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            if (!m_topReported)
                endWithoutDocument(LoadEnd::Failed);
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            // A download or a page that stopped itself; not a load replaced by
            // a newer one, nor one the user stopped.
            if (!m_topReported && !m_stopping && !m_page->isLoading())
                endWithoutDocument(LoadEnd::NoDocument);
            m_stopping = false;
            break;
        }
    });
}

void WebBrowser::endWithoutDocument(LoadEnd why)
{
    m_acceptReports = false;
    Q_EMIT loadEndedWithoutDocument(why, m_requested);
}

WebBrowser::~WebBrowser()
{
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

void WebBrowser::Navigate2(const QString &address)
{
    const QUrl url = urlFromUserInput(address);
    if (!url.isValid() || url.isEmpty() || !canLoad(url)) {
        // Nothing a browser could load: end like a failed load, not a hang,
        // and after the caller's handler has finished, as a real load would.
        QMetaObject::invokeMethod(
            this, [this, address] { Q_EMIT loadEndedWithoutDocument(LoadEnd::Unloadable, address); },
            Qt::QueuedConnection);
        return;
    }
    m_page->load(url);
}

bool WebBrowser::canLoad(const QUrl &url) const
{
    // Schemes the engine loads itself; any other would be handed to a desktop
    // program, which the hidden browser never does, and would end in silence.
    static const QStringList builtIn = {
        QStringLiteral("http"),  QStringLiteral("https"),       QStringLiteral("file"),
        QStringLiteral("qrc"),   QStringLiteral("about"),       QStringLiteral("data"),
        QStringLiteral("blob"),  QStringLiteral("view-source"), QStringLiteral("javascript"),
        QStringLiteral("chrome"),
    };
    const QString scheme = url.scheme().toLower();
    return builtIn.contains(scheme) || m_profile->urlSchemeHandler(scheme.toLatin1()) != nullptr;
}

void WebBrowser::GoHome()
{
    m_page->load(homeUrl());
}

void WebBrowser::Stop()
{
    m_stopping = m_page->isLoading();
    m_page->triggerAction(QWebEnginePage::Stop);
}

QString WebBrowser::LocationURL() const { return m_page->url().toString(); }

void WebBrowser::onReport(const QString &payload)
{
    if (!m_acceptReports)
        return;
    std::optional<completion::Report> r = completion::parse(payload);
    if (!r)
        return;
    CompletedDocument doc;
    doc.isTop = r->top;
    doc.hasRoot = r->hasRoot;
    doc.url = QUrl(r->url);
    doc.isErrorPage = doc.url.scheme() == QLatin1String("chrome-error");
    doc.title = std::move(r->title);
    doc.nameProp = documentDisplayName(doc.title, doc.url);
    doc.innerHTML = std::move(r->html);
    if (doc.isTop) {
        m_topReported = true;
        m_acceptReports = false;
    }
    Q_EMIT documentComplete(doc);
}
