#include "base/Settings.h"
#include "servers/IpRangesFile.h"
#include "servers/ProviderTable.h"
#include "servers/ServerList.h"
#include "servers/StatusQuery.h"
#include "servers/StatusReply.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <memory>
#include <vector>

using namespace vh::servers;
using vh::base::Setting;

namespace {

// A GameSpy version-2 reply as servers send it: keys and values separated by zero bytes.
QByteArray reply(const QByteArray& hostName, const QByteArray& map)
{
    return QByteArray("\x00\x04\x05\x06\x07hostname\0", 14) + hostName +
           QByteArray("\0gamename\0armygame\0mapname\0", 27) + map + QByteArray("\0gametype\0coop\0", 15);
}

// Game servers on loopback addresses 127.0.0.2 and up, all on one port, each remembering what it was asked.
class Responders
{
public:
    explicit Responders(int count)
    {
        // the port comes free on 127.0.0.2; a few tries find one that is free on the other addresses too
        for (int attempt = 0; attempt < 10 && int(sockets.size()) < count; ++attempt) {
            sockets.clear();
            port = 0;
            for (int i = 0; i < count; ++i) {
                auto socket = std::make_unique<QUdpSocket>();
                if (!socket->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(i + 2)), port))
                    break;
                port = socket->localPort();
                sockets.push_back(std::move(socket));
            }
        }
        if (int(sockets.size()) < count)
            qFatal("cannot bind the responders on 127.0.0.2 and up");
    }
    // The query server i received, waiting for it; empty when none came.
    QNetworkDatagram received(int i)
    {
        QUdpSocket& s = *sockets.at(std::size_t(i));
        if (!s.hasPendingDatagrams())
            s.waitForReadyRead(2000);
        return s.hasPendingDatagrams() ? s.receiveDatagram() : QNetworkDatagram();
    }

    quint16 port = 0;
    std::vector<std::unique_ptr<QUdpSocket>> sockets;
};

struct Fixture
{
    explicit Fixture(int servers)
    {
        LoadIpRanges("Provider:Demo Hosting\r\nRange:127.0.0.2-" + QByteArray::number(servers - 1) + "\r\n", providers,
                     list);
        query.setPort(responders.port);
    }
    vh::base::Settings settings;
    ProviderTable providers;
    ServerList list;
    Responders responders{5};
    StatusQuery query{list, providers, settings};
};

} // namespace

class TestStatusQuery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void cursor_data();
    void cursor();
    void onlyTheAskedServerIsHeard();
};

void TestStatusQuery::parse_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("map");
    QTest::newRow("official EU with number")
        << reply("U.S. Army Official EU 12", "Bridge") << UnknownText << UnknownText;
    QTest::newRow("official-like but not official")
        << reply("U.S. Army Official Europe", "Dusk") << QStringLiteral("U.S. Army Official Europe")
        << QStringLiteral("Dusk");
    QTest::newRow("two codes in a row") << reply("\x1b"
                                                 "abc\x1b"
                                                 "defName \x1b"
                                                 "g",
                                                 "Dusk")
                                        << QStringLiteral("Name") << QStringLiteral("Dusk");
    QTest::newRow("line breaks in the name")
        << reply("Evil0\r\n127.0.0.10\r\nInjected Map\r\nSecond", "Dusk")
        << QStringLiteral("Evil0127.0.0.10Injected MapSecond") << QStringLiteral("Dusk");
    QTest::newRow("control characters in the map")
        << reply("Name", "\tDu\x01sk\x7f\n") << QStringLiteral("Name") << QStringLiteral("Dusk");
    QTest::newRow("markers in capitals") << QByteArray("\\HOSTNAME\\Big\\GameName\\x\\MAPNAME\\Hill\\GAMETYPE\\y")
                                         << QStringLiteral("Big") << QStringLiteral("Hill");
    QTest::newRow("missing gametype") << QByteArray("\\hostname\\A\\gamename\\x\\mapname\\Hill\\") << QString()
                                      << QString();
    QTest::newRow("host followed by another key")
        << QByteArray("\\hostname\\A\\numplayers\\3\\mapname\\M\\gametype\\x") << QString() << QString();
    QTest::newRow("escape code at the end of a value")
        << QByteArray("\\hostname\\ab\x1b\\gamename\\\\mapname\\m\\gametype\\") << QStringLiteral("ab")
        << QStringLiteral("m");
}

