#include "BrowserDownloads.h"

#include "BrowserEngineApi.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

namespace {

bool Locked(const BrowserHostHooks* hooks) {
    return hooks->isLocked && hooks->isLocked();
}

void OnDownloadRequested(const BrowserHostHooks* hooks, QWebEngineDownloadRequest* request) {
    // The engine wants the answer before the signal returns, and waiting for the unlock
    // inside it is not safe: a download asked for while the screen is locked is refused, so
    // nothing shows over the lock window.
    if (Locked(hooks)) {
        request->cancel();
        return;
    }
    QPointer<QWebEngineDownloadRequest> guard(request);
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
