#pragma once

#include <QObject>

// People expect their passwords to lock together with the desktop. This listens on the
// session and system buses for the desktop's screen saver turning on, the login session being
// locked and the machine preparing to sleep, and reports each as desktopLocked(). Where no such
// service exists nothing happens and nothing is printed.
class CDesktopLockWatch : public QObject {
    Q_OBJECT
public:
    explicit CDesktopLockWatch(QObject* parent = nullptr);

signals:
    void desktopLocked();

private slots:
    void OnScreenSaverActiveChanged(bool active);
    void OnPrepareForSleep(bool sleeping);
    void OnSessionLock();
};
