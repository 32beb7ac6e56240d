#pragma once

#include "BrowserEngineApi.h"

#include <QWebEngineView>

class CKeystowBrowserPage;
class QWebEngineProfile;

// The engine's side of a browser view: a QWebEngineView with the program's page.
class WebPane : public QWebEngineView, public BrowserPane {
    Q_OBJECT
public:
    WebPane(QWebEngineProfile* profile, const BrowserHostHooks* hooks, QWidget* parent);

    QWidget* Widget() override { return this; }
    void Load(const QUrl& url) override { load(url); }
    void Back() override { back(); }
    void Forward() override { forward(); }
    void Reload() override { reload(); }
    void Stop() override { stop(); }
    bool CanGoBack() const override;
    bool CanGoForward() const override;
    bool IsLoading() const override;
    void Edit(EditAction action) override;
    QUrl Url() const override { return url(); }
    void RunScript(const QString& script, std::function<void(const QVariant&)> done) override;
    int RefusedPermissionCount() const override;

private:
    void KeepFocusAcrossRendererSwaps();

    CKeystowBrowserPage* m_page;
    bool m_holdsFocus = false;
};
