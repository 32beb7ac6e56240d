// The entry of the engine module: one off-the-record profile for every browser window, made
// with the first window.
#include "BrowserActivityFilter.h"
#include "BrowserDownloads.h"
#include "BrowserEngineApi.h"
#include "WebPane.h"

#include <QApplication>
#include <QPointer>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

class WebEngineFactory : public BrowserEngineFactory {
public:
    explicit WebEngineFactory(const BrowserHostHooks* hooks) : m_hooks(*hooks) {}

    BrowserPane* CreatePane(QWidget* parent) override {
        return new WebPane(Profile(), &m_hooks, parent);
    }

private:
    QWebEngineProfile* Profile() {
        if (!m_profile) {
            // A profile without a storage name is off the record: everything stays in memory.
            m_profile = new QWebEngineProfile(qApp);
            m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
            m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
            m_profile->setSpellCheckEnabled(false);
            QWebEngineSettings* settings = m_profile->settings();
            settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
            settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
            settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
            settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
            // A saved web page opened from disk reads no other file of the person's.
            settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
            BrowserDownloads::Attach(m_profile, &m_hooks);
            BrowserActivityFilter::Install(&m_hooks);
        }
        return m_profile;
    }

    BrowserHostHooks m_hooks;
    QPointer<QWebEngineProfile> m_profile;
};

} // namespace

extern "C" Q_DECL_EXPORT BrowserEngineFactory*
keystow_browser_engine(const BrowserHostHooks* hooks) {
    static WebEngineFactory* factory = nullptr;
    if (!factory && hooks)
        factory = new WebEngineFactory(hooks);
    return factory;
}
