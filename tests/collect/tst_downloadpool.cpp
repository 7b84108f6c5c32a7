#include "app/AppCore.h"
#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "collect/DownloadPool.h"
#include "database/Database.h"
#include "util/FileSizeLimit.h"
#include "util/LocalHttpServer.h"
#include "util/TestWorkspace.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtTest>

#include <memory>

using vh::collect::DownloadPool;
using vh::collect::PageEntry;
using vh::test::LocalHttpServer;
using vh::test::TestWorkspace;

namespace {

QByteArray shotBytes(int j)
{
    return QByteArray("PNG-") + QByteArray::number(j) + QByteArray(100, char('a' + j % 26));
}

// The state a pool works on, without a whole core.
struct PoolFixture
{
    TestWorkspace ws;
    vh::base::Settings settings;
    vh::base::ActivityLog log{settings};
    vh::base::Workspace workspace{ws.base()};
    vh::base::RunFlags flags;
    vh::database::Database database;
    DownloadPool pool{flags, log, workspace, database};

    struct Intake
    {
        QByteArray fileName;
        QByteArray content;
        bool slotFilled;
    };
    std::vector<Intake> intakes;

    PoolFixture()
    {
        QDir(ws.base()).mkpath(QStringLiteral("PBSS"));
        QDir(ws.base()).mkpath(QStringLiteral("temp"));
        flags.StopRequested = 0;
        pool.setIntakeHandler([this](int w, const QString& file, const PageEntry& e) {
            QFile f(file);
            const QByteArray content = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            const auto& slot = database.intakeSlot(w);
            intakes.push_back(
                {e.FileName, content,
                 slot.IndexText == e.IndexText && slot.ShotTime == e.ShotTime && slot.ServerURL == e.BaseURL});
        });
    }

    // Queues n screenshots named pb000001.png ... served by the server, each after its delay.
    void queue(LocalHttpServer& server, int n, const std::function<int(int)>& delayMs, bool empty = false)
    {
        for (int j = 1; j <= n; ++j) {
            PageEntry e;
            e.FileName = QByteArray("pb") + QByteArray::number(j).rightJustified(6, '0') + ".png";
            e.BaseURL = server.url(QStringLiteral("/ss")).toLatin1();
            e.LocalFile = QFile::encodeName(ws.path(QStringLiteral("PBSS/")) + QString::fromLatin1(e.FileName));
            e.IndexText = QByteArray::number(j).rightJustified(6, '0') + " \"P\" GUID=x";
            e.ShotTime = "2026.12.06 10:00:00";
            server.serve(QStringLiteral("/ss/") + QString::fromLatin1(e.FileName), empty ? QByteArray() : shotBytes(j),
                         delayMs(j));
            QVERIFY(pool.EnqueueDownload(e));
        }
    }

    int logLines(const QString& text) const
    {
        return int(std::count_if(log.lines().begin(), log.lines().end(),
                                 [&text](const auto& l) { return l.text.endsWith(QStringLiteral(" : ") + text); }));
    }
};

} // namespace

class TestDownloadPool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lowestFreeWorkerTakesNext();
    void oneWorkerIsStrictlySerial();
    void workersWaitingForAConnectionDoNotTimeOut();
    void emptyTransferAdvancesProgressOnce();
    void requestEndsHandOut_data();
    void requestEndsHandOut();
    void emptyQueueOnlyResets();
    void fullDiskEndsTheRun();
    void queueRefusesEntryAboveCapacity();
    void setThreads_data();
    void setThreads();
    void getFile_data();
    void getFile();
    void cancelEndsPageWait();
};

void TestDownloadPool::fullDiskEndsTheRun()
{
    LocalHttpServer server;
    PoolFixture f;
    f.pool.setThreads(2);
    f.queue(server, 10, [](int) { return 20; });
    int handed = 0;
    connect(&f.pool, &DownloadPool::handedOut, this, [&handed] { ++handed; });
    {
        vh::test::FileSizeLimit full(50);
        if (!full.active())
            QSKIP("no file size limit on this system");
        f.pool.RunDownloadQueue();
    }
    QCOMPARE(f.flags.StopRequested, 1);
    QVERIFY2(handed < 10, qPrintable(QString::number(handed)));
    QVERIFY(f.intakes.empty());
    const auto failures = std::count_if(f.log.lines().begin(), f.log.lines().end(), [](const auto& l) {
        return l.text.contains(QStringLiteral("Problems in Writing PBSS, error:")) &&
               l.text.contains(QStringLiteral("pb0000"));
    });
    QCOMPARE(failures, 1);
}

