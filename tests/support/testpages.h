#pragma once

// Pages for web tests, served by the test itself under the scheme mltest:
// (two hosts are two origins). No network is ever used.

#include "support/testenv.h"

#include <QApplication>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlSchemeHandler>

class QWebEngineProfile;

namespace markloomtest {

inline constexpr const char *kScheme = "mltest";

// Must run before the application object exists.
void registerSchemes();

class TestPages : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT
public:
    explicit TestPages(QObject *parent = nullptr);

    // "host/path" -> content. A path never added answers "not found".
    void add(const QString &hostAndPath, const QByteArray &body,
             const QByteArray &mime = QByteArrayLiteral("text/html; charset=utf-8"));
    // Requests for this path are never answered: a load that stays pending.
    void addPending(const QString &hostAndPath);
    void installOn(QWebEngineProfile *profile);

    static QString url(const QString &hostAndPath);
    int requestCount(const QString &hostAndPath) const { return m_requests.value(hostAndPath); }

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    struct Page {
        QByteArray mime;
        QByteArray body;
    };
    QHash<QString, Page> m_pages;
    QSet<QString> m_pending;
    QHash<QString, int> m_requests;
    QList<QPointer<QWebEngineUrlRequestJob>> m_held;
};

} // namespace markloomtest

// main() of a test with widgets and the browser.
#define MARKLOOM_UI_TEST_MAIN(TestClass)                                                                     \
    MARKLOOM_TEST_MAIN_WITH(TestClass, QApplication, markloomtest::registerSchemes();                        \
                            QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts))
