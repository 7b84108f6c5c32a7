#include "database/Database.h"

namespace vh::database {

bool Database::append(const ScreenshotEntry& e)
{
    if (isFull())
        return false;
    m_entries.push_back(e);
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

} // namespace vh::database
