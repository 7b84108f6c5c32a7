#include "util/GameServerFarm.h"

#include "ScreenshotMaker.h"
#include "app/AppCore.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "platform/AtomicFile.h"

#include <QDir>

namespace vh::test {

namespace {

void writeFile(const QString& baseFolder, const QString& relative, const QByteArray& content)
{
    const QString path = baseFolder + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString error;
    if (!platform::writeFileAtomically(path, content, &error))
        qFatal("GameServerFarm: cannot write %s: %s", qPrintable(path), qPrintable(error));
}

} // namespace

QByteArray GameServerFarm::Shot::fileName() const
{
    return "pb" + QByteArray::number(number).rightJustified(6, '0') + ".png";
}

QByteArray GameServerFarm::Shot::indexText() const
{
    return QByteArray::number(number).rightJustified(6, '0') + " \"" + playerName + "\" (W) GUID=" + guid + "(-) [" +
           time + ']';
}

QByteArray GameServerFarm::Shot::indexLine() const
{
    // the shot number starts at character 40 and is closed by "</a>", which the reader removes
    const QByteArray num = QByteArray::number(number).rightJustified(6, '0');
    return "<p> <a href=pb" + num + ".htm target=_blank>" + num + "</a>" + indexText().mid(6);
}

GameServerFarm::GameServerFarm(int servers)
{
    Q_ASSERT(servers >= 1 && servers <= 250);
    static const char* const maps[] = {"Bridge Crossing", "Mountain Pass", "Weapons Cache"};
    for (int k = 0; k < servers; ++k) {
        Server s;
        s.address = QStringLiteral("127.0.0.%1").arg(k + 2);
        s.name = QStringLiteral("Farm Server %1").arg(k + 1);
        s.map = QString::fromLatin1(maps[k % 3]);
        m_servers.append(s);
    }
    serveAasaBanlist(aasaBanlist("AASA Farm list 1", {{NobodysGuid, "Nobody", "Aimbot"}}));
    serveAciBanlist(aciBanlist("[ACI] Farm list 1", {{NobodysGuid, "Nobody", "Wallhack"}}));
    publish();
}

void GameServerFarm::setServerName(int k, const QString& name, const QString& map)
{
    m_servers[k].name = name;
    m_servers[k].map = map;
}

const GameServerFarm::Shot& GameServerFarm::addShot(int k, const QByteArray& guid, Plant plant,
                                                    const QByteArray& playerName, const QByteArray& time)
{
    Shot shot;
    shot.number = int(m_servers.at(k).shots.size()) + 1;
    shot.guid = guid;
    shot.playerName = playerName;
    shot.time = time;
    shot.plant = plant;
    m_servers[k].shots.append(shot);
    return m_servers[k].shots.last();
}

void GameServerFarm::publish()
{
    for (int k = 0; k < serverCount(); ++k) {
        m_http.serve(QLatin1Char('/') + m_servers.at(k).address + QStringLiteral("/pbsvss.htm"), indexPage(k));
        for (const Shot& shot : m_servers.at(k).shots)
            m_http.serve(shotPath(k, shot), png(k, shot), 0, QByteArrayLiteral("image/png"));
    }
}

QByteArray GameServerFarm::indexPage(int k) const
{
    QByteArray page;
    for (const Shot& shot : m_servers.at(k).shots)
        page += shot.indexLine() + "\r\n";
    return page;
}

QByteArray GameServerFarm::png(int k, const Shot& shot) const
{
    const Server& s = m_servers.at(k);
    shotmaker::ShotInfo info;
    info.map = s.map.toLatin1();
    info.shotFile = shot.fileName();
    info.serverAddress = s.address.toLatin1() + ":1716";
    info.serverName = s.name.toLatin1();
    info.guid = shot.guid;
    info.playerName = shot.playerName;
    shotmaker::ScreenshotMaker maker;
    maker.setText(info);
    switch (shot.plant) {
    case Plant::None:
        break;
    case Plant::Fog:
        maker.plantFog(maker.insideCapture(3));
        break;
    case Plant::SuspiciousColour:
        maker.plantRun(maker.insideCapture(40), qRgb(239, 0, 0), 1);
        break;
    }
    return maker.png();
}

QString GameServerFarm::pageUrl(int k) const
{
    return m_http.url(QLatin1Char('/') + m_servers.at(k).address + QStringLiteral("/pbsvss.htm"));
}

QString GameServerFarm::shotPath(int k, const Shot& shot) const
{
    return QLatin1Char('/') + m_servers.at(k).address + QLatin1Char('/') + QString::fromLatin1(shot.fileName());
}

QString GameServerFarm::providerPath() const
{
    return m_http.url(QStringLiteral("/%ip%/pbsvss.htm"));
}

QByteArray GameServerFarm::aasaBanlist(const QByteArray& info, const QList<Ban>& bans)
{
    QByteArray text = info + "\r\n";
    for (const Ban& b : bans)
        text += "[d] " + b.guid + ' ' + b.name + " 1.2.3.4 " + b.reason + "\r\n";
    return text;
}

QByteArray GameServerFarm::aciBanlist(const QByteArray& info, const QList<Ban>& bans)
{
    QByteArray text = info + "\r\nheader\r\n";
    for (const Ban& b : bans)
        text += "1 2 " + b.guid + ' ' + b.name + " d " + b.reason + " 2026\r\n";
    return text;
}

void GameServerFarm::serveAasaBanlist(const QByteArray& content)
{
    m_aasaBanlist = content;
    m_http.serve(QStringLiteral("/banlists/aasaprivbanguid.txt"), content, 0, QByteArrayLiteral("text/plain"));
    m_http.serve(QStringLiteral("/aasaprivbanguid.txt"), content, 0, QByteArrayLiteral("text/plain"));
}

void GameServerFarm::serveAciBanlist(const QByteArray& content)
{
    m_aciBanlist = content;
    m_http.serve(QStringLiteral("/banlists/pbbans.txt"), content, 0, QByteArrayLiteral("text/plain"));
}

void GameServerFarm::writeWorkspace(const QString& baseFolder, const QMap<base::Setting, QString>& overrides) const
{
    using base::Setting;
    const QByteArray links = aasaBanlistUrl().toLatin1() + "\r\n" + m_http.url(QStringLiteral("/search")).toLatin1() +
                             "\r\n" + m_http.url(QStringLiteral("/report")).toLatin1() + "\r\n" +
                             m_http.url(QStringLiteral("/trollbait")).toLatin1() + "\r\n" +
                             m_http.url(QStringLiteral("/ipranges.dat")).toLatin1() + "\r\n" +
                             aciBanlistUrl().toLatin1() + "\r\n";
    writeFile(baseFolder, base::Paths::LinksFile, links);

    base::Settings settings;
    const QMap<Setting, QString> defaults = {
        {Setting::Threads, QStringLiteral("2")},          {Setting::BanlistUpdateMinutes, QStringLiteral("10")},
        {Setting::ScanNoFog, QStringLiteral("1")},        {Setting::ScanColorCodes, QStringLiteral("1")},
        {Setting::SkipAasaBanned, QStringLiteral("1")},   {Setting::SkipAciBanned, QStringLiteral("1")},
        {Setting::LoopScan, QStringLiteral("0")},         {Setting::ServerDiscovery, QStringLiteral("0")},
        {Setting::UseGameSpy, QStringLiteral("0")},       {Setting::EnsureAasaBanlist, QStringLiteral("0")},
        {Setting::EnsureAciBanlist, QStringLiteral("0")}, {Setting::AutoBanlistUpdate, QStringLiteral("0")},
        {Setting::DownloadedCount, QStringLiteral("0")},  {Setting::MaxAgeHours, QStringLiteral("24")},
        {Setting::PerServerLimit, QStringLiteral("100")}, {Setting::SlideshowTenths, QStringLiteral("10")},
    };
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        settings.setValue(it.key(), it.value());
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        settings.setValue(it.key(), it.value());
    QDir().mkpath(baseFolder + QStringLiteral("/data"));
    const QStringList problems = settings.SaveSettings(baseFolder + QLatin1Char('/') + base::Paths::SettingsFile);
    if (!problems.isEmpty())
        qFatal("GameServerFarm: %s", qPrintable(problems.join(QLatin1Char(' '))));

    const QByteArray ranges = "Provider:Farm\r\nProviderpath:" + providerPath().toLatin1() + "\r\nRange:127.0.0.2-" +
                              QByteArray::number(serverCount() - 1) + "\r\n";
    writeFile(baseFolder, base::Paths::IpRangesFile, ranges);

    QByteArray servers;
    for (const Server& s : m_servers)
        servers += s.name.toLatin1() + "\r\n" + s.address.toLatin1() + "\r\n" + s.map.toLatin1() + "\r\n";
    writeFile(baseFolder, base::Paths::ServersFile, servers);
    // the master list's output exists, so start-up does not run the lister
    writeFile(baseFolder, base::Paths::ServerListFile, QByteArray());

    writeFile(baseFolder, base::Paths::AasaBanlistFile, m_aasaBanlist);
    writeFile(baseFolder, base::Paths::AciBanlistFile, m_aciBanlist);
}

void GameServerFarm::selectAllServers(app::AppCore& core)
{
    core.serverDiscovery().setAllMapsSelected(true);
    core.serverDiscovery().FillServerSelection();
}

} // namespace vh::test
