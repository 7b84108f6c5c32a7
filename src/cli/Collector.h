#pragma once

#include "cli/CliOptions.h"
#include "cli/LogPrinter.h"
#include "cli/ProgressLine.h"

#include <QObject>
#include <QString>

class QIODevice;

namespace vh::app {
class AppCore;
}

namespace vh::cli {

// The inventory of varnholt-cli: the window's start-up without the screen check, the server selection from
// the command line, the window's run command, and the window's shutdown, with the log on standard output.
class Collector final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Collector)

public:
    enum ExitStatus
    {
        Success = 0,
        Failure = 1,
        BadUsage = 2
    };
    // held in the base folder while an inventory runs
    static inline const QString LockFileName = QStringLiteral("varnholt-cli.lock");

    struct Terminal
    {
        bool out = false; // standard output is a terminal: the log in colour
        bool err = false; // standard error is a terminal: one progress line rewritten in place
    };

    Collector(app::AppCore& core, QIODevice& out, QIODevice& err, Terminal terminal, QObject* parent = nullptr);

    // Runs the whole command and returns the exit status; only a stop request ends a looping run.
    int runInventory(const CliOptions& options, const QString& executablePath);
    // What Cancel Inventory does: the visit under way stops handing out, its transfers end, the run ends and
    // the shutdown saves everything. A request before the run began keeps the run from starting.
    void requestStop(int signalNumber);

    // Selects the filter items the options name (every provider and every known map when they name none),
    // sets the name filter and rebuilds the server selection list.
    void applySelection(const CliOptions& options);

private:
    void error(const QString& message);
    int visitableItems() const;

    app::AppCore& m_core;
    QIODevice& m_err;
    Terminal m_terminal;
    LogPrinter m_printer;
    ProgressLine m_progress;
    bool m_stopRequested = false;
    int m_visitInPass = 0;
};

} // namespace vh::cli
