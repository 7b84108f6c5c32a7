#pragma once

#include "base/FileFetcher.h"
#include "collect/Downloader.h"
#include "collect/NetworkLimits.h"
#include "collect/PageEntry.h"

#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QNetworkAccessManager;

namespace vh::base {
struct RunFlags;
class ActivityLog;
class Workspace;
} // namespace vh::base

namespace vh::database {
class Database;
}

namespace vh::collect {

// The download workers of the main window: the pool SSDL that fetches the screenshots of one server visit
// in parallel, the two page workers behind GetFile and GetFile2, the download queue and the progress
// display (the progress bar and the download status label Label7) the windows show.
class DownloadPool final : public QObject, public base::FileFetcher
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadPool)

public:
    static constexpr int MaxWorkers = 40;
    static constexpr int WorkerSlotCount = 121;
    static constexpr qint16 FreeWorker = 9999;
    static constexpr int QueueCapacity = 30000;

    // Takes in one finished screenshot: the worker index, the saved file and the queue entry it came from.
    using IntakeHandler = std::function<void(int worker, const QString& saveFile, const PageEntry& entry)>;

    DownloadPool(base::RunFlags& flags, base::ActivityLog& log, const base::Workspace& workspace,
                 database::Database& database, QObject* parent = nullptr);
    ~DownloadPool() override;

    QNetworkAccessManager& networkManager() { return *m_manager; }
    // Applies to every worker, the page workers included; new workers get them too.
    void setLimits(const NetworkLimits& limits);
    const NetworkLimits& limits() const { return m_limits; }
    void setIntakeHandler(IntakeHandler handler) { m_intake = std::move(handler); }
    // The intake behind the handler, when it takes screenshots in later: while it is saturated no download is
    // handed out, and the queue is done only once it is idle (everything handed to it taken in).
    void setIntakeLoad(std::function<bool()> saturated, std::function<bool()> idle)
    {
        m_intakeSaturated = std::move(saturated);
        m_intakeIdle = std::move(idle);
    }

    // Sizes the pool to n workers (1 to 40); workers above n are unloaded, missing ones loaded.
    void setThreads(int n);
    int threadCount() const { return int(m_workers.size()); }
    Downloader& worker(int w) { return *m_workers.at(std::size_t(w)); }
    qint16 workerSlot(int w) const { return m_workerSlots.at(std::size_t(w)); }
    void freeWorkerSlots(int first, int last);

    // False when the queue already holds 30000 entries.
    bool EnqueueDownload(const PageEntry& entry);
    int QueueCount() const { return m_queueCount; }
    const PageEntry& queueEntry(int j) const { return m_queue.at(std::size_t(j)); }
    void clearQueue();
    void DownloadSS(int w, const QString& url, const QString& saveFile);
    // Hands the whole queue out, each entry to the lowest-numbered free worker, and returns when every
    // worker is free again; a stop or skip request ends the hand-out early.
    void RunDownloadQueue();

    // The synchronous page fetches. GetFile's wait also ends on a stop request; GetFile2's does not.
    QByteArray GetFile(const QString& url);
    QByteArray GetFile2(const QString& url, int number);
    void FetchToFile(const QString& url, const QString& file) override;
    void FetchToFile2(const QString& url, const QString& file);
    bool PageFetchDone() const { return m_pageDone1; }
    bool PageFetchDone2() const { return m_pageDone2; }
    Downloader& Downloader1() { return *m_page1; }
    Downloader& Downloader2() { return *m_page2; }
    // While it answers true (a banlist download is running) the page worker does not move the progress bar.
    void setPageProgressGate(std::function<bool()> blocked) { m_progressBlocked = std::move(blocked); }

    int progressValue() const { return m_progressValue; }
    int progressMaximum() const { return m_progressMaximum; }
    void setProgress(int value, int maximum);
    QString statusText() const { return m_statusText; }
    void setStatusText(const QString& text) override;

    // Reads at most the transfer size limit, so a file far larger than any page cannot exhaust memory.
    QByteArray readFetchedFile(const QString& file) const;

Q_SIGNALS:
    void progressChanged(int value, int maximum);
    void statusTextChanged(const QString& text);
    void handedOut(int worker, int queueIndex);

private:
    void SSDL_DownloadComplete(int w);
    void SSDL_DownloadError(int w);
    void onWriteFailed(const QString& saveFile, const QString& reason);
    void showDone();
    int firstFreeWorker() const;
    // The worker the next download goes to: the first free one, none while the intake is saturated.
    int workerForHandOut() const;
    bool intakeIdle() const { return !m_intakeIdle || m_intakeIdle(); }
    bool allWorkersFree() const;
    std::unique_ptr<Downloader> makeWorker(int w);

    base::RunFlags& m_flags;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    database::Database& m_database;
    std::unique_ptr<QNetworkAccessManager> m_manager;
    NetworkLimits m_limits;
    IntakeHandler m_intake;
    std::function<bool()> m_intakeSaturated;
    std::function<bool()> m_intakeIdle;
    std::function<bool()> m_progressBlocked;

    std::vector<std::unique_ptr<Downloader>> m_workers;
    std::array<qint16, WorkerSlotCount> m_workerSlots{};
    std::vector<PageEntry> m_queue; // slot 0 stays empty
    int m_queueCount = 0;
    int m_doneCount = 0;
    bool m_writeFailureLogged = false; // once per visit: the other workers fail alike while the run drains

    std::unique_ptr<Downloader> m_page1;
    std::unique_ptr<Downloader> m_page2;
    bool m_pageDone1 = true;
    bool m_pageDone2 = true;

    int m_progressValue = 0;
    int m_progressMaximum = 100;
    QString m_statusText;
};

} // namespace vh::collect
