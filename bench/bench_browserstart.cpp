// What the built-in browser costs at start-up: run under /usr/bin/time -v and compare wall
// time and maximum resident size of
//   bench_baremdi                a bare Qt MDI window with menu bar, toolbar and status bar
//   bench_browserstart program   the program's main frame, no browser window
//   bench_browserstart browser   the same, then one browser window with its start page loaded
// Each mode quits as soon as its window is up (and, for browser, the page has loaded).
// Built twice: bench_baremdi holds the bare window alone and links nothing of the program.
#ifndef KEYSTOW_BARE_ONLY
#include "CEditorApp.h"
#include "CKeystowBrowserView.h"
#include "CMultiDocTemplate.h"
#endif

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    const char* mode = argc > 1 ? argv[1] : "bare";
    if (std::strcmp(mode, "bare") == 0) {
        QMainWindow window;
        window.setCentralWidget(new QMdiArea(&window));
        QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
        file->addAction(QStringLiteral("&New"));
        file->addAction(QStringLiteral("E&xit"));
        window.addToolBar(QStringLiteral("Standard"))->addAction(QStringLiteral("New"));
        window.statusBar()->showMessage(QStringLiteral("Ready"));
        window.show();
        QTimer::singleShot(0, &application, &QApplication::quit);
        return QApplication::exec();
    }
#ifdef KEYSTOW_BARE_ONLY
    return 1;
#else
    QCoreApplication::setOrganizationName(QStringLiteral("Keystow"));
    QCoreApplication::setApplicationName(QStringLiteral("Keystow Editor"));
    CEditorApp app;
    if (!app.InitInstance())
        return 1;
    if (std::strcmp(mode, "browser") == 0) {
        CDocument* doc = app.m_pBrowserTemplate->OpenDocumentFile(QString());
        auto* view = doc ? dynamic_cast<CKeystowBrowserView*>(doc->GetFirstView()) : nullptr;
        if (!view)
            return 2;
        view->Pane()->onLoadingChanged = [](bool loading) {
            if (!loading)
                QApplication::quit();
        };
    } else {
        QTimer::singleShot(0, &application, &QApplication::quit);
    }
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
#endif
}
