#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "servers/IpRangesFile.h"
#include "servers/ServerDiscovery.h"
#include "util/LocalHttpServer.h"
#include "util/TestWorkspace.h"

#include <QSignalSpy>
#include <QtTest>

using namespace vh::servers;

namespace {

// The lister's stand-in: records its arguments, copies output.txt into the file named after -o.
const QByteArray StandInLister =
    "#!/bin/sh\n"
    "dir=$(dirname \"$0\")\n"
    "printf '%s\\n' \"$*\" >> \"$dir/calls.txt\"\n"
    "if [ \"$1\" = \"-o\" ] || [ \"$5\" = \"-o\" ]; then cat \"$dir/output.txt\" > \"$6\"; fi\n";

void installLister(const vh::test::TestWorkspace& ws, const QByteArray& script, const QByteArray& output = {})
{
    const QString program = ws.write(QStringLiteral("gslist/gslist"), script);
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    ws.write(QStringLiteral("gslist/output.txt"), output);
}

struct Fixture
{
    vh::test::TestWorkspace ws;
    vh::base::Settings settings;
    vh::base::ActivityLog log{settings};
    vh::base::Workspace workspace{ws.base()};
    ServerDiscovery discovery{settings, log, workspace};

    void ranges(const QByteArray& file)
    {
        ws.write(QStringLiteral("data/ipranges.dat"), file);
        discovery.LoadIpRanges();
    }
    // The message of row `row` (0 is the newest) without its time of day.
    QString message(std::size_t row) const
    {
        const auto& lines = log.lines();
        return lines.at(lines.size() - 1 - row).text.section(QStringLiteral(" : "), 1);
    }
};

} // namespace

class TestServerList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rangesFileRoundTripAndMissingFile();
    void loadServersAppliesNamesAndCollectsMaps();
    void saveServersSkipsUnknownMaps();
    void selection_data();
    void selection();
    void markValid_data();
    void markValid();
    void query_data();
    void query();
    void initRunsOnlyWithoutServerList();
    void downloadProviderInfo_data();
    void downloadProviderInfo();
};

void TestServerList::rangesFileRoundTripAndMissingFile()
{
    Fixture f;
    const QByteArray file = "Provider:H\xe9tzner\r\nProviderpath:http://%ip%/pb/pbsvss.htm\r\nRange:5.6.7.8-1\r\n"
                            "Provider:Two\r\nProviderpath:\r\n";
    f.ranges(file);
    f.discovery.SaveIpRanges();
    QCOMPARE(f.ws.read(QStringLiteral("data/ipranges.dat")), file);
    QVERIFY(QFile::remove(f.ws.path(QStringLiteral("data/ipranges.dat"))));
    QVERIFY(!f.discovery.LoadIpRanges());
    QCOMPARE(f.discovery.servers().ServerCount(), 2);
}

void TestServerList::loadServersAppliesNamesAndCollectsMaps()
{
    Fixture f;
    f.ranges("Provider:P\r\nRange:1.1.1.1-3\r\n");
    // a name saved with a line break in it shifts its record; the records after it are read again
    f.ws.write(QStringLiteral("data/servers.dat"), "Alpha\r\n1.1.1.2\r\nBridge\r\n"
                                                   "Gone\r\n9.9.9.9\r\nIsland\r\n"
                                                   "Blank\r\n1.1.1.1\r\n\r\n"
                                                   "Evil\r\nBroken\r\n1.1.1.3\r\nBridge\r\n"
                                                   "Beta\r\n1.1.1.4\r\nDusk\r\n"
                                                   "Cut\r\n1.1.1.1\r\n");
    f.discovery.LoadServers();
    const ServerList& s = f.discovery.servers();
    QCOMPARE((QStringList{s.at(0).ServerName, s.at(1).ServerName, s.at(3).ServerName}),
             (QStringList{QStringLiteral("Blank"), QStringLiteral("Alpha"), QStringLiteral("Beta")}));
    QCOMPARE((QStringList{s.at(0).RunningMap, s.at(1).RunningMap, s.at(2).RunningMap, s.at(3).RunningMap}),
             (QStringList{QString(), QStringLiteral("Bridge"), QStringLiteral("Bridge"), QStringLiteral("Dusk")}));
    // an address not in the list still brings its map; an empty map does not
    QCOMPARE(f.discovery.filters().maps,
             (QStringList{QStringLiteral("Bridge"), QStringLiteral("Island"), QStringLiteral("Dusk")}));
}

