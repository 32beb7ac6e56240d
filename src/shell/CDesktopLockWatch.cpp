#include "CDesktopLockWatch.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QString>

namespace {
const char kScreenSaverService[] = "org.freedesktop.ScreenSaver";
const char kLogin1Service[] = "org.freedesktop.login1";

// The login manager's object path of a session: letters and digits as they are (a leading
// digit escaped), every other byte as _ and two hex digits.
QString SessionObjectPath(const QByteArray& id) {
    QString path = QStringLiteral("/org/freedesktop/login1/session/");
    for (int i = 0; i < id.size(); ++i) {
        const char c = id[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || (digit && i > 0))
            path += QLatin1Char(c);
        else
            path +=
                QStringLiteral("_%1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
    }
    return path;
}
} // namespace

CDesktopLockWatch::CDesktopLockWatch(QObject* parent) : QObject(parent) {
    // connect() on a bus that is not there simply fails; that is the "no such service" case.
    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        session.connect(QString(), QStringLiteral("/org/freedesktop/ScreenSaver"),
                        QString::fromLatin1(kScreenSaverService), QStringLiteral("ActiveChanged"),
                        this, SLOT(OnScreenSaverActiveChanged(bool)));
        session.connect(QString(), QStringLiteral("/ScreenSaver"),
                        QString::fromLatin1(kScreenSaverService), QStringLiteral("ActiveChanged"),
                        this, SLOT(OnScreenSaverActiveChanged(bool)));
    }
    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected()) {
        system.connect(QString::fromLatin1(kLogin1Service),
                       QStringLiteral("/org/freedesktop/login1"),
                       QStringLiteral("org.freedesktop.login1.Manager"),
                       QStringLiteral("PrepareForSleep"), this, SLOT(OnPrepareForSleep(bool)));
        // Lock is sent on the object of the session being locked: ours only.
        const QByteArray id = qgetenv("XDG_SESSION_ID");
        if (!id.isEmpty())
            system.connect(QString::fromLatin1(kLogin1Service), SessionObjectPath(id),
                           QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Lock"),
                           this, SLOT(OnSessionLock()));
    }
}

void CDesktopLockWatch::OnScreenSaverActiveChanged(bool active) {
    if (active)
        emit desktopLocked();
}

void CDesktopLockWatch::OnPrepareForSleep(bool sleeping) {
    if (sleeping)
        emit desktopLocked();
}

void CDesktopLockWatch::OnSessionLock() {
    emit desktopLocked();
}
