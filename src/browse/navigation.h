#pragma once

#include "browse/completeddocument.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <functional>
#include <optional>

// What the hidden browser does next, as the navigation bookkeeping decides it.
struct NavAction {
    enum Kind {
        Load,          // load url in the page
        Reload,        // load the page shown again
        StopEngine,    // stop the engine's load
        Capture,       // read the top-level document once (token)
        Peek,          // read it as it stands while it loads (token; asked: for ReadAsItStands)
        Reread,        // read the page and its reachable frames again (token)
        HandOver,      // pass document back through handOver once the engine's copy is gone (token)
        Document,      // report document
        DocumentsRead, // report documents (the answer to a read again or a read as it stands)
        Ended,         // report the end of a load without a document (why, address, error)
        ReplacePage,   // put a new page (new process, new marker) in place of the old one
        Watch,         // ask the page a trivial question; answer with watchdogTick (token, missedOnce)
        Partial,       // after the partial delay, call partialDue (token)
    };
    explicit NavAction(Kind k) : kind(k) {}
    Kind kind;
    quint64 token = 0;
    bool flag = false; // Watch: missed once already; Peek: asked; Ended: report after the caller returns
    QUrl url;
    LoadEnd why = LoadEnd::Failed;
    QString address;
    LoadError error;
    CompletedDocument document;
    QList<CompletedDocument> documents;
};
using NavActions = QList<NavAction>;

// How one load of the engine ended, as its load signal says.
struct LoadFinish {
    enum Status { Succeeded, Failed, Stopped } status = Succeeded;
    QUrl url;
    bool errorPage = false; // the engine put its own page in place of the document
    LoadError error;
    int httpStatus = 0;     // the response's status code, when the engine gives one
    bool engineBusy = false; // the engine is loading again (a newer load is under way)
};

// The hidden browser's navigation bookkeeping, without the engine: events
// go in, what to do comes out. Each top-level navigation has a token; any
// answer or signal carrying an older token, or arriving in the wrong phase,
// belongs to an earlier navigation and is ignored.
//
// Rules, each kept in one place here:
// - Only http, https, file, data, about:blank, the home page and schemes the
//   profile serves may load (mayLoad), from every entry point.
// - A navigation waits for its document from the moment it begins; the
//   engine's load signals count only once it has taken the navigation up
//   (started), and only when the engine is idle afterwards (merged loads end
//   once).
// - The top-level document is read once the load is over; the engine's own
//   error page is never read: that load failed with the engine's reason.
// - A page's own top-level navigation while its load goes on is part of it;
//   once the load is over it is a navigation of its own, refused while the
//   document is kept or read again.
// - Frames report through the console with the page's marker, only while
//   their navigation waits and the engine has taken it up.
// - A load started right after Stop waits for the stopped load's own end
//   (or the watchdog's next tick).
// - A page that misses two watchdog questions in a row is replaced; a load
//   the user started is started again there.
class Navigation
{
public:
    // servedScheme: whether the browser's profile serves a scheme of its own.
    explicit Navigation(std::function<bool(const QString &scheme)> servedScheme = {});

    static QUrl homeUrl();
    // Whether an address may be loaded at all: the one place that decides.
    bool mayLoad(const QUrl &url) const;

    // While on, the page's own top-level navigations once its load is over
    // (script, refresh, link, form) are refused before they start.
    void setKeepDocument(bool keep) { m_keep = keep; }
    bool keepDocument() const { return m_keep; }
    // The marker the page's own reports carry; a new one with every page.
    void setMarker(const QString &marker) { m_marker = marker; }

    // The user asks for an address (address: as typed, for messages).
    NavActions navigate(const QUrl &url, const QString &address, bool engineBusy);
    NavActions reload(const QUrl &shown, bool engineBusy);
    // requested: the address the engine is loading, when busy.
    NavActions stop(bool engineBusy, const QUrl &requested);
    // The engine asks whether a navigation may go on.
    bool navigationRequested(const QUrl &url, bool isMainFrame);
    NavActions loadStarted();
    NavActions loadFinished(const LoadFinish &finish);
    NavActions captureAnswered(quint64 token, const std::optional<CompletedDocument> &document, bool engineBusy);
    NavActions handOver(quint64 token, const CompletedDocument &document);
    // A console message of the page; a frame's report when it carries the marker.
    NavActions consoleMessage(QStringView message);
    NavActions rendererGone(bool abnormal, const QString &reason);
    NavActions watchdogTick(quint64 token, bool missedOnce, bool answered);
    NavActions readAgain();
    NavActions rereadAnswered(quint64 token, const QList<CompletedDocument> &documents);
    // Time to show the page as it stands (asked: by ReadAsItStands, answered
    // either way; else by the partial delay, only while the load goes on).
    NavActions partialDue(quint64 token, bool asked);
    NavActions peekAnswered(quint64 token, bool asked, const std::optional<CompletedDocument> &document);

    quint64 token() const { return m_token; }
    bool waiting() const { return m_phase != Phase::Idle; }

private:
    enum class Phase { Idle, Waiting, Started, Finished };
    void begin(const QUrl &url, const QString &address, bool byPage, bool engineBusy);
    NavActions end(LoadEnd why, const LoadError &error);
    NavActions takeDeferred();

    std::function<bool(const QString &)> m_servedScheme;
    QString m_marker;
    bool m_keep = false;
    int m_rereads = 0;    // reads again under way
    quint64 m_token = 0;  // of the navigation waiting for its document, or the last one
    Phase m_phase = Phase::Idle;
    bool m_byPage = false;   // ends without a message when no document comes
    bool m_settled = true;   // the last load ended with a document or a reason
    QUrl m_url;              // what the navigation loads
    QString m_address;
    LoadEnd m_why = LoadEnd::NoDocument; // should the capture find nothing
    int m_httpStatus = 0;
    QUrl m_stopped;  // a load Stop ended, whose own end is still to come
    QUrl m_deferred; // a load waiting for that end
};
