#include "BrowserEngine.h"

#include "BrowserActivityFilter.h"
#include "BrowserDownloads.h"

#include <QApplication>
#include <QPointer>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {
QPointer<QWebEngineProfile>& ProfileSlot() {
    static QPointer<QWebEngineProfile> profile;
    return profile;
}
} // namespace

namespace BrowserEngine {

QWebEngineProfile* Profile() {
    QPointer<QWebEngineProfile>& slot = ProfileSlot();
    if (!slot) {
        // A profile without a storage name is off the record: everything stays in memory.
        auto* profile = new QWebEngineProfile(qApp);
        profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        profile->setSpellCheckEnabled(false);
        QWebEngineSettings* settings = profile->settings();
        settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
        settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
        settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        BrowserDownloads::Attach(profile);
        BrowserActivityFilter::Install();
        slot = profile;
    }
    return slot;
}

bool IsStarted() {
    return !ProfileSlot().isNull();
}

} // namespace BrowserEngine
