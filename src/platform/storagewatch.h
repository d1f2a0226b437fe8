#pragma once

#include <QMutex>
#include <QSet>
#include <QUrl>

// Tells whether the pages a browser loaded may have stored anything its next
// page could see: a cookie, or any access the engine gates like cookies
// (local and session storage, databases, caches, service workers, file
// systems; a worker's too). Every such access passes the engine's cookie
// filter, as do the plain requests of a page; only what is surely a plain
// request counts as storing nothing. Called from the engine's threads.
class StorageWatch
{
public:
    // The cookie filter's question: the page's address (or its origin, for
    // storage) and the address or origin asking.
    void access(const QUrl &firstParty, const QUrl &asking);
    // An address the page itself is loaded from (its own, or a redirect).
    void pageAddress(const QUrl &url);
    void cookieAdded();
    bool storedNothing() const;
    // A new page: its addresses are its own.
    void nextPage();

private:
    mutable QMutex m_mutex;
    bool m_stored = false;
    QSet<QUrl> m_pageAddresses;
};
