#include "database/EntryStore.h"

#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/RunFlags.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "platform/AtomicFile.h"
#include "platform/EventWait.h"
#include "platform/WorkerPool.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <utility>

namespace vh::database {

using base::Setting;

namespace {
const QString LoadProblem = QStringLiteral("Problems in Loading Database, error:");
const QString SaveProblem = QStringLiteral("Problems in Saving Database, error:");
const QString AddProblem = QStringLiteral("Problems in Adding DB-Entry, error:");
} // namespace

EntryStore::EntryStore(Database& db, base::Settings& settings, base::ActivityLog& log, base::RunFlags& flags,
                       const base::Workspace& workspace, QObject* parent)
    : QObject(parent), m_db(db), m_settings(settings), m_log(log), m_flags(flags), m_workspace(workspace),
      m_playSound([this](const QString& path) { playWav(path); })
{
}

EntryStore::~EntryStore() = default;

QString EntryStore::databasePath() const
{
    return m_workspace.path(base::Paths::DatabaseFile);
}

void EntryStore::LoadDatabase()
{
    const QString path = databasePath();
    m_db.clear();
    m_db.CurrentEntry = 1;
    m_changed = false;
    m_savedCount = 0;
    m_file.reset();
    if (!QFileInfo::exists(path)) {
        for (const QString& problem : platform::writeFileAtomically(path, QByteArray()))
            m_log.Log(LoadProblem + problem);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // shutdown would otherwise replace a file it never read with an empty database
        const QString aside = keepAside(path, QStringLiteral("unreadable"));
        m_log.Log(LoadProblem + file.errorString() + QStringLiteral(" in ") + path +
                  (aside.isEmpty() ? QString() : QStringLiteral(", the file was kept as ") + aside));
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    const base::Checked<int> result = DatabaseFile::parse(bytes, m_db);
    m_savedCount = m_db.EntryCount();
    if (result.ok()) {
        // an intact file holds the table and nothing else: the first save after a visit can grow it
        m_file = FileImage{m_savedCount, bytes.size()};
        m_db.markUnchanged();
        return;
    }
    const QString aside = keepAside(path, QStringLiteral("damaged"));
    m_log.Log(LoadProblem + result.problems.join(QStringLiteral("; ")) + QStringLiteral(" in ") + path +
              QStringLiteral(" DB-entry: ") + QString::number(result.value) + QStringLiteral(", ") +
              QString::number(m_db.EntryCount()) + QStringLiteral(" intact entries were loaded") +
              (aside.isEmpty() ? QStringLiteral(", the damaged file could not be kept aside")
                               : QStringLiteral(", the damaged file was kept as ") + aside));
}

QString EntryStore::keepAside(const QString& path, const QString& why) const
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QLatin1Char('.') + why + QLatin1Char('-') + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QLatin1Char('.') + why + QLatin1Char('-') + stamp + QLatin1Char('-') + QString::number(n);
    if (QFile::copy(path, aside) || QFile::rename(path, aside))
        return aside;
    return QString();
}

bool EntryStore::SaveDatabaseIfChanged()
{
    if (!m_changed && m_savedCount == m_db.EntryCount())
        return true;
    platform::waitUntil([this] { return !m_saving; });
    if (!m_saver)
        m_saver = std::make_unique<platform::WorkerPool>(1);
    for (;;) {
        const int count = m_db.EntryCount();
        const QString vault = m_savedCount != count ? m_workspace.path(base::Paths::Vault) : QString();
        // a table that only grew since the last save is written as that file and the new entries, so the
        // events wait for the new entries' bytes, not for the whole table's
        const std::optional<FileImage> grown =
            m_file && count >= m_file->count && m_db.firstChangedEntry() > m_file->count ? m_file : std::nullopt;
        QByteArray content = grown ? DatabaseFile::entriesFrom(m_db, grown->count + 1) : DatabaseFile::serialize(m_db);
        // what changes while the file is written is saved the next time
        m_db.markUnchanged();
        m_changed = false;
        m_saving = true;
        std::optional<Written> written;
        m_saver->start([this, &written, count, vault, grown, path = databasePath(), content = std::move(content)] {
            Written result = grown ? writeGrown(path, *grown, count, content, vault) : writeFile(path, content, vault);
            return [this, &written, result = std::move(result)] {
                m_saving = false;
                written = result;
            };
        });
        platform::waitUntil([&written] { return written.has_value(); });
        if (!written->stale)
            return finishSave(*written, count);
        // the file is not the one this program wrote last: the whole table replaces it
        m_file.reset();
    }
}

bool EntryStore::SaveDatabase()
{
    // a save under way on the save thread must not land after this one
    platform::waitUntil([this] { return !m_saving; });
    const int count = m_db.EntryCount();
    const QString vault = m_savedCount != count ? m_workspace.path(base::Paths::Vault) : QString();
    const QByteArray content = DatabaseFile::serialize(m_db);
    m_db.markUnchanged();
    m_changed = false;
    return finishSave(writeFile(databasePath(), content, vault), count);
}

EntryStore::Written EntryStore::writeFile(const QString& path, const QByteArray& content, const QString& vaultToFlush)
{
    Written result;
    // the screenshots of new entries were written without waiting on the disk: they reach it before the
    // database that names them does
    if (!vaultToFlush.isEmpty())
        result.problems = platform::flushFileSystem(vaultToFlush);
    result.problems += platform::writeFileAtomically(path, content);
    result.size = content.size();
    return result;
}

EntryStore::Written EntryStore::writeGrown(const QString& path, FileImage was, int count, const QByteArray& tail,
                                           const QString& vaultToFlush)
{
    Written result;
    QFile old(path);
    const bool same = old.open(QIODevice::ReadOnly) && old.size() == was.size &&
                      old.read(DatabaseFile::CountBytes) == DatabaseFile::countBytes(was.count);
    if (!same) {
        result.stale = true;
        return result;
    }
    if (!vaultToFlush.isEmpty())
        result.problems = platform::flushFileSystem(vaultToFlush);
    platform::StagedFile file(path, platform::StagedFile::Sync::Durable);
    if (!file.open()) {
        result.problems << file.errorString();
        return result;
    }
    bool ok = file.writeAll(DatabaseFile::countBytes(count));
    // the entries as they were, copied a piece at a time
    constexpr qint64 Chunk = 4 << 20;
    for (qint64 copied = DatabaseFile::CountBytes; ok && copied < was.size;) {
        const QByteArray chunk = old.read(std::min(Chunk, was.size - copied));
        if (chunk.isEmpty()) {
            result.problems << old.errorString();
            file.cancelWriting();
            return result;
        }
        copied += chunk.size();
        ok = file.writeAll(chunk);
    }
    if (!ok || !file.writeAll(tail) || !file.commit()) {
        result.problems << file.errorString();
        file.cancelWriting();
        return result;
    }
    result.size = was.size + tail.size();
    return result;
}

bool EntryStore::finishSave(const Written& written, int count)
{
    if (written.problems.isEmpty()) {
        m_savedCount = count;
        m_file = FileImage{count, written.size};
        return true;
    }
    m_file.reset();
    m_changed = true;
    for (const QString& problem : written.problems)
        m_log.Log(SaveProblem + problem);
    return false;
}

bool EntryStore::AddEntry(int slot)
{
    if (slot < 0 || slot >= Database::IntakeSlotCount)
        return false;
    ScreenshotEntry& intake = m_db.intakeSlot(slot);
    if (intake.CaptureWidth == 0)
        return false;
    if (m_db.isFull()) {
        m_log.Log(AddProblem + QStringLiteral("the database is full (%1 entries), ").arg(Database::Capacity) +
                  QString::fromLatin1(intake.VaultName) + QStringLiteral(".png stays in the vault without an entry"));
        return false;
    }
    const int n = m_db.EntryCount() + 1;
    if (!intake.Cheating && m_settings.isOn(Setting::ScanColorCodes) && m_colourCodeCheck)
        m_colourCodeCheck(slot);
    m_db.append(intake);
    m_changed = true;
    // listeners may move the table, so the detection is read before they run
    const QByteArray detected = intake.AutoDetected;
    const QByteArray indexText = intake.IndexText;
    if (n == 1)
        Q_EMIT showCurrentEntry();
    Q_EMIT entryAdded(n);
    if (detected.isEmpty())
        return true;
    m_log.Log(QStringLiteral("Added DB-Entry ") + QString::number(n) + QStringLiteral(" for ") +
                  QString::fromLatin1(detected) + QStringLiteral(" - ") + QString::fromLatin1(indexText),
              base::Colours::Red);
    if (m_settings.isOn(Setting::StopOnDetection))
        m_flags.StopRequested = 1;
    if (m_settings.isOn(Setting::ReportOnAutoDetect) && m_createReport)
        m_createReport(n);
    if (m_settings.isOn(Setting::PlayEnemySpotted) && m_playSound)
        m_playSound(m_workspace.path(base::Paths::EnemySpottedSound));
    return true;
}

int EntryStore::MarkByGuid(const QByteArray& guid, bool cheating)
{
    const QString verb = cheating ? QStringLiteral("Added DB-entry ") : QStringLiteral("Clearing DB-entry ");
    QStringList lines;
    for (int i = 1; i <= m_db.EntryCount(); ++i) {
        // read first: handing an entry out for writing costs it its search key
        if (std::as_const(m_db).entry(i).GUID != guid)
            continue;
        ScreenshotEntry& e = m_db.entry(i);
        e.Cheating = cheating;
        m_changed = true;
        lines << verb + QString::number(i) + QStringLiteral(" for cheating, ") + QString::fromLatin1(e.PlayerName);
    }
    for (const QString& line : lines)
        m_log.Log(line);
    return int(lines.size());
}

void EntryStore::playWav(const QString& path)
{
    if (!QFileInfo::exists(path))
        return;
    if (!m_sound)
        m_sound = new QSoundEffect(this);
    m_sound->setSource(QUrl::fromLocalFile(path));
    m_sound->play();
}

} // namespace vh::database
