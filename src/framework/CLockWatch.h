#pragma once

#include <QObject>

#include <functional>

class QDialog;
class QTimer;
class QWidget;

// Windows that show a document's content or act for it must not stay above the lock window.
// A watch checks every 100 ms while its window is visible whether the main frame has locked
// (however it locked: idle, on command, with the desktop) and then runs its action, normally
// closing the window.
class CLockWatch : public QObject {
    Q_OBJECT
public:
    CLockWatch(QWidget* window, std::function<void()> onLocked);

    // Dialogs that are not the program's own modal dialogs (find and replace, print, print
    // preview) close as cancelled once the frame has locked.
    static void CloseWhenLocked(QDialog* dialog);

    // Whether the watch runs while the window is visible (on by default).
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_enabled; }
    // True when the lock condition holds now.
    bool LockConditionHolds() const;
    // One tick: runs the action when the condition holds and the window is visible.
    void Check();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    std::function<void()> m_onLocked;
    QTimer* m_timer;
    bool m_enabled = true;
};
