#include "BrowserActivityFilter.h"

#include "CActivityHost.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWebEngineView>
#include <QWidget>

void BrowserActivityFilter::Install() {
    static QPointer<BrowserActivityFilter> installed;
    if (installed || !qApp)
        return;
    installed = new BrowserActivityFilter(qApp);
    qApp->installEventFilter(installed);
}

bool BrowserActivityFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel: {
        auto* widget = qobject_cast<QWidget*>(watched);
        CActivityHost* host = CActivityHost::Current();
        if (!widget || !host || host->m_locked)
            break;
        for (QWidget* w = widget; w; w = w->parentWidget()) {
            if (qobject_cast<QWebEngineView*>(w)) {
                host->StampActivity();
                break;
            }
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
