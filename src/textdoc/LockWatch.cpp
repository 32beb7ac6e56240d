#include "LockWatch.h"

#include "CActivityHost.h"

#include <QDialog>
#include <QTimer>

void CloseWhenLocked(QDialog* dialog) {
    auto* timer = new QTimer(dialog);
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, dialog, [dialog] {
        CActivityHost* host = CActivityHost::Current();
        if (host && host->m_locked && dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}
