#include "CEditorApp.h"

#include "CDocManager.h"
#include "CMainFrame.h"
#include "CMultiDocTemplate.h"
#include "CScreenLockController.h"
#include "CSingleInstance.h"
#include "CWelcomeDlg.h"
#include "DataFolder.h"
#include "LockSettingsFile.h"
#include "ResString.h"
#include "ShellRegistration.h"
#include "resource.h"

#include "BrowserDocType.h"

#include <CEditorView.h>
#include <PasswordsDocType.h>
#include <TextDocType.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileOpenEvent>
#include <QGuiApplication>
#include <QMutexLocker>
#include <QScreen>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace {
const QString kSettings = QStringLiteral("Settings");
QSize g_testScreen;
} // namespace

CEditorApp::CEditorApp() : CWinApp(ResString(IDS_APP_TITLE)), m_pendingTimer(new QTimer(this)) {
    // Waiting files are tried again on every tick until they are open.
    m_pendingTimer->setInterval(100);
    connect(m_pendingTimer, &QTimer::timeout, this, [this] { OpenPendingFiles(); });
    // Print Setup chooses the printer for every window, so the application answers it.
    OnCommand(ID_FILE_PRINT_SETUP, [this] { CEditorView::PrintSetup(m_pMainFrame); });
}

CEditorApp::~CEditorApp() {
    GetDocManager()->CloseAllDocuments();
    delete m_pMainFrame;
    m_lockSettings.Wipe();
}

CMainFrame* CEditorApp::MainFrame() const {
    return m_pMainFrame;
}

void CEditorApp::RegisterDocTemplates() {
    m_pTextTemplate = CreateTextDocTemplate();
    m_pTextTemplate->SetSharedMenu(IDR_TEXTTYPE);
    AddDocTemplate(m_pTextTemplate);
    m_pPasswordsTemplate = CreatePasswordsDocTemplate();
    AddDocTemplate(m_pPasswordsTemplate);
    m_pBrowserTemplate = CreateBrowserDocTemplate();
    AddDocTemplate(m_pBrowserTemplate);
}

bool CEditorApp::InitInstance() {
    SetRegistryKey(QStringLiteral("Keystow"));
    SetDataFolder(KeystowDataFolder());
    LoadStdProfileSettings(4);
    RegisterDocTemplates();

    m_pMainFrame = new CMainFrame;
    SetMainWnd(m_pMainFrame);
    m_pMainFrame->setAcceptDrops(true);
    RegisterShellFileTypesUnlessInstalled(QCoreApplication::applicationFilePath());

    LoadLockSettings();

    if (!m_commandLineFiles.isEmpty()) {
        // The files open before the window shows; when none opens (a refused password, a
        // file that does not decrypt) the program ends, unless files handed over meanwhile
        // wait.
        if (!CheckCommandLineFiles(m_commandLineFiles))
            return false;
        int opened = 0;
        for (const QString& path : std::as_const(m_commandLineFiles))
            opened += OpenDocumentFile(path) ? 1 : 0;
        if (opened == 0 && m_pendingFiles.isEmpty())
            return false;
    } else if (m_lockSettings.lockAtStartup()) {
        // Locked before anything shows; the welcome page waits for the screen password.
        CScreenLockController* lock = m_pMainFrame->ScreenLock();
        lock->SetResume(CScreenLockController::ResumeWelcomeAtStartup, false);
        lock->LockWithPrompt();
        if (GetShowWelcome())
            lock->SetResume(CScreenLockController::ResumeWelcomeAtStartup, true);
    }
    qApp->installEventFilter(this);
    m_pMainFrame->show();
    return true;
}

bool CEditorApp::CheckCommandLineFiles(const QStringList& paths) {
    if (paths.size() > CSingleInstance::kMaxFiles) {
        std::fprintf(stderr, "keystow: too many files (%d); at most %d open at one start\n",
                     int(paths.size()), CSingleInstance::kMaxFiles);
        return false;
    }
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.isFile() || !info.isReadable()) {
            std::fprintf(stderr, "keystow: cannot open %s: %s\n",
                         qPrintable(QDir::toNativeSeparators(path)),
                         info.exists() ? "not a readable file" : "no such file");
            return false;
        }
    }
    return true;
}

bool CEditorApp::ReceiveFiles(const QStringList& paths) {
    if (!TakesFiles() || paths.size() > CSingleInstance::kMaxFiles)
        return false;
    // Each file once, however many arrive: a set, not a search through the list per file.
    QSet<QString> waiting(m_pendingFiles.cbegin(), m_pendingFiles.cend());
    for (const QString& path : paths) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (!waiting.contains(absolute)) {
            waiting.insert(absolute);
            m_pendingFiles.append(absolute);
        }
    }
    BringToFront();
    if (!m_pendingFiles.isEmpty()) {
        m_pendingTimer->start();
        QTimer::singleShot(0, this, [this] { OpenPendingFiles(); });
    }
    return true;
}

void CEditorApp::BringToFront() {
    CMainFrame* frame = m_pMainFrame;
    if (!frame)
        return;
    if (frame->isMinimized())
        frame->setWindowState(frame->windowState() & ~Qt::WindowMinimized);
    frame->show();
    frame->raise();
    frame->activateWindow();
    // A window manager gives the focus to another program's window only when asked this way.
    if (QWindow* window = frame->windowHandle())
        window->requestActivate();
}

