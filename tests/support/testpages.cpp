#include "support/testpages.h"

#include <QBuffer>
#include <QWebEngineProfile>
#include <QWebEngineUrlScheme>

namespace markloomtest {

void registerSchemes()
{
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled
                    | QWebEngineUrlScheme::ServiceWorkersAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

TestPages::TestPages(QObject *parent) : QWebEngineUrlSchemeHandler(parent) {}

void TestPages::add(const QString &hostAndPath, const QByteArray &body, const QByteArray &mime)
{
    m_pages.insert(hostAndPath, Page{mime, body});
}

void TestPages::addPending(const QString &hostAndPath) { m_pending.insert(hostAndPath); }

void TestPages::installOn(QWebEngineProfile *profile)
{
    profile->installUrlSchemeHandler(QByteArray(kScheme), this);
}

QString TestPages::url(const QString &hostAndPath)
{
    return QString::fromLatin1(kScheme) + QStringLiteral("://") + hostAndPath;
}

void TestPages::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QUrl u = job->requestUrl();
    const QString key = u.host() + u.path();
    m_requests[key] += 1;
    if (m_pending.contains(key)) {
        m_held << job;
        return;
    }
    const auto it = m_pages.constFind(key);
    if (it == m_pages.cend()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto *buffer = new QBuffer(job);
    buffer->setData(it->body);
    buffer->open(QIODevice::ReadOnly);
    job->reply(it->mime, buffer);
}

} // namespace markloomtest
