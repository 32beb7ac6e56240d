#pragma once

#include "CActivityHost.h"
#include "CMDIFrameWnd.h"

#include <QByteArray>
#include <QList>

class CScreenLockController;
class QLabel;
class QMenu;
class QMimeData;
class QStatusBar;
class QTimer;
class QToolBar;

// The program's one top-level window: menus 128 (no document window) and 104 (a text or
// passwords window active), toolbar 128 with labels, the status bar, the accelerators, and the
// idle and lock state every other window reports to.
class CMainFrame : public CMDIFrameWnd, public CActivityHost {
    Q_OBJECT
public:
    // Where the web site command goes.
    static const char* const kWebSiteAddress;

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // After the message pane and the line and column pane (id 101): the lock-key indicators,
    // then the active document's format.
    enum IndicatorPane { CapsLockPane = PositionPane + 1, NumLockPane, ScrollLockPane, FormatPane };

    void SetStatusPaneText(int index, const QString& text) override;
    QString GetStatusPaneText(int index) const;

    // The menu resource shown now: 128 or 104.
    int CurrentMenuId() const { return m_currentMenuId; }
    const QList<QMenu*>& Menus(int menuId) const;
    QToolBar* ToolBar() const { return m_toolBar; }
    QStatusBar* StatusBar() const { return m_statusBar; }
    // The accelerator table's actions, one per command.
    const QList<QAction*>& Accelerators() const { return m_accelerators; }

    // Sets the geometry from the stored placement (or the defaults).
    void ApplyStoredPlacement();

    // The screen lock the frame asks.
    CScreenLockController* ScreenLock() const { return m_screenLock; }
    // A command a closing dialog asks to run again after the unlock.
    void RequestResume(int commandId) override;
    // Locks with the prompt of the stored settings (Lock, the idle timer, the start-up lock).
    void LockWithPrompt();
    // Locks with the fixed text, without reading the settings (57648).
    void LockWithDefaultText();
    // The whole unlock: the screen password when one is set, then the interrupted commands.
    // False when the person gave up; the screen stays locked.
    bool UnlockScreen();
    // The password part of the unlock, for a document asked to close while locked.
    bool UnlockForClose() override;
    bool IsUnlocking() const;
    bool CommandsAllowed() const override { return !m_locked; }
    // The caption the window system shows now (the program's name alone while locked).
    QString ShownCaption() const;

    // The lock prompt of the settings last read.
    QByteArray m_promptText;

    // The message pane's text while nothing else is said.
    static QString ReadyMessage();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Files dropped on a document window open too, instead of landing in it as text.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OnMenuAboutToShow(QMenu* menu) override;

    virtual void OnHelp();
    virtual void OnWebSite();
    virtual void OnWebBrowser();
    virtual void OnScreenLockOptions();
    void OnNewDocumentEncryption();
    void UpdateFormatPane();
    virtual void OnWelcome();
    virtual void OnAbout();

public:
    // The 100 ms frame timer: the idle lock; an open menu counts as activity.
    virtual void OnFrameTimer();

protected:
private:
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BuildAccelerators();
    void SwitchMenu(int menuId);
    void OnActiveFrameChanged();
    void SyncMenuToActiveFrame();
    void RefreshWindowList();
    void UpdateIndicators();
    void RefreshRecentFiles(QMenu* fileMenu);
    void OpenDroppedFiles(const QMimeData* mime);

    QList<QMenu*> m_defaultMenu;
    QList<QMenu*> m_documentMenu;
    QMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowListActions;
    int m_currentMenuId = 0;
    QToolBar* m_toolBar = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QList<QLabel*> m_panes;
    QList<QAction*> m_accelerators;
    // Before m_frameTimer: making the timer sends the frame an event, which asks the lock.
    CScreenLockController* m_screenLock = nullptr;
    QTimer* m_frameTimer;
};
