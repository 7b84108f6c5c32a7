#include "util/GameServerFarm.h"
#include "util/TestWorkspace.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

using vh::test::GameServerFarm;
using vh::test::TestWorkspace;

namespace {

const QByteArray Guid1 = "0123456789abcdef0123456789abcdef";

struct Finished
{
    int exitCode = -1; // also when it crashed or did not end
    QString out;
    QString err;
};

Finished runCli(const QString& arguments)
{
    QProcess p;
    p.start(QStringLiteral(VARNHOLT_CLI_PATH), arguments.split(QLatin1Char(' ')));
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestCliEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandLine_data();
    void commandLine();
    void secondStopSignalEndsAtOnce();
};

void TestCliEndToEnd::commandLine_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed"); // the start of standard output, or of standard error when it fails
    QTest::newRow("help") << "--help" << 0 << "Usage: varnholt-cli ";
    QTest::newRow("version") << "--version" << 0 << "varnholt-cli 1.";
    QTest::newRow("unknown option") << "inventory --fast" << 2 << "varnholt-cli: unknown option \"--fast\"\nTry ";
}

void TestCliEndToEnd::commandLine()
{
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    const Finished f = runCli(arguments);
    QCOMPARE(f.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? f.out : f.err).startsWith(printed), qPrintable(f.out + f.err));
}

// The first SIGINT asks the run to end (the collector's drain is tested with the pool); a second one, while
// the transfers under way still crawl, ends the process at once.
void TestCliEndToEnd::secondStopSignalEndsAtOnce()
{
    GameServerFarm farm(1);
    for (int n = 0; n < 8; ++n)
        farm.addShot(0, Guid1, GameServerFarm::Plant::None, "P" + QByteArray::number(n),
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
