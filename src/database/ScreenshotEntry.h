#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace vh::database {

// One screenshot taken in: its files, server, player, index-page line, cheating mark, detection and capture
// size. Text members hold the single-byte text as stored (Latin-1 at the window's edge).
struct ScreenshotEntry
{
    QByteArray ShotFile;      // file name PunkBuster states; "Deleted" marks the entry for removal
    QByteArray HeaderInfo;    // first image line after "AAO"
    QByteArray ServerAddress; // without a trailing ":1716"
    QByteArray ServerName;    // "Unknown" when the image shows none
    QByteArray GUID;
    QByteArray PlayerName;
    QByteArray ServerURL;     // folder address of the server's screenshots
    bool Cheating = false;
    QByteArray IndexText;     // the screenshot's line on the index page
    QByteArray AutoDetected;  // what the automatic checks found; empty when nothing
    QByteArray VaultName;     // base name of the PNG in PBSS/vault
    QByteArray ShotTime;      // date and time as listed on the index page
    qint16 CaptureWidth = 0;  // 0 when the capture failed or the line was not read
    qint16 CaptureHeight = 0;

    bool operator==(const ScreenshotEntry&) const = default;
};

} // namespace vh::database
