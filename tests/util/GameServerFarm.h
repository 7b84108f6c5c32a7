#pragma once

#include "util/LocalHttpServer.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace vh::app {
class AppCore;
}
namespace vh::base {
enum class Setting : int;
}

namespace vh::test {

// Simulated game servers behind one LocalHttpServer on 127.0.0.1: server k has the address 127.0.0.<k + 2>
// and publishes its index page at "/<address>/pbsvss.htm" with its screenshots beside it. The same server
// publishes the two banlists. Shots are numbered per server from 1; publish() serves what was added.
class GameServerFarm final
{
public:
    enum class Plant
    {
        None,
        Fog,              // fog grey: "NoFog <map>" when ScanNoFog is on
        SuspiciousColour, // a pixel of "Suspicious color1" when ScanColorCodes is on
    };

    struct Shot
    {
        int number = 0;
        QByteArray guid;
        QByteArray playerName;
        QByteArray time; // "yyyy.MM.dd hh:mm:ss"
        Plant plant = Plant::None;

        QByteArray fileName() const; // "pb000001.png"
        // The line's text from the shot number on, as the index page lists it and the database keeps it.
        QByteArray indexText() const;
        // The whole line of the index page, without its CR LF.
        QByteArray indexLine() const;
    };

    struct Server
    {
        QString address;
        QString name;
        QString map;
        QList<Shot> shots;
    };

    struct Ban
    {
        QByteArray guid;
        QByteArray name;
        QByteArray reason;
    };

    // The one ban of the lists the farm starts with; no shot of the farm carries it unless asked to.
    static inline const QByteArray NobodysGuid = QByteArrayLiteral("ffffffffffffffffffffffffffffffff");

    explicit GameServerFarm(int servers = 3);
    GameServerFarm(const GameServerFarm&) = delete;
    GameServerFarm& operator=(const GameServerFarm&) = delete;

    LocalHttpServer& http() { return m_http; }
    int serverCount() const { return int(m_servers.size()); }
    const Server& server(int k) const { return m_servers.at(k); }
    void setServerName(int k, const QString& name, const QString& map);

    // Adds the server's next shot (published by the next publish()) and returns it.
    const Shot& addShot(int k, const QByteArray& guid, Plant plant = Plant::None,
                        const QByteArray& playerName = QByteArrayLiteral("Player"),
                        const QByteArray& time = QByteArrayLiteral("2026.12.06 10:00:00"));
    // Serves every index page and screenshot as they stand now.
    void publish();

    QByteArray indexPage(int k) const;
    // The screenshot as the server hands it out: the five text lines agree with the index line.
    QByteArray png(int k, const Shot& shot) const;
    QString pageUrl(int k) const;
    QString shotPath(int k, const Shot& shot) const;
    QString shotUrl(int k, const Shot& shot) const { return m_http.url(shotPath(k, shot)); }
    // The provider path template of ipranges.dat.
    QString providerPath() const;

    // The banlists as served (at "/banlists/..." and, for the start-up fetch, "/aasaprivbanguid.txt").
    static QByteArray aasaBanlist(const QByteArray& info, const QList<Ban>& bans);
    static QByteArray aciBanlist(const QByteArray& info, const QList<Ban>& bans);
    void serveAasaBanlist(const QByteArray& content);
    void serveAciBanlist(const QByteArray& content);
    QByteArray servedAasaBanlist() const { return m_aasaBanlist; }
    QByteArray servedAciBanlist() const { return m_aciBanlist; }
    QString aasaBanlistUrl() const { return m_http.url(QStringLiteral("/banlists/aasaprivbanguid.txt")); }
    QString aciBanlistUrl() const { return m_http.url(QStringLiteral("/banlists/pbbans.txt")); }

    // Writes a ready workspace under baseFolder: data/Links.dat (banlists on this server), data/Settings.dat
    // (the farm's settings, then the overrides), data/ipranges.dat (one provider "Farm" over the servers),
    // data/servers.dat (names and maps), an empty data/serverlist.txt, and both banlists as served, so that start-up
    // fetches nothing.
    void writeWorkspace(const QString& baseFolder, const QMap<base::Setting, QString>& overrides = {}) const;
    // Chooses every map of the filter list, so that the server selection list holds every named server.
    static void selectAllServers(app::AppCore& core);

private:
    LocalHttpServer m_http;
    QList<Server> m_servers;
    QByteArray m_aasaBanlist;
    QByteArray m_aciBanlist;
};

} // namespace vh::test
