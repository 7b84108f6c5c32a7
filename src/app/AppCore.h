#pragma once

#include "banlists/BanlistSchedule.h"
#include "banlists/BanlistUpdate.h"
#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Links.h"
#include "base/RunFlags.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "collect/DownloadPool.h"
#include "collect/Inventory.h"
#include "collect/PageTable.h"
#include "collect/ScreenshotIntake.h"
#include "collect/ServerVisit.h"
#include "database/Database.h"
#include "database/EntryStore.h"
#include "database/VaultHousekeeping.h"
#include "detect/Detection.h"
#include "detect/GlyphTable.h"
#include "detect/SuspiciousColors.h"
#include "hunt/HuntLog.h"
#include "hunt/HuntRun.h"
#include "gallery/AlertSender.h"
#include "report/AasaReport.h"
#include "report/AciUpload.h"
#include "report/Browser.h"
#include "servers/ServerDiscovery.h"

#include <QObject>
#include <QTimer>

namespace vh::app {

// Owns the program's state for the life of the process: settings, links, log, the tables of every subsystem,
// the run flags and the periodic timers. Created in main() and handed to the windows and the collector.
class AppCore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppCore)

public:
    static constexpr int ScreenWidthMinimum = 801;
    static const QString ScreenTooSmallMessage;

    explicit AppCore(QObject* parent = nullptr);
    ~AppCore() override;

    static QString AppTitle();
    // The screen check: screens narrower than 801 pixels are refused.
    static bool screenIsLargeEnough(int widthPixels) { return widthPixels >= ScreenWidthMinimum; }

    // Start-up, in the order the window and the collector call them: fix the base folder and load the
    // workspace, the tables and the settings; after the screen check, the banlists and server lists; last,
    // the clean-up of left-overs and the timers.
    void startupLoad(const QString& executablePath, const QString& baseFolderOverride = QString());
    void startupLoadLists();
    void startupFinish();
    // For a command that works on one entry of a workspace the window or a collector may be using: the links,
    // the settings and the banlists, and nothing else (no folders made, no clean-up, no timers). The caller
    // reads the database.
    void loadForEntryCommand(const QString& baseFolder);
    // Saves the database, the settings, the log file when asked for, and the server names. Every step runs;
    // false when any of them could not write its file (each failure is logged).
    bool ShutDown();

    base::Settings& settings() { return m_settings; }
    const base::Settings& settings() const { return m_settings; }
    base::ActivityLog& log() { return m_log; }
    base::Workspace& workspace() { return m_workspace; }
    const base::Workspace& workspace() const { return m_workspace; }
    const base::Links& links() const { return m_links; }
    base::RunFlags& flags() { return m_flags; }
    database::Database& database() { return m_database; }
    const detect::GlyphTable& glyphTable() const { return m_glyphTable; }
    const detect::SuspiciousColors& suspiciousColors() const { return m_suspiciousColors; }
    detect::Detection& detection() { return m_detection; }
    collect::ScreenshotIntake& intake() { return m_intake; }
    database::EntryStore& entryStore() { return m_entryStore; }
    database::VaultHousekeeping& vault() { return m_vault; }
    collect::DownloadPool& pool() { return m_pool; }
    banlists::Banlists& banlists() { return m_banlists; }
    collect::PageTable& pageTable() { return m_pageTable; }
    collect::ServerVisit& visit() { return m_visit; }
    servers::ServerDiscovery& serverDiscovery() { return m_serverDiscovery; }
    collect::Inventory& inventory() { return m_inventory; }
    banlists::BanlistUpdate& banlistUpdate() { return m_banlistUpdate; }
    hunt::HuntLog& huntLog() { return m_huntLog; }
    hunt::HuntRun& hunt() { return m_hunt; }
    gallery::AlertSender& alerts() { return m_alerts; }
    report::Browser& browser() { return m_browser; }
    report::AasaReport& aasaReport() { return m_aasaReport; }
    report::AciUpload& aciUpload() { return m_aciUpload; }
    QString path(const QString& relative) const { return m_workspace.path(relative); }

    void Log(const QString& message, base::Colour colour = base::Colours::Default) { m_log.Log(message, colour); }
    void LogVerbose(const QString& message) { m_log.LogVerbose(message); }
    void logAll(const QStringList& lines, base::Colour colour = base::Colours::Default);

    void LoadSettings();
    bool SaveSettings();
    // Applies ServerDiscovery to the status-query timer.
    void applyDiscoveryTimer();
    // Sizes the download worker pool to the setting Threads.
    void resizeWorkerPool();

    QTimer& discoveryTimer() { return m_discoveryTimer; }
    QTimer& startupTimer() { return m_startupTimer; }
    QTimer& banlistTimer() { return m_banlistTimer; }

Q_SIGNALS:
    // The settings were read from the file; windows copy them into their controls.
    void settingsLoaded();
    // The start-up timer's checks began (true) or ended (false): the windows lock their controls meanwhile.
    void startupChecksRunning(bool running);

private:
    void CheckImageLibrary();
    void CreateWorkspace();
    void onStartupTimer();
    void onDiscoveryTick();
    void onBanlistTick();

    base::Settings m_settings;
    base::ActivityLog m_log;
    base::Workspace m_workspace;
    base::Links m_links;
    base::RunFlags m_flags;
    banlists::BanlistSchedule m_banlistSchedule;
    database::Database m_database;
    detect::GlyphTable m_glyphTable;
    detect::SuspiciousColors m_suspiciousColors;
    detect::Detection m_detection{m_glyphTable, m_suspiciousColors, m_database, m_settings, m_log, m_workspace};
    collect::ScreenshotIntake m_intake{m_detection, m_database, m_settings, m_log, m_workspace};
    database::EntryStore m_entryStore;
    database::VaultHousekeeping m_vault;
    collect::DownloadPool m_pool{m_flags, m_log, m_workspace, m_database};
    banlists::Banlists m_banlists{m_log, m_workspace};
    gallery::AlertSender m_alerts{m_database, m_banlists, m_links, m_log};
    banlists::BanlistUpdate m_banlistUpdate{m_log, m_workspace, m_links, m_flags, m_banlists, m_pool};
    collect::PageTable m_pageTable;
    collect::ServerVisit m_visit{m_settings,  m_flags,    m_log,      m_workspace,    m_pool,
                                 m_pageTable, m_database, m_banlists, m_banlistUpdate};
    servers::ServerDiscovery m_serverDiscovery{m_settings, m_log, m_workspace};
    collect::Inventory m_inventory{m_settings, m_flags, m_log, m_serverDiscovery, m_visit};
    hunt::HuntLog m_huntLog;
    hunt::HuntRun m_hunt{m_log, m_workspace, m_flags, m_serverDiscovery.servers(), m_pageTable, m_pool, m_huntLog};
    report::Browser m_browser{m_settings};
    report::AasaReport m_aasaReport{m_database,  m_banlists, m_pool,    m_settings, m_log,
                                    m_workspace, m_links,    m_browser, AppTitle()};
    report::AciUpload m_aciUpload{m_links, m_log, m_workspace, m_database};
    QTimer m_discoveryTimer; // one status query per tick
    QTimer m_startupTimer;   // fires once after start-up
    QTimer m_banlistTimer;   // counts minutes toward the banlist update
};

} // namespace vh::app
