#pragma once

#include <QObject>
#include <QStringList>

class QUdpSocket;

namespace vh::sim {

class Farm;

// Answers the GameSpy status query on UDP port 1717 of every server's own address, from the farm as it stands.
class StatusResponder final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusResponder)

public:
    static constexpr quint16 Port = 1717;

    explicit StatusResponder(Farm& farm, QObject* parent = nullptr);
    // Binds one socket per server; returns a line for each address that cannot be bound (taken, say).
    QStringList start();
    int answered() const { return m_answered; }

    // The farm's reply to a datagram, or nothing when it is not a status query; the reply carries the request's
    // identifier.
    static QByteArray answer(const QByteArray& datagram, const QByteArray& reply);

private:
    void readPending(int k, QUdpSocket* socket);

    Farm& m_farm;
    int m_answered = 0;
};

} // namespace vh::sim
