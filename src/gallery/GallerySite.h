#pragma once

#include "database/Database.h"
#include "gallery/EntryQuery.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

class QHostAddress;

namespace vh::base {
class ActivityLog;
class Workspace;
} // namespace vh::base
namespace vh::banlists {
class Banlists;
}

namespace vh::gallery {

struct GalleryRequest
{
    QByteArray method = "GET";
    QString path; // decoded
    QUrlQuery query;
    QByteArray cookie;        // the Cookie header
    QByteArray authorization; // the Authorization header
};

struct GalleryResponse
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // besides the content type and length
};

// The read-only team gallery over a workspace: the list and entry pages, the pictures by entry number and
// the JSON answers. It reads the database and the banlists again whenever their files changed (a collector
// rewrites them beside it) and never writes a file.
class GallerySite final
{
public:
    static constexpr int PageSize = 100;
    static constexpr const char* CookieName = "varnholt_token";

    GallerySite(const base::Workspace& workspace, banlists::Banlists& bans, base::ActivityLog& log);

    // A non-empty token is asked of every request, as the cookie /login sets or "Authorization: Bearer".
    void setToken(const QByteArray& token) { m_token = token; }
    GalleryResponse handle(const GalleryRequest& request);
    // Loads the database and the banlists again when their files changed since the last look.
    void refresh();
    const database::Database& database() const { return m_db; }

    // Anything but a loopback address (127.0.0.0/8, ::1) reaches other machines and needs a token.
    static bool needsToken(const QHostAddress& listenAddress);
    // Compares in time that does not depend on where the texts differ nor on their lengths.
    static bool sameToken(const QByteArray& given, const QByteArray& expected);

private:
    struct FileStamp
    {
        bool exists = false;
        qint64 size = -1;
        QDateTime modified;
        QDateTime changed;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(const QString& path);

    bool authorised(const GalleryRequest& request) const;
    GalleryResponse login(const GalleryRequest& request) const;
    GalleryResponse route(const GalleryRequest& request);
    GalleryResponse picture(int n) const;
    QByteArray readPicture(int n, bool* found) const;
    int entryNumber(const QString& text) const;

    const base::Workspace& m_workspace;
    banlists::Banlists& m_bans;
    base::ActivityLog& m_log;
    QByteArray m_token;
    database::Database m_db;
    EntryIndex m_index;
    FileStamp m_dbStamp;
    FileStamp m_aasaStamp;
    FileStamp m_aciStamp;
    bool m_loaded = false;
};

} // namespace vh::gallery
