#pragma once

#include "servers/IpRange.h"
#include "servers/ProviderEntry.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

namespace vh::servers {

// The providers (slots 1 to 100) and their IP ranges (slots 1 to 200); slot 0 of both stays empty.
class ProviderTable final
{
public:
    static constexpr int MaxProviders = 100;
    static constexpr int MaxRanges = 200;
    static inline const QString DefaultPath = QStringLiteral("http://%ip%/%ip%/pbsvss.htm");

    ProviderTable() { clear(); }

    int ProviderCount() const { return int(m_providers.size()) - 1; }
    int IpRangeCount() const { return int(m_ranges.size()) - 1; }
    ProviderEntry& provider(int p) { return m_providers.at(std::size_t(p)); }
    const ProviderEntry& provider(int p) const { return m_providers.at(std::size_t(p)); }
    IpRange& range(int r) { return m_ranges.at(std::size_t(r)); }
    const IpRange& range(int r) const { return m_ranges.at(std::size_t(r)); }
    // The provider's name, or an empty text for a slot that holds none.
    QString providerName(int p) const;

    void clear();
    // Each returns false when its table is full.
    bool addProvider(const QString& name, const QString& path);
    bool addRange(const IpRange& range);

    // Removes every provider named like provider p together with all of their ranges; later ranges keep
    // their owners.
    void deleteProvider(int p);
    void deleteRange(int r);
    // Stores the range A.B.C.from to A.B.C.to; a "to" below "from" is taken as "from".
    void applyRange(int r, quint8 a, quint8 b, quint8 c, quint8 from, quint8 to);
    // The ranges owned by provider p, in table order.
    QList<int> rangesOf(int p) const;

    // "A.B.C.First - A.B.C.(First + Span)", as the range list shows it.
    static QString rangeText(const IpRange& range);
    // The file written by SaveIpRanges: each provider, its path and every range of a provider of its name.
    QByteArray serialize() const;

private:
    std::vector<ProviderEntry> m_providers;
    std::vector<IpRange> m_ranges;
};

} // namespace vh::servers
