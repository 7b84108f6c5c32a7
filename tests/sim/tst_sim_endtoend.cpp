#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "servers/ServerList.h"
#include "util/TestWorkspace.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <csignal>

using vh::database::Database;
using vh::test::TestWorkspace;

// The farm as a user meets it: varnholt-sim writes a workspace and serves it, varnholt-cli collects from it in
// another process, and the database holds exactly what the farm's manifest says an inventory should find; a hunt
// after it finds exactly the shots the farm's prey list names, and takes those the inventory did not.
class TestSimEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inventoryThenHuntFindWhatTheFarmPublished();
};

namespace {

// The IndexText of every entry of the workspace's database, copied out of the table's storage.
QList<QByteArray> indexTexts(const QString& workspace)
{
    QFile dbFile(workspace + QStringLiteral("/data/database.dat"));
    Database db;
    if (!dbFile.open(QIODevice::ReadOnly) || !vh::database::DatabaseFile::parse(dbFile.readAll(), db).ok())
        return {};
    QList<QByteArray> texts;
    for (int i = 1; i <= db.EntryCount(); ++i)
        texts << QByteArray(db.entry(i).IndexText.constData(), db.entry(i).IndexText.size());
    return texts;
}

} // namespace

void TestSimEndToEnd::inventoryThenHuntFindWhatTheFarmPublished()
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

    // the hunt: every named server of servers.dat (the inventory may have named more), the prey of data/Pray.dat
    QProcess hunt;
    hunt.start(QStringLiteral(VARNHOLT_CLI_PATH), {QStringLiteral("--base-folder"), ws, QStringLiteral("hunt")});
    QVERIFY(hunt.waitForFinished(180000));
    QCOMPARE(hunt.exitStatus(), QProcess::NormalExit);
    QVERIFY2(hunt.exitCode() == 0, hunt.readAllStandardError().constData());
    const QByteArray huntOut = hunt.readAllStandardOutput();
    QSet<QByteArray> found; // "<IndexText> found on: <server name>" lines
    for (const QByteArray& line : huntOut.split('\n')) {
        const qsizetype at = line.indexOf(" : ");
        if (at >= 0 && line.contains(" found on: "))
            found.insert(line.mid(at + 3));
    }

    QFile serversFile(ws + QStringLiteral("/data/servers.dat"));
    QVERIFY(serversFile.open(QIODevice::ReadOnly));
    const QByteArray serversDat = serversFile.readAll();
    const QList<QByteArrayView> serverLines = vh::servers::splitTextLines(serversDat);
    QMap<QByteArray, QByteArray> nameOf; // address -> name the hunt goes by
    for (qsizetype i = 0; i + 2 < serverLines.size(); i += 3) {
        const QByteArray name = serverLines.at(i).toByteArray();
        if (!name.isEmpty() && name.compare("unknown", Qt::CaseInsensitive) != 0)
            nameOf.insert(serverLines.at(i + 1).toByteArray(), name);
    }
    QList<QByteArray> prey;
    for (const QJsonValue& p : manifest.value(QStringLiteral("prey")).toArray())
        prey << p.toString().toLatin1().toLower();
    QVERIFY(!prey.isEmpty());

    const QList<QByteArray> afterHuntList = indexTexts(ws);
    const QSet<QByteArray> afterHunt(afterHuntList.begin(), afterHuntList.end());
    QSet<QByteArray> expectedFinds;
    int newEntries = 0;
    for (const QJsonValue& serverValue : manifest.value(QStringLiteral("servers")).toArray()) {
        const QJsonObject server = serverValue.toObject();
        const QByteArray address = server.value(QStringLiteral("address")).toString().toLatin1();
        for (const QJsonValue& shotValue : server.value(QStringLiteral("shots")).toArray()) {
            const QJsonObject shot = shotValue.toObject();
            const QByteArray text = shot.value(QStringLiteral("indexText")).toString().toLatin1();
            const QString outcome = shot.value(QStringLiteral("expect")).toString();
            const bool hit =
                nameOf.contains(address) && outcome != QLatin1String("overwritten") &&
                std::any_of(prey.begin(), prey.end(), [&](const QByteArray& p) { return text.toLower().contains(p); });
            if (hit)
                expectedFinds.insert(text + " found on: " + nameOf.value(address));
            // an entry the inventory had stays; a hit the inventory did not take becomes one
            const bool entry = entryOf.contains(text) || (hit && outcome == QLatin1String("entry"));
            QVERIFY2(afterHunt.contains(text) == entry, text.constData());
            if (entry && !entryOf.contains(text))
                ++newEntries;
        }
    }
    QVERIFY(!expectedFinds.isEmpty());
    QCOMPARE(found, expectedFinds);
    QCOMPARE(afterHuntList.size(), db.EntryCount() + newEntries);

    ::kill(pid_t(sim.processId()), SIGINT);
    QVERIFY(sim.waitForFinished(20000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestSimEndToEnd)
#include "tst_sim_endtoend.moc"
