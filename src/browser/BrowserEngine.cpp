#include "BrowserEngine.h"

#include "BrowserEngineApi.h"
#include "CActivityHost.h"
#include "CDownloadFileDialog.h"
#include "CLockWatch.h"
#include "CMDIFrameWnd.h"
#include "CModalDialog.h"
#include "CWinApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace {

BrowserEngineFactory* g_factory = nullptr;

bool Locked() {
    CActivityHost* host = CActivityHost::Current();
    return host && host->m_locked;
}

QString AskDownloadPath(const QString& suggested) {
    CWinApp* app = CWinApp::Current();
    CDownloadFileDialog dialog(suggested, app ? app->GetMainWnd() : nullptr);
    if (dialog.DoModal() != IDOK)
        return QString();
    return dialog.GetPathName();
}

const BrowserHostHooks* Hooks() {
    static const BrowserHostHooks hooks{
        &Locked,
        [] { StampActivity(); },
        [](QDialog* dialog) { CLockWatch::CloseWhenLocked(dialog); },
        &AskDownloadPath,
    };
    return &hooks;
}

// Next to the program (the build tree), in the private folder an installed program keeps it
// in, or where the build put it for programs run from elsewhere (tests).
QStringList Candidates() {
    const QDir programFolder(QCoreApplication::applicationDirPath());
    QStringList folders{programFolder.path(),
                        programFolder.filePath(QStringLiteral(KEYSTOW_MODULE_RELDIR))};
    const QString binDir = qEnvironmentVariable("KEYSTOW_BIN_DIR");
    if (!binDir.isEmpty())
        folders << binDir;
    folders << programFolder.filePath(QStringLiteral("../bin"));
    QStringList paths;
    for (const QString& folder : folders)
        paths << QDir(folder).filePath(QStringLiteral("keystow_webengine"));
    return paths;
}

} // namespace

namespace BrowserEngine {

BrowserEngineFactory* Factory(QString* error) {
    if (g_factory)
        return g_factory;
    QString why;
    for (const QString& path : Candidates()) {
        QLibrary module(path);
        if (!module.load()) {
            if (why.isEmpty())
                why = module.errorString();
            continue;
        }
        auto entry =
            reinterpret_cast<BrowserEngineEntry>(module.resolve(KEYSTOW_BROWSER_ENGINE_ENTRY));
        if (entry)
            g_factory = entry(Hooks());
        if (g_factory)
            return g_factory;
        why = module.errorString();
    }
    if (error)
        *error = why;
    return nullptr;
}

bool IsLoaded() {
    return g_factory != nullptr;
}

} // namespace BrowserEngine
