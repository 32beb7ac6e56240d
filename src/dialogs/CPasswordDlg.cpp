#include "CPasswordDlg.h"

#include "DialogIcons.h"
#include "PasswordField.h"
#include "TickClock.h"
#include "resource.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

CPasswordDlg::CPasswordDlg(QWidget* parent)
    : CShellDialog(parent), m_wait(new QLabel(this)), m_waitTimer(new QTimer(this)) {
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
    m_wait->setObjectName(QStringLiteral("wait"));
    m_wait->hide();
    m_waitTimer->setInterval(200);
    connect(m_waitTimer, &QTimer::timeout, this, &CPasswordDlg::UpdateWait);

    m_ok = AddButton(tr("OK"), IDOK);
    m_ok->setDefault(true);
    QPushButton* cancel = AddEndButton(tr("Cancel"), IDCANCEL, IDCANCEL);
    connect(m_ok, &QPushButton::clicked, this, &CPasswordDlg::OnOk);

    auto* field = new QVBoxLayout;
    field->addWidget(m_label);
    field->addWidget(m_edit);
    field->addWidget(m_problem);
    field->addWidget(m_wait);
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
    UpdateWait();
}

void CPasswordDlg::SetInputDelay(quint32 from, quint32 ms) {
    m_waitFrom = from;
    m_waitMs = ms;
    UpdateWait();
}

void CPasswordDlg::UpdateWait() {
    if (m_waitMs == 0) {
        m_waitTimer->stop();
        return;
    }
    const quint32 elapsed = TickClock::Now() - m_waitFrom;
    if (elapsed >= m_waitMs) {
        m_waitMs = 0;
        m_waitTimer->stop();
        m_wait->hide();
        m_edit->setReadOnly(false);
        m_edit->setFocus();
        OnPasswordChanged();
        return;
    }
    const int seconds = static_cast<int>((m_waitMs - elapsed + 999) / 1000);
    m_wait->setText(seconds == 1 ? tr("Too many wrong passwords: wait 1 second.")
                                 : tr("Too many wrong passwords: wait %1 seconds.").arg(seconds));
    m_wait->show();
    // Read-only rather than disabled: the focus stays in the field, so keys typed meanwhile
    // do not reach the Cancel button.
    m_edit->setReadOnly(true);
    m_ok->setEnabled(false);
    m_waitTimer->start();
}

void CPasswordDlg::OnPasswordChanged() {
    m_password = CutPassword(m_edit->text());
    // A screen password is compared, never keyed: refusing characters here could lock the
    // person out of a password chosen before.
    const PasswordCheck check =
        m_screenMode ? (m_password.isEmpty() ? PasswordCheck::Empty : PasswordCheck::Ok)
                     : CheckCodePage(m_password.View());
    ShowPasswordProblem(m_problem, check);
    m_ok->setEnabled(check == PasswordCheck::Ok && !IsWaiting());
    StampActivity();
}

void CPasswordDlg::OnOk() {
    m_password = CutPassword(m_edit->text());
    if (!m_ok->isEnabled() || IsWaiting())
        return;
    done(IDOK);
}
