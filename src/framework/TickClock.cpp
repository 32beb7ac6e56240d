#include "TickClock.h"

#include <QElapsedTimer>

namespace {
std::function<quint32()>& Source() {
    static std::function<quint32()> source;
    return source;
}
} // namespace

quint32 TickClock::Now() {
    if (Source())
        return Source()();
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return static_cast<quint32>(timer.elapsed());
}

void TickClock::SetSource(std::function<quint32()> source) {
    Source() = std::move(source);
}
