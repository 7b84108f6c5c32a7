#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QUrlQuery;

namespace vh::database {
class Database;
struct ScreenshotEntry;
} // namespace vh::database

namespace vh::gallery {

// Which entries a gallery page or an API call asks for. Text values are single-byte text like the stored
// members; an empty value does not filter.
struct EntryFilter
{
    QByteArray guid;   // the whole GUID, letter case aside
    QByteArray name;   // part of the player name, letter case aside
    QByteArray server; // part of the server name or address, letter case aside
    bool marked = false;
    bool detected = false;
    QByteArray from; // "YYYY.MM.DD", compared with the shot time's date, both ends included
    QByteArray to;
    int page = 1;

    // The filter of a request's query; false with a reason when a value is malformed.
    static bool fromQuery(const QUrlQuery& query, EntryFilter* filter, QString* problem);
    // The query that asks for this filter on another page (empty values left out).
    QString toQueryString(int page) const;
    bool isEmpty() const;
    bool matches(const database::ScreenshotEntry& e) const;
};

// One page of the matching entries, newest first.
struct EntryPage
{
    int total = 0;
    int page = 1;
    int pageCount = 1;
    QList<int> entries; // entry numbers
};

EntryPage findEntries(const database::Database& db, const EntryFilter& filter, int pageSize = 100);

// Case-insensitive comparisons over single-byte text (Latin-1 letters included).
bool equalsIgnoringCase(const QByteArray& a, const QByteArray& b);
bool containsIgnoringCase(const QByteArray& haystack, const QByteArray& needle);

} // namespace vh::gallery