void TestServerList::saveServersSkipsUnknownMaps()
{
    Fixture f;
    f.ranges("Provider:P\r\nRange:1.1.1.1-2\r\n");
    ServerList& s = f.discovery.servers();
    s.at(0).ServerName = QStringLiteral("Z\xfcrich");
    s.at(0).RunningMap = QStringLiteral("Dusk");
    s.at(1).ServerName = QStringLiteral("Named but unknown map");
    s.at(2).ServerName = QStringLiteral("Third");
    s.at(2).RunningMap = QStringLiteral("Bridge");
    f.discovery.SaveServers();
    QCOMPARE(f.ws.read(QStringLiteral("data/servers.dat")),
             QByteArray("Z\xfcrich\r\n1.1.1.1\r\nDusk\r\nThird\r\n1.1.1.3\r\nBridge\r\n"));
}

void TestServerList::selection_data()
{
    QTest::addColumn<QString>("providers");
    QTest::addColumn<QString>("nameFilter");
    QTest::addColumn<QString>("chosenMaps");
    QTest::addColumn<QList<int>>("expected");
    // maps: Bridge, Dusk, Unknown, Bridge
    QTest::newRow("one map") << QStringLiteral("11") << QStringLiteral("All") << QStringLiteral("1000")
                             << QList<int>{0, 2, 4};
    QTest::newRow("deselected provider hides its servers")
        << QStringLiteral("10") << QStringLiteral("All") << QStringLiteral("1100") << QList<int>{0, 1};
    QTest::newRow("AASA in any letter case")
        << QStringLiteral("11") << QStringLiteral("AASA") << QStringLiteral("1100") << QList<int>{0, 1};
    QTest::newRow("unknown map never shown")
        << QStringLiteral("11") << QStringLiteral("All") << QStringLiteral("0010") << QList<int>{};
    QTest::newRow("map listed twice adds twice")
        << QStringLiteral("11") << QStringLiteral("All") << QStringLiteral("1001") << QList<int>{0, 0, 2, 2, 4, 4};
}

void TestServerList::selection()
{
    QFETCH(QString, providers);
    QFETCH(QString, nameFilter);
    QFETCH(QString, chosenMaps);
    QFETCH(QList<int>, expected);
    Fixture f;
    f.ranges("Provider:One\r\nRange:1.1.1.1-1\r\nProvider:Two\r\nRange:2.2.2.1-2\r\n");
    const QStringList names{QStringLiteral("AASA Alpha"), QStringLiteral("our aAsA beta"), QStringLiteral("ACI Gamma"),
                            QStringLiteral("Plain"), QStringLiteral("Plain Two")};
    const QStringList maps{QStringLiteral("Bridge"), QStringLiteral("Dusk"), QStringLiteral("Bridge"), UnknownText,
                           QStringLiteral("Bridge")};
    for (int i = 0; i < 5; ++i) {
        f.discovery.servers().at(i).ServerName = names.at(i);
        f.discovery.servers().at(i).RunningMap = maps.at(i);
    }
    ServerFilterState state;
    state.maps = QStringList{QStringLiteral("Bridge"), QStringLiteral("Dusk"), UnknownText, QStringLiteral("Bridge")};
    for (QChar c : chosenMaps)
        state.mapSelected.push_back(c == QLatin1Char('1'));
    for (QChar c : providers)
        state.providerSelected.push_back(c == QLatin1Char('1'));
    state.nameFilter = nameFilter;

    QList<int> got;
    for (const SelectionItem& item : FillServerSelection(f.discovery.servers(), state)) {
        got << item.server;
        QCOMPARE(item.name, names.at(item.server));
    }
    QCOMPARE(got, expected);
}

void TestServerList::markValid_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("valid");
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("flags"); // the third server was valid before and stays so
    const QByteArray h = "GSLIST\nmaster\nquery\nlist\n";
    QTest::newRow("listed twice counts twice") << h + "1.1.1.2 a\n1.1.1.2 b\n" << 2 << 6 << QStringLiteral("011");
    QTest::newRow("address with port never matches") << h + "1.1.1.1:1717 x\n" << 0 << 5 << QStringLiteral("001");
    QTest::newRow("line without blank skipped") << h + "1.1.1.1\n" << 0 << 5 << QStringLiteral("001");
    QTest::newRow("CR LF lines") << QByteArray("a\r\nb\r\nc\r\nd\r\n1.1.1.1 1717\r\n") << 1 << 5
                                 << QStringLiteral("101");
    QTest::newRow("header lines are never read")
        << QByteArray("1.1.1.1 x\n1.1.1.1 x\n1.1.1.1 x\n1.1.1.1 x\n") << 0 << 4 << QStringLiteral("001");
}

void TestServerList::markValid()
{
    QFETCH(QByteArray, output);
    QFETCH(int, valid);
    QFETCH(int, total);
    QFETCH(QString, flags);
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges("Provider:P\r\nRange:1.1.1.1-2\r\n", providers, servers);
    servers.at(2).Valid = true;
    const ServerList::GslistResult result = servers.markValid(output);
    QCOMPARE(result.valid, valid);
    QCOMPARE(result.total, total);
    QString got;
    for (int i = 0; i < 3; ++i)
        got += servers.at(i).Valid ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(got, flags);
}

