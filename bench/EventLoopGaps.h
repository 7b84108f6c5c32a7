#pragma once

// How long the event loop is kept from running while a benchmark works on the user-interface thread.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <sys/resource.h>

namespace vh::bench {

inline double cpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The longest time between the ticks of a 10 ms timer: how long the event loop was kept from running, and how
// much of it the user-interface thread spent computing (the rest it waited: for the disk, or for a core).
class EventLoopGaps
{
public:
    EventLoopGaps()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 gap = m_since.restart();
            const double cpu = cpuSeconds(RUSAGE_THREAD);
            if (gap > m_max) {
                m_max = gap;
                m_cpuInMaxMs = (cpu - m_lastCpu) * 1000;
            }
            m_over50 += gap > 50 ? 1 : 0;
            m_lastCpu = cpu;
        });
        m_lastCpu = cpuSeconds(RUSAGE_THREAD);
        m_since.start();
        m_timer.start(10);
    }
    qint64 maxGapMs() const { return m_max; }
    double cpuInMaxGapMs() const { return m_cpuInMaxMs; }
    int gapsOver50Ms() const { return m_over50; }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_max = 0;
    double m_lastCpu = 0;
    double m_cpuInMaxMs = 0;
    int m_over50 = 0;
};

} // namespace vh::bench
