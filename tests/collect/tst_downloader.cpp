#include "collect/Downloader.h"
#include "util/FileSizeLimit.h"
#include "util/LocalHttpServer.h"
#include "util/TestWorkspace.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QtTest>

#include <optional>

using vh::collect::Downloader;
using vh::collect::NetworkLimits;
using vh::test::LocalHttpServer;
using vh::test::TestWorkspace;

namespace {

// Short limits so that a stalled or endless transfer is cut within a test's patience.
NetworkLimits testLimits()
{
    NetworkLimits l;
    l.idleTimeoutMs = 400;
    l.transferTimeoutMs = 2500;
    l.maxRedirects = 3;
    l.maxTransferBytes = 4096;
    return l;
}

QByteArray bytes(int n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char('a' + i % 26);
    return b;
}

// Records the worker's events in the order they arrive.
struct EventLog
{
    QStringList events;
    int progress = 0;
    bool complete = false;
    qint64 total = -1;

    void attach(Downloader& d)
    {
        QObject::connect(&d, &Downloader::DownloadProgress, &d, [this](qint64, qint64, const QString&) { ++progress; });
        QObject::connect(&d, &Downloader::WriteFailed, &d, [this](const QString& f, const QString&) {
            events << QStringLiteral("write failed ") + QFileInfo(f).fileName();
        });
        QObject::connect(&d, &Downloader::DownloadError, &d,
                         [this](const QString& f) { events << QStringLiteral("error ") + QFileInfo(f).fileName(); });
        QObject::connect(&d, &Downloader::DownloadComplete, &d, [this](qint64 t, const QString& f) {
            events << QStringLiteral("complete ") + QFileInfo(f).fileName();
            total = t;
            complete = true;
        });
    }
};

} // namespace

class TestDownloader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void transferEnds_data();
    void transferEnds();
    void progressOnlyForPages_data();
    void progressOnlyForPages();
    void alwaysFetchedFromServer();
    void newDownloadDropsRunningOne();
};

void TestDownloader::transferEnds_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("expectError");
    QTest::addColumn<QByteArray>("expectFile"); // null: no file may exist
    QTest::addColumn<int>("withinMs");

    QTest::newRow("body written as received") << "body" << false << bytes(3000) << 1500;
    QTest::newRow("empty body raises error") << "empty" << true << QByteArray() << 1500;
    QTest::newRow("server stalls mid-transfer: idle time-out") << "stallAfter" << true << QByteArray() << 1500;
    QTest::newRow("trickle longer than the transfer limit") << "slow" << true << QByteArray() << 4000;
    QTest::newRow("announced size over the limit") << "big" << true << QByteArray() << 1500;
    QTest::newRow("unannounced size over the limit") << "bigChunked" << true << QByteArray() << 1500;
    QTest::newRow("redirect followed") << "redirect" << false << bytes(100) << 1500;
    QTest::newRow("redirect loop capped") << "loop" << true << QByteArray() << 1500;
    QTest::newRow("connection refused") << "refused" << true << QByteArray() << 1500;
    QTest::newRow("server resets mid-body") << "reset" << true << QByteArray() << 1500;
    QTest::newRow("disk fails on write") << "diskFull" << true << QByteArray() << 1500;
}

