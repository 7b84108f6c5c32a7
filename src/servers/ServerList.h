#pragma once

#include "servers/ServerEntry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QStringList>

#include <vector>

namespace vh::servers {

// The servers table: slots 0 to ServerCount - 1 without gaps. Slots past the count keep what they held, so
// a rebuild from the ranges finds the old names in the slots it overwrites.
class ServerList final
{
public:
    static constexpr int MaxServers = 32767; // the count is a 16-bit number

    struct GslistResult
    {
        int valid = 0; // lines that matched a server, a server listed twice counted twice
        int total = 0; // line feeds in the file
    };

    int ServerCount() const { return m_count; }
    ServerEntry& at(int i) { return m_slots.at(std::size_t(i)); }
    const ServerEntry& at(int i) const { return m_slots.at(std::size_t(i)); }

    // Starts a rebuild: the count goes to 0, the slots keep their names and maps.
    void beginRebuild();
    // Writes the next slot; false when the list is full. A slot whose name is empty gets "Unknown" as name
    // and map, one that held a server keeps them.
    bool appendServer(const QString& ip, qint16 provider, const QString& pageUrl);

    // The first slot whose IP equals ip exactly, or -1.
    int indexOf(const QString& ip) const { return m_index.value(ip, -1); }

    // Applies servers.dat (name, address, map per server) and returns the distinct non-empty map names in
    // order of first appearance, also those of addresses not in the list.
    QStringList LoadServers(const QByteArray& content);
    // servers.dat for every server whose map is known.
    QByteArray SaveServers() const;
    // Marks the servers that the lister output names as valid; the four header lines are skipped.
    GslistResult markValid(const QByteArray& gslistOutput);

private:
    std::vector<ServerEntry> m_slots;
    int m_count = 0;
    QHash<QString, int> m_index; // address -> first slot holding it
};

// Splits text at CR LF, LF or a lone CR; a last line without its end still counts. The views point into
// content.
QList<QByteArrayView> splitTextLines(const QByteArray& content);
// Four decimal numbers of 0 to 255 joined by points, as every server address of the list is written.
bool isDottedAddress(QByteArrayView text);

} // namespace vh::servers
