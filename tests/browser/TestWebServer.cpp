#include "TestWebServer.h"

#include <QTcpSocket>

TestWebServer::TestWebServer(QObject* parent) : QTcpServer(parent) {
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, &TestWebServer::Serve);
}

void TestWebServer::SetPage(const QByteArray& path, const QByteArray& html) {
    m_pages.insert(path, html);
}

void TestWebServer::SetProtectedPage(const QByteArray& path, const QByteArray& html) {
    m_protected.insert(path, html);
}

QUrl TestWebServer::Url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
}

void TestWebServer::Serve() {
    while (QTcpSocket* socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const QByteArray request = socket->peek(socket->bytesAvailable());
            if (!request.contains("\r\n\r\n"))
                return;
            socket->readAll();
            ++m_requests;
            const QByteArray path = request.split(' ').value(1);
            const int at = request.toLower().indexOf("\r\nauthorization: basic ");
            const bool authorized = at >= 0;
            if (authorized) {
                ++m_authorized;
                const int start = at + int(sizeof("\r\nauthorization: basic ")) - 1;
                const int end = request.indexOf("\r\n", start);
                m_lastCredentials = QByteArray::fromBase64(request.mid(start, end - start));
            }
            const bool refused = m_protected.contains(path) && !authorized;
            const bool known = m_pages.contains(path) || m_protected.contains(path);
            const QByteArray body = refused ? m_protected.value(path)
                                    : known ? m_pages.value(path, m_protected.value(path))
                                            : QByteArray("<title>none</title>");
            QByteArray reply = refused ? "HTTP/1.1 401 Unauthorized\r\n"
                                         "WWW-Authenticate: Basic realm=\"test realm\"\r\n"
                               : known ? "HTTP/1.1 200 OK\r\n"
                                       : "HTTP/1.1 404 Not Found\r\n";
            // Text files come as downloads.
            if (path.endsWith(".txt"))
                reply += "Content-Type: application/octet-stream\r\n"
                         "Content-Disposition: attachment; filename=\"notes.txt\"\r\n"
                         "Connection: close\r\n";
            else
                reply += "Content-Type: text/html; charset=utf-8\r\nConnection: close\r\n";
            reply += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
            socket->write(reply);
            socket->disconnectFromHost();
        });
    }
}
