#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "gallery/GallerySite.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

using namespace vh;
using gallery::GalleryResponse;

namespace {

// A workspace with these entries under a site.
struct Site
{
    explicit Site(const QList<database::ScreenshotEntry>& entries, const QByteArray& token = {})
    {
        write(entries);
        site.setToken(token);
    }
    // Pictures only for the first two entries: enough for the picture and page requests.
    void write(const QList<database::ScreenshotEntry>& entries)
    {
        database::Database db;
        for (const auto& e : entries) {
            db.append(e);
            if (db.EntryCount() <= 2)
                ws.write(QStringLiteral("PBSS/vault/") + QString::fromLatin1(e.VaultName) + QStringLiteral(".png"),
                         "png of " + e.ShotFile);
        }
        ws.write(QStringLiteral("data/database.dat"), database::DatabaseFile::serialize(db));
    }
    GalleryResponse get(const QString& path, const QString& query = {}, const QByteArray& cookie = {},
                        const QByteArray& authorization = {})
    {
        gallery::GalleryRequest r;
        r.path = path;
        r.query = QUrlQuery(query);
        r.cookie = cookie;
        r.authorization = authorization;
        return site.handle(r);
    }

    test::TestWorkspace ws;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::Workspace workspace{ws.base()};
    banlists::Banlists bans{log, workspace};
    gallery::GallerySite site{workspace, bans, log};
};

QList<database::ScreenshotEntry> generated(int count)
{
    QList<database::ScreenshotEntry> entries;
    for (int n = 1; n <= count; ++n) {
        database::ScreenshotEntry e = test::sampleEntry(n);
        e.ShotTime = "2026.12.0" + QByteArray::number(1 + n % 5) + " 10:00:00";
        e.Cheating = n % 10 == 0;
        e.AutoDetected = n % 25 == 0 ? "NameChanger" : "";
        entries << e;
    }
    return entries;
}

} // namespace

