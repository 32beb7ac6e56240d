#pragma once

#include "CCmdTarget.h"
#include "CDocument.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class CMultiDocTemplate;
class CView;
class QMdiSubWindow;

// Base of the document windows. The frame is the widget inside a QMdiSubWindow; it holds the
// document's views. Closing the last frame of a document asks the document's CanCloseFrame
// (and so SaveModified) and then closes the document.
class CMDIChildWnd : public QWidget, public CCmdTarget {
    Q_OBJECT
public:
    using ViewFactory = std::function<CView*()>;

    explicit CMDIChildWnd(QWidget* parent = nullptr);
    ~CMDIChildWnd() override;

    CDocument* GetActiveDocument() const { return m_pDocument.data(); }
    // The view commands go to first: the one last focused, else the first view of the frame.
    CView* GetActiveView() const;
    void SetActiveView(CView* view);
    CMultiDocTemplate* GetDocTemplate() const { return m_pTemplate; }

    // The sub-window around the frame, or null while the frame stands alone.
    QMdiSubWindow* SubWindow() const;
    // Shows the frame and makes it the active document window.
    virtual void ActivateFrame();

    // Creates the frame's views for doc. The default creates one view from the factory and
    // fills the frame with it; frames with several views override this.
    virtual bool OnCreateClient(CDocument* doc, const ViewFactory& viewFactory);
    // Calls OnInitialUpdate of every view of the frame.
    virtual void InitialUpdateFrame();

    // Adds a view widget to the document and remembers it as one of this frame's views.
    void AttachView(CView* view, CDocument* doc);

    bool IsClosingFrame() const { return m_bClosing; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class CMultiDocTemplate;
    void SetDocument(CDocument* doc);

    QPointer<CDocument> m_pDocument;
    CView* m_pActiveView = nullptr;
    CMultiDocTemplate* m_pTemplate = nullptr;
    bool m_bClosing = false;
};
