#pragma once

#include "base/Checked.h"

#include <QByteArray>
#include <QString>

namespace vh::database {

class Database;

// The binary database file: a 32-bit entry count, then every entry's fourteen members, little-endian, each
// string as a 16-bit byte count and its bytes, the cheating flag as 0 or 0xFFFF, the capture size as two
// 16-bit numbers.
class DatabaseFile final
{
public:
    static constexpr int MaxStringLength = 0xFFFF;
    static constexpr int CountBytes = 4; // the entry count that opens the file
    static QByteArray countBytes(int count);

    // Replaces the table's entries with those stored in bytes; the entries refer to bytes, which the table keeps.
    // A damaged file still gives its intact leading entries; its one problem says why, and the value is the
    // first entry that could not be read (0: the count itself). The value means nothing for an intact file.
    static base::Checked<int> parse(const QByteArray& bytes, Database& db);
    // Every entry of the table; strings longer than a 16-bit count can hold are cut to 65535 bytes.
    static QByteArray serialize(const Database& db);
    // Entries first to EntryCount as they follow one another in the file, without the count: a file of entries
    // 1 to first - 1 grows into the whole one by these and the new count.
    static QByteArray entriesFrom(const Database& db, int first);

private:
    static QByteArray serialized(const Database& db, int first, bool withCount);
};

} // namespace vh::database
