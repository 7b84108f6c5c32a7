#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

namespace vh::base {
class ActivityLog;
class Settings;
class Workspace;
} // namespace vh::base

namespace vh::database {
class Database;
}

namespace vh::detect {
class Detection;
}

namespace vh::collect {

// What the download queue knows about a finished download.
struct DownloadedShot
{
    QByteArray ServerURL;
    QByteArray IndexText;
    QByteArray ShotTime;
    QString LocalFile; // full path of the downloaded PNG in PBSS
};

// Turns one downloaded screenshot into a file in the vault and an entry: drops what is too small to be a
// screenshot or shows another player than its index line, reads the text, runs the checks and adds the entry.
class ScreenshotIntake final
{
public:
    // Files of this size or less are error pages or empty transfers.
    static constexpr qint64 SizeThreshold = 6144;

    ScreenshotIntake(detect::Detection& detection, database::Database& database, base::Settings& settings,
                     base::ActivityLog& log, const base::Workspace& workspace);

    // Adds the intake slot to the database (the database's AddEntry); until set, nothing is added.
    void setAddEntry(std::function<void(int slot)> addEntry) { m_addEntry = std::move(addEntry); }
    // Lets pending events run at the intake's yield points; platform::yieldToEvents unless replaced.
    void setYield(std::function<void()> yield) { m_yield = std::move(yield); }
    // The clock the vault names are stamped with.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Intake of the file for worker w, whose slot already holds ServerURL, IndexText and ShotTime.
    void ProcessPBSS(int w, const QString& saveFile);
    // Fills slot w from the download queue's entry, then takes the file in.
    void ProcessPBSS(int w, const DownloadedShot& shot);

private:
    static constexpr int MaxNameTries = 10000;
    bool moveIntoVault(const QString& saveFile, const QByteArray& wantedName, QByteArray& vaultName,
                       QString& error) const;

    detect::Detection& m_detection;
    database::Database& m_database;
    base::Settings& m_settings;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    std::function<void(int)> m_addEntry;
    std::function<void()> m_yield;
    std::function<QDateTime()> m_clock;
};

} // namespace vh::collect
