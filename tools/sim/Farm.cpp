#include "Farm.h"

#include "ScreenshotMaker.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace vh::sim {

namespace {

QString latin1(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

// The colour a plant draws and the text the colour-code check gives it.
struct ColourPlant
{
    Farm::Plant plant;
    QRgb colour;
    int length; // the check's run length and one more
    const char* detected;
};

const ColourPlant ColourPlants[] = {
    {Farm::Plant::SuspiciousColour, qRgb(239, 0, 0), 1, "Suspicious color1"},
    {Farm::Plant::Colour2, qRgb(239, 94, 0), 1, "Suspicious color2"},
    {Farm::Plant::Colour5, qRgb(1, 254, 0), 11, "Suspicious color5"},
    {Farm::Plant::Colour6, qRgb(58, 95, 205), 16, "Suspicious color6"},
    {Farm::Plant::Colour7, qRgb(255, 64, 0), 5, "Suspicious color7"},
    {Farm::Plant::Colour3, qRgb(127, 0, 127), 5, "Suspicious color3"},
    {Farm::Plant::Colour9, qRgb(255, 215, 0), 4, "Suspicious color9"},
};

const ColourPlant* colourPlant(Farm::Plant plant)
{
    for (const ColourPlant& c : ColourPlants) {
        if (c.plant == plant)
            return &c;
    }
    return nullptr;
}

const QByteArray FogMaps[] = {"Bridge Crossing", "Mountain Pass", "Bridge SE", "Mountain Pass SE"};

} // namespace

QByteArray Farm::plantName(Plant plant)
{
    if (const ColourPlant* c = colourPlant(plant))
        return c->detected;
    switch (plant) {
    case Plant::Fog:
        return "fog";
    case Plant::NtdRed:
        return "NTD Red";
    case Plant::CaptureFailed:
        return "capture failed";
    default:
        return "clean";
    }
}

void Farm::writeFile(const QString& baseFolder, const QString& relative, const QByteArray& content)
{
    const QString path = baseFolder + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (const platform::Problems problems = platform::writeFileAtomically(path, content); !problems.isEmpty())
        qFatal("Farm: cannot write %s: %s", qPrintable(path), qPrintable(problems.join(QStringLiteral("; "))));
}

QByteArray Farm::Shot::fileName() const
{
    return "pb" + QByteArray::number(number).rightJustified(6, '0') + ".png";
}

QByteArray Farm::Shot::indexText() const
{
    return QByteArray::number(number).rightJustified(6, '0') + " \"" + playerName + "\" (W) GUID=" + guid + "(-) [" +
           time + ']';
}

QByteArray Farm::Shot::indexLine() const
{
    // the shot number starts at character 40 and is closed by "</a>", which the reader removes
    const QByteArray num = QByteArray::number(number).rightJustified(6, '0');
    return "<p> <a href=pb" + num + ".htm target=_blank>" + num + "</a>" + indexText().mid(6);
}

Farm::Farm(int servers, const QString& firstAddress, int port) : m_http(port)
{
    const QStringList octets = firstAddress.split(QLatin1Char('.'));
    const int first = octets.value(3).toInt();
    Q_ASSERT(octets.size() == 4 && octets.first() == QLatin1String("127"));
    Q_ASSERT(servers >= 1 && first >= 1 && first + servers - 1 <= 254);
    const QString net = QStringList(octets.mid(0, 3)).join(QLatin1Char('.'));
    static const char* const maps[] = {"Bridge Crossing", "Mountain Pass", "Weapons Cache"};
    for (int k = 0; k < servers; ++k) {
        Server s;
        s.address = net + QStringLiteral(".%1").arg(first + k);
        s.name = QStringLiteral("Farm Server %1").arg(k + 1);
        s.map = QString::fromLatin1(maps[k % 3]);
        m_servers.append(s);
    }
    serveAasaBans("AASA Farm list 1", {{NobodysGuid, "Nobody", "Aimbot"}});
    serveAciBans("[ACI] Farm list 1", {{NobodysGuid, "Nobody", "Wallhack"}});
    m_http.acceptPosts(QStringLiteral("/verified/index.php"), "<html><body>Thank you</body></html>");
    m_http.serve(QStringLiteral("/aasa/search"), "<html><body>AASA search: no report on this GUID yet</body></html>");
    m_http.serve(QStringLiteral("/aasa/report"), "<html><body>AASA report form</body></html>");
    serveTrollbait({NobodysGuid});
    publish();
}

void Farm::setServerName(int k, const QString& name, const QString& map)
{
    m_servers[k].name = name;
    m_servers[k].map = map;
}

const Farm::Shot& Farm::addShot(int k, const QByteArray& guid, Plant plant, const QByteArray& playerName,
                                const QByteArray& time)
{
    Shot shot;
    shot.guid = guid;
    shot.playerName = playerName;
    shot.time = time;
    shot.plant = plant;
    return addShot(k, shot);
}

const Farm::Shot& Farm::addShot(int k, Shot shot)
{
    Server& s = m_servers[k];
    // PunkBuster counts up to its ceiling and then starts again at 1, reusing the file names
    shot.number = s.taken % m_ceiling + 1;
    ++s.taken;
    s.shots.append(shot);
    return s.shots.last();
}

void Farm::publish()
{
    for (int k = 0; k < serverCount(); ++k) {
        m_http.serve(QLatin1Char('/') + m_servers.at(k).address + QStringLiteral("/pbsvss.htm"), indexPage(k));
        // drawing is the slow part: only new pictures are drawn, and a newer shot replaces its number's route
        Server& s = m_servers[k];
        for (; s.published < s.shots.size(); ++s.published) {
            const Shot& shot = s.shots.at(s.published);
            m_http.serve(shotPath(k, shot), png(k, shot), 0, QByteArrayLiteral("image/png"));
            // the shot's own page, which a report reads to see that the shot is still there
            const QByteArray stem = shot.fileName().left(8);
            m_http.serve(QLatin1Char('/') + s.address + QLatin1Char('/') + QString::fromLatin1(stem) +
                             QStringLiteral(".htm"),
                         "<p> <img src=" + shot.fileName() + ">\r\n<p> " + shot.indexText() + "\r\n");
        }
    }
    m_http.serve(QStringLiteral("/gslist/armygame.txt"), listerOutput(), 0, QByteArrayLiteral("text/plain"));
}

bool Farm::isCurrent(int k, int shotIndex) const
{
    const QList<Shot>& shots = m_servers.at(k).shots;
    for (int i = shotIndex + 1; i < shots.size(); ++i) {
        if (shots.at(i).number == shots.at(shotIndex).number)
            return false;
    }
    return true;
}

QByteArray Farm::indexPage(int k) const
{
    QByteArray page;
    for (const Shot& shot : m_servers.at(k).shots)
        page += shot.indexLine() + "\r\n";
    return page;
}

QByteArray Farm::png(int k, const Shot& shot) const
{
    const Server& s = m_servers.at(k);
    shotmaker::ShotInfo info;
    info.map = s.map.toLatin1();
    info.shotFile = shot.fileName();
    info.serverAddress = s.address.toLatin1() + ":1716";
    info.serverName = s.name.toLatin1();
    info.guid = shot.guid;
    info.playerName = shot.drawnName.isEmpty() ? shot.playerName : shot.drawnName;
    info.captureFailed = shot.plant == Plant::CaptureFailed;
    shotmaker::ScreenshotMaker maker;
    maker.setText(info);
    if (const ColourPlant* c = colourPlant(shot.plant))
        maker.plantRun(maker.insideCapture(40), c->colour, c->length);
    else if (shot.plant == Plant::Fog)
        maker.plantFog(maker.insideCapture(3));
    else if (shot.plant == Plant::NtdRed)
        maker.plantNtdRed(maker.insideCapture(40), 9);
    return maker.png();
}

QString Farm::pageUrl(int k) const
{
    return m_http.url(QLatin1Char('/') + m_servers.at(k).address + QStringLiteral("/pbsvss.htm"));
}

QString Farm::shotPath(int k, const Shot& shot) const
{
    return QLatin1Char('/') + m_servers.at(k).address + QLatin1Char('/') + QString::fromLatin1(shot.fileName());
}

QString Farm::providerPath() const
{
    return m_http.url(QStringLiteral("/%ip%/pbsvss.htm"));
}

QByteArray Farm::aasaBanlist(const QByteArray& info, const QList<Ban>& bans)
{
    QByteArray text = info + "\r\n";
    for (const Ban& b : bans)
        text += "[d] " + b.guid + ' ' + b.name + " 1.2.3.4 " + b.reason + "\r\n";
    return text;
}

QByteArray Farm::aciBanlist(const QByteArray& info, const QList<Ban>& bans)
{
    QByteArray text = info + "\r\nheader\r\n";
    for (const Ban& b : bans)
        text += "1 2 " + b.guid + ' ' + b.name + " d " + b.reason + " 2026\r\n";
    return text;
}

void Farm::serveAasaBanlist(const QByteArray& content)
{
    m_aasaBanlist = content;
    m_http.serve(QStringLiteral("/banlists/aasaprivbanguid.txt"), content, 0, QByteArrayLiteral("text/plain"));
    m_http.serve(QStringLiteral("/aasaprivbanguid.txt"), content, 0, QByteArrayLiteral("text/plain"));
}

void Farm::serveAciBanlist(const QByteArray& content)
{
    m_aciBanlist = content;
    m_http.serve(QStringLiteral("/banlists/pbbans.txt"), content, 0, QByteArrayLiteral("text/plain"));
}

void Farm::serveAasaBans(const QByteArray& info, const QList<Ban>& bans)
{
    m_aasaGuids.clear();
    for (const Ban& b : bans)
        m_aasaGuids << b.guid;
    serveAasaBanlist(aasaBanlist(info, bans));
}

void Farm::serveAciBans(const QByteArray& info, const QList<Ban>& bans)
{
    m_aciGuids.clear();
    for (const Ban& b : bans)
        m_aciGuids << b.guid;
    serveAciBanlist(aciBanlist(info, bans));
}

void Farm::serveTrollbait(const QList<QByteArray>& guids)
{
    QByteArray page = "<html><head><title>Trollbait</title></head><body><h1>Wanted</h1>\r\n";
    for (const QByteArray& guid : guids)
        page += "<p class='wanted'>" + guid + "</p>\r\n";
    page += "</body></html>\r\n";
    m_http.serve(QStringLiteral("/trollbait"), page);
}

QByteArray Farm::listerOutput() const
{
    QByteArray text = "GSLIST stand-in\nmaster: simulated\ngame: armygame\n\n";
    for (const Server& s : m_servers)
        text += s.address.toLatin1() + " 1716\n";
    return text;
}

QByteArray Farm::statusReply(const QByteArray& hostName, const QByteArray& map, const QList<QByteArray>& players)
{
    // the answer to the request identifier 04 05 06 07
    QByteArray reply("\x00\x04\x05\x06\x07", 5);
    const QList<QByteArray> pairs = {"hostname",   hostName,    "gamename",   "armygame",
                                     "gamever",    "2.8.5",     "mapname",    map,
                                     "gametype",   "Objective", "numplayers", QByteArray::number(players.size()),
                                     "maxplayers", "26"};
    for (const QByteArray& item : pairs)
        reply += item + '\0';
    reply += QByteArray("\0\x01player_\0\0", 11);
    for (const QByteArray& player : players)
        reply += player + '\0';
    reply += '\0';
    return reply;
}

QList<QByteArray> Farm::playersOf(int k) const
{
    QList<QByteArray> players;
    const QList<Shot>& shots = m_servers.at(k).shots;
    for (qsizetype i = shots.size() - 1; i >= 0 && players.size() < 8; --i) {
        if (!players.contains(shots.at(i).playerName))
            players << shots.at(i).playerName;
    }
    return players;
}

QByteArray Farm::statusReply(int k) const
{
    const Server& s = m_servers.at(k);
    return statusReply(s.reportedName.isEmpty() ? s.name.toLatin1() : s.reportedName, s.map.toLatin1(), playersOf(k));
}

Farm::Expectation Farm::expectation(int k, int shotIndex) const
{
    const Server& s = m_servers.at(k);
    const Shot& shot = s.shots.at(shotIndex);
    if (!isCurrent(k, shotIndex))
        return {"overwritten", {}};
    if (m_aasaGuids.contains(shot.guid) || m_aciGuids.contains(shot.guid))
        return {"banned", {}};
    if (shot.plant == Plant::CaptureFailed)
        return {"no-entry", {}};
    if (!shot.drawnName.isEmpty() && shot.drawnName.toLower() != shot.playerName.toLower())
        return {"entry", "NameChanger"};
    if (const ColourPlant* c = colourPlant(shot.plant))
        return {"entry", c->detected};
    if (shot.plant == Plant::NtdRed)
        return {"entry", "NTD Red"};
    const QByteArray map = s.map.toLatin1();
    if (shot.plant == Plant::Fog && std::find(std::begin(FogMaps), std::end(FogMaps), map) != std::end(FogMaps))
        return {"entry", "NoFog " + map};
    return {"entry", {}};
}

QJsonObject Farm::manifest() const
{
    QJsonArray servers;
    for (int k = 0; k < serverCount(); ++k) {
        const Server& s = m_servers.at(k);
        QJsonArray shots;
        for (int i = 0; i < s.shots.size(); ++i) {
            const Shot& shot = s.shots.at(i);
            const Expectation e = expectation(k, i);
            shots.append(QJsonObject{{QStringLiteral("number"), shot.number},
                                     {QStringLiteral("file"), latin1(shot.fileName())},
                                     {QStringLiteral("url"), shotUrl(k, shot)},
                                     {QStringLiteral("guid"), latin1(shot.guid)},
                                     {QStringLiteral("playerName"), latin1(shot.playerName)},
                                     {QStringLiteral("drawnName"), latin1(shot.drawnName)},
                                     {QStringLiteral("time"), latin1(shot.time)},
                                     {QStringLiteral("indexText"), latin1(shot.indexText())},
                                     {QStringLiteral("plant"), latin1(plantName(shot.plant))},
                                     {QStringLiteral("expect"), latin1(e.outcome)},
                                     {QStringLiteral("detected"), latin1(e.detected)}});
        }
        servers.append(QJsonObject{{QStringLiteral("address"), s.address},
                                   {QStringLiteral("name"), s.name},
                                   {QStringLiteral("reportedName"), latin1(s.reportedName)},
                                   {QStringLiteral("map"), s.map},
                                   {QStringLiteral("listed"), s.listed},
                                   {QStringLiteral("pageUrl"), pageUrl(k)},
                                   {QStringLiteral("shots"), shots}});
    }
    const auto guids = [](const QList<QByteArray>& list) {
        QJsonArray a;
        for (const QByteArray& g : list)
            a.append(latin1(g));
        return a;
    };
    QJsonArray uploads;
    for (const HttpServer::Post& post : m_http.posts()) {
        // the screenshot's address is the value of the form's "url" part
        const int at = int(post.body.indexOf("name=\"url\"\r\n\r\n"));
        const QByteArray rest = at < 0 ? QByteArray() : post.body.mid(at + 14);
        uploads.append(QJsonObject{{QStringLiteral("url"), latin1(rest.left(rest.indexOf("\r\n")))},
                                   {QStringLiteral("bytes"), int(post.body.size())}});
    }
    return QJsonObject{{QStringLiteral("http"), m_http.url(QString())},
                       {QStringLiteral("shotCeiling"), m_ceiling},
                       {QStringLiteral("aasaBanned"), guids(m_aasaGuids)},
                       {QStringLiteral("aciBanned"), guids(m_aciGuids)},
                       {QStringLiteral("verificationUrl"), verificationUrl()},
                       {QStringLiteral("uploads"), uploads},
                       {QStringLiteral("servers"), servers}};
}

void Farm::writeWorkspace(const QString& baseFolder, const QMap<base::Setting, QString>& overrides) const
{
    using base::Setting;
    const QByteArray links =
        aasaBanlistUrl().toLatin1() + "\r\n" + m_http.url(QStringLiteral("/aasa/search?guid=")).toLatin1() + "\r\n" +
        m_http.url(QStringLiteral("/aasa/report")).toLatin1() + "\r\n" + trollbaitUrl().toLatin1() + "\r\n" +
        m_http.url(QStringLiteral("/ipranges.dat")).toLatin1() + "\r\n" + aciBanlistUrl().toLatin1() + "\r\n" +
        verificationUrl().toLatin1() + "\r\n";
    writeFile(baseFolder, base::Paths::LinksFile, links);

    base::Settings settings;
    const QMap<Setting, QString> defaults = {
        {Setting::Threads, QStringLiteral("2")},           {Setting::BanlistUpdateMinutes, QStringLiteral("10")},
        {Setting::ScanNoFog, QStringLiteral("1")},         {Setting::ScanColorCodes, QStringLiteral("1")},
        {Setting::ScanNameChanger, QStringLiteral("1")},   {Setting::SkipAasaBanned, QStringLiteral("1")},
        {Setting::SkipAciBanned, QStringLiteral("1")},     {Setting::LoopScan, QStringLiteral("0")},
        {Setting::ServerDiscovery, QStringLiteral("0")},   {Setting::UseGameSpy, QStringLiteral("0")},
        {Setting::EnsureAasaBanlist, QStringLiteral("0")}, {Setting::EnsureAciBanlist, QStringLiteral("0")},
        {Setting::AutoBanlistUpdate, QStringLiteral("0")}, {Setting::DownloadedCount, QStringLiteral("0")},
        {Setting::MaxAgeHours, QStringLiteral("24")},      {Setting::PerServerLimit, QStringLiteral("100")},
        {Setting::SlideshowTenths, QStringLiteral("10")},
    };
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        settings.setValue(it.key(), it.value());
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        settings.setValue(it.key(), it.value());
    QDir().mkpath(baseFolder + QStringLiteral("/data"));
    const QStringList problems = settings.SaveSettings(baseFolder + QLatin1Char('/') + base::Paths::SettingsFile);
    if (!problems.isEmpty())
        qFatal("Farm: %s", qPrintable(problems.join(QLatin1Char(' '))));

    const QString first = m_servers.first().address;
    const QByteArray ranges = "Provider:Farm\r\nProviderpath:" + providerPath().toLatin1() +
                              "\r\nRange:" + first.toLatin1() + '-' + QByteArray::number(serverCount() - 1) + "\r\n";
    writeFile(baseFolder, base::Paths::IpRangesFile, ranges);

    QByteArray servers;
    for (const Server& s : m_servers) {
        if (s.listed)
            servers += s.name.toLatin1() + "\r\n" + s.address.toLatin1() + "\r\n" + s.map.toLatin1() + "\r\n";
    }
    writeFile(baseFolder, base::Paths::ServersFile, servers);
    // the master list's output exists, so start-up does not run the lister
    writeFile(baseFolder, base::Paths::ServerListFile, QByteArray());

    writeFile(baseFolder, base::Paths::AasaBanlistFile, m_aasaBanlist);
    writeFile(baseFolder, base::Paths::AciBanlistFile, m_aciBanlist);
}

} // namespace vh::sim
