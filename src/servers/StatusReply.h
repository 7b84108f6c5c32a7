#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vh::servers {

// The name and map a server reported, as they are stored.
struct StatusReply
{
    QString hostName;
    QString map;
};

// The 10-byte GameSpy version-2 status request (request id 04 05 06 07).
QByteArray statusQueryPacket();

// Parses a status reply: the host name between "hostname\" and "\gamename\", the map between "\mapname\"
// and "\gametype\" (zero bytes read as "\", markers in any case). Official servers come back as "Unknown";
// colour codes and surrounding blanks are removed from the name. Nothing when a marker is missing.
std::optional<StatusReply> parseStatusReply(const QByteArray& datagram);

// Names of the publisher's official servers, which are never collected from.
bool isOfficialServerName(const QString& hostName);
// Removes each colour code (escape and the three characters after it) with every copy of it in the name.
QString removeColourCodes(QString name);
// Drops every control character (line breaks included): a name or map from the network is stored as one
// line of data/servers.dat and shown in lists, where a line break would start a record of its own.
QString removeControlCharacters(QString text);

} // namespace vh::servers
