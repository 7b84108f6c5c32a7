#pragma once

#include "cli/CliOptions.h"
#include "cli/Collector.h"
#include "cli/LogPrinter.h"

#include <QObject>
#include <QString>

class QIODevice;

namespace vh::app {
class AppCore;
}

namespace vh::cli {

// varnholt-cli hunt: Hunt Mode without a window over the server list the start-up builds, with the prey of
// data/Pray.dat. Starts up and shuts down like the inventory; the Hunt log goes to standard output, newest
// last, the activity log beside it, and the progress to standard error.
class HuntCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HuntCommand)

public:
    HuntCommand(app::AppCore& core, QIODevice& out, QIODevice& err, Collector::Terminal terminal,
                QObject* parent = nullptr);

    // Runs the whole command and returns the exit status.
    int run(const CliOptions& options, const QString& executablePath);
    // What "Stop" does: the pass downloads what it found and no further pass starts; a request before the
    // hunt began keeps it from starting.
    void requestStop(int signalNumber);

    // The progress of a pass: "hunt pass 2: pages 120/200, finds 3, downloads 1/3".
    static QString progressText(int pass, int pagesDone, int pages, int finds, int done, int queued);

private:
    void error(const QString& message);
    void printLine(const QByteArray& line);
    void showProgress(bool passOver);
    void clearProgress();

    app::AppCore& m_core;
    QIODevice& m_out;
    QIODevice& m_err;
    Collector::Terminal m_terminal;
    LogPrinter m_printer;
    bool m_stopRequested = false;
    bool m_progressShown = false;
    int m_pass = 0;
    int m_pagesDone = 0;
    int m_pages = 0;
    int m_finds = 0;
    int m_downloadsDone = 0;
    int m_downloadsQueued = 0;
};

// varnholt-cli prey list|add|remove|import: the prey list file with the window's rules.
class PreyCommand final
{
public:
    static int run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err);
};

} // namespace vh::cli
