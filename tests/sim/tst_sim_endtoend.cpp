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

namespace {

// Each entry of the workspace's database under its index line, as "address|server|map|GUID|player|file|detected".
QMultiMap<QByteArray, QByteArray> entries(const QString& workspace)
{
    QFile file(workspace + QStringLiteral("/data/database.dat"));
    Database db;
    if (!file.open(QIODevice::ReadOnly) || !vh::database::DatabaseFile::parse(file.readAll(), db).ok())
        return {};
    QMultiMap<QByteArray, QByteArray> found;
    for (int i = 1; i <= db.EntryCount(); ++i) {
        const auto& e = db.entry(i);
        // copied: the table's members point into the file's bytes, which go with db
        found.insert(QByteArray(e.IndexText.constData(), e.IndexText.size()),
                     QByteArrayList{e.ServerAddress, e.ServerName, e.HeaderInfo, e.GUID, e.PlayerName, e.ShotFile,
                                    e.AutoDetected}
                         .join('|'));
    }
    return found;
}

// Runs varnholt-cli to its end; the standard output, or a note when it failed.
QByteArray runCli(const QString& workspace, const QString& command)
{
    QProcess cli;
    cli.start(QStringLiteral(VARNHOLT_CLI_PATH), {QStringLiteral("--base-folder"), workspace, command});
    if (!cli.waitForFinished(180000) || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0)
        return "failed: " + cli.readAllStandardError();
    return cli.readAllStandardOutput();
}

} // namespace

// The farm as a user meets it: varnholt-sim writes a workspace and serves it, varnholt-cli collects from it in
// another process, and the database holds exactly what the farm's manifest says an inventory should find; a hunt
// after it finds exactly the shots the farm's prey list names, and takes those the inventory did not.
class TestSimEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inventoryThenHuntFindWhatTheFarmPublished();
};

void TestSimEndToEnd::inventoryThenHuntFindWhatTheFarmPublished()
{
    vh::test::TestWorkspace scratch;
    const QString ws = scratch.path(QStringLiteral("farm"));
    // an address block of its own, so that other suites' status-query sockets on 127.0.0.x do not collide
    const QString first = QStringLiteral("127.0.%1.2").arg(100 + QCoreApplication::applicationPid() % 100);
    QProcess sim;
    sim.start(QStringLiteral(VARNHOLT_SIM_PATH),
              {QStringLiteral("--workspace"), ws, QStringLiteral("--minutes"), QStringLiteral("10"),
               QStringLiteral("--shot-seconds"), QStringLiteral("0"), QStringLiteral("--banlist-minutes"),
               QStringLiteral("0"), QStringLiteral("--first-address"), first});
    const QString manifestPath = ws + QStringLiteral("/farm-manifest.json");
    QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(manifestPath); }, 120000), sim.readAll().constData());
    const QByteArray inventoryOut = runCli(ws, QStringLiteral("inventory"));
    QVERIFY2(!inventoryOut.startsWith("failed: "), inventoryOut.constData());
    const QMultiMap<QByteArray, QByteArray> afterInventory = entries(ws);
    const QByteArray huntOut = runCli(ws, QStringLiteral("hunt"));
    QVERIFY2(!huntOut.startsWith("failed: "), huntOut.constData());
    QSet<QByteArray> found; // "<IndexText> found on: <server name>" lines
    for (const QByteArray& line : huntOut.split('\n')) {
        if (line.contains(" found on: "))
            found.insert(line.mid(line.indexOf(" : ") + 3));
    }

    QFile manifestFile(manifestPath);
    QVERIFY(manifestFile.open(QIODevice::ReadOnly));
    const QJsonObject manifest = QJsonDocument::fromJson(manifestFile.readAll()).object();
    QList<QByteArray> prey;
    for (const QJsonValue& p : manifest.value(QStringLiteral("prey")).toArray())
        prey << p.toString().toLatin1().toLower();
    // the hunt goes by the names servers.dat holds after the inventory (which may have named more servers)
    QFile serversFile(ws + QStringLiteral("/data/servers.dat"));
    QVERIFY(serversFile.open(QIODevice::ReadOnly));
    const QByteArray serversDat = serversFile.readAll();
    const QList<QByteArrayView> serverLines = vh::servers::splitTextLines(serversDat);
    QMap<QByteArray, QByteArray> nameOf; // address -> name
    for (qsizetype i = 0; i + 2 < serverLines.size(); i += 3) {
        if (!serverLines.at(i).isEmpty() && serverLines.at(i).compare("unknown", Qt::CaseInsensitive) != 0)
            nameOf.insert(serverLines.at(i + 1).toByteArray(), serverLines.at(i).toByteArray());
    }

    QMultiMap<QByteArray, QByteArray> inventoryExpected;
    QSet<QByteArray> keptOrTaken(afterInventory.keyBegin(), afterInventory.keyEnd());
    QSet<QByteArray> findsExpected;
    QSet<QString> outcomes;
    for (const QJsonValue& serverValue : manifest.value(QStringLiteral("servers")).toArray()) {
        const QJsonObject server = serverValue.toObject();
        const QByteArray address = server.value(QStringLiteral("address")).toString().toLatin1();
        for (const QJsonValue& shotValue : server.value(QStringLiteral("shots")).toArray()) {
            const QJsonObject shot = shotValue.toObject();
            const auto field = [&shot](const char* name) { return shot.value(QLatin1String(name)).toString(); };
            const QByteArray text = field("indexText").toLatin1();
            const QString outcome = field("expect");
            outcomes << outcome;
            const QByteArray entry =
                QByteArrayList{address,
                               server.value(QStringLiteral("name")).toString().toLatin1(),
                               server.value(QStringLiteral("map")).toString().toLatin1(),
                               field("guid").toLatin1(),
                               (field("drawnName").isEmpty() ? field("playerName") : field("drawnName")).toLatin1(),
                               field("file").toLatin1(),
                               field("detected").toLatin1()}
                    .join('|');
            // the collector visits the servers of servers.dat; the others are named by the status query later
            const bool taken = outcome == QLatin1String("entry");
            if (taken && server.value(QStringLiteral("listed")).toBool())
                inventoryExpected.insert(text, entry);
            const bool hit =
                nameOf.contains(address) && outcome != QLatin1String("overwritten") &&
                std::any_of(prey.begin(), prey.end(), [&](const QByteArray& p) { return text.toLower().contains(p); });
            if (hit)
                findsExpected << text + " found on: " + nameOf.value(address);
            if (hit && taken)
                keptOrTaken << text;
        }
    }
    // the farm publishes every kind of shot the comparison above distinguishes
    QCOMPARE(outcomes, (QSet<QString>{QStringLiteral("entry"), QStringLiteral("banned"), QStringLiteral("no-entry"),
                                      QStringLiteral("overwritten")}));
    QCOMPARE(afterInventory, inventoryExpected);
    QVERIFY(!findsExpected.isEmpty());
    QCOMPARE(found, findsExpected);
    // an entry the inventory had stays; a hit the inventory did not take becomes one
    QList<QByteArray> afterHunt(keptOrTaken.begin(), keptOrTaken.end());
    std::sort(afterHunt.begin(), afterHunt.end());
    QCOMPARE(entries(ws).keys(), afterHunt);

    ::kill(pid_t(sim.processId()), SIGINT);
    QVERIFY(sim.waitForFinished(20000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestSimEndToEnd)
#include "tst_sim_endtoend.moc"
