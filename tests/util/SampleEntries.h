#pragma once

#include "database/ScreenshotEntry.h"

namespace vh::test {

// A screenshot entry with every member filled and distinct per number, as an intake would leave it.
inline database::ScreenshotEntry sampleEntry(int n)
{
    const QByteArray num = QByteArray::number(n).rightJustified(6, '0');
    database::ScreenshotEntry e;
    e.ShotFile = "pb" + num + ".png";
    e.HeaderInfo = " v1.0 Bridge " + num;
    e.ServerAddress = "10.0.0." + QByteArray::number(n % 250);
    e.ServerName = "Server \xe9 " + num;
    e.GUID = QByteArray(32, char('a' + n % 26));
    e.PlayerName = "Player" + num;
    e.ServerURL = "http://127.0.0.1/pb/svss";
    e.IndexText = num + " \"Player" + num + "\" GUID=" + e.GUID + " 2026.12.06 10:00:00";
    e.VaultName = "20261206100000" + e.ShotFile;
    e.ShotTime = "2026.12.06 10:00:00";
    e.CaptureWidth = 640;
    e.CaptureHeight = 480;
    return e;
}

} // namespace vh::test
