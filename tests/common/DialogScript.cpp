#include "DialogScript.h"

#include <QApplication>
#include <QDialog>

namespace {
// Only the newest script answers; older ones of the same test stay quiet.
DialogScript* g_active = nullptr;
} // namespace

DialogScript::DialogScript() {
    g_active = this;
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &DialogScript::Tick);
    m_timer.start();
}

DialogScript::~DialogScript() {
    if (g_active == this)
        g_active = nullptr;
}

DialogScript& DialogScript::Then(Step step) {
    m_steps << std::move(step);
    return *this;
}

void DialogScript::Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (g_active != this || !modal || modal == m_last || !modal->isVisible())
        return;
    m_last = modal;
    m_seen << QString::fromLatin1(modal->metaObject()->className());
    if (m_steps.isEmpty()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        return;
    }
    Step step = m_steps.takeFirst();
    step(modal);
}