void TestServerList::query_data()
{
    QTest::addColumn<QByteArray>("script"); // empty: no lister installed
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("result");
    QTest::newRow("lister output is read")
        << StandInLister << QString() << QStringLiteral("1 servers of 6 found valid");
    QTest::newRow("missing lister") << QByteArray() << QString() << QStringLiteral("0 found valid");
    QTest::newRow("hanging lister is stopped")
        << QByteArray("#!/bin/sh\nexec sleep 60\n")
        << QStringLiteral("gslist did not end within 1 seconds and was stopped") << QStringLiteral("0 found valid");
}

void TestServerList::query()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, problem);
    QFETCH(QString, result);
    Fixture f;
    f.ranges("Provider:P\r\nRange:1.1.1.1-2\r\n");
    if (!script.isEmpty())
        installLister(f.ws, script, "h\nh\nh\nh\n1.1.1.3 1717\n5.5.5.5 1717\n");
    f.discovery.setGslistTimeout(1500);
    int ticks = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, this, [&ticks] { ++ticks; });
    tick.start(100);
    f.discovery.QueryGameSpyServerList();
    QCOMPARE(f.message(0), result);
    QCOMPARE(f.discovery.servers().at(2).Valid, script == StandInLister);
    if (script == StandInLister) {
        const QString listFile = QDir::toNativeSeparators(f.ws.path(QStringLiteral("data/serverlist.txt")));
        QCOMPARE(f.ws.read(QStringLiteral("gslist/calls.txt")),
                 QStringLiteral("-n armygame -t 2 -o %1\n").arg(listFile).toLatin1());
    }
    if (!problem.isEmpty()) {
        QCOMPARE(f.message(1), problem);
        // the window's events kept running during the wait
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    }
}

void TestServerList::initRunsOnlyWithoutServerList()
{
    Fixture f;
    installLister(f.ws, StandInLister);
    f.discovery.InitGslist();
    f.ws.write(QStringLiteral("data/serverlist.txt"), "h\n");
    f.discovery.InitGslist();
    QCOMPARE(f.ws.read(QStringLiteral("gslist/calls.txt")), QByteArray("-M\n"));
}

void TestServerList::downloadProviderInfo_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("problem"); // empty: the download replaces the file
    QTest::newRow("replaces the file and reloads") << QStringLiteral("/ipranges.dat") << QString();
    QTest::newRow("not found") << QStringLiteral("/missing") << QStringLiteral("Not Found");
    QTest::newRow("larger than the limit") << QStringLiteral("/big") << QStringLiteral("larger than 65536 bytes");
    QTest::newRow("server stalls") << QStringLiteral("/stall") << QStringLiteral("error:");
    QTest::newRow("not an http address") << QStringLiteral("file:///etc/hostname")
                                         << QStringLiteral("No valid address");
}

void TestServerList::downloadProviderInfo()
{
    QFETCH(QString, path);
    QFETCH(QString, problem);
    const QByteArray served = "Provider:New\r\nRange:10.0.0.1-4\r\n";
    const QByteArray old = "Provider:Old\r\nRange:1.1.1.1-0\r\n";
    vh::test::LocalHttpServer publisher;
    publisher.serve(QStringLiteral("/ipranges.dat"), served, 0, "text/plain");
    publisher.serve(QStringLiteral("/big"), QByteArray(300 * 1024, 'x'));
    publisher.stall(QStringLiteral("/stall"));
    Fixture f;
    f.ranges(old);
    f.discovery.setDownloadTimeout(1500);
    f.discovery.setDownloadMaxBytes(64 * 1024);
    QSignalSpy rebuilt(&f.discovery, &ServerDiscovery::selectionRebuilt);
    const QString url = path.startsWith(QLatin1Char('/')) ? publisher.url(path) : path;
    QCOMPARE(f.discovery.DownloadProviderInfo(url), problem.isEmpty());
    QCOMPARE(f.ws.read(QStringLiteral("data/ipranges.dat")), problem.isEmpty() ? served : old);
    QCOMPARE(f.discovery.servers().ServerCount(), problem.isEmpty() ? 5 : 1);
    // the file is read again either way
    QCOMPARE(rebuilt.size(), 1);
    QCOMPARE(f.log.lines().size(), std::size_t(problem.isEmpty() ? 0 : 1));
    if (!problem.isEmpty())
        QVERIFY2(f.message(0).contains(problem), qPrintable(f.message(0)));
}

QTEST_GUILESS_MAIN(TestServerList)
#include "tst_serverlist.moc"
