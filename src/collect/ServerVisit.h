#pragma once

#include <QByteArrayView>
#include <QString>

namespace vh::base {
class ActivityLog;
class Settings;
struct RunFlags;
class Workspace;
} // namespace vh::base

namespace vh::banlists {
class Banlists;
class VersionChecks;
} // namespace vh::banlists

namespace vh::database {
class Database;
}

namespace vh::collect {

class DownloadPool;
class PageTable;

// One visit of a game server: fetch its index page, choose the lines, decide which screenshots are new and
// not already banned, and hand them to the download workers. The inventory and the hunt both use it.
class ServerVisit final
{
public:
    // Pending events run at most this often while page entries are handled: often enough for the buttons,
    // rarely enough that a page of 30000 entries is not slowed by the event loop.
    static constexpr int YieldIntervalMs = 5;

    // The version checks run at the end of a visit when the run flags say a banlist update is due.
    ServerVisit(const base::Settings& settings, base::RunFlags& flags, base::ActivityLog& log,
                const base::Workspace& workspace, DownloadPool& pool, PageTable& table,
                const database::Database& database, const banlists::Banlists& banlists, banlists::VersionChecks& checks)
        : m_settings(settings), m_flags(flags), m_log(log), m_workspace(workspace), m_pool(pool), m_table(table),
          m_database(database), m_banlists(banlists), m_checks(checks)
    {
    }

    void ScanIndexPage(const QString& pageUrl);
    // Queues the page entries 1..count worth downloading; false when the visit has to be abandoned.
    bool CollectPbSS(int count);

    // A file name from a remote page is used only when it cannot leave the PBSS folder.
    static bool isSafeFileName(QByteArrayView name);

private:
    void runDueBanlistChecks();

    const base::Settings& m_settings;
    base::RunFlags& m_flags;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    DownloadPool& m_pool;
    PageTable& m_table;
    const database::Database& m_database;
    const banlists::Banlists& m_banlists;
    banlists::VersionChecks& m_checks;
};

} // namespace vh::collect
