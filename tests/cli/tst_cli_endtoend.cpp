#include "util/GameServerFarm.h"
#include "util/TestWorkspace.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

using vh::test::GameServerFarm;
using vh::test::TestWorkspace;

class TestCliEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondStopSignalEndsAtOnce();
};

// The first SIGINT asks the run to end (the collector's drain is tested with the pool); a second one, while
// the transfers under way still crawl, ends the process at once.
void TestCliEndToEnd::secondStopSignalEndsAtOnce()
{
    GameServerFarm farm(1);
    for (int n = 0; n < 8; ++n)
        farm.addShot(0, QByteArray(32, 'a'), GameServerFarm::Plant::None, "P" + QByteArray::number(n),
                     "2026.12.06 10:" + QByteArray::number(10 + n) + ":00");
    farm.publish();
    for (const auto& shot : farm.server(0).shots)
        farm.http().serveSlowly(farm.shotPath(0, shot), farm.png(0, shot), 64, 200);
    TestWorkspace ws;
    farm.writeWorkspace(ws.base());

    QProcess p;
    p.start(QStringLiteral(VARNHOLT_CLI_PATH),
            {QStringLiteral("--base-folder"), ws.base(), QStringLiteral("inventory")});
    QVERIFY(QTest::qWaitFor([&] { return !farm.http().requests().filter(QStringLiteral(".png")).isEmpty(); }, 60000));
    QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
    QByteArray err;
    QVERIFY(QTest::qWaitFor(
        [&] {
            err += p.readAllStandardError();
            return err.contains("cancelling the inventory");
        },
        10000));
    QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 128 + SIGINT);
}

QTEST_GUILESS_MAIN(TestCliEndToEnd)
#include "tst_cli_endtoend.moc"
