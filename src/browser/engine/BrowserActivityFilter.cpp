#include "BrowserActivityFilter.h"

#include "BrowserEngineApi.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWebEngineView>
#include <QWidget>

void BrowserActivityFilter::Install(const BrowserHostHooks* hooks) {
    static QPointer<BrowserActivityFilter> installed;
    if (installed || !qApp)
        return;
    installed = new BrowserActivityFilter(hooks, qApp);
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
        if (!widget || !m_hooks->stampActivity || (m_hooks->isLocked && m_hooks->isLocked()))
            break;
        for (QWidget* w = widget; w; w = w->parentWidget()) {
            if (qobject_cast<QWebEngineView*>(w)) {
                m_hooks->stampActivity();
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
