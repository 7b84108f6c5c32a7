#pragma once

#include <QByteArray>
#include <QStringList>

namespace vh::servers {

class ProviderTable;
class ServerList;

// Reads ipranges.dat into the provider and range tables and rebuilds the server list from the ranges. A
// "Range:" line whose numbers do not fit 8 bits or whose span passes 255, a 101st provider, a 201st range or
// a 32768th server ends the loading there; what was read before stays. Returns the problem lines to log.
QStringList LoadIpRanges(const QByteArray& content, ProviderTable& providers, ServerList& servers);

} // namespace vh::servers
