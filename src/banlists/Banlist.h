#pragma once

#include "banlists/BanEntry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>

#include <utility>
#include <vector>

namespace vh::banlists {

// One banlist table: entries 1..count (slot 0 unused), the list's info text, and a GUID index that keeps
// the answers of a scan from the first entry (first match) and from the last (last match).
class Banlist final
{
public:
    static constexpr int MaxCount = 32767;
    // Larger files are refused whole rather than read into memory.
    static constexpr qint64 MaxFileBytes = 64LL * 1024 * 1024;

    // Parse the text of aasaprivbanguid.txt / pbbans.txt into this table. Each returns the counts at which a
    // step failed, one per problem line to log. The ACI parser leaves the info text alone when the text has
    // no first line.
    QList<int> parseAasa(const QByteArray& text);
    QList<int> parseAci(const QByteArray& text);
    void clear(bool keepInfo);

    int count() const { return int(m_entries.size()) - 1; }
    const BanEntry& entry(int i) const { return m_entries.at(std::size_t(i)); }
    const QByteArray& info() const { return m_info; }

    // Index 1..count of the first / the last entry whose Guid equals guid exactly, 0 when none does.
    int findFirst(const QByteArray& guid) const;
    int findLast(const QByteArray& guid) const;

private:
    void reset(qsizetype pieces);
    bool roomForRow(QList<int>& problems);
    void buildIndex();

    std::vector<BanEntry> m_entries = std::vector<BanEntry>(1);
    int m_capacity = 0;
    QByteArray m_info;
    QHash<QByteArray, std::pair<int, int>> m_index; // first and last index per GUID
};

} // namespace vh::banlists
