#include "collect/Inventory.h"

#include "base/ActivityLog.h"
#include "base/RunFlags.h"
#include "collect/InventoryRun.h"
#include "collect/ServerVisit.h"
#include "servers/ServerDiscovery.h"
#include "servers/ServerEntry.h"

namespace vh::collect {

Inventory::Inventory(const base::Settings& settings, base::RunFlags& flags, base::ActivityLog& log,
                     servers::ServerDiscovery& discovery, ServerVisit& visit, QObject* parent)
    : QObject(parent), m_settings(settings), m_flags(flags), m_log(log), m_discovery(discovery), m_visit(visit)
{
    // a rebuilt list has nothing selected; the pass loops select their item again after a rebuild
    connect(&m_discovery, &servers::ServerDiscovery::selectionRebuilt, this, [this] { setSelectedItem(-1); });
}

int Inventory::itemCount() const
{
    return int(m_discovery.selectionModel().items().size());
}

void Inventory::setSelectedItem(int item)
{
    const int valid = item >= 0 && item < itemCount() ? item : -1;
    if (valid == m_selected)
        return;
    m_selected = valid;
    Q_EMIT selectedItemChanged(m_selected);
}

template <typename Run> void Inventory::run(Run body)
{
    if (m_running)
        return;
    m_running = true;
    m_visited = 0;
    m_flags.StopRequested = 0;
    Q_EMIT runningChanged(true);
    body();
    m_running = false;
    Q_EMIT runningChanged(false);
}

bool Inventory::visitServer(int serverIndex, bool listWide)
{
    auto& servers = m_discovery.servers();
    if (serverIndex < 0 || serverIndex >= servers.ServerCount())
        return false;
    const servers::ServerEntry& server = servers.at(serverIndex);
    if (listWide && server.ServerName == servers::UnknownText)
        return false;
    m_log.Log(QStringLiteral("Inventory started on : ") + server.ServerName);
    m_currentServer = server.IP;
    ++m_visited;
    Q_EMIT visitStarted(m_selected, server.ServerName);
    // the visit may rebuild tables; it gets its own copy of the address
    const QString pageUrl = server.PageURL;
    m_visit.ScanIndexPage(pageUrl);
    return true;
}

void Inventory::InventorySelectedServer()
{
    if (!canInventorySelected())
        return;
    const int server = m_discovery.selectionModel().items().at(std::size_t(m_selected)).server;
    run([&] {
        visitServer(server, false);
        m_flags.StopRequested = 1;
    });
}

namespace {

InventoryRun::ServerList listHooks(servers::ServerDiscovery& discovery, Inventory& inventory)
{
    InventoryRun::ServerList list;
    list.count = [&inventory] { return inventory.itemCount(); };
    list.selected = [&inventory] { return inventory.selectedItem(); };
    list.select = [&inventory](int item) { inventory.setSelectedItem(item); };
    list.rebuild = [&discovery] { discovery.FillServerSelection(); };
    list.setEnabled = [&inventory](bool enabled) { Q_EMIT inventory.listEnabledChanged(enabled); };
    list.visitItem = [&discovery, &inventory](int item) {
        const auto& items = discovery.selectionModel().items();
        if (item < 0 || item >= int(items.size()))
            return false;
        return inventory.visitServer(items.at(std::size_t(item)).server, true);
    };
    return list;
}

} // namespace

void Inventory::InventoryServers()
{
    if (!canInventoryAll())
        return;
    run([&] { InventoryRun(m_settings, m_flags, listHooks(m_discovery, *this)).RunInOrder(); });
}

void Inventory::InventoryServersInRandomOrder()
{
    if (!canInventoryAll())
        return;
    run([&] { InventoryRun(m_settings, m_flags, listHooks(m_discovery, *this)).RunRandom(); });
}

void Inventory::SkipServer()
{
    m_flags.SkipRequested = true;
    m_log.Log(QStringLiteral("Skipping to next server, waiting for download treads to finish"));
}

void Inventory::CancelInventory()
{
    m_flags.StopRequested = 1;
}

} // namespace vh::collect