void TestStatusQuery::parse()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, name);
    QFETCH(QString, map);
    const auto result = parseStatusReply(datagram);
    // no name: the datagram is not a status reply
    QCOMPARE(result.has_value(), !name.isEmpty());
    if (result) {
        QCOMPARE(result->hostName, name);
        QCOMPARE(result->map, map);
    }
}

void TestStatusQuery::cursor_data()
{
    QTest::addColumn<int>("servers");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("valid");
    QTest::addColumn<int>("asked");
    QTest::addColumn<QString>("next");
    QTest::newRow("3 servers at position 2") << 3 << QStringLiteral("2") << QString() << 2 << QStringLiteral("0");
    QTest::newRow("position 5 of 5 servers") << 5 << QStringLiteral("5") << QString() << 0 << QStringLiteral("1");
    QTest::newRow("GameSpy skips to the next valid")
        << 5 << QStringLiteral("1") << QStringLiteral("00010") << 3 << QStringLiteral("4");
    QTest::newRow("GameSpy without valid after position")
        << 5 << QStringLiteral("2") << QStringLiteral("11000") << 2 << QStringLiteral("3");
}

void TestStatusQuery::cursor()
{
    QFETCH(int, servers);
    QFETCH(QString, position);
    QFETCH(QString, valid);
    QFETCH(int, asked);
    QFETCH(QString, next);
    Fixture f(servers);
    f.settings.setValue(Setting::DiscoveryCursor, position);
    if (!valid.isEmpty()) {
        f.settings.setValue(Setting::UseGameSpy, QStringLiteral("1"));
        for (int i = 0; i < valid.size(); ++i)
            f.list.at(i).Valid = valid.at(i) == QLatin1Char('1');
    }
    f.list.at(asked).ServerName = QStringLiteral("Old");
    f.query.SendStatusQuery();
    QCOMPARE(f.query.QueryIndex(), asked);
    QCOMPARE(f.list.at(asked).ServerName, UnknownText);
    QCOMPARE(f.settings.value(Setting::DiscoveryCursor), next);
    const QNetworkDatagram query = f.responders.received(asked);
    QCOMPARE(query.data(), QByteArray("\xFE\xFD\x00\x04\x05\x06\x07\xFF\xFF\xFF", 10));
}

void TestStatusQuery::onlyTheAskedServerIsHeard()
{
    Fixture f(3);
    QSignalSpy answered(&f.query, &StatusQuery::serverAnswered);
    f.query.SendStatusQuery();
    const QNetworkDatagram query = f.responders.received(0);
    QVERIFY(query.isValid());
    // another server of the list and a host outside it both answer in the name of server 0
    f.responders.sockets.at(2)->writeDatagram(reply("Forged", "Bridge"), query.senderAddress(), query.senderPort());
    QUdpSocket outsider;
    QVERIFY(outsider.bind(QHostAddress(QStringLiteral("127.0.0.77")), 0));
    outsider.writeDatagram(reply("Forged too", "Bridge"), query.senderAddress(), query.senderPort());
    QVERIFY(!answered.wait(500));
    QCOMPARE(f.list.at(0).ServerName, UnknownText);

    f.responders.sockets.at(0)->writeDatagram(reply("\x1b"
                                                    "r1g Real  ",
                                                    "Dusk"),
                                              query.senderAddress(), query.senderPort());
    QVERIFY(answered.wait(3000));
    QCOMPARE(answered.at(0).at(0).toInt(), 0);
    QCOMPARE(f.list.at(0).ServerName, QStringLiteral("Real"));
    QCOMPARE(f.list.at(0).RunningMap, QStringLiteral("Dusk"));
    QCOMPARE(f.list.at(2).ServerName, UnknownText);
}

QTEST_GUILESS_MAIN(TestStatusQuery)
#include "tst_statusquery.moc"
