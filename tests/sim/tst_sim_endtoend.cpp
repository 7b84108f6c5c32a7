#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "util/TestWorkspace.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <csignal>

using vh::database::Database;
using vh::test::TestWorkspace;

// The farm as a user meets it: varnholt-sim writes a workspace and serves it, varnholt-cli collects from it in
// another process, and the database holds exactly what the farm's manifest says an inventory should find.
class TestSimEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inventoryFindsWhatTheFarmPublished();
};

void TestSimEndToEnd::inventoryFindsWhatTheFarmPublished()
{
    TestWorkspace scratch;
    const QString ws = scratch.path(QStringLiteral("farm"));
    // an address block of its own, so that other suites' status-query sockets on 127.0.0.x do not collide
    const QString first = QStringLiteral("127.0.%1.2").arg(100 + QCoreApplication::applicationPid() % 100);
    QProcess sim;
    sim.start(QStringLiteral(VARNHOLT_SIM_PATH),
              {QStringLiteral("--workspace"), ws, QStringLiteral("--minutes"), QStringLiteral("10"),
               QStringLiteral("--shot-seconds"), QStringLiteral("0"), QStringLiteral("--banlist-minutes"),
               QStringLiteral("0"), QStringLiteral("--first-address"), first});
    QVERIFY(sim.waitForStarted());
    const QString manifestPath = ws + QStringLiteral("/farm-manifest.json");
    QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(manifestPath); }, 120000), sim.readAll().constData());

    QProcess cli;
    cli.start(QStringLiteral(VARNHOLT_CLI_PATH), {QStringLiteral("--base-folder"), ws, QStringLiteral("inventory")});
    QVERIFY(cli.waitForFinished(180000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());

    QFile manifestFile(manifestPath);
    QVERIFY(manifestFile.open(QIODevice::ReadOnly));
    const QJsonObject manifest = QJsonDocument::fromJson(manifestFile.readAll()).object();
    QFile dbFile(ws + QStringLiteral("/data/database.dat"));
    QVERIFY(dbFile.open(QIODevice::ReadOnly));
    Database db;
    QVERIFY(vh::database::DatabaseFile::parse(dbFile.readAll(), db).ok());

    QMap<QByteArray, int> entryOf; // index text -> entry
    for (int i = 1; i <= db.EntryCount(); ++i)
        entryOf.insert(db.entry(i).IndexText, i);
    int expected = 0;
    QSet<QString> outcomes;
    for (const QJsonValue& serverValue : manifest.value(QStringLiteral("servers")).toArray()) {
        const QJsonObject server = serverValue.toObject();
        // the collector visits the servers of servers.dat; the others are named by the status query later
        const bool listed = server.value(QStringLiteral("listed")).toBool();
        for (const QJsonValue& shotValue : server.value(QStringLiteral("shots")).toArray()) {
            const QJsonObject shot = shotValue.toObject();
            const QByteArray text = shot.value(QStringLiteral("indexText")).toString().toLatin1();
            const QString outcome = shot.value(QStringLiteral("expect")).toString();
            outcomes << outcome;
            const bool entry = listed && outcome == QLatin1String("entry");
            QVERIFY2(entryOf.contains(text) == entry, text.constData());
            if (!entry)
                continue;
            ++expected;
            const auto& e = db.entry(entryOf.value(text));
            const QString drawn = shot.value(QStringLiteral("drawnName")).toString();
            QCOMPARE(e.ServerAddress, server.value(QStringLiteral("address")).toString().toLatin1());
            QCOMPARE(e.ServerName, server.value(QStringLiteral("name")).toString().toLatin1());
            QCOMPARE(e.HeaderInfo, server.value(QStringLiteral("map")).toString().toLatin1());
            QCOMPARE(e.GUID, shot.value(QStringLiteral("guid")).toString().toLatin1());
            QCOMPARE(e.PlayerName,
                     (drawn.isEmpty() ? shot.value(QStringLiteral("playerName")).toString() : drawn).toLatin1());
            QCOMPARE(e.ShotFile, shot.value(QStringLiteral("file")).toString().toLatin1());
            QCOMPARE(e.AutoDetected, shot.value(QStringLiteral("detected")).toString().toLatin1());
        }
    }
    QCOMPARE(db.EntryCount(), expected);
    // the farm publishes every kind of shot the comparison above distinguishes
    QCOMPARE(outcomes, (QSet<QString>{QStringLiteral("entry"), QStringLiteral("banned"), QStringLiteral("no-entry"),
                                      QStringLiteral("overwritten")}));

    ::kill(pid_t(sim.processId()), SIGINT);
    QVERIFY(sim.waitForFinished(20000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestSimEndToEnd)
#include "tst_sim_endtoend.moc"
