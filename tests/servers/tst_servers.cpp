#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "servers/IpRangesFile.h"
#include "servers/ProviderTable.h"
#include "servers/ServerDiscovery.h"
#include "servers/StatusReply.h"
#include "util/LocalHttpServer.h"
#include "util/LogLines.h"
#include "util/TestWorkspace.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <memory>
#include <vector>

using namespace vh::servers;
using vh::base::Setting;

namespace {

// The lister's stand-in: records its arguments, copies output.txt into the file named after -o.
const QByteArray StandInLister = "#!/bin/sh\n"
                                 "dir=$(dirname \"$0\")\n"
                                 "printf '%s\\n' \"$*\" >> \"$dir/calls.txt\"\n"
                                 "if [ \"$5\" = \"-o\" ]; then cat \"$dir/output.txt\" > \"$6\"; fi\n";

struct Fixture
{
    explicit Fixture(const QByteArray& ranges)
    {
        ws.write(QStringLiteral("data/ipranges.dat"), ranges);
        discovery.LoadIpRanges();
    }
    void installLister(const QByteArray& script)
    {
        const QString program = ws.write(QStringLiteral("gslist/gslist"), script);
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        ws.write(QStringLiteral("gslist/output.txt"), "h\nh\nh\nh\n1.1.1.3 1717\n5.5.5.5 1717\n");
    }

    vh::test::TestWorkspace ws;
    vh::base::Settings settings;
    vh::base::ActivityLog log{settings};
    vh::base::Workspace workspace{ws.base()};
    ServerDiscovery discovery{settings, log, workspace};
};

// "address page-url" per server, separated by ", ".
QString describe(const ServerList& list)
{
    QStringList out;
    for (int i = 0; i < list.ServerCount(); ++i)
        out << list.at(i).IP + QLatin1Char(' ') + list.at(i).PageURL;
    return out.join(QStringLiteral(", "));
}

// A GameSpy version-2 reply as servers send it: keys and values separated by zero bytes.
QByteArray reply(const QByteArray& hostName, const QByteArray& map)
{
    return QByteArray("\x00\x04\x05\x06\x07hostname\0", 14) + hostName +
           QByteArray("\0gamename\0armygame\0mapname\0", 27) + map + QByteArray("\0gametype\0coop\0", 15);
}

// Five game servers on 127.0.0.2 and up, all on one port.
struct GameServers
{
    GameServers()
    {
        // the port comes free on 127.0.0.2; a few tries find one that is free on the other addresses too
        for (int attempt = 0; attempt < 10 && sockets.size() < 5; ++attempt) {
            sockets.clear();
            port = 0;
            for (int i = 0; i < 5; ++i) {
                auto socket = std::make_unique<QUdpSocket>();
                if (!socket->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(i + 2)), port))
                    break;
                port = socket->localPort();
                sockets.push_back(std::move(socket));
            }
        }
        if (sockets.size() < 5)
            qFatal("cannot bind the game servers on 127.0.0.2 and up");
    }
    // The query game server i received, waiting for it; empty when none came.
    QNetworkDatagram received(int i)
    {
        sockets.at(std::size_t(i))->waitForReadyRead(2000);
        return sockets.at(std::size_t(i))->receiveDatagram();
    }

    quint16 port = 0;
    std::vector<std::unique_ptr<QUdpSocket>> sockets;
};

} // namespace

class TestServers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadRanges_data();
    void loadRanges();
    void limitsEndLoading();
    void reloadKeepsNamesOfSlots();
    void editsKeepOwnersAndOrder();
    void filesRoundTrip();
    void selection_data();
    void selection();
    void markValid_data();
    void markValid();
    void query_data();
    void query();
    void downloadProviderInfo_data();
    void downloadProviderInfo();
    void parseStatusReply_data();
    void parseStatusReply();
    void statusQueryCursor_data();
    void statusQueryCursor();
    void onlyTheAskedServerIsHeard();
};

