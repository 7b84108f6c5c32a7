#include "platform/AtomicFile.h"
#include "platform/EventWait.h"
#include "platform/SafeFileName.h"
#include "platform/WorkerPool.h"
#include "util/TestWorkspace.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

using vh::test::TestWorkspace;

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void waitUntilRunsEventsAndGivesUp()
    {
        bool done = false;
        QTimer::singleShot(30, this, [&] { done = true; });
        QVERIFY(vh::platform::waitUntil([&] { return done; }, 5000));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!vh::platform::waitUntil([] { return false; }, 100));
        QVERIFY(timer.elapsed() >= 100);
        QVERIFY(timer.elapsed() < 2000);
    }

    void backgroundWorkRunsBelowTheOwner()
    {
#ifdef Q_OS_LINUX
        using vh::platform::WorkerPool;
        const auto niceOfThisThread = [] { return getpriority(PRIO_PROCESS, id_t(gettid())); };
        const auto niceOfWork = [&](WorkerPool::Priority priority) {
            WorkerPool pool(1, priority);
            std::optional<int> seen;
            pool.start([&] {
                const int nice = niceOfThisThread();
                return [&seen, nice] { seen = nice; };
            });
            vh::platform::waitUntil([&] { return seen.has_value(); }, 5000);
            return seen.value_or(-100);
        };
        const int owner = niceOfThisThread();
        if (owner >= 19)
            QSKIP("this process already runs at the lowest priority");
        QCOMPARE(niceOfWork(WorkerPool::Priority::Normal), owner);
        QVERIFY(niceOfWork(WorkerPool::Priority::Background) > owner);
        QCOMPARE(niceOfThisThread(), owner);
#else
        QSKIP("thread priorities are left alone on this system");
#endif
    }

    void atomicWrite_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("written");
        QTest::newRow("replaces the whole file") << "data/x.dat" << true;
        // a file where the folder should be: the new file cannot be made, whoever runs the test
        QTest::newRow("folder is a file") << "data/x.dat/y.dat" << false;
    }

    void atomicWrite()
    {
        QFETCH(QString, file);
        QFETCH(bool, written);
        TestWorkspace ws;
        ws.write(QStringLiteral("data/x.dat"), QByteArray(1000, 'o'));
        const vh::platform::Problems problems = vh::platform::writeFileAtomically(ws.path(file), "new\r\n");
        QCOMPARE(problems.isEmpty(), written);
        QVERIFY(written || !problems.first().isEmpty());
        QCOMPARE(ws.read(QStringLiteral("data/x.dat")), written ? QByteArray("new\r\n") : QByteArray(1000, 'o'));
        // no temporary file is left beside it
        QCOMPARE(QDir(ws.path(QStringLiteral("data"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("x.dat")});
    }

    void stagedFileShowsOnlyWholeFiles_data()
    {
        using Sync = vh::platform::StagedFile::Sync;
        QTest::addColumn<Sync>("sync");
        QTest::addColumn<bool>("commit");
        QTest::newRow("durable, committed") << Sync::Durable << true;
        QTest::newRow("cached, committed") << Sync::Cached << true;
        QTest::newRow("cached, cancelled") << Sync::Cached << false;
    }

    void stagedFileShowsOnlyWholeFiles()
    {
        QFETCH(vh::platform::StagedFile::Sync, sync);
        QFETCH(bool, commit);
        TestWorkspace ws;
        ws.write(QStringLiteral("PBSS/x.png"), "old");
        {
            vh::platform::StagedFile file(ws.path(QStringLiteral("PBSS/x.png")), sync);
            QVERIFY(file.open());
            QCOMPARE(file.write("new data"), qint64(8));
            QCOMPARE(ws.read(QStringLiteral("PBSS/x.png")), QByteArray("old"));
            if (commit)
                QVERIFY(file.commit());
        }
        QCOMPARE(ws.read(QStringLiteral("PBSS/x.png")), commit ? QByteArray("new data") : QByteArray("old"));
        QCOMPARE(QDir(ws.path(QStringLiteral("PBSS"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("x.png")});
    }

    void safeNames_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("safe");
        QTest::newRow("dot dot") << QByteArray("..") << QByteArray("__");
        QTest::newRow("trailing dot and blank") << QByteArray("name. ") << QByteArray("name__");
        QTest::newRow("latin-1") << QByteArray("J\xe4ger") << QByteArray("J_ger");
        QTest::newRow("too long") << QByteArray(300, 'a') << QByteArray(100, 'a');
    }

    void safeNames()
    {
        QFETCH(QByteArray, text);
        QTEST(vh::platform::safeFileNamePart(text), "safe");
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
