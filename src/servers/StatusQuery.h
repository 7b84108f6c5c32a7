#pragma once

#include <QObject>
#include <QString>

class QUdpSocket;

namespace vh::base {
class Settings;
}

namespace vh::servers {

class ProviderTable;
class ServerList;

// The GameSpy status query: one server per tick, walking the list from the position kept in the settings,
// and the reply that names the server and its map.
class StatusQuery final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusQuery)

public:
    static constexpr quint16 DefaultPort = 1717;

    StatusQuery(ServerList& servers, const ProviderTable& providers, base::Settings& settings,
                QObject* parent = nullptr);
    ~StatusQuery() override;

    // Every server answers on the same port; tests point the query at their own responder.
    void setPort(quint16 port) { m_port = port; }

    // Sends the query to the server at the position and moves the position on.
    void SendStatusQuery();

    int QueryIndex() const { return m_queryIndex; }
    const QString& queryHost() const { return m_queryHost; }

Q_SIGNALS:
    // The discovery label: position, provider name and address of the server being asked.
    void discoveryTextChanged(const QString& text);
    // A reply named server `index`.
    void serverAnswered(int index);

private:
    void HandleStatusReply();

    ServerList& m_servers;
    const ProviderTable& m_providers;
    base::Settings& m_settings;
    QUdpSocket* m_socket = nullptr;
    quint16 m_port = DefaultPort;
    int m_queryIndex = -1;
    QString m_queryHost;
};

} // namespace vh::servers