void TestServers::loadRanges_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("servers");
    QTest::addColumn<QString>("problem");
    QTest::newRow("span counts further addresses")
        << QByteArray("Provider:P\r\nProviderpath:u%ip%\r\nRange:10.1.2.5-2\r\n")
        << QStringLiteral("10.1.2.5 u10.1.2.5, 10.1.2.6 u10.1.2.6, 10.1.2.7 u10.1.2.7") << QString();
    QTest::newRow("range before any path") << QByteArray("Provider:P\r\nRange:1.2.3.4-0\r\nProviderpath:x%ip%\r\n")
                                           << QStringLiteral("1.2.3.4 ") << QString();
    QTest::newRow("placeholder in capitals, twice")
        << QByteArray("Provider:P\r\nProviderpath:http://%IP%:81/%Ip%/pbsvss.htm\r\nRange:1.2.3.255-0\r\n")
        << QStringLiteral("1.2.3.255 http://1.2.3.255:81/1.2.3.255/pbsvss.htm") << QString();
    QTest::newRow("keywords are case-sensitive and start the line")
        << QByteArray("Provider:P\r\nrange:1.2.3.4-0\r\nxRange:1.2.3.6-0\r\n") << QString() << QString();
    QTest::newRow("range without dash is skipped, a comma splits items")
        << QByteArray("Provider:P\r\nRange:1.2.3.4\r\nRange:1.2.3-4,Range:5.6.7.8-0\r\n") << QStringLiteral("5.6.7.8 ")
        << QString();
    QTest::newRow("octet 256 ends loading")
        << QByteArray("Provider:P\r\nRange:1.1.1.1-0\r\nRange:10.256.0.1-0\r\nRange:2.2.2.2-0\r\n")
        << QStringLiteral("1.1.1.1 ") << QStringLiteral("Number does not fit 0 to 255 in line 3: Range:10.256.0.1-0");
    QTest::newRow("span passing 255 ends loading")
        << QByteArray("Provider:P\r\nRange:10.0.0.250-6\r\nProvider:Q\r\n") << QString()
        << QStringLiteral("Range passes 255 in line 2: Range:10.0.0.250-6");
}

void TestServers::loadRanges()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, servers);
    QFETCH(QString, problem);
    ProviderTable providers;
    ServerList list;
    const QStringList problems = LoadIpRanges(file, providers, list);
    QCOMPARE(problems.join(QString()).section(QLatin1Char(':'), 1), problem);
    QCOMPARE(describe(list), servers);
    QCOMPARE(providers.ProviderCount(), 1);
    // a bad range is not kept, so a save cannot write it back
    QCOMPARE(providers.IpRangeCount(), list.ServerCount() ? 1 : 0);
}

void TestServers::limitsEndLoading()
{
    ProviderTable providers;
    ServerList servers;
    // 128 ranges of 256 addresses
    QByteArray file = "Provider:Big\r\n";
    for (int r = 0; r < 128; ++r)
        file += "Range:10.0." + QByteArray::number(r) + ".0-255\r\n";
    const QStringList problems = LoadIpRanges(file + "Provider:Later\r\n", providers, servers);
    QVERIFY(problems.value(0).endsWith(QStringLiteral("More than 32767 servers in line 129: Range:10.0.127.0-255")));
    QCOMPARE(servers.at(ServerList::MaxServers - 1).IP, QStringLiteral("10.0.127.254"));
    QCOMPARE(providers.ProviderCount(), 1);

    QByteArray many;
    for (int p = 1; p <= 101; ++p)
        many += "Provider:P" + QByteArray::number(p) + "\r\n";
    QCOMPARE(LoadIpRanges(many, providers, servers).size(), 1);
    QCOMPARE(providers.ProviderCount(), ProviderTable::MaxProviders);
}

