#include "Farm.h"
#include "StatusResponder.h"
#include "collect/IndexPage.h"
#include "servers/StatusReply.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

using vh::sim::Farm;
using vh::sim::StatusResponder;

namespace {

const QByteArray GuidA = "0123456789abcdef0123456789abcdef";
const QByteArray GuidB = "00112233445566778899aabbccddeeff";

QByteArray fetch(const Farm& farm, const QString& path)
{
    httplib::Client client("127.0.0.1", farm.http().port());
    const auto response = client.Get(path.toStdString());
    return response && response->status == 200 ? QByteArray::fromStdString(response->body) : QByteArray();
}

} // namespace

// The farm is the ground of the end-to-end tests: a page the program reads differently from what the farm
// meant, or a reply it cannot parse, would make those tests fail or pass for the wrong reason.
class TestFarm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void indexPageReadsAsPublished_data();
    void indexPageReadsAsPublished();
    void statusReplyParses_data();
    void statusReplyParses();
    void uploadIsKeptAsSent();
};

void TestFarm::indexPageReadsAsPublished_data()
{
    QTest::addColumn<int>("ceiling");
    QTest::addColumn<int>("shots");
    QTest::addColumn<QList<int>>("taken"); // shot indices the program takes from the page, oldest first
    QTest::newRow("below the ceiling") << Farm::DefaultCeiling << 3 << QList<int>{0, 1, 2};
    QTest::newRow("numbers start again") << 3 << 5 << QList<int>{2, 3, 4};
    QTest::newRow("a whole cycle over") << 2 << 6 << QList<int>{4, 5};
}

void TestFarm::indexPageReadsAsPublished()
{
    QFETCH(int, ceiling);
    QFETCH(int, shots);
    QFETCH(QList<int>, taken);
    Farm farm(1);
    farm.setShotCeiling(ceiling);
    for (int i = 0; i < shots; ++i) {
        Farm::Shot shot;
        shot.guid = i % 2 ? GuidA : GuidB;
        shot.playerName = i % 2 ? "Some One" : "P" + QByteArray::number(i);
        shot.time = "2026.12.06 10:0" + QByteArray::number(i) + ":00";
        farm.addShot(0, shot);
    }
    farm.publish();

    const QByteArray page = fetch(farm, QStringLiteral("/127.0.0.2/pbsvss.htm"));
    const auto scan = vh::collect::parseIndexPage(page, farm.pageUrl(0).toLatin1(), {});
    QCOMPARE(scan.outcome, vh::collect::IndexPageScan::Outcome::Parsed);
    QCOMPARE(int(scan.entries.size()), int(taken.size()));
    for (int i = 0; i < shots; ++i)
        QCOMPARE(farm.isCurrent(0, i), taken.contains(i));
    for (qsizetype t = 0; t < taken.size(); ++t) {
        const Farm::Shot& shot = farm.server(0).shots.at(taken.at(t));
        const vh::collect::PageEntry& e = scan.entries.at(std::size_t(t));
        QCOMPARE(e.FileName, shot.fileName());
        QCOMPARE(e.GUID, shot.guid);
        QCOMPARE(e.PlayerName, shot.playerName);
        QCOMPARE(e.IndexText, shot.indexText());
        // the picture behind a number taken again is the newest shot's
        QCOMPARE(fetch(farm, farm.shotPath(0, shot)), farm.png(0, shot));
    }
}

void TestFarm::statusReplyParses_data()
{
    QTest::addColumn<QByteArray>("reportedName");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QString>("storedMap");
    QTest::newRow("plain name") << QByteArray() << QStringLiteral("Farm Server 1") << QStringLiteral("Bridge Crossing");
    QTest::newRow("colour codes") << QByteArray("\x1b"
                                                "900Red \x1b"
                                                "090Devils")
                                  << QStringLiteral("Red Devils") << QStringLiteral("Bridge Crossing");
    QTest::newRow("official server") << QByteArray("U.S. Army Official E 3") << QStringLiteral("Unknown")
                                     << QStringLiteral("Unknown");
}

void TestFarm::statusReplyParses()
{
    QFETCH(QByteArray, reportedName);
    QFETCH(QString, storedName);
    QFETCH(QString, storedMap);
    Farm farm(1);
    farm.server(0).reportedName = reportedName;
    farm.addShot(0, GuidA, Farm::Plant::None, "Anna");

    const QByteArray query = vh::servers::statusQueryPacket();
    const QByteArray reply = StatusResponder::answer(query, farm.statusReply(0));
    QCOMPARE(reply.mid(1, 4), query.mid(3, 4));
    const auto parsed = vh::servers::parseStatusReply(reply);
    QVERIFY(parsed.has_value());
    QCOMPARE(parsed->hostName, storedName);
    QCOMPARE(parsed->map, storedMap);
    QVERIFY(reply.contains(QByteArray("player_\0\0Anna\0", 14)));
    QVERIFY(StatusResponder::answer("hello", farm.statusReply(0)).isEmpty());
}

void TestFarm::uploadIsKeptAsSent()
{
    // the program's form: fourteen dashes before the boundary word, a PNG with bytes 0 and 255
    Farm farm(1);
    const QByteArray png("\x89PNG\x00\xff\r\n", 8);
    const QByteArray body =
        "--------------f89awenrh8f8\r\nContent-Disposition: form-data; name=\"file\"; file=\"/w/a.png\""
        "\r\n\r\n" +
        png +
        "\r\n--------------f89awenrh8f8\r\nContent-Disposition: form-data; "
        "name=\"url\"\r\n\r\nhttp://h/pb000001.png\r\n--------------f89awenrh8f8--";
    httplib::Client client("127.0.0.1", farm.http().port());
    const auto response =
        client.Post("/verified/index.php?", body.toStdString(), "multipart/form-data; boundary=f89awenrh8f8");
    QVERIFY(response && response->status == 200);
    QCOMPARE(farm.http().posts().size(), 1);
    QCOMPARE(farm.http().posts().first().body, body);
    const QJsonArray uploads = farm.manifest().value(QStringLiteral("uploads")).toArray();
    QCOMPARE(uploads.first().toObject().value(QStringLiteral("url")).toString(),
             QStringLiteral("http://h/pb000001.png"));
}

QTEST_GUILESS_MAIN(TestFarm)
#include "tst_farm.moc"
