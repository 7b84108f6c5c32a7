#include "app/AppCore.h"
#include "database/DatabaseFile.h"
#include "util/GameServerFarm.h"
#include "util/TestWorkspace.h"

#include <QDir>
#include <QtTest>

using vh::base::Setting;
using vh::test::GameServerFarm;
using Plant = vh::test::GameServerFarm::Plant;

namespace {

const QByteArray Clean = "0123456789abcdef0123456789abcdef";
const QByteArray Fogger = "fedcba9876543210fedcba9876543210";
const QByteArray Painter = "00112233445566778899aabbccddeeff";
const QByteArray AasaBanned = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

// A core started on a workspace over the published farm, with every server of the farm selected.
struct Run
{
    vh::test::TestWorkspace ws;
    vh::app::AppCore core;

    explicit Run(GameServerFarm& farm, const QMap<Setting, QString>& settings = {})
    {
        farm.publish();
        farm.writeWorkspace(ws.base(), settings);
        core.startupLoad(QStringLiteral("/nowhere/tst"), ws.base());
        core.startupLoadLists();
        GameServerFarm::selectAllServers(core);
    }
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inventoryTakesInPlantedScreenshots()
    {
        GameServerFarm farm(2);
        farm.addShot(0, Clean, Plant::None, "Clean");
        farm.addShot(1, Fogger, Plant::Fog, "Fogger", "2026.12.06 10:01:00");
        farm.addShot(1, AasaBanned, Plant::None, "Banned", "2026.12.06 10:02:00");
        farm.addShot(1, Painter, Plant::SuspiciousColour, "Painter", "2026.12.06 10:03:00");
        farm.serveAasaBanlist(GameServerFarm::aasaBanlist("AASA Farm list 1", {{AasaBanned, "Old", "Aimbot"}}));
        Run run(farm);
        vh::app::AppCore& core = run.core;
        // what a kill at the start of each visit would leave on disk
        QList<int> onDisk;
        connect(&core.inventory(), &vh::collect::Inventory::visitStarted, &core, [&] {
            vh::database::Database saved;
            vh::database::DatabaseFile::parse(run.ws.read(QStringLiteral("data/database.dat")), saved);
            onDisk << saved.EntryCount();
        });
        core.inventory().InventoryServers();

        QCOMPARE(onDisk, (QList<int>{0, 1}));
        QCOMPARE(farm.http().hits(farm.shotPath(1, farm.server(1).shots.at(1))), 0); // banned, skipped
        QMap<QByteArray, QByteArray> detected;
        for (int i = 1; i <= core.database().EntryCount(); ++i) {
            const auto& e = core.database().entry(i);
            detected[e.PlayerName] = e.AutoDetected;
            QVERIFY(QFile::exists(run.ws.path(QStringLiteral("PBSS/vault/")) + QString::fromLatin1(e.VaultName) +
                                  QStringLiteral(".png")));
        }
        QCOMPARE(detected, (QMap<QByteArray, QByteArray>{
                               {"Clean", ""}, {"Fogger", "NoFog Mountain Pass"}, {"Painter", "Suspicious color1"}}));
    }

    void cancelWhileAnalysingKeepsEveryDownload()
    {
        constexpr int Shots = 16;
        GameServerFarm farm(1);
        for (int i = 0; i < Shots; ++i)
            farm.addShot(0, Clean, Plant::None, "Clean", "2026.12.06 10:" + QByteArray::number(10 + i) + ":00");
        Run run(farm, {{Setting::Threads, QStringLiteral("8")}});
        vh::app::AppCore& core = run.core;
        // one analysis thread, so that downloads wait for it while the cancel comes
        core.intake().setAnalysisThreads(1);
        int pendingAtCancel = 0;
        connect(&core.entryStore(), &vh::database::EntryStore::entryAdded, &core, [&] {
            if (pendingAtCancel == 0)
                pendingAtCancel = core.intake().pending();
            core.inventory().CancelInventory();
        });
        core.inventory().InventoryServers();

        QVERIFY2(pendingAtCancel > 1, qPrintable(QString::number(pendingAtCancel)));
        int downloaded = 0;
        for (const auto& shot : farm.server(0).shots)
            downloaded += farm.http().hits(farm.shotPath(0, shot));
        QVERIFY2(downloaded < Shots, qPrintable(QString::number(downloaded)));
        QCOMPARE(core.database().EntryCount(), downloaded);
        QCOMPARE(QDir(run.ws.path(QStringLiteral("PBSS/vault"))).entryList(QDir::Files).size(), downloaded);
        QCOMPARE(QDir(run.ws.path(QStringLiteral("PBSS"))).entryList(QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
