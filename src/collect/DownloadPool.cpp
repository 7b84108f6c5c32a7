#include "collect/DownloadPool.h"

#include "base/ActivityLog.h"
#include "base/RunFlags.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "platform/EventWait.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>

#include <algorithm>

namespace vh::collect {

namespace {
const QString ScanAborted = QStringLiteral("Scan Aborted, waiting for download treads to finish");
const QString WriteProblem = QStringLiteral("Problems in Writing PBSS, error:");

int clampToInt(qint64 v)
{
    return int(std::clamp<qint64>(v, 0, std::numeric_limits<int>::max()));
}
} // namespace

DownloadPool::DownloadPool(base::RunFlags& flags, base::ActivityLog& log, const base::Workspace& workspace,
                           database::Database& database, QObject* parent)
    : QObject(parent), m_flags(flags), m_log(log), m_workspace(workspace), m_database(database),
      m_manager(std::make_unique<QNetworkAccessManager>())
{
    // no cache is set on the manager: every fetch goes to the server
    m_workerSlots.fill(FreeWorker);
    m_queue.resize(1);

    m_page1 = std::make_unique<Downloader>(*m_manager);
    connect(m_page1.get(), &Downloader::DownloadComplete, this, [this](qint64, const QString&) {
        m_pageDone1 = true;
        setProgress(0, 100);
    });
    connect(m_page1.get(), &Downloader::DownloadError, this, [this](const QString&) { m_pageDone1 = true; });
    connect(m_page1.get(), &Downloader::WriteFailed, this, &DownloadPool::onWriteFailed);
    connect(m_page1.get(), &Downloader::DownloadProgress, this, [this](qint64 read, qint64 total, const QString&) {
        if (!m_progressBlocked || !m_progressBlocked())
            setProgress(clampToInt(read), clampToInt(total));
    });
    m_page2 = std::make_unique<Downloader>(*m_manager);
    connect(m_page2.get(), &Downloader::DownloadComplete, this, [this](qint64, const QString&) { m_pageDone2 = true; });
    connect(m_page2.get(), &Downloader::DownloadError, this, [this](const QString&) { m_pageDone2 = true; });
    connect(m_page2.get(), &Downloader::WriteFailed, this, &DownloadPool::onWriteFailed);

    setThreads(1);
}

DownloadPool::~DownloadPool()
{
    m_workers.clear();
    m_page1.reset();
    m_page2.reset();
}

void DownloadPool::setLimits(const NetworkLimits& limits)
{
    m_limits = limits;
    for (auto& w : m_workers)
        w->setLimits(limits);
    m_page1->setLimits(limits);
    m_page2->setLimits(limits);
}

std::unique_ptr<Downloader> DownloadPool::makeWorker(int w)
{
    auto worker = std::make_unique<Downloader>(*m_manager);
    worker->setLimits(m_limits);
    worker->setWriteSync(platform::StagedFile::Sync::Cached);
    connect(worker.get(), &Downloader::DownloadComplete, this,
            [this, w](qint64, const QString&) { SSDL_DownloadComplete(w); });
    connect(worker.get(), &Downloader::DownloadError, this, [this, w](const QString&) { SSDL_DownloadError(w); });
    connect(worker.get(), &Downloader::WriteFailed, this, &DownloadPool::onWriteFailed);
    return worker;
}

void DownloadPool::setThreads(int n)
{
    n = std::clamp(n, 1, MaxWorkers);
    while (int(m_workers.size()) > n)
        m_workers.pop_back();
    while (int(m_workers.size()) < n)
        m_workers.push_back(makeWorker(int(m_workers.size())));
}

void DownloadPool::freeWorkerSlots(int first, int last)
{
    for (int w = std::max(first, 0); w <= std::min(last, WorkerSlotCount - 1); ++w)
        m_workerSlots[std::size_t(w)] = FreeWorker;
}

bool DownloadPool::EnqueueDownload(const PageEntry& entry)
{
    if (m_queueCount + 1 > QueueCapacity)
        return false;
    if (int(m_queue.size()) <= m_queueCount + 1)
        m_queue.resize(std::size_t(m_queueCount) + 2);
    m_queue[std::size_t(m_queueCount) + 1] = entry;
    ++m_queueCount;
    return true;
}

void DownloadPool::clearQueue()
{
    m_queueCount = 0;
    m_queue.assign(1, PageEntry{});
}

void DownloadPool::DownloadSS(int w, const QString& url, const QString& saveFile)
{
    worker(w).BeginDownload(url, saveFile);
}

int DownloadPool::firstFreeWorker() const
{
    for (int w = 0; w < threadCount(); ++w) {
        if (m_workerSlots[std::size_t(w)] == FreeWorker)
            return w;
    }
    return -1;
}

int DownloadPool::workerForHandOut() const
{
    if (m_intakeSaturated && m_intakeSaturated())
        return -1;
    return firstFreeWorker();
}

bool DownloadPool::allWorkersFree() const
{
    for (int w = 0; w < threadCount(); ++w) {
        if (m_workerSlots[std::size_t(w)] != FreeWorker)
            return false;
    }
    return true;
}

void DownloadPool::onWriteFailed(const QString& saveFile, const QString& reason)
{
    // a disk that takes no download takes no other either: the run ends, and what can be saved is saved
    m_flags.StopRequested = 1;
    if (m_writeFailureLogged)
        return;
    m_writeFailureLogged = true;
    m_log.Log(WriteProblem + reason + QStringLiteral(" ") + QDir::toNativeSeparators(saveFile) +
                  QStringLiteral(", the inventory stops"),
              base::Colours::Red);
}

void DownloadPool::RunDownloadQueue()
{
    m_writeFailureLogged = false;
    if (m_queueCount > 0) {
        setProgress(m_progressValue, m_queueCount);
        m_doneCount = 1;
        freeWorkerSlots(0, threadCount() - 1);

        bool leftEarly = false;
        for (int j = 1; j <= m_queueCount && !leftEarly; ++j) {
            bool handed = false;
            while (!handed) {
                int w = workerForHandOut();
                if (w < 0) {
                    platform::waitUntil([this] {
                        return workerForHandOut() >= 0 || m_flags.StopRequested == 1 || m_flags.SkipRequested;
                    });
                    w = workerForHandOut();
                }
                if (w >= 0) {
                    const PageEntry& e = m_queue[std::size_t(j)];
                    m_workerSlots[std::size_t(w)] = qint16(j);
                    DownloadSS(w, QString::fromLatin1(e.BaseURL + '/' + e.FileName), QFile::decodeName(e.LocalFile));
                    handed = true;
                    Q_EMIT handedOut(w, j);
                }
                if (m_flags.StopRequested == 1) {
                    m_log.Log(ScanAborted, base::Colours::White);
                    leftEarly = true;
                    break;
                }
                if (m_flags.SkipRequested) {
                    leftEarly = true;
                    break;
                }
                platform::yieldToEvents();
            }
        }
        if (!leftEarly && m_flags.StopRequested == 1)
            m_log.Log(ScanAborted, base::Colours::White);

        for (auto& w : m_workers)
            w->CancelAsyncRead();
        // the workers' own time-outs bound this wait; the screenshots they brought are all taken in after it
        platform::waitUntil([this] { return allWorkersFree() && intakeIdle(); });
    }
    setStatusText(QString());
    setProgress(0, m_progressMaximum);
    m_flags.SkipRequested = false;
}

void DownloadPool::showDone()
{
    setProgress(m_doneCount, m_progressMaximum);
    setStatusText(QStringLiteral("%1 of %2").arg(m_doneCount).arg(m_queueCount));
    ++m_doneCount;
}

void DownloadPool::SSDL_DownloadComplete(int w)
{
    const int j = m_workerSlots[std::size_t(w)];
    m_workerSlots[std::size_t(w)] = FreeWorker;
    if (j == FreeWorker || j < 1 || j > m_queueCount)
        return;
    const PageEntry entry = m_queue[std::size_t(j)];
    database::ScreenshotEntry& slot = m_database.intakeSlot(w);
    slot.ShotTime = entry.ShotTime;
    slot.IndexText = entry.IndexText;
    slot.ServerURL = entry.BaseURL;
    showDone();
    if (m_intake)
        m_intake(w, QFile::decodeName(entry.LocalFile), entry);
    if (j <= m_queueCount)
        m_queue[std::size_t(j)] = PageEntry{};
}

void DownloadPool::SSDL_DownloadError(int w)
{
    const int j = m_workerSlots[std::size_t(w)];
    m_workerSlots[std::size_t(w)] = FreeWorker;
    if (j != FreeWorker)
        showDone();
}

QByteArray DownloadPool::readFetchedFile(const QString& file) const
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(m_limits.maxTransferBytes);
}

