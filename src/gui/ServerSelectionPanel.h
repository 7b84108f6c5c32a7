#pragma once

#include <QWidget>

class QLabel;
class QListView;
class QListWidget;
class QMenu;

namespace vh::servers {
class ServerDiscovery;
}

namespace vh::gui {

// The main window's server selection side: the map (List1), name (List5) and provider (List7) filter lists,
// the servers to scan (List6) with its count (Label3), and the discovery label (Label5).
class ServerSelectionPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ServerSelectionPanel)

public:
    explicit ServerSelectionPanel(servers::ServerDiscovery& discovery, QWidget* parent = nullptr);

    // List6, whose pop-up menu starts the inventory runs.
    QListView* serverList() const { return m_servers; }
    // The map list's "Fill" (true) and "Clear" (false): one rebuild for the whole list.
    void selectAllMaps(bool selected);

private:
    void refillProviders();
    void refillMaps();
    void providerSelectionChanged();
    void mapSelectionChanged();

    servers::ServerDiscovery& m_discovery;
    QListWidget* m_maps = nullptr;
    QListWidget* m_names = nullptr;
    QListWidget* m_providers = nullptr;
    QListView* m_servers = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_discoveryLabel = nullptr;
    QMenu* m_mapMenu = nullptr;
    // set while the lists are filled or selected by the program, so that does not rebuild once per item
    bool m_filling = false;
};

} // namespace vh::gui
