#pragma once

#include "collect/PageEntry.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace vh::servers {
class ServerList;
}

namespace vh::hunt {

class PreyMatcher;

// What looking for prey on one fetched index page gave.
struct HuntPageScan
{
    enum class Outcome
    {
        Empty,    // nothing was fetched
        NoPrey,   // no prey anywhere on the page
        NotIndex, // not a screenshot index
        Scanned
    };

    Outcome outcome = Outcome::Empty;
    int examinedLines = 0;                   // the lines of the newest cycle of shot numbers
    std::vector<collect::PageEntry> entries; // one per line holding a prey, oldest first
    std::vector<int> unreadableLines;        // lines holding a prey but no player name in double quotes
};

// Looks for prey on one index page: the lines newer than the latest earlier line with the newest line's
// shot number are examined, and a line holding any prey becomes one page entry.
HuntPageScan ScanHuntPage(const QByteArray& page, const QByteArray& pageUrl, const PreyMatcher& prey);

// One server to visit in a hunt pass.
struct HuntQueueRecord
{
    QString PageURL;
    QString PageFile;
    QString ServerName;
};

// Every named server once (not "unknown" in any letter case, not empty), ordered by the code of the first
// character of its name, servers with the same first character in list order; pages go to tempFolder.
std::vector<HuntQueueRecord> buildHuntQueue(const servers::ServerList& servers, const QString& tempFolder);

// The page file name of a server: its address when it is a plain IPv4 address, otherwise a name made of the
// address's bytes in hexadecimal, so no address can name a file outside the temp folder.
QString huntPageFileName(const QString& ip);

} // namespace vh::hunt
