#include "LockTimerSet.h"

#include <algorithm>
#include <utility>

namespace {
// A process held up for longer skips the missed steps instead of racing through them.
constexpr qint64 kMaxCatchUpMs = 100;
// Steps due closer together than this run at one wake-up, still one by one in time order:
// the screen shows no more than about 50 changes a second anyway, and each wake-up of the
// event loop costs more than the steps it runs.
constexpr qint64 kMinWakeMs = 20;
} // namespace

LockTimerSet::LockTimerSet(int count, std::function<void(int)> run, QObject* parent)
    : QObject(parent), m_run(std::move(run)), m_entries(count), m_driver(this) {
    // Never early: an early wake-up would find nothing due and have to sleep again.
    m_driver.setTimerType(Qt::PreciseTimer);
    m_driver.setSingleShot(true);
    connect(&m_driver, &QTimer::timeout, this, [this] {
        RunUntil(m_now + std::min<qint64>(m_clock.restart(), kMaxCatchUpMs));
        Schedule();
    });
    m_clock.start();
}

void LockTimerSet::Start(int id, int ms) {
    Entry& entry = m_entries[id];
    entry.running = true;
    entry.interval = std::max(1, ms);
    entry.due = m_now + entry.interval;
    Schedule();
}

void LockTimerSet::Stop(int id) {
    m_entries[id].running = false;
    Schedule();
}

bool LockTimerSet::IsActive(int id) const {
    return m_entries[id].running && !m_paused && (m_manual || m_driver.isActive());
}

int LockTimerSet::Interval(int id) const {
    return m_entries[id].interval;
}

void LockTimerSet::SetManual(bool manual) {
    m_manual = manual;
    m_clock.restart();
    Schedule();
}

void LockTimerSet::SetPaused(bool paused) {
    m_paused = paused;
    // Hidden time does not count.
    m_clock.restart();
    Schedule();
}

void LockTimerSet::Advance(int ms) {
    if (m_paused)
        return;
    RunUntil(m_now + ms);
    Schedule();
}

void LockTimerSet::RunUntil(qint64 target) {
    m_inStep = true;
    for (;;) {
        int next = -1;
        for (int i = 0; i < m_entries.size(); ++i) {
            const Entry& entry = m_entries[i];
            if (entry.running && entry.due <= target &&
                (next < 0 || entry.due < m_entries[next].due))
                next = i;
        }
        if (next < 0)
            break;
        Entry& entry = m_entries[next];
        m_now = entry.due;
        entry.due += entry.interval;
        m_run(next);
    }
    m_now = target;
    m_inStep = false;
}

void LockTimerSet::Schedule() {
    if (m_inStep)
        return; // the step loop schedules once it is through
    qint64 next = -1;
    for (const Entry& entry : std::as_const(m_entries)) {
        if (entry.running && (next < 0 || entry.due < next))
            next = entry.due;
    }
    if (m_manual || m_paused || next < 0) {
        m_driver.stop();
        return;
    }
    const qint64 wait = std::max(next - m_now, kMinWakeMs - m_clock.elapsed());
    m_driver.start(static_cast<int>(std::max<qint64>(0, wait)));
}
