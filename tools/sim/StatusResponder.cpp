#include "StatusResponder.h"

#include "Farm.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace vh::sim {

StatusResponder::StatusResponder(Farm& farm, QObject* parent) : QObject(parent), m_farm(farm) {}

QStringList StatusResponder::start()
{
    QStringList problems;
    for (int k = 0; k < m_farm.serverCount(); ++k) {
        auto* socket = new QUdpSocket(this);
        const QString address = m_farm.server(k).address;
        if (!socket->bind(QHostAddress(address), Port)) {
            problems << QStringLiteral("cannot answer status queries on %1:%2: %3")
                            .arg(address)
                            .arg(Port)
                            .arg(socket->errorString());
            delete socket;
            continue;
        }
        connect(socket, &QUdpSocket::readyRead, this, [this, k, socket] { readPending(k, socket); });
    }
    return problems;
}

QByteArray StatusResponder::answer(const QByteArray& datagram, const QByteArray& reply)
{
    // FE FD, the request type 00 and a four-byte identifier; the rest asks for server, players and teams
    if (datagram.size() < 7 || !datagram.startsWith(QByteArray("\xFE\xFD\x00", 3)) || reply.size() < 5)
        return {};
    QByteArray answered = reply;
    answered.replace(1, 4, datagram.mid(3, 4));
    return answered;
}

void StatusResponder::readPending(int k, QUdpSocket* socket)
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        const QByteArray reply = answer(datagram.data(), m_farm.statusReply(k));
        if (reply.isEmpty() || !datagram.senderAddress().isLoopback())
            continue;
        socket->writeDatagram(reply, datagram.senderAddress(), quint16(datagram.senderPort()));
        ++m_answered;
    }
}

} // namespace vh::sim
