#pragma once

#include "CWinApp.h"
#include "LockSettings.h"

#include <QMutex>
#include <QSize>
#include <QString>
#include <QStringList>

class CMainFrame;
class CMultiDocTemplate;
class QTimer;

// The application: start-up, the three document types, the per-user settings (section
// "Settings" and the recent files) and the machine's screen-lock settings record.
class CEditorApp : public CWinApp {
    Q_OBJECT
public:
    CEditorApp();
    ~CEditorApp() override;

    // The files named on the command line, if any; set before InitInstance.
    void SetCommandLineFile(const QString& path) { m_commandLineFiles = QStringList{path}; }
    void SetCommandLineFiles(const QStringList& paths) { m_commandLineFiles = paths; }
    // False, with a line on standard error naming the file, when one is not a readable file,
    // or saying so when there are more than one start may hand over.
    static bool CheckCommandLineFiles(const QStringList& paths);
    bool InitInstance() override;

    // Files from outside the program: another start, the desktop, a drop. The frame comes to
    // the front at once; the files open as File Open would once the screen is unlocked and no
    // dialog is open, one after the other. None: the frame only comes to the front.
    // False, taking nothing, while the program is closing: the files would go with it; also
    // for more files at once than one start may hand over. A file already waiting is not
    // added again.
    bool ReceiveFiles(const QStringList& paths);
    // Whether ReceiveFiles takes files now.
    bool TakesFiles() const { return !m_closing; }
    // Set by the frame while its close asks about unsaved documents.
    void SetClosing(bool closing) { m_closing = closing; }
    // The received files still waiting to open.
    const QStringList& PendingFiles() const { return m_pendingFiles; }
    // Opens the waiting files when the program is ready for them; false while they wait.
    bool OpenPendingFiles();
    void BringToFront();
    // The welcome page once the event loop runs, when start-up shows it.
    void ShowStartupWelcome();

    CMainFrame* MainFrame() const;

    // The lock settings record: LoadLockSettings replaces it from the file (when the file reads
    // and decrypts) and pushes the idle time and prompt into the main frame.
    void LoadLockSettings();
    bool SaveLockSettings(QString* reason = nullptr);
    LockSettings& GetLockSettings() { return m_lockSettings; }
    QString LockSettingsPath() const;
    void SetLockSettingsPath(const QString& path) { m_lockSettingsPath = path; }

    // Minutes of the idle-time entry; an index outside the table gives the shortest time.
    static int TimeoutMinutes(int index);

    // Each argument holds the default on entry and the stored value on return.
    void ReadWindowPlacement(int& x, int& y, int& cx, int& cy, int& xScreen, int& yScreen) const;
    void SaveWindowPlacement(QWidget* window);
    int GetShowWelcome() const;
    void SetShowWelcome(int show);

    // The primary screen's size; tests may pretend another one.
    static QSize ScreenSize();
    static void SetScreenSizeForTesting(const QSize& size);

    CMultiDocTemplate* m_pTextTemplate = nullptr;
    CMultiDocTemplate* m_pPasswordsTemplate = nullptr;
    CMultiDocTemplate* m_pBrowserTemplate = nullptr;

protected:
    // The desktop's request to open a file (a drop on the dock icon) goes the same way.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RegisterDocTemplates();

    QStringList m_commandLineFiles;
    QStringList m_pendingFiles;
    QTimer* m_pendingTimer = nullptr;
    bool m_openingPending = false;
    bool m_closing = false;
    QString m_lockSettingsPath;
    LockSettings m_lockSettings;
    QMutex m_lockSettingsMutex;
    CMainFrame* m_pMainFrame = nullptr;
};
