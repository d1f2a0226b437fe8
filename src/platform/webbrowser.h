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
    // A top-level load ended (failed, or succeeded without any report) and no
    // top-level document was reported for it.
    void loadEndedWithoutDocument(bool failed);

private:
    void onReport(const QString &payload);
    bool canLoad(const QUrl &url) const;
    QWebEngineProfile *m_profile = nullptr;
    GuardedPage *m_page = nullptr;
    bool m_topReported = false;
};
