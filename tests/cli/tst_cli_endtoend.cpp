#include "base/Settings.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "util/GameServerFarm.h"
#include "util/TestWorkspace.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

#include <csignal>

using vh::base::Setting;
using vh::database::Database;
using vh::test::GameServerFarm;
using vh::test::TestWorkspace;

namespace {

const QByteArray Guid1 = "0123456789abcdef0123456789abcdef";
const QByteArray Guid2 = "00112233445566778899aabbccddeeff";
const QByteArray Banned = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

struct Finished
{
    int exitCode = -1;
    bool crashed = true;
    QString out;
    QString err;
};

Finished runCli(const QStringList& arguments, int timeoutMs = 60000)
{
    QProcess p;
    p.start(QStringLiteral(VARNHOLT_CLI_PATH), arguments);
    Finished f;
    if (!p.waitForStarted() || !p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return f;
    }
    f.exitCode = p.exitCode();
    f.crashed = p.exitStatus() != QProcess::NormalExit;
    f.out = QString::fromUtf8(p.readAllStandardOutput());
    f.err = QString::fromUtf8(p.readAllStandardError());
    return f;
}

Database loadDatabase(const TestWorkspace& ws)
{
    Database db;
    const auto result = vh::database::DatabaseFile::parse(ws.read(QStringLiteral("data/database.dat")), db);
    if (!result.ok())
        qWarning("database damaged: %s", qPrintable(result.problems.join(QStringLiteral("; "))));
    return db;
}

QStringList filesIn(const TestWorkspace& ws, const QString& folder)
{
    return QDir(ws.path(folder)).entryList(QDir::Files | QDir::Hidden);
}

// Every vault PNG has its entry and every entry its PNG; returns the entries' index lines.
QStringList checkVaultMatchesDatabase(const TestWorkspace& ws, const Database& db)
{
    QStringList vault = filesIn(ws, QStringLiteral("PBSS/vault"));
    QStringList named;
    QStringList lines;
    for (int i = 1; i <= db.EntryCount(); ++i) {
        named << QString::fromLatin1(db.entry(i).VaultName) + QStringLiteral(".png");
        lines << QString::fromLatin1(db.entry(i).IndexText);
    }
    vault.sort();
    named.sort();
    if (vault != named)
        qWarning("vault %s, entries %s", qPrintable(vault.join(QLatin1Char(' '))),
                 qPrintable(named.join(QLatin1Char(' '))));
    return vault == named ? lines : QStringList{QStringLiteral("vault and database differ")};
}

} // namespace

class TestCliEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandLine_data();
    void commandLine();
    void inventoryCollectsEveryServer();
    void ctrlCDrainsAndLosesNothing();
    void secondStopSignalEndsAtOnce();
    void searchListsAPlayersEntries();
    void preyCommandsAndHunt();
};

void TestCliEndToEnd::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << QStringLiteral("Usage: varnholt-cli ")
                          << QString();
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0 << QStringLiteral("varnholt-cli 1.")
                             << QString();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("inventory"), QStringLiteral("--fast")} << 2
                                    << QString() << QStringLiteral("varnholt-cli: unknown option \"--fast\"\nTry ");
}

void TestCliEndToEnd::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Finished f = runCli(arguments);
    QVERIFY(!f.crashed);
    QCOMPARE(f.exitCode, exitCode);
    QVERIFY2(out.isEmpty() ? f.out.isEmpty() : f.out.startsWith(out), qPrintable(f.out));
    QVERIFY2(err.isEmpty() ? f.err.isEmpty() : f.err.startsWith(err), qPrintable(f.err));
}

