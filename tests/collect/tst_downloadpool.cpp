#include "app/AppCore.h"
#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "collect/DownloadPool.h"
#include "database/Database.h"
#include "util/LocalHttpServer.h"
#include "util/TestWorkspace.h"

#include <QFile>
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
    LocalHttpServer server;
    TestWorkspace ws;
    vh::base::Settings settings;
    vh::base::ActivityLog log{settings};
    vh::base::Workspace workspace{ws.base()};
    vh::base::RunFlags flags;
    vh::database::Database database;
    DownloadPool pool{flags, log, workspace, database};

    QList<int> taken;   // the queue numbers taken in, negative when the file or the intake slot was wrong
    QStringList labels; // the status texts shown, in order

    PoolFixture()
    {
        QObject::connect(&pool, &DownloadPool::statusTextChanged, [this](const QString& t) { labels << t; });
        QDir(ws.base()).mkpath(QStringLiteral("PBSS"));
        QDir(ws.base()).mkpath(QStringLiteral("temp"));
        flags.StopRequested = 0;
        pool.setIntakeHandler([this](int w, const QString& file, const PageEntry& e) {
            const int j = e.FileName.mid(2, 6).toInt();
            const auto& slot = database.intakeSlot(w);
            QFile f(file);
            const bool good = f.open(QIODevice::ReadOnly) && f.readAll() == shotBytes(j) &&
                              slot.IndexText == e.IndexText && slot.ShotTime == e.ShotTime &&
                              slot.ServerURL == e.BaseURL;
            taken << (good ? j : -j);
        });
    }

    // Queues n screenshots named pb000001.png ... served by the server, each after its delay.
    void queue(int n, const std::function<int(int)>& delayMs)
    {
        for (int j = 1; j <= n; ++j) {
            PageEntry e;
            e.FileName = QByteArray("pb") + QByteArray::number(j).rightJustified(6, '0') + ".png";
            e.BaseURL = server.url(QStringLiteral("/ss")).toLatin1();
            e.LocalFile = QFile::encodeName(ws.path(QStringLiteral("PBSS/")) + QString::fromLatin1(e.FileName));
            e.IndexText = QByteArray::number(j).rightJustified(6, '0') + " \"P\" GUID=x";
            e.ShotTime = "2026.12.06 10:00:00";
            server.serve(QStringLiteral("/ss/") + QString::fromLatin1(e.FileName), shotBytes(j), delayMs(j));
            QVERIFY(pool.EnqueueDownload(e));
        }
    }
};

} // namespace

class TestDownloadPool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lowestFreeWorkerTakesNext()
    {
        PoolFixture f;
        f.pool.setThreads(3);
        const int delays[] = {0, 300, 100, 200, 50, 250, 120, 80, 220, 60, 150};
        f.queue(10, [&delays](int j) { return delays[j]; });

        QList<int> handed; // the workers, in the order of the queue
        int freePassedOver = 0;
        connect(&f.pool, &DownloadPool::handedOut, this, [&](int w, int j) {
            handed << (j == handed.size() + 1 ? w : -1);
            for (int v = 0; v < w; ++v)
                freePassedOver += f.pool.workerSlot(v) == DownloadPool::FreeWorker ? 1 : 0;
        });

        f.pool.RunDownloadQueue();

        QCOMPARE(handed.size(), 10);
        QVERIFY(!handed.contains(-1));
        QCOMPARE(freePassedOver, 0);
        // with these delays worker 1 is still busy when worker 2 frees first, so later shots skip a worker
        QVERIFY(std::any_of(handed.begin() + 3, handed.end(), [](int w) { return w != 0; }));
        std::sort(f.taken.begin(), f.taken.end());
        QCOMPARE(f.taken, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        for (int j = 1; j <= 10; ++j)
            QCOMPARE(f.pool.queueEntry(j), PageEntry{}); // cleared after intake
        QVERIFY(f.labels.contains(QStringLiteral("10 of 10")));
        QCOMPARE(f.pool.statusText(), QString());
    }

    void setThreadsClamps()
    {
        PoolFixture f;
        f.pool.setThreads(8);
        f.pool.setThreads(2);
        QCOMPARE(f.pool.threadCount(), 2);
        f.pool.setThreads(0);
        QCOMPARE(f.pool.threadCount(), 1);
        f.pool.setThreads(41);
        QCOMPARE(f.pool.threadCount(), 40);
    }

    void pageOverTheTransferLimitReadsEmpty()
    {
        PoolFixture f;
        f.server.serve(QStringLiteral("/pbsvss.htm"), QByteArray(5000, 'p'));
        vh::collect::NetworkLimits limits;
        limits.maxTransferBytes = 4096;
        f.pool.setLimits(limits);
        f.ws.write(QStringLiteral("temp/tempdata.htm"), "stale page of an earlier visit");
        QCOMPARE(f.pool.GetFile(f.server.url(QStringLiteral("/pbsvss.htm"))), QByteArray());
        QVERIFY(f.pool.PageFetchDone());
    }
};

QTEST_GUILESS_MAIN(TestDownloadPool)
#include "tst_downloadpool.moc"
