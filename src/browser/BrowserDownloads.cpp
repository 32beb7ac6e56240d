#include "BrowserDownloads.h"

#include "CActivityHost.h"
#include "CDownloadFileDialog.h"
#include "CMDIFrameWnd.h"
#include "CModalDialog.h"
#include "CWinApp.h"
#include "resource.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

namespace {

bool Locked() {
    CActivityHost* host = CActivityHost::Current();
    return host && host->m_locked;
}

// The engine wants the answer before the signal returns, so the wait for the unlock runs a
// local event loop; the lock's own windows keep working meanwhile.
void WaitForUnlock() {
    if (!Locked())
        return;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&loop] {
        if (!Locked())
            loop.quit();
    });
    poll.start();
    loop.exec();
}

void OnDownloadRequested(QWebEngineDownloadRequest* request) {
    QPointer<QWebEngineDownloadRequest> guard(request);
    WaitForUnlock();
    if (!guard)
        return;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString suggested = QDir(folder).filePath(request->suggestedFileName());
    CWinApp* app = CWinApp::Current();
    CDownloadFileDialog dialog(suggested, app ? app->GetMainWnd() : nullptr);
    const bool chosen = dialog.DoModal() == IDOK && !dialog.GetPathName().isEmpty();
    if (!guard)
        return;
    if (!chosen) {
        request->cancel();
        return;
    }
    const QFileInfo target(dialog.GetPathName());
    request->setDownloadDirectory(target.absolutePath());
    request->setDownloadFileName(target.fileName());
    request->accept();
}

} // namespace

namespace BrowserDownloads {

void Attach(QWebEngineProfile* profile) {
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile, &OnDownloadRequested);
}

} // namespace BrowserDownloads
