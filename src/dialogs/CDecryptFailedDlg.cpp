#include "CDecryptFailedDlg.h"

#include "resource.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

CDecryptFailedDlg::CDecryptFailedDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(AppCaption());
    SetIdleClose(0);

    m_message = new QLabel(tr("Failed to decrypt the file. "), this);
    SetControlId(m_message, IDC_DECRYPT_FAILED_TEXT);
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    auto* advice = new QLabel(tr("Please check the password and try again."), this);
    QPushButton* ok = AddEndButton(tr("OK"), IDOK, IDOK);
    ok->setDefault(true);

    LayOutMessage(IDI_DECRYPT_FAILED, {m_message, advice}, {ok}, 4);
}

void CDecryptFailedDlg::OnInitDialog() {
    const QString name = QFileInfo(m_fileName).fileName();
    m_message->setText(tr("Failed to decrypt the file: %1").arg(name));
    if (QWidget* ok = GetDlgItem(IDOK))
        ok->setFocus();
}
