#include "TickClock.h"

#include <time.h>

namespace {
std::function<quint32()>& Source() {
    static std::function<quint32()> source;
    return source;
}
} // namespace

quint32 TickClock::Now() {
    if (Source())
        return Source()();
    // The boot-time clock goes on while the machine sleeps (the monotonic one stops), so a
    // sleep counts as idle time and the program locks on resume.
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const quint64 ms =
        static_cast<quint64>(now.tv_sec) * 1000u + static_cast<quint64>(now.tv_nsec) / 1000000u;
    return static_cast<quint32>(ms);
}

void TickClock::SetSource(std::function<quint32()> source) {
    Source() = std::move(source);
}
