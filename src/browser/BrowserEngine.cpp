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
#include <QOpenGLContext>
#include <QSurfaceFormat>

// Exported by Qt GUI without a public header; the web engine reads the context back.
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

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

// The engine draws pages through a graphics context that shares its resources with every
// other context of the program. Qt makes that context at start-up when asked to before the
// application object exists, which loads the graphics driver and costs a large part of the
// program's start-up time and memory; it is made here instead, before the engine loads.
void ShareGraphicsContexts() {
    if (qt_gl_global_share_context())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->setFormat(QSurfaceFormat::defaultFormat());
    // Without a driver the engine draws in software, as it would with the context made at
    // start-up.
    context->create();
    qt_gl_set_global_share_context(context);
}

} // namespace

namespace BrowserEngine {

BrowserEngineFactory* Factory(QString* error) {
    if (g_factory)
        return g_factory;
    ShareGraphicsContexts();
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
