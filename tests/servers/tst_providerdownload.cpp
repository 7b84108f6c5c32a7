#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "servers/ServerDiscovery.h"
#include "util/LocalHttpServer.h"
#include "util/TestWorkspace.h"

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
    void download_data();
    void download();
};

void TestProviderDownload::download_data()
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

void TestProviderDownload::download()
{
    QFETCH(QString, path);
    QFETCH(QString, problem);
    vh::test::LocalHttpServer publisher;
    publish(publisher);
    Fixture f;
    QSignalSpy rebuilt(&f.discovery, &ServerDiscovery::selectionRebuilt);
    const QString url = path.startsWith(QLatin1Char('/')) ? publisher.url(path) : path;
    QCOMPARE(f.discovery.DownloadProviderInfo(url), problem.isEmpty());
    QCOMPARE(f.ws.read(QStringLiteral("data/ipranges.dat")), problem.isEmpty() ? Served : OldFile);
    QCOMPARE(f.discovery.servers().ServerCount(), problem.isEmpty() ? 5 : 1);
    // the file is read again either way
    QCOMPARE(rebuilt.size(), 1);
    QCOMPARE(f.log.lines().size(), std::size_t(problem.isEmpty() ? 0 : 1));
    if (!problem.isEmpty())
        QVERIFY2(f.log.lines().front().text.contains(problem), qPrintable(f.log.lines().front().text));
}

QTEST_GUILESS_MAIN(TestProviderDownload)
#include "tst_providerdownload.moc"
