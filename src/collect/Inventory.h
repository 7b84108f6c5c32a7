#pragma once

#include <QObject>
#include <QString>

namespace vh::base {
class ActivityLog;
class Settings;
struct RunFlags;
} // namespace vh::base

namespace vh::servers {
class ServerDiscovery;
}

namespace vh::collect {

class ServerVisit;

// The inventory commands over the server selection list, shared by the main window and the headless
// collector: one visit of the selected server, all servers in list order, all in random order, with the
// Skip Server and Cancel Inventory requests. The window mirrors the selected item and the locks.
class Inventory final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Inventory)

public:
    Inventory(const base::Settings& settings, base::RunFlags& flags, base::ActivityLog& log,
              servers::ServerDiscovery& discovery, ServerVisit& visit, QObject* parent = nullptr);

    int itemCount() const;
    int selectedItem() const { return m_selected; }
    void setSelectedItem(int item);

    bool isRunning() const { return m_running; }
    // What the context menu of the server selection list offers.
    bool canInventorySelected() const { return !m_running && m_selected >= 0 && m_selected < itemCount(); }
    bool canInventoryAll() const { return !m_running && itemCount() > 0; }

    // "Inventory Selected Server": one visit, whatever the server's name.
    void InventorySelectedServer();
    // "Inventory Servers" (RunInOrder) and "Inventory Servers in Random Order" (RunRandom).
    void InventoryServers();
    void InventoryServersInRandomOrder();

    void SkipServer();
    void CancelInventory();

    // One visit of server index s; list-wide runs pass over servers whose name is still "Unknown".
    // Returns true when the server was visited.
    bool visitServer(int serverIndex, bool listWide);
    QString currentServer() const { return m_currentServer; }
    int serversVisited() const { return m_visited; }

Q_SIGNALS:
    // A run began or ended: the window locks or unlocks its controls, Skip and Cancel the other way round.
    void runningChanged(bool running);
    void selectedItemChanged(int item);
    // The server selection list is disabled during the pass loops.
    void listEnabledChanged(bool enabled);
    // A visit began: the position in this pass and the server's name, for progress reports.
    void visitStarted(int item, const QString& serverName);

private:
    template <typename Run> void run(Run body);

    const base::Settings& m_settings;
    base::RunFlags& m_flags;
    base::ActivityLog& m_log;
    servers::ServerDiscovery& m_discovery;
    ServerVisit& m_visit;
    int m_selected = -1;
    bool m_running = false;
    QString m_currentServer;
    int m_visited = 0;
};

} // namespace vh::collect
