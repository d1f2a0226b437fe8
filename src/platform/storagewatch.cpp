#include "platform/storagewatch.h"

void StorageWatch::access(const QUrl &firstParty, const QUrl &asking)
{
    // Storage asks with an origin (no path but "/"), a service worker with
    // its scope (a path ending in "/"), a worker with its own address as the
    // page's. A request asks with its own address, and the page's request
    // and its cookie with the page's address.
    QMutexLocker lock(&m_mutex);
    const bool plainRequest = !asking.path().endsWith(QLatin1Char('/')) && !asking.path().isEmpty()
                              && (firstParty != asking || m_pageAddresses.contains(asking));
    if (!plainRequest)
        m_stored = true;
}

void StorageWatch::pageAddress(const QUrl &url)
{
    QMutexLocker lock(&m_mutex);
    m_pageAddresses.insert(url);
}

void StorageWatch::cookieAdded()
{
    QMutexLocker lock(&m_mutex);
    m_stored = true;
}

bool StorageWatch::storedNothing() const
{
    QMutexLocker lock(&m_mutex);
    return !m_stored;
}

void StorageWatch::nextPage()
{
    QMutexLocker lock(&m_mutex);
    m_pageAddresses.clear();
}
