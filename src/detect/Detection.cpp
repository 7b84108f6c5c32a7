#include "detect/Detection.h"

#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "platform/PngDecoder.h"
#include "platform/SafeFileName.h"

#include <QFile>
#include <QFileInfo>

namespace vh::detect {

Detection::Detection(const GlyphTable& glyphs, const SuspiciousColors& colours, database::Database& database,
                     const base::Settings& settings, base::ActivityLog& log, const base::Workspace& workspace)
    : m_database(database), m_settings(settings), m_log(log), m_workspace(workspace), m_reader(glyphs),
      m_checks(colours, settings, log), m_clock([] { return QDateTime::currentDateTime(); })
{
    static_assert(std::tuple_size_v<decltype(m_pictures)> == database::Database::IntakeSlotCount);
}

bool Detection::isSlot(int slot)
{
    return slot >= 0 && slot < database::Database::IntakeSlotCount;
}

void Detection::releasePicture(int slot)
{
    if (isSlot(slot))
        m_pictures[std::size_t(slot)].ClearUp();
}

void Detection::ScanScreenshot(int slot, const QString& pngPath)
{
    if (!isSlot(slot))
        return;
    database::ScreenshotEntry& entry = m_database.intakeSlot(slot);
    review::cDIBSection& bitmap = m_pictures[std::size_t(slot)];
    bitmap.ClearUp();
    // a size left over from the slot's previous screenshot must not make an unread one an entry
    entry.CaptureWidth = 0;
    entry.CaptureHeight = 0;

    QString error;
    const platform::PngDecoder::Result decoded = platform::PngDecoder::LoadPicture(pngPath);
    if (!decoded.ok()) {
        error = decoded.error.isEmpty() ? QStringLiteral("the picture cannot be decoded") : decoded.error;
    } else {
        bitmap.CreateFromPicture(decoded.image);
        if (bitmap.isEmpty())
            error = QStringLiteral("Out of memory");
        else
            error = m_reader.ReadScreenText(bitmap, entry);
    }
    if (error.isEmpty())
        return;
    entry.CaptureWidth = 0;
    entry.CaptureHeight = 0;
    m_log.Log(QStringLiteral("Problems in Scanning for text, error:%1 DB-entry: %2, x:%3, y:%4")
                  .arg(error)
                  .arg(m_database.CurrentEntry)
                  .arg(bitmap.Width())
                  .arg(bitmap.Height()));
    copyToFailed(pngPath);
}

void Detection::copyToFailed(const QString& pngPath) const
{
    QByteArray name =
        m_clock().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + QFileInfo(pngPath).fileName().toLatin1();
    for (char removed : {':', ' ', '-', '/'})
        name.replace(removed, QByteArray());
    name = platform::safeFileNamePart(name, 150);
    const qsizetype dot = name.lastIndexOf('.');
    const QString stem = QString::fromLatin1(dot > 0 ? name.left(dot) : name);
    const QString suffix = dot > 0 ? QString::fromLatin1(name.mid(dot)) : QString();
    const QString target = platform::unusedPath(m_workspace.path(base::Paths::Failed), stem, suffix);
    // a copy that fails leaves nothing else undone
    if (!target.isEmpty())
        QFile::copy(pngPath, target);
}

void Detection::CheckNameChanger(int slot)
{
    if (isSlot(slot))
        m_checks.CheckNameChanger(m_database.intakeSlot(slot), m_database.CurrentEntry);
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
    const review::cDIBSection& bitmap = m_pictures[std::size_t(slot)];
    const QString error = m_checks.CheckPixels(bitmap, entry);
    if (!error.isEmpty())
        m_log.Log(QStringLiteral("Problems in checking for MiscCheat, error:%1 DB-entry: %2, x:%3, y:%4")
                      .arg(error)
                      .arg(m_database.CurrentEntry)
                      .arg(bitmap.Width())
                      .arg(bitmap.Height()));
}

void Detection::ColourCodeCheck(int slot)
{
    if (isSlot(slot) && !m_database.intakeSlot(slot).Cheating && m_settings.isOn(base::Setting::ScanColorCodes))
        RunPixelChecks(slot);
}

} // namespace vh::detect