void TestDownloadPool::lowestFreeWorkerTakesNext()
{
    LocalHttpServer server;
    PoolFixture f;
    f.pool.setThreads(3);
    const int delays[] = {0, 300, 100, 200, 50, 250, 120, 80, 220, 60, 150};
    f.queue(server, 10, [&delays](int j) { return delays[j]; });

    QList<QPair<int, int>> handed;
    QStringList violations;
    connect(&f.pool, &DownloadPool::handedOut, this, [&](int w, int j) {
        handed.append({w, j});
        for (int v = 0; v < w; ++v) {
            if (f.pool.workerSlot(v) == DownloadPool::FreeWorker)
                violations << QStringLiteral("queue %1 went to worker %2 while %3 was free").arg(j).arg(w).arg(v);
        }
    });
    QStringList labels;
    connect(&f.pool, &DownloadPool::statusTextChanged, this, [&labels](const QString& t) { labels << t; });

    f.pool.RunDownloadQueue();

    QCOMPARE(handed.size(), 10);
    for (int j = 1; j <= 10; ++j)
        QCOMPARE(handed[j - 1].second, j);
    QVERIFY2(violations.isEmpty(), qPrintable(violations.join(QLatin1Char('\n'))));
    // with these delays worker 1 is still busy when worker 2 frees first, so later shots skip a worker
    QVERIFY(std::any_of(handed.begin() + 3, handed.end(), [](const auto& h) { return h.first != 0; }));

    QCOMPARE(int(f.intakes.size()), 10);
    for (const auto& in : f.intakes) {
        const int j = in.fileName.mid(2, 6).toInt();
        QCOMPARE(in.content, shotBytes(j));
        QVERIFY(in.slotFilled);
        QCOMPARE(f.pool.queueEntry(j), PageEntry{}); // cleared after intake
    }
    QVERIFY(labels.contains(QStringLiteral("10 of 10")));
    QCOMPARE(f.pool.statusText(), QString());
    QCOMPARE(f.pool.progressValue(), 0);
    QCOMPARE(f.pool.progressMaximum(), 10);
}

void TestDownloadPool::oneWorkerIsStrictlySerial()
{
    LocalHttpServer server;
    PoolFixture f;
    f.pool.setThreads(1);
    f.queue(server, 6, [](int j) { return 60 - j * 5; });
    f.pool.RunDownloadQueue();
    QCOMPARE(server.maxConcurrent(), 1);
    QStringList expected;
    for (int j = 1; j <= 6; ++j)
        expected << QStringLiteral("/ss/pb%1.png").arg(j, 6, 10, QLatin1Char('0'));
    QCOMPARE(server.requests(), expected);
    QCOMPARE(int(f.intakes.size()), 6);
}

void TestDownloadPool::workersWaitingForAConnectionDoNotTimeOut()
{
    LocalHttpServer server;
    PoolFixture f;
    vh::collect::NetworkLimits limits;
    limits.idleTimeoutMs = 450;
    f.pool.setLimits(limits);
    // twelve workers on one server: six wait for a free connection longer than the idle limit
    f.pool.setThreads(12);
    f.queue(server, 12, [](int) { return 300; });
    f.pool.RunDownloadQueue();
    QCOMPARE(int(f.intakes.size()), 12);
    for (const auto& in : f.intakes)
        QCOMPARE(in.content, shotBytes(in.fileName.mid(2, 6).toInt()));
}

void TestDownloadPool::emptyTransferAdvancesProgressOnce()
{
    LocalHttpServer server;
    PoolFixture f;
    f.pool.setThreads(2);
    f.queue(
        server, 1, [](int) { return 0; }, true);
    QStringList events;
    connect(&f.pool.worker(0), &vh::collect::Downloader::DownloadError, this,
            [&events](const QString&) { events << QStringLiteral("error"); });
    connect(&f.pool.worker(0), &vh::collect::Downloader::DownloadComplete, this,
            [&events](qint64 total, const QString&) { events << QStringLiteral("complete %1").arg(total); });
    QList<int> values;
    connect(&f.pool, &DownloadPool::progressChanged, this, [&values](int v, int) { values << v; });
    QStringList labels;
    connect(&f.pool, &DownloadPool::statusTextChanged, this, [&labels](const QString& t) { labels << t; });

    f.pool.RunDownloadQueue();

    QCOMPARE(events, (QStringList{QStringLiteral("error"), QStringLiteral("complete 0")}));
    QCOMPARE(values.count(1), 1);
    QCOMPARE(labels.count(QStringLiteral("1 of 1")), 1);
    QVERIFY(f.intakes.empty());
    QVERIFY(!f.ws.exists(QStringLiteral("PBSS/pb000001.png")));
}

void TestDownloadPool::requestEndsHandOut_data()
{
    QTest::addColumn<bool>("stop");
    QTest::newRow("Skip Server") << false;
    QTest::newRow("Cancel Inventory") << true;
}

