#pragma once

#include <QString>
#include <QStringList>

namespace vh::servers {

struct RunResult
{
    int exitCode = -1;
    bool started = false;
    bool timedOut = false; // the program was stopped after the time-out
};

// Runs an outside program without a window and waits for its end while pending events run, so the window
// stays responsive. A program that does not end within timeoutMs is killed.
RunResult RunAndWait(const QString& program, const QStringList& arguments, int timeoutMs);

} // namespace vh::servers
