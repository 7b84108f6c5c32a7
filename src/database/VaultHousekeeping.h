#pragma once

#include "database/ScreenshotEntry.h"

#include <QString>

namespace vh::base {
class ActivityLog;
class Workspace;
} // namespace vh::base

namespace vh::database {

class Database;

// Keeps the vault folder and the table in step: purging entries whose PNG is gone, deleting entries with
// their PNG, and moving entries with a description file into the archive. Changes the table in memory only.
class VaultHousekeeping final
{
public:
    // What the review window does afterwards with its slider, detail labels and pictures.
    struct ViewUpdate
    {
        bool showCurrent = false;   // show the current entry
        bool clearView = false;     // disable the slider, clear the detail labels and both pictures
        bool sliderToFirst = false; // slider value 1, maximum EntryCount
        bool operator==(const ViewUpdate&) const = default;
    };

    VaultHousekeeping(Database& db, base::ActivityLog& log, const base::Workspace& workspace);

    // Drops the entries whose vault PNG is missing; returns how many.
    int PurgeMissingPng();
    // Moves the vault files that no entry names (left by a run that ended before its save) into
    // PBSS/orphaned, so the vault and the table agree; one log line with the count. Returns how many.
    int MoveOrphanedFiles();
    // Deletes entry current (the slider's value) and its PNG.
    ViewUpdate DeleteEntry(int current);
    // Deletes every vault PNG and empties the table.
    ViewUpdate DeleteAllShots();
    // Deletes the PNG and the entry of every entry not marked as cheating.
    ViewUpdate DeleteNonCheating();
    // Moves entry current's PNG with a description file into the archive and removes the entry.
    ViewUpdate ArchiveCurrent(int current);
    // The same for every entry.
    ViewUpdate ArchiveAll();

    QString vaultFile(const ScreenshotEntry& e) const;
    // The 14-line description written beside an archived PNG.
    static QByteArray description(const ScreenshotEntry& e);

private:
    // False when nothing was moved; the entry and its PNG then stay where they are.
    bool archive(const ScreenshotEntry& e, int entry);
    QString uniqueArchiveBase(const QByteArray& vaultName) const;

    Database& m_db;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
};

} // namespace vh::database
