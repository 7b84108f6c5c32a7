#pragma once

#include <QByteArray>

namespace vh::collect {

// One screenshot listed on a server's index page; the page table, the download queue and the hunt share it.
struct PageEntry
{
    QByteArray LocalFile; // where the screenshot is saved: the PBSS folder and FileName
    QByteArray BaseURL;   // the page address without "/pbsvss.htm": the folder of the screenshots
    QByteArray FileName;  // the file stem from the line and ".png"
    QByteArray PlayerName;
    QByteArray GUID;
    QByteArray IndexText; // the line from its shot number on, without "</a>"
    QByteArray ShotTime;

    bool operator==(const PageEntry&) const = default;
};

} // namespace vh::collect
