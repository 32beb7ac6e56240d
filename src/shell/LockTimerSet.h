#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QVector>

#include <functional>

// A set of periodic timers that share one real timer: it wakes only when the next of them is
// due (at most 50 times a second) and runs the due ones in time order. Time can also be driven by
// hand (Advance), which runs exactly the same steps without waiting; paused, nothing runs and no
// real timer is armed.
class LockTimerSet : public QObject {
public:
    LockTimerSet(int count, std::function<void(int)> run, QObject* parent);

    void Start(int id, int ms);
    void Stop(int id);
    // Running and able to fire: started, not paused, and armed or driven by hand.
    bool IsActive(int id) const;
    int Interval(int id) const;
    // The set's own time in milliseconds: the due time of the step being run.
    qint64 Now() const { return m_now; }

    void SetManual(bool manual);
    void SetPaused(bool paused);
    bool IsPaused() const { return m_paused; }
    // Runs every step due within the next ms milliseconds; nothing while paused.
    void Advance(int ms);

private:
    struct Entry {
        bool running = false;
        int interval = 0;
        qint64 due = 0;
    };

    void RunUntil(qint64 target);
    void Schedule();

    std::function<void(int)> m_run;
    QVector<Entry> m_entries;
    QTimer m_driver;
    QElapsedTimer m_clock;
    qint64 m_now = 0;
    bool m_manual = false;
    bool m_paused = false;
    bool m_inStep = false;
};
