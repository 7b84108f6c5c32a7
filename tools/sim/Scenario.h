#pragma once

#include "Farm.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRandomGenerator>
#include <QString>

namespace vh::sim {

// The farm varnholt-sim serves: named servers on the fog maps and others, one with a colour-coded name, one
// official server, one known only to the status query; players who play clean, cheat in every way the checks
// know, change their names, lose their captures or are banned; and the prey list that finds some of them.
// Everything follows from the seed, so two farms with one seed publish the same shots.
class Scenario final
{
public:
    struct Player
    {
        QByteArray name;
        QByteArray guid;
    };

    static constexpr int ServerCount = 8;
    static constexpr int ShotCeiling = 25;

    Scenario(Farm& farm, quint32 seed);

    // Names the servers, serves the banlists and the trollbait page and takes the first shots, every
    // signature among them and one server's numbering already past its ceiling.
    void populate();
    // One new shot on the next server in turn; returns a line that says what was taken.
    QString takeShot(const QDateTime& now);
    // Publishes both banlists with a new info text and one more ban of a player who never plays.
    QString updateBanlists();

    const QList<Player>& players() const { return m_players; }
    // Three GUIDs of players on the servers, one of them a cheater, a name and a GUID that never plays.
    QList<QByteArray> prey() const;

    // The ready workspace: the farm's files with discovery, the lister and the banlist checks on, the prey
    // list, an empty database and the lister stand-in that runs simExecutable.
    void writeWorkspace(const QString& folder, const QString& simExecutable) const;

private:
    Farm::Shot shotOf(const Player& player, Farm::Plant plant, const QDateTime& when) const;

    Farm& m_farm;
    QRandomGenerator m_random;
    QList<Player> m_players;
    int m_nextServer = 0;
    int m_banlistVersion = 1;
    QList<Farm::Ban> m_aasaBans;
    QList<Farm::Ban> m_aciBans;
};

} // namespace vh::sim
