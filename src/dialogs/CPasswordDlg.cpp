#include "CPasswordDlg.h"

#include "DialogIcons.h"
#include "PasswordField.h"
#include "resource.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CPasswordDlg::CPasswordDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(tr("Enter Password"));

    auto* icon = new QLabel(this);
    icon->setPixmap(DialogIcon(IDI_PASSWORD).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_edit = NewPasswordEdit(this);
    SetControlId(m_edit, IDC_PASSWORD);
    m_edit->setMinimumWidth(DluX(180));
    m_label = new QLabel(tr("File Password:"), this);
    SetControlId(m_label, IDC_PASSWORD_LABEL);
    m_label->setBuddy(m_edit);
    m_problem = NewProblemLabel(this);

    m_ok = AddButton(tr("OK"), IDOK);
    m_ok->setDefault(true);
    QPushButton* cancel = AddEndButton(tr("Cancel"), IDCANCEL, IDCANCEL);
    connect(m_ok, &QPushButton::clicked, this, &CPasswordDlg::OnOk);

    auto* field = new QVBoxLayout;
    field->addWidget(m_label);
    field->addWidget(m_edit);
    field->addWidget(m_problem);
    field->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(icon);
    layout->addLayout(field, 1);
    layout->addSpacing(DluX(kIconGapDlu));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_edit, &QLineEdit::textChanged, this, &CPasswordDlg::OnPasswordChanged);
}

void CPasswordDlg::OnInitDialog() {
    m_ok->setEnabled(false);
    SetUseIdleTimer(m_useIdleTimer);
    if (m_screenMode)
        m_label->setText(tr("Screen Password:"));
    m_edit->setFocus();
}

void CPasswordDlg::OnPasswordChanged() {
    m_password = CutPassword(m_edit->text());
    // A screen password is compared, never keyed: refusing characters here could lock the
    // person out of a password chosen before.
    const PasswordCheck check =
        m_screenMode ? (m_password.isEmpty() ? PasswordCheck::Empty : PasswordCheck::Ok)
                     : CheckCodePage(m_password.View());
    ShowPasswordProblem(m_problem, check);
    m_ok->setEnabled(check == PasswordCheck::Ok);
    StampActivity();
}

void CPasswordDlg::OnOk() {
    m_password = CutPassword(m_edit->text());
    if (!m_ok->isEnabled())
        return;
    done(IDOK);
}
