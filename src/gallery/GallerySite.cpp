#include "gallery/GallerySite.h"

#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Workspace.h"
#include "database/DatabaseFile.h"
#include "gallery/EntryQuery.h"
#include "gallery/GalleryPages.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

namespace vh::gallery {

namespace {

const QByteArray Html = QByteArrayLiteral("text/html; charset=utf-8");
const QByteArray Json = QByteArrayLiteral("application/json");

QByteArray newNonce()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toBase64();
}

GalleryResponse error(int status, const QString& message)
{
    return {status, Html, GalleryPages::errorPage(status, message), {}};
}

GalleryResponse json(const QJsonObject& o)
{
    return {200, Json, QJsonDocument(o).toJson(QJsonDocument::Compact), {}};
}

// A vault name that cannot leave the vault folder.
bool safeVaultName(const QByteArray& name)
{
    if (name.isEmpty() || name.contains("..") || name.startsWith('.'))
        return false;
    for (const char c : name) {
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return true;
}

} // namespace

GallerySite::GallerySite(const base::Workspace& workspace, banlists::Banlists& bans, base::ActivityLog& log)
    : m_workspace(workspace), m_bans(bans), m_log(log)
{
}

bool GallerySite::needsToken(const QHostAddress& listenAddress)
{
    return !listenAddress.isLoopback();
}

bool GallerySite::sameToken(const QByteArray& given, const QByteArray& expected)
{
    // hashing first gives both sides one length, so the loop always runs the same 32 steps
    const QByteArray a = QCryptographicHash::hash(given, QCryptographicHash::Sha256);
    const QByteArray b = QCryptographicHash::hash(expected, QCryptographicHash::Sha256);
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return difference == 0 && !expected.isEmpty();
}

GallerySite::FileStamp GallerySite::stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified(), info.fileTime(QFileDevice::FileMetadataChangeTime)};
}

void GallerySite::refresh()
{
    const QString dbPath = m_workspace.path(base::Paths::DatabaseFile);
    const FileStamp dbStamp = stampOf(dbPath);
    if (!m_loaded || !(dbStamp == m_dbStamp)) {
        QFile file(dbPath);
        if (!dbStamp.exists) {
            m_db.clear();
            m_index.build(m_db);
            m_dbStamp = dbStamp;
        } else if (file.open(QIODevice::ReadOnly)) {
            database::Database fresh;
            const base::Checked<int> result = database::DatabaseFile::parse(file.readAll(), fresh);
            if (!result.ok())
                m_log.Log(QStringLiteral("Gallery: %1 is damaged at entry %2 (%3); showing the %4 entries before it")
                              .arg(dbPath)
                              .arg(result.value)
                              .arg(result.problems.join(QStringLiteral("; ")))
                              .arg(fresh.EntryCount()));
            std::swap(m_db, fresh);
            m_index.build(m_db);
            m_dbStamp = dbStamp;
        }
        // a file that cannot be opened right now (being replaced) is tried again at the next request
    }
    const FileStamp aasa = stampOf(m_workspace.path(base::Paths::AasaBanlistFile));
    if (!m_loaded || !(aasa == m_aasaStamp)) {
        m_bans.LoadAasaBanlist();
        m_aasaStamp = aasa;
    }
    const FileStamp aci = stampOf(m_workspace.path(base::Paths::AciBanlistFile));
    if (!m_loaded || !(aci == m_aciStamp)) {
        m_bans.LoadAciBanlist();
        m_aciStamp = aci;
    }
    m_loaded = true;
}

bool GallerySite::authorised(const GalleryRequest& request) const
{
    if (m_token.isEmpty())
        return true;
    const QByteArray bearer = QByteArrayLiteral("Bearer ");
    if (request.authorization.startsWith(bearer) &&
        sameToken(request.authorization.mid(bearer.size()).trimmed(), m_token))
        return true;
    const QByteArray prefix = QByteArray(CookieName) + '=';
    for (const QByteArray& part : request.cookie.split(';')) {
        const QByteArray cookie = part.trimmed();
        // /login wrote the token percent-encoded, so blanks or semicolons in it survive the cookie header
        if (cookie.startsWith(prefix) && sameToken(QByteArray::fromPercentEncoding(cookie.mid(prefix.size())), m_token))
            return true;
    }
    return false;
}

GalleryResponse GallerySite::login(const GalleryRequest& request) const
{
    const QByteArray given = request.query.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded).toUtf8();
    if (m_token.isEmpty())
        return {303, Html, {}, {{"Location", "/"}}};
    if (!sameToken(given, m_token))
        return error(401, QStringLiteral("Wrong token."));
    // the token never lands in a URL the browser keeps: the cookie carries it from here on
    return {303,
            Html,
            {},
            {{"Location", "/"},
             {"Set-Cookie",
              QByteArray(CookieName) + '=' + given.toPercentEncoding() + "; Path=/; HttpOnly; SameSite=Strict"}}};
}

