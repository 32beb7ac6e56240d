#pragma once

#include <QByteArray>
#include <QHash>
#include <QTcpServer>
#include <QUrl>

// A tiny web server on 127.0.0.1 for the browser tests: each path answers with its page.
class TestWebServer : public QTcpServer {
    Q_OBJECT
public:
    explicit TestWebServer(QObject* parent = nullptr);

    void SetPage(const QByteArray& path, const QByteArray& html);
    // A page behind basic authentication: without credentials it answers 401 with html.
    void SetProtectedPage(const QByteArray& path, const QByteArray& html);
    QUrl Url(const QString& path) const;
    int Requests() const { return m_requests; }
    // Requests that came with credentials.
    int AuthorizedRequests() const { return m_authorized; }
    // "user:password" of the last request with credentials.
    const QByteArray& LastCredentials() const { return m_lastCredentials; }

private:
    void Serve();

    QHash<QByteArray, QByteArray> m_pages;
    QHash<QByteArray, QByteArray> m_protected;
    int m_requests = 0;
    int m_authorized = 0;
    QByteArray m_lastCredentials;
};
