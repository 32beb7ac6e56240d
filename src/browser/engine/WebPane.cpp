#include "WebPane.h"

#include "CKeystowBrowserPage.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>

WebPane::WebPane(QWebEngineProfile* profile, const BrowserHostHooks* hooks, QWidget* parent)
    : QWebEngineView(parent), m_page(new CKeystowBrowserPage(profile, hooks, this)) {
    setPage(m_page);
    m_page->SetNewWindowFactory([this]() -> QWebEnginePage* {
        BrowserPane* pane = onNewWindow ? onNewWindow() : nullptr;
        auto* web = dynamic_cast<WebPane*>(pane);
        return web ? web->page() : nullptr;
    });
    connect(m_page, &CKeystowBrowserPage::permissionRefused, this,
            [this](const QUrl&, QWebEnginePage::Feature feature) {
                if (onPermissionRefused)
                    onPermissionRefused(static_cast<int>(feature));
            });
    connect(m_page, &CKeystowBrowserPage::windowBlocked, this, [this] {
        if (onWindowBlocked)
            onWindowBlocked();
    });
    connect(this, &QWebEngineView::titleChanged, this, [this](const QString& title) {
        if (onTitleChanged)
            onTitleChanged(title);
    });
    connect(m_page, &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) {
                if (!onPageFinished)
                    return;
                if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
                    onPageFinished(info.url(), false);
                else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
                    onPageFinished(info.url(), true);
            });
    for (const bool back : {true, false}) {
        QAction* action = pageAction(back ? QWebEnginePage::Back : QWebEnginePage::Forward);
        connect(action, &QAction::changed, this, [this, action, back] {
            if (onHistoryChanged)
                onHistoryChanged(back, action->isEnabled());
        });
    }
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        if (onLoadingChanged)
            onLoadingChanged(true);
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this] {
        if (onLoadingChanged)
            onLoadingChanged(false);
    });
    KeepFocusAcrossRendererSwaps();
}

void WebPane::KeepFocusAcrossRendererSwaps() {
    // A navigation that changes the page's renderer replaces the widget the page draws in; when
    // that widget had the focus, it takes the focus with it and keys then reach nothing until
    // the person clicks. Give the focus back to the page.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now) {
            m_holdsFocus = now == this || isAncestorOf(now);
            return;
        }
        if (!m_holdsFocus)
            return;
        QTimer::singleShot(0, this, [this] {
            if (!QApplication::focusWidget() && isVisible() && window()->isActiveWindow())
                setFocus(Qt::OtherFocusReason);
        });
    });
}

bool WebPane::CanGoBack() const {
    return history()->canGoBack();
}

bool WebPane::CanGoForward() const {
    return history()->canGoForward();
}

bool WebPane::IsLoading() const {
    return m_page->isLoading();
}

void WebPane::Edit(EditAction action) {
    switch (action) {
    case Cut:
        triggerPageAction(QWebEnginePage::Cut);
        break;
    case Copy:
        triggerPageAction(QWebEnginePage::Copy);
        break;
    case Paste:
        triggerPageAction(QWebEnginePage::Paste);
        break;
    case Undo:
        triggerPageAction(QWebEnginePage::Undo);
        break;
    case SelectAll:
        triggerPageAction(QWebEnginePage::SelectAll);
        break;
    }
}

void WebPane::RunScript(const QString& script, std::function<void(const QVariant&)> done) {
    m_page->runJavaScript(script, [done](const QVariant& value) {
        if (done)
            done(value);
    });
}

int WebPane::RefusedPermissionCount() const {
    return m_page->RefusedPermissionCount();
}
