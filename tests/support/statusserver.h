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
        if (path == "partial") {
            s->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<title>partial</title><p>so far");
            return;
        }
        if (path.toInt() < 100)
            return;
        const QByteArray body = "<title>" + path + "</title>status";
        s->write("HTTP/1.1 " + path + " Status\r\nContent-Type: text/html\r\nContent-Length: "
                 + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        s->disconnectFromHost();
    }
};

} // namespace markloomtest
