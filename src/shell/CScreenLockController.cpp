#include "CScreenLockController.h"

#include "CEditorApp.h"
#include "CLockInputFilter.h"
#include "CMDIChildWnd.h"
#include "CMainFrame.h"
#include "CScreenLockWnd.h"
#include "KeyDerivation.h"
#include "LegacyText.h"
#include "ResString.h"
#include "resource.h"

#include <CPasswordDlg.h>
#include <CShellDialog.h>
#include <PasswordEncoding.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

namespace {
CEditorApp* App() {
    return qobject_cast<CEditorApp*>(CWinApp::Current());
}
} // namespace

CScreenLockController::CScreenLockController(CMainFrame* frame)
    : QObject(frame), m_frame(frame), m_input(new CLockInputFilter(this)) {}

CScreenLockController::~CScreenLockController() {
    // The events sent while the frame's widgets are taken down must not reach the filter.
    delete m_input;
    m_input = nullptr;
}

bool CScreenLockController::IsLocked() const {
    return m_frame->m_locked != 0;
}

bool CScreenLockController::RequestResume(int commandId) {
    switch (commandId) {
    case ID_WIZARD:
        m_resume[ResumeWelcome] = 1;
        return true;
    case ID_FILE_NEW:
        m_resume[ResumeNew] = 1;
        return true;
    case ID_SCREEN_LOCK_OPTIONS:
        m_resume[ResumeLockOptions] = 1;
        return true;
    case ID_FILE_OPEN:
        m_resume[ResumeOpen] = 1;
        return true;
    case ID_FILE_SAVE_AS:
        m_resume[ResumeSaveAs] = 1;
        return true;
    case ID_APP_ABOUT:
        m_resume[ResumeAbout] = 1;
        return true;
    default:
        return false;
    }
}

bool CScreenLockController::AnyResumePending() const {
    for (quint8 flag : m_resume)
        if (flag)
            return true;
    return false;
}

void CScreenLockController::LockWithPrompt() {
    if (CEditorApp* app = App())
        app->LoadLockSettings();
    Lock(LegacyBytesToText(m_frame->m_promptText));
}

void CScreenLockController::LockWithDefaultText() {
    Lock(tr("Press any key to unlock the screen..."));
}

void CScreenLockController::PlaceLockWindow() {
    if (!m_lockWnd)
        return;
    // Everything below the menu bar: toolbar, document windows and status bar.
    QMenuBar* bar = m_frame->menuBar();
    const int top = bar && bar->isVisible() ? bar->geometry().bottom() + 1 : 0;
    m_lockWnd->setGeometry(0, top, m_frame->width(), m_frame->height() - top);
    m_lockWnd->raise();
}

void CScreenLockController::Lock(const QString& prompt) {
    if (IsLocked())
        return;
    auto* lockWnd = new CScreenLockWnd(m_frame);
    m_lockWnd = lockWnd;
    PlaceLockWindow();
    lockWnd->show();
    lockWnd->StartWithPrompt(prompt);
    lockWnd->setFocus();
    m_frame->m_locked = 1;
    ShowLockedCaption();
    CloseMessageBoxes();
}

void CScreenLockController::ShowLockedCaption() {
    // On the window itself: the widget's own title keeps following the document windows
    // (they rewrite it), but none of that reaches the screen until the unlock.
    if (QWindow* handle = m_frame->windowHandle())
        handle->setTitle(ResString(IDS_APP_TITLE));
}

void CScreenLockController::CloseMessageBoxes() {
    if (m_unlocking)
        return;
    // A question or a message open when the lock falls goes as No or Cancel; the program's
    // own dialogs and the choosers close themselves.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(top);
        if (!box || !box->isVisible())
            continue;
        // As Esc would: the box's Cancel or No answers.
        QAbstractButton* answer = box->escapeButton();
        for (QMessageBox::ButtonRole role : {QMessageBox::RejectRole, QMessageBox::NoRole}) {
            for (QAbstractButton* button : box->buttons())
                if (!answer && box->buttonRole(button) == role)
                    answer = button;
        }
        if (answer)
            answer->click();
        else
            box->reject();
    }
}

void CScreenLockController::OnTick() {
    if (IsLocked())
        CloseMessageBoxes();
}

void CScreenLockController::FrameEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
        PlaceLockWindow();
        break;
    case QEvent::WindowTitleChange:
        // While locked the caption names the program only: a document window that changes
        // its title must not show it.
        if (IsLocked())
            ShowLockedCaption();
        break;
    default:
        break;
    }
}

bool CScreenLockController::AskScreenPassword(bool useIdleTimer) {
    CEditorApp* app = App();
    if (!app)
        return true;
    app->LoadLockSettings();
    const LockSettings& settings = app->GetLockSettings();
    if (settings.passwordEnabled() == 0 || !settings.hasScreenPassword())
        return true;
    for (;;) {
        CPasswordDlg dlg(m_frame);
        dlg.m_screenMode = true;
        dlg.m_useIdleTimer = useIdleTimer;
        if (dlg.DoModal() != IDOK)
            return false;
        QByteArray typed;
        const bool representable =
            PasswordToLegacyBytes(dlg.m_password.View(), typed) == PasswordCheck::Ok;
        dlg.m_password.Clear();
        const bool right = representable && settings.IsScreenPassword(typed);
        WipeBytes(typed);
        if (right)
            return true;
        const auto answer =
            ShowMessageBox(m_frame, QMessageBox::Critical,
                           tr("You have entered an incrorrect screen password. Retry? "),
                           QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry);
        if (answer != QMessageBox::Retry)
            return false;
    }
}

bool CScreenLockController::RemoveLock() {
    if (!IsLocked())
        return true;
    if (m_unlocking)
        return false;
    m_unlocking = true;
    const bool unlocked = AskScreenPassword(false);
    m_unlocking = false;
    if (!unlocked) {
        if (m_lockWnd)
            m_lockWnd->setFocus();
        return false;
    }
    delete m_lockWnd;
    m_frame->m_locked = 0;
    // The caption the windows kept asking for while locked.
    if (QWindow* handle = m_frame->windowHandle())
        handle->setTitle(m_frame->windowTitle());
    m_frame->StampActivity();
    if (CMDIChildWnd* child = m_frame->MDIGetActive())
        child->ActivateFrame();
    return true;
}

void CScreenLockController::RequestUnlock() {
    if (m_unlocking || m_unlockQueued)
        return;
    m_unlockQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_unlockQueued = false;
        Unlock();
    });
}

bool CScreenLockController::Unlock() {
    if (!RemoveLock())
        return false;
    // The commands whose dialogs the lock closed, in their order.
    const struct {
        ResumeFlag flag;
        int command;
    } order[] = {{ResumeNew, ID_FILE_NEW},
                 {ResumeLockOptions, ID_SCREEN_LOCK_OPTIONS},
                 {ResumeSaveAs, ID_FILE_SAVE_AS},
                 {ResumeOpen, ID_FILE_OPEN},
                 {ResumeAbout, ID_APP_ABOUT}};
    if (m_resume[ResumeWelcomeAtStartup] || m_resume[ResumeWelcome]) {
        m_resume[ResumeWelcomeAtStartup] = m_resume[ResumeWelcome] = 0;
        m_frame->ExecuteCommand(ID_WIZARD);
    }
    for (const auto& step : order) {
        if (IsLocked())
            break; // locked again while a re-issued dialog was open: the rest waits
        if (!m_resume[step.flag])
            continue;
        m_resume[step.flag] = 0;
        m_frame->ExecuteCommand(step.command);
    }
    return true;
}
