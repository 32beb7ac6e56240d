#pragma once

#include "BrowserEngineApi.h"

#include <QWebEnginePage>

#include <functional>

class QAuthenticator;
class QDialog;
class QWebEngineNewWindowRequest;

// A web page of a browser window. Pages get no device or screen: every permission request
// (camera, microphone, location, notifications, screen capture, mouse lock) and every request
// for full screen is refused. The dialogs a page raises are the program's own and close when
// the screen locks; raised while it is locked they are answered as cancelled at once.
// A page opens a new window only in answer to a click or key press in it, and never while the
// screen is locked. No other page can send its window to the program's own pages.
class CKeystowBrowserPage : public QWebEnginePage {
    Q_OBJECT
public:
    CKeystowBrowserPage(QWebEngineProfile* profile, const BrowserHostHooks* hooks,
                        QObject* parent = nullptr);

    // Makes the page of a new window a page asked for (a link with a target, window.open).
    void SetNewWindowFactory(std::function<QWebEnginePage*()> factory) {
        m_newWindow = std::move(factory);
    }

    int RefusedPermissionCount() const { return m_refusedPermissions; }

signals:
    void permissionRefused(const QUrl& origin, QWebEnginePage::Feature feature);
    // A window the page asked for was not opened.
    void windowBlocked();

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl& origin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& msg, const QString& defaultValue,
                          QString* result) override;

private:
    QWidget* PageWidget() const;
    void OpenWindow(QWebEngineNewWindowRequest& request);
    void RefusePermission(const QUrl& origin, QWebEnginePage::Feature feature);
    void AskCredentials(const QUrl& url, QAuthenticator* authenticator, const QString& realmHost);

    bool Locked() const;
    void CloseWhenLocked(QDialog* dialog) const;

    const BrowserHostHooks* m_hooks;
    std::function<QWebEnginePage*()> m_newWindow;
    int m_refusedPermissions = 0;
};
