#include "servers/ServerDiscovery.h"

#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "platform/AtomicFile.h"
#include "servers/IpRangesFile.h"
#include "servers/ProviderInfoDownload.h"
#include "servers/RunAndWait.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>

namespace vh::servers {

namespace Colours = base::Colours;
namespace Paths = base::Paths;

namespace {

const QString ServerRawFile = QStringLiteral("data/serverRaw.dat");

bool readWhole(const QString& path, QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    content = file.readAll();
    return file.error() == QFile::NoError;
}

QString quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

} // namespace

ServerDiscovery::ServerDiscovery(base::Settings& settings, base::ActivityLog& log, const base::Workspace& workspace,
                                 QObject* parent)
    : QObject(parent), m_settings(settings), m_log(log), m_workspace(workspace),
      m_statusQuery(m_servers, m_providers, settings, this)
{
    m_filters.nameFilter = NameFilterItems[0];
}

ServerDiscovery::~ServerDiscovery() = default;

bool ServerDiscovery::LoadIpRanges()
{
    QByteArray content;
    if (!readWhole(m_workspace.path(Paths::IpRangesFile), content))
        return false;
    for (const QString& line : servers::LoadIpRanges(content, m_providers, m_servers))
        m_log.Log(line);
    m_filters.providerSelected.assign(std::size_t(m_providers.ProviderCount()), true);
    Q_EMIT providerItemsChanged();
    m_statusText = QStringLiteral("Number of servers: ") + QString::number(m_servers.ServerCount());
    Q_EMIT statusTextChanged(m_statusText);
    return true;
}

void ServerDiscovery::SaveIpRanges()
{
    for (const QString& problem :
         platform::writeFileAtomically(m_workspace.path(Paths::IpRangesFile), m_providers.serialize()))
        m_log.Log(QStringLiteral("Problems in Saving IP-Ranges, error:") + problem);
}

void ServerDiscovery::ApplyProviderChanges()
{
    SaveIpRanges();
    LoadIpRanges();
    FillServerSelection();
}

bool ServerDiscovery::DownloadProviderInfo(const QString& url)
{
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    DownloadLimits limits;
    limits.timeoutMs = m_downloadTimeoutMs;
    limits.maxBytes = m_downloadMaxBytes;
    const base::Problems problems = fetchToFileWaiting(*m_network, url, m_workspace.path(Paths::IpRangesFile), limits);
    for (const QString& problem : problems)
        m_log.Log(QStringLiteral("Problems in Downloading Provider Info, error:") + problem);
    LoadIpRanges();
    FillServerSelection();
    return problems.isEmpty();
}

void ServerDiscovery::LoadServers()
{
    QByteArray content;
    if (!readWhole(m_workspace.path(Paths::ServersFile), content))
        return;
    const QStringList maps = m_servers.LoadServers(content);
    if (maps.isEmpty())
        return;
    m_filters.maps += maps;
    m_filters.mapSelected.resize(std::size_t(m_filters.maps.size()), false);
    Q_EMIT mapItemsChanged();
}

bool ServerDiscovery::SaveServers()
{
    const base::Problems problems =
        platform::writeFileAtomically(m_workspace.path(Paths::ServersFile), m_servers.SaveServers());
    for (const QString& problem : problems)
        m_log.Log(QStringLiteral("Problems in Saving Servers, error:") + problem);
    return problems.isEmpty();
}

void ServerDiscovery::FillServerSelection()
{
    m_selection.setItems(servers::FillServerSelection(m_servers, m_filters));
    Q_EMIT selectionRebuilt(countText());
}

void ServerDiscovery::setProviderSelected(int item, bool selected)
{
    if (item >= 0 && std::size_t(item) < m_filters.providerSelected.size())
        m_filters.providerSelected[std::size_t(item)] = selected;
}

void ServerDiscovery::setMapSelected(int item, bool selected)
{
    if (item >= 0 && std::size_t(item) < m_filters.mapSelected.size())
        m_filters.mapSelected[std::size_t(item)] = selected;
}

void ServerDiscovery::setAllMapsSelected(bool selected)
{
    m_filters.mapSelected.assign(m_filters.mapSelected.size(), selected);
}

void ServerDiscovery::setNameFilter(const QString& text)
{
    m_filters.nameFilter = text;
}

QString ServerDiscovery::gslistProgram() const
{
#ifdef Q_OS_WIN
    return m_workspace.path(Paths::Gslist + QStringLiteral("/gslist.exe"));
#else
    return m_workspace.path(Paths::Gslist + QStringLiteral("/gslist"));
#endif
}

void ServerDiscovery::runGslist(const QStringList& arguments)
{
    const RunResult result = RunAndWait(gslistProgram(), arguments, m_gslistTimeoutMs);
    if (result.timedOut)
        m_log.Log(QStringLiteral("gslist did not end within %1 seconds and was stopped").arg(m_gslistTimeoutMs / 1000));
}

void ServerDiscovery::InitGslist()
{
    if (QFile::exists(m_workspace.path(Paths::ServerListFile)))
        return;
    m_log.Log(QStringLiteral("Init of gslist, please wait"), Colours::Green);
    m_log.Log(QStringLiteral("Running ") + quoted(gslistProgram()) + QStringLiteral(" -M"));
    runGslist({QStringLiteral("-M")});
}

void ServerDiscovery::QueryGameSpyServerList()
{
    m_log.Log(QStringLiteral("Query Gamespy for Serverlist"), Colours::Yellow);
    const QString listFile = m_workspace.path(Paths::ServerListFile);
    QFile::remove(m_workspace.path(ServerRawFile));
    platform::writeFileAtomically(m_workspace.path(ServerRawFile), QByteArray());
    runGslist({QStringLiteral("-n"), QStringLiteral("armygame"), QStringLiteral("-t"), QStringLiteral("2"),
               QStringLiteral("-o"), QDir::toNativeSeparators(listFile)});
    QByteArray content;
    if (!QFile::exists(listFile))
        platform::writeFileAtomically(listFile, QByteArray());
    readWhole(listFile, content);
    const ServerList::GslistResult result = m_servers.markValid(content);
    if (result.valid == 0) {
        m_log.Log(QStringLiteral("0 found valid"), Colours::Red);
    } else {
        m_log.Log(QStringLiteral("%1 servers of %2 found valid").arg(result.valid).arg(result.total), Colours::Green);
    }
}

} // namespace vh::servers
