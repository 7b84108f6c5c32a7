#pragma once

#include "collect/PageEntry.h"

#include <QByteArray>

#include <vector>

namespace vh::collect {

// The settings that choose which lines of an index page are taken.
struct IndexPageLimits
{
    bool limitPerServer = false;
    int perServerLimit = 0;
    bool limitByAge = false;
    int maxAgeHours = 0;
};

// What parsing one index page gave: which lines were chosen and the page entries made from them, in page
// order. A page entry that could not be made (a line without two double quotes, a page address shorter than
// "/pbsvss.htm") ends the list and marks the visit as abandoned.
struct IndexPageScan
{
    enum class Outcome
    {
        Empty,
        NotIndex,
        Abandoned,
        Parsed
    };

    Outcome outcome = Outcome::Empty;
    int highestIndex = -1; // index of the text after the last CR LF, which is never used
    bool linesChosen = false;
    int firstLine = 0; // S
    int lastLine = -1; // L, the newest screenshot
    std::vector<PageEntry> entries;
};

// A real index page of 30000 lines has a few megabytes; a larger page is not taken for an index, so that a
// server cannot make a visit hold hundreds of megabytes of line tables.
inline constexpr qsizetype MaxIndexPageBytes = 16 * 1024 * 1024;

// Joins "<p>", a line feed and "<p>" into one "<p>", in one pass, ignoring case.
QByteArray normaliseIndexPage(const QByteArray& page);

// Parses a fetched index page; pageUrl is the address it came from. maxEntries bounds the entries made:
// one line more abandons the visit.
IndexPageScan parseIndexPage(const QByteArray& page, const QByteArray& pageUrl, const IndexPageLimits& limits,
                             int maxEntries = 30000);

// Hour boundaries crossed from one shot time ("yyyy-MM-dd hh:mm:ss") to another; false when either is no date.
bool hourBoundariesBetween(const QByteArray& from, const QByteArray& to, qint64* hours);

} // namespace vh::collect
