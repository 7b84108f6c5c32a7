#pragma once

#include <QString>

namespace vh::base::Paths {

// Every file of the program lives at a fixed place under the base folder, spelled in one case.
inline const QString LinksFile = QStringLiteral("data/Links.dat");
inline const QString SettingsFile = QStringLiteral("data/Settings.dat");
inline const QString DatabaseFile = QStringLiteral("data/database.dat");
inline const QString ServersFile = QStringLiteral("data/servers.dat");
inline const QString ServerListFile = QStringLiteral("data/serverlist.txt");
inline const QString IpRangesFile = QStringLiteral("data/ipranges.dat");
inline const QString PreyFile = QStringLiteral("data/Pray.dat");

inline const QString Reports = QStringLiteral("reports");
inline const QString Temp = QStringLiteral("temp");
inline const QString Pbss = QStringLiteral("PBSS");
inline const QString Vault = QStringLiteral("PBSS/vault");
inline const QString Archive = QStringLiteral("PBSS/archive");
inline const QString Failed = QStringLiteral("PBSS/failed");
inline const QString Orphaned = QStringLiteral("PBSS/orphaned");
inline const QString Queue = QStringLiteral("PBSS/que");
inline const QString Banlists = QStringLiteral("banlists");
inline const QString Gslist = QStringLiteral("gslist");

inline const QString AasaBanlistFile = QStringLiteral("banlists/aasaprivbanguid.txt");
inline const QString AciBanlistFile = QStringLiteral("banlists/pbbans.txt");
inline const QString LogFile = QStringLiteral("Varnholt.log");
inline const QString EnemySpottedSound = QStringLiteral("EnemySpotted.wav");

} // namespace vh::base::Paths
