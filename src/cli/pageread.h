#pragma once

#include "platform/webbrowser.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace cli {

// One page read for the command line, in a hidden browser of its own: the
// load, and with a settle time a second read that much later. Each load and
// each second read gets the timeout.
class PageRead : public QObject
{
    Q_OBJECT
public:
    // settleMs < 0: no second read. keepFrames: the frames' documents too.
    PageRead(const QString &address, int timeoutSeconds, int settleMs, bool keepFrames, QObject *parent = nullptr);
    // In the browser given, which goes back with takeBrowser().
    PageRead(std::unique_ptr<WebBrowser> browser, const QString &address, int timeoutSeconds, int settleMs,
             bool keepFrames, QObject *parent = nullptr);
    ~PageRead() override;

    void start();
    // A source was read: the page loaded, or it timed out with a document
    // as it stood.
    bool ok() const { return !m_documents.isEmpty(); }
    bool timedOut() const { return m_timedOut; }
    // Why the read failed or timed out, for a message before the address
    // ("loading failed") or alone (errorNeedsAddress() false).
    QString error() const { return m_error; }
    bool errorNeedsAddress() const { return m_errorNeedsAddress; }
    // The browser, no longer watched.
    std::unique_ptr<WebBrowser> takeBrowser();
    WebBrowser *browser() const { return m_browser.get(); }
    // When ok: frames first (if kept), the top-level document last. The
    // caller may take the sources out.
    QList<CompletedDocument> &documents() { return m_documents; }

    // The message for a source read at the timeout.
    static QString timedOutMessage() { return QStringLiteral("timed out; the source is the page as it stood"); }

Q_SIGNALS:
    // Once, after success or failure.
    void finished();

private:
    void onDocument(const CompletedDocument &doc);
    void onReadAgain(const QList<CompletedDocument> &again);
    void succeedOrFail();
    void fail(const QString &error, bool needsAddress = true);

    std::unique_ptr<WebBrowser> m_browser;
    QString m_address;
    int m_timeoutSeconds;
    int m_settleMs;
    bool m_keepFrames;
    QTimer m_timeout;
    QTimer m_settle;
    // A page that has not answered this long after its timeout is hung: it
    // has no source to give.
    static constexpr int kAsItStoodMs = 5000;
    enum class State { Loading, AsItStood, Settling, Reading, Done } m_state = State::Loading;
    bool m_timedOut = false;
    QString m_error;
    bool m_errorNeedsAddress = true;
    QList<CompletedDocument> m_documents;
};

} // namespace cli
