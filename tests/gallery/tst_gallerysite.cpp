#include "gallery/SiteFixture.h"
#include "util/SampleEntries.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace vh;

namespace {

QList<database::ScreenshotEntry> generated(int count)
{
    QList<database::ScreenshotEntry> entries;
    for (int n = 1; n <= count; ++n) {
        database::ScreenshotEntry e = test::sampleEntry(n);
        e.ShotTime = "2026.12.0" + QByteArray::number(1 + n % 5) + " 10:00:00";
        e.Cheating = n % 10 == 0;
        e.AutoDetected = n % 25 == 0 ? "NameChanger" : "";
        if (n == 1) {
            e.PlayerName = "<script>console.error(1)</script>";
            e.ServerName = "'\"><svg onload=console.error(2)>";
            e.IndexText = "000001 \"x\"><img src=x onerror=console.error(3)> GUID=" + e.GUID + " 2026.12.02 10:00:00";
        }
        entries << e;
    }
    return entries;
}

} // namespace

class TestGallerySite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every tenth entry of 250 is marked, entry 1 carries markup in its texts; with credentials the site asks for the
    // token "s3c ret;".
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
        row("marked and detected", list, "marked=1&detected=1", 200, "total 5, first 250, count 5");
        row("date range, both days in", list, "from=2026-12-03&to=2026-12-04", 200, "total 100, first 248, count 100");
        row("impossible date", list, "from=2026-13-01", 400, "from takes a date");
        row("one entry", "/api/entries/5", "", 200, "\"PlayerName\":\"Player000005\"");
        row("picture outside the vault", "/picture/../data/database.dat", "", 404, "");
        row("picture zero", "/picture/0", "", 404, "");
        row("picture past the last entry", "/picture/251", "", 404, "");
        row("entry page, neighbours and marked ones", "/entry/15", "", 200,
            "<a href=\"/entry/14\">Previous entry</a> <a href=\"/entry/16\">Next entry</a> "
            "<a href=\"/entry/10\">Previous marked</a> <a href=\"/entry/20\">Next marked</a>");
        row("entry page, no marked one before", "/entry/1", "", 200,
            "<span>Previous entry</span> <a href=\"/entry/2\">Next entry</a> <span>Previous marked</span> "
            "<a href=\"/entry/10\">Next marked</a>");
        row("hostile text inert in the list", "/", "name=script", 200, "&lt;script&gt;console.error(1)&lt;/script&gt;");
        row("hostile text inert on the entry page", "/entry/1", "", 200,
            "&lt;script&gt;console.error(1)&lt;/script&gt;");
        row("entry page, slider out of range", "/entry/1", "gamma=20", 200, "<output id=\"gamma-value\">10</output>");
        row("no token", list, "", 401, "WWW-Authenticate: Bearer", "-");
        row("bearer", "/picture/1", "", 200, "png of 1", "Bearer s3c ret;");
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
        test::SiteFixture s(generated(250), {"png of 1"});
        s.site.setToken(credentials.isEmpty() ? QByteArray() : QByteArray("s3c ret;"));
        gallery::GalleryRequest request;
        request.path = path;
        request.query = QUrlQuery(query);
        if (credentials.startsWith("Cookie: "))
            request.cookie = credentials.mid(8);
        else if (credentials.startsWith("Bearer "))
            request.authorization = credentials;
        const gallery::GalleryResponse r = s.site.handle(request);
        QCOMPARE(r.status, status);
        QByteArray seen = r.body;
        for (const auto& [name, value] : r.headers)
            seen += '\n' + name + ": " + value;
        if (path == QLatin1String("/api/entries") && status == 200) {
            const QJsonObject o = QJsonDocument::fromJson(r.body).object();
            const QJsonArray entries = o.value(QLatin1String("entries")).toArray();
            seen =
                QString::asprintf("total %d, first %d, count %d", o.value(QLatin1String("total")).toInt(),
                                  entries.at(0).toObject().value(QLatin1String("number")).toInt(), int(entries.size()))
                    .toLatin1();
        }
        QVERIFY2(seen.contains(shows), seen.left(2000).constData());
        const bool html = r.contentType.startsWith("text/html");
        QVERIFY(!html || !(r.body.contains("<script>") || r.body.contains("<svg") || r.body.contains("<img src=x")));
        QVERIFY(!html || r.body.count("<script") == r.body.count("<script nonce=\"")); // the policy allows no other
    }
};

QTEST_GUILESS_MAIN(TestGallerySite)
#include "tst_gallerysite.moc"
