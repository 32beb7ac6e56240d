#include "DialogScript.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {
// Only the newest script answers; older ones of the same test stay quiet.
DialogScript* g_active = nullptr;

void Cancel(QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}
} // namespace

DialogScript::DialogScript() {
    g_active = this;
    qApp->installEventFilter(this);
}

DialogScript::~DialogScript() {
    qApp->removeEventFilter(this);
    if (g_active == this)
        g_active = nullptr;
}

DialogScript& DialogScript::Then(Step step) {
    m_steps << std::move(step);
    return *this;
}

bool DialogScript::eventFilter(QObject* watched, QEvent* event) {
    if (g_active != this)
        return QObject::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !widget->isWindow())
        return QObject::eventFilter(watched, event);
    // A spontaneous Show is a window coming back from the window system, not a new dialog.
    if (event->type() == QEvent::Show && !event->spontaneous() && widget->isModal()) {
        m_pending << widget;
        if (widget->isActiveWindow()) {
            AnswerSoon(widget);
        } else {
            // Should the window system never activate it, the dialog is answered anyway.
            QPointer<QWidget> modal(widget);
            QTimer::singleShot(1000, this, [this, modal] { AnswerSoon(modal); });
        }
    } else if (event->type() == QEvent::WindowActivate && m_pending.contains(widget)) {
        AnswerSoon(widget);
    } else if (event->type() == QEvent::Hide && !event->spontaneous() && widget->isModal()) {
        // A dialog in front again after the one it opened (a message) went: its next step.
        QTimer::singleShot(0, this, [this] {
            if (g_active != this)
                return;
            QWidget* front = QApplication::activeModalWidget();
            if (front && front != m_last && front->isVisible() && !m_pending.contains(front)) {
                m_pending << front;
                AnswerSoon(front);
            }
        });
    }
    return QObject::eventFilter(watched, event);
}

void DialogScript::AnswerSoon(QWidget* modal) {
    // Show and activation come from inside show(); exec() starts its loop right after.
    QPointer<QWidget> guard(modal);
    QTimer::singleShot(0, this, [this, guard] {
        if (!guard || !m_pending.removeOne(guard))
            return;
        if (guard->isVisible())
            Answer(guard);
    });
}

void DialogScript::Answer(QWidget* modal) {
    m_last = modal;
    m_seen << QString::fromLatin1(modal->metaObject()->className());
    if (m_steps.isEmpty()) {
        Cancel(modal);
        return;
    }
    const Step step = m_steps.takeFirst();
    QPointer<QWidget> guard(modal);
    step(modal);
    if (!guard || !guard->isVisible())
        return;
    // A failed check left the step early: the dialog would wait for an answer forever.
    if (QTest::currentTestFailed()) {
        Cancel(guard);
        return;
    }
    // A step may leave its dialog to the program (a timer, a later event), but not for long.
    QTimer::singleShot(10000, this, [guard] {
        if (!guard || !guard->isVisible())
            return;
        QTest::qFail("a dialog stayed open long after its step", __FILE__, __LINE__);
        Cancel(guard);
    });
}