void TestCliEndToEnd::inventoryCollectsEveryServer()
{
    GameServerFarm farm(3);
    farm.addShot(0, Guid1, GameServerFarm::Plant::None, "Anna");
    farm.addShot(0, Guid2, GameServerFarm::Plant::None, "Bert", "2026.12.06 10:01:00");
    farm.addShot(1, Banned, GameServerFarm::Plant::None, "Cheater", "2026.12.06 10:02:00");
    farm.addShot(1, Guid1, GameServerFarm::Plant::Fog, "Anna", "2026.12.06 10:03:00"); // on Mountain Pass
    farm.addShot(2, Guid2, GameServerFarm::Plant::None, "Bert", "2026.12.06 10:04:00");
    farm.serveAasaBanlist(GameServerFarm::aasaBanlist("AASA Farm list 1", {{Banned, "Old", "Aimbot"}}));
    farm.publish();
    TestWorkspace ws;
    farm.writeWorkspace(ws.base(), {{Setting::LogOnClose, QStringLiteral("1")}});

    const Finished f = runCli({QStringLiteral("--base-folder"), ws.base(), QStringLiteral("inventory")});
    QVERIFY2(!f.crashed && f.exitCode == 0, qPrintable(f.err));

    QCOMPARE(f.err,
             QStringLiteral("server 1/3, downloads 2/2\nserver 2/3, downloads 1/1\nserver 3/3, downloads 1/1\n"));

    // the shutdown saved the database, the settings, the log and the server names
    const Database db = loadDatabase(ws);
    QCOMPARE(db.EntryCount(), 4);
    QStringList expected;
    for (int k : {0, 1, 2}) {
        for (const auto& shot : farm.server(k).shots) {
            if (shot.guid != Banned)
                expected << QString::fromLatin1(shot.indexText());
        }
    }
    QStringList got = checkVaultMatchesDatabase(ws, db);
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
    QCOMPARE(filesIn(ws, QStringLiteral("PBSS")), QStringList{});
    QVERIFY(ws.read(QStringLiteral("data/Settings.dat")).contains("\r\ns19:4\r\n")); // the downloaded counter
    QVERIFY(ws.exists(QStringLiteral("Varnholt.log")));
    QVERIFY(ws.read(QStringLiteral("data/servers.dat")).startsWith("Farm Server 1\r\n127.0.0.2\r\n"));
    QVERIFY(!ws.exists(QStringLiteral("varnholt-cli.lock")));

    // a second run finds nothing new and fetches no screenshot again
    const int pngRequests = int(farm.http().requests().filter(QStringLiteral(".png")).size());
    const Finished again = runCli({QStringLiteral("--base-folder"), ws.base(), QStringLiteral("inventory"),
                                   QStringLiteral("--map"), QStringLiteral("bridge crossing")});
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(again.out.count(QStringLiteral("Inventory started on : ")), 1);
    QCOMPARE(int(farm.http().requests().filter(QStringLiteral(".png")).size()), pngRequests);
    QCOMPARE(loadDatabase(ws).EntryCount(), 4);
}

// SIGTERM reaches the same stop path (see the StopSignals test)
void TestCliEndToEnd::ctrlCDrainsAndLosesNothing()
{
    constexpr int ShotsPerServer = 24;
    GameServerFarm farm(2);
    for (int k : {0, 1}) {
        for (int n = 0; n < ShotsPerServer; ++n)
            farm.addShot(k, n % 2 ? Guid1 : Guid2, GameServerFarm::Plant::None, "P" + QByteArray::number(n),
                         "2026.12.06 10:" + QByteArray::number(10 + n) + ":00");
    }
    for (int k : {0, 1})
        farm.http().serve(QLatin1Char('/') + farm.server(k).address + QStringLiteral("/pbsvss.htm"), farm.indexPage(k));
    // slow transfers, so that several are under way when the signal comes; the second server is never reached
    for (const auto& shot : farm.server(0).shots)
        farm.http().serveSlowly(farm.shotPath(0, shot), farm.png(0, shot), 4096, 15);
    TestWorkspace ws;
    farm.writeWorkspace(ws.base(), {{Setting::Threads, QStringLiteral("4")}});

    QProcess p;
    p.start(QStringLiteral(VARNHOLT_CLI_PATH),
            {QStringLiteral("--base-folder"), ws.base(), QStringLiteral("inventory")});
    QVERIFY(p.waitForStarted());
    // the signal comes once a few screenshots are in the vault and more are on their way
    QVERIFY(QTest::qWaitFor([&] { return filesIn(ws, QStringLiteral("PBSS/vault")).size() >= 3; }, 60000));
    QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == 0, qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("cancelling the inventory")), qPrintable(err));

    // the run ended early: the second server was never visited
    QCOMPARE(out.count(QStringLiteral("Inventory started on : ")), 1);
    const QStringList requested = farm.http().requests().filter(QStringLiteral(".png"));
    QVERIFY2(requested.size() < ShotsPerServer, qPrintable(requested.join(QLatin1Char(' '))));

    // every transfer that had begun was finished and taken in (the pool's drain); nothing half-written stayed
    const Database db = loadDatabase(ws);
    QCOMPARE(db.EntryCount(), int(requested.size()));
    QCOMPARE(checkVaultMatchesDatabase(ws, db).size(), db.EntryCount());
    QCOMPARE(filesIn(ws, QStringLiteral("PBSS")), QStringList{});
    QVERIFY(!ws.exists(QStringLiteral("varnholt-cli.lock")));
}

