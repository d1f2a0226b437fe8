#pragma once

// An HTTP server of the test's own on 127.0.0.1 (no network): a page given
// to add() is answered with 200; "/NNN" answers with status NNN and a small
// page titled NNN; a page of type "redirect" sends its body as the address
// to go to instead (302); "/partial" sends the start of a page and never ends it;
// any other path is held unanswered and counted. Every request's first
// line is kept (a WebSocket's handshake carries what a page sends in its
// address). Two servers are two origins.

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace markloomtest {

class PageServer : public QTcpServer
{
public:
    PageServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
        });
    }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(path); }
    QString add(const QString &path, const QByteArray &page, const QByteArray &type = "text/html; charset=utf-8")
    {
        m_pages[path] = {type, page};
        return url(path);
    }
    int requestCount(const QString &path) const
    {
        return int(std::count_if(requests.begin(), requests.end(), [&](const QByteArray &r) { return pathOf(r) == path; }));
    }
    int held = 0; // requests left unanswered
    QByteArrayList requests;

private:
    // "GET /a/x%20y.html?q HTTP/1.1": "a/x y.html".
    static QString pathOf(const QByteArray &request)
    {
        return QUrl::fromPercentEncoding(request.split(' ').value(1).mid(1).split('?').constFirst());
    }
    void answer(QTcpSocket *s)
    {
        if (s->property("answered").toBool() || !s->canReadLine())
            return;
        s->setProperty("answered", true);
        requests << s->readLine().trimmed();
        const QString path = pathOf(requests.last());
        const auto send = [s](const QByteArray &status, const QByteArray &type, const QByteArray &body) {
            s->write("HTTP/1.1 " + status + " \r\nContent-Type: " + type + "\r\nConnection: close\r\nContent-Length: "
                     + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        };
        const auto page = m_pages.constFind(path);
        if (page != m_pages.cend() && page->first == "redirect")
            s->write("HTTP/1.1 302 \r\nLocation: " + page->second + "\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
        else if (page != m_pages.cend())
            send("200", page->first, page->second);
        else if (path == QLatin1String("partial"))
            s->write("HTTP/1.1 200 \r\nContent-Type: text/html\r\n\r\n<title>partial</title><p>so far");
        else if (path.toInt() >= 100)
            send(path.toUtf8(), "text/html", "<title>" + path.toUtf8() + "</title>status");
        else
            ++held;
    }
    QHash<QString, std::pair<QByteArray, QByteArray>> m_pages; // type, body
};

} // namespace markloomtest
