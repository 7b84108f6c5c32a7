#include "gui/ServerSelectionPanel.h"

#include "servers/ServerDiscovery.h"

#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>

namespace vh::gui {

ServerSelectionPanel::ServerSelectionPanel(servers::ServerDiscovery& discovery, QWidget* parent)
    : QWidget(parent), m_discovery(discovery)
{
    setObjectName(QStringLiteral("ServerSelectionPanel"));

    m_maps = new QListWidget(this);
    m_maps->setObjectName(QStringLiteral("List1"));
    m_maps->setSelectionMode(QAbstractItemView::MultiSelection);
    m_maps->setToolTip(QStringLiteral("Select map(s) you would like to scan"));
    m_maps->setContextMenuPolicy(Qt::CustomContextMenu);

    m_names = new QListWidget(this);
    m_names->setObjectName(QStringLiteral("List5"));
    m_names->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const QString& item : servers::ServerDiscovery::NameFilterItems)
        m_names->addItem(item);
    m_names->setCurrentRow(0);
    m_names->setMaximumHeight(m_names->sizeHintForRow(0) * 3 + 2 * m_names->frameWidth() + 4);

    m_providers = new QListWidget(this);
    m_providers->setObjectName(QStringLiteral("List7"));
    m_providers->setSelectionMode(QAbstractItemView::MultiSelection);

    m_servers = new QListView(this);
    m_servers->setObjectName(QStringLiteral("List6"));
    m_servers->setModel(&m_discovery.selectionModel());
    m_servers->setToolTip(QStringLiteral("Right click here to start scanning servers"));
    m_servers->setUniformItemSizes(true);
    m_servers->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_count = new QLabel(m_discovery.countText(), this);
    m_count->setObjectName(QStringLiteral("Label3"));
    m_discoveryLabel = new QLabel(this);
    m_discoveryLabel->setObjectName(QStringLiteral("Label5"));

    m_mapMenu = new QMenu(QStringLiteral("Top4"), this);
    m_mapMenu->setObjectName(QStringLiteral("MnuTop4"));
    QAction* clear = m_mapMenu->addAction(QStringLiteral("Clear"));
    clear->setObjectName(QStringLiteral("MnuClearSL"));
    QAction* fill = m_mapMenu->addAction(QStringLiteral("Fill"));
    fill->setObjectName(QStringLiteral("MnuFillSL"));
    connect(clear, &QAction::triggered, this, [this] { selectAllMaps(false); });
    connect(fill, &QAction::triggered, this, [this] { selectAllMaps(true); });
    connect(m_maps, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_mapMenu->popup(m_maps->viewport()->mapToGlobal(at)); });

    // short headings, so the four lists cannot be taken for one another
    const auto heading = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(2);
    layout->addWidget(m_discoveryLabel, 0, 0, 1, 3);
    layout->addWidget(heading(QStringLiteral("Maps"), m_maps), 1, 0);
    layout->addWidget(heading(QStringLiteral("Name filter"), m_names), 1, 1);
    layout->addWidget(heading(QStringLiteral("Servers to scan"), m_servers), 1, 2);
    layout->addWidget(m_maps, 2, 0, 3, 1);
    layout->addWidget(m_names, 2, 1);
    layout->addWidget(heading(QStringLiteral("Providers"), m_providers), 3, 1);
    layout->addWidget(m_providers, 4, 1);
    layout->addWidget(m_servers, 2, 2, 3, 1);
    layout->addWidget(m_count, 5, 2);
    layout->setRowStretch(4, 1);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(2, 3);

    connect(m_maps, &QListWidget::itemSelectionChanged, this, &ServerSelectionPanel::mapSelectionChanged);
    connect(m_providers, &QListWidget::itemSelectionChanged, this, &ServerSelectionPanel::providerSelectionChanged);
    connect(m_names, &QListWidget::currentRowChanged, this, [this](int row) {
        m_discovery.setNameFilter(row >= 0 ? m_names->item(row)->text() : QString());
        m_discovery.FillServerSelection();
    });
    connect(&m_discovery, &servers::ServerDiscovery::providerItemsChanged, this,
            &ServerSelectionPanel::refillProviders);
    connect(&m_discovery, &servers::ServerDiscovery::mapItemsChanged, this, &ServerSelectionPanel::refillMaps);
    connect(&m_discovery, &servers::ServerDiscovery::selectionRebuilt, m_count, &QLabel::setText);
    connect(&m_discovery.statusQuery(), &servers::StatusQuery::discoveryTextChanged, m_discoveryLabel,
            &QLabel::setText);

    refillProviders();
    refillMaps();
}

void ServerSelectionPanel::refillProviders()
{
    m_filling = true;
    m_providers->clear();
    const servers::ProviderTable& table = m_discovery.providers();
    const auto& chosen = m_discovery.filters().providerSelected;
    for (int p = 1; p <= table.ProviderCount(); ++p) {
        auto* item = new QListWidgetItem(table.provider(p).Name, m_providers);
        item->setSelected(std::size_t(p - 1) < chosen.size() && chosen[std::size_t(p - 1)]);
    }
    m_filling = false;
}

void ServerSelectionPanel::refillMaps()
{
    m_filling = true;
    m_maps->clear();
    const servers::ServerFilterState& filters = m_discovery.filters();
    for (qsizetype m = 0; m < filters.maps.size(); ++m) {
        auto* item = new QListWidgetItem(filters.maps.at(m), m_maps);
        item->setSelected(std::size_t(m) < filters.mapSelected.size() && filters.mapSelected[std::size_t(m)]);
    }
    m_filling = false;
}

void ServerSelectionPanel::providerSelectionChanged()
{
    if (m_filling)
        return;
    for (int row = 0; row < m_providers->count(); ++row)
        m_discovery.setProviderSelected(row, m_providers->item(row)->isSelected());
    m_discovery.FillServerSelection();
}

void ServerSelectionPanel::mapSelectionChanged()
{
    if (m_filling)
        return;
    for (int row = 0; row < m_maps->count(); ++row)
        m_discovery.setMapSelected(row, m_maps->item(row)->isSelected());
    m_discovery.FillServerSelection();
}

void ServerSelectionPanel::selectAllMaps(bool selected)
{
    m_filling = true;
    for (int row = 0; row < m_maps->count(); ++row)
        m_maps->item(row)->setSelected(selected);
    m_discovery.setAllMapsSelected(selected);
    m_filling = false;
    m_discovery.FillServerSelection();
}

} // namespace vh::gui
