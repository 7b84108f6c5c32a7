#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "servers/IpRangesFile.h"
#include "servers/ServerDiscovery.h"
#include "util/TestWorkspace.h"

#include <QtTest>

using namespace vh::servers;

namespace {

QStringList addresses(const ServerList& list)
{
    QStringList out;
    for (int i = 0; i < list.ServerCount(); ++i)
        out << list.at(i).IP;
    return out;
}

// A file of n ranges of 256 addresses, one provider.
QByteArray fullRanges(int n)
{
    QByteArray file = "Provider:Big\r\nProviderpath:http://%ip%/pbsvss.htm\r\n";
    for (int r = 0; r < n; ++r)
        file += "Range:10." + QByteArray::number(r / 256) + '.' + QByteArray::number(r % 256) + ".0-255\r\n";
    return file;
}

} // namespace

class TestIpRanges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rangesBecomeServers_data();
    void rangesBecomeServers();
    void badRangeEndsLoading_data();
    void badRangeEndsLoading();
    void serverLimitEndsLoading();
    void fileRoundTripAndMissingFile();
    void reloadKeepsNamesOfSlots();
    void saveWritesRangesUnderEveryProviderOfTheName();
    void deleteProviderKeepsOwnersOfLaterRanges();
    void applyRangeOrdersFromAndTo();
};

void TestIpRanges::rangesBecomeServers_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("servers"); // "address page-url" per server, separated by ", "
    QTest::newRow("one address") << QByteArray("Provider:P\r\nProviderpath:http://%ip%/x\r\nRange:192.168.0.10-0\r\n")
                                 << QStringLiteral("192.168.0.10 http://192.168.0.10/x");
    QTest::newRow("span counts further addresses")
        << QByteArray("Provider:P\r\nProviderpath:u%ip%\r\nRange:10.1.2.5-2\r\n")
        << QStringLiteral("10.1.2.5 u10.1.2.5, 10.1.2.6 u10.1.2.6, 10.1.2.7 u10.1.2.7");
    QTest::newRow("range before any path")
        << QByteArray("Provider:P\r\nRange:1.2.3.4-0\r\nProviderpath:x%ip%\r\n") << QStringLiteral("1.2.3.4 ");
    QTest::newRow("placeholder in capitals, twice")
        << QByteArray("Provider:P\r\nProviderpath:http://%IP%:81/%Ip%/pbsvss.htm\r\nRange:1.2.3.255-0\r\n")
        << QStringLiteral("1.2.3.255 http://1.2.3.255:81/1.2.3.255/pbsvss.htm");
    QTest::newRow("keywords are case-sensitive and start the line")
        << QByteArray("Provider:P\r\nrange:1.2.3.4-0\r\nxRange:1.2.3.6-0\r\nRANGE:1.2.3.7-0\r\n") << QString();
    QTest::newRow("range without dash is skipped")
        << QByteArray("Provider:P\r\nRange:1.2.3.4\r\nRange:1.2.3-4\r\nRange:5.6.7.8-0\r\n")
        << QStringLiteral("5.6.7.8 ");
    QTest::newRow("a comma splits a line into two items")
        << QByteArray("Provider:P,Range:4.4.4.4-0\r\n") << QStringLiteral("4.4.4.4 ");
}

void TestIpRanges::rangesBecomeServers()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, servers);
    ProviderTable providers;
    ServerList list;
    QVERIFY(LoadIpRanges(file, providers, list).isEmpty());
    QStringList got;
    for (int i = 0; i < list.ServerCount(); ++i)
        got << list.at(i).IP + QLatin1Char(' ') + list.at(i).PageURL;
    QCOMPARE(got.join(QStringLiteral(", ")), servers);
}