void TestDownloadPool::requestEndsHandOut()
{
    QFETCH(bool, stop);
    LocalHttpServer server;
    PoolFixture f;
    f.pool.setThreads(5);
    f.queue(server, 20, [](int) { return 500; });
    // the request arrives while the first five are in flight, as a button click would
    QTimer::singleShot(150, this, [&f, stop] {
        if (stop)
            f.flags.StopRequested = 1;
        else
            f.flags.SkipRequested = true;
    });
    QElapsedTimer clock;
    clock.start();
    f.pool.RunDownloadQueue();
    const qint64 elapsed = clock.elapsed();

    // returned only after the five under way had ended
    QVERIFY2(elapsed >= 450 && elapsed < 3000, qPrintable(QString::number(elapsed)));
    QCOMPARE(int(server.requests().size()), 5);
    QCOMPARE(int(f.intakes.size()), 5);
    for (int w = 0; w < 5; ++w)
        QCOMPARE(f.pool.workerSlot(w), DownloadPool::FreeWorker);
    QVERIFY(!f.flags.SkipRequested);
    QCOMPARE(f.logLines(QStringLiteral("Scan Aborted, waiting for download treads to finish")), stop ? 1 : 0);
}

void TestDownloadPool::emptyQueueOnlyResets()
{
    PoolFixture f;
    f.pool.setProgress(7, 10);
    f.pool.setStatusText(QStringLiteral("7 of 10"));
    f.flags.SkipRequested = true;
    QElapsedTimer clock;
    clock.start();
    f.pool.RunDownloadQueue();
    QVERIFY(clock.elapsed() < 100);
    QCOMPARE(f.pool.progressValue(), 0);
    QCOMPARE(f.pool.statusText(), QString());
    QVERIFY(!f.flags.SkipRequested);
}

void TestDownloadPool::queueRefusesEntryAboveCapacity()
{
    PoolFixture f;
    PageEntry e;
    e.FileName = "pb000001.png";
    for (int j = 1; j <= DownloadPool::QueueCapacity; ++j)
        QVERIFY(f.pool.EnqueueDownload(e));
    QVERIFY(!f.pool.EnqueueDownload(e));
    QCOMPARE(f.pool.QueueCount(), DownloadPool::QueueCapacity);
}

void TestDownloadPool::setThreads_data()
{
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<int>("expected");
    QTest::newRow("eight then two") << QList<int>{8, 2} << 2;
    QTest::newRow("zero is one") << QList<int>{0} << 1;
    QTest::newRow("above forty is forty") << QList<int>{99} << 40;
}

void TestDownloadPool::setThreads()
{
    QFETCH(QList<int>, sizes);
    QFETCH(int, expected);
    PoolFixture f;
    for (int n : sizes)
        f.pool.setThreads(n);
    QCOMPARE(f.pool.threadCount(), expected);
}

void TestDownloadPool::getFile_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("page read whole") << QByteArray("<p> <a page\r\n") << QByteArray("<p> <a page\r\n");
    QTest::newRow("page over the transfer limit reads empty") << QByteArray(5000, 'p') << QByteArray();
}

void TestDownloadPool::getFile()
{
    QFETCH(QByteArray, served);
    QFETCH(QByteArray, expected);
    LocalHttpServer server;
    server.serve(QStringLiteral("/pbsvss.htm"), served);
    PoolFixture f;
    vh::collect::NetworkLimits limits;
    limits.maxTransferBytes = 4096;
    f.pool.setLimits(limits);
    f.ws.write(QStringLiteral("temp/tempdata.htm"), "stale page of an earlier visit");
    f.ws.write(QStringLiteral("temp/tempa7.htm"), "stale page of an earlier report");
    QCOMPARE(f.pool.GetFile(server.url(QStringLiteral("/pbsvss.htm"))), expected);
    QVERIFY(f.pool.PageFetchDone());
    f.flags.StopRequested = 1; // GetFile2 does not look at it
    QCOMPARE(f.pool.GetFile2(server.url(QStringLiteral("/pbsvss.htm")), 7), expected);
    QCOMPARE(f.ws.read(QStringLiteral("temp/tempa7.htm")), expected);
}

void TestDownloadPool::cancelEndsPageWait()
{
    LocalHttpServer server;
    server.stall(QStringLiteral("/pbsvss.htm"));
    PoolFixture f;
    vh::collect::NetworkLimits limits;
    limits.idleTimeoutMs = 20000; // only the stop request can end this wait in time
    f.pool.setLimits(limits);
    QTimer::singleShot(200, this, [&f] { f.flags.StopRequested = 1; });
    QElapsedTimer clock;
    clock.start();
    const QByteArray page = f.pool.GetFile(server.url(QStringLiteral("/pbsvss.htm")));
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(page.isEmpty());
    QVERIFY(!f.pool.PageFetchDone());
    server.releaseStalls();
}

QTEST_GUILESS_MAIN(TestDownloadPool)
#include "tst_downloadpool.moc"
