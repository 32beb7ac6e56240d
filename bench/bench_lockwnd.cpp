// What the lock window costs while it runs: a 1920x1080 window covered by it, the animation
// left running on its real timers, and the process CPU time over that span as a share of one
// core. With --full the whole window is also repainted every 10 ms, the way a window that
// redraws everything on each tick would behave, for comparison.
// Run on demand, never by the tests: bench_lockwnd [seconds] [--full].
#include "CScreenLockWnd.h"

#include <QApplication>
#include <QElapsedTimer>
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

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int seconds = 20;
    bool full = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--full") == 0)
            full = true;
        else if (std::atoi(argv[i]) > 0)
            seconds = std::atoi(argv[i]);
    }

    QWidget frame;
    frame.setFixedSize(1920, 1080);
    auto* lock = new CScreenLockWnd(&frame);
    frame.show();
    lock->SetRandomSeed(42);
    lock->StartWithPrompt(QStringLiteral("Press any key to unlock the screen..."));
    if (lock->size() != QSize(1920, 1080)) {
        std::fprintf(stderr, "lock window is %dx%d, not 1920x1080\n", lock->width(),
                     lock->height());
        return 1;
    }

    int paints = 0;
    QTimer fullRedraw;
    if (full) {
        QObject::connect(&fullRedraw, &QTimer::timeout, lock, [lock] { lock->update(); });
        fullRedraw.start(10);
    }
    struct PaintCounter : QObject {
        int* count;
        explicit PaintCounter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                ++*count;
            return false;
        }
    } counter(&paints);
    lock->installEventFilter(&counter);

    // Let the first full paint and the start-up settle before measuring.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        app.processEvents(QEventLoop::AllEvents, 50);

    paints = 0;
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    app.exec();
    const double cpu = CpuSeconds() - cpuBefore;
    const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;

    std::printf("%s redraw, %s, %dx%d, %.1f s: CPU %.2f s = %.2f %% of one core, %d paints "
                "(%d columns x %d rows, block at line %d)\n",
                full ? "full" : "incremental", qPrintable(QApplication::platformName()),
                lock->width(), lock->height(), elapsed, cpu, 100.0 * cpu / elapsed, paints,
                lock->Columns(), lock->Rows(), lock->BlockFirstLine());
    return 0;
}
