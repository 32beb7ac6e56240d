#include "BrowserDownloads.h"

#include "BrowserEngineApi.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

namespace {

bool Locked(const BrowserHostHooks* hooks) {
    return hooks->isLocked && hooks->isLocked();
}

// The engine wants the answer before the signal returns, so the wait for the unlock runs a
// local event loop; the lock's own windows keep working meanwhile.
void WaitForUnlock(const BrowserHostHooks* hooks) {
    if (!Locked(hooks))
        return;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&loop, hooks] {
        if (!Locked(hooks))
            loop.quit();
    });
    poll.start();
    loop.exec();
}

void OnDownloadRequested(const BrowserHostHooks* hooks, QWebEngineDownloadRequest* request) {
    QPointer<QWebEngineDownloadRequest> guard(request);
    WaitForUnlock(hooks);
    if (!guard)
        return;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString suggested = QDir(folder).filePath(request->suggestedFileName());
    const QString chosen = hooks->askDownloadPath ? hooks->askDownloadPath(suggested) : QString();
    if (!guard)
        return;
    if (chosen.isEmpty()) {
        request->cancel();
        return;
    }
    // Saved where the person said, and never opened.
    const QFileInfo target(chosen);
    request->setDownloadDirectory(target.absolutePath());
    request->setDownloadFileName(target.fileName());
    request->accept();
}

} // namespace

namespace BrowserDownloads {

void Attach(QWebEngineProfile* profile, const BrowserHostHooks* hooks) {
    QObject::connect(
        profile, &QWebEngineProfile::downloadRequested, profile,
        [hooks](QWebEngineDownloadRequest* request) { OnDownloadRequested(hooks, request); });
}

} // namespace BrowserDownloads