void TestServers::reloadKeepsNamesOfSlots()
{
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges("Provider:P\r\nRange:1.1.1.1-1\r\n", providers, servers);
    servers.at(1).ServerName = QStringLiteral("Second");
    servers.at(0).Valid = true;

    LoadIpRanges("Provider:P\r\nRange:1.1.1.1-0\r\nRange:7.7.7.7-1\r\n", providers, servers);
    QVERIFY(!servers.at(0).Valid);
    // the slot now holds another address but keeps the old name until a status reply comes
    QCOMPARE(servers.at(1).ServerName, QStringLiteral("Second"));
    QCOMPARE(servers.at(2).ServerName, UnknownText);
    QCOMPARE(servers.indexOf(QStringLiteral("7.7.7.8")), 2);
    QCOMPARE(servers.indexOf(QStringLiteral("1.1.1.2")), -1);
}

void TestServers::editsKeepOwnersAndOrder()
{
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges("Provider:A\r\nProviderpath:a\r\nRange:1.1.1.1-0\r\nProvider:B\r\nRange:2.2.2.2-0\r\n"
                 "Provider:A\r\nRange:3.3.3.3-0\r\nProvider:C\r\nRange:4.4.4.4-0\r\nRange:4.4.4.8-0\r\n",
                 providers, servers);
    // the ranges of a name are written under every provider of that name
    QVERIFY(providers.serialize().startsWith("Provider:A\r\nProviderpath:a\r\nRange:1.1.1.1-0\r\nRange:3.3.3.3-0\r\n"));
    providers.deleteProvider(1);
    QCOMPARE(providers.rangesOf(1), QList<int>{1});
    QCOMPARE(providers.rangesOf(2), (QList<int>{2, 3}));

    // a range applied with its end below its start ends where it starts
    providers.applyRange(2, 10, 20, 30, 40, 12);
    QCOMPARE(ProviderTable::rangeText(providers.range(2)), QStringLiteral("10.20.30.40 - 10.20.30.40"));
}

void TestServers::filesRoundTrip()
{
    const QByteArray ranges = "Provider:H\xe9tzner\r\nProviderpath:http://%ip%/pb/pbsvss.htm\r\nRange:1.1.1.1-4\r\n"
                              "Provider:Two\r\nProviderpath:\r\n";
    Fixture f(ranges);
    f.discovery.SaveIpRanges();
    QCOMPARE(f.ws.read(QStringLiteral("data/ipranges.dat")), ranges);
    // a name saved with a line break in it shifts its record; the records after it are read again
    f.ws.write(QStringLiteral("data/servers.dat"), "Alpha\r\n1.1.1.2\r\nBridge\r\n"
                                                   "Gone\r\n9.9.9.9\r\nIsland\r\n"
                                                   "Blank\r\n1.1.1.1\r\n\r\n"
                                                   "Evil\r\nBr\xf6ken\r\n1.1.1.3\r\nBridge\r\n"
                                                   "Beta\r\n1.1.1.4\r\nDusk\r\n"
                                                   "Cut\r\n1.1.1.1\r\n");
    f.discovery.LoadServers();
    // an address not in the list still brings its map; an empty map does not
    QCOMPARE(f.discovery.filters().maps,
             (QStringList{QStringLiteral("Bridge"), QStringLiteral("Island"), QStringLiteral("Dusk")}));
    // the fifth server has no map yet and is left out
    f.discovery.SaveServers();
    QCOMPARE(f.ws.read(QStringLiteral("data/servers.dat")),
             QByteArray("Blank\r\n1.1.1.1\r\n\r\nAlpha\r\n1.1.1.2\r\nBridge\r\nBr\xf6ken\r\n1.1.1.3\r\nBridge\r\n"
                        "Beta\r\n1.1.1.4\r\nDusk\r\n"));
    QVERIFY(QFile::remove(f.ws.path(QStringLiteral("data/ipranges.dat"))));
    QVERIFY(!f.discovery.LoadIpRanges());
    QCOMPARE(f.discovery.servers().ServerCount(), 5);
}

