#pragma once

#include "base/Checked.h"
#include "detect/Detection.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace vh::base {
class ActivityLog;
class Settings;
class Workspace;
} // namespace vh::base

namespace vh::database {
class Database;
}

namespace vh::platform {
class WorkerPool;
}

namespace vh::collect {

// What the download queue knows about a finished download.
struct DownloadedShot
{
    QByteArray ServerURL;
    QByteArray IndexText;
    QByteArray ShotTime;
    QString LocalFile; // full path of the downloaded PNG in PBSS
};

// What the analysis of one downloaded file decided, and what it read.
struct IntakeAnalysis
{
    enum class Verdict
    {
        Missing,     // the transfer wrote no file
        TooSmall,    // an error page or an empty transfer
        Unreadable,  // the text could not be read
        OtherPlayer, // the image shows a GUID its index line does not name
        Accepted,
    };
    Verdict verdict = Verdict::Missing;
    detect::ShotAnalysis shot;
};

// Turns one downloaded screenshot into a file in the vault and an entry: drops what is too small to be a
// screenshot or shows another player than its index line, reads the text, runs the checks and adds the entry.
// The analysis (reading the file, decoding, text, GUID test, pixel checks) is a pure function; submit() runs it
// on worker threads and applies the results on this thread in the order the downloads were handed over.
class ScreenshotIntake final
{
public:
    // Files of this size or less are error pages or empty transfers.
    static constexpr qint64 SizeThreshold = 6144;
    // Screenshots handed over and not yet taken in, per analysis thread, before the intake counts as saturated.
    static constexpr int PendingPerThread = 2;

    ScreenshotIntake(detect::Detection& detection, database::Database& database, base::Settings& settings,
                     base::ActivityLog& log, const base::Workspace& workspace);
    // Waits for the analyses under way; their results are not taken in.
    ~ScreenshotIntake();

    // Adds the intake slot to the database (the database's AddEntry); until set, nothing is added.
    void setAddEntry(std::function<void(int slot)> addEntry) { m_addEntry = std::move(addEntry); }
    // The clock the vault names are stamped with.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // The analysis of one file: touches nothing but its arguments and the file it reads.
    static IntakeAnalysis analyse(const detect::AnalysisConfig& config, const DownloadedShot& shot);

    // Intake of the file for worker w, whose slot already holds ServerURL, IndexText and ShotTime; analysed here.
    void ProcessPBSS(int w, const QString& saveFile);
    // Fills slot w from the download queue's entry, then takes the file in; analysed here.
    void ProcessPBSS(int w, const DownloadedShot& shot);

    // Hands the file to an analysis thread; it is taken in through intake slot w once analysed and once every
    // file handed over before it is taken in.
    void submit(int w, const DownloadedShot& shot);
    // Files handed over and not yet taken in.
    int pending() const { return m_pending; }
    bool saturated() const { return m_pending >= PendingPerThread * analysisThreads(); }
    // Lets events run until every file handed over is taken in.
    void waitForAnalyses();
    // 0: one per core. Takes effect when no analysis is pending.
    void setAnalysisThreads(int n);
    int analysisThreads() const;

private:
    static constexpr int MaxNameTries = 10000;
    struct Finished
    {
        int slot;
        DownloadedShot shot;
        IntakeAnalysis analysis;
    };
    void apply(int w, const DownloadedShot& shot, IntakeAnalysis& analysis);
    void applyInOrder();
    // the vault name the file got (a number added when the name is taken), or why it could not move
    base::Checked<QByteArray> moveIntoVault(const QString& saveFile, const QByteArray& wantedName) const;

    detect::Detection& m_detection;
    database::Database& m_database;
    base::Settings& m_settings;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    std::function<void(int)> m_addEntry;
    std::function<QDateTime()> m_clock;

    int m_threads = 0;
    int m_pending = 0;
    quint64 m_nextSubmitted = 0;
    quint64 m_nextApplied = 0;
    bool m_applying = false;
    std::map<quint64, Finished> m_finished;                 // analysed, waiting for those handed over before them
    std::shared_ptr<const detect::AnalysisConfig> m_config; // taken anew whenever the intake was idle
    std::unique_ptr<platform::WorkerPool> m_workers;        // last: its threads end before the rest goes
};

} // namespace vh::collect
