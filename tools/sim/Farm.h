#pragma once

#include "HttpServer.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

class QJsonObject;

namespace vh::base {
enum class Setting : int;
}

namespace vh::sim {

// Simulated game servers behind one HttpServer on 127.0.0.1: server k has the address firstAddress + k
// and publishes its index page at "/<address>/pbsvss.htm" with its screenshots beside it. The same server
// publishes the two banlists, the trollbait page, the lister's file and the verification endpoint. Shot numbers
// count per server from 1 and start again at 1 after the ceiling; publish() serves what was added.
class Farm
{
public:
    enum class Plant
    {
        None,
        Fog,              // fog grey: "NoFog <map>" on the four fog maps when ScanNoFog is on
        SuspiciousColour, // a pixel of "Suspicious color1" when ScanColorCodes is on
        Colour2,
        Colour3,
        Colour5,
        Colour6,
        Colour7,
        Colour9,
        NtdRed,        // nine pure red pixels between black ones
        CaptureFailed, // "Captured Solid DDraw Texture": never an entry
    };
    static QByteArray plantName(Plant plant);

    struct Shot
    {
        int number = 0;
        QByteArray guid;
        QByteArray playerName;
        QByteArray time; // "yyyy.MM.dd hh:mm:ss"
        Plant plant = Plant::None;
        // the name drawn into the picture when it differs from the listed one (a name changer)
        QByteArray drawnName;

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
        // the name the status query answers with (colour codes, an official name); empty: name
        QByteArray reportedName;
        // in servers.dat; a server left out is named only by the status query
        bool listed = true;
        int taken = 0; // shots taken so far, the next number follows from it
        QList<Shot> shots;
        int published = 0; // shots whose pictures are served
    };

    struct Ban
    {
        QByteArray guid;
        QByteArray name;
        QByteArray reason;
    };

    // What an inventory of the shot's server makes of a listed shot with the farm's workspace settings.
    struct Expectation
    {
        QByteArray outcome; // "entry", "banned" (skipped), "no-entry" (refused at intake), "overwritten"
        QByteArray detected;
    };

    // The one ban of the lists the farm starts with; no shot of the farm carries it unless asked to.
    static inline const QByteArray NobodysGuid = QByteArrayLiteral("ffffffffffffffffffffffffffffffff");
    static constexpr int DefaultCeiling = 999999;

    // port 0: any free port
    explicit Farm(int servers = 3, const QString& firstAddress = QStringLiteral("127.0.0.2"), int port = 0);
    virtual ~Farm() = default;
    Farm(const Farm&) = delete;
    Farm& operator=(const Farm&) = delete;

    HttpServer& http() { return m_http; }
    const HttpServer& http() const { return m_http; }
    int serverCount() const { return int(m_servers.size()); }
    const Server& server(int k) const { return m_servers.at(k); }
    Server& server(int k) { return m_servers[k]; }
    void setServerName(int k, const QString& name, const QString& map);
    void setShotCeiling(int ceiling) { m_ceiling = ceiling; }
    int shotCeiling() const { return m_ceiling; }

    // Adds the server's next shot (published by the next publish()) and returns it.
    const Shot& addShot(int k, const QByteArray& guid, Plant plant = Plant::None,
                        const QByteArray& playerName = QByteArrayLiteral("Player"),
                        const QByteArray& time = QByteArrayLiteral("2026.12.06 10:00:00"));
    const Shot& addShot(int k, Shot shot);
    // Serves every index page as it stands now and the pictures of the shots added since the last publish();
    // a number taken again serves its newest shot.
    void publish();
    // Whether the shot's file is still the one served: no later shot of its server took its number.
    bool isCurrent(int k, int shotIndex) const;

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
    // Serves the list built from bans and keeps them for the expectations.
    void serveAasaBans(const QByteArray& info, const QList<Ban>& bans);
    void serveAciBans(const QByteArray& info, const QList<Ban>& bans);
    QByteArray servedAasaBanlist() const { return m_aasaBanlist; }
    QByteArray servedAciBanlist() const { return m_aciBanlist; }
    QString aasaBanlistUrl() const { return m_http.url(QStringLiteral("/banlists/aasaprivbanguid.txt")); }
    QString aciBanlistUrl() const { return m_http.url(QStringLiteral("/banlists/pbbans.txt")); }
    QString verificationUrl() const { return m_http.url(QStringLiteral("/verified/index.php?")); }
    QString trollbaitUrl() const { return m_http.url(QStringLiteral("/trollbait")); }
    QString listerUrl() const { return m_http.url(QStringLiteral("/gslist/armygame.txt")); }
    // The trollbait page: every word of 32 characters is a GUID.
    void serveTrollbait(const QList<QByteArray>& guids);
    // The lister's output file: four header lines, then one server per line, its address before the first blank.
    QByteArray listerOutput() const;

    // The GameSpy reply to a status query: key and value pairs split by zero bytes, then the players.
    static QByteArray statusReply(const QByteArray& hostName, const QByteArray& map, const QList<QByteArray>& players);
    QByteArray statusReply(int k) const;

    Expectation expectation(int k, int shotIndex) const;
    // Everything the farm publishes, for the checks of a run against it (see tools/sim/README.md).
    QJsonObject manifest() const;

    // Writes a ready workspace under baseFolder: data/Links.dat (banlists on this server, the verification
    // endpoint last), data/Settings.dat (the farm's settings, then the overrides), data/ipranges.dat (one
    // provider "Farm" over the servers), data/servers.dat (names and maps of the listed servers), an empty
    // data/serverlist.txt, and both banlists as served, so that start-up fetches nothing.
    void writeWorkspace(const QString& baseFolder, const QMap<base::Setting, QString>& overrides = {}) const;

    // Writes baseFolder/relative atomically, creating its folders; a farm that cannot write its workspace stops.
    static void writeFile(const QString& baseFolder, const QString& relative, const QByteArray& content);

private:
    QList<QByteArray> playersOf(int k) const;

    HttpServer m_http;
    QList<Server> m_servers;
    int m_ceiling = DefaultCeiling;
    QByteArray m_aasaBanlist;
    QByteArray m_aciBanlist;
    QList<QByteArray> m_aasaGuids;
    QList<QByteArray> m_aciGuids;
};

} // namespace vh::sim
