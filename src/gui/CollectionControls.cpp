#include "gui/CollectionControls.h"

#include "app/AppCore.h"
#include "gui/ServerSelectionPanel.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace vh::gui {

namespace {

QMenu* barMenu(QMainWindow& window, const QString& objectName, const QString& title)
{
    if (auto* existing = window.menuBar()->findChild<QMenu*>(objectName, Qt::FindDirectChildrenOnly))
        return existing;
    QMenu* created = window.menuBar()->addMenu(title);
    created->setObjectName(objectName);
    return created;
}

} // namespace

CollectionControls::CollectionControls(app::AppCore& core, QMainWindow& window, ServerSelectionPanel& servers,
                                       QWidget* parent)
    : QWidget(parent), m_core(core), m_window(window), m_servers(servers)
{
    setObjectName(QStringLiteral("CollectionControls"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_skip = new QPushButton(QStringLiteral("Skip Server"), this);
    m_skip->setObjectName(QStringLiteral("Command3"));
    m_cancel = new QPushButton(QStringLiteral("Cancel Inventory"), this);
    m_cancel->setObjectName(QStringLiteral("Command12"));
    m_cancel->setToolTip(QStringLiteral("Stop Collecting"));
    row->addWidget(m_skip);
    row->addWidget(m_cancel);
    row->addStretch(1);
    m_skip->setEnabled(false);
    m_cancel->setEnabled(false);

    collect::Inventory& inventory = m_core.inventory();
    connect(m_skip, &QPushButton::clicked, &inventory, &collect::Inventory::SkipServer);
    connect(m_cancel, &QPushButton::clicked, &inventory, &collect::Inventory::CancelInventory);

    QListView* list = m_servers.serverList();
    list->setToolTip(QStringLiteral("Right click here to start scanning servers"));
    m_menu = new QMenu(QStringLiteral("Top"), list);
    m_menu->setObjectName(QStringLiteral("MnuTop"));
    m_inventoryAll = m_menu->addAction(QStringLiteral("Inventory Servers"));
    m_inventoryAll->setObjectName(QStringLiteral("MnuInvServers"));
    m_inventorySelected = m_menu->addAction(QStringLiteral("Inventory Selected Server"));
    m_inventorySelected->setObjectName(QStringLiteral("MnuInvSelServer"));
    m_inventoryRandom = m_menu->addAction(QStringLiteral("Inventory Servers in Random Order"));
    m_inventoryRandom->setObjectName(QStringLiteral("mnuInvRanServer"));
    // the runs wait with events running; started from the menu's own handler they would run inside it
    connect(m_inventoryAll, &QAction::triggered, &inventory, &collect::Inventory::InventoryServers,
            Qt::QueuedConnection);
    connect(m_inventorySelected, &QAction::triggered, &inventory, &collect::Inventory::InventorySelectedServer,
            Qt::QueuedConnection);
    connect(m_inventoryRandom, &QAction::triggered, &inventory, &collect::Inventory::InventoryServersInRandomOrder,
            Qt::QueuedConnection);
    connect(m_menu, &QMenu::aboutToShow, this, &CollectionControls::updateMenu);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
        updateMenu();
        m_menu->popup(list->viewport()->mapToGlobal(at));
    });

    // the list's selection and the inventory's selected item follow each other
    const auto watchSelection = [this, list] {
        connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
            m_core.inventory().setSelectedItem(current.isValid() ? current.row() : -1);
            updateMenu();
        });
    };
    watchSelection();
    connect(&inventory, &collect::Inventory::selectedItemChanged, this, &CollectionControls::syncListSelection);
    connect(&inventory, &collect::Inventory::listEnabledChanged, this, [this](bool enabled) {
        m_listEnabled = enabled;
        m_servers.serverList()->setEnabled(enabled && !m_locked);
    });
    // the window's controls stay locked while a run, a banlist fetch or the start-up checks go on
    const auto lock = [this](bool locked) { locked ? DisableAllButtons() : EnableAllButtons(); };
    connect(&inventory, &collect::Inventory::runningChanged, this, [this, lock](bool running) {
        lock(running);
        m_skip->setEnabled(running);
        m_cancel->setEnabled(running);
        updateMenu();
    });
    connect(&m_core.serverDiscovery().selectionModel(), &QAbstractItemModel::modelReset, this,
            &CollectionControls::updateMenu);

    QMenu* download = barMenu(m_window, QStringLiteral("Download"), QStringLiteral("Download"));
    m_downloadBanlists = download->addAction(QStringLiteral("Download Banlists(AASA and ACI)"));
    m_downloadBanlists->setObjectName(QStringLiteral("Download_AASA_Banlist"));
    connect(
        m_downloadBanlists, &QAction::triggered, this, [this] { m_core.banlistUpdate().DownloadBanlists(); },
        Qt::QueuedConnection);

    connect(&m_core.banlistUpdate(), &banlists::BanlistUpdate::busyChanged, this, lock);
    connect(&m_core, &app::AppCore::startupChecksRunning, this, lock);
    updateMenu();
}

CollectionControls::~CollectionControls() = default;

QList<QWidget*> CollectionControls::lockedWidgets() const
{
    QList<QWidget*> widgets;
    for (const char* name :
         {"List1", "List5", "List7", "Command1", "Command2", "hscGamma", "chkFields0", "CheatLeft", "CheatRight"}) {
        if (auto* w = m_window.findChild<QWidget*>(QLatin1String(name)))
            widgets << w;
    }
    for (const char* name : {"Download", "File", "Xmodules"}) {
        if (auto* menu = m_window.menuBar()->findChild<QMenu*>(QLatin1String(name), Qt::FindDirectChildrenOnly))
            widgets << menu;
    }
    return widgets;
}

void CollectionControls::applyLock(bool locked)
{
    m_locked = locked;
    for (QWidget* w : lockedWidgets()) {
        w->setEnabled(!locked);
        if (auto* menu = qobject_cast<QMenu*>(w))
            menu->menuAction()->setEnabled(!locked);
    }
    m_servers.serverList()->setEnabled(!locked && m_listEnabled);
    if (auto* picture = m_window.findChild<QWidget*>(QStringLiteral("Picture1")))
        picture->setToolTip(locked ? QString() : QStringLiteral("Right click on Image for menu"));
    updateMenu();
}

void CollectionControls::DisableAllButtons()
{
    applyLock(true);
    m_skip->setEnabled(false);
    m_cancel->setEnabled(false);
}

void CollectionControls::EnableAllButtons()
{
    // a banlist fetch between two visits unlocks in the middle of a run, which keeps its own lock
    const bool running = m_core.inventory().isRunning();
    applyLock(running);
    m_skip->setEnabled(running);
    m_cancel->setEnabled(running);
}

void CollectionControls::updateMenu()
{
    const collect::Inventory& inventory = m_core.inventory();
    m_inventoryAll->setEnabled(inventory.canInventoryAll());
    m_inventoryRandom->setEnabled(inventory.canInventoryAll());
    m_inventorySelected->setEnabled(inventory.canInventorySelected());
}

void CollectionControls::syncListSelection(int item)
{
    QListView* list = m_servers.serverList();
    QItemSelectionModel* selection = list->selectionModel();
    const QModelIndex index = item >= 0 ? list->model()->index(item, 0) : QModelIndex();
    if (selection->currentIndex() != index || (index.isValid() && !selection->isSelected(index))) {
        if (index.isValid()) {
            selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
            list->scrollTo(index);
        } else {
            selection->clear();
        }
    }
    updateMenu();
}

} // namespace vh::gui
