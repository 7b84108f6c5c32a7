#pragma once

#include "base/Checked.h"
#include "database/ScreenshotEntry.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QSoundEffect;

namespace vh::base {
class ActivityLog;
class Settings;
class Workspace;
struct RunFlags;
} // namespace vh::base

namespace vh::platform {
class WorkerPool;
}

namespace vh::database {

class Database;

// The database's life between start-up and shutdown: loading and saving the file, adding a screenshot taken
// in, and marking every entry of a player as cheating. Checks, reports and the sound come in through hooks.
class EntryStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryStore)

public:
    using EntryCheck = std::function<void(int slot)>; // works on the intake slot in place
    using EntryAction = std::function<void(int entry)>;
    using SoundPlayer = std::function<void(const QString& wavPath)>;

    EntryStore(Database& db, base::Settings& settings, base::ActivityLog& log, base::RunFlags& flags,
               const base::Workspace& workspace, QObject* parent = nullptr);
    ~EntryStore() override;

    // Fills the table from data/database.dat (a missing file is created empty). A damaged file gives its
    // intact entries, a log line naming the file and the entry, and a copy kept aside under a new name.
    void LoadDatabase();
    // Writes the table to the file, replacing it only once the new one is complete. False on failure (logged).
    bool SaveDatabase();
    // Saves only when entries were added or marked since the last load or save: after every server visit,
    // so a run that is killed loses at most the visit under way. The file is written on another thread while
    // the events run; it is on the disk when this returns.
    bool SaveDatabaseIfChanged();
    // Adds the intake slot's screenshot as the next entry; false when it has no capture size or the table is full.
    bool AddEntry(int slot);
    // Sets or clears Cheating on every entry whose GUID equals guid exactly, logging one line per entry in
    // entry order. Returns how many entries changed.
    int MarkByGuid(const QByteArray& guid, bool cheating);

    // The colour-code check run before an entry is added while ScanColorCodes is on.
    void setColourCodeCheck(EntryCheck check) { m_colourCodeCheck = std::move(check); }
    // Creates the AASA report for an entry added with a detection while ReportOnAutoDetect is on.
    void setReportCreator(EntryAction report) { m_createReport = std::move(report); }
    // Plays a WAV file without waiting; the default plays it through the sound device.
    void setSoundPlayer(SoundPlayer player) { m_playSound = std::move(player); }

    QString databasePath() const;

Q_SIGNALS:
    // The review window shows the current entry (the first entry ever added).
    void showCurrentEntry();
    // The entry slider's maximum and value become n, which makes entry n the shown one.
    void entryAdded(int n);

private:
    void playWav(const QString& path);
    QString keepAside(const QString& path, const QString& why) const;
    // The database file as this program wrote it last: count entries in size bytes.
    struct FileImage
    {
        int count = 0;
        qint64 size = 0;
    };
    struct Written
    {
        base::Problems problems;
        qint64 size = 0;    // of the file written
        bool stale = false; // the file was not the one last written, and nothing was written
    };
    // What writing the file takes, on whichever thread: the vault's new screenshots first when asked. The grown
    // file is the one last written with count entries in place of its count and tail after them.
    static Written writeFile(const QString& path, const QByteArray& content, const QString& vaultToFlush);
    static Written writeGrown(const QString& path, FileImage was, int count, const QByteArray& tail,
                              const QString& vaultToFlush);
    bool finishSave(const Written& written, int count);

    Database& m_db;
    base::Settings& m_settings;
    base::ActivityLog& m_log;
    base::RunFlags& m_flags;
    const base::Workspace& m_workspace;
    EntryCheck m_colourCodeCheck;
    EntryAction m_createReport;
    SoundPlayer m_playSound;
    QSoundEffect* m_sound = nullptr;
    bool m_changed = false;          // entries added or marked since the last load or save
    int m_savedCount = 0;            // the entry count of the file as last loaded or saved
    bool m_saving = false;           // a save is being written on the save thread
    std::optional<FileImage> m_file; // none after a failed save, or a load of a missing or damaged file
    std::unique_ptr<platform::WorkerPool> m_saver;
};

} // namespace vh::database