void TestDownloader::transferEnds()
{
    QFETCH(QString, mode);
    QFETCH(bool, expectError);
    QFETCH(QByteArray, expectFile);
    QFETCH(int, withinMs);

    LocalHttpServer server;
    QVERIFY(server.isRunning());
    server.serve(QStringLiteral("/body"), bytes(3000));
    server.serve(QStringLiteral("/empty"), QByteArray());
    server.stallAfter(QStringLiteral("/stallAfter"), bytes(3000), 1000);
    server.serveSlowly(QStringLiteral("/slow"), bytes(3000), 100, 100);
    server.serve(QStringLiteral("/big"), bytes(5000));
    server.serveChunked(QStringLiteral("/bigChunked"), bytes(5000), 500);
    server.redirect(QStringLiteral("/redirect"), QStringLiteral("/target"));
    server.serve(QStringLiteral("/target"), bytes(100));
    server.redirect(QStringLiteral("/loop"), QStringLiteral("/loop"));
    server.resetAfter(QStringLiteral("/reset"), bytes(3000), 1500);
    server.serve(QStringLiteral("/diskFull"), bytes(3000));

    TestWorkspace ws;
    QNetworkAccessManager manager;
    Downloader d(manager);
    d.setLimits(testLimits());
    EventLog log;
    log.attach(d);

    const QString file = ws.path(QStringLiteral("out.htm"));
    const QString url =
        mode == QLatin1String("refused") ? QStringLiteral("http://127.0.0.1:1/x") : server.url(QLatin1Char('/') + mode);
    std::optional<vh::test::FileSizeLimit> disk;
    if (mode == QLatin1String("diskFull"))
        disk.emplace(1000);
    QElapsedTimer clock;
    clock.start();
    d.BeginDownload(url, file);
    QVERIFY(d.isBusy());
    QTRY_VERIFY_WITH_TIMEOUT(log.complete, 8000);
    disk.reset();
    // every limit frees the worker well before a real server's patience would
    QVERIFY2(clock.elapsed() < withinMs, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!d.isBusy());
    server.releaseStalls();

    QStringList expected;
    if (mode == QLatin1String("diskFull"))
        expected << QStringLiteral("write failed out.htm");
    if (expectError)
        expected << QStringLiteral("error out.htm");
    expected << QStringLiteral("complete out.htm");
    QCOMPARE(log.events, expected);
    QCOMPARE(log.total, qint64(expectFile.size()));
    if (expectFile.isNull()) {
        QVERIFY(!QFileInfo::exists(file));
    } else {
        QCOMPARE(ws.read(QStringLiteral("out.htm")), expectFile);
    }
    // no temporary left-over of a dropped transfer
    QCOMPARE(QDir(ws.base()).entryList(QDir::Files),
             expectFile.isNull() ? QStringList() : QStringList{QStringLiteral("out.htm")});
}

void TestDownloader::progressOnlyForPages_data()
{
    QTest::addColumn<QString>("saveName");
    QTest::addColumn<bool>("reports");
    QTest::newRow("page") << "tempdata.htm" << true;
    QTest::newRow("screenshot") << "pb000001.png" << false;
    QTest::newRow("screenshot in capitals") << "pb000001.PNG" << false;
}

void TestDownloader::progressOnlyForPages()
{
    QFETCH(QString, saveName);
    QFETCH(bool, reports);
    LocalHttpServer server;
    server.serveSlowly(QStringLiteral("/f"), bytes(1000), 250, 20);
    TestWorkspace ws;
    QNetworkAccessManager manager;
    Downloader d(manager);
    EventLog log;
    log.attach(d);
    d.BeginDownload(server.url(QStringLiteral("/f")), ws.path(saveName));
    QTRY_VERIFY_WITH_TIMEOUT(log.complete, 8000);
    QCOMPARE(log.total, qint64(1000));
    QCOMPARE(log.progress > 0, reports);
}

void TestDownloader::alwaysFetchedFromServer()
{
    LocalHttpServer server;
    server.serve(QStringLiteral("/p"), "first");
    TestWorkspace ws;
    QNetworkAccessManager manager;
    Downloader d(manager);
    for (const QByteArray& body : {QByteArray("first"), QByteArray("second")}) {
        server.serve(QStringLiteral("/p"), body);
        EventLog log;
        log.attach(d);
        d.BeginDownload(server.url(QStringLiteral("/p")), ws.path(QStringLiteral("p.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(log.complete, 8000);
        d.disconnect();
        QCOMPARE(ws.read(QStringLiteral("p.htm")), body);
    }
    QCOMPARE(server.hits(QStringLiteral("/p")), 2);
}

void TestDownloader::newDownloadDropsRunningOne()
{
    LocalHttpServer server;
    server.stallAfter(QStringLiteral("/stalled"), bytes(3000), 500);
    server.serve(QStringLiteral("/good"), bytes(50));
    TestWorkspace ws;
    QNetworkAccessManager manager;
    Downloader d(manager);
    EventLog log;
    log.attach(d);
    d.BeginDownload(server.url(QStringLiteral("/stalled")), ws.path(QStringLiteral("old.htm")));
    QTRY_COMPARE_WITH_TIMEOUT(server.hits(QStringLiteral("/stalled")), 1, 5000);
    d.BeginDownload(server.url(QStringLiteral("/good")), ws.path(QStringLiteral("new.htm")));
    QTRY_VERIFY_WITH_TIMEOUT(log.complete, 8000);
    QTest::qWait(100);
    server.releaseStalls();
    // the dropped transfer raises nothing and leaves no file
    QCOMPARE(log.events, QStringList{QStringLiteral("complete new.htm")});
    QVERIFY(!ws.exists(QStringLiteral("old.htm")));
    QCOMPARE(ws.read(QStringLiteral("new.htm")), bytes(50));
}

QTEST_GUILESS_MAIN(TestDownloader)
#include "tst_downloader.moc"
