#pragma once

#include "browse/navigation.h"
#include "platform/browser.h"

#include <QSize>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <memory>
#include <optional>

class QTemporaryDir;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class GuardedPage;
class LocalFileGuard;
class StorageWatch;

// The hidden browser. A page runs in a window nobody sees, so it gets no
// dialogs, popups, permissions, downloads or disk: an off-the-record profile
// of its own and a page that refuses everything interactive. The view is
// shown off the screen, so the page is laid out and runs as a shown one.
class WebBrowser : public QWebEngineView, public Browser
{
    Q_OBJECT
public:
    // owner, when given, deletes the browser; the browser is never a child
    // widget of it.
    explicit WebBrowser(QObject *owner = nullptr);
    ~WebBrowser() override;
    // How long a browser stays hidden before it goes: the engine of this
    // version can crash when a frame of the view arrives while the view is
    // taken apart, and hidden, it stops drawing (a frame in flight takes a
    // few milliseconds).
    static constexpr int kRetireMs = 50;

    // Loads an address as typed: the text is turned into a URL the way an
    // address bar does. Returns at once.
    void Navigate2(const QString &address) override;
    // The built-in home page.
    void GoHome() override;
    // Cancels the load in progress.
    void Stop() override;
    // Loads the page shown again.
    void Reload() override;
    // Reads the page shown again as it stands now, without loading it; the
    // answer comes as documentsRead.
    void ReadAgain() override;
    // Reads the top-level document of the load under way as it stands; the
    // answer comes as documentsRead (that document, or nothing when no
    // document of this load is there yet or no load is under way).
    void ReadAsItStands();
    // Address of the top-level page now shown.
    QString LocationURL() const override;

    // While on, a top-level navigation the page starts by itself once its
    // load is over (script, refresh, link, form) is refused before it starts:
    // the document and its source stay and nothing is reported. Navigations
    // started here, and whatever happens while they load, go through; frames
    // are not affected.
    void setKeepDocument(bool keep) { m_nav.setKeepDocument(keep); }
    bool keepDocument() const { return m_nav.keepDocument(); }
    // A load started here that has not finished after ms milliseconds reports
    // its top-level document as it stands (stillLoading), once; as soon as
    // there is one of its own. Negative: never (the default).
    void setPartialDelay(int ms) { m_partialDelay = ms; }

    QWebEngineProfile *browserProfile() const { return m_profile; }

    // The page's viewport in CSS pixels: the source pane's size in the window.
    static constexpr QSize kViewport{1280, 800};

    // For a browser that may load one page after another (the command
    // line's batch): the HTTP cache is off, and every cookie and storage
    // access is watched. Call before the first load.
    void watchStorage();
    // Answers with storageChecked whether the pages loaded so far surely
    // left nothing (no cookie, no storage) a next page could see: at once
    // when they used no web origin, or more than one look can see; otherwise
    // after a look at their origin's storage from a document of that origin
    // (which replaces what is shown).
    void checkStorage();
    // Before the next page: the history of those before goes.
    void nextPage();

    static QUrl homeUrl();
    // Address-bar conversion of typed text (surrounding blanks and line
    // breaks dropped, scheme added where missing).
    static QUrl urlFromUserInput(const QString &text);
    // What may be loaded as a top-level address: http, https, file, data,
    // about:blank, the home page and schemes with a handler on this profile.
    bool canLoad(const QUrl &url) const override { return m_nav.mayLoad(url); }

    // The origin whose storage checkStorage would look at now, if any.
    QUrl lookDue() const;
    // For a next page of the origin a look is due at (the command line's
    // batch), instead of a document of its own in between: the page's first
    // document looks as it is made, before any script of the page runs, and
    // answers with arrivalChecked. False, with nothing armed, when the page
    // cannot be looked at so (no look due, another origin, a load under way):
    // checkStorage then. Call after nextPage, before the load.
    bool lookOnArrival(const QString &nextAddress);
    // For the page armed by lookOnArrival: empty until its look answered,
    // then whether it found nothing, in the page's first document, of the
    // origin armed, with no other top-level navigation since.
    std::optional<bool> arrivalVerdict() const { return m_arrivalVerdict; }

Q_SIGNALS:
    // Raised once for every document that finishes loading, frames first,
    // and for the top-level one as it stands once the partial delay passed.
    void documentComplete(const CompletedDocument &document);
    // A top-level load started here ended and no top-level document was
    // reported for it; error says why a failed load failed. Not raised for a
    // load cancelled by Stop().
    void loadEndedWithoutDocument(LoadEnd why, const QString &address, const LoadError &error);
    // The answer to ReadAgain: the top-level document first, then each frame
    // it could reach (same origin); empty when a navigation began meanwhile
    // or nothing is shown. The answer to ReadAsItStands likewise.
    void documentsRead(const QList<CompletedDocument> &documents);
    // The answer to checkStorage.
    void storageChecked(bool nothingStored);
    // The answer of a page armed by lookOnArrival (arrivalVerdict).
    void arrivalChecked(bool nothingStored);

private:
    // How long a page has to answer before it counts as hung.
    static constexpr int kAnswerMs = 1500;
    void installPage();
    void perform(const NavActions &actions);
    void watch(quint64 token, bool missedOnce);
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void storageLooked(bool empty);
    void arrivalAnswered(bool empty, const QUrl &origin);
    void setArrivalScript(const QString &source);

    std::unique_ptr<QTemporaryDir> m_storage;
    std::shared_ptr<StorageWatch> m_storageWatch; // shared with the engine's cookie filter
    LocalFileGuard *m_requestGuard = nullptr;      // the profile's, owned by it
    QWebEngineProfile *m_profile = nullptr;
    GuardedPage *m_page = nullptr;
    // Every decision about which navigation a signal or answer belongs to.
    Navigation m_nav{[this](const QString &scheme) {
        return m_profile && m_profile->urlSchemeHandler(scheme.toLatin1()) != nullptr;
    }};
    QTimer m_partial; // the partial delay of the navigation m_partialToken
    quint64 m_partialToken = 0;
    int m_partialDelay = -1;
    QUrl m_checking; // the origin whose storage checkStorage looks at
    QString m_lookToken;
    QUrl m_arrivalOrigin; // armed by lookOnArrival and not answered yet
    int m_arrivalNavigations = 0; // top-level ones since it was armed
    QString m_arrivalToken;
    std::optional<bool> m_arrivalVerdict;
};
