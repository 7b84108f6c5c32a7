#include "detect/Detection.h"

#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "platform/AtomicFile.h"
#include "platform/PngDecoder.h"
#include "platform/SafeFileName.h"
#include "review/cDIBSection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace vh::detect {

Detection::Detection(const GlyphTable& glyphs, const SuspiciousColors& colours, database::Database& database,
                     const base::Settings& settings, base::ActivityLog& log, const base::Workspace& workspace)
    : m_glyphs(glyphs), m_colours(colours), m_database(database), m_settings(settings), m_log(log),
      m_workspace(workspace), m_reader(glyphs), m_checks(colours, settings, log),
      m_clock([] { return QDateTime::currentDateTime(); })
{
    static_assert(std::tuple_size_v<decltype(m_findings)> == database::Database::IntakeSlotCount);
}

bool Detection::isSlot(int slot)
{
    return slot >= 0 && slot < database::Database::IntakeSlotCount;
}

std::shared_ptr<const AnalysisConfig> Detection::analysisConfig() const
{
    auto config = std::make_shared<AnalysisConfig>();
    config->glyphs = m_glyphs;
    config->colours = m_colours;
    config->colourCodes = m_settings.isOn(base::Setting::ScanColorCodes);
    config->noFog = m_settings.isOn(base::Setting::ScanNoFog);
    return config;
}

ShotAnalysis Detection::analyse(const AnalysisConfig& config, const QString& pngPath, database::ScreenshotEntry entry)
{
    ShotAnalysis result;
    // a size left over from an earlier screenshot must not make an unread one an entry
    entry.CaptureWidth = 0;
    entry.CaptureHeight = 0;

    review::cDIBSection bitmap;
    const base::Checked<QImage> decoded = platform::PngDecoder::LoadPicture(pngPath);
    if (!decoded.ok()) {
        const QString error = decoded.problems.join(QStringLiteral("; "));
        result.scanError = error.isEmpty() ? QStringLiteral("the picture cannot be decoded") : error;
    } else {
        bitmap.CreateFromPicture(decoded.value);
        if (bitmap.isEmpty())
            result.scanError = QStringLiteral("Out of memory");
        else
            result.scanError = ScreenTextReader(config.glyphs).ReadScreenText(bitmap, entry).join(QStringLiteral("; "));
    }
    result.width = bitmap.Width();
    result.height = bitmap.Height();
    if (!result.scanError.isEmpty()) {
        entry.CaptureWidth = 0;
        entry.CaptureHeight = 0;
    } else if (config.colourCodes && entry.CaptureWidth != 0 && entry.CaptureHeight != 0) {
        // on a scratch copy: the findings are applied only if nothing marked the entry before they are
        database::ScreenshotEntry scratch = entry;
        scratch.AutoDetected.clear();
        scratch.Cheating = false;
        PixelFindings findings;
        findings.error =
            CheatChecks::CheckPixels(config.colours, config.noFog, bitmap, scratch).join(QStringLiteral("; "));
        if (scratch.Cheating)
            findings.detected = scratch.AutoDetected;
        findings.width = bitmap.Width();
        findings.height = bitmap.Height();
        result.pixels = std::move(findings);
    }
    result.entry = std::move(entry);
    return result;
}

bool Detection::reportScan(const ShotAnalysis& analysis, const QString& pngPath)
{
    if (analysis.scanError.isEmpty())
        return true;
    m_log.Log(QStringLiteral("Problems in Scanning for text, error:%1 DB-entry: %2, x:%3, y:%4")
                  .arg(analysis.scanError)
                  .arg(m_database.CurrentEntry)
                  .arg(analysis.width)
                  .arg(analysis.height));
    copyToFailed(pngPath, analysis.entry.ServerURL);
    return false;
}

void Detection::copyToFailed(const QString& pngPath, const QByteArray& serverUrl) const
{
    QFile source(pngPath);
    if (!source.open(QIODevice::ReadOnly))
        return;
    // what is not a PNG at all tells nobody anything about the text reading
    static const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);
    if (source.peek(PngSignature.size()) != PngSignature)
        return;
    // one copy per server and shot: a server that serves the same unreadable file on every pass keeps one
    QByteArray server = serverUrl;
    const qsizetype scheme = server.indexOf("://");
    if (scheme >= 0)
        server = server.mid(scheme + 3);
    const QByteArray name = platform::safeFileNamePart(server, 100) + '_' +
                            platform::safeFileNamePart(QFileInfo(pngPath).fileName().toLatin1(), 100);
    const QString target = m_workspace.path(base::Paths::Failed) + QLatin1Char('/') + QString::fromLatin1(name);
    // a copy that fails leaves nothing else undone
    if (platform::writeFileAtomically(target, source.readAll()).isEmpty())
        trimFailed(target);
}

void Detection::trimFailed(const QString& kept) const
{
    QFileInfoList copies =
        QDir(m_workspace.path(base::Paths::Failed)).entryInfoList(QDir::Files, QDir::Time | QDir::Reversed);
    qint64 total = 0;
    for (const QFileInfo& copy : copies)
        total += copy.size();
    if (total <= m_failedBudget)
        return;
    int removed = 0;
    qint64 freed = 0;
    // oldest first; the copy just made goes last, and only when it alone is over the budget
    std::stable_partition(copies.begin(), copies.end(), [&kept](const QFileInfo& f) { return f.filePath() != kept; });
    for (const QFileInfo& copy : copies) {
        if (total <= m_failedBudget)
            break;
        if (QFile::remove(copy.filePath())) {
            total -= copy.size();
            freed += copy.size();
            ++removed;
        }
    }
    m_log.Log(QStringLiteral("Trimmed %1: removed the %2 oldest copies (%3 bytes), it keeps at most %4 bytes")
                  .arg(QDir::toNativeSeparators(m_workspace.path(base::Paths::Failed)))
                  .arg(removed)
                  .arg(freed)
                  .arg(m_failedBudget));
}

void Detection::CheckNameChanger(int slot)
{
    if (isSlot(slot))
        m_checks.CheckNameChanger(m_database.intakeSlot(slot), m_database.CurrentEntry);
}

void Detection::setPixelFindings(int slot, std::optional<PixelFindings> findings)
{
    if (isSlot(slot))
        m_findings[std::size_t(slot)] = std::move(findings);
}

void Detection::releasePixelFindings(int slot)
{
    if (isSlot(slot))
        m_findings[std::size_t(slot)].reset();
}

void Detection::RunPixelChecks(int slot)
{
    if (!isSlot(slot))
        return;
    database::ScreenshotEntry& entry = m_database.intakeSlot(slot);
    if (entry.CaptureWidth == 0 || entry.CaptureHeight == 0) {
        m_log.Log(QStringLiteral("Skipped Misc for: %1").arg(m_database.CurrentEntry));
        return;
    }
    const std::optional<PixelFindings>& findings = m_findings[std::size_t(slot)];
    if (!findings)
        return;
    if (!findings->detected.isEmpty()) {
        entry.AutoDetected = findings->detected;
        entry.Cheating = true;
    }
    if (!findings->error.isEmpty())
        m_log.Log(QStringLiteral("Problems in checking for MiscCheat, error:%1 DB-entry: %2, x:%3, y:%4")
                      .arg(findings->error)
                      .arg(m_database.CurrentEntry)
                      .arg(findings->width)
                      .arg(findings->height));
}

void Detection::ColourCodeCheck(int slot)
{
    if (isSlot(slot) && !m_database.intakeSlot(slot).Cheating && m_settings.isOn(base::Setting::ScanColorCodes))
        RunPixelChecks(slot);
}

} // namespace vh::detect
