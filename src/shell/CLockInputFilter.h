#pragma once

#include <QObject>

class CScreenLockController;

// While the frame is locked, nothing a person does with keyboard, mouse, touch screen or tablet
// pen may reach a document or run a command: key presses, shortcuts, input-method text, clicks,
// touches, pen strokes, gestures, wheel turns, context menus and drops aimed at any window of the
// program are swallowed, and a key press, a click, a touch or a pen press starts the unlock
// instead. While the unlock asks for the screen password, its own dialogs (the prompt and the
// Retry box) are the only windows that take input.
class CLockInputFilter : public QObject {
    Q_OBJECT
public:
    explicit CLockInputFilter(CScreenLockController* lock);

    // What to do with one event while locked.
    enum Verdict { Pass, Swallow, SwallowAndUnlock };
    Verdict Judge(QObject* watched, QEvent* event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True for the windows of the unlock in progress, which must take input.
    bool IsUnlockWindow(QObject* watched) const;

    CScreenLockController* m_lock;
};
