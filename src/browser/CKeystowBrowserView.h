#pragma once

#include "CView.h"

#include <QWebEngineView>

class CKeystowBrowserChildFrame;
class CKeystowBrowserPage;

// The view of a browser window: one web page. It reports every finished page and every change
// of Back and Forward to its frame, names its document after the page's title, handles the
// navigation and edit commands, and opens the windows a page asks for as new browser windows.
class CKeystowBrowserView : public QWebEngineView, public CView {
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

    CKeystowBrowserPage* BrowserPage() const { return m_page; }

private:
    CKeystowBrowserChildFrame* Frame();
    QWebEnginePage* OpenNewWindow();
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);
    // Runs an edit command on the address field when it has the focus, else on the page.
    void EditCommand(int id, QWebEnginePage::WebAction pageAction);

    CKeystowBrowserPage* m_page;
};
