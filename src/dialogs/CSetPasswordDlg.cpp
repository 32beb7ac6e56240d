#include "CSetPasswordDlg.h"

#include "PasswordField.h"
#include "resource.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

CSetPasswordDlg::CSetPasswordDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(tr("Set Password"));
    // No close box: the person answers with Save/Set or Cancel.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    m_edit = NewPasswordEdit(this);
    SetControlId(m_edit, IDC_PASSWORD);
    m_confirm = NewPasswordEdit(this);
    SetControlId(m_confirm, IDC_CONFIRM_PASSWORD);
    m_edit->setMinimumWidth(DluX(110));
    m_confirm->setMinimumWidth(DluX(110));
    auto* label = new QLabel(tr("Password:"), this);
    label->setBuddy(m_edit);
    auto* confirmLabel = new QLabel(tr("Confirm Password:"), this);
    confirmLabel->setBuddy(m_confirm);
    m_problem = NewProblemLabel(this);
    m_strongBox = new QCheckBox(
        tr("&Strong encryption (this program only; older versions cannot open the file)"), this);
    SetControlId(m_strongBox, IDC_STRONG_ENCRYPTION);

    m_ok = AddButton(tr("Save"), IDOK);
    m_ok->setDefault(true);
    QPushButton* cancel = AddEndButton(tr("Cancel"), IDCANCEL, IDCANCEL);
    connect(m_ok, &QPushButton::clicked, this, &CSetPasswordDlg::OnOk);

    auto* fields = new QGridLayout;
    fields->addWidget(label, 0, 0);
    fields->addWidget(m_edit, 0, 1);
    fields->addWidget(confirmLabel, 1, 0);
    fields->addWidget(m_confirm, 1, 1);
    fields->addWidget(m_problem, 2, 0, 1, 2);
    fields->addWidget(m_strongBox, 3, 0, 1, 2);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(DluY(kFieldGapDlu));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Programmatic changes count as well: filling and emptying the fields runs the same rules.
    connect(m_edit, &QLineEdit::textChanged, this, &CSetPasswordDlg::OnPasswordChanged);
    connect(m_confirm, &QLineEdit::textChanged, this, &CSetPasswordDlg::OnConfirmChanged);
}

void CSetPasswordDlg::OnInitDialog() {
    if (m_setMode)
        m_ok->setText(tr("Set"));
    m_strongBox->setChecked(m_strong);
    // The fields keep their text: they get copies, never a view of a buffer that goes.
    const SecretString given = m_password;
    m_edit->setText(given.ToQString());
    OnPasswordChanged();
    m_confirm->setText(given.ToQString());
    OnConfirmChanged();
    if (m_password.isEmpty())
        m_ok->setEnabled(false);
    m_edit->setFocus();
}

void CSetPasswordDlg::OnPasswordChanged() {
    m_password = CutPassword(m_edit->text());
    ShowPasswordProblem(m_problem, CheckCodePage(m_password.View()));
    // Any change of the password asks for a fresh confirmation.
    if (!m_confirm->text().isEmpty())
        m_confirm->clear();
    else
        OnConfirmChanged();
    StampActivity();
}

void CSetPasswordDlg::OnConfirmChanged() {
    m_confirmEmpty = m_confirm->text().isEmpty();
    UpdateOk();
    StampActivity();
}

void CSetPasswordDlg::UpdateOk() {
    // A password the code page cannot hold is refused outright, never stored altered.
    m_ok->setEnabled(!m_confirmEmpty && m_problem->isHidden());
}

void CSetPasswordDlg::OnOk() {
    if (!m_ok->isEnabled())
        return;
    m_password = CutPassword(m_edit->text());
    if (m_password != CutPassword(m_confirm->text())) {
        QPointer<CSetPasswordDlg> self(this);
        QMessageBox box(QMessageBox::Warning, tr("Set Password"),
                        tr("The passwords you typed do not match. Type the password in both "
                           "text boxes."),
                        QMessageBox::Ok, this);
        m_message = &box;
        box.exec();
        if (!self)
            return;
        m_message = nullptr;
        // The lock may have ended the dialog while the message was up.
        if (!isVisible())
            return;
        m_confirm->clear();
        m_edit->clear();
        m_edit->setFocus();
        return;
    }
    const PasswordCheck check = CheckPassword(m_password.View());
    if (check != PasswordCheck::Ok) {
        // A weak key could neither encrypt nor decrypt: the save would fail later.
        ShowPasswordProblem(m_problem, check);
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    m_strong = m_strongBox->isChecked();
    done(IDOK);
}

void CSetPasswordDlg::OnIdleCheck() {
    CShellDialog::OnIdleCheck();
    if (!isVisible() && m_message)
        m_message->done(QMessageBox::Ok);
}
