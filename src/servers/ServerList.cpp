#include "servers/ServerList.h"
#include "servers/StatusReply.h"

#include <algorithm>

#include <QSet>

namespace vh::servers {

QList<QByteArrayView> splitTextLines(const QByteArray& content)
{
    QList<QByteArrayView> lines;
    const QByteArrayView all(content);
    qsizetype start = 0;
    const qsizetype n = content.size();
    qsizetype i = 0;
    while (i < n) {
        const char c = content.at(i);
        if (c == '\n' || c == '\r') {
            lines.append(all.sliced(start, i - start));
            if (c == '\r' && i + 1 < n && content.at(i + 1) == '\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n)
        lines.append(all.sliced(start));
    return lines;
}

void ServerList::beginRebuild()
{
    m_count = 0;
    m_index.clear();
    m_index.reserve(qsizetype(m_slots.size()));
}

bool ServerList::appendServer(const QString& ip, qint16 provider, const QString& pageUrl)
{
    if (m_count >= MaxServers)
        return false;
    if (std::size_t(m_count) >= m_slots.size())
        m_slots.resize(std::size_t(m_count) + 1);
    ServerEntry& e = m_slots[std::size_t(m_count)];
    e.IP = ip;
    if (e.ServerName.isEmpty()) {
        e.ServerName = UnknownText;
        e.RunningMap = UnknownText;
    }
    e.Provider = provider;
    e.PageURL = pageUrl;
    e.Valid = false;
    if (!m_index.contains(ip))
        m_index.insert(ip, m_count);
    ++m_count;
    return true;
}

bool isDottedAddress(QByteArrayView text)
{
    const QList<QByteArray> parts = text.toByteArray().split('.');
    if (parts.size() != 4)
        return false;
    for (const QByteArray& part : parts) {
        if (part.isEmpty() || part.size() > 3 ||
            !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }) || part.toInt() > 255)
            return false;
    }
    return true;
}

QStringList ServerList::LoadServers(const QByteArray& content)
{
    const QList<QByteArrayView> lines = splitTextLines(content);
    QStringList maps;
    QSet<QString> seen;
    // a last record cut short is left out; the maps before it still count. A record whose address is not
    // an address is damaged (a name with a line break in it): it is passed over line by line until the
    // records line up again, so it neither adds a server nor shifts every later record
    for (qsizetype i = 0; i + 2 < lines.size(); i += 3) {
        if (!isDottedAddress(lines.at(i + 1))) {
            i -= 2;
            continue;
        }
        const QString address = QString::fromLatin1(lines.at(i + 1));
        const QString map = QString::fromLatin1(lines.at(i + 2));
        const int slot = indexOf(address);
        if (slot >= 0) {
            m_slots[std::size_t(slot)].ServerName = QString::fromLatin1(lines.at(i));
            m_slots[std::size_t(slot)].RunningMap = map;
        }
        if (!map.isEmpty() && !seen.contains(map)) {
            seen.insert(map);
            maps.append(map);
        }
    }
    return maps;
}

QByteArray ServerList::SaveServers() const
{
    QByteArray out;
    for (int i = 0; i < m_count; ++i) {
        const ServerEntry& e = at(i);
        if (e.RunningMap == UnknownText)
            continue;
        // one line per member, whatever a name holds
        out += removeControlCharacters(e.ServerName).toLatin1() + "\r\n" + e.IP.toLatin1() + "\r\n" +
               removeControlCharacters(e.RunningMap).toLatin1() + "\r\n";
    }
    return out;
}

ServerList::GslistResult ServerList::markValid(const QByteArray& gslistOutput)
{
    const QList<QByteArray> parts = gslistOutput.split('\n');
    GslistResult result;
    result.total = int(parts.size()) - 1;
    for (qsizetype i = 4; i + 1 < parts.size(); ++i) {
        QByteArray line = parts.at(i);
        // blanks only: the line's CR stays, as the address never reaches it
        qsizetype b = 0;
        qsizetype e = line.size();
        while (b < e && line.at(b) == ' ')
            ++b;
        while (e > b && line.at(e - 1) == ' ')
            --e;
        line = line.mid(b, e - b);
        const qsizetype blank = line.indexOf(' ');
        if (blank < 0)
            continue;
        const int slot = indexOf(QString::fromLatin1(line.left(blank)));
        if (slot < 0)
            continue;
        m_slots[std::size_t(slot)].Valid = true;
        ++result.valid;
    }
    return result;
}

} // namespace vh::servers
