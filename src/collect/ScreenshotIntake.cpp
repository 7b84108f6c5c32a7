#include "collect/ScreenshotIntake.h"

#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "detect/Detection.h"
#include "platform/EventWait.h"
#include "platform/SafeFileName.h"

#include <QFile>
#include <QFileInfo>

namespace vh::collect {

ScreenshotIntake::ScreenshotIntake(detect::Detection& detection, database::Database& database, base::Settings& settings,
                                   base::ActivityLog& log, const base::Workspace& workspace)
    : m_detection(detection), m_database(database), m_settings(settings), m_log(log), m_workspace(workspace),
      m_yield([] { platform::yieldToEvents(); }), m_clock([] { return QDateTime::currentDateTime(); })
{
}

void ScreenshotIntake::ProcessPBSS(int w, const DownloadedShot& shot)
{
    if (w < 0 || w >= database::Database::IntakeSlotCount)
        return;
    database::ScreenshotEntry& slot = m_database.intakeSlot(w);
    slot.ServerURL = shot.ServerURL;
    slot.IndexText = shot.IndexText;
    slot.ShotTime = shot.ShotTime;
    ProcessPBSS(w, shot.LocalFile);
}

void ScreenshotIntake::ProcessPBSS(int w, const QString& saveFile)
{
    if (w < 0 || w >= database::Database::IntakeSlotCount)
        return;
    const QFileInfo file(saveFile);
    if (!file.exists())
        return;
    if (file.size() <= SizeThreshold) {
        QFile::remove(saveFile);
        return;
    }
    // a screenshot whose text cannot be read never becomes an entry: it leaves nothing in the vault (the
    // scan keeps a copy in PBSS/failed), or a server serving such files would fill the disk pass by pass
    const bool read = m_detection.ScanScreenshot(w, saveFile);
    if (!read || !m_database.intakeSlot(w).IndexText.contains(m_database.intakeSlot(w).GUID)) {
        QFile::remove(saveFile);
        m_detection.releasePicture(w);
        return;
    }
    const QByteArray stamp = m_clock().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    m_yield();
    QByteArray vaultName;
    QString error;
    if (moveIntoVault(saveFile, stamp + platform::safeFileNamePart(m_database.intakeSlot(w).ShotFile), vaultName,
                      error)) {
        m_database.intakeSlot(w).VaultName = vaultName;
        m_detection.CheckNameChanger(w);
        m_settings.setValue(base::Setting::DownloadedCount,
                            QString::number(qint64(m_settings.number(base::Setting::DownloadedCount)) + 1));
        if (m_addEntry)
            m_addEntry(w);
    } else {
        // an entry whose PNG is not in the vault could never be shown, so there is none
        m_log.Log(QStringLiteral("Problems in moving PBSS to vault, error:") + error);
    }
    database::ScreenshotEntry& done = m_database.intakeSlot(w);
    const qint16 width = done.CaptureWidth;
    const qint16 height = done.CaptureHeight;
    done = database::ScreenshotEntry();
    done.CaptureWidth = width;
    done.CaptureHeight = height;
    m_detection.releasePicture(w);
    m_yield();
}

bool ScreenshotIntake::moveIntoVault(const QString& saveFile, const QByteArray& wantedName, QByteArray& vaultName,
                                     QString& error) const
{
    const QString vault = m_workspace.path(base::Paths::Vault);
    // a name already taken gets a number, so no entry ever points at another screenshot's file or at none
    for (int n = 1; n <= MaxNameTries; ++n) {
        const QByteArray name = n == 1 ? wantedName : wantedName + '_' + QByteArray::number(n);
        const QString target = vault + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".png");
        if (QFileInfo::exists(target))
            continue;
        QFile source(saveFile);
        if (source.rename(target)) {
            vaultName = name;
            return true;
        }
        if (!QFileInfo::exists(target)) {
            error = source.errorString();
            return false;
        }
    }
    error = QStringLiteral("File already exists");
    return false;
}

} // namespace vh::collect
