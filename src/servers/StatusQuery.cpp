#include "servers/StatusQuery.h"

#include "base/Settings.h"
#include "servers/ProviderTable.h"
#include "servers/ServerList.h"
#include "servers/StatusReply.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace vh::servers {

using base::Setting;

StatusQuery::StatusQuery(ServerList& servers, const ProviderTable& providers, base::Settings& settings, QObject* parent)
    : QObject(parent), m_servers(servers), m_providers(providers), m_settings(settings), m_socket(new QUdpSocket(this))
{
    connect(m_socket, &QUdpSocket::readyRead, this, &StatusQuery::HandleStatusReply);
}

StatusQuery::~StatusQuery() = default;

void StatusQuery::SendStatusQuery()
{
    const int count = m_servers.ServerCount();
    if (count == 0)
        return;
    int cursor = m_settings.number(Setting::DiscoveryCursor, 0);
    if (cursor < 0 || cursor >= count)
        cursor = 0;
    if (m_settings.isOn(Setting::UseGameSpy)) {
        for (int i = cursor; i < count; ++i) {
            if (m_servers.at(i).Valid) {
                cursor = i;
                break;
            }
        }
    }
    ServerEntry& e = m_servers.at(cursor);
    Q_EMIT discoveryTextChanged(QString::number(cursor) + QLatin1Char(' ') + m_providers.providerName(e.Provider) +
                                QLatin1Char(' ') + e.IP);
    m_queryIndex = cursor;
    e.ServerName = UnknownText;
    e.RunningMap = UnknownText;
    m_queryHost = e.IP;

    m_socket->close();
    m_socket->bind(QHostAddress(QHostAddress::AnyIPv4), 0);
    m_socket->writeDatagram(statusQueryPacket(), QHostAddress(m_queryHost), m_port);

    ++cursor;
    if (cursor >= count)
        cursor = 0;
    m_settings.setValue(Setting::DiscoveryCursor, QString::number(cursor));
}

void StatusQuery::HandleStatusReply()
{
    const QHostAddress asked(m_queryHost);
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        // only the server asked last may name its slot: a stray or forged datagram is dropped
        bool sameHost = false;
        if (!asked.isNull() && asked.isEqual(datagram.senderAddress(), QHostAddress::TolerantConversion))
            sameHost = true;
        if (!sameHost)
            continue;
        const auto reply = parseStatusReply(datagram.data());
        if (!reply)
            continue;
        m_socket->close();
        // the list may have been rebuilt since the query went out
        if (m_queryIndex < 0 || m_queryIndex >= m_servers.ServerCount() || m_servers.at(m_queryIndex).IP != m_queryHost)
            return;
        ServerEntry& e = m_servers.at(m_queryIndex);
        e.ServerName = reply->hostName;
        e.RunningMap = reply->map;
        Q_EMIT serverAnswered(m_queryIndex);
        return;
    }
}

} // namespace vh::servers
