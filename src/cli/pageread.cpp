#include "cli/pageread.h"

#include "browse/localfiles.h"

namespace cli {

PageRead::PageRead(const QString &address, int timeoutSeconds, int settleMs, bool keepFrames, QObject *parent)
    : PageRead(std::make_unique<WebBrowser>(), address, timeoutSeconds, settleMs, keepFrames, parent)
{
}

PageRead::PageRead(std::unique_ptr<WebBrowser> browser, const QString &address, int timeoutSeconds, int settleMs,
                   bool keepFrames, QObject *parent)
    : QObject(parent), m_browser(std::move(browser)), m_address(address), m_timeoutSeconds(timeoutSeconds),
      m_settleMs(settleMs), m_keepFrames(keepFrames)
{
    m_timeout.setSingleShot(true);
    m_settle.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        if (m_state != State::Loading)
            return fail(QStringLiteral("timed out after %1 s").arg(m_timeoutSeconds));
        // A page that never finishes still has a source: the one as it stands.
        m_state = State::AsItStood;
        m_timeout.start(kAsItStoodMs);
        m_browser->ReadAsItStands();
    });
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_state = State::Reading;
        m_timeout.start(m_timeoutSeconds * 1000);
        m_browser->ReadAgain();
    });
    connect(m_browser.get(), &WebBrowser::documentComplete, this, &PageRead::onDocument);
    connect(m_browser.get(), &WebBrowser::documentsRead, this, &PageRead::onReadAgain);
    connect(m_browser.get(), &WebBrowser::loadEndedWithoutDocument, this,
            [this](LoadEnd why, const QString &, const LoadError &error) {
        switch (why) {
        case LoadEnd::Unloadable: fail(QStringLiteral("cannot load this address")); break;
        case LoadEnd::Failed:
            fail(error.text.isEmpty() ? QStringLiteral("loading failed")
                                      : QStringLiteral("loading failed (%1)").arg(error.text));
            break;
        case LoadEnd::NoDocument: fail(QStringLiteral("no page to show (a download?)")); break;
        }
    });
}

PageRead::~PageRead() = default;

std::unique_ptr<WebBrowser> PageRead::takeBrowser()
{
    m_browser->disconnect(this);
    return std::move(m_browser);
}

void PageRead::start()
{
    // A folder would come back as the engine's listing of it: no page. (Said
    // once the caller waits, as a load's end would be.)
    if (localfiles::namesFolder(WebBrowser::urlFromUserInput(m_address))) {
        QMetaObject::invokeMethod(this, [this] { fail(QStringLiteral("not a page")); }, Qt::QueuedConnection);
        return;
    }
    // Once loaded, the page may change its document but not replace it.
    m_browser->setKeepDocument(m_settleMs >= 0);
    m_timeout.start(m_timeoutSeconds * 1000);
    m_browser->Navigate2(m_address);
}

void PageRead::onDocument(const CompletedDocument &doc)
{
    // A load that completes as its timeout passes has completed.
    if (m_state != State::Loading && m_state != State::AsItStood)
        return;
    if (doc.stillLoading)
        return;
    if (!doc.isTop) {
        if (m_keepFrames)
            m_documents << doc;
        return;
    }
    m_documents << doc;
    if (m_settleMs < 0)
        return succeedOrFail();
    // The same document, later.
    m_timeout.stop();
    m_state = State::Settling;
    m_settle.start(m_settleMs);
}

void PageRead::onReadAgain(const QList<CompletedDocument> &again)
{
    if (m_state == State::AsItStood) {
        if (again.isEmpty() || !again.first().hasRoot)
            return fail(QStringLiteral("timed out after %1 s").arg(m_timeoutSeconds));
        m_documents << again.first();
        m_timedOut = true;
        m_error = timedOutMessage();
        m_errorNeedsAddress = false;
        m_state = State::Done;
        m_timeout.stop();
        Q_EMIT finished();
        return;
    }
    if (m_state != State::Reading)
        return;
    // The top first, then the frames the page could reach. Each replaces
    // the first load-time document of its address not yet replaced; a frame
    // the page made later joins the others; the rest stay as loaded.
    if (!again.isEmpty() && again.first().isTop) {
        const qsizetype loaded = m_documents.size() - 1;
        QList<bool> replaced(loaded, false);
        m_documents.last() = again.first();
        QList<CompletedDocument> added;
        for (qsizetype i = 1; m_keepFrames && i < again.size(); ++i) {
            qsizetype j = 0;
            while (j < loaded && (replaced.at(j) || m_documents.at(j).url != again.at(i).url))
                ++j;
            if (j < loaded) {
                m_documents[j] = again.at(i);
                replaced[j] = true;
            } else {
                added << again.at(i);
            }
        }
        for (qsizetype i = 0; i < added.size(); ++i)
            m_documents.insert(loaded + i, added.at(i));
    }
    succeedOrFail();
}

void PageRead::succeedOrFail()
{
    if (!m_documents.last().hasRoot)
        return fail(QStringLiteral("the document has no root element"), false);
    m_state = State::Done;
    m_timeout.stop();
    Q_EMIT finished();
}

void PageRead::fail(const QString &error, bool needsAddress)
{
    if (m_state == State::Done)
        return;
    m_state = State::Done;
    m_timeout.stop();
    m_settle.stop();
    m_error = error;
    m_errorNeedsAddress = needsAddress;
    m_documents.clear();
    Q_EMIT finished();
}

} // namespace cli
