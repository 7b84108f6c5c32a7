#include "cli/GalleryServer.h"

#include "gallery/GallerySite.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>

namespace vh::cli {

GalleryServer::GalleryServer(gallery::GallerySite& site, QObject* parent) : QAbstractHttpServer(parent), m_site(site) {}

base::Checked<quint16> GalleryServer::start(const QHostAddress& address, quint16 port, const QByteArray& token)
{
    using Result = base::Checked<quint16>;
    if ((m_treatAsRemote || gallery::GallerySite::needsToken(address)) && token.isEmpty()) {
        return Result::failed(
            QStringLiteral("%1 is not a loopback address: other machines can reach it, so --token is needed")
                .arg(address.toString()));
    }
    m_site.setToken(token);
    m_site.refresh();
    const quint16 bound = listen(address, port);
    if (bound == 0)
        return Result::failed(QStringLiteral("cannot listen on %1 port %2").arg(address.toString()).arg(port));
    return Result::good(bound);
}

bool GalleryServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    gallery::GalleryRequest r;
    bool close = false;
    switch (request.method()) {
    case QHttpServerRequest::Method::Get:
        r.method = "GET";
        break;
    case QHttpServerRequest::Method::Head:
        r.method = "HEAD";
        break;
    default:
        r.method = "OTHER";
        break;
    }
    r.path = request.url().path(QUrl::FullyDecoded);
    r.query = request.query();
    for (const auto& [name, value] : request.headers()) {
        if (name.compare("cookie", Qt::CaseInsensitive) == 0)
            r.cookie += (r.cookie.isEmpty() ? "" : "; ") + value;
        else if (name.compare("authorization", Qt::CaseInsensitive) == 0)
            r.authorization = value;
        else if (name.compare("connection", Qt::CaseInsensitive) == 0)
            close = value.trimmed().compare("close", Qt::CaseInsensitive) == 0;
    }
    const gallery::GalleryResponse response = m_site.handle(r);

    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(response.status));
    if (!response.contentType.isEmpty())
        responder.writeHeader("Content-Type", response.contentType);
    for (const auto& [name, value] : response.headers)
        responder.writeHeader(name, value);
    responder.writeHeader("Content-Length", QByteArray::number(response.body.size()));
    responder.writeBody(response.body);
    // the module keeps every connection open; a client that asked to close must not hold one
    if (close)
        socket->disconnectFromHost();
    return true;
}

void GalleryServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}

} // namespace vh::cli