void TestServers::selection_data()
{
    // the providers chosen, the name filter, the maps chosen of Bridge, Dusk, unknown, Bridge
    QTest::addColumn<QString>("filters");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("one map") << QStringLiteral("11 All 1000") << QList<int>{0, 2, 4};
    QTest::newRow("deselected provider hides its servers") << QStringLiteral("10 All 1100") << QList<int>{0, 1};
    QTest::newRow("AASA in any letter case") << QStringLiteral("11 AASA 1100") << QList<int>{0, 1};
    QTest::newRow("unknown map never shown") << QStringLiteral("11 All 0010") << QList<int>{};
    QTest::newRow("map listed twice adds twice") << QStringLiteral("11 All 1001") << QList<int>{0, 0, 2, 2, 4, 4};
}

void TestServers::selection()
{
    QFETCH(QString, filters);
    QFETCH(QList<int>, expected);
    ProviderTable table;
    ServerList servers;
    LoadIpRanges("Provider:One\r\nRange:1.1.1.1-1\r\nProvider:Two\r\nRange:2.2.2.1-2\r\n", table, servers);
    const QStringList names =
        QStringLiteral("AASA Alpha,our aAsA beta,ACI Gamma,Plain,Plain Two").split(QLatin1Char(','));
    const QString bridge = QStringLiteral("Bridge");
    const QStringList maps{bridge, QStringLiteral("Dusk"), bridge, UnknownText, bridge};
    for (int i = 0; i < 5; ++i) {
        servers.at(i).ServerName = names.at(i);
        servers.at(i).RunningMap = maps.at(i);
    }
    ServerFilterState state;
    state.maps = QStringList{bridge, QStringLiteral("Dusk"), UnknownText, bridge};
    const QStringList parts = filters.split(QLatin1Char(' '));
    for (QChar c : parts.at(0))
        state.providerSelected.push_back(c == QLatin1Char('1'));
    state.nameFilter = parts.at(1);
    for (QChar c : parts.at(2))
        state.mapSelected.push_back(c == QLatin1Char('1'));

    QList<int> got;
    for (const SelectionItem& item : FillServerSelection(servers, state))
        got << item.server;
    QCOMPARE(got, expected);
}

void TestServers::markValid_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("valid");
    QTest::addColumn<int>("total");
    QTest::newRow("line without blank skipped") << QByteArray("h\nh\nh\nh\n1.1.1.1\n") << 0 << 5;
    QTest::newRow("CR LF lines") << QByteArray("a\r\nb\r\nc\r\nd\r\n1.1.1.1 1717\r\n") << 1 << 5;
    QTest::newRow("header lines are never read") << QByteArray("1.1.1.1 x\n").repeated(4) << 0 << 4;
}

void TestServers::markValid()
{
    QFETCH(QByteArray, output);
    QFETCH(int, valid);
    QFETCH(int, total);
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges("Provider:P\r\nRange:1.1.1.1-1\r\n", providers, servers);
    const ServerList::GslistResult result = servers.markValid(output);
    QCOMPARE(result.valid, valid);
    QCOMPARE(result.total, total);
}

void TestServers::query_data()
{
    QTest::addColumn<QByteArray>("script"); // empty: no lister installed
    QTest::addColumn<QString>("messages");
    QTest::newRow("lister output is read") << StandInLister << QStringLiteral("1 servers of 6 found valid");
    QTest::newRow("missing lister") << QByteArray() << QStringLiteral("0 found valid");
    QTest::newRow("hanging lister is stopped")
        << QByteArray("#!/bin/sh\nexec sleep 60\n")
        << QStringLiteral("gslist did not end within 1 seconds and was stopped|0 found valid");
}

