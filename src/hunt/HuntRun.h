#pragma once

#include "hunt/HuntPage.h"

#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace vh::base {
struct RunFlags;
class ActivityLog;
class Workspace;
} // namespace vh::base

namespace vh::servers {
class ServerList;
}

namespace vh::collect {
class Downloader;
class DownloadPool;
class PageTable;
} // namespace vh::collect

namespace vh::hunt {

class HuntLog;
class PreyMatcher;

// The hunt: passes over every named server with 16 page workers of its own; every line of an index page
// that holds a prey becomes a page entry, and the pass hands them to the collection step and the download
// queue, so hunted screenshots become entries like any other. The window and the headless hunt drive it.
class HuntRun final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HuntRun)

public:
    static constexpr int Workers = 16;
    static constexpr int MaxPrey = 2000;
    static constexpr int QueueCapacity = 30000;
    static constexpr int FreeWorker = 9999;

    // CollectPbSS: queues page entries 1..count worth downloading.
    using CollectStep = std::function<bool(int count)>;

    HuntRun(base::ActivityLog& log, const base::Workspace& workspace, base::RunFlags& flags,
            const servers::ServerList& servers, collect::PageTable& pages, collect::DownloadPool& pool,
            HuntLog& huntLog, QObject* parent = nullptr);
    ~HuntRun() override;

    void setCollectStep(CollectStep step) { m_collect = std::move(step); }

    // "Loop Huntmode": read at the end of every pass.
    void setLoop(bool loop) { m_loop = loop; }
    bool loop() const { return m_loop; }
    bool isRunning() const { return m_running; }

    // "Hunt": copies the prey and runs passes until one ends without looping; returns when the hunt ended.
    void StartHunting(const QList<QByteArray>& prey);
    // "Stop": the hand-out ends, the pass downloads what it found, no further pass starts.
    void StopHunting();

    int ProcessedLines() const { return m_processedLines; }
    int passes() const { return m_passes; }
    int queueCount() const { return int(m_queue.size()); }
    collect::Downloader& worker(int w) { return *m_workers.at(std::size_t(w)); }

Q_SIGNALS:
    void runningChanged(bool running);
    // Panel 1 or 2 of the window's status bar.
    void statusPanelChanged(int panel, const QString& text);
    // Huntbar(w): a page transfer's progress; every bar full when the pass hands its finds over.
    void workerProgress(int worker, qint64 bytesRead, qint64 bytesTotal);
    void barsFull();
    // Pages fetched (or failed) in this pass out of those queued.
    void pagesProgress(int done, int total);
    void passStarted(int pass, int servers);
    // The pass has handed its finds over and their downloads have ended.
    void passEnded(int pass, int finds);

private:
    void HuntPass();
    void ProcessHuntque();
    void DownloadHunt(int w, const QString& url, const QString& file);
    void HuntDL_DownloadComplete(int w);
    void HuntDL_DownloadError(int w);
    void scanPage(const HuntQueueRecord& record);
    int firstFreeWorker() const;
    bool allWorkersFree() const;
    void setPanel(int panel, const QString& text);

    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    base::RunFlags& m_flags;
    const servers::ServerList& m_servers;
    collect::PageTable& m_pages;
    collect::DownloadPool& m_pool;
    HuntLog& m_huntLog;
    CollectStep m_collect;

    std::vector<std::unique_ptr<collect::Downloader>> m_workers;
    std::array<int, Workers> m_slots{};
    std::vector<HuntQueueRecord> m_queue; // slot 0 stays empty
    std::unique_ptr<PreyMatcher> m_matcher;
    bool m_running = false;
    bool m_loop = false;
    bool m_loopStop = false;
    bool m_tableFullLogged = false;
    int m_processedLines = 0;
    int m_passes = 0;
    int m_pagesDone = 0;
};

} // namespace vh::hunt
