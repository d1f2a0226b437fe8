#pragma once

// An HTTP server of the test's own on 127.0.0.1 (no network): a page given
// to serve() is answered with 200; "/NNN" answers with status NNN and a small
// page titled NNN; "/partial" sends the start of a page and never ends it;
// any other path is held unanswered and counted. Every request's first
// line is kept (a WebSocket's handshake carries what a page sends in its
// address).

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>

namespace markloomtest {

class StatusServer : public QTcpServer
{
public:
    StatusServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
        });
    }
    QString url(const char *path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(path); }
    QString serve(const char *path, const QByteArray &page)
    {
        m_pages[path] = page;
        return url(path);
    }
    int held = 0; // requests left unanswered
    QByteArrayList requests;

private:
    void answer(QTcpSocket *s)
    {
        if (s->property("answered").toBool() || !s->canReadLine())
            return;
        s->setProperty("answered", true);
        requests << s->readLine().trimmed();
        const QByteArray path = requests.last().split(' ').value(1).mid(1);
        const auto send = [s](const QByteArray &status, const QByteArray &body) {
            s->write("HTTP/1.1 " + status + " \r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: "
                     + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        };
        if (m_pages.contains(path))
            send("200", m_pages[path]);
        else if (path == "partial")
            s->write("HTTP/1.1 200 \r\nContent-Type: text/html\r\n\r\n<title>partial</title><p>so far");
        else if (path.toInt() >= 100)
            send(path, "<title>" + path + "</title>status");
        else
            ++held;
    }
    QHash<QByteArray, QByteArray> m_pages;
};

} // namespace markloomtest
