#pragma once

#include <QSize>
#include <QString>
#include <QUrl>
#include <QWebEngineView>

#include <memory>

class QTemporaryDir;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class GuardedPage;

// One document that finished loading: the top-level page or one of its frames.
struct CompletedDocument {
    bool isTop = false;   // the top-level document (reported after its frames)
    bool hasRoot = false; // a root element exists; html is empty otherwise
    bool isErrorPage = false; // the engine's own page for a failed load
    QUrl url;             // the document's own address
    QString title;
    QString nameProp;     // display name (title, else path segment, host, address)
    QString innerHTML;    // markup inside the root element
};

Q_DECLARE_METATYPE(CompletedDocument)

// Why a top-level load ended without a document to show.
enum class LoadEnd {
    Unloadable, // the address is nothing the browser can load
    Failed,     // the load failed and no error page came
    NoDocument, // the load ended without a page (a download, stopped by the page)
};

// The hidden browser. A page runs in a window nobody sees, so it gets no
// dialogs, popups, permissions, downloads or disk: an off-the-record profile
// of its own and a page that refuses everything interactive. The view is
// shown off the screen, so the page is laid out and runs as a shown one.
class WebBrowser : public QWebEngineView
{
    Q_OBJECT
public:
    // owner, when given, deletes the browser; the browser is never a child
    // widget of it.
    explicit WebBrowser(QObject *owner = nullptr);
    ~WebBrowser() override;

    // Loads an address as typed: the text is turned into a URL the way an
    // address bar does. Returns at once.
    void Navigate2(const QString &address);
    // The built-in home page.
    void GoHome();
    // Cancels the load in progress.
    void Stop();
    // Loads the page shown again.
    void Reload();
    // Reads the page shown again as it stands now, without loading it; the
    // answer comes as documentsRead.
    void ReadAgain();
    // Address of the top-level page now shown.
    QString LocationURL() const;

    // While on, a top-level navigation the page starts by itself (script,
    // refresh, link, form, a redirect after the page completed) is refused
    // before it starts: the document and its source stay and nothing is
    // reported. Navigations started here, and whatever happens while they
    // load, go through; frames are not affected.
    void setKeepDocument(bool keep) { m_keepDocument = keep; }
    bool keepDocument() const { return m_keepDocument; }

    QWebEngineProfile *browserProfile() const { return m_profile; }

    // The page's viewport in CSS pixels: the source pane's size in the window.
    static constexpr QSize kViewport{1280, 800};

    static QUrl homeUrl();
    // Address-bar conversion of typed text (surrounding blanks and line
    // breaks dropped, scheme added where missing).
    static QUrl urlFromUserInput(const QString &text);
    // What may be loaded as a top-level address: http, https, file, data,
    // about:blank, the home page and schemes with a handler on this profile.
    bool canLoad(const QUrl &url) const;

Q_SIGNALS:
    // Raised once for every document that finishes loading, frames first.
    void documentComplete(const CompletedDocument &document);
    // A top-level load started here ended and no top-level document was
    // reported for it. Not raised for a load cancelled by Stop().
    void loadEndedWithoutDocument(LoadEnd why, const QString &address);
    // The answer to ReadAgain: the top-level document first, then each frame
    // it could reach (same origin); empty when a navigation began meanwhile
    // or nothing is shown.
    void documentsRead(const QList<CompletedDocument> &documents);

private:
    // How long a page has to answer before it counts as hung.
    static constexpr int kAnswerMs = 1500;
    void installPage();
    void checkResponsive(quint64 token, bool missedOnce);
    void startDeferredLoad();
    void begin(const QString &address, bool byPage);
    bool allowNavigation(const QUrl &url, bool isMainFrame);
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void capture(LoadEnd why);
    void onReport(QStringView payload);
    void endWithoutDocument(LoadEnd why);
    static CompletedDocument document(bool isTop, bool hasRoot, const QString &url, const QString &title,
                                      const QString &innerHTML);

    std::unique_ptr<QTemporaryDir> m_storage;
    QWebEngineProfile *m_profile = nullptr;
    GuardedPage *m_page = nullptr;
    quint64 m_pageGeneration = 0; // a new page after a hung one
    bool m_keepDocument = false;

    // The top-level navigation waiting for its document: started here or,
    // when none is waiting, by the page. A newer one replaces it; the token
    // tells its capture from an earlier one's.
    quint64 m_token = 0;
    bool m_waiting = false;
    // The engine has taken it up: a load signal before that belongs to an
    // earlier load.
    bool m_started = false;
    bool m_byPage = false; // ends without a message when no document comes
    bool m_settled = true;  // the last load ended with a document or a reason
    QUrl m_stoppedUrl;      // a load Stop() ended, whose own end is still to come
    QUrl m_deferredLoad;    // a load waiting for that end
    QString m_address;
};
