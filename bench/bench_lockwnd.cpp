// What the program costs while it is locked: its main frame at 1920x1080, locked with a prompt,
// the animation left running on its real timers, and the process CPU time over that span as a
// share of one core. Paints are counted per widget: the lock window should repaint only the
// cells that changed and nothing else should repaint at all. With --full the lock window is
// also repainted whole every 10 ms, the way a window that redraws everything on each tick
// would behave, for comparison.
// Run on demand on an X server (Xvfb), never by the tests: bench_lockwnd [seconds] [--full].
#include "CEditorApp.h"
#include "CMainFrame.h"
#include "CScreenLockWnd.h"
#include "LockSettings.h"
#include "resource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMap>
#include <QPaintEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Paint events of the lock window, their area, paint events of every other widget, and the
// timer events by the class of the object they went to.
struct PaintCounter : QObject {
    QWidget* lock = nullptr;
    int lockPaints = 0;
    qint64 lockPixels = 0;
    int otherPaints = 0;
    QMap<QString, int> timers;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            const QObject* owner = watched->parent() ? watched->parent() : watched;
            ++timers[QString::fromLatin1(owner->metaObject()->className())];
        }
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        if (watched == lock) {
            ++lockPaints;
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region())
                lockPixels += qint64(rect.width()) * rect.height();
        } else {
            ++otherPaints;
        }
        return false;
    }
    void Reset() {
        lockPaints = otherPaints = 0, lockPixels = 0;
        timers.clear();
    }
};

} // namespace

int main(int argc, char* argv[]) {
    // Settings and lock settings of the bench's own, not the person's.
    QTemporaryDir dir;
    qputenv("KEYSTOW_DATA_DIR", dir.path().toLocal8Bit());
    QApplication application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    int seconds = 20;
    bool full = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--full") == 0)
            full = true;
        else if (std::atoi(argv[i]) > 0)
            seconds = std::atoi(argv[i]);
    }

    CEditorApp app;
    app.SetLockSettingsPath(dir.filePath(QStringLiteral("locksettings.dat")));
    if (!app.InitInstance()) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    CMainFrame* frame = app.MainFrame();
    frame->showNormal();
    frame->resize(1920, 1080);
    Settle(500);
    if (frame->size() != QSize(1920, 1080)) {
        std::fprintf(stderr, "main frame is %dx%d, not 1920x1080 (screen too small?)\n",
                     frame->width(), frame->height());
        return 1;
    }
    // Locked as the Lock command does, with the usual prompt.
    app.GetLockSettings().setPromptText("Press any key to unlock the screen...");
    if (!app.SaveLockSettings()) {
        std::fprintf(stderr, "the lock settings could not be written\n");
        return 1;
    }
    frame->ExecuteCommand(ID_LOCK);
    auto* lock = frame->findChild<CScreenLockWnd*>();
    if (!lock || !lock->isVisible()) {
        std::fprintf(stderr, "the frame did not lock\n");
        return 1;
    }
    lock->SetRandomSeed(42);

    PaintCounter counter;
    counter.lock = lock;
    application.installEventFilter(&counter);
    QTimer fullRedraw;
    if (full) {
        QObject::connect(&fullRedraw, &QTimer::timeout, lock, [lock] { lock->update(); });
        fullRedraw.start(10);
    }

    // Let the first full paint and the start-up settle before measuring.
    Settle(500);
    counter.Reset();
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &application, &QApplication::quit);
    QApplication::exec();
    const double cpu = CpuSeconds() - cpuBefore;
    const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;

    std::printf("%s redraw, %s, frame %dx%d, lock window %dx%d, %.1f s: CPU %.2f s = %.2f %% of "
                "one core; lock window %d paints (%.1f full windows), other widgets %d paints "
                "(%d columns x %d rows)\n",
                full ? "full" : "incremental", qPrintable(QApplication::platformName()),
                frame->width(), frame->height(), lock->width(), lock->height(), elapsed, cpu,
                100.0 * cpu / elapsed, counter.lockPaints,
                static_cast<double>(counter.lockPixels) / (lock->width() * lock->height()),
                counter.otherPaints, lock->Columns(), lock->Rows());
    QStringList fired;
    for (auto it = counter.timers.cbegin(); it != counter.timers.cend(); ++it)
        fired << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    std::printf("  timer events: %s\n", qPrintable(fired.join(QStringLiteral(", "))));
    std::fflush(stdout);
    // The locked program is not torn down: its unlock would ask for the password.
    dir.remove();
    std::_Exit(0);
}
