#include "servers/RunAndWait.h"

#include "platform/EventWait.h"

#include <QProcess>

namespace vh::servers {

RunResult RunAndWait(const QString& program, const QStringList& arguments, int timeoutMs)
{
    RunResult result;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    const bool ended = platform::waitUntil([&process] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    if (!ended) {
        result.started = true;
        result.timedOut = true;
        process.kill();
        process.waitForFinished(5000);
        return result;
    }
    if (process.error() == QProcess::FailedToStart)
        return result;
    result.started = true;
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    return result;
}

} // namespace vh::servers
