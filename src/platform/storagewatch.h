#pragma once

#include <QMutex>
#include <QSet>
#include <QUrl>

// Tells whether the pages a browser loaded may have left anything its next
// page could see, and where a look can tell. Only a web origin's own storage
// can be looked at (from a document of that origin): that is enough when
// every page and frame was of that one origin, and no cookie was set, no
// worker's script fetched and no local page loaded. Storage passes the
// filter only as its origin asks, so a web page always needs the look.
// Called from the engine's threads.
class StorageWatch
{
public:
    // The cookie filter's question: the page's address (or its origin, for
    // storage) and the address or origin asking.
    void access(const QUrl &firstParty, const QUrl &asking);
    // An address a page or frame is loaded from (its own, or a redirect).
    void pageAddress(const QUrl &url, bool isMainFrame);
    // Something took part that a look cannot answer for: a cookie was set,
    // or a worker's script asked for (a worker may store after its page is
    // gone, and one at a page's own address asks as that page would).
    void beyondReach();
    bool beyondLook() const;
    // The origin (scheme://host:port) whose storage is to be looked at; empty
    // when there is none, or more than a look can see.
    QUrl lookAt() const;
    // Nothing was stored: no web origin took part, or a look found its
    // storage empty.
    bool leftNothing() const;
    // A look at that origin's storage found it empty: nothing stored so far,
    // unless something else took part meanwhile.
    void foundEmpty(const QUrl &origin);
    // A new page: its addresses are its own.
    void nextPage();
    // scheme://host:port of an address.
    static QUrl originOf(const QUrl &url);

private:
    void note(const QUrl &origin);
    mutable QMutex m_mutex;
    bool m_beyondLook = false;
    QSet<QUrl> m_origins; // of the pages, frames and storage seen
    QSet<QUrl> m_pageAddresses;
    QSet<QUrl> m_leavingAddresses; // of the page before, until the next page is left
};
