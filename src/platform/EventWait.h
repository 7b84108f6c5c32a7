#pragma once

#include <QEventLoop>
#include <QObject>

#include <functional>

namespace vh::platform {

// Lets pending events run until the condition holds. The one place where the program waits on the event
// loop: a page fetch waiting for its worker, the hand-out loop waiting for a free worker, a version check.
// timeoutMs < 0 waits without a limit. Returns true when the condition held, false on time-out.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = -1);

// Sleeps on the event loop until the condition holds after an event, or the time is up; unlike waitUntil it
// never wakes on its own, so an idle wait costs nothing. For conditions that only events change (a stop
// request from a button, a signal or a network reply). Returns true when the condition held.
bool waitForEvent(const std::function<bool()>& condition, int timeoutMs);

// Lets pending events run until sender emits signal, or until sender is destroyed without emitting it.
template <typename Sender, typename Signal> void waitForSignal(Sender* sender, Signal signal)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    QObject::connect(sender, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
}

// Lets pending events run once, for the loops that yield at fixed points.
void yieldToEvents();

} // namespace vh::platform
