#include "BusyWork.h"

#include <QApplication>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QtConcurrent>

void RunWithBusyCursor(const std::function<void()>& work) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QFutureWatcher<void> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run(work));
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    watcher.waitForFinished();
    QApplication::restoreOverrideCursor();
}
