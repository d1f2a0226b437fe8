#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineView>

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
// of its own and a page that refuses everything interactive.
class WebBrowser : public QWebEngineView
{
    Q_OBJECT
public:
    explicit WebBrowser(QWidget *parent = nullptr);
    ~WebBrowser() override;

    // Loads an address as typed: the text is turned into a URL the way an
    // address bar does. Returns at once.
    void Navigate2(const QString &address);
    // The built-in home page.
    void GoHome();
    // Cancels the load in progress.
    void Stop();
    // Address of the top-level page now shown.
    QString LocationURL() const;

    QWebEngineProfile *browserProfile() const { return m_profile; }

    static QUrl homeUrl();
    // Address-bar conversion of typed text (surrounding blanks and line
    // breaks dropped, scheme added where missing).
    static QUrl urlFromUserInput(const QString &text);

Q_SIGNALS:
    // Raised once for every document that finishes loading, frames first.
    void documentComplete(const CompletedDocument &document);
    // A top-level load ended and no top-level document was reported for it.
    // Not raised for a load cancelled by Stop().
    void loadEndedWithoutDocument(LoadEnd why, const QString &address);

private:
    void onReport(const QString &payload);
    bool canLoad(const QUrl &url) const;
    QWebEngineProfile *m_profile = nullptr;
    GuardedPage *m_page = nullptr;
    void endWithoutDocument(LoadEnd why);
    bool m_topReported = false;
    // Reports are taken from the start of a load up to its top-level document;
    // a frame that reloads later (ads, refreshes) must not replace the source.
    bool m_acceptReports = false;
    bool m_stopping = false;
    QString m_requested; // address of the top-level navigation in progress
};
