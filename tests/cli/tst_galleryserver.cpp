#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "cli/GalleryServer.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "gallery/GallerySite.h"
#include "platform/AtomicFile.h"
#include "review/cGammaCorrect.h"
#include "util/HeadlessChromium.h"
#include "util/PngBuilder.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QtTest>

using namespace vh;

namespace {

QByteArray png(int n)
{
    return test::PngBuilder(48, 32, test::PngBuilder::ColourType::Rgb, 8,
                            [n](int x, int y) {
                                return QList<quint16>{quint16(x * 5), quint16(y * 7 + n), quint16((x + y) % 256)};
                            })
        .build();
}

// A workspace with these entries and their pictures, served on a free loopback port.
struct Gallery
{
    explicit Gallery(const QList<database::ScreenshotEntry>& entries, const QByteArray& token = {}, bool remote = false)
    {
        write(entries);
        server.setTreatAsRemote(remote);
        port = server.start(QHostAddress::LocalHost, 0, token).value;
    }
    void write(const QList<database::ScreenshotEntry>& entries)
    {
        database::Database db;
        for (const auto& e : entries) {
            db.append(e);
            ws.write(QStringLiteral("PBSS/vault/") + QString::fromLatin1(e.VaultName) + QStringLiteral(".png"),
                     png(db.EntryCount()));
        }
        QVERIFY(platform::writeFileAtomically(ws.path(QStringLiteral("data/database.dat")),
                                              database::DatabaseFile::serialize(db))
                    .isEmpty());
    }
    QUrl url(const QString& path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)); }

    struct Reply
    {
        int status = 0;
        QByteArray head;
        QByteArray body;
        QByteArray header(const char* name) const
        {
            const qsizetype at = head.toLower().indexOf("\r\n" + QByteArray(name).toLower() + ": ");
            return at < 0 ? QByteArray() : head.mid(at + qstrlen(name) + 4).split('\r').first();
        }
    };
    // The request line exactly as written, past any client that would tidy the path.
    Reply get(const QByteArray& target, const QByteArray& headerLine = {})
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + headerLine + "\r\n");
        QByteArray answer;
        (void)QTest::qWaitFor(
            [&] {
                answer += socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            10000);
        const qsizetype end = answer.indexOf("\r\n\r\n");
        return {answer.mid(9, 3).toInt(), answer.left(end), answer.mid(end + 4)};
    }
    QJsonObject json(const QByteArray& path) { return QJsonDocument::fromJson(get(path).body).object(); }

    test::TestWorkspace ws;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::Workspace workspace{ws.base()};
    banlists::Banlists bans{log, workspace};
    gallery::GallerySite site{workspace, bans, log};
    cli::GalleryServer server{site};
    quint16 port = 0;
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

database::ScreenshotEntry hostile()
{
    database::ScreenshotEntry e = test::sampleEntry(1);
    e.PlayerName = "<script>console.error(1)</script>";
    e.ServerName = "'\"><svg onload=console.error(2)>";
    e.IndexText = "000001 \"x\"><img src=x onerror=console.error(3)> GUID=" + e.GUID + " 2026.12.06 10:00:00";
    return e;
}

} // namespace

class TestGalleryServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filtersAndPaging_data()
    {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<int>("total");
        QTest::addColumn<QList<int>>("firstAndCount"); // first entry number on the page and how many
        QTest::newRow("all, newest first") << QByteArray("") << 250 << QList<int>{250, 100};
        QTest::newRow("last page") << QByteArray("page=3") << 250 << QList<int>{50, 50};
        QTest::newRow("past the last page") << QByteArray("page=4") << 250 << QList<int>{0, 0};
        QTest::newRow("whole guid, other case") << QByteArray("guid=" + QByteArray(32, 'A')) << 9 << QList<int>{234, 9};
        QTest::newRow("part of a guid") << QByteArray("guid=aaaa") << 0 << QList<int>{0, 0};
        QTest::newRow("name fragment, other case") << QByteArray("name=pLAYER00010") << 10 << QList<int>{109, 10};
        QTest::newRow("server name, Latin-1 letter case")
            << QByteArray("server=SERVER%20%C3%89%2000024") << 10 << QList<int>{249, 10};
        QTest::newRow("server address fragment") << QByteArray("server=10.0.0.7") << 11 << QList<int>{79, 11};
        QTest::newRow("marked") << QByteArray("marked=1") << 25 << QList<int>{250, 25};
        QTest::newRow("marked and detected") << QByteArray("marked=1&detected=1") << 5 << QList<int>{250, 5};
        QTest::newRow("date range, both days in")
            << QByteArray("from=2026-12-03&to=2026-12-04") << 100 << QList<int>{248, 100};
        QTest::newRow("impossible date") << QByteArray("from=2026-13-01") << -400 << QList<int>{};
        QTest::newRow("page zero") << QByteArray("page=0") << -400 << QList<int>{};
    }
    void filtersAndPaging()
    {
        QFETCH(QByteArray, query);
        QFETCH(int, total);
        QFETCH(QList<int>, firstAndCount);
        Gallery g(generated(250));
        const Gallery::Reply reply = g.get("/api/entries?" + query);
        if (total < 0) {
            QCOMPARE(reply.status, -total);
            return;
        }
        const QJsonObject o = QJsonDocument::fromJson(reply.body).object();
        const QJsonArray entries = o.value(QLatin1String("entries")).toArray();
        QCOMPARE(o.value(QLatin1String("total")).toInt(), total);
        QCOMPARE(entries.size(), firstAndCount.at(1));
        if (!entries.isEmpty()) {
            QCOMPARE(entries.first().toObject().value(QLatin1String("number")).toInt(), firstAndCount.at(0));
            QCOMPARE(entries.first().toObject().size(), 15); // the number and the fourteen members
        }
    }

    void picturesOnlyByNumber()
    {
        Gallery g(generated(3));
        const Gallery::Reply picture = g.get("/picture/2");
        QCOMPARE(picture.status, 200);
        QCOMPARE(picture.body, png(2));
        for (const QByteArray target :
             {"/picture/PBSS/vault/20261206100000pb000002.png.png", "/picture/../data/database.dat",
              "/picture/%2e%2e%2fdata%2fdatabase.dat", "/picture/1/../2", "/picture/-1", "/picture/0", "/picture/4",
              "/picture/%2Fetc%2Fpasswd"})
            QVERIFY2(g.get(target).status == 404, target.constData());
    }

    void hostileTextInert()
    {
        Gallery g({hostile()});
        for (const QByteArray path : {"/", "/entry/1"}) {
            const Gallery::Reply page = g.get(path);
            QVERIFY(page.body.contains("&lt;script&gt;console.error(1)&lt;/script&gt;"));
            QVERIFY(!page.body.contains("<svg") && !page.body.contains("<img src=x") &&
                    !page.body.contains("<script>"));
            // the only scripts are the page's own, carrying the nonce its policy names
            const QByteArray policy = page.header("Content-Security-Policy");
            const QString nonce = QRegularExpression(QStringLiteral("script-src 'nonce-([^']+)'"))
                                      .match(QString::fromLatin1(policy))
                                      .captured(1);
            QVERIFY(!nonce.isEmpty() && !policy.contains("unsafe-inline"));
            QCOMPARE(page.body.count("<script"), page.body.count("<script nonce=\"" + nonce.toLatin1() + "\">"));
        }
    }

    void tokenAskedOnNonLoopback()
    {
        Gallery without({test::sampleEntry(1)}, {}, true);
        QCOMPARE(without.port, 0);
        Gallery g({test::sampleEntry(1)}, "s3c ret;", true); // a blank and a semicolon must survive the cookie
        QCOMPARE(g.get("/api/entries").status, 401);
        QCOMPARE(g.get("/picture/1", "Authorization: Bearer s3c re\r\n").status, 401);
        QCOMPARE(g.get("/picture/1", "Authorization: Bearer s3c ret;\r\n").status, 200);
        QCOMPARE(g.get("/", "Cookie: a=b; varnholt_token=s3cretX\r\n").status, 401);
        QCOMPARE(g.get("/login?token=wrong").status, 401);
        const Gallery::Reply login = g.get("/login?token=s3c%20ret%3B");
        QCOMPARE(login.status, 303);
        const QByteArray cookie = login.header("Set-Cookie").split(';').first();
        QCOMPARE(g.get("/entry/1", "Cookie: " + cookie + "\r\n").status, 200);
        QVERIFY(!gallery::GallerySite::sameToken("", ""));
        // loopback is all of 127.0.0.0/8 and ::1; anything else reaches other machines
        const std::pair<const char*, bool> addresses[] = {
            {"127.31.0.2", false}, {"::1", false}, {"0.0.0.0", true}, {"::", true}, {"192.168.1.20", true}};
        for (const auto& [address, needsToken] : addresses)
            QVERIFY2(gallery::GallerySite::needsToken(QHostAddress(QLatin1String(address))) == needsToken, address);
    }

    void rewrittenDatabaseShowsNewEntries()
    {
        Gallery g(generated(3));
        QCOMPARE(g.json("/api/entries").value(QLatin1String("total")).toInt(), 3);
        g.write(generated(5));
        QCOMPARE(g.json("/api/entries").value(QLatin1String("total")).toInt(), 5);
        QCOMPARE(g.json("/api/entries/5").value(QLatin1String("PlayerName")).toString(),
                 QStringLiteral("Player000005"));
    }

    void pagesInBrowser_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<double>("gamma"); // of the picture shown; 0: the file itself
        QTest::newRow("list") << QByteArray("/") << 0.0;
        QTest::newRow("entry, neutral slider") << QByteArray("/entry/2") << 0.0;
        QTest::newRow("entry, brightest") << QByteArray("/entry/2?gamma=1") << 4.6;
        QTest::newRow("entry, darkest") << QByteArray("/entry/2?gamma=19") << 1 / 4.6;
    }
    void pagesInBrowser()
    {
        QFETCH(QByteArray, path);
        QFETCH(double, gamma);
        if (test::HeadlessChromium::executable().isEmpty())
            QSKIP("chromium is not installed");
        Gallery g({test::sampleEntry(1), hostile(), test::sampleEntry(3)});
        QVERIFY(QFile::remove(g.ws.path(QStringLiteral("PBSS/vault/20261206100000pb000003.png.png"))));
        const test::HeadlessChromium::Page page = test::HeadlessChromium::open(g.url(QString::fromLatin1(path)));
        QVERIFY2(page.ran, qPrintable(page.problem));
        QVERIFY2(page.console.isEmpty(), qPrintable(page.console.join(QLatin1Char('\n'))));
        QVERIFY(!page.dom.contains(QLatin1String("<svg")) && !page.dom.contains(QLatin1String("<img src=\"x\"")));
        // the third picture is gone from the vault: the page says so, every other one loaded
        const QRegularExpression pictures(
            QStringLiteral("<img [^>]*src=\"(/picture/\\d+|data:image/png;base64,)([^\"]*)\""));
        QList<QRegularExpressionMatch> shown;
        for (const auto& m : pictures.globalMatch(page.dom))
            shown << m;
        QCOMPARE(shown.size(), path == "/" ? 2 : 1);
        QCOMPARE(page.dom.count(QLatin1String("class=\"missing\"")), path == "/" ? 1 : 0);
        if (gamma == 0) {
            QVERIFY(!page.dom.contains(QLatin1String("data:image")));
            return;
        }
        // the slider's picture is the file through the gamma table of the window
        const QImage corrected = QImage::fromData(QByteArray::fromBase64(shown.first().captured(2).toLatin1()));
        const QImage original = QImage::fromData(png(2));
        QCOMPARE(corrected.size(), original.size());
        review::cGammaCorrect table;
        table.gamma(gamma);
        const auto& t = table.redTable(); // the three tables are one
        for (int y = 0; y < original.height(); ++y) {
            for (int x = 0; x < original.width(); ++x) {
                const QRgb a = original.pixel(x, y);
                QCOMPARE(corrected.pixel(x, y), qRgb(t[qRed(a)], t[qGreen(a)], t[qBlue(a)]));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestGalleryServer)
#include "tst_galleryserver.moc"
