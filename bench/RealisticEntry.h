#pragma once

#include "database/Database.h"

#include <QByteArray>

namespace vh::bench {

// Entry n of a large table that looks like a real one: 5000 players on 40 servers, one detection in 97.
// guidPerPlayer gives each player one GUID (a gallery filtered by GUID finds many shots); otherwise every entry
// has its own. spreadDays spreads the shots over 28 days instead of one moment.
inline database::ScreenshotEntry realisticEntry(int n, bool guidPerPlayer, bool spreadDays)
{
    const QByteArray num = QByteArray::number(n % 1000000).rightJustified(6, '0');
    const QByteArray player = "Player_" + QByteArray::number(n % 5000);
    database::ScreenshotEntry e;
    e.ShotFile = "pb" + num + ".png";
    e.HeaderInfo = " v1.0.0 Pb_Sv 1.825 | A1382 C2.271 | Bridge Crossing";
    e.ServerAddress = "85.214." + QByteArray::number(n % 200) + "." + QByteArray::number(n % 250);
    e.ServerName = "=|ABC|= Official Server #" + QByteArray::number(n % 40);
    e.GUID = QByteArray::number(quint64(guidPerPlayer ? n % 5000 : n) * 2654435761ULL, 16).rightJustified(32, 'a');
    e.PlayerName = player;
    e.ServerURL = "http://" + e.ServerAddress + "/pb/svss";
    e.Cheating = n % 97 == 0;
    e.IndexText = num + " \"" + player + "\" GUID=" + e.GUID + " (W) 2026.12.06 10:00:00";
    e.AutoDetected = n % 97 == 0 ? QByteArray("NameChanger") : QByteArray();
    e.VaultName = "61220261000" + QByteArray::number(n % 100) + e.ShotFile;
    e.ShotTime = spreadDays ? "2026.12." + QByteArray::number(1 + n % 28).rightJustified(2, '0') + " 10:00:00"
                            : QByteArray("2026.12.06 10:00:00");
    e.CaptureWidth = 640;
    e.CaptureHeight = 480;
    return e;
}

} // namespace vh::bench
