#pragma once

#include "CMDIChildWnd.h"

class CLeftView;
class CViewSwitchSplitter;

// The window of a passwords document: the account tree on the left, and on the right one pane
// showing exactly one of seven views (the add-accounts page, the three add pages, the three
// account forms) as the tree's selection chooses. Opens maximised.
class CKeystowChildFrame : public CMDIChildWnd {
    Q_OBJECT
public:
    explicit CKeystowChildFrame(QWidget* parent = nullptr);
    ~CKeystowChildFrame() override;

    // Builds the splitter, the tree and the seven views, and shows the add-accounts page.
    bool OnCreateClient(CDocument* doc, const ViewFactory& viewFactory) override;
    // Fills the views, then shows the window maximised in the document area.
    void InitialUpdateFrame() override;
    // Every activation through the frame (Window menu, the file opened again) maximises the
    // window, also when it was minimised.
    void ActivateFrame() override;

    // Shows exactly one right-pane view; false for an unknown id.
    bool ShowPaneView(int id);
    // The view widget with that id, or null.
    QWidget* GetPaneView(int id) const;
    // The tree in the left pane.
    CLeftView* GetLeftView() const;
    CViewSwitchSplitter* GetSplitter() const { return m_splitter; }

    // The ids of the right-pane views, 1..7 in this order.
    int blankRootViewId = -1, webRootViewId = -1, mailRootViewId = -1, otherRootViewId = -1,
        webAccViewId = -1, mailAccViewId = -1, otherAccViewId = -1;

    // The width the tree starts with.
    static constexpr int kTreeWidth = 180;

private:
    CViewSwitchSplitter* m_splitter = nullptr;
    CLeftView* m_leftView = nullptr;
};
