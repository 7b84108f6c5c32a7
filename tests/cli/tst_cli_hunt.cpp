#include "util/GameServerFarm.h"
#include "util/TestWorkspace.h"

#include <QProcess>
#include <QtTest>

using vh::test::GameServerFarm;
using vh::test::TestWorkspace;

namespace {

const QByteArray Prey = "0123456789abcdef0123456789abcdef";
const QByteArray Other = "00112233445566778899aabbccddeeff";

struct Finished
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Finished runCli(const TestWorkspace& ws, QStringList arguments)
{
    arguments.prepend(ws.base());
    arguments.prepend(QStringLiteral("--base-folder"));
    QProcess p;
    p.start(QStringLiteral(VARNHOLT_CLI_PATH), arguments);
    Finished f;
    if (!p.waitForStarted() || !p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        return f;
    }
    f.exitCode = p.exitCode();
    f.out = p.readAllStandardOutput();
    f.err = p.readAllStandardError();
    return f;
}

} // namespace

class TestCliHunt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void preyCommandsAndHunt();
};

void TestCliHunt::preyCommandsAndHunt()
{
    GameServerFarm farm(2);
    farm.addShot(0, Other, GameServerFarm::Plant::None, "Sheep");
    const auto hunted = farm.addShot(1, Prey, GameServerFarm::Plant::None, "Hunted");
    farm.addShot(1, Other, GameServerFarm::Plant::None, "Sheep", "2026.12.06 10:01:00");
    farm.publish();
    TestWorkspace ws;
    farm.writeWorkspace(ws.base());

    Finished f = runCli(ws, {QStringLiteral("hunt")});
    QCOMPARE(f.exitCode, 1);
    QVERIFY2(f.err.contains("no prey list"), f.err.constData());
    QVERIFY(!ws.exists(QStringLiteral("data/database.dat")));

    const QString importFile = ws.write(QStringLiteral("watch.txt"), "\r\n" + Prey.toUpper() + "\r\n" + Prey + "\r\n");
    f = runCli(ws, {QStringLiteral("prey"), QStringLiteral("add"), QStringLiteral("-nobody-")});
    QCOMPARE(f.exitCode, 0);
    f = runCli(ws, {QStringLiteral("prey"), QStringLiteral("import"), importFile});
    QCOMPARE(f.exitCode, 0);
    QVERIFY2(f.out.endsWith("Added to praylist: 2\n"), f.out.constData());
    f = runCli(ws, {QStringLiteral("prey"), QStringLiteral("remove"), QString::fromLatin1(Prey)});
    QCOMPARE(f.exitCode, 0);
    f = runCli(ws, {QStringLiteral("prey"), QStringLiteral("remove"), QString::fromLatin1(Prey)});
    QCOMPARE(f.exitCode, 1);
    f = runCli(ws, {QStringLiteral("prey"), QStringLiteral("list")});
    QCOMPARE(f.out, QByteArray("-nobody-\n" + Prey.toUpper() + "\n"));

    f = runCli(ws, {QStringLiteral("hunt")});
    QCOMPARE(f.exitCode, 0);
    QVERIFY2(f.out.contains(hunted.indexText() + " found on: Farm Server 2\n"), f.out.constData());
    QVERIFY2(f.err.contains("hunt pass 1: pages 2/2, finds 1, downloads 1/1"), f.err.constData());
    QCOMPARE(farm.http().hits(farm.shotPath(1, hunted)), 1);
    QVERIFY(ws.exists(QStringLiteral("data/database.dat")));
}

QTEST_GUILESS_MAIN(TestCliHunt)
#include "tst_cli_hunt.moc"
