#include "CKeystowBrowserView.h"

#include "BrowserEngine.h"
#include "CCmdUI.h"
#include "CKeystowBrowserChildFrame.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QVBoxLayout>

static void InitBrowserResources() {
    Q_INIT_RESOURCE(browser);
}

namespace {
// Set while a window opens for a page, whose navigation takes the place of the start page.
bool g_openingForPage = false;
} // namespace

CKeystowBrowserView::CKeystowBrowserView(QWidget* parent) : QWidget(parent) {
    InitBrowserResources();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (BrowserEngineFactory* engine = BrowserEngine::Factory(&m_engineError))
        m_pane = engine->CreatePane(this);
    if (m_pane) {
        layout->addWidget(m_pane->Widget());
        setFocusProxy(m_pane->Widget());
        m_pane->onNewWindow = [this] { return OpenNewWindow(); };
        m_pane->onTitleChanged = [this](const QString& title) {
            if (CDocument* doc = GetDocument())
                doc->SetTitle(title.isEmpty() ? m_pane->Url().toDisplayString() : title);
        };
        m_pane->onPageFinished = [this](const QUrl& url, bool failed) {
            // The engine's error page stands in for the address; it is no address to keep.
            if (CKeystowBrowserChildFrame* frame = Frame())
                frame->SetAddressText(failed ? QString() : url.toString());
        };
        m_pane->onHistoryChanged = [this](bool back, bool enabled) {
            if (CKeystowBrowserChildFrame* frame = Frame()) {
                if (back)
                    frame->EnableBack(enabled);
                else
                    frame->EnableForward(enabled);
            }
        };
        m_pane->onLoadingChanged = [this](bool loading) {
            if (CKeystowBrowserChildFrame* frame = Frame())
                frame->SetLoading(loading);
        };
        m_pane->onPermissionRefused = [this](int feature) { emit permissionRefused(feature); };
        m_pane->onWindowBlocked = [this] {
            if (auto* main = qobject_cast<CMDIFrameWnd*>(window()))
                main->SetStatusPaneText(CMDIFrameWnd::MessagePane, WindowBlockedText());
            emit windowBlocked();
        };
    }

    OnCommand(
        ID_GO_BACK, [this] { m_pane->Back(); },
        [this](CCmdUI* ui) { ui->Enable(m_pane && m_pane->CanGoBack()); });
    OnCommand(
        ID_GO_FORWARD, [this] { m_pane->Forward(); },
        [this](CCmdUI* ui) { ui->Enable(m_pane && m_pane->CanGoForward()); });
    const auto hasPane = [this](CCmdUI* ui) { ui->Enable(m_pane != nullptr); };
    OnCommand(
        ID_GO_HOME, [this] { GoHome(); }, hasPane);
    OnCommand(
        ID_VIEW_REFRESH, [this] { m_pane->Reload(); }, hasPane);
    OnCommand(
        ID_VIEW_STOP, [this] { m_pane->Stop(); }, hasPane);

    const auto anyFocus = [this](CCmdUI* ui) {
        ui->Enable(m_pane && QApplication::focusWidget() != nullptr);
    };
    OnCommand(
        ID_EDIT_CUT, [this] { EditCommand(ID_EDIT_CUT, BrowserPane::Cut); }, anyFocus);
    OnCommand(
        ID_EDIT_COPY, [this] { EditCommand(ID_EDIT_COPY, BrowserPane::Copy); }, anyFocus);
    OnCommand(
        ID_EDIT_UNDO, [this] { EditCommand(ID_EDIT_UNDO, BrowserPane::Undo); }, anyFocus);
    OnCommand(
        ID_EDIT_SELECT_ALL, [this] { EditCommand(ID_EDIT_SELECT_ALL, BrowserPane::SelectAll); },
        anyFocus);
    OnCommand(
        ID_EDIT_PASTE, [this] { EditCommand(ID_EDIT_PASTE, BrowserPane::Paste); },
        [this](CCmdUI* ui) {
            const QMimeData* mime = QApplication::clipboard()->mimeData();
            ui->Enable(m_pane && QApplication::focusWidget() != nullptr && mime && mime->hasText());
        });
}

CKeystowBrowserView::~CKeystowBrowserView() = default;

QUrl CKeystowBrowserView::HomeUrl() {
    return QUrl(QStringLiteral("qrc:/browser/start.html"));
}

QString CKeystowBrowserView::WindowBlockedText() {
    return tr("A pop-up window was blocked.");
}

CKeystowBrowserChildFrame* CKeystowBrowserView::Frame() {
    return qobject_cast<CKeystowBrowserChildFrame*>(GetParentFrame());
}

void CKeystowBrowserView::OnInitialUpdate() {
    if (!g_openingForPage)
        GoHome();
}

void CKeystowBrowserView::GoHome() {
    if (m_pane)
        m_pane->Load(HomeUrl());
}

void CKeystowBrowserView::NavigateTo(const QString& text) {
    const QString typed = text.trimmed();
    QUrl target = QUrl::fromUserInput(typed);
    // "host:port/path" reads as a scheme "host"; what is typed without a known scheme is a
    // web address.
    static const QStringList known = {"http", "https", "ftp", "file", "qrc", "about", "data"};
    if (!known.contains(target.scheme(), Qt::CaseInsensitive))
        target = QUrl::fromUserInput(QStringLiteral("http://") + typed);
    if (target.isValid() && m_pane)
        m_pane->Load(target);
}

BrowserPane* CKeystowBrowserView::OpenNewWindow() {
    CDocument* doc = GetDocument();
    CMultiDocTemplate* tmpl = doc ? doc->GetDocTemplate() : nullptr;
    if (!tmpl)
        return nullptr;
    g_openingForPage = true;
    CDocument* newDoc = tmpl->OpenDocumentFile(QString());
    g_openingForPage = false;
    auto* view = newDoc ? dynamic_cast<CKeystowBrowserView*>(newDoc->GetFirstView()) : nullptr;
    return view ? view->Pane() : nullptr;
}

void CKeystowBrowserView::EditCommand(int id, BrowserPane::EditAction pageAction) {
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
    if (m_pane)
        m_pane->Edit(pageAction);
}
