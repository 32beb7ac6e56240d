#include "CDecryptFailedDlg.h"

#include "DialogIcons.h"
#include "resource.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CDecryptFailedDlg::CDecryptFailedDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(AppCaption());
    SetIdleClose(0);

    auto* icon = new QLabel(this);
    icon->setPixmap(DialogIcon(IDI_DECRYPT_FAILED).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_message = new QLabel(tr("Failed to decrypt the file. "), this);
    SetControlId(m_message, IDC_DECRYPT_FAILED_TEXT);
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    auto* advice = new QLabel(tr("Please check the password and try again."), this);
    QPushButton* ok = AddEndButton(tr("OK"), IDOK, IDOK);
    ok->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(m_message);
    texts->addWidget(advice);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(DluX(4));
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(DluY(4));
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CDecryptFailedDlg::OnInitDialog() {
    const QString name = QFileInfo(m_fileName).fileName();
    m_message->setText(tr("Failed to decrypt the file: %1").arg(name));
    if (QWidget* ok = GetDlgItem(IDOK))
        ok->setFocus();
}
