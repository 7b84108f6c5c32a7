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
    const QDeadlineTimer deadline(qMax(timeoutMs, 0));
    // the only wake-up of its own: the end of the wait
    QTimer end;
    end.setSingleShot(true);
    end.start(qMax(timeoutMs, 0));
    while (!condition()) {
        if (deadline.hasExpired())
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
