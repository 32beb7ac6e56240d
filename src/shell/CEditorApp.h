#pragma once

#include "CWinApp.h"
#include "LockSettings.h"

#include <QMutex>
#include <QSize>
#include <QString>

class CMainFrame;
class CMultiDocTemplate;

// The application: start-up, the three document types, the per-user settings (section
// "Settings" and the recent files) and the machine's screen-lock settings record.
class CEditorApp : public CWinApp {
    Q_OBJECT
public:
    CEditorApp();
    ~CEditorApp() override;

    // The file named on the command line, if any; set before InitInstance.
    void SetCommandLineFile(const QString& path) { m_commandLineFile = path; }
    bool InitInstance() override;
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

private:
    void RegisterDocTemplates();

    QString m_commandLineFile;
    QString m_lockSettingsPath;
    LockSettings m_lockSettings;
    QMutex m_lockSettingsMutex;
    CMainFrame* m_pMainFrame = nullptr;
};
