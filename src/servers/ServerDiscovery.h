#pragma once

#include "servers/ProviderTable.h"
#include "servers/ServerList.h"
#include "servers/ServerSelection.h"
#include "servers/ServerSelectionModel.h"
#include "servers/StatusQuery.h"

#include <QObject>
#include <QString>

class QNetworkAccessManager;

namespace vh::base {
class ActivityLog;
class Settings;
class Workspace;
} // namespace vh::base

namespace vh::servers {

// The server discovery state the main window owns: providers and ranges, the server list, the three filter
// lists with the server selection list built from them, the GameSpy lister and the status query.
class ServerDiscovery final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ServerDiscovery)

public:
    static inline const QString NameFilterItems[3] = {QStringLiteral("All"), QStringLiteral("AASA"),
                                                      QStringLiteral("ACI")};

    ServerDiscovery(base::Settings& settings, base::ActivityLog& log, const base::Workspace& workspace,
                    QObject* parent = nullptr);
    ~ServerDiscovery() override;

    ServerList& servers() { return m_servers; }
    const ServerList& servers() const { return m_servers; }
    ProviderTable& providers() { return m_providers; }
    const ProviderTable& providers() const { return m_providers; }
    StatusQuery& statusQuery() { return m_statusQuery; }
    ServerSelectionModel& selectionModel() { return m_selection; }

    // Reads ipranges.dat, rebuilds the tables, the server list and the provider filter list (every item
    // chosen). A missing file changes nothing and gives false.
    bool LoadIpRanges();
    void SaveIpRanges();
    // After the provider window edited the tables: saves the ranges, reads them back and rebuilds the
    // selection list, whose items would otherwise point at slots that now hold other servers.
    void ApplyProviderChanges();
    // Fetches the provider file from the address, then reloads the ranges and the selection list. False
    // when the download failed (the old file stays).
    bool DownloadProviderInfo(const QString& url);

    void LoadServers();
    // False (and one logged line) when servers.dat could not be written; the last good file stays.
    bool SaveServers();
    void FillServerSelection();

    // The lister's initialisation when serverlist.txt does not exist yet.
    void InitGslist();
    // Runs the lister against the master list and marks the servers it names as valid.
    void QueryGameSpyServerList();
    QString gslistProgram() const;

    // The filter lists, as the main window's list controls show them.
    const ServerFilterState& filters() const { return m_filters; }
    void setProviderSelected(int item, bool selected);
    void setMapSelected(int item, bool selected);
    void setAllMapsSelected(bool selected);
    void setNameFilter(const QString& text);

    QString statusText() const { return m_statusText; }
    QString countText() const { return selectionCountText(int(m_selection.items().size())); }

    // Limits of the outside program and the download; tests shorten them.
    void setGslistTimeout(int ms) { m_gslistTimeoutMs = ms; }
    void setDownloadTimeout(int ms) { m_downloadTimeoutMs = ms; }
    void setDownloadMaxBytes(qint64 bytes) { m_downloadMaxBytes = bytes; }

Q_SIGNALS:
    void providerItemsChanged();
    void mapItemsChanged();
    // The server selection list was rebuilt; text is the count label.
    void selectionRebuilt(const QString& countText);
    // "Number of servers: " and the count, for the status bar.
    void statusTextChanged(const QString& text);

private:
    void runGslist(const QStringList& arguments);

    base::Settings& m_settings;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    ProviderTable m_providers;
    ServerList m_servers;
    ServerFilterState m_filters;
    ServerSelectionModel m_selection;
    StatusQuery m_statusQuery;
    QNetworkAccessManager* m_network = nullptr;
    QString m_statusText;
    int m_gslistTimeoutMs = 5 * 60 * 1000;
    int m_downloadTimeoutMs = 30000;
    qint64 m_downloadMaxBytes = 1024 * 1024;
};

} // namespace vh::servers
