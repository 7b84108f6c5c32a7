#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace vh::servers {

class ServerList;

// One line of the server selection list: the name shown and the server it stands for.
struct SelectionItem
{
    QString name;
    int server = 0;
};

// What the three filter lists of the main window hold and which of their items are chosen.
struct ServerFilterState
{
    QStringList maps;                   // the map filter list, in order
    std::vector<bool> mapSelected;      // one flag per map item
    std::vector<bool> providerSelected; // item k stands for provider k + 1
    QString nameFilter;                 // text of the name filter's current item ("All", "AASA", "ACI")
};

// The items of the server selection list: every server of known map whose provider is chosen and whose name
// passes the name filter, once per chosen map item that equals its map, in server order.
std::vector<SelectionItem> FillServerSelection(const ServerList& servers, const ServerFilterState& filters);

// The count label beside the list: "<n> servers".
QString selectionCountText(int count);

} // namespace vh::servers
