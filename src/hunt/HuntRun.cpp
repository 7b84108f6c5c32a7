#include "hunt/HuntRun.h"

#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/RunFlags.h"
#include "base/Workspace.h"
#include "collect/DownloadPool.h"
#include "collect/Downloader.h"
#include "collect/IndexPage.h"
#include "collect/PageTable.h"
#include "hunt/HuntLog.h"
#include "hunt/PreyMatcher.h"
#include "platform/EventWait.h"
#include "servers/ServerList.h"

#include <QDir>
#include <QFile>

namespace vh::hunt {

namespace {
const QString ProblemInRun = QStringLiteral("Problem with HuntMode,");
const QString ProblemInQueue = QStringLiteral("Problem in prossessing HuntDL-QUE:");
// a pass with no server to visit waits this long before the next, so a looping hunt does not spin
constexpr int EmptyPassPauseMs = 1000;
} // namespace

HuntRun::HuntRun(base::ActivityLog& log, const base::Workspace& workspace, base::RunFlags& flags,
                 const servers::ServerList& servers, collect::PageTable& pages, collect::DownloadPool& pool,
                 HuntLog& huntLog, QObject* parent)
    : QObject(parent), m_log(log), m_workspace(workspace), m_flags(flags), m_servers(servers), m_pages(pages),
      m_pool(pool), m_huntLog(huntLog)
{
    m_slots.fill(FreeWorker);
    for (int w = 0; w < Workers; ++w) {
        auto worker = std::make_unique<collect::Downloader>(m_pool.networkManager());
        worker->setLimits(m_pool.limits());
        connect(worker.get(), &collect::Downloader::DownloadComplete, this,
                [this, w](qint64, const QString&) { HuntDL_DownloadComplete(w); });
        connect(worker.get(), &collect::Downloader::DownloadError, this,
                [this, w](const QString&) { HuntDL_DownloadError(w); });
        connect(worker.get(), &collect::Downloader::DownloadProgress, this,
                [this, w](qint64 read, qint64 total, const QString&) { Q_EMIT workerProgress(w, read, total); });
        m_workers.push_back(std::move(worker));
    }
}

HuntRun::~HuntRun() = default;

void HuntRun::StartHunting(const QList<QByteArray>& prey)
{
    if (m_running)
        return;
    m_processedLines = 0;
    m_passes = 0;
    if (prey.size() > MaxPrey)
        m_huntLog.AddHuntLog(ProblemInRun +
                             QStringLiteral("only the first %1 of %2 prey are hunted").arg(MaxPrey).arg(prey.size()));
    // the prey cannot change during a hunt, so one automaton serves every page of every pass
    m_matcher = std::make_unique<PreyMatcher>(prey.mid(0, MaxPrey));
    for (auto& w : m_workers)
        w->setLimits(m_pool.limits());

    m_running = true;
    Q_EMIT runningChanged(true);
    do {
        HuntPass();
    } while (!m_loopStop);
    m_loopStop = false;
    m_running = false;
    // no run is active any more: waits elsewhere must not take the hunt's cleared request for a running one
    m_flags.StopRequested = 1;
    Q_EMIT runningChanged(false);
}

void HuntRun::StopHunting()
{
    m_flags.StopRequested = 1;
    m_loopStop = true;
}

void HuntRun::HuntPass()
{
    ++m_passes;
    m_huntLog.AddHuntLog(QStringLiteral("Hunt started"));
    m_queue.assign(1, HuntQueueRecord{});
    m_pool.clearQueue();
    m_pages.clear();
    m_loopStop = false;
    m_tableFullLogged = false;
    m_pagesDone = 0;

    const QString temp = m_workspace.path(base::Paths::Temp);
    // without the folder every page would be fetched and thrown away
    if (!QDir().mkpath(temp))
        m_huntLog.AddHuntLog(ProblemInQueue + QStringLiteral("the folder %1 cannot be created").arg(temp));
    std::vector<HuntQueueRecord> servers = buildHuntQueue(m_servers, temp);
    if (int(servers.size()) > QueueCapacity) {
        m_huntLog.AddHuntLog(ProblemInRun + QStringLiteral("the hunt queue holds %1 servers; %2 were left out")
                                                .arg(QueueCapacity)
                                                .arg(servers.size() - QueueCapacity));
        servers.resize(QueueCapacity);
    }
    m_queue.insert(m_queue.end(), servers.begin(), servers.end());
    Q_EMIT passStarted(m_passes, int(servers.size()));

    ProcessHuntque();
    const int finds = m_pages.PageEntryCount();
    m_pool.RunDownloadQueue();
    m_huntLog.AddHuntLog(QStringLiteral("Hunt ended"));
    Q_EMIT passEnded(m_passes, finds);
    setPanel(1, QString());
    setPanel(2, QString());
    if (!m_loop)
        m_loopStop = true;
    if (servers.empty() && !m_loopStop)
        platform::waitUntil([this] { return m_loopStop; }, EmptyPassPauseMs);
    platform::yieldToEvents();
}

int HuntRun::firstFreeWorker() const
{
    for (int w = 0; w < Workers; ++w) {
        if (m_slots[std::size_t(w)] == FreeWorker)
            return w;
    }
    return -1;
}

bool HuntRun::allWorkersFree() const
{
    return std::all_of(m_slots.begin(), m_slots.end(), [](int q) { return q == FreeWorker; });
}

void HuntRun::ProcessHuntque()
{
    m_flags.StopRequested = 0;
    const int count = int(m_queue.size()) - 1;
    if (count > 0) {
        const auto stopped = [this] { return m_flags.StopRequested == 1; };
        for (int q = 1; q <= count && !stopped(); ++q) {
            if (m_queue[std::size_t(q)].PageURL.isEmpty())
                continue;
            while (true) {
                int w = firstFreeWorker();
                if (w < 0) {
                    platform::waitUntil([&] { return firstFreeWorker() >= 0 || stopped(); });
                    w = firstFreeWorker();
                }
                if (w >= 0) {
                    m_slots[std::size_t(w)] = q;
                    const HuntQueueRecord& r = m_queue[std::size_t(q)];
                    DownloadHunt(w, r.PageURL, r.PageFile);
                    break;
                }
                if (stopped())
                    break;
            }
            platform::yieldToEvents();
        }
        if (stopped()) {
            m_huntLog.AddHuntLog(QStringLiteral("Scan Aborted, waiting for download treads to finish"));
            for (auto& w : m_workers)
                w->CancelAsyncRead();
        }
        // the workers' own time-outs bound this wait
        platform::waitUntil([this] { return allWorkersFree(); });
    }
    if (m_pages.PageEntryCount() > 0) {
        m_flags.StopRequested = 0;
        m_pool.clearQueue();
        Q_EMIT barsFull();
        m_log.LogVerbose(QStringLiteral("Huntmmode ") + QString::number(m_pages.PageEntryCount()) +
                         QStringLiteral(" was sent to downloadque"));
        if (m_collect)
            m_collect(m_pages.PageEntryCount());
    }
    m_flags.StopRequested = 0;
}

void HuntRun::DownloadHunt(int w, const QString& url, const QString& file)
{
    // a page left from an earlier pass must not be scanned again when this fetch brings none
    QFile::remove(file);
    m_workers.at(std::size_t(w))->BeginDownload(url, file);
}

void HuntRun::HuntDL_DownloadComplete(int w)
{
    const int q = m_slots[std::size_t(w)];
    // a failed transfer was handled by its error event already
    if (q == FreeWorker || q < 1 || q >= int(m_queue.size()))
        return;
    const HuntQueueRecord record = m_queue[std::size_t(q)];
    if (!record.PageFile.isEmpty()) {
        setPanel(1, QStringLiteral("Processing server: ") + record.ServerName);
        if (QFile::exists(record.PageFile))
            scanPage(record);
        else
            m_huntLog.AddHuntLog(
                ProblemInQueue +
                QStringLiteral("the page of %1 could not be saved as %2").arg(record.ServerName, record.PageFile));
    }
    m_slots[std::size_t(w)] = FreeWorker;
    m_queue[std::size_t(q)] = HuntQueueRecord{};
    Q_EMIT pagesProgress(++m_pagesDone, int(m_queue.size()) - 1);
}

void HuntRun::HuntDL_DownloadError(int w)
{
    const int q = m_slots[std::size_t(w)];
    m_slots[std::size_t(w)] = FreeWorker;
    if (q == FreeWorker || q < 1 || q >= int(m_queue.size()))
        return;
    m_log.LogVerbose(QStringLiteral("HuntMode Error downloading ") + m_queue[std::size_t(q)].ServerName);
    m_queue[std::size_t(q)] = HuntQueueRecord{};
    Q_EMIT pagesProgress(++m_pagesDone, int(m_queue.size()) - 1);
}

void HuntRun::scanPage(const HuntQueueRecord& record)
{
    QFile file(record.PageFile);
    if (!file.open(QIODevice::ReadOnly)) {
        m_huntLog.AddHuntLog(ProblemInQueue + file.errorString());
        return;
    }
    // one byte more than any index may have, so an oversized page is recognised without reading it all
    const QByteArray page = file.read(collect::MaxIndexPageBytes + 1);
    const HuntPageScan scan = ScanHuntPage(page, record.PageURL.toLatin1(), *m_matcher);
    if (scan.outcome != HuntPageScan::Outcome::Scanned)
        return;
    m_processedLines += scan.examinedLines;
    setPanel(2, QStringLiteral("Number of processed HTML-lines: ") + QString::number(m_processedLines));
    for (const collect::PageEntry& e : scan.entries) {
        m_huntLog.AddHuntLog(QString::fromLatin1(e.IndexText) + QStringLiteral(" found on: ") + record.ServerName);
        if (!m_pages.append(e) && !m_tableFullLogged) {
            m_tableFullLogged = true;
            m_huntLog.AddHuntLog(ProblemInRun + QStringLiteral("the page table is full (%1 entries); later finds "
                                                               "of this pass are not downloaded")
                                                    .arg(collect::PageTable::Capacity));
        }
    }
    for (int line : scan.unreadableLines)
        m_huntLog.AddHuntLog(
            ProblemInRun +
            QStringLiteral("line %1 of the page of %2 names no player").arg(line).arg(record.ServerName));
}

void HuntRun::setPanel(int panel, const QString& text)
{
    Q_EMIT statusPanelChanged(panel, text);
}

} // namespace vh::hunt
