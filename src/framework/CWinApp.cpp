#include "CWinApp.h"

#include "CCmdUI.h"
#include "CDocManager.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#include "resource.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const QString& appName, QObject* parent)
    : QObject(parent), m_appName(appName), m_pDocManager(std::make_unique<CDocManager>()) {
    g_app = this;
    OnCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    OnCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
    OnCommand(ID_APP_EXIT, [this] { OnAppExit(); });
    OnCommandRange(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE4, [this](int id) { OnOpenRecentFile(id); });
    OnUpdateCommandRange(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE4, [this](CCmdUI* ui) {
        ui->Enable(m_pRecentFileList &&
                   ui->m_nID - ID_FILE_MRU_FILE1 < m_pRecentFileList->GetCount());
    });
}

CWinApp::~CWinApp() {
    // Documents and templates go before the application object disappears.
    m_pDocManager.reset();
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* CWinApp::Current() {
    return g_app;
}

int CWinApp::GetProfileInt(const QString& section, const QString& entry, int defaultValue) const {
    QSettings settings(m_company, m_appName);
    const QVariant value = settings.value(section + QLatin1Char('/') + entry);
    bool ok = false;
    const int result = value.toInt(&ok);
    return ok ? result : defaultValue;
}

void CWinApp::WriteProfileInt(const QString& section, const QString& entry, int value) {
    QSettings settings(m_company, m_appName);
    settings.setValue(section + QLatin1Char('/') + entry, value);
}

QString CWinApp::GetProfileString(const QString& section, const QString& entry,
                                  const QString& defaultValue) const {
    QSettings settings(m_company, m_appName);
    return settings.value(section + QLatin1Char('/') + entry, defaultValue).toString();
}

void CWinApp::WriteProfileString(const QString& section, const QString& entry,
                                 const QString& value) {
    QSettings settings(m_company, m_appName);
    settings.setValue(section + QLatin1Char('/') + entry, value);
}

void CWinApp::LoadStdProfileSettings(int maxRecentFiles) {
    m_pRecentFileList = std::make_unique<CRecentFileList>(QStringLiteral("Recent File List"),
                                                          QStringLiteral("File%1"), maxRecentFiles);
    QSettings settings(m_company, m_appName);
    m_pRecentFileList->ReadList(settings);
    emit recentFilesChanged();
}

void CWinApp::AddToRecentFileList(const QString& path) {
    if (!m_pRecentFileList)
        return;
    m_pRecentFileList->Add(QFileInfo(path).absoluteFilePath());
    QSettings settings(m_company, m_appName);
    m_pRecentFileList->WriteList(settings);
    emit recentFilesChanged();
}

void CWinApp::AddDocTemplate(CMultiDocTemplate* tmpl) {
    m_pDocManager->AddDocTemplate(tmpl);
}

CDocument* CWinApp::OpenDocumentFile(const QString& path) {
    return m_pDocManager->OpenDocumentFile(path);
}

void CWinApp::OnFileNew() {
    const auto& templates = m_pDocManager->GetTemplates();
    if (!templates.isEmpty())
        templates.first()->OpenDocumentFile(QString());
}

void CWinApp::OnFileOpen() {
    const QString path = QFileDialog::getOpenFileName(m_pMainWnd, QString());
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CWinApp::OnOpenRecentFile(int id) {
    if (!m_pRecentFileList)
        return;
    const int index = id - ID_FILE_MRU_FILE1;
    const QString path = (*m_pRecentFileList)[index];
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path)) {
        // A file that is gone leaves the list; a cancelled password prompt does not.
        m_pRecentFileList->Remove(index);
        QSettings settings(m_company, m_appName);
        m_pRecentFileList->WriteList(settings);
        emit recentFilesChanged();
        return;
    }
    OpenDocumentFile(path);
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd)
        m_pMainWnd->close();
}
