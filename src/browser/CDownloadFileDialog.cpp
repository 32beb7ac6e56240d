#include "CDownloadFileDialog.h"

#include "CActivityHost.h"

CDownloadFileDialog::CDownloadFileDialog(const QString& fileName, QWidget* parent)
    : CTimedFileDialog(false, QString(), fileName, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY,
                       QStringLiteral("All Files (*.*)|*.*||"), parent) {
    setWindowTitle(tr("Save Download As"));
}

void CDownloadFileDialog::OnIdleCheck() {
    CActivityHost* host = CActivityHost::Current();
    if (!host || !host->m_locked)
        return;
    for (QDialog* inner : findChildren<QDialog*>())
        if (inner->isVisible())
            inner->reject();
    reject();
}
