#include "CModalDialog.h"

#include <QTimer>

CModalDialog::CModalDialog(QWidget* parent) : QDialog(parent), m_idleTimer(new QTimer(this)) {
    m_idleTimer->setInterval(100);
    connect(m_idleTimer, &QTimer::timeout, this, &CModalDialog::OnIdleCheck);
}

void CModalDialog::SetIdleClose(int result, int resumeFlag) {
    m_idleResult = result;
    m_resumeFlag = resumeFlag;
}

void CModalDialog::reject() {
    done(IDCANCEL);
}

void CModalDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_useIdleTimer)
        m_idleTimer->start();
}

void CModalDialog::hideEvent(QHideEvent* event) {
    m_idleTimer->stop();
    QDialog::hideEvent(event);
}

void CModalDialog::OnIdleCheck() {
    CActivityHost* host = CActivityHost::Current();
    if (!host || !host->m_locked || !host->IsIdleTimeUp())
        return;
    if (m_resumeFlag >= 0 && m_resumeFlag < CActivityHost::ResumeFlagCount)
        host->m_resume[m_resumeFlag] = 1;
    done(m_idleResult);
}
