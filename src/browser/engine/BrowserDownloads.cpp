#include "BrowserDownloads.h"

#include "BrowserEngineApi.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <utility>

namespace {

bool Locked(const BrowserHostHooks* hooks) {
    return hooks->isLocked && hooks->isLocked();
}

// Downloads asked for while the screen is locked. The engine decides on a request as soon as
// the signal returns and deletes one left undecided, so it cannot be kept until the unlock:
// it is cancelled (nothing reaches the disk) and asked for again from its page once the
// screen unlocks, when the save dialog may show.
class HeldDownloads : public QObject {
public:
    HeldDownloads(const BrowserHostHooks* hooks, QObject* parent)
        : QObject(parent), m_hooks(hooks), m_timer(new QTimer(this)) {
        // As often as the lock watches of the program's own windows look.
        m_timer->setInterval(100);
        connect(m_timer, &QTimer::timeout, this, &HeldDownloads::ReplayWhenUnlocked);
    }

    void Hold(QWebEngineDownloadRequest* request) {
        // A download that belongs to no page (or a page already gone) has nowhere to come
        // back from; it stays cancelled.
        if (request->page())
            m_held.append({request->page(), request->url(), request->suggestedFileName()});
        request->cancel();
        if (!m_held.isEmpty())
            m_timer->start();
    }

    int Count() const { return static_cast<int>(m_held.size()); }

private:
    struct Held {
        QPointer<QWebEnginePage> page;
        QUrl url;
        QString fileName;
    };

    void ReplayWhenUnlocked() {
        if (Locked(m_hooks))
            return;
        m_timer->stop();
        const QList<Held> held = std::exchange(m_held, {});
        // A window closed while locked takes its downloads with it.
        for (const Held& download : held)
            if (download.page)
                download.page->download(download.url, download.fileName);
    }

    const BrowserHostHooks* m_hooks;
    QTimer* m_timer;
    QList<Held> m_held;
};

void AskWhereToSave(const BrowserHostHooks* hooks, HeldDownloads* held,
                    QWebEngineDownloadRequest* request) {
    QPointer<QWebEngineDownloadRequest> guard(request);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString suggested = QDir(folder).filePath(request->suggestedFileName());
    const QString chosen = hooks->askDownloadPath ? hooks->askDownloadPath(suggested) : QString();
    if (!guard)
        return;
    // The dialog closes as cancelled when the screen locks while it is open; the download
    // then waits for the unlock like one asked for while locked.
    if (chosen.isEmpty() && Locked(hooks)) {
        held->Hold(request);
        return;
    }
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
    // Parented to the profile: with it go the held downloads.
    auto* held = new HeldDownloads(hooks, profile);
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, held,
                     [hooks, held](QWebEngineDownloadRequest* request) {
                         if (Locked(hooks))
                             held->Hold(request);
                         else
                             AskWhereToSave(hooks, held, request);
                     });
}

} // namespace BrowserDownloads
