#include "collect/PageTable.h"

namespace vh::collect {

bool PageTable::append(const PageEntry& e)
{
    if (PageEntryCount() >= Capacity)
        return false;
    m_entries.push_back(e);
    return true;
}

} // namespace vh::collect
