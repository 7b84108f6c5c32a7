#pragma once

#include "base/Checked.h"

#include <QAbstractHttpServer>
#include <QHostAddress>

namespace vh::gallery {
class GallerySite;
}

namespace vh::cli {

// The gallery on a TCP port through Qt HttpServer, on the event loop: every request goes to the site and its
// answer goes back with its length.
class GalleryServer final : public QAbstractHttpServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GalleryServer)

public:
    explicit GalleryServer(gallery::GallerySite& site, QObject* parent = nullptr);

    // Listens on address and port (0: any free one). An address that other machines reach needs a token,
    // which the site then asks of every request. Returns the port; on failure 0 and the reason.
    base::Checked<quint16> start(const QHostAddress& address, quint16 port, const QByteArray& token);
    // Handles a loopback address like one that other machines reach (the rule can then be seen on loopback).
    void setTreatAsRemote(bool remote) { m_treatAsRemote = remote; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    gallery::GallerySite& m_site;
    bool m_treatAsRemote = false;
};

} // namespace vh::cli