void TestIpRanges::badRangeEndsLoading_data()
{
    QTest::addColumn<QByteArray>("badLine");
    QTest::addColumn<QString>("reason");
    QTest::newRow("octet 256") << QByteArray("Range:10.256.0.1-0") << QStringLiteral("Number does not fit 0 to 255");
    QTest::newRow("not a number") << QByteArray("Range:10.0.x.0-0") << QStringLiteral("Number does not fit 0 to 255");
    QTest::newRow("span passes 255") << QByteArray("Range:10.0.0.250-6") << QStringLiteral("Range passes 255");
}

void TestIpRanges::badRangeEndsLoading()
{
    QFETCH(QByteArray, badLine);
    QFETCH(QString, reason);
    const QByteArray file =
        "Provider:P\r\nProviderpath:%ip%\r\nRange:1.1.1.1-1\r\n" + badLine + "\r\nRange:2.2.2.2-0\r\nProvider:Q\r\n";
    ProviderTable providers;
    ServerList servers;
    const QStringList problems = LoadIpRanges(file, providers, servers);
    QCOMPARE(problems, QStringList{QStringLiteral("Problems in Loading IP-Ranges, error:") + reason +
                                   QStringLiteral(" in line 4: ") + QString::fromLatin1(badLine)});
    QCOMPARE(addresses(servers), (QStringList{QStringLiteral("1.1.1.1"), QStringLiteral("1.1.1.2")}));
    QCOMPARE(providers.ProviderCount(), 1);
    // the bad range is not kept, so a save cannot write it back
    QCOMPARE(providers.IpRangeCount(), 1);
}

void TestIpRanges::serverLimitEndsLoading()
{
    ProviderTable providers;
    ServerList servers;
    QVERIFY(LoadIpRanges(fullRanges(127) + "Range:10.9.9.0-254\r\n", providers, servers).isEmpty());
    QCOMPARE(servers.ServerCount(), ServerList::MaxServers);

    const QStringList problems = LoadIpRanges(fullRanges(128) + "Provider:Later\r\n", providers, servers);
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.first().contains(QStringLiteral("More than 32767 servers in line 130: Range:10.0.127.0-255")),
             qPrintable(problems.first()));
    QCOMPARE(servers.ServerCount(), ServerList::MaxServers);
    QCOMPARE(servers.at(ServerList::MaxServers - 1).IP, QStringLiteral("10.0.127.254"));
    QCOMPARE(providers.ProviderCount(), 1);

    QByteArray many;
    for (int p = 1; p <= 101; ++p)
        many += "Provider:P" + QByteArray::number(p) + "\r\n";
    QCOMPARE(LoadIpRanges(many, providers, servers).size(), 1);
    QCOMPARE(providers.ProviderCount(), ProviderTable::MaxProviders);
}

void TestIpRanges::fileRoundTripAndMissingFile()
{
    vh::test::TestWorkspace ws;
    vh::base::Settings settings;
    vh::base::ActivityLog log(settings);
    vh::base::Workspace workspace(ws.base());
    ServerDiscovery discovery(settings, log, workspace);
    const QByteArray file = "Provider:H\xe9tzner\r\nProviderpath:http://%ip%/pb/pbsvss.htm\r\nRange:5.6.7.8-1\r\n"
                            "Provider:Two\r\nProviderpath:\r\n";
    ws.write(QStringLiteral("data/ipranges.dat"), file);
    QVERIFY(discovery.LoadIpRanges());
    QCOMPARE(discovery.providers().provider(1).Name, QStringLiteral("H\u00e9tzner"));
    discovery.SaveIpRanges();
    QCOMPARE(ws.read(QStringLiteral("data/ipranges.dat")), file);

    // a missing file changes nothing
    QVERIFY(QFile::remove(ws.path(QStringLiteral("data/ipranges.dat"))));
    QVERIFY(!discovery.LoadIpRanges());
    QCOMPARE(discovery.servers().ServerCount(), 2);
    QCOMPARE(discovery.providers().ProviderCount(), 2);
}

