#include "database/Database.h"

#include <algorithm>

namespace vh::database {

bool Database::append(const ScreenshotEntry& e)
{
    if (isFull())
        return false;
    m_entries.push_back(e);
    return true;
}

bool Database::append(ScreenshotEntry&& e)
{
    if (isFull())
        return false;
    m_entries.push_back(std::move(e));
    return true;
}

void Database::clear()
{
    m_entries.resize(1);
}

void Database::truncate(int n)
{
    if (n >= 0 && n < EntryCount())
        m_entries.resize(std::size_t(n) + 1);
}

void Database::remove(int i)
{
    if (i >= 1 && i <= EntryCount())
        m_entries.erase(m_entries.begin() + i);
}

int Database::compact()
{
    const auto kept = std::remove_if(m_entries.begin() + 1, m_entries.end(),
                                     [](const ScreenshotEntry& e) { return e.ShotFile == DeletedMarker; });
    const int removed = int(m_entries.end() - kept);
    m_entries.erase(kept, m_entries.end());
    return removed;
}

} // namespace vh::database
