#pragma once

#include "CCmdTarget.h"
#include "CDocument.h"

#include <QPointer>

class CMDIChildWnd;
class QObject;
class QWidget;

// Mix-in for the widgets that show a document: derive from a Qt widget and from CView
// (class CMyView : public QPlainTextEdit, public CView). The frame or template attaches the
// view to its document with CDocument::AddView before OnInitialUpdate runs.
class CView : public CCmdTarget {
public:
    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument.data(); }
    // The widget this view is (the cross-cast of the mix-in).
    QWidget* GetWidget();
    // The child frame the view lives in, if any.
    CMDIChildWnd* GetParentFrame();

    // Called once after the document has been created or opened, before the frame shows.
    virtual void OnInitialUpdate() {}
    // Called by CDocument::UpdateAllViews.
    virtual void OnUpdate(CView* sender, long hint, QObject* hintObject);

    // Finds the view a widget belongs to (the widget itself or one of its parents).
    static CView* FromWidget(QWidget* widget);

private:
    friend class CDocument;
    QPointer<CDocument> m_pDocument;
};