GalleryResponse GallerySite::handle(const GalleryRequest& request)
{
    GalleryResponse response;
    if (request.method != "GET" && request.method != "HEAD") {
        response = error(405, QStringLiteral("The gallery only reads."));
        response.headers.append({QByteArray("Allow"), QByteArray("GET, HEAD")});
    } else if (request.path == QLatin1String("/login")) {
        response = login(request);
    } else if (!authorised(request)) {
        response = error(401, QStringLiteral("This gallery asks for a token: open /login?token=..."));
        response.headers.append({QByteArray("WWW-Authenticate"), QByteArray("Bearer")});
    } else {
        refresh();
        response = route(request);
    }
    response.headers.append({QByteArray("X-Content-Type-Options"), QByteArray("nosniff")});
    response.headers.append({QByteArray("Referrer-Policy"), QByteArray("no-referrer")});
    response.headers.append({QByteArray("Cache-Control"), QByteArray("no-store")});
    response.headers.append({QByteArray("X-Frame-Options"), QByteArray("DENY")});
    bool hasPolicy = false;
    for (const auto& h : std::as_const(response.headers))
        hasPolicy = hasPolicy || h.first == "Content-Security-Policy";
    if (!hasPolicy)
        response.headers.append(
            {QByteArray("Content-Security-Policy"), QByteArray("default-src 'none'; frame-ancestors 'none'")});
    if (request.method == "HEAD")
        response.body.clear();
    return response;
}

int GallerySite::entryNumber(const QString& text) const
{
    // digits only: a path, a sign or blanks never name an entry
    if (text.isEmpty() || text.size() > 7)
        return 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    const int n = text.toInt();
    return n >= 1 && n <= m_db.EntryCount() ? n : 0;
}

GalleryResponse GallerySite::route(const GalleryRequest& request)
{
    const QString& path = request.path;
    const QByteArray nonce = newNonce();
    const QByteArray pagePolicy = "default-src 'none'; img-src 'self' data:; style-src 'nonce-" + nonce +
                                  "'; script-src 'nonce-" + nonce +
                                  "'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'";
    const auto page = [&pagePolicy](QByteArray body) {
        return GalleryResponse{200, Html, std::move(body), {{"Content-Security-Policy", pagePolicy}}};
    };

    if (path == QLatin1String("/") || path == QLatin1String("/api/entries")) {
        const base::Checked<EntryFilter> asked = EntryFilter::fromQuery(request.query);
        if (!asked.ok())
            return error(400, asked.problems.join(QStringLiteral("; ")));
        const EntryFilter& filter = asked.value;
        const EntryPage found = findEntries(m_index, filter, PageSize);
        if (path == QLatin1String("/"))
            return page(GalleryPages::listPage(m_db, m_bans, filter, found, nonce));
        QJsonArray entries;
        for (const int n : found.entries)
            entries.append(GalleryPages::entryJson(m_db, n));
        return json({{QStringLiteral("total"), found.total},
                     {QStringLiteral("page"), found.page},
                     {QStringLiteral("entries"), entries}});
    }
    const auto numberAfter = [&path, this](QLatin1String prefix) {
        return path.startsWith(prefix) ? entryNumber(path.mid(prefix.size())) : -1;
    };
    if (const int n = numberAfter(QLatin1String("/api/entries/")); n >= 0)
        return n == 0 ? error(404, QStringLiteral("No such entry.")) : json(GalleryPages::entryJson(m_db, n));
    if (const int n = numberAfter(QLatin1String("/picture/")); n >= 0)
        return n == 0 ? error(404, QStringLiteral("No such entry.")) : picture(n);
    if (const int n = numberAfter(QLatin1String("/entry/")); n >= 0) {
        if (n == 0)
            return error(404, QStringLiteral("No such entry."));
        bool ok = false;
        int gamma = request.query.queryItemValue(QStringLiteral("gamma")).toInt(&ok);
        if (!ok || gamma < GalleryPages::MinGamma || gamma > GalleryPages::MaxGamma)
            gamma = GalleryPages::NeutralGamma;
        bool found = false;
        const QByteArray png = readPicture(n, &found);
        return page(GalleryPages::entryPage(m_db, m_index, m_bans, n, png, found, gamma, nonce));
    }
    return error(404, QStringLiteral("No such page."));
}

QByteArray GallerySite::readPicture(int n, bool* found) const
{
    *found = false;
    const QByteArray& vaultName = m_db.entry(n).VaultName;
    if (!safeVaultName(vaultName))
        return {};
    QFile file(m_workspace.path(base::Paths::Vault) + QLatin1Char('/') + QString::fromLatin1(vaultName) +
               QStringLiteral(".png"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    *found = true;
    return file.readAll();
}

GalleryResponse GallerySite::picture(int n) const
{
    bool found = false;
    QByteArray png = readPicture(n, &found);
    if (!found)
        return error(404, QStringLiteral("The picture of this entry is not in the vault."));
    return {200, QByteArrayLiteral("image/png"), std::move(png), {}};
}

} // namespace vh::gallery