void TestCliEndToEnd::secondStopSignalEndsAtOnce()
{
    GameServerFarm farm(1);
    for (int n = 0; n < 8; ++n)
        farm.addShot(0, Guid1, GameServerFarm::Plant::None, "P" + QByteArray::number(n),
                     "2026.12.06 10:" + QByteArray::number(10 + n) + ":00");
    farm.publish();
    // transfers that would take far longer than the test waits
    for (const auto& shot : farm.server(0).shots)
        farm.http().serveSlowly(farm.shotPath(0, shot), farm.png(0, shot), 64, 200);
    TestWorkspace ws;
    farm.writeWorkspace(ws.base());

    QProcess p;
    p.start(QStringLiteral(VARNHOLT_CLI_PATH),
            {QStringLiteral("--base-folder"), ws.base(), QStringLiteral("inventory")});
    QVERIFY(p.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return !farm.http().requests().filter(QStringLiteral(".png")).isEmpty(); }, 60000));
    QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
    QByteArray err;
    QVERIFY(QTest::qWaitFor(
        [&] {
            err += p.readAllStandardError();
            return err.contains("cancelling");
        },
        10000));
    QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 128 + SIGINT);
}

void TestCliEndToEnd::searchListsAPlayersEntries()
{
    TestWorkspace ws;
    Database db;
    for (const auto& [guid, name] : {std::pair{Guid1, QByteArray("Alpha")}, std::pair{Guid2, QByteArray("Bravo")},
                                     std::pair{Guid1, QByteArray("Alpha2")}}) {
        vh::database::ScreenshotEntry e;
        e.GUID = guid;
        e.PlayerName = name;
        e.ServerName = "Farm";
        e.ShotTime = "2026.12.06 10:00:00";
        db.append(e);
    }
    db.entry(3).Cheating = true;
    ws.write(QStringLiteral("data/database.dat"), vh::database::DatabaseFile::serialize(db));
    const Finished f = runCli(
        {QStringLiteral("--base-folder"), ws.base(), QStringLiteral("search"), QString::fromLatin1(Guid1.toUpper())});
    QVERIFY(!f.crashed);
    QCOMPARE(f.exitCode, 0);
    QCOMPARE(f.out, QStringLiteral("1\t2026.12.06 10:00:00\tFarm\tAlpha\t") + QString::fromLatin1(Guid1) +
                        QStringLiteral("\t-\n3\t2026.12.06 10:00:00\tFarm\tAlpha2\t") + QString::fromLatin1(Guid1) +
                        QStringLiteral("\tcheating\n# names used by this GUID: Alpha, Alpha2\n"));
}

void TestCliEndToEnd::preyCommandsAndHunt()
{
    GameServerFarm farm(2);
    farm.addShot(0, Guid2, GameServerFarm::Plant::None, "Sheep");
    const auto hunted = farm.addShot(1, Guid1, GameServerFarm::Plant::None, "Hunted");
    farm.addShot(1, Guid2, GameServerFarm::Plant::None, "Sheep", "2026.12.06 10:01:00");
    farm.publish();
    TestWorkspace ws;
    farm.writeWorkspace(ws.base());
    const auto cli = [&](const QString& command) {
        return runCli(QStringList{QStringLiteral("--base-folder"), ws.base()} + command.split(QLatin1Char(' ')));
    };

    Finished f = cli(QStringLiteral("hunt"));
    QCOMPARE(f.exitCode, 1);
    QVERIFY2(f.err.contains(QStringLiteral("no prey list")), qPrintable(f.err));
    QVERIFY(!ws.exists(QStringLiteral("data/database.dat")));

    const QString importFile =
        ws.write(QStringLiteral("watch.txt"), "\r\n" + Guid1.toUpper() + "\r\n" + Guid1 + "\r\n");
    QCOMPARE(cli(QStringLiteral("prey add -nobody-")).exitCode, 0);
    f = cli(QStringLiteral("prey import ") + importFile);
    QVERIFY2(f.exitCode == 0 && f.out.endsWith(QStringLiteral("Added to praylist: 2\n")), qPrintable(f.out));
    QCOMPARE(cli(QStringLiteral("prey remove ") + QString::fromLatin1(Guid1)).exitCode, 0);
    QCOMPARE(cli(QStringLiteral("prey remove ") + QString::fromLatin1(Guid1)).exitCode, 1);
    QCOMPARE(cli(QStringLiteral("prey list")).out,
             QStringLiteral("-nobody-\n") + QString::fromLatin1(Guid1.toUpper()) + QLatin1Char('\n'));

    f = cli(QStringLiteral("hunt"));
    QCOMPARE(f.exitCode, 0);
    QVERIFY2(f.out.contains(QString::fromLatin1(hunted.indexText()) + QStringLiteral(" found on: Farm Server 2\n")),
             qPrintable(f.out));
    QVERIFY2(f.err.contains(QStringLiteral("hunt pass 1: pages 2/2, finds 1, downloads 1/1")), qPrintable(f.err));
    QCOMPARE(farm.http().hits(farm.shotPath(1, hunted)), 1);
    QVERIFY(ws.exists(QStringLiteral("data/database.dat")));
}

QTEST_GUILESS_MAIN(TestCliEndToEnd)
#include "tst_cli_endtoend.moc"
