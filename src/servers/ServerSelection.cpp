#include "servers/ServerSelection.h"

#include "servers/ServerList.h"

#include <QHash>

namespace vh::servers {

std::vector<SelectionItem> FillServerSelection(const ServerList& servers, const ServerFilterState& filters)
{
    // map -> number of chosen items of that text; a map listed twice and chosen twice adds its servers twice
    QHash<QString, int> chosenMaps;
    for (qsizetype m = 0; m < filters.maps.size(); ++m) {
        if (std::size_t(m) < filters.mapSelected.size() && filters.mapSelected[std::size_t(m)])
            ++chosenMaps[filters.maps.at(m)];
    }
    const QString nameFilter = filters.nameFilter.toLower();
    QString needle;
    if (nameFilter == QLatin1String("aasa") || nameFilter == QLatin1String("aci"))
        needle = nameFilter;

    std::vector<SelectionItem> items;
    if (chosenMaps.isEmpty())
        return items;
    for (int i = 0; i < servers.ServerCount(); ++i) {
        const ServerEntry& e = servers.at(i);
        if (e.RunningMap == UnknownText)
            continue;
        const int providerItem = int(e.Provider) - 1;
        if (providerItem < 0 || std::size_t(providerItem) >= filters.providerSelected.size() ||
            !filters.providerSelected[std::size_t(providerItem)])
            continue;
        if (!needle.isEmpty() && !e.ServerName.contains(needle, Qt::CaseInsensitive))
            continue;
        const int times = chosenMaps.value(e.RunningMap);
        for (int t = 0; t < times; ++t)
            items.push_back(SelectionItem{e.ServerName, i});
    }
    return items;
}

QString selectionCountText(int count)
{
    return QString::number(count) + QStringLiteral(" servers");
}

} // namespace vh::servers
