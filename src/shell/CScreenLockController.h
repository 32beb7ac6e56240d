#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CLockInputFilter;
class CMainFrame;
class QEvent;
class QWidget;

// The main frame's screen lock: the lock window over everything below the menu bar, the filter
// that keeps input from the program's windows, the screen password check of the unlock and the
// commands that run again once it has lifted. The frame creates one and asks it.
class CScreenLockController : public QObject {
    Q_OBJECT
public:
    explicit CScreenLockController(CMainFrame* frame);
    ~CScreenLockController() override;

    // The commands run again after an unlock, in this order (both welcome flags open the
    // welcome page once).
    enum ResumeFlag {
        ResumeWelcomeAtStartup,
        ResumeWelcome,
        ResumeNew,
        ResumeLockOptions,
        ResumeOpen,
        ResumeSaveAs,
        ResumeAbout,
        ResumeFlagCount
    };
    // Marks the command a closing dialog asks for; false for a command the lock does not
    // bring back.
    bool RequestResume(int commandId);
    void SetResume(ResumeFlag flag, bool on) { m_resume[flag] = on ? 1 : 0; }
    bool IsResumePending(ResumeFlag flag) const { return m_resume[flag] != 0; }
    bool AnyResumePending() const;

    // Locks with the prompt of the stored settings (Lock, the idle timer, the start-up lock).
    void LockWithPrompt();
    // Locks with the fixed text, without reading the settings (57648).
    void LockWithDefaultText();
    // Covers the frame below its menu bar with the lock window.
    void Lock(const QString& prompt);
    // The whole unlock: the screen password when one is set, then the interrupted commands.
    // False when the person gave up; the screen stays locked.
    bool Unlock();
    // The password part of the unlock, without re-issuing commands.
    bool RemoveLock();
    // Starts an unlock once control is back in the event loop, unless one is running.
    void RequestUnlock();
    bool IsLocked() const;
    bool IsUnlocking() const { return m_unlocking; }
    // Asks for the screen password of the stored settings until it is right; false when the
    // person gave up. True at once when no password is set.
    bool AskScreenPassword(bool useIdleTimer);

    CMainFrame* Frame() const { return m_frame; }
    QWidget* LockWindow() const { return m_lockWnd; }

    // The frame's 100 ms tick while locked.
    void OnTick();
    // The frame's events the lock has a say in (its size, its caption); called after the frame
    // handled them.
    void FrameEvent(QEvent* event);

private:
    // Keeps the lock window over everything below the menu bar.
    void PlaceLockWindow();
    void CloseMessageBoxes();
    void ShowLockedCaption();

    CMainFrame* m_frame;
    QPointer<QWidget> m_lockWnd;
    CLockInputFilter* m_input = nullptr;
    quint8 m_resume[ResumeFlagCount] = {};
    bool m_unlocking = false;
    bool m_unlockQueued = false;
};
