#pragma once

#include "CCmdTarget.h"
#include "CRecentFileList.h"

#include <QObject>
#include <QString>

#include <memory>

class CDocManager;
class CDocument;
class CMDIFrameWnd;
class CMultiDocTemplate;

// The application object: one per run, reachable through Current(). It owns the document
// manager with its templates and the recent-file list, keeps the per-user settings under
// QSettings(company, application name), and is the last target of command routing.
class CWinApp : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    explicit CWinApp(const QString& appName, QObject* parent = nullptr);
    ~CWinApp() override;

    static CWinApp* Current();

    // Start-up; false ends the program.
    virtual bool InitInstance() { return true; }
    virtual int ExitInstance() { return 0; }

    CMDIFrameWnd* GetMainWnd() const { return m_pMainWnd; }
    void SetMainWnd(CMDIFrameWnd* frame) { m_pMainWnd = frame; }

    // Settings live under QSettings(company, application name).
    void SetRegistryKey(const QString& company) { m_company = company; }
    const QString& GetCompany() const { return m_company; }
    const QString& GetAppName() const { return m_appName; }
    int GetProfileInt(const QString& section, const QString& entry, int defaultValue) const;
    void WriteProfileInt(const QString& section, const QString& entry, int value);
    QString GetProfileString(const QString& section, const QString& entry,
                             const QString& defaultValue = QString()) const;
    void WriteProfileString(const QString& section, const QString& entry, const QString& value);

    // The folder for the program's own files (lock settings, browser history); the program
    // decides where it is. Empty: those files are neither read nor written.
    const QString& GetDataFolder() const { return m_dataFolder; }
    void SetDataFolder(const QString& folder) { m_dataFolder = folder; }

    // Reads the recent-file list ("Recent File List", File1..FileN).
    void LoadStdProfileSettings(int maxRecentFiles = 4);
    void AddToRecentFileList(const QString& path);
    CRecentFileList* GetRecentFileList() const { return m_pRecentFileList.get(); }

    CDocManager* GetDocManager() const { return m_pDocManager.get(); }
    void AddDocTemplate(CMultiDocTemplate* tmpl);
    virtual CDocument* OpenDocumentFile(const QString& path);

    // Standard command handlers, reachable when nothing earlier in the routing takes them.
    virtual void OnFileNew();
    virtual void OnFileOpen();
    virtual void OnOpenRecentFile(int id);
    virtual void OnAppExit();

signals:
    void recentFilesChanged();

private:
    QString m_company;
    QString m_appName;
    QString m_dataFolder;
    CMDIFrameWnd* m_pMainWnd = nullptr;
    std::unique_ptr<CDocManager> m_pDocManager;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
};