void TestIpRanges::reloadKeepsNamesOfSlots()
{
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges("Provider:P\r\nRange:1.1.1.1-1\r\n", providers, servers);
    servers.at(0).ServerName = QStringLiteral("First");
    servers.at(1).ServerName = QStringLiteral("Second");
    servers.at(0).Valid = true;

    LoadIpRanges("Provider:P\r\nRange:1.1.1.1-0\r\nRange:7.7.7.7-1\r\n", providers, servers);
    QCOMPARE(servers.ServerCount(), 3);
    QCOMPARE(servers.at(0).ServerName, QStringLiteral("First"));
    QVERIFY(!servers.at(0).Valid);
    // the slot now holds another address but keeps the old name until a status reply comes
    QCOMPARE(servers.at(1).IP, QStringLiteral("7.7.7.7"));
    QCOMPARE(servers.at(1).ServerName, QStringLiteral("Second"));
    QCOMPARE(servers.at(2).ServerName, UnknownText);
    QCOMPARE(servers.indexOf(QStringLiteral("7.7.7.8")), 2);
    QCOMPARE(servers.indexOf(QStringLiteral("1.1.1.2")), -1);
}

void TestIpRanges::saveWritesRangesUnderEveryProviderOfTheName()
{
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges("Provider:Same\r\nProviderpath:a\r\nRange:1.1.1.1-0\r\nProvider:Other\r\nProviderpath:b\r\n"
                 "Range:2.2.2.2-3\r\nProvider:Same\r\nProviderpath:c\r\nRange:3.3.3.3-0\r\n",
                 providers, servers);
    QCOMPARE(providers.serialize(),
             QByteArray("Provider:Same\r\nProviderpath:a\r\nRange:1.1.1.1-0\r\nRange:3.3.3.3-0\r\n"
                        "Provider:Other\r\nProviderpath:b\r\nRange:2.2.2.2-3\r\n"
                        "Provider:Same\r\nProviderpath:c\r\nRange:1.1.1.1-0\r\nRange:3.3.3.3-0\r\n"));
}

void TestIpRanges::deleteProviderKeepsOwnersOfLaterRanges()
{
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges("Provider:A\r\nRange:1.1.1.1-0\r\nProvider:B\r\nRange:2.2.2.2-0\r\nProvider:A\r\nRange:3.3.3.3-0\r\n"
                 "Provider:C\r\nRange:4.4.4.4-0\r\nRange:4.4.4.8-0\r\n",
                 providers, servers);
    providers.deleteProvider(1);
    QCOMPARE(providers.ProviderCount(), 2);
    QCOMPARE(providers.provider(1).Name, QStringLiteral("B"));
    QCOMPARE(providers.provider(2).Name, QStringLiteral("C"));
    QCOMPARE(providers.IpRangeCount(), 3);
    QCOMPARE(providers.rangesOf(1), QList<int>{1});
    QCOMPARE(providers.rangesOf(2), (QList<int>{2, 3}));

    providers.deleteRange(2);
    QCOMPARE(providers.rangesOf(2), QList<int>{2});
    QCOMPARE(providers.range(2).A, quint8(4));
}

void TestIpRanges::applyRangeOrdersFromAndTo()
{
    ProviderTable providers;
    providers.addProvider(QStringLiteral("P"), ProviderTable::DefaultPath);
    providers.addRange(IpRange{0, 0, 0, 0, 0, 1});
    providers.applyRange(1, 10, 20, 30, 40, 45);
    QCOMPARE(ProviderTable::rangeText(providers.range(1)), QStringLiteral("10.20.30.40 - 10.20.30.45"));
    providers.applyRange(1, 10, 20, 30, 40, 12);
    QCOMPARE(ProviderTable::rangeText(providers.range(1)), QStringLiteral("10.20.30.40 - 10.20.30.40"));
    QCOMPARE(providers.range(1).Span, quint8(0));
}

QTEST_GUILESS_MAIN(TestIpRanges)
#include "tst_ipranges.moc"
