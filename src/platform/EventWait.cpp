#include "platform/EventWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace vh::platform {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    // the tick wakes the wait at least every 20 ms, so a condition changed outside an event is still seen
    QTimer tick;
    tick.start(20);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

bool waitForEvent(const std::function<bool()>& condition, int timeoutMs)
{
    // the only wake-up of its own: the end of the wait. The wait ends when this timer fires, not by a clock
    // compared afterwards: a timer may fire a little early, and a loop waiting for more events would then sleep
    // for ever.
    bool ended = false;
    QTimer end;
    end.setSingleShot(true);
    end.setTimerType(Qt::PreciseTimer);
    QObject::connect(&end, &QTimer::timeout, [&ended] { ended = true; });
    end.start(qMax(timeoutMs, 0));
    while (!condition()) {
        if (ended)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void yieldToEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace vh::platform
