#include "CKeystowChildFrame.h"

#include "BlankRootView.h"
#include "CLeftView.h"
#include "CMailAccView.h"
#include "COtherAccView.h"
#include "CViewSwitchSplitter.h"
#include "CWebAccView.h"
#include "EMailAccountsRootView.h"
#include "OtherAccountsRootView.h"
#include "WebAccountsRootView.h"

#include <QMdiSubWindow>
#include <QVBoxLayout>

namespace {
// Creates a right-pane view of class V attached to the document.
template <class V> CViewSwitchSplitter::Factory PaneView(CMDIChildWnd* frame, CDocument* doc) {
    return [frame, doc](QWidget* parent) -> QWidget* {
        auto* view = new V(parent);
        frame->AttachView(view, doc);
        return view;
    };
}
} // namespace

CKeystowChildFrame::CKeystowChildFrame(QWidget* parent) : CMDIChildWnd(parent) {}

CKeystowChildFrame::~CKeystowChildFrame() = default;

bool CKeystowChildFrame::OnCreateClient(CDocument* doc, const ViewFactory& viewFactory) {
    Q_UNUSED(viewFactory); // the type's own view is never shown: this frame builds its views
    m_splitter = new CViewSwitchSplitter(2, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);

    // The tree first, so that commands reach it before any pane view.
    m_leftView = new CLeftView; // the splitter takes it into its first pane
    m_splitter->SetPaneWidget(0, 0, m_leftView);
    AttachView(m_leftView, doc);

    blankRootViewId = m_splitter->AddView(0, 1, PaneView<BlankRootView>(this, doc));
    webRootViewId = m_splitter->AddView(0, 1, PaneView<WebAccountsRootView>(this, doc));
    mailRootViewId = m_splitter->AddView(0, 1, PaneView<EMailAccountsRootView>(this, doc));
    otherRootViewId = m_splitter->AddView(0, 1, PaneView<OtherAccountsRootView>(this, doc));
    webAccViewId = m_splitter->AddView(0, 1, PaneView<CWebAccView>(this, doc));
    mailAccViewId = m_splitter->AddView(0, 1, PaneView<CMailAccView>(this, doc));
    otherAccViewId = m_splitter->AddView(0, 1, PaneView<COtherAccView>(this, doc));

    // The tree keeps its width when the window grows, and may be dragged shut.
    m_leftView->setMinimumWidth(0);
    m_splitter->setCollapsible(0, true);
    m_splitter->setCollapsible(1, false);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({kTreeWidth, qMax(width() - kTreeWidth, kTreeWidth)});
    setFocusProxy(m_leftView);

    ShowPaneView(blankRootViewId);
    return true;
}

void CKeystowChildFrame::InitialUpdateFrame() {
    CMDIChildWnd::InitialUpdateFrame();
    // Passwords windows open maximised in the document area.
    if (QMdiSubWindow* sub = SubWindow())
        sub->showMaximized();
    else
        setWindowState(windowState() | Qt::WindowMaximized);
    // Maximising lays the splitter out anew; the tree starts at its own width all the same.
    if (m_splitter) {
        const int total = qMax(m_splitter->width(), 2 * kTreeWidth);
        m_splitter->setSizes({kTreeWidth, total - kTreeWidth - m_splitter->handleWidth()});
    }
}

void CKeystowChildFrame::ActivateFrame() {
    if (QMdiSubWindow* sub = SubWindow())
        sub->showMaximized();
    CMDIChildWnd::ActivateFrame();
}

bool CKeystowChildFrame::ShowPaneView(int id) {
    return m_splitter && m_splitter->ShowView(id);
}

QWidget* CKeystowChildFrame::GetPaneView(int id) const {
    return m_splitter ? m_splitter->GetView(id) : nullptr;
}

CLeftView* CKeystowChildFrame::GetLeftView() const {
    return m_leftView;
}
