#include "CScreenLockSettingsDlg.h"

#include "CEditorApp.h"
#include "LegacyText.h"
#include "LockSettings.h"
#include "PasswordField.h"
#include "resource.h"

#include <KeyDerivation.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The banner across the top: a padlock over a dark screen.
QPixmap LockBanner(int width, int height) {
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, width, 0);
    sky.setColorAt(0, QColor(10, 30, 80));
    sky.setColorAt(1, QColor(40, 90, 170));
    p.fillRect(pixmap.rect(), sky);
    p.setPen(QColor(120, 200, 120, 140));
    for (int x = 6; x < width; x += 11)
        for (int y = (x * 7) % 13; y < height; y += 13)
            p.drawPoint(x, y);
    const qreal side = height * 0.8;
    const QRectF body(width - side * 1.4, height * 0.45, side * 0.9, side * 0.6);
    p.setPen(QPen(QColor(210, 210, 220), side * 0.1, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(body.left() + side * 0.15, body.top() - side * 0.4, side * 0.6, side * 0.7), 0,
              180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 180, 40));
    p.drawRoundedRect(body, side * 0.08, side * 0.08);
    p.setBrush(QColor(60, 40, 0));
    p.drawEllipse(body.center(), side * 0.07, side * 0.07);
    return pixmap;
}

QString TimeoutText(int minutes) {
    return minutes == 1 ? QObject::tr("1 minute") : QObject::tr("%1 minutes").arg(minutes);
}
} // namespace

CScreenLockSettingsDlg::CScreenLockSettingsDlg(LockSettings& settings, QWidget* parent)
    : CShellDialog(parent), m_settings(settings) {
    setWindowTitle(tr("Screen Lock Settings"));
    // No close box: OK or Cancel.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    SetIdleClose(IDCANCEL, ID_SCREEN_LOCK_OPTIONS);

    auto* banner = new QLabel(this);
    banner->setPixmap(LockBanner(DluX(222), DluY(34)));
    banner->setAlignment(Qt::AlignCenter);

    m_lockEnabled = new QCheckBox(tr("Lock the screen if idle for more then "), this);
    SetControlId(m_lockEnabled, IDC_LOCK_ENABLED);
    // A list without an edit part: only the eight idle times can be chosen.
    m_timeout = new QComboBox(this);
    m_timeout->setEditable(false);
    SetControlId(m_timeout, IDC_LOCK_TIMEOUT);
    for (int i = 0; i < kTimeoutEntries; ++i)
        m_timeout->addItem(TimeoutText(CEditorApp::TimeoutMinutes(i)));
    m_lockAtStartup = new QCheckBox(tr("Lock the screen at program startup..."), this);
    SetControlId(m_lockAtStartup, IDC_LOCK_AT_STARTUP);

    m_password = NewPasswordEdit(this);
    SetControlId(m_password, IDC_LOCK_PASSWORD);
    m_confirm = NewPasswordEdit(this);
    SetControlId(m_confirm, IDC_LOCK_CONFIRM);
    m_passwordEnabled = new QCheckBox(tr("Enable Screen Password"), this);
    SetControlId(m_passwordEnabled, IDC_LOCK_PASSWORD_ENABLED);
    // The text stands left of the box.
    m_passwordEnabled->setLayoutDirection(Qt::RightToLeft);
    m_prompt = new QLineEdit(this);
    m_prompt->setMaxLength(32767);
    SetControlId(m_prompt, IDC_LOCK_PROMPT);
    m_password->setEnabled(false);
    m_confirm->setEnabled(false);

    auto* passwordLabel = new QLabel(tr("Password:"), this);
    passwordLabel->setBuddy(m_password);
    auto* confirmLabel = new QLabel(tr("Confirm Password:"), this);
    confirmLabel->setBuddy(m_confirm);
    auto* promptLabel = new QLabel(tr("Prompt Text: "), this);
    promptLabel->setBuddy(m_prompt);

    QPushButton* ok = AddButton(tr("OK"), IDOK);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CScreenLockSettingsDlg::OnOk);
    QPushButton* cancel = AddEndButton(tr("Cancel"), IDCANCEL, IDCANCEL);

    auto* idleRow = new QHBoxLayout;
    idleRow->addWidget(m_lockEnabled);
    idleRow->addWidget(m_timeout);
    idleRow->addStretch();

    auto* group = new QGroupBox(tr("Screen Password:"), this);
    auto* fields = new QGridLayout(group);
    fields->addWidget(passwordLabel, 0, 0);
    fields->addWidget(m_password, 0, 1);
    fields->addWidget(confirmLabel, 1, 0);
    fields->addWidget(m_confirm, 1, 1);
    fields->addWidget(m_passwordEnabled, 2, 0, 1, 2, Qt::AlignLeft);
    fields->setColumnStretch(1, 1);

    auto* promptRow = new QHBoxLayout;
    promptRow->addWidget(promptLabel);
    promptRow->addWidget(m_prompt, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banner);
    layout->addLayout(idleRow);
    layout->addWidget(m_lockAtStartup);
    layout->addSpacing(DluY(kFieldGapDlu));
    layout->addWidget(group);
    layout->addLayout(promptRow);
    layout->addSpacing(DluY(kFieldGapDlu));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(DluX(236));

    for (QCheckBox* box : {m_lockEnabled, m_lockAtStartup, m_passwordEnabled})
        connect(box, &QCheckBox::toggled, this, &CScreenLockSettingsDlg::UpdateEnabled);
    // Working in the dialog is activity too.
    for (QLineEdit* edit : {m_password, m_confirm, m_prompt})
        connect(edit, &QLineEdit::textEdited, this, [] { StampActivity(); });
    connect(m_timeout, &QComboBox::activated, this, [] { StampActivity(); });
}

