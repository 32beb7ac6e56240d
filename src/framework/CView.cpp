#include "CView.h"

#include "CDocument.h"
#include "CMDIChildWnd.h"

#include <QWidget>

CView::CView() = default;

CView::~CView() {
    if (CDocument* doc = m_pDocument.data())
        doc->RemoveView(this);
}

QWidget* CView::GetWidget() {
    return dynamic_cast<QWidget*>(this);
}

CMDIChildWnd* CView::GetParentFrame() {
    QWidget* widget = GetWidget();
    for (QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<CMDIChildWnd*>(w))
            return frame;
    }
    return nullptr;
}

void CView::OnUpdate(CView* sender, long hint, QObject* hintObject) {
    Q_UNUSED(sender);
    Q_UNUSED(hint);
    Q_UNUSED(hintObject);
}

CView* CView::FromWidget(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* view = dynamic_cast<CView*>(w))
            return view;
    }
    return nullptr;
}
