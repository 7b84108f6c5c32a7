#include "database/Database.h"

#include <algorithm>

namespace vh::database {

const std::array<unsigned char, 256> Latin1Lower = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
        t[std::size_t(c)] = static_cast<unsigned char>(upper ? c + 32 : c);
    }
    return t;
}();

namespace {

quint8 fold(const QByteArray& text, char* out, int room)
{
    if (text.size() > room)
        return SearchKey::Long;
    for (qsizetype k = 0; k < text.size(); ++k)
        out[k] = static_cast<char>(Latin1Lower[static_cast<unsigned char>(text[k])]);
    return static_cast<quint8>(text.size());
}

} // namespace

bool Database::append(const ScreenshotEntry& e)
{
    if (isFull())
        return false;
    m_entries.push_back(e);
    m_keys.emplace_back();
    foldKey(EntryCount());
    return true;
}

bool Database::append(ScreenshotEntry&& e)
{
    if (isFull())
        return false;
    m_entries.push_back(std::move(e));
    m_keys.emplace_back();
    foldKey(EntryCount());
    return true;
}

void Database::clear()
{
    touched(1);
    m_entries.resize(1);
    m_keys.resize(1);
}

void Database::truncate(int n)
{
    if (n >= 0 && n < EntryCount()) {
        touched(n + 1);
        m_entries.resize(std::size_t(n) + 1);
        m_keys.resize(std::size_t(n) + 1);
    }
}

void Database::remove(int i)
{
    if (i >= 1 && i <= EntryCount()) {
        touched(i);
        m_entries.erase(m_entries.begin() + i);
        m_keys.erase(m_keys.begin() + i);
    }
}

int Database::compact()
{
    std::size_t kept = 1;
    for (std::size_t i = 1; i < m_entries.size(); ++i) {
        if (m_entries[i].ShotFile == DeletedMarker)
            continue;
        if (kept != i) {
            touched(int(kept));
            m_entries[kept] = std::move(m_entries[i]);
            m_keys[kept] = m_keys[i];
        }
        ++kept;
    }
    const int removed = int(m_entries.size() - kept);
    if (removed > 0)
        touched(int(kept));
    m_entries.erase(m_entries.begin() + std::ptrdiff_t(kept), m_entries.end());
    m_keys.resize(kept);
    return removed;
}

void Database::foldKey(int i) const
{
    const ScreenshotEntry& e = m_entries[std::size_t(i)];
    SearchKey& k = m_keys[std::size_t(i)];
    k.nameLength = fold(e.PlayerName, k.name, SearchKey::NameSize);
    k.guidLength = fold(e.GUID, k.guid, SearchKey::GuidSize);
}

} // namespace vh::database
