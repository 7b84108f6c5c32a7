#include "platform/AtomicFile.h"
#include "platform/EventWait.h"
#include "util/TestWorkspace.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using vh::test::TestWorkspace;

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void waitUntilRunsEventsAndGivesUp();
    void atomicWriteReplacesWholeFile();
    void atomicWriteReportsFailure();
    void stagedFileShowsOnlyWholeFiles_data();
    void stagedFileShowsOnlyWholeFiles();
};

void TestPlatform::waitUntilRunsEventsAndGivesUp()
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

void TestPlatform::atomicWriteReplacesWholeFile()
{
    TestWorkspace ws;
    ws.write(QStringLiteral("data/x.dat"), QByteArray(1000, 'o'));
    QVERIFY(vh::platform::writeFileAtomically(ws.path(QStringLiteral("data/x.dat")), "new\r\n").isEmpty());
    QCOMPARE(ws.read(QStringLiteral("data/x.dat")), QByteArray("new\r\n"));
    QCOMPARE(QDir(ws.path(QStringLiteral("data"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("x.dat")});
}

void TestPlatform::atomicWriteReportsFailure()
{
    TestWorkspace ws;
    // a file where the folder should be: the new file cannot be made, whoever runs the test
    ws.write(QStringLiteral("blocker"), "kept");
    const vh::platform::Problems problems =
        vh::platform::writeFileAtomically(ws.path(QStringLiteral("blocker/x.dat")), "new");
    QVERIFY(!problems.isEmpty());
    QVERIFY(!problems.first().isEmpty());
    QCOMPARE(ws.read(QStringLiteral("blocker")), QByteArray("kept"));
}

void TestPlatform::stagedFileShowsOnlyWholeFiles_data()
{
    using Sync = vh::platform::StagedFile::Sync;
    QTest::addColumn<Sync>("sync");
    QTest::addColumn<bool>("commit");
    QTest::newRow("durable, committed") << Sync::Durable << true;
    QTest::newRow("cached, committed") << Sync::Cached << true;
    QTest::newRow("cached, cancelled") << Sync::Cached << false;
}

void TestPlatform::stagedFileShowsOnlyWholeFiles()
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

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