QByteArray DownloadPool::GetFile(const QString& url)
{
    const QString file = m_workspace.path(QStringLiteral("temp/tempdata.htm"));
    QFile::remove(file);
    FetchToFile(url, file);
    return readFetchedFile(file);
}

QByteArray DownloadPool::GetFile2(const QString& url, int number)
{
    const QString file = m_workspace.path(QStringLiteral("temp/tempa%1.htm").arg(number));
    QFile::remove(file);
    FetchToFile2(url, file);
    return readFetchedFile(file);
}

void DownloadPool::FetchToFile(const QString& url, const QString& file)
{
    m_page1->BeginDownload(url, file);
    m_pageDone1 = false;
    platform::waitUntil([this] { return m_pageDone1 || m_flags.StopRequested == 1; });
}

void DownloadPool::FetchToFile2(const QString& url, const QString& file)
{
    m_pageDone2 = false;
    m_page2->BeginDownload(url, file);
    platform::waitUntil([this] { return m_pageDone2; });
}

void DownloadPool::setProgress(int value, int maximum)
{
    if (value == m_progressValue && maximum == m_progressMaximum)
        return;
    m_progressValue = value;
    m_progressMaximum = maximum;
    Q_EMIT progressChanged(value, maximum);
}

void DownloadPool::setStatusText(const QString& text)
{
    if (text == m_statusText)
        return;
    m_statusText = text;
    Q_EMIT statusTextChanged(text);
}

} // namespace vh::collect
