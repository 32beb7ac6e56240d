// What the built-in browser costs at start-up, beside a bare MDI window. Run through
// bench/browserstart.py, which starts each mode several times and reports medians:
//   bench_baremdi                 a bare Qt MDI window with menu bar, toolbar and status bar
//   bench_browserstart program    the program started as keystow starts it, no browser window
//   bench_browserstart browser    the same, then one browser window with its start page loaded
// Each mode prints "shown <rss kB>" once its main window has painted for the first time and,
// in browser mode, "browser <ms> <rss kB>" once the start page has loaded and painted; then it
// quits. The runner takes the start-up time from its own clock, from starting the process to
// the "shown" line, so loading the program's libraries counts too.
// Built twice: bench_baremdi holds the bare window alone and links nothing of the program.
#ifndef KEYSTOW_BARE_ONLY
#include "CEditorApp.h"
#include "CKeystowBrowserView.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#endif

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

long ResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Runs then once, after the first paint of window has finished.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* window, std::function<void()> then)
        : QObject(window), m_then(std::move(then)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_then) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [then = std::exchange(m_then, {})] { then(); });
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

void ReportShown() {
    std::printf("shown %ld\n", ResidentKb());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    const char* mode = argc > 1 ? argv[1] : "bare";
    QApplication application(argc, argv);
    if (std::strcmp(mode, "bare") == 0) {
        QMainWindow window;
        window.setCentralWidget(new QMdiArea(&window));
        QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
        file->addAction(QStringLiteral("&New"));
        file->addAction(QStringLiteral("E&xit"));
        window.addToolBar(QStringLiteral("Standard"))->addAction(QStringLiteral("New"));
        window.statusBar()->showMessage(QStringLiteral("Ready"));
        new FirstPaint(&window, [] {
            ReportShown();
            QApplication::quit();
        });
        window.show();
        return QApplication::exec();
    }
#ifdef KEYSTOW_BARE_ONLY
    return 1;
#else
    QCoreApplication::setOrganizationName(QStringLiteral("Keystow"));
    QCoreApplication::setApplicationName(QStringLiteral("Keystow Editor"));
    CEditorApp app;
    const bool browse = std::strcmp(mode, "browser") == 0;
    QElapsedTimer browsing;
    if (!app.InitInstance())
        return 1;
    // The frame shows in InitInstance; it paints once the event loop runs.
    QWidget* frame = app.GetMainWnd();
    const auto openBrowser = [&] {
        browsing.start();
        CDocument* doc = app.m_pBrowserTemplate->OpenDocumentFile(QString());
        auto* view = doc ? dynamic_cast<CKeystowBrowserView*>(doc->GetFirstView()) : nullptr;
        if (!view) {
            QApplication::exit(2);
            return;
        }
        view->Pane()->onLoadingChanged = [&, view](bool loading) {
            if (loading)
                return;
            // The page draws in the view's focus proxy.
            QWidget* page = view->Pane()->Widget();
            if (page->focusProxy())
                page = page->focusProxy();
            new FirstPaint(page, [&] {
                std::printf("browser %lld %ld\n", static_cast<long long>(browsing.elapsed()),
                            ResidentKb());
                std::fflush(stdout);
                QApplication::quit();
            });
            page->update();
        };
    };
    new FirstPaint(frame, [&] {
        ReportShown();
        if (browse)
            openBrowser();
        else
            QApplication::quit();
    });
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
#endif
}
