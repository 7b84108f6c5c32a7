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
    l.transferTimeoutMs = 1200;
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

// One worker over a local server, with its events recorded in the order they arrive.
struct Fixture
{
    LocalHttpServer server;
    TestWorkspace ws;
    QNetworkAccessManager manager;
    Downloader d{manager};
    QStringList events;
    qint64 total = -1;

    Fixture()
    {
        QObject::connect(&d, &Downloader::WriteFailed, &d, [this] { events << QStringLiteral("write failed"); });
        QObject::connect(&d, &Downloader::DownloadError, &d, [this] { events << QStringLiteral("error"); });
        QObject::connect(&d, &Downloader::DownloadComplete, &d, [this](qint64 t) {
            events << QStringLiteral("complete");
            total = t;
        });
    }
};

} // namespace

class TestDownloader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void transferEnds_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QByteArray>("expectFile"); // null: an error is raised and no file may exist

        QTest::newRow("body written as received") << "body" << bytes(3000);
        QTest::newRow("empty body raises error") << "empty" << QByteArray();
        QTest::newRow("server stalls mid-transfer: idle time-out") << "stallAfter" << QByteArray();
        QTest::newRow("trickle longer than the transfer limit") << "slow" << QByteArray();
        QTest::newRow("announced size over the limit") << "big" << QByteArray();
        QTest::newRow("unannounced size over the limit") << "bigChunked" << QByteArray();
        QTest::newRow("redirect loop capped") << "loop" << QByteArray();
        QTest::newRow("server resets mid-body") << "reset" << QByteArray();
        QTest::newRow("disk fails on write") << "diskFull" << QByteArray();
    }

    void transferEnds()
    {
        QFETCH(QString, mode);
        QFETCH(QByteArray, expectFile);

        Fixture f;
        LocalHttpServer& server = f.server;
        server.serve(QStringLiteral("/body"), bytes(3000));
        server.serve(QStringLiteral("/empty"), QByteArray());
        server.stallAfter(QStringLiteral("/stallAfter"), bytes(3000), 1000);
        server.serveSlowly(QStringLiteral("/slow"), bytes(3000), 100, 100);
        server.serve(QStringLiteral("/big"), bytes(5000));
        server.serveChunked(QStringLiteral("/bigChunked"), bytes(5000), 500);
        server.redirect(QStringLiteral("/loop"), QStringLiteral("/loop"));
        server.resetAfter(QStringLiteral("/reset"), bytes(3000), 1500);
        server.serve(QStringLiteral("/diskFull"), bytes(3000));
        f.d.setLimits(testLimits());

        const QString file = f.ws.path(QStringLiteral("out.htm"));
        const QString url = server.url(QLatin1Char('/') + mode);
        std::optional<vh::test::FileSizeLimit> disk;
        if (mode == QLatin1String("diskFull"))
            disk.emplace(1000);
        QElapsedTimer clock;
        clock.start();
        f.d.BeginDownload(url, file);
        QVERIFY(f.d.isBusy());
        QTRY_VERIFY_WITH_TIMEOUT(f.events.contains(QStringLiteral("complete")), 8000);
        disk.reset();
        // every limit frees the worker well before a real server's patience would
        QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!f.d.isBusy());
        server.releaseStalls();

        QStringList expected;
        if (mode == QLatin1String("diskFull"))
            expected << QStringLiteral("write failed");
        if (expectFile.isNull())
            expected << QStringLiteral("error");
        expected << QStringLiteral("complete");
        QCOMPARE(f.events, expected);
        QCOMPARE(f.total, qint64(expectFile.size()));
        QCOMPARE(f.ws.read(QStringLiteral("out.htm")), expectFile);
        // no temporary left-over of a dropped transfer
        QCOMPARE(QDir(f.ws.base()).entryList(QDir::Files),
                 expectFile.isNull() ? QStringList() : QStringList{QStringLiteral("out.htm")});
    }
};

QTEST_GUILESS_MAIN(TestDownloader)
#include "tst_downloader.moc"
