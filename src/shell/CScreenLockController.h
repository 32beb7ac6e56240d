#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <memory>

class CLockInputFilter;
class CMainFrame;
class LockSettings;
class QEvent;
class QMdiSubWindow;
class QWidget;

// The main frame's screen lock: the lock window over everything below the menu bar, the filter
// that keeps input from the program's windows, the screen password check of the unlock and the
// commands that run again once it has lifted. The frame creates one and asks it.
//
// Nothing of a document leaves while locked: the selections the program owns are emptied,
// dialogs and popups close, the document area is hidden, the caption names the program alone
// and the frame keeps its size. Only the screen password in force when the lock fell lifts it,
// whatever happens to the settings file meanwhile.
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

    // After this many wrong screen passwords in a row each further try waits, doubling from
    // one second up to the longest wait.
    static constexpr int kFreeTries = 3;
    static constexpr quint32 kLongestWaitMs = 30000;
    // The wait before the prompt takes the next try, in milliseconds of the program's clock.
    quint32 GuessingDelayMs() const;
    int WrongTriesInARow() const { return m_wrongInARow; }

    CMainFrame* Frame() const { return m_frame; }
    QWidget* LockWindow() const { return m_lockWnd; }

    // The frame's 100 ms tick while locked.
    void OnTick();
    // The frame's events the lock has a say in (its size, its caption); called after the frame
    // handled them.
    void FrameEvent(QEvent* event);

private:
    bool AskPassword(const LockSettings& settings, bool useIdleTimer);
    // Keeps the lock window over everything below the menu bar.
    void PlaceLockWindow();
    void CloseMessageBoxes();
    // Every other dialog closes too, with the dialogs it opened.
    void CloseDialogs();
    void ClosePopups();
    void ClearOwnedSelections();
    void HideDocuments();
    void ShowDocuments();
    void ShowLockedCaption();
    void HoldSize();
    void ReleaseSize();
    void KeepLockedState();

    CMainFrame* m_frame;
    QPointer<QWidget> m_lockWnd;
    CLockInputFilter* m_input = nullptr;
    quint8 m_resume[ResumeFlagCount] = {};
    bool m_unlocking = false;
    bool m_unlockQueued = false;
    // The settings record in force when the lock fell; only its password unlocks.
    std::unique_ptr<LockSettings> m_inForce;
    int m_wrongInARow = 0;
    quint32 m_lastWrongAt = 0;
    // What the document area looked like, to give it back after the unlock.
    QPointer<QMdiSubWindow> m_activeBefore;
    QPointer<QWidget> m_focusBefore;
    // The frame's size limits before the lock held its size.
    QSize m_minimumBefore;
    QSize m_maximumBefore;
    QSize m_lockedSize;
    Qt::WindowStates m_lockedState;
    bool m_stateFixQueued = false;
};
