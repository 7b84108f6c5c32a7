#include "servers/IpRangesFile.h"
#include "servers/ProviderTable.h"
#include "servers/ServerList.h"

#include <QtTest>

using namespace vh::servers;

namespace {

// "address page-url" per server, separated by ", ".
QString describe(const ServerList& list)
{
    QStringList out;
    for (int i = 0; i < list.ServerCount(); ++i)
        out << list.at(i).IP + QLatin1Char(' ') + list.at(i).PageURL;
    return out.join(QStringLiteral(", "));
}

// A file of n ranges of 256 addresses, one provider.
QByteArray fullRanges(int n)
{
    QByteArray file = "Provider:Big\r\n";
    for (int r = 0; r < n; ++r)
        file += "Range:10." + QByteArray::number(r / 256) + '.' + QByteArray::number(r % 256) + ".0-255\r\n";
    return file;
}

} // namespace

class TestIpRanges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void load_data();
    void load();
    void serverLimitEndsLoading();
    void reloadKeepsNamesOfSlots();
    void editsKeepOwnersAndOrder();
};

void TestIpRanges::load_data()
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

void TestIpRanges::load()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, servers);
    QFETCH(QString, problem);
    ProviderTable providers;
    ServerList list;
    const QStringList problems = LoadIpRanges(file, providers, list);
    QCOMPARE(problems.join(QString()),
             problem.isEmpty() ? QString() : QStringLiteral("Problems in Loading IP-Ranges, error:") + problem);
    QCOMPARE(describe(list), servers);
    QCOMPARE(providers.ProviderCount(), 1);
    // a bad range is not kept, so a save cannot write it back
    QCOMPARE(providers.IpRangeCount(), list.ServerCount() ? 1 : 0);
}

void TestIpRanges::serverLimitEndsLoading()
{
    ProviderTable providers;
    ServerList servers;
    const QStringList problems = LoadIpRanges(fullRanges(128) + "Provider:Later\r\n", providers, servers);
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.first().contains(QStringLiteral("More than 32767 servers in line 129: Range:10.0.127.0-255")),
             qPrintable(problems.first()));
    QCOMPARE(servers.at(ServerList::MaxServers - 1).IP, QStringLiteral("10.0.127.254"));
    QCOMPARE(providers.ProviderCount(), 1);

    QByteArray many;
    for (int p = 1; p <= 101; ++p)
        many += "Provider:P" + QByteArray::number(p) + "\r\n";
    QCOMPARE(LoadIpRanges(many, providers, servers).size(), 1);
    QCOMPARE(providers.ProviderCount(), ProviderTable::MaxProviders);
}

void TestIpRanges::reloadKeepsNamesOfSlots()
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

void TestIpRanges::editsKeepOwnersAndOrder()
{
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges("Provider:A\r\nProviderpath:a\r\nRange:1.1.1.1-0\r\nProvider:B\r\nRange:2.2.2.2-0\r\n"
                 "Provider:A\r\nRange:3.3.3.3-0\r\nProvider:C\r\nRange:4.4.4.4-0\r\nRange:4.4.4.8-0\r\n",
                 providers, servers);
    // the ranges of a name are written under every provider of that name
    QVERIFY(providers.serialize().startsWith("Provider:A\r\nProviderpath:a\r\nRange:1.1.1.1-0\r\nRange:3.3.3.3-0\r\n"));
    providers.deleteProvider(1);
    QCOMPARE(providers.provider(2).Name, QStringLiteral("C"));
    QCOMPARE(providers.rangesOf(1), QList<int>{1});
    QCOMPARE(providers.rangesOf(2), (QList<int>{2, 3}));
    providers.deleteRange(2);
    QCOMPARE(providers.rangesOf(2), QList<int>{2});
    QCOMPARE(providers.range(2).A, quint8(4));

    // a range applied with its end below its start ends where it starts
    providers.applyRange(2, 10, 20, 30, 40, 12);
    QCOMPARE(ProviderTable::rangeText(providers.range(2)), QStringLiteral("10.20.30.40 - 10.20.30.40"));
}

QTEST_GUILESS_MAIN(TestIpRanges)
#include "tst_ipranges.moc"
