#pragma once

#include "CCmdTarget.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

class CCmdUI;
class CDocument;
class CMDIChildWnd;
class CView;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMimeData;
class QTimer;

// The main window of the document windows: a QMainWindow around a QMdiArea. It routes
// numeric command ids (active view, its document, its child frame, this frame, the
// application) and keeps the enabled and checked state of every command action up to date:
// when a menu is about to show and on a short idle timer.
class CMDIFrameWnd : public QMainWindow, public CCmdTarget {
    Q_OBJECT
public:
    explicit CMDIFrameWnd(QWidget* parent = nullptr);
    ~CMDIFrameWnd() override;

    QMdiArea* MdiArea() const { return m_mdiArea; }
    CMDIChildWnd* MDIGetActive() const;
    CDocument* GetActiveDocument() const;
    CView* GetActiveView() const;

    // The targets a command visits, in routing order.
    QList<CCmdTarget*> GetRoutingTargets() const;
    // Runs id through the routing when its update state allows it; false when nobody ran it.
    bool ExecuteCommand(int id);
    // Fills ui from the first target that knows the command; unknown commands are disabled.
    void UpdateCmdUI(CCmdUI* ui) const;
    // Whether commands may run at all now (a program may hold them back, as a screen lock
    // does); a command held back shows disabled and does not run.
    virtual bool CommandsAllowed() const { return true; }

    // A QAction that runs command id; its state follows the update pass.
    QAction* CreateCommandAction(int id, const QString& text, QObject* parent = nullptr);
    // The id of an action made by CreateCommandAction, else 0.
    static int CommandId(const QAction* action);
    // Updates the given actions, or every command action when the list is empty.
    void UpdateCommandActions(const QList<QAction*>& actions = {});
    // Runs the update pass over a menu's actions each time the menu is about to show.
    void WatchMenu(QMenu* menu);
    // A context menu's items show their status prompts in this frame, as the menu bar's do (a
    // popup keeps its own tips to itself), and the idle message comes back when it closes.
    void ShowStatusTipsOf(QMenu* menu);

    void SetIdleUpdateInterval(int ms);

    // Gives a document window most of the area, at place index of a cascade from the top-left
    // corner (one title bar down and right per place), starting again at the corner before a
    // window would leave the area.
    static void PlaceCascaded(QMdiArea* area, QMdiSubWindow* sub, qsizetype index);
    // Window > Cascade: every window that is not minimised, in the order they were opened, the
    // active one on top.
    void CascadeWindows();

    // Whether a drag carries files of this machine, which the frame opens; the document
    // windows leave those drags to it instead of inserting file names as text.
    static bool HasLocalFiles(const QMimeData* mime);

    // The status bar panes every program has; a frame may add its own after these.
    enum StatusPane { MessagePane = 0, PositionPane = 1 };
    // Writes a status bar pane; views reach it without knowing the program's frame.
    virtual void SetStatusPaneText(int index, const QString& text);

signals:
    // The active document window changed (null when none is left).
    void activeFrameChanged(CMDIChildWnd* frame);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Called when a menu is about to show, before its update pass.
    virtual void OnMenuAboutToShow(QMenu* menu);

private:
    void OnSubWindowActivated(QMdiSubWindow* sub);
    // Tells the active document that its window is in front now.
    void NotifyActiveDocument();
    void OnFocusChanged(QWidget* old, QWidget* now);

    QMdiArea* m_mdiArea;
    QTimer* m_idleUpdate;
    QList<QPointer<QAction>> m_commandActions;
};
