#include "util/RawHttpReceiver.h"

#include <QRegularExpression>
#include <QTcpSocket>

namespace vh::test {

RawHttpReceiver::RawHttpReceiver(int status) : status(status)
{
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        QTcpSocket* socket = m_server.nextPendingConnection();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            static const QRegularExpression length(QStringLiteral("\r\nContent-Length: *(\\d+)\r\n"),
                                                   QRegularExpression::CaseInsensitiveOption);
            const QByteArray data = socket->peek(socket->bytesAvailable());
            const qsizetype end = data.indexOf("\r\n\r\n");
            const QRegularExpressionMatch m = length.match(QString::fromLatin1(data.left(end + 2)));
            if (end < 0 || data.size() < end + 4 + (m.hasMatch() ? m.captured(1).toLongLong() : 0))
                return;
            requests << socket->readAll();
            socket->write("HTTP/1.1 " + QByteArray::number(this->status) + " X\r\nContent-Length: 0\r\n\r\n");
            socket->disconnectFromHost();
        });
    });
}

QString RawHttpReceiver::url(const QString& pathAndQuery) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(pathAndQuery);
}

} // namespace vh::test
