#include "database/VaultHousekeeping.h"

#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "platform/AtomicFile.h"
#include "platform/SafeFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <utility>

namespace vh::database {

namespace {
const QString ArchiveProblem = QStringLiteral("Problems in Archiving PBSS, error:");

QByteArray captureSize(qint16 n)
{
    // a number is printed with a blank in front where a minus sign would stand, and one after it
    return (n < 0 ? QByteArray() : QByteArrayLiteral(" ")) + QByteArray::number(n) + ' ';
}
} // namespace

VaultHousekeeping::VaultHousekeeping(Database& db, base::ActivityLog& log, const base::Workspace& workspace)
    : m_db(db), m_log(log), m_workspace(workspace)
{
}

QString VaultHousekeeping::vaultFile(const ScreenshotEntry& e) const
{
    return m_workspace.path(base::Paths::Vault) + QLatin1Char('/') + QString::fromLatin1(e.VaultName) +
           QStringLiteral(".png");
}

QByteArray VaultHousekeeping::description(const ScreenshotEntry& e)
{
    const QByteArray lines[] = {e.AutoDetected,
                                e.IndexText,
                                e.HeaderInfo,
                                e.Cheating ? QByteArrayLiteral("True") : QByteArrayLiteral("False"),
                                e.VaultName,
                                e.ShotFile,
                                e.ServerURL,
                                e.GUID,
                                e.PlayerName,
                                e.ServerAddress,
                                e.ServerName,
                                e.ShotTime,
                                captureSize(e.CaptureWidth),
                                captureSize(e.CaptureHeight)};
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

int VaultHousekeeping::PurgeMissingPng()
{
    int purged = 0;
    for (int i = 1; i <= m_db.EntryCount(); ++i) {
        // read first: handing an entry out for writing costs it its search key
        if (!QFileInfo::exists(vaultFile(std::as_const(m_db).entry(i)))) {
            ++purged;
            m_db.entry(i).ShotFile = Database::DeletedMarker;
        }
    }
    m_db.compact();
    if (purged != 0)
        m_log.Log(QString::number(purged) + QStringLiteral(" entrys were purged due to lack of PNG"));
    return purged;
}

int VaultHousekeeping::MoveOrphanedFiles()
{
    QSet<QString> named;
    named.reserve(m_db.EntryCount());
    for (int i = 1; i <= m_db.EntryCount(); ++i)
        named.insert(QString::fromLatin1(std::as_const(m_db).entry(i).VaultName) + QStringLiteral(".png"));
    const QDir vault(m_workspace.path(base::Paths::Vault));
    const QString orphaned = m_workspace.path(base::Paths::Orphaned);
    int moved = 0;
    for (const QFileInfo& file : vault.entryInfoList(QDir::Files | QDir::Hidden)) {
        if (named.contains(file.fileName()))
            continue;
        if (moved == 0 && !QDir().mkpath(orphaned))
            break;
        const QString target = platform::unusedPath(
            orphaned, file.completeBaseName(), file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix());
        if (!target.isEmpty() && QFile::rename(file.filePath(), target))
            ++moved;
    }
    if (moved != 0)
        m_log.Log(QString::number(moved) + QStringLiteral(" vault files that no entry names were moved to ") +
                  QDir::toNativeSeparators(orphaned));
    return moved;
}

VaultHousekeeping::ViewUpdate VaultHousekeeping::DeleteEntry(int current)
{
    if (m_db.EntryCount() == 0 || current < 1 || current > m_db.EntryCount())
        return {};
    m_db.CurrentEntry = current;
    const QString file = vaultFile(std::as_const(m_db).entry(current));
    if (QFileInfo::exists(file))
        QFile::remove(file);
    m_db.remove(current);
    return {.showCurrent = true};
}

VaultHousekeeping::ViewUpdate VaultHousekeeping::DeleteAllShots()
{
    const QDir vault(m_workspace.path(base::Paths::Vault));
    if (m_db.EntryCount() > 0 && vault.exists()) {
        for (const QString& name : vault.entryList({QStringLiteral("*.png")}, QDir::Files))
            QFile::remove(vault.filePath(name));
    }
    m_db.clear();
    return {.showCurrent = true, .clearView = true};
}

VaultHousekeeping::ViewUpdate VaultHousekeeping::DeleteNonCheating()
{
    int purged = 0;
    for (int i = 1; i <= m_db.EntryCount(); ++i) {
        if (std::as_const(m_db).entry(i).Cheating)
            continue;
        ScreenshotEntry& e = m_db.entry(i);
        ++purged;
        const QString file = vaultFile(e);
        e.ShotFile = Database::DeletedMarker;
        QFile::remove(file);
    }
    m_db.compact();
    ViewUpdate update{.showCurrent = true};
    if (m_db.EntryCount() < 2) {
        update.clearView = true;
    } else {
        update.sliderToFirst = true;
        m_db.CurrentEntry = 1;
    }
    if (purged != 0)
        m_log.Log(QString::number(purged) + QStringLiteral(" entrys were purged"));
    return update;
}

VaultHousekeeping::ViewUpdate VaultHousekeeping::ArchiveCurrent(int current)
{
    if (m_db.EntryCount() == 0 || current < 1 || current > m_db.EntryCount())
        return {};
    m_db.CurrentEntry = current;
    const ScreenshotEntry& e = std::as_const(m_db).entry(current);
    if (QFileInfo::exists(vaultFile(e)) && !archive(e, current))
        return {.showCurrent = true};
    m_db.remove(current);
    return {.showCurrent = true};
}

VaultHousekeeping::ViewUpdate VaultHousekeeping::ArchiveAll()
{
    if (m_db.EntryCount() < 1)
        return {};
    for (int i = 1; i <= m_db.EntryCount(); ++i) {
        ScreenshotEntry& e = m_db.entry(i);
        if (!QFileInfo::exists(vaultFile(e)) || archive(e, i))
            e.ShotFile = Database::DeletedMarker;
    }
    m_db.compact();
    ViewUpdate update{.showCurrent = true};
    // entries that could not be archived stay, and the slider must span them again
    if (m_db.EntryCount() > 0) {
        update.clearView = m_db.EntryCount() < 2;
        update.sliderToFirst = !update.clearView;
        m_db.CurrentEntry = 1;
    }
    return update;
}

bool VaultHousekeeping::archive(const ScreenshotEntry& e, int entry)
{
    const QString base = uniqueArchiveBase(e.VaultName);
    const QString png = base + QStringLiteral(".png");
    const QString txt = base + QStringLiteral(".txt");
    const QString context = QStringLiteral(" DB-entry: ") + QString::number(entry);
    if (const base::Problems problems = platform::writeFileAtomically(txt, description(e)); !problems.isEmpty()) {
        m_log.Log(ArchiveProblem + problems.join(QStringLiteral("; ")) + context);
        return false;
    }
    QFile vault(vaultFile(e));
    if (!vault.rename(png)) {
        m_log.Log(ArchiveProblem + vault.errorString() + context);
        QFile::remove(txt);
        return false;
    }
    return true;
}

QString VaultHousekeeping::uniqueArchiveBase(const QByteArray& vaultName) const
{
    const QString stem = m_workspace.path(base::Paths::Archive) + QLatin1Char('/') + QString::fromLatin1(vaultName);
    QString base = stem;
    // an earlier archive of the same name keeps its picture and its description
    for (int n = 2;
         QFileInfo::exists(base + QStringLiteral(".png")) || QFileInfo::exists(base + QStringLiteral(".txt")); ++n)
        base = stem + QLatin1Char('-') + QString::number(n);
    return base;
}

} // namespace vh::database
