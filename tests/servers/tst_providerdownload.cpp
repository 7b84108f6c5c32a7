#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "servers/ServerDiscovery.h"
#include "util/LocalHttpServer.h"
#include "util/TestWorkspace.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

using namespace vh::servers;

namespace {

const QByteArray Served = "Provider:New\r\nProviderpath:http://%ip%/pbsvss.htm\r\nRange:10.0.0.1-4\r\n";
const QByteArray OldFile = "Provider:Old\r\nRange:1.1.1.1-0\r\n";

// The provider-info publisher on 127.0.0.1: a good file, an oversized one and one that stalls; others are not found.
void publish(vh::test::LocalHttpServer& server)
{
    server.serve(QStringLiteral("/ipranges.dat"), Served, 0, "text/plain");
    server.serve(QStringLiteral("/big"), QByteArray(300 * 1024, 'x'));
    server.stall(QStringLiteral("/stall"));
}

struct Fixture
{
    Fixture()
    {
        ws.write(QStringLiteral("data/ipranges.dat"), OldFile);
        discovery.LoadIpRanges();
        discovery.setDownloadTimeout(1500);
        discovery.setDownloadMaxBytes(64 * 1024);
    }
    vh::test::TestWorkspace ws;
    vh::base::Settings settings;
    vh::base::ActivityLog log{settings};
    vh::base::Workspace workspace{ws.base()};
    ServerDiscovery discovery{settings, log, workspace};
};

} // namespace

class TestProviderDownload : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void downloadReplacesFileAndReloads();
    void failureKeepsFile_data();
    void failureKeepsFile();
};

void TestProviderDownload::downloadReplacesFileAndReloads()
{
    vh::test::LocalHttpServer publisher;
    publish(publisher);
    Fixture f;
    QSignalSpy rebuilt(&f.discovery, &ServerDiscovery::selectionRebuilt);
    QVERIFY(f.discovery.DownloadProviderInfo(publisher.url(QStringLiteral("/ipranges.dat"))));
    QCOMPARE(f.ws.read(QStringLiteral("data/ipranges.dat")), Served);
    QCOMPARE(f.discovery.providers().provider(1).Name, QStringLiteral("New"));
    QCOMPARE(f.discovery.servers().ServerCount(), 5);
    QCOMPARE(f.discovery.servers().at(4).PageURL, QStringLiteral("http://10.0.0.5/pbsvss.htm"));
    QCOMPARE(rebuilt.size(), 1);
    QVERIFY(f.log.lines().empty());
}

void TestProviderDownload::failureKeepsFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not found") << QStringLiteral("/missing") << QStringLiteral("Not Found");
    QTest::newRow("larger than the limit") << QStringLiteral("/big") << QStringLiteral("larger than 65536 bytes");
    QTest::newRow("server stalls") << QStringLiteral("/stall") << QString();
    QTest::newRow("nobody listening") << QStringLiteral("http://127.0.0.1:1/ipranges.dat") << QString();
    QTest::newRow("not an http address") << QStringLiteral("file:///etc/hostname")
                                         << QStringLiteral("No valid address");
}

void TestProviderDownload::failureKeepsFile()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    vh::test::LocalHttpServer publisher;
    publish(publisher);
    Fixture f;
    const QString url = path.startsWith(QLatin1Char('/')) ? publisher.url(path) : path;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!f.discovery.DownloadProviderInfo(url));
    QVERIFY(clock.elapsed() < 8000);
    QCOMPARE(f.ws.read(QStringLiteral("data/ipranges.dat")), OldFile);
    QCOMPARE(f.discovery.providers().provider(1).Name, QStringLiteral("Old"));
    QCOMPARE(f.log.lines().size(), std::size_t(1));
    const QString line = f.log.lines().front().text;
    QVERIFY2(line.contains(QStringLiteral(" : Problems in Downloading Provider Info, error:")), qPrintable(line));
    QVERIFY2(line.contains(reason), qPrintable(line));
}

QTEST_GUILESS_MAIN(TestProviderDownload)
#include "tst_providerdownload.moc"
