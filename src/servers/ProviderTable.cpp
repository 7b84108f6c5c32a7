#include "servers/ProviderTable.h"

#include <algorithm>

namespace vh::servers {

void ProviderTable::clear()
{
    m_providers.assign(1, ProviderEntry{});
    m_ranges.assign(1, IpRange{});
}

QString ProviderTable::providerName(int p) const
{
    return p >= 1 && p <= ProviderCount() ? provider(p).Name : QString();
}

bool ProviderTable::addProvider(const QString& name, const QString& path)
{
    if (ProviderCount() >= MaxProviders)
        return false;
    m_providers.push_back(ProviderEntry{name, path});
    return true;
}

bool ProviderTable::addRange(const IpRange& range)
{
    if (IpRangeCount() >= MaxRanges)
        return false;
    m_ranges.push_back(range);
    return true;
}

void ProviderTable::deleteProvider(int p)
{
    if (p < 1 || p > ProviderCount())
        return;
    const QString name = provider(p).Name;
    // new slot of every provider, 0 for the removed ones, so the remaining ranges keep their owners
    std::vector<int> newSlot(m_providers.size(), 0);
    std::vector<ProviderEntry> kept(1);
    for (int i = 1; i <= ProviderCount(); ++i) {
        if (provider(i).Name == name)
            continue;
        kept.push_back(provider(i));
        newSlot[std::size_t(i)] = int(kept.size()) - 1;
    }
    std::vector<IpRange> keptRanges(1);
    for (int r = 1; r <= IpRangeCount(); ++r) {
        IpRange rg = range(r);
        const int owner = rg.ProviderIndex < newSlot.size() ? newSlot[rg.ProviderIndex] : 0;
        if (owner == 0)
            continue;
        rg.ProviderIndex = quint8(owner);
        keptRanges.push_back(rg);
    }
    m_providers = std::move(kept);
    m_ranges = std::move(keptRanges);
}

void ProviderTable::deleteRange(int r)
{
    if (r < 1 || r > IpRangeCount())
        return;
    m_ranges.erase(m_ranges.begin() + r);
}

void ProviderTable::applyRange(int r, quint8 a, quint8 b, quint8 c, quint8 from, quint8 to)
{
    if (r < 1 || r > IpRangeCount())
        return;
    to = std::max(to, from);
    IpRange& rg = range(r);
    rg.A = a;
    rg.B = b;
    rg.C = c;
    rg.First = from;
    rg.Span = quint8(to - from);
}

QList<int> ProviderTable::rangesOf(int p) const
{
    QList<int> result;
    for (int r = 1; r <= IpRangeCount(); ++r) {
        if (range(r).ProviderIndex == p)
            result.append(r);
    }
    return result;
}

QString ProviderTable::rangeText(const IpRange& range)
{
    const QString prefix = QStringLiteral("%1.%2.%3.").arg(range.A).arg(range.B).arg(range.C);
    return prefix + QString::number(range.First) + QStringLiteral(" - ") + prefix +
           QString::number(int(range.First) + int(range.Span));
}

QByteArray ProviderTable::serialize() const
{
    QByteArray out;
    for (int p = 1; p <= ProviderCount(); ++p) {
        out += "Provider:" + provider(p).Name.toLatin1() + "\r\n";
        out += "Providerpath:" + provider(p).Path.toLatin1() + "\r\n";
        for (int r = 1; r <= IpRangeCount(); ++r) {
            const IpRange& rg = range(r);
            // ranges go with every provider of their owner's name, so two providers of one name share them
            if (providerName(rg.ProviderIndex) != provider(p).Name)
                continue;
            out += "Range:" + QByteArray::number(rg.A) + '.' + QByteArray::number(rg.B) + '.' +
                   QByteArray::number(rg.C) + '.' + QByteArray::number(rg.First) + '-' + QByteArray::number(rg.Span) +
                   "\r\n";
        }
    }
    return out;
}

} // namespace vh::servers
