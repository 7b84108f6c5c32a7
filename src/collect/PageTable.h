#pragma once

#include "collect/PageEntry.h"

#include <vector>

namespace vh::collect {

// PageEntries with PageEntryCount: the page entries of the server being visited (slots 1 to 30000, slot 0
// stays empty). The inventory and the hunt both fill it.
class PageTable final
{
public:
    static constexpr int Capacity = 30000;

    PageTable() { m_entries.resize(1); }

    int PageEntryCount() const { return int(m_entries.size()) - 1; }
    PageEntry& entry(int k) { return m_entries.at(std::size_t(k)); }
    const PageEntry& entry(int k) const { return m_entries.at(std::size_t(k)); }
    // False when the table is full.
    bool append(const PageEntry& e);
    void clear() { m_entries.resize(1); }

private:
    std::vector<PageEntry> m_entries;
};

} // namespace vh::collect
