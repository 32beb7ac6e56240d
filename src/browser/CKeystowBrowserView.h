#pragma once

#include "BrowserEngineApi.h"
#include "CView.h"

#include <QWidget>

class CKeystowBrowserChildFrame;

// The view of a browser window: one web page. It reports every finished page and every change
// of Back and Forward to its frame, names its document after the page's title, handles the
// navigation and edit commands, and opens the windows a page asks for as new browser windows.
// The page itself comes from the engine module, loaded with the first view.
class CKeystowBrowserView : public QWidget, public CView {
    Q_OBJECT
public:
    explicit CKeystowBrowserView(QWidget* parent = nullptr);
    ~CKeystowBrowserView() override;

    // Our own start page: a bundled page that needs no network.
    static QUrl HomeUrl();

    void OnInitialUpdate() override;
    // Goes to text as a person would type it: a bare host name goes to its web site.
    void NavigateTo(const QString& text);
    void GoHome();

    // The page; null when the engine could not be loaded (EngineError() says why).
    BrowserPane* Pane() const { return m_pane; }
    const QString& EngineError() const { return m_engineError; }

    // The status bar text that says a page's new window was not opened.
    static QString WindowBlockedText();

signals:
    void permissionRefused(int feature);
    void windowBlocked();

private:
    CKeystowBrowserChildFrame* Frame();
    BrowserPane* OpenNewWindow();
    // Runs an edit command on the address field when it has the focus, else on the page.
    void EditCommand(int id, BrowserPane::EditAction pageAction);

    BrowserPane* m_pane = nullptr;
    QString m_engineError;
};
