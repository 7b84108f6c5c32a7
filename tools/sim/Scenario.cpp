#include "Scenario.h"

#include "base/Paths.h"
#include "base/Settings.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"

#include <QFile>

namespace vh::sim {

namespace {

using Plant = Farm::Plant;

enum Who
{
    Anna,
    Bert,
    Carla,
    Dimitri,
    EagleEye, // paints with every suspicious colour
    FogLover,
    Ghost, // changes his name between the page and the picture
    Hank,
    AimKing,    // on the AASA list
    WallWalker, // on the ACI list
    Sneaky,     // hunted by name
    Ivy,        // her captures fail
    PlayerCount
};

const char* const Names[PlayerCount] = {"Anna",  "Bert", "Carla",   "Dimitri",    "Eagle-Eye", "FogLover",
                                        "Ghost", "Hank", "AimKing", "WallWalker", "Sneaky",    "Ivy"};

struct Planned
{
    Who who;
    Plant plant;
};

// The first shots of each server, oldest first; every signature the checks know is among them.
const QList<QList<Planned>> FirstShots = {
    {{Anna, Plant::None},
     {FogLover, Plant::Fog},
     {Bert, Plant::None},
     {EagleEye, Plant::SuspiciousColour},
     {Hank, Plant::None}},
    {{Carla, Plant::None},
     {FogLover, Plant::Fog},
     {EagleEye, Plant::Colour2},
     {Dimitri, Plant::None},
     {Ghost, Plant::None}},
    {{FogLover, Plant::Fog},
     {EagleEye, Plant::Colour3},
     {Anna, Plant::None},
     {Ivy, Plant::CaptureFailed},
     {AimKing, Plant::None}},
    {{FogLover, Plant::Fog},
     {EagleEye, Plant::Colour5},
     {Bert, Plant::None},
     {WallWalker, Plant::None},
     {Sneaky, Plant::None}},
    {{EagleEye, Plant::Colour6}, {EagleEye, Plant::Colour7}, {Hank, Plant::None}, {FogLover, Plant::Fog}},
    {{EagleEye, Plant::Colour9},
     {EagleEye, Plant::NtdRed},
     {Carla, Plant::None},
     {Sneaky, Plant::None},
     {Ivy, Plant::CaptureFailed}},
    {{Anna, Plant::None}, {Bert, Plant::None}},
    {{Hank, Plant::None}, {EagleEye, Plant::SuspiciousColour}, {Dimitri, Plant::None}},
};

struct ServerPlan
{
    const char* name;
    const char* map;
    QByteArray reportedName;
    bool listed;
};

const ServerPlan Servers[Scenario::ServerCount] = {
    {"[AASA] Bridge Brawlers", "Bridge Crossing", {}, true},
    {"ACI Night Ops", "Mountain Pass", {}, true},
    {"Greenhorn Hangout", "Bridge SE", {}, true},
    {"Old Guard", "Mountain Pass SE", {}, true},
    {"Weapons Cache 24/7", "Weapons Cache", {}, true},
    // the status query sends the name with colour codes, which the program strips
    {"Red Devils", "Pipeline",
     QByteArray("\x1b"
                "900Red \x1b"
                "090Devils"),
     true},
    {"U.S. Army Official E 3", "SF Village", {}, false},
    // not in servers.dat: only the status query names it
    {"Fresh Recruits", "Bridge Crossing", {}, false},
};

// Server 1 has taken more shots than its ceiling, so its page starts again at number 1.
constexpr int WrappedServer = 1;

const QByteArray GhostsPictureName = "Gh0st";

QByteArray latin1(const QString& text)
{
    return text.toLatin1();
}

} // namespace

Scenario::Scenario(Farm& farm, quint32 seed) : m_farm(farm), m_random(seed)
{
    for (int i = 0; i < PlayerCount; ++i) {
        QByteArray guid;
        while (guid.size() < 32)
            guid += QByteArray::number(m_random.generate64(), 16);
        m_players.append({Names[i], guid.left(32)});
    }
}

Farm::Shot Scenario::shotOf(const Player& player, Plant plant, const QDateTime& when) const
{
    Farm::Shot shot;
    shot.guid = player.guid;
    shot.playerName = player.name;
    shot.plant = plant;
    shot.time = latin1(when.toString(QStringLiteral("yyyy.MM.dd hh:mm:ss")));
    if (player.name == Names[Ghost])
        shot.drawnName = GhostsPictureName;
    return shot;
}

void Scenario::populate()
{
    Q_ASSERT(m_farm.serverCount() == ServerCount);
    m_farm.setShotCeiling(ShotCeiling);
    const QDateTime now = QDateTime::currentDateTime();
    for (int k = 0; k < ServerCount; ++k) {
        Farm::Server& s = m_farm.server(k);
        s.name = QString::fromLatin1(Servers[k].name);
        s.map = QString::fromLatin1(Servers[k].map);
        s.reportedName = Servers[k].reportedName;
        s.listed = Servers[k].listed;
        QList<Planned> plan = FirstShots.at(k);
        if (k == WrappedServer) {
            while (plan.size() < ShotCeiling + 2)
                plan.insert(plan.size() - 2, {Who(plan.size() % 4), Plant::None});
        }
        for (int i = 0; i < plan.size(); ++i) {
            // a line is known by its text: no two servers list one player at one second
            const QDateTime when = now.addSecs(-60 * (plan.size() - i) - 7 * k);
            m_farm.addShot(k, shotOf(m_players.at(plan.at(i).who), plan.at(i).plant, when));
        }
    }
    m_aasaBans = {{Farm::NobodysGuid, "Nobody", "Aimbot"}, {m_players.at(AimKing).guid, "AimKing", "Aimbot"}};
    m_aciBans = {{Farm::NobodysGuid, "Nobody", "Wallhack"}, {m_players.at(WallWalker).guid, "WallWalker", "pbss"}};
    m_farm.serveAasaBans("AASA Farm list 1", m_aasaBans);
    m_farm.serveAciBans("[ACI] Farm list 1", m_aciBans);
    m_farm.serveTrollbait({m_players.at(EagleEye).guid, m_players.at(AimKing).guid, m_players.at(Ghost).guid});
    m_farm.publish();
}

QString Scenario::takeShot(const QDateTime& now)
{
    static const Plant Cheats[] = {Plant::Fog,     Plant::SuspiciousColour, Plant::Colour2, Plant::Colour3,
                                   Plant::Colour5, Plant::Colour6,          Plant::Colour7, Plant::Colour9,
                                   Plant::NtdRed,  Plant::CaptureFailed};
    const int k = m_nextServer;
    m_nextServer = (m_nextServer + 1) % ServerCount;
    const Player& player = m_players.at(int(m_random.bounded(PlayerCount)));
    // most shots are clean; the cheaters cheat now and then
    Plant plant = Plant::None;
    if (player.name == Names[EagleEye] || player.name == Names[FogLover] || m_random.bounded(4) == 0)
        plant = Cheats[m_random.bounded(int(std::size(Cheats)))];
    const Farm::Shot& shot = m_farm.addShot(k, shotOf(player, plant, now));
    m_farm.publish();
    return QStringLiteral("%1 took %2 of %3 (%4)")
        .arg(m_farm.server(k).name, QString::fromLatin1(shot.fileName()), QString::fromLatin1(player.name),
             QString::fromLatin1(Farm::plantName(plant)));
}

QString Scenario::updateBanlists()
{
    ++m_banlistVersion;
    const QByteArray n = QByteArray::number(m_banlistVersion);
    QByteArray ghost;
    while (ghost.size() < 32)
        ghost += QByteArray::number(m_random.generate64(), 16);
    m_aasaBans.append({ghost.left(32), "Gone" + n, "Aimbot"});
    m_aciBans.append({ghost.left(32), "Gone" + n, "pbss"});
    m_farm.serveAasaBans("AASA Farm list " + n, m_aasaBans);
    m_farm.serveAciBans("[ACI] Farm list " + n, m_aciBans);
    return QStringLiteral("banlists now at version %1 (%2 AASA bans, %3 ACI bans)")
        .arg(m_banlistVersion)
        .arg(m_aasaBans.size())
        .arg(m_aciBans.size());
}

QList<QByteArray> Scenario::prey() const
{
    return {m_players.at(Hank).guid, m_players.at(EagleEye).guid, m_players.at(FogLover).guid, Names[Sneaky],
            QByteArrayLiteral("0badc0de0badc0de0badc0de0badc0de")};
}

void Scenario::writeWorkspace(const QString& folder, const QString& simExecutable) const
{
    using base::Setting;
    const QString on = QStringLiteral("1");
    m_farm.writeWorkspace(folder, {{Setting::ServerDiscovery, on},
                                   {Setting::UseGameSpy, on},
                                   {Setting::EnsureAasaBanlist, on},
                                   {Setting::EnsureAciBanlist, on},
                                   {Setting::AutoBanlistUpdate, on},
                                   {Setting::Threads, QStringLiteral("4")}});
    const QList<QByteArray> hunted = prey();
    QByteArray pray = ' ' + QByteArray::number(hunted.size()) + "\r\n";
    for (const QByteArray& p : hunted)
        pray += p + "\r\n";
    Farm::writeFile(folder, base::Paths::PreyFile, pray);
    Farm::writeFile(folder, base::Paths::DatabaseFile, database::DatabaseFile::serialize(database::Database()));

    // the lister the program runs: this executable, asking the farm for its list
    const auto quoted = [](const QString& text) {
        return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
               QLatin1Char('\'');
    };
    const QString script = QStringLiteral("#!/bin/sh\n# stands in for the GameSpy lister while varnholt-sim runs\n"
                                          "exec %1 --lister %2 \"$@\"\n")
                               .arg(quoted(simExecutable), quoted(m_farm.listerUrl()));
    const QString lister = base::Paths::Gslist + QStringLiteral("/gslist");
    Farm::writeFile(folder, lister, script.toLocal8Bit());
    QFile::setPermissions(folder + QLatin1Char('/') + lister, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                                  QFile::ReadGroup | QFile::ExeGroup |
                                                                  QFile::ReadOther | QFile::ExeOther);
}

} // namespace vh::sim
