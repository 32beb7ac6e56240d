#include "CScreenLockController.h"

#include "CEditorApp.h"
#include "CLockInputFilter.h"
#include "CLockWatch.h"
#include "CMDIChildWnd.h"
#include "CMainFrame.h"
#include "CScreenLockWnd.h"
#include "KeyDerivation.h"
#include "LegacyText.h"
#include "LockSettings.h"
#include "ResString.h"
#include "TickClock.h"
#include "resource.h"

#include <CPasswordDlg.h>
#include <CShellDialog.h>
#include <PasswordEncoding.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

namespace {
CEditorApp* App() {
    return qobject_cast<CEditorApp*>(CWinApp::Current());
}

QString ProgramTitle() {
    return ResString(IDS_APP_TITLE);
}

constexpr Qt::WindowStates kSizeStates = Qt::WindowMaximized | Qt::WindowFullScreen;
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
    // A copy: replacing or removing the settings file while locked changes nothing.
    CEditorApp* app = App();
    m_inForce = std::make_unique<LockSettings>(app ? app->GetLockSettings() : LockSettings());
    ClearOwnedSelections();
    ClosePopups();
    HoldSize();
    HideDocuments();
    auto* lockWnd = new CScreenLockWnd(m_frame);
    m_lockWnd = lockWnd;
    PlaceLockWindow();
    lockWnd->show();
    lockWnd->StartWithPrompt(prompt);
    lockWnd->setFocus();
    m_frame->m_locked = 1;
    ShowLockedCaption();
    CloseMessageBoxes();
    CloseDialogs();
}

void CScreenLockController::ClearOwnedSelections() {
    // Another program could paste what was selected or copied; what others put there stays.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && clipboard->ownsSelection())
        clipboard->clear(QClipboard::Selection);
    if (clipboard->ownsClipboard())
        clipboard->clear(QClipboard::Clipboard);
}

void CScreenLockController::ClosePopups() {
    QToolTip::hideText();
    // Menus, lists and completions: each closes as Esc would close it.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = top->windowType();
        if (top->isVisible() && (type == Qt::Popup || type == Qt::ToolTip))
            top->close();
    }
}

void CScreenLockController::HideDocuments() {
    // Hidden, not only covered: accessibility clients, screenshots of child windows and drag
    // sources see nothing. Windows opened while locked land in the hidden area too, and a
    // hidden maximised window gives the caption back instead of naming itself in it.
    QMdiArea* area = m_frame->MdiArea();
    m_activeBefore = area->activeSubWindow();
    QWidget* focus = QApplication::focusWidget();
    m_focusBefore = focus && focus->window() == m_frame ? focus : nullptr;
    area->hide();
}

void CScreenLockController::ShowDocuments() {
    QMdiArea* area = m_frame->MdiArea();
    area->show();
    if (m_activeBefore && area->subWindowList().contains(m_activeBefore.data()))
        area->setActiveSubWindow(m_activeBefore);
    if (CMDIChildWnd* child = m_frame->MDIGetActive())
        child->ActivateFrame();
    // The widget that had the keyboard gets it back, caret and selection as they were.
    if (m_focusBefore && m_focusBefore->isVisible())
        m_focusBefore->setFocus(Qt::OtherFocusReason);
    m_activeBefore = nullptr;
    m_focusBefore = nullptr;
}

void CScreenLockController::ShowLockedCaption() {
    // The widget's own title too: a document window that asks for its title in the caption is
    // put back at once, and nothing of it is left for the unlock to show.
    if (m_frame->windowTitle() != ProgramTitle())
        m_frame->setWindowTitle(ProgramTitle());
    if (QWindow* handle = m_frame->windowHandle())
        if (handle->title() != ProgramTitle())
            handle->setTitle(ProgramTitle());
}

void CScreenLockController::HoldSize() {
    m_minimumBefore = m_frame->minimumSize();
    m_maximumBefore = m_frame->maximumSize();
    m_lockedSize = m_frame->size();
    m_lockedState = m_frame->windowState() & kSizeStates;
    // Fixed limits also tell the window manager that the frame cannot be resized or maximised.
    m_frame->setFixedSize(m_lockedSize);
}