void TestServers::query()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, messages);
    Fixture f("Provider:P\r\nRange:1.1.1.1-2\r\n");
    if (!script.isEmpty())
        f.installLister(script);
    f.discovery.setGslistTimeout(1000);
    f.discovery.QueryGameSpyServerList();
    QCOMPARE(vh::test::logMessages(f.log).mid(1).join(QLatin1Char('|')), messages);
    QCOMPARE(f.discovery.servers().at(2).Valid, script == StandInLister);
    if (script == StandInLister) {
        // the first run's list of every server is only made while there is no list
        f.discovery.InitGslist();
        const QString listFile = f.ws.path(QStringLiteral("data/serverlist.txt"));
        QVERIFY(QFile::remove(listFile));
        f.discovery.InitGslist();
        QCOMPARE(f.ws.read(QStringLiteral("gslist/calls.txt")),
                 QStringLiteral("-n armygame -t 2 -o %1\n-M\n").arg(QDir::toNativeSeparators(listFile)).toLatin1());
    }
}

void TestServers::downloadProviderInfo_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("problem"); // empty: the download replaces the file
    QTest::newRow("replaces the file and reloads") << QStringLiteral("/ipranges.dat") << QString();
    QTest::newRow("not found") << QStringLiteral("/missing") << QStringLiteral("Not Found");
    QTest::newRow("larger than the limit") << QStringLiteral("/big") << QStringLiteral("larger than 65536 bytes");
    QTest::newRow("server stalls") << QStringLiteral("/stall") << QStringLiteral("error:");
    QTest::newRow("not an http address") << QStringLiteral("file:///x") << QStringLiteral("No valid address");
}

void TestServers::downloadProviderInfo()
{
    QFETCH(QString, path);
    QFETCH(QString, problem);
    const QByteArray served = "Provider:New\r\nRange:10.0.0.1-4\r\n";
    const QByteArray old = "Provider:Old\r\nRange:1.1.1.1-0\r\n";
    vh::test::LocalHttpServer publisher;
    publisher.serve(QStringLiteral("/ipranges.dat"), served, 0, "text/plain");
    publisher.serve(QStringLiteral("/big"), QByteArray(300 * 1024, 'x'));
    publisher.stall(QStringLiteral("/stall"));
    Fixture f(old);
    // the stalled server is given up on soon; the others answer well before their limit
    f.discovery.setDownloadTimeout(path == QLatin1String("/stall") ? 300 : 5000);
    f.discovery.setDownloadMaxBytes(64 * 1024);
    QSignalSpy rebuilt(&f.discovery, &ServerDiscovery::selectionRebuilt);
    const QString url = path.startsWith(QLatin1Char('/')) ? publisher.url(path) : path;
    QCOMPARE(f.discovery.DownloadProviderInfo(url), problem.isEmpty());
    QCOMPARE(f.ws.read(QStringLiteral("data/ipranges.dat")), problem.isEmpty() ? served : old);
    // the file is read again either way
    QCOMPARE(f.discovery.servers().ServerCount(), problem.isEmpty() ? 5 : 1);
    QCOMPARE(rebuilt.size(), 1);
    const QStringList messages = vh::test::logMessages(f.log);
    QCOMPARE(messages.size(), problem.isEmpty() ? 0 : 1);
    QVERIFY2(messages.join(QString()).contains(problem), qPrintable(messages.join(QString())));
}

void TestServers::parseStatusReply_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("name"); // empty: the datagram is not a status reply
    QTest::addColumn<QString>("map");
    QTest::newRow("official EU with number")
        << reply("U.S. Army Official EU 12", "Bridge") << UnknownText << UnknownText;
    QTest::newRow("two codes in a row") << reply("\033abc\033defName \033g", "Dusk") << QStringLiteral("Name")
                                        << QStringLiteral("Dusk");
    QTest::newRow("control characters in name and map")
        << reply("Evil0\r\n127.0.0.10\r\nSecond", "\tDu\x01sk\x7f\n") << QStringLiteral("Evil0127.0.0.10Second")
        << QStringLiteral("Dusk");
    QTest::newRow("markers in capitals") << QByteArray("\\HOSTNAME\\Big\\GameName\\x\\MAPNAME\\Hill\\GAMETYPE\\y")
                                         << QStringLiteral("Big") << QStringLiteral("Hill");
    QTest::newRow("missing gametype") << QByteArray("\\hostname\\A\\gamename\\x\\mapname\\Hill\\") << QString()
                                      << QString();
    QTest::newRow("host followed by another key")
        << QByteArray("\\hostname\\A\\numplayers\\3\\mapname\\M\\gametype\\x") << QString() << QString();
}

