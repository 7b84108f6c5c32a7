#pragma once

#include "base/Checked.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

class QUrlQuery;

namespace vh::database {
class Database;
}

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

    // The filter of a request's query; the reason when a value is malformed.
    static base::Checked<EntryFilter> fromQuery(const QUrlQuery& query);
    // The query that asks for this filter on another page (empty values left out).
    QString toQueryString(int page) const;
    bool isEmpty() const;
};

// One page of the matching entries, newest first.
struct EntryPage
{
    int total = 0;
    int page = 1;
    int pageCount = 1;
    QList<int> entries; // entry numbers
};

// What the filters look at, for every entry of a database, in one block of memory: a filter over 200000
// entries then reads a few megabytes in order instead of chasing fourteen members per entry.
class EntryIndex final
{
public:
    void build(const database::Database& db);
    int count() const { return int(m_rows.size()); }
    // Entries whose GUID equals guid letter case aside, newest first.
    QList<int> sameGuid(const QByteArray& guid) const;

private:
    friend EntryPage findEntries(const EntryIndex& index, const EntryFilter& filter, int pageSize);
    struct Row
    {
        quint32 text = 0; // where the row's GUID, player name, server name and address begin, all lower case
        quint16 guid = 0, name = 0, server = 0, address = 0; // their lengths
        quint32 day = 0;                                     // the shot date as yyyymmdd, 0 when it is not a date
        bool marked = false;
        bool detected = false;
    };
    std::vector<Row> m_rows; // entry n is row n - 1
    QByteArray m_text;
};

EntryPage findEntries(const EntryIndex& index, const EntryFilter& filter, int pageSize = 100);

// Single-byte text in lower case, Latin-1 letters included.
QByteArray toLowerLatin1(const QByteArray& text);

} // namespace vh::gallery
