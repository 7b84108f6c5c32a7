#include "app/ActivityLog.h"
#include "app/Settings.h"
#include "app/Workspace.h"
#include "servers/ServerDiscovery.h"
#include "util/TestWorkspace.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace vh::servers;

namespace {

const std::string Served = "Provider:New\r\nProviderpath:http://%ip%/pbsvss.htm\r\nRange:10.0.0.1-4\r\n";
const QByteArray OldFile = "Provider:Old\r\nRange:1.1.1.1-0\r\n";

// The provider-info publisher on 127.0.0.1: a good file, a missing one, an oversized one and one that stalls.
class Publisher
{
public:
    Publisher()
    {
        m_server.Get("/ipranges.dat",
                     [](const httplib::Request&, httplib::Response& res) { res.set_content(Served, "text/plain"); });
        m_server.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("Provider:NotFound\r\n", "text/plain");
        });
        m_server.Get("/big", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(300 * 1024, 'x'), "text/plain");
        });
        m_server.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("text/plain", [this](size_t, httplib::DataSink& sink) {
                // sends nothing until the test ends or five seconds pass
                for (int i = 0; i < 100 && !m_stopping; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                sink.done();
                return true;
            });
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~Publisher()
    {
        m_stopping = true;
        m_server.stop();
        m_thread.join();
    }
    QString url(const char* path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QLatin1String(path));
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    int m_port = 0;
};

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
    vh::app::Settings settings;
    vh::app::ActivityLog log{settings};
    vh::app::Workspace workspace{ws.base()};
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
    Publisher publisher;
    Fixture f;
    QSignalSpy rebuilt(&f.discovery, &ServerDiscovery::selectionRebuilt);
    QVERIFY(f.discovery.DownloadProviderInfo(publisher.url("/ipranges.dat")));
    QCOMPARE(f.ws.read(QStringLiteral("data/ipranges.dat")), QByteArray::fromStdString(Served));
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
    QTest::newRow("empty link") << QStringLiteral("") << QStringLiteral("No valid address");
}

void TestProviderDownload::failureKeepsFile()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    Publisher publisher;
    Fixture f;
    const QString url = path.startsWith(QLatin1Char('/')) ? publisher.url(path.toLatin1().constData()) : path;
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