void CScreenLockSettingsDlg::OnInitDialog() {
    const int index = static_cast<int>(m_settings.timeoutIndex());
    // An index from a damaged file counts as the shortest time, as the idle timer takes it.
    m_timeout->setCurrentIndex(index >= 0 && index < kTimeoutEntries ? index : 0);
    m_prompt->setText(LegacyBytesToText(m_settings.promptText()));
    // Only the password's verifier is kept: boxes left empty keep the password set.
    const QString kept = m_settings.hasScreenPassword() ? tr("(unchanged)") : QString();
    m_password->setPlaceholderText(kept);
    m_confirm->setPlaceholderText(kept);
    m_lockEnabled->setChecked(m_settings.lockEnabled() != 0);
    m_lockAtStartup->setChecked(m_settings.lockAtStartup() != 0);
    m_passwordEnabled->setChecked(m_settings.passwordEnabled() != 0);
    UpdateEnabled();
    m_lockEnabled->setFocus();
}

void CScreenLockSettingsDlg::UpdateEnabled() {
    // Password and prompt matter once either lock is on; the idle time only for the idle lock.
    const bool anyLock = m_lockEnabled->isChecked() || m_lockAtStartup->isChecked();
    m_passwordEnabled->setEnabled(anyLock);
    m_prompt->setEnabled(anyLock);
    const bool passwordOn = anyLock && m_passwordEnabled->isChecked();
    m_password->setEnabled(passwordOn);
    m_confirm->setEnabled(passwordOn);
    m_timeout->setEnabled(m_lockEnabled->isChecked());
    StampActivity();
}

bool CScreenLockSettingsDlg::Refuse(const QString& message, QLineEdit* field) {
    QPointer<CScreenLockSettingsDlg> self(this);
    ShowMessageBox(this, QMessageBox::Warning, message);
    // The lock may have closed the dialog while the message was up.
    if (!self || !isVisible())
        return false;
    if (field->isEnabled()) {
        field->setFocus();
        field->selectAll();
    }
    return false;
}

void CScreenLockSettingsDlg::OnOk() {
    if (m_password->text() != m_confirm->text()) {
        QPointer<CScreenLockSettingsDlg> self(this);
        ShowMessageBox(this, QMessageBox::NoIcon, tr("Passwords don't match"));
        if (self && isVisible() && m_password->isEnabled())
            m_password->setFocus();
        return;
    }
    const QString password = CutPassword(m_password->text());
    const QString prompt = CutPassword(m_prompt->text());
    const bool keep = password.isEmpty() && m_settings.hasScreenPassword();
    // Switched on but empty, any key would unlock while the person believes a password is set.
    if (m_passwordEnabled->isChecked() && password.isEmpty() && !keep) {
        Refuse(tr("The screen password is empty. Type a screen password in both boxes, or clear "
                  "\"Enable Screen Password\"."),
               m_password);
        return;
    }
    // Characters the code page cannot hold would all be stored as the same byte and unlock
    // alike; refused, as file passwords are.
    QByteArray passwordBytes;
    if (!TextToLegacyBytes(password, passwordBytes)) {
        Refuse(PasswordCheckMessage(CheckCodePage(password)), m_password);
        return;
    }
    QByteArray promptBytes;
    if (!TextToLegacyBytes(prompt, promptBytes)) {
        WipeBytes(passwordBytes);
        Refuse(tr("The prompt text contains a character that the lock window cannot show "
                  "(code page %1). Please use other characters.")
                   .arg(LegacyCodePage()),
               m_prompt);
        return;
    }
    const bool stored = keep || m_settings.setScreenPassword(passwordBytes);
    WipeBytes(passwordBytes);
    if (!stored) {
        Refuse(tr("There is not enough memory to store the screen password."), m_password);
        return;
    }
    m_settings.setPromptText(promptBytes);
    m_settings.setLockEnabled(m_lockEnabled->isChecked() ? 1 : 0);
    m_settings.setLockAtStartup(m_lockAtStartup->isChecked() ? 1 : 0);
    m_settings.setPasswordEnabled(m_passwordEnabled->isChecked() ? 1 : 0);
    m_settings.setTimeoutIndex(static_cast<quint32>(m_timeout->currentIndex()));
    done(IDOK);
}
