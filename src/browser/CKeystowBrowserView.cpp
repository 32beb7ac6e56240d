#include "CKeystowBrowserView.h"

#include "BrowserEngine.h"
#include "CCmdUI.h"
#include "CKeystowBrowserChildFrame.h"
#include "CKeystowBrowserPage.h"
#include "CMultiDocTemplate.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>

static void InitBrowserResources() {
    Q_INIT_RESOURCE(browser);
}

namespace {
// Set while a window opens for a page, whose navigation takes the place of the start page.
bool g_openingForPage = false;
} // namespace

CKeystowBrowserView::CKeystowBrowserView(QWidget* parent)
    : QWebEngineView(parent), m_page(new CKeystowBrowserPage(BrowserEngine::Profile(), this)) {
    InitBrowserResources();
    setPage(m_page);
    m_page->SetNewWindowFactory([this] { return OpenNewWindow(); });

    connect(m_page, &QWebEnginePage::loadingChanged, this, &CKeystowBrowserView::OnLoadingChanged);
    connect(this, &QWebEngineView::titleChanged, this, [this](const QString& title) {
        if (CDocument* doc = GetDocument())
            doc->SetTitle(title.isEmpty() ? url().toDisplayString() : title);
    });
    const auto follow = [this](QWebEnginePage::WebAction action, bool back) {
        QAction* pageAction = this->pageAction(action);
        connect(pageAction, &QAction::changed, this, [this, pageAction, back] {
            if (CKeystowBrowserChildFrame* frame = Frame()) {
                if (back)
                    frame->EnableBack(pageAction->isEnabled());
                else
                    frame->EnableForward(pageAction->isEnabled());
            }
        });
    };
    follow(QWebEnginePage::Back, true);
    follow(QWebEnginePage::Forward, false);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        if (CKeystowBrowserChildFrame* frame = Frame())
            frame->SetLoading(true);
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this] {
        if (CKeystowBrowserChildFrame* frame = Frame())
            frame->SetLoading(false);
    });

    OnCommand(
        ID_GO_BACK, [this] { back(); }, [this](CCmdUI* ui) { ui->Enable(history()->canGoBack()); });
    OnCommand(
        ID_GO_FORWARD, [this] { forward(); },
        [this](CCmdUI* ui) { ui->Enable(history()->canGoForward()); });
    OnCommand(ID_GO_HOME, [this] { GoHome(); });
    OnCommand(ID_VIEW_REFRESH, [this] { reload(); });
    OnCommand(ID_VIEW_STOP, [this] { stop(); });

    const auto anyFocus = [](CCmdUI* ui) { ui->Enable(QApplication::focusWidget() != nullptr); };
    OnCommand(
        ID_EDIT_CUT, [this] { EditCommand(ID_EDIT_CUT, QWebEnginePage::Cut); }, anyFocus);
    OnCommand(
        ID_EDIT_COPY, [this] { EditCommand(ID_EDIT_COPY, QWebEnginePage::Copy); }, anyFocus);
    OnCommand(
        ID_EDIT_UNDO, [this] { EditCommand(ID_EDIT_UNDO, QWebEnginePage::Undo); }, anyFocus);
    OnCommand(
        ID_EDIT_SELECT_ALL, [this] { EditCommand(ID_EDIT_SELECT_ALL, QWebEnginePage::SelectAll); },
        anyFocus);
    OnCommand(
        ID_EDIT_PASTE, [this] { EditCommand(ID_EDIT_PASTE, QWebEnginePage::Paste); },
        [](CCmdUI* ui) {
            const QMimeData* mime = QApplication::clipboard()->mimeData();
            ui->Enable(QApplication::focusWidget() != nullptr && mime && mime->hasText());
        });
}

CKeystowBrowserView::~CKeystowBrowserView() = default;

QUrl CKeystowBrowserView::HomeUrl() {
    return QUrl(QStringLiteral("qrc:/browser/start.html"));
}

CKeystowBrowserChildFrame* CKeystowBrowserView::Frame() {
    return qobject_cast<CKeystowBrowserChildFrame*>(GetParentFrame());
}

void CKeystowBrowserView::OnInitialUpdate() {
    if (!g_openingForPage)
        GoHome();
}

void CKeystowBrowserView::GoHome() {
    load(HomeUrl());
}

void CKeystowBrowserView::NavigateTo(const QString& text) {
    const QString typed = text.trimmed();
    QUrl target = QUrl::fromUserInput(typed);
    // "host:port/path" reads as a scheme "host"; what is typed without a known scheme is a
    // web address.
    static const QStringList known = {"http", "https", "ftp", "file", "qrc", "about", "data"};
    if (!known.contains(target.scheme(), Qt::CaseInsensitive))
        target = QUrl::fromUserInput(QStringLiteral("http://") + typed);
    if (target.isValid())
        load(target);
}

void CKeystowBrowserView::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
    CKeystowBrowserChildFrame* frame = Frame();
    if (!frame)
        return;
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        frame->SetAddressText(info.url().toString());
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        // The engine's error page stands in for the address; it is no address to keep.
        frame->SetAddressText(QString());
        break;
    default:
        break;
    }
}

QWebEnginePage* CKeystowBrowserView::OpenNewWindow() {
    CDocument* doc = GetDocument();
    CMultiDocTemplate* tmpl = doc ? doc->GetDocTemplate() : nullptr;
    if (!tmpl)
        return nullptr;
    g_openingForPage = true;
    CDocument* newDoc = tmpl->OpenDocumentFile(QString());
    g_openingForPage = false;
    auto* view = newDoc ? dynamic_cast<CKeystowBrowserView*>(newDoc->GetFirstView()) : nullptr;
    return view ? view->page() : nullptr;
}

void CKeystowBrowserView::EditCommand(int id, QWebEnginePage::WebAction pageAction) {
    CKeystowBrowserChildFrame* frame = Frame();
    QLineEdit* field = frame ? frame->AddressField() : nullptr;
    if (field && frame->AddressHasFocus()) {
        switch (id) {
        case ID_EDIT_CUT:
            field->cut();
            break;
        case ID_EDIT_COPY:
            field->copy();
            break;
        case ID_EDIT_PASTE:
            field->paste();
            break;
        case ID_EDIT_UNDO:
            field->undo();
            break;
        case ID_EDIT_SELECT_ALL:
            field->selectAll();
            break;
        default:
            break;
        }
        return;
    }
    triggerPageAction(pageAction);
}