void CScreenLockController::ReleaseSize() {
    m_frame->setMinimumSize(m_minimumBefore);
    m_frame->setMaximumSize(m_maximumBefore);
}

void CScreenLockController::KeepLockedState() {
    // Once the state change has been handled: maximised or full screen goes back to how the
    // lock found it, and so does the size.
    if (m_stateFixQueued)
        return;
    m_stateFixQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_stateFixQueued = false;
        if (!IsLocked())
            return;
        const Qt::WindowStates state = m_frame->windowState();
        if ((state & kSizeStates) != m_lockedState)
            m_frame->setWindowState((state & ~kSizeStates) | m_lockedState);
        if (!m_frame->isMinimized() && m_frame->size() != m_lockedSize)
            m_frame->resize(m_lockedSize);
        PlaceLockWindow();
    });
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

void CScreenLockController::CloseDialogs() {
    if (m_unlocking)
        return;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(top);
        if (!dialog || !dialog->isVisible() || qobject_cast<QMessageBox*>(dialog))
            continue;
        // A dialog that watches for the lock closes its own way (it may ask to come back after
        // the unlock); one that was told to stay is left; any other is cancelled, such as a
        // dialog a dialog opened.
        const QList<CLockWatch*> watches =
            dialog->findChildren<CLockWatch*>(QString(), Qt::FindDirectChildrenOnly);
        if (watches.isEmpty())
            dialog->reject();
        for (CLockWatch* watch : watches)
            if (watch->IsEnabled())
                watch->Check();
    }
}

void CScreenLockController::OnTick() {
    if (!IsLocked() || m_unlocking)
        return;
    CloseMessageBoxes();
    CloseDialogs();
    ClosePopups();
}

void CScreenLockController::FrameEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
        PlaceLockWindow();
        if (IsLocked() && !m_frame->isMinimized() && m_frame->size() != m_lockedSize)
            KeepLockedState();
        break;
    case QEvent::WindowStateChange:
        if (IsLocked() && (m_frame->windowState() & kSizeStates) != m_lockedState)
            KeepLockedState();
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
    return AskPassword(app->GetLockSettings(), useIdleTimer);
}

quint32 CScreenLockController::GuessingDelayMs() const {
    const int over = m_wrongInARow - kFreeTries;
    if (over < 0)
        return 0;
    return over >= 5 ? kLongestWaitMs : qMin(kLongestWaitMs, 1000u << over);
}

bool CScreenLockController::AskPassword(const LockSettings& settings, bool useIdleTimer) {
    if (settings.passwordEnabled() == 0 || !settings.hasScreenPassword())
        return true;
    for (;;) {
        CPasswordDlg dlg(m_frame);
        dlg.m_screenMode = true;
        dlg.m_useIdleTimer = useIdleTimer;
        const quint32 delay = GuessingDelayMs();
        dlg.SetInputDelay(m_lastWrongAt, delay);
        if (dlg.DoModal() != IDOK)
            return false;
        if (TickClock::Now() - m_lastWrongAt < delay)
            continue; // not a try: the prompt was still waiting
        QByteArray typed;
        const bool representable =
            PasswordToLegacyBytes(dlg.m_password.View(), typed) == PasswordCheck::Ok;
        dlg.m_password.Clear();
        const bool right = representable && settings.IsScreenPassword(typed);
        WipeBytes(typed);
        if (right) {
            m_wrongInARow = 0;
            return true;
        }
        ++m_wrongInARow;
        m_lastWrongAt = TickClock::Now();
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
    const bool unlocked = !m_inForce || AskPassword(*m_inForce, false);
    m_unlocking = false;
    if (!unlocked) {
        if (m_lockWnd)
            m_lockWnd->setFocus();
        return false;
    }
    m_inForce.reset();
    delete m_lockWnd;
    m_frame->m_locked = 0;
    ReleaseSize();
    ShowDocuments();
    m_frame->StampActivity();
    // The settings as they are now, for the next lock.
    if (CEditorApp* app = App())
        app->LoadLockSettings();
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
