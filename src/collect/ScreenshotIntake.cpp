#include "collect/ScreenshotIntake.h"

#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "platform/EventWait.h"
#include "platform/SafeFileName.h"
#include "platform/WorkerPool.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <thread>

namespace vh::collect {

ScreenshotIntake::ScreenshotIntake(detect::Detection& detection, database::Database& database, base::Settings& settings,
                                   base::ActivityLog& log, const base::Workspace& workspace)
    : m_detection(detection), m_database(database), m_settings(settings), m_log(log), m_workspace(workspace),
      m_clock([] { return QDateTime::currentDateTime(); })
{
}

ScreenshotIntake::~ScreenshotIntake() = default;

IntakeAnalysis ScreenshotIntake::analyse(const detect::AnalysisConfig& config, const DownloadedShot& shot)
{
    using Verdict = IntakeAnalysis::Verdict;
    IntakeAnalysis result;
    const QFileInfo file(shot.LocalFile);
    if (!file.exists())
        return result; // Missing
    if (file.size() <= SizeThreshold) {
        result.verdict = Verdict::TooSmall;
        return result;
    }
    database::ScreenshotEntry entry;
    entry.ServerURL = shot.ServerURL;
    entry.IndexText = shot.IndexText;
    entry.ShotTime = shot.ShotTime;
    result.shot = detect::Detection::analyse(config, shot.LocalFile, std::move(entry));
    const database::ScreenshotEntry& read = result.shot.entry;
    // a screenshot whose text cannot be read never becomes an entry: it leaves nothing in the vault (the
    // scan keeps a copy in PBSS/failed), or a server serving such files would fill the disk pass by pass
    if (!result.shot.scanError.isEmpty())
        result.verdict = Verdict::Unreadable;
    else if (!read.IndexText.contains(read.GUID))
        result.verdict = Verdict::OtherPlayer;
    else
        result.verdict = Verdict::Accepted;
    return result;
}

void ScreenshotIntake::ProcessPBSS(int w, const DownloadedShot& shot)
{
    if (w < 0 || w >= database::Database::IntakeSlotCount)
        return;
    database::ScreenshotEntry& slot = m_database.intakeSlot(w);
    slot.ServerURL = shot.ServerURL;
    slot.IndexText = shot.IndexText;
    slot.ShotTime = shot.ShotTime;
    IntakeAnalysis analysis = analyse(*m_detection.analysisConfig(), shot);
    apply(w, shot, analysis);
}

void ScreenshotIntake::ProcessPBSS(int w, const QString& saveFile)
{
    if (w < 0 || w >= database::Database::IntakeSlotCount)
        return;
    const database::ScreenshotEntry& slot = m_database.intakeSlot(w);
    ProcessPBSS(w, DownloadedShot{slot.ServerURL, slot.IndexText, slot.ShotTime, saveFile});
}

int ScreenshotIntake::analysisThreads() const
{
    if (m_workers)
        return m_workers->threadCount();
    return m_threads > 0 ? m_threads : int(std::max(1u, std::thread::hardware_concurrency()));
}

void ScreenshotIntake::setAnalysisThreads(int n)
{
    m_threads = std::max(n, 0);
    if (m_pending == 0)
        m_workers.reset();
}

void ScreenshotIntake::submit(int w, const DownloadedShot& shot)
{
    if (w < 0 || w >= database::Database::IntakeSlotCount)
        return;
    if (!m_workers)
        m_workers = std::make_unique<platform::WorkerPool>(m_threads, platform::WorkerPool::Priority::Background);
    // the tables and switches stay as they were for everything under way; a new burst sees the current ones
    if (m_pending == 0 || !m_config)
        m_config = m_detection.analysisConfig();
    const quint64 number = m_nextSubmitted++;
    ++m_pending;
    // the work sees only its own copies; what it returns runs here
    m_workers->start([this, config = m_config, shot, number, w]() -> platform::WorkerPool::Done {
        IntakeAnalysis analysis = analyse(*config, shot);
        return [this, number, w, shot, analysis = std::move(analysis)]() mutable {
            m_finished.emplace(number, Finished{w, shot, std::move(analysis)});
            applyInOrder();
        };
    });
}

void ScreenshotIntake::applyInOrder()
{
    // an entry that is added may wait on events (a report fetches banlists): what finishes meanwhile waits
    // here for the outer round, so the order stays that of the hand-over
    if (m_applying)
        return;
    m_applying = true;
    while (!m_finished.empty() && m_finished.begin()->first == m_nextApplied) {
        Finished done = std::move(m_finished.begin()->second);
        m_finished.erase(m_finished.begin());
        ++m_nextApplied;
        apply(done.slot, done.shot, done.analysis);
        --m_pending;
    }
    m_applying = false;
}

void ScreenshotIntake::waitForAnalyses()
{
    platform::waitUntil([this] { return m_pending == 0; });
}

void ScreenshotIntake::apply(int w, const DownloadedShot& shot, IntakeAnalysis& analysis)
{
    using Verdict = IntakeAnalysis::Verdict;
    const QString& saveFile = shot.LocalFile;
    switch (analysis.verdict) {
    case Verdict::Missing:
        return;
    case Verdict::Unreadable:
        m_detection.reportScan(analysis.shot, saveFile);
        [[fallthrough]];
    case Verdict::TooSmall:
    case Verdict::OtherPlayer:
        QFile::remove(saveFile);
        return;
    case Verdict::Accepted:
        break;
    }
    database::ScreenshotEntry& slot = m_database.intakeSlot(w);
    slot = std::move(analysis.shot.entry);
    const QByteArray stamp = m_clock().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    const base::Checked<QByteArray> vaultName =
        moveIntoVault(saveFile, stamp + platform::safeFileNamePart(slot.ShotFile));
    if (vaultName.ok()) {
        slot.VaultName = vaultName.value;
        m_detection.CheckNameChanger(w);
        m_settings.setValue(base::Setting::DownloadedCount,
                            QString::number(qint64(m_settings.number(base::Setting::DownloadedCount)) + 1));
        m_detection.setPixelFindings(w, std::move(analysis.shot.pixels));
        if (m_addEntry)
            m_addEntry(w);
    } else {
        // an entry whose PNG is not in the vault could never be shown, so there is none
        m_log.Log(QStringLiteral("Problems in moving PBSS to vault, error:") +
                  vaultName.problems.join(QStringLiteral("; ")));
    }
    database::ScreenshotEntry& done = m_database.intakeSlot(w);
    const qint16 width = done.CaptureWidth;
    const qint16 height = done.CaptureHeight;
    done = database::ScreenshotEntry();
    done.CaptureWidth = width;
    done.CaptureHeight = height;
    m_detection.releasePixelFindings(w);
}

base::Checked<QByteArray> ScreenshotIntake::moveIntoVault(const QString& saveFile, const QByteArray& wantedName) const
{
    const QString vault = m_workspace.path(base::Paths::Vault);
    // a name already taken gets a number, so no entry ever points at another screenshot's file or at none
    for (int n = 1; n <= MaxNameTries; ++n) {
        const QByteArray name = n == 1 ? wantedName : wantedName + '_' + QByteArray::number(n);
        const QString target = vault + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".png");
        if (QFileInfo::exists(target))
            continue;
        QFile source(saveFile);
        if (source.rename(target))
            return base::Checked<QByteArray>::good(name);
        if (!QFileInfo::exists(target))
            return base::Checked<QByteArray>::failed(source.errorString());
    }
    return base::Checked<QByteArray>::failed(QStringLiteral("File already exists"));
}

} // namespace vh::collect
