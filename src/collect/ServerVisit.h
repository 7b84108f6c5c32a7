#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace vh::app {
class AppCore;
}

namespace vh::collect {

// One visit of a game server: fetch its index page, choose the lines, decide which screenshots are new and
// not already banned, and hand them to the download workers. The inventory and the hunt both use it.
class ServerVisit final
{
public:
    // The banlist version checks run between two visits when an update is due.
    struct BanlistChecks
    {
        std::function<void()> CheckAASAbanlistversion;
        std::function<void()> CheckACIbanlistversion;
    };

    // Pending events run at most this often while page entries are handled: often enough for the buttons,
    // rarely enough that a page of 30000 entries is not slowed by the event loop.
    static constexpr int YieldIntervalMs = 5;

    explicit ServerVisit(app::AppCore& core) : m_core(core) {}

    void setBanlistChecks(BanlistChecks checks) { m_checks = std::move(checks); }

    void ScanIndexPage(const QString& pageUrl);
    // Queues the page entries 1..count worth downloading; false when the visit has to be abandoned.
    bool CollectPbSS(int count);

    // A file name from a remote page is used only when it cannot leave the PBSS folder.
    static bool isSafeFileName(QByteArrayView name);

private:
    void runDueBanlistChecks();

    app::AppCore& m_core;
    BanlistChecks m_checks;
};

} // namespace vh::collect
