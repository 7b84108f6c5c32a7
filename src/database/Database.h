#pragma once

#include "database/ScreenshotEntry.h"

#include <array>
#include <vector>

namespace vh::database {

// The screenshot table: entries 1 to EntryCount, oldest first, without gaps (slot 0 is never used), and one
// intake slot per download worker in which an entry is built while its screenshot is taken in.
class Database final
{
public:
    static constexpr int Capacity = 200000;
    static constexpr int IntakeSlotCount = 121;

    Database() { m_entries.resize(1); }

    int EntryCount() const { return int(m_entries.size()) - 1; }
    bool isFull() const { return EntryCount() >= Capacity; }
    // Entry i, 1 <= i <= EntryCount.
    ScreenshotEntry& entry(int i) { return m_entries.at(std::size_t(i)); }
    const ScreenshotEntry& entry(int i) const { return m_entries.at(std::size_t(i)); }

    // Appends a copy of the entry; false when the table is full.
    bool append(const ScreenshotEntry& e);
    // Removes every entry (the count becomes 0).
    void clear();
    // Keeps the first n entries.
    void truncate(int n);
    // Removes entry i; later entries move down by one.
    void remove(int i);

    ScreenshotEntry& intakeSlot(int slot) { return m_intake.at(std::size_t(slot)); }

    int CurrentEntry = 1;

private:
    std::vector<ScreenshotEntry> m_entries;
    std::array<ScreenshotEntry, IntakeSlotCount> m_intake{};
};

} // namespace vh::database
