#include "CLockWatch.h"

#include "CActivityHost.h"

#include <QDialog>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {
const int kCheckIntervalMs = 100;
}

CLockWatch::CLockWatch(QWidget* window, std::function<void()> onLocked)
    : QObject(window), m_window(window), m_onLocked(std::move(onLocked)),
      m_timer(new QTimer(this)) {
    m_timer->setInterval(kCheckIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &CLockWatch::Check);
    window->installEventFilter(this);
    if (window->isVisible())
        m_timer->start();
}

void CLockWatch::CloseWhenLocked(QDialog* dialog) {
    new CLockWatch(dialog, [dialog] { dialog->reject(); });
}

void CLockWatch::SetEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled)
        m_timer->stop();
    else if (m_window->isVisible())
        m_timer->start();
}

bool CLockWatch::LockConditionHolds() const {
    const CActivityHost* host = CActivityHost::Current();
    return host && host->m_locked;
}

void CLockWatch::Check() {
    if (m_window->isVisible() && LockConditionHolds())
        m_onLocked();
}

bool CLockWatch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window) {
        if (event->type() == QEvent::Show && m_enabled)
            m_timer->start();
        else if (event->type() == QEvent::Hide)
            m_timer->stop();
    }
    return QObject::eventFilter(watched, event);
}
