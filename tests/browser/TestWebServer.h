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
    QUrl Url(const QString& path) const;
    int Requests() const { return m_requests; }

private:
    void Serve();

    QHash<QByteArray, QByteArray> m_pages;
    int m_requests = 0;
};
