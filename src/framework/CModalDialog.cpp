#include "CModalDialog.h"

#include "CLockWatch.h"

CModalDialog::CModalDialog(QWidget* parent)
    : QDialog(parent), m_lockWatch(new CLockWatch(this, [this] { OnIdleCheck(); })) {}

void CModalDialog::SetIdleClose(int result, int resumeCommand) {
    m_idleResult = result;
    m_resumeCommand = resumeCommand;
}

void CModalDialog::SetUseIdleTimer(bool use) {
    m_lockWatch->SetEnabled(use);
}

bool CModalDialog::UsesIdleTimer() const {
    return m_lockWatch->IsEnabled();
}

void CModalDialog::reject() {
    done(IDCANCEL);
}

void CModalDialog::OnIdleCheck() {
    if (m_lockWatch->IsEnabled() && m_lockWatch->LockConditionHolds())
        CloseForLock();
}

void CModalDialog::CloseForLock() {
    // A message the dialog itself shows goes too, so that nothing stays above the lock.
    for (QDialog* inner : findChildren<QDialog*>())
        if (inner->isVisible())
            inner->reject();
    if (CActivityHost* host = CActivityHost::Current(); host && m_resumeCommand != 0)
        host->RequestResume(m_resumeCommand);
    done(m_idleResult);
}