bool CEditorApp::OpenPendingFiles() {
    // A tick during a file's password prompt: that file is off the list but not open yet.
    if (m_openingPending)
        return false;
    if (m_pendingFiles.isEmpty()) {
        m_pendingTimer->stop();
        return true;
    }
    CMainFrame* frame = m_pMainFrame;
    // Nothing of a file shows over the lock, nor in the middle of another dialog; the start
    // page only asks what to open, and a file from outside answers that.
    if (!frame || frame->m_locked || frame->IsUnlocking())
        return false;
    if (auto* welcome = qobject_cast<CWelcomeDlg*>(QApplication::activeModalWidget())) {
        welcome->reject();
        return false; // the next tick, once the page has gone
    }
    if (QApplication::activeModalWidget())
        return false;
    m_openingPending = true;
    while (!m_pendingFiles.isEmpty() && !frame->m_locked) {
        const QString path = m_pendingFiles.takeFirst();
        if (OpenDocumentFile(path) || !frame->m_locked)
            continue;
        // The lock closed its password prompt: it asks again after the unlock.
        m_pendingFiles.prepend(path);
    }
    m_openingPending = false;
    if (!m_pendingFiles.isEmpty())
        return false;
    m_pendingTimer->stop();
    return true;
}

bool CEditorApp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FileOpen && watched == qApp) {
        auto* open = static_cast<QFileOpenEvent*>(event);
        const QString path = open->file().isEmpty() ? open->url().toLocalFile() : open->file();
        if (!path.isEmpty())
            ReceiveFiles({path});
        return true;
    }
    return CWinApp::eventFilter(watched, event);
}

void CEditorApp::ShowStartupWelcome() {
    // Not after a file named on the command line, and not while the start-up lock holds (the
    // page then opens after the unlock).
    if (!m_commandLineFiles.isEmpty() || !m_pendingFiles.isEmpty() || !m_pMainFrame ||
        m_pMainFrame->m_locked || !GetShowWelcome())
        return;
    CMainFrame* frame = m_pMainFrame;
    QTimer::singleShot(0, frame, [frame] { frame->ExecuteCommand(ID_WIZARD); });
}

QString CEditorApp::LockSettingsPath() const {
    return m_lockSettingsPath.isEmpty() ? LockSettingsFile::Path() : m_lockSettingsPath;
}

void CEditorApp::LoadLockSettings() {
    // A file that is missing or does not decrypt changes nothing, in the frame neither.
    if (!LockSettingsFile::Read(LockSettingsPath(), m_lockSettings))
        return;
    if (CMainFrame* frame = m_pMainFrame) {
        frame->m_timeoutSeconds = static_cast<quint32>(
            TimeoutMinutes(static_cast<int>(m_lockSettings.timeoutIndex())) * 60);
        frame->m_promptText = m_lockSettings.promptText();
    }
}

bool CEditorApp::SaveLockSettings(QString* reason) {
    QMutexLocker locker(&m_lockSettingsMutex);
    const QString path = LockSettingsPath();
    QString why;
    if (LockSettingsFile::Write(path, m_lockSettings, &why))
        return true;
    // A sentence for the person: which file and why, never the settings themselves.
    if (reason)
        *reason = path.isEmpty()
                      ? QStringLiteral("The screen lock settings could not be saved: %1").arg(why)
                      : QStringLiteral("The screen lock settings could not be saved to %1: %2")
                            .arg(QDir::toNativeSeparators(path), why);
    return false;
}

int CEditorApp::TimeoutMinutes(int index) {
    static const int minutes[] = {1, 2, 3, 5, 10, 15, 30, 60};
    if (index < 0 || index >= static_cast<int>(sizeof(minutes) / sizeof(minutes[0])))
        return minutes[0];
    return minutes[index];
}

void CEditorApp::ReadWindowPlacement(int& x, int& y, int& cx, int& cy, int& xScreen,
                                     int& yScreen) const {
    x = GetProfileInt(kSettings, QStringLiteral("X"), x);
    y = GetProfileInt(kSettings, QStringLiteral("Y"), y);
    cx = GetProfileInt(kSettings, QStringLiteral("CX"), cx);
    cy = GetProfileInt(kSettings, QStringLiteral("CY"), cy);
    xScreen = GetProfileInt(kSettings, QStringLiteral("XScreen"), xScreen);
    yScreen = GetProfileInt(kSettings, QStringLiteral("YScreen"), yScreen);
}

void CEditorApp::SaveWindowPlacement(QWidget* window) {
    // A maximised or minimised window is stored with its normal rectangle.
    const bool normal = !(window->isMaximized() || window->isMinimized() || window->isFullScreen());
    const QRect rect = normal ? window->geometry() : window->normalGeometry();
    if (!rect.isValid())
        return;
    const QSize screen = ScreenSize();
    WriteProfileInt(kSettings, QStringLiteral("X"), rect.x());
    WriteProfileInt(kSettings, QStringLiteral("Y"), rect.y());
    WriteProfileInt(kSettings, QStringLiteral("CX"), rect.width());
    WriteProfileInt(kSettings, QStringLiteral("CY"), rect.height());
    WriteProfileInt(kSettings, QStringLiteral("XScreen"), screen.width());
    WriteProfileInt(kSettings, QStringLiteral("YScreen"), screen.height());
}

int CEditorApp::GetShowWelcome() const {
    return GetProfileInt(kSettings, QStringLiteral("wzrd"), 1);
}

void CEditorApp::SetShowWelcome(int show) {
    WriteProfileInt(kSettings, QStringLiteral("wzrd"), show);
}

QSize CEditorApp::ScreenSize() {
    if (g_testScreen.isValid())
        return g_testScreen;
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

void CEditorApp::SetScreenSizeForTesting(const QSize& size) {
    g_testScreen = size;
}
