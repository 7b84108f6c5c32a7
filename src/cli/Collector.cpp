#include "cli/Collector.h"

#include "app/AppCore.h"
#include "cli/WorkspaceCheck.h"
#include "platform/AdvisoryLock.h"
#include "servers/ServerEntry.h"

#include <QDir>
#include <QIODevice>
#include <QRegularExpression>

#include <csignal>

namespace vh::cli {

using base::Setting;

Collector::Collector(app::AppCore& core, QIODevice& out, QIODevice& err, Terminal terminal, QObject* parent)
    : QObject(parent), m_core(core), m_err(err), m_terminal(terminal),
      m_printer(out, LogPrinter::styleForTerminal(terminal.out)), m_progress(err, terminal.err)
{
    if (terminal.out && terminal.err)
        m_printer.setAroundPrint([this] { m_progress.clear(); }, [this] { m_progress.redraw(); });
    connect(&m_core.log(), &base::ActivityLog::lineAdded, this,
            [this](const QString& text, base::Colour colour) { m_printer.print(text, colour); });

    collect::Inventory& inventory = m_core.inventory();
    connect(&inventory, &collect::Inventory::runningChanged, this, [this](bool running) {
        // a run sets out with no stop request; one that came in before it still counts
        if (running && m_stopRequested)
            m_core.inventory().CancelInventory();
    });
    connect(&m_core.serverDiscovery(), &servers::ServerDiscovery::selectionRebuilt, this,
            [this] { m_visitInPass = 0; });
    connect(&inventory, &collect::Inventory::visitStarted, this,
            [this] { m_progress.visitStarted(++m_visitInPass, visitableItems()); });
    connect(&m_core.pool(), &collect::DownloadPool::handedOut, this,
            [this] { m_progress.setQueued(m_core.pool().QueueCount()); });
    connect(&m_core.pool(), &collect::DownloadPool::statusTextChanged, this, [this](const QString& text) {
        static const QRegularExpression doneOfQueued(QStringLiteral("^(\\d+) of (\\d+)$"));
        const QRegularExpressionMatch m = doneOfQueued.match(text);
        if (m.hasMatch())
            m_progress.setDone(m.captured(1).toInt());
    });
}

void Collector::error(const QString& message)
{
    m_progress.clear();
    m_err.write(QByteArrayLiteral("varnholt-cli: ") + message.toUtf8() + '\n');
    m_progress.redraw();
}

int Collector::visitableItems() const
{
    // the list-wide runs pass over servers whose name is still unknown, so they are not counted
    auto& discovery = m_core.serverDiscovery();
    int n = 0;
    for (const servers::SelectionItem& item : discovery.selectionModel().items()) {
        if (item.server >= 0 && item.server < discovery.servers().ServerCount() &&
            discovery.servers().at(item.server).ServerName != servers::UnknownText)
            ++n;
    }
    return n;
}

void Collector::requestStop(int signalNumber)
{
    if (m_stopRequested)
        return;
    m_stopRequested = true;
    error(QStringLiteral("%1: cancelling the inventory; transfers under way finish, then everything is saved "
                         "(press Ctrl-C again to quit at once without saving)")
              .arg(signalNumber == SIGTERM ? QStringLiteral("SIGTERM") : QStringLiteral("interrupted")));
    m_core.inventory().CancelInventory();
}

void Collector::applySelection(const CliOptions& options)
{
    servers::ServerDiscovery& discovery = m_core.serverDiscovery();
    const servers::ServerFilterState& filters = discovery.filters();
    for (int item = 0; item < int(filters.providerSelected.size()); ++item) {
        const QString name = discovery.providers().providerName(item + 1);
        discovery.setProviderSelected(item, options.providers.isEmpty() ||
                                                options.providers.contains(name, Qt::CaseInsensitive));
    }
    discovery.setAllMapsSelected(options.maps.isEmpty());
    for (int item = 0; item < filters.maps.size() && !options.maps.isEmpty(); ++item)
        discovery.setMapSelected(item, options.maps.contains(filters.maps.at(item), Qt::CaseInsensitive));
    discovery.setNameFilter(servers::ServerDiscovery::NameFilterItems[int(options.nameFilter)]);
    discovery.FillServerSelection();
}

int Collector::runInventory(const CliOptions& options, const QString& executablePath)
{
    const QString base = base::Workspace::resolveBaseFolder(executablePath, options.baseFolder);
    const base::Problems problems = WorkspaceCheck::problems(base, true);
    if (!problems.isEmpty()) {
        error(problems.join(QStringLiteral("; ")));
        return BadUsage;
    }
    // names are checked before the start-up writes anything
    const WorkspaceCheck::KnownNames known = WorkspaceCheck::readKnownNames(base);
    for (const QString& message :
         WorkspaceCheck::unknownNames(options.providers, known.providers, QStringLiteral("provider")) +
             WorkspaceCheck::unknownNames(options.maps, known.maps, QStringLiteral("map"))) {
        error(message);
        return BadUsage;
    }

    // two collectors on one workspace would each save their own table and lose the other's entries
    // a lock whose holder has ended, however it ended, is taken over
    platform::AdvisoryLock lock(QDir(base).filePath(LockFileName));
    switch (lock.tryLock()) {
    case platform::AdvisoryLock::Result::Locked:
        break;
    case platform::AdvisoryLock::Result::HeldByOther:
        error(lock.holderPid() > 0 ? QStringLiteral("another inventory is running on %1 (process %2); not started")
                                         .arg(base)
                                         .arg(lock.holderPid())
                                   : QStringLiteral("another inventory is running on %1; not started").arg(base));
        return Failure;
    case platform::AdvisoryLock::Result::Failed:
        error(lock.error() + QStringLiteral("; not started"));
        return Failure;
    }

    m_core.startupLoad(executablePath, options.baseFolder);
    // the command line decides about looping for this run only; the user's setting is saved as it was
    const QString userLoopScan = m_core.settings().value(Setting::LoopScan);
    m_core.settings().setValue(Setting::LoopScan, options.loop ? QStringLiteral("1") : QStringLiteral("0"));
    m_core.startupLoadLists();
    applySelection(options);
    m_core.startupFinish();

    int status = Success;
    collect::Inventory& inventory = m_core.inventory();
    if (!inventory.canInventoryAll()) {
        error(QStringLiteral("no server to visit: the selection of %1 known servers is empty")
                  .arg(m_core.serverDiscovery().servers().ServerCount()));
        status = Failure;
    } else if (!m_stopRequested) {
        if (options.random)
            inventory.InventoryServersInRandomOrder();
        else
            inventory.InventoryServers();
    }
    m_progress.visitEnded();

    m_core.settings().setValue(Setting::LoopScan, userLoopScan);
    if (!m_core.ShutDown()) {
        error(QStringLiteral("saving at shutdown failed, see the log above"));
        status = Failure;
    }
    return status;
}

} // namespace vh::cli
