#pragma once

#include "database/ScreenshotEntry.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vh::database {

// Latin-1 lower case of a byte, one byte per character like the stored text.
extern const std::array<unsigned char, 256> Latin1Lower;

// An entry's GUID and player name in Latin-1 lower case, kept beside the entries so that a player search reads
// one contiguous array instead of two heap blocks per entry. A text longer than its field is marked Long and
// the search reads it from the entry.
struct SearchKey
{
    static constexpr int GuidSize = 32;
    static constexpr int NameSize = 30;
    static constexpr quint8 Long = 0xFF;
    static constexpr quint8 Stale = 0xFE; // in guidLength: fold the entry again before use

    quint8 guidLength = Stale;
    quint8 nameLength = 0;
    char guid[GuidSize];
    char name[NameSize];
};

// The screenshot table: entries 1 to EntryCount, oldest first, without gaps (slot 0 is never used), and one
// intake slot per download worker in which an entry is built while its screenshot is taken in.
// Entries read from the database file refer to the file's bytes, which the table keeps for its whole life;
// such members are not NUL-terminated, so never hand their constData() to C string functions.
class Database final
{
public:
    static constexpr int Capacity = 200000;
    static constexpr int IntakeSlotCount = 121;
    // the ShotFile that marks an entry for removal by compact()
    static constexpr const char* DeletedMarker = "Deleted";

    Database()
    {
        m_entries.resize(1);
        m_keys.resize(1);
    }

    int EntryCount() const { return int(m_entries.size()) - 1; }
    bool isFull() const { return EntryCount() >= Capacity; }
    // Entry i, 1 <= i <= EntryCount. Handing an entry out for writing marks its search key stale, and the
    // entry as changed.
    ScreenshotEntry& entry(int i)
    {
        ScreenshotEntry& e = m_entries.at(std::size_t(i));
        m_keys[std::size_t(i)].guidLength = SearchKey::Stale;
        touched(i);
        return e;
    }
    const ScreenshotEntry& entry(int i) const { return m_entries.at(std::size_t(i)); }
    // The search key of entry i, folded again first when stale. Not for concurrent use: it may write the key.
    const SearchKey& searchKey(int i) const
    {
        SearchKey& k = m_keys[std::size_t(i)];
        if (k.guidLength == SearchKey::Stale)
            foldKey(i);
        return k;
    }

    // Appends the entry; false when the table is full.
    bool append(const ScreenshotEntry& e);
    bool append(ScreenshotEntry&& e);
    // Removes every entry (the count becomes 0).
    void clear();
    // Keeps the first n entries.
    void truncate(int n);
    // Removes entry i; later entries move down by one.
    void remove(int i);
    // Drops every entry whose ShotFile is "Deleted"; the kept entries keep their order. Returns how many went.
    int compact();
    void reserve(int n)
    {
        m_entries.reserve(std::size_t(n) + 1);
        m_keys.reserve(std::size_t(n) + 1);
    }

    // The first entry handed out for writing, removed or moved since markUnchanged(), or Unchanged. Appending
    // changes no entry before it; what is appended where entries were removed is counted by the removal.
    static constexpr int Unchanged = Capacity + 1;
    int firstChangedEntry() const { return m_firstChanged; }
    void markUnchanged() { m_firstChanged = Unchanged; }

    // Keeps bytes alive that entries refer to without owning them (the loaded database file).
    void adoptStorage(const QByteArray& bytes) { m_storage.push_back(bytes); }

    ScreenshotEntry& intakeSlot(int slot) { return m_intake.at(std::size_t(slot)); }
    const ScreenshotEntry& intakeSlot(int slot) const { return m_intake.at(std::size_t(slot)); }

    int CurrentEntry = 1;

private:
    void foldKey(int i) const;
    void touched(int i) { m_firstChanged = std::min(m_firstChanged, i); }

    // declared first so it outlives every entry that refers to it
    std::vector<QByteArray> m_storage;
    std::vector<ScreenshotEntry> m_entries;
    // parallel to m_entries; folded on append (while the text is in the cache) and again by searchKey() after
    // an entry was handed out for writing
    mutable std::vector<SearchKey> m_keys;
    std::array<ScreenshotEntry, IntakeSlotCount> m_intake{};
    int m_firstChanged = 1;
};

} // namespace vh::database