class TestGallerySite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every tenth entry of 250 is marked; with credentials the site asks for the token "s3c ret;".
    void requests_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QByteArray>("credentials"); // "Cookie: ..." or "Bearer ..."; "-": none
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("shows"); // a part of the body or a header; of the JSON list its summary
        const auto row = [](const char* name, const char* path, const char* query, int status, const QByteArray& shows,
                            const char* credentials = "") {
            QTest::newRow(name) << QString::fromLatin1(path) << QString::fromLatin1(query) << QByteArray(credentials)
                                << status << shows;
        };
        const char* list = "/api/entries";
        row("all, newest first", list, "", 200, "total 250, first 250, count 100");
        row("past the last page", list, "page=4", 200, "total 250, first 0, count 0");
        row("whole guid, other case", list, "guid=AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", 200,
            "total 9, first 234, count 9");
        row("part of a guid", list, "guid=aaaa", 200, "total 0, first 0, count 0");
        row("name fragment, other case", list, "name=pLAYER00010", 200, "total 10, first 109, count 10");
        row("server name, Latin-1 letter case", list, "server=SERVER%20%C3%89%2000024", 200,
            "total 10, first 249, count 10");
        row("marked", list, "marked=1", 200, "total 25, first 250, count 25");
        row("marked and detected", list, "marked=1&detected=1", 200, "total 5, first 250, count 5");
        row("date range, both days in", list, "from=2026-12-03&to=2026-12-04", 200, "total 100, first 248, count 100");
        row("impossible date", list, "from=2026-13-01", 400, "from takes a date");
        row("picture by number", "/picture/2", "", 200, "png of pb000002.png");
        row("picture outside the vault", "/picture/../data/database.dat", "", 404, "");
        row("picture number with a path", "/picture/1/../2", "", 404, "");
        row("picture zero", "/picture/0", "", 404, "");
        row("picture past the last entry", "/picture/251", "", 404, "");
        row("entry page, neighbours and marked ones", "/entry/15", "", 200,
            "<a href=\"/entry/14\">Previous entry</a> <a href=\"/entry/16\">Next entry</a> "
            "<a href=\"/entry/10\">Previous marked</a> <a href=\"/entry/20\">Next marked</a>");
        row("entry page, no marked one before", "/entry/1", "", 200,
            "<span>Previous entry</span> <a href=\"/entry/2\">Next entry</a> <span>Previous marked</span> "
            "<a href=\"/entry/10\">Next marked</a>");
        row("entry page, slider out of range", "/entry/1", "gamma=20", 200, "<output id=\"gamma-value\">10</output>");
        row("no token", list, "", 401, "WWW-Authenticate: Bearer", "-");
        row("bearer", "/picture/1", "", 200, "png of pb000001.png", "Bearer s3c ret;");
        row("cookie, wrong token", "/", "", 401, "", "Cookie: a=b; varnholt_token=s3cretX");
        row("cookie as /login sets it", "/entry/1", "", 200, "Entry 1", "Cookie: a=b; varnholt_token=s3c%20ret%3B");
        row("login", "/login", "token=s3c%20ret%3B", 303, "Set-Cookie: varnholt_token=s3c%20ret%3B; Path=/; HttpOnly",
            "-");
    }
    void requests()
    {
        QFETCH(QString, path);
        QFETCH(QString, query);
        QFETCH(QByteArray, credentials);
        QFETCH(int, status);
        QFETCH(QByteArray, shows);
        Site s(generated(250), credentials.isEmpty() ? QByteArray() : QByteArray("s3c ret;"));
        const bool cookie = credentials.startsWith("Cookie: ");
        const QByteArray bearer = credentials.startsWith("Bearer ") ? credentials : QByteArray();
        const GalleryResponse r = s.get(path, query, cookie ? credentials.mid(8) : QByteArray(), bearer);
        QCOMPARE(r.status, status);
        QByteArray seen = r.body;
        for (const auto& [name, value] : r.headers)
            seen += '\n' + name + ": " + value;
        if (path == QLatin1String("/api/entries") && status == 200) {
            const QJsonObject o = QJsonDocument::fromJson(r.body).object();
            const QJsonArray entries = o.value(QLatin1String("entries")).toArray();
            const QJsonObject first = entries.at(0).toObject();
            QVERIFY(entries.isEmpty() || first.size() == 15); // the number and the fourteen members
            seen = QStringLiteral("total %1, first %2, count %3")
                       .arg(o.value(QLatin1String("total")).toInt())
                       .arg(first.value(QLatin1String("number")).toInt())
                       .arg(entries.size())
                       .toLatin1();
        }
        QVERIFY2(seen.contains(shows), seen.left(2000).constData());
    }

    void needsTokenOffLoopback()
    {
        const std::pair<const char*, bool> addresses[] = {
            {"127.31.0.2", false}, {"::1", false}, {"0.0.0.0", true}, {"192.168.1.20", true}};
        for (const auto& [address, needsToken] : addresses)
            QVERIFY2(gallery::GallerySite::needsToken(QHostAddress(QLatin1String(address))) == needsToken, address);
        QVERIFY(!gallery::GallerySite::sameToken("", ""));
    }

    void hostileTextInert()
    {
        database::ScreenshotEntry e = test::sampleEntry(1);
        e.PlayerName = "<script>console.error(1)</script>";
        e.ServerName = "'\"><svg onload=console.error(2)>";
        e.IndexText = "000001 \"x\"><img src=x onerror=console.error(3)> GUID=" + e.GUID + " 2026.12.06 10:00:00";
        Site s({e});
        for (const QString path : {QStringLiteral("/"), QStringLiteral("/entry/1")}) {
            const GalleryResponse page = s.get(path);
            QVERIFY(page.body.contains("&lt;script&gt;console.error(1)&lt;/script&gt;"));
            QVERIFY(!page.body.contains("<svg") && !page.body.contains("<img src=x") &&
                    !page.body.contains("<script>"));
            // the only scripts are the page's own, carrying the nonce its policy names
            QByteArray policy;
            for (const auto& [name, value] : page.headers)
                policy = name == "Content-Security-Policy" ? value : policy;
            const QString nonce = QRegularExpression(QStringLiteral("script-src 'nonce-([^']+)'"))
                                      .match(QString::fromLatin1(policy))
                                      .captured(1);
            QVERIFY(!nonce.isEmpty() && !policy.contains("unsafe-inline"));
            QCOMPARE(page.body.count("<script"), page.body.count("<script nonce=\"" + nonce.toLatin1() + "\">"));
        }
    }

    void rewrittenDatabaseShowsNewEntries()
    {
        Site s(generated(3));
        QVERIFY(s.get(QStringLiteral("/api/entries")).body.endsWith("\"total\":3}"));
        s.write(generated(5));
        QVERIFY(s.get(QStringLiteral("/api/entries")).body.endsWith("\"total\":5}"));
        QVERIFY(s.get(QStringLiteral("/api/entries/5")).body.contains("\"PlayerName\":\"Player000005\""));
    }
};

QTEST_GUILESS_MAIN(TestGallerySite)
#include "tst_gallerysite.moc"
