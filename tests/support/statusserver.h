#pragma once

// An HTTP server of the test's own on 127.0.0.1 (no network): "/NNN" answers
// with status NNN and a small page titled NNN; "/partial" sends the start of
// a page and never ends it; any other path is never answered.

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
                connect(s, &QTcpSocket::readyRead, s, [s] { answer(s); });
        });
    }
    QString url(const char *path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(path); }

private:
    static void answer(QTcpSocket *s)
    {
        if (s->property("answered").toBool() || !s->canReadLine())
            return;
        s->setProperty("answered", true);
        const QByteArray path = s->readLine().split(' ').value(1).mid(1);
        const QByteArray head = "HTTP/1.1 " + (path == "partial" ? "200" : path) + " \r\nContent-Type: text/html\r\n";
        if (path == "partial")
            s->write(head + "\r\n<title>partial</title><p>so far");
        else if (path.toInt() >= 100)
            s->write(head + "Connection: close\r\nContent-Length: " + QByteArray::number(path.size() + 21) + "\r\n\r\n<title>" + path
                     + "</title>status");
    }
};

} // namespace markloomtest
