#include "CLockInputFilter.h"

#include "CMainFrame.h"
#include "CScreenLockController.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QShortcut>
#include <QWidget>
#include <QWindow>

CLockInputFilter::CLockInputFilter(CScreenLockController* lock) : QObject(lock), m_lock(lock) {
    qApp->installEventFilter(this);
}

bool CLockInputFilter::IsUnlockWindow(QObject* watched) const {
    if (!m_lock->IsUnlocking())
        return false;
    QWidget* window = nullptr;
    if (auto* widget = qobject_cast<QWidget*>(watched))
        window = widget->window();
    else if (auto* shortcut = qobject_cast<QShortcut*>(watched)) {
        auto* owner = qobject_cast<QWidget*>(shortcut->parent());
        window = owner ? owner->window() : nullptr;
    } else if (auto* qwindow = qobject_cast<QWindow*>(watched))
        return qwindow != m_lock->Frame()->windowHandle();
    // The prompt and its Retry box are separate windows above the frame.
    return window && window != m_lock->Frame();
}

CLockInputFilter::Verdict CLockInputFilter::Judge(QObject* watched, QEvent* event) const {
    if (!m_lock->IsLocked())
        return Pass;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        // On a window system the window level sees the input first and it stops there; a
        // second request while one is queued changes nothing.
        return IsUnlockWindow(watched) ? Pass : SwallowAndUnlock;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::Gesture:
    case QEvent::NativeGesture:
        return IsUnlockWindow(watched) ? Pass : Swallow;
    default:
        return Pass;
    }
}

bool CLockInputFilter::eventFilter(QObject* watched, QEvent* event) {
    const Verdict verdict = Judge(watched, event);
    if (verdict == Pass)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Accepted, the key goes to the widget as a plain key press (swallowed here) instead
        // of firing a shortcut.
        event->accept();
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        static_cast<QDropEvent*>(event)->ignore(); // nothing is opened while locked
        break;
    default:
        break;
    }
    if (verdict == SwallowAndUnlock)
        m_lock->RequestUnlock();
    return true;
}
