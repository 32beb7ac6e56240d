#include "CMDIChildWnd.h"

#include "CDocument.h"
#include "CView.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>

CMDIChildWnd::CMDIChildWnd(QWidget* parent) : QWidget(parent) {}

CMDIChildWnd::~CMDIChildWnd() = default;

CView* CMDIChildWnd::GetActiveView() const {
    CDocument* doc = m_pDocument.data();
    if (!doc)
        return nullptr;
    const QList<CView*>& views = doc->GetViews();
    if (m_pActiveView && views.contains(m_pActiveView))
        return m_pActiveView;
    for (CView* view : views) {
        if (view->GetParentFrame() == this)
            return view;
    }
    return nullptr;
}

void CMDIChildWnd::SetActiveView(CView* view) {
    m_pActiveView = view;
}

QMdiSubWindow* CMDIChildWnd::SubWindow() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

void CMDIChildWnd::ActivateFrame() {
    if (QMdiSubWindow* sub = SubWindow()) {
        if (sub->isMinimized())
            sub->showNormal();
        else if (!sub->isVisible())
            sub->show();
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        sub->raise();
    } else {
        show();
        raise();
        activateWindow();
    }
    if (CView* view = GetActiveView()) {
        if (QWidget* widget = view->GetWidget())
            widget->setFocus();
    }
}

bool CMDIChildWnd::OnCreateClient(CDocument* doc, const ViewFactory& viewFactory) {
    if (!viewFactory)
        return true;
    CView* view = viewFactory();
    QWidget* widget = view ? view->GetWidget() : nullptr;
    if (!widget)
        return false;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget);
    AttachView(view, doc);
    setFocusProxy(widget);
    return true;
}

void CMDIChildWnd::InitialUpdateFrame() {
    CDocument* doc = m_pDocument.data();
    if (!doc)
        return;
    const QList<CView*> views = doc->GetViews();
    for (CView* view : views) {
        if (view->GetParentFrame() == this)
            view->OnInitialUpdate();
    }
}

void CMDIChildWnd::AttachView(CView* view, CDocument* doc) {
    if (doc)
        doc->AddView(view);
    if (!m_pActiveView)
        m_pActiveView = view;
}

void CMDIChildWnd::SetDocument(CDocument* doc) {
    m_pDocument = doc;
    if (!doc)
        return;
    setWindowTitle(doc->GetTitle());
    connect(doc, &CDocument::titleChanged, this, &QWidget::setWindowTitle);
}

void CMDIChildWnd::closeEvent(QCloseEvent* event) {
    CDocument* doc = m_pDocument.data();
    if (m_bClosing || !doc || doc->IsClosing()) {
        m_bClosing = true;
        event->accept();
        return;
    }
    if (!doc->CanCloseFrame(this)) {
        event->ignore();
        return;
    }
    m_bClosing = true;
    bool otherFrames = false;
    for (CMDIChildWnd* frame : doc->GetFrames()) {
        if (frame != this && !frame->IsClosingFrame())
            otherFrames = true;
    }
    if (!otherFrames)
        doc->OnCloseDocument();
    event->accept();
}
