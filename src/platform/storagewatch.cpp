#include "platform/storagewatch.h"

#include <utility>

QUrl StorageWatch::originOf(const QUrl &url)
{
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo);
}

void StorageWatch::note(const QUrl &origin)
{
    if (origin.scheme() != QLatin1String("http") && origin.scheme() != QLatin1String("https"))
        m_beyondLook = true;
    m_origins.insert(origin);
}

void StorageWatch::access(const QUrl &firstParty, const QUrl &asking)
{
    // Storage asks with an origin (no path but "/"), a service worker with
    // its scope (a path ending in "/"), a worker with its own address as the
    // page's. A request asks with its own address, and the page's request
    // and its cookie with the page's address.
    QMutexLocker lock(&m_mutex);
    const bool plainRequest = !asking.path().endsWith(QLatin1Char('/')) && !asking.path().isEmpty()
                              && (firstParty != asking || m_pageAddresses.contains(asking)
                                  || m_leavingAddresses.contains(asking));
    if (plainRequest)
        return;
    // Storage of an origin of its own asks with that origin twice; anything
    // else (a service worker's scope, a worker) is more than a look can see.
    const QUrl origin = originOf(asking);
    if (firstParty != asking || asking.path().size() > 1 || asking.adjusted(QUrl::RemovePath) != origin)
        m_beyondLook = true;
    note(origin);
}

void StorageWatch::pageAddress(const QUrl &url, bool isMainFrame)
{
    QMutexLocker lock(&m_mutex);
    if (isMainFrame)
        m_pageAddresses.insert(url);
    // Empty and made-up documents store nothing or use their maker's origin.
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("about") && scheme != QLatin1String("data") && scheme != QLatin1String("blob"))
        note(originOf(url));
}

void StorageWatch::beyondReach()
{
    QMutexLocker lock(&m_mutex);
    m_beyondLook = true;
}

bool StorageWatch::beyondLook() const
{
    QMutexLocker lock(&m_mutex);
    return m_beyondLook;
}

QUrl StorageWatch::lookAt() const
{
    QMutexLocker lock(&m_mutex);
    return m_beyondLook || m_origins.size() != 1 ? QUrl() : *m_origins.begin();
}

bool StorageWatch::leftNothing() const
{
    QMutexLocker lock(&m_mutex);
    return !m_beyondLook && m_origins.isEmpty();
}

void StorageWatch::foundEmpty(const QUrl &origin)
{
    QMutexLocker lock(&m_mutex);
    if (!m_beyondLook && m_origins == QSet<QUrl>{origin})
        m_origins.clear();
}

void StorageWatch::nextPage()
{
    QMutexLocker lock(&m_mutex);
    // The page before lives on until the next one replaces it, and its
    // scripts may still read its cookies (a handler as it leaves, a late
    // timer): that is still the page asking. A worker at its address is
    // told apart by its script's request.
    m_leavingAddresses = std::exchange(m_pageAddresses, {});
}