void TestServers::parseStatusReply()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, name);
    QFETCH(QString, map);
    const auto result = vh::servers::parseStatusReply(datagram);
    QCOMPARE(result.has_value(), !name.isEmpty());
    if (result) {
        QCOMPARE(result->hostName, name);
        QCOMPARE(result->map, map);
    }
}

void TestServers::statusQueryCursor_data()
{
    QTest::addColumn<int>("servers");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("valid"); // empty: GameSpy is not used
    QTest::addColumn<int>("asked");
    QTest::addColumn<QString>("next");
    QTest::newRow("3 servers at position 2") << 3 << QStringLiteral("2") << QString() << 2 << QStringLiteral("0");
    QTest::newRow("position 5 of 5 servers") << 5 << QStringLiteral("5") << QString() << 0 << QStringLiteral("1");
    QTest::newRow("GameSpy skips to the next valid")
        << 5 << QStringLiteral("1") << QStringLiteral("00010") << 3 << QStringLiteral("4");
    QTest::newRow("GameSpy without valid after position")
        << 5 << QStringLiteral("2") << QStringLiteral("11000") << 2 << QStringLiteral("3");
}

void TestServers::statusQueryCursor()
{
    QFETCH(int, servers);
    QFETCH(QString, position);
    QFETCH(QString, valid);
    QFETCH(int, asked);
    QFETCH(QString, next);
    Fixture f("Provider:P\r\nRange:127.0.0.2-" + QByteArray::number(servers - 1) + "\r\n");
    GameServers game;
    f.discovery.statusQuery().setPort(game.port);
    f.settings.setValue(Setting::DiscoveryCursor, position);
    if (!valid.isEmpty()) {
        f.settings.setValue(Setting::UseGameSpy, QStringLiteral("1"));
        for (int i = 0; i < valid.size(); ++i)
            f.discovery.servers().at(i).Valid = valid.at(i) == QLatin1Char('1');
    }
    f.discovery.servers().at(asked).ServerName = QStringLiteral("Old");
    f.discovery.statusQuery().SendStatusQuery();
    QCOMPARE(f.discovery.statusQuery().QueryIndex(), asked);
    QCOMPARE(f.discovery.servers().at(asked).ServerName, UnknownText);
    QCOMPARE(f.settings.value(Setting::DiscoveryCursor), next);
    QCOMPARE(game.received(asked).data(), QByteArray("\xFE\xFD\x00\x04\x05\x06\x07\xFF\xFF\xFF", 10));
}

void TestServers::onlyTheAskedServerIsHeard()
{
    Fixture f("Provider:P\r\nRange:127.0.0.2-2\r\n");
    GameServers game;
    StatusQuery& query = f.discovery.statusQuery();
    query.setPort(game.port);
    QSignalSpy answered(&query, &StatusQuery::serverAnswered);
    query.SendStatusQuery();
    const QNetworkDatagram asked = game.received(0);
    QVERIFY(asked.isValid());
    // another server of the list answers in the name of server 0
    game.sockets.at(2)->writeDatagram(reply("Forged", "Bridge"), asked.senderAddress(), asked.senderPort());
    QVERIFY(!answered.wait(300));
    QCOMPARE(f.discovery.servers().at(0).ServerName, UnknownText);

    game.sockets.at(0)->writeDatagram(reply("\033r1g Real  ", "Dusk"), asked.senderAddress(), asked.senderPort());
    QVERIFY(answered.wait(3000));
    QCOMPARE(answered.at(0).at(0).toInt(), 0);
    QCOMPARE(f.discovery.servers().at(0).ServerName, QStringLiteral("Real"));
    QCOMPARE(f.discovery.servers().at(0).RunningMap, QStringLiteral("Dusk"));
}

QTEST_GUILESS_MAIN(TestServers)
#include "tst_servers.moc"
