#pragma once

#include <QByteArrayList>
#include <QTcpServer>

namespace vh::test {

// Keeps every HTTP request to 127.0.0.1 whole (request line, headers, body) and answers it with status: for
// bodies a regular server refuses to parse. Runs on its thread's event loop, so the client waits on that loop.
class RawHttpReceiver final : public QObject
{
    Q_OBJECT

public:
    explicit RawHttpReceiver(int status = 200);
    QString url(const QString& pathAndQuery) const;

    int status;
    QByteArrayList requests;

private:
    QTcpServer m_server;
};

} // namespace vh::test
