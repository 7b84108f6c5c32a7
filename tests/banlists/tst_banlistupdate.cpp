#include "app/AppCore.h"
#include "base/Paths.h"
#include "util/GameServerFarm.h"
#include "util/TestWorkspace.h"

#include <QtTest>

using vh::test::GameServerFarm;
namespace Paths = vh::base::Paths;

namespace {

const QByteArray Cheater = "cccccccccccccccccccccccccccccccc";
const QByteArray AasaPath = "/banlists/aasaprivbanguid.txt";
const QByteArray AciPath = "/banlists/pbbans.txt";

struct Fixture
{
    GameServerFarm farm;
    vh::test::TestWorkspace ws;
    vh::app::AppCore core;
    QList<bool> locks;

    Fixture() : farm(1) { farm.writeWorkspace(ws.base()); }
    void start()
    {
        const auto record = [this](bool lock) { locks << lock; };
        QObject::connect(&core.inventory(), &vh::collect::Inventory::runningChanged, record);
        QObject::connect(&core.banlistUpdate(), &vh::banlists::BanlistUpdate::busyChanged, record);
        QObject::connect(&core, &vh::app::AppCore::startupChecksRunning, record);
        core.startupLoad(QStringLiteral("/nowhere/tst"), ws.base());
        core.startupLoadLists();
    }
    int hits(const QByteArray& path) { return farm.http().hits(QString::fromLatin1(path)); }
};

} // namespace

class TestBanlistUpdate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void versionCheck_data()
    {
        QTest::addColumn<bool>("aasa");
        QTest::addColumn<QByteArray>("published");
        QTest::addColumn<bool>("fetched");
        const QList<GameServerFarm::Ban> two = {{GameServerFarm::NobodysGuid, "Nobody", "Aimbot"},
                                                {Cheater, "C", "pbss"}};
        QTest::newRow("AASA info changed") << true << GameServerFarm::aasaBanlist("AASA Farm list 2", two) << true;
        QTest::newRow("ACI info changed") << false << GameServerFarm::aciBanlist("[ACI] Farm list 2", two) << true;
        QTest::newRow("ACI info equal, bans differ")
            << false << GameServerFarm::aciBanlist("[ACI] Farm list 1", two) << false;
    }

    void versionCheck()
    {
        QFETCH(bool, aasa);
        QFETCH(QByteArray, published);
        QFETCH(bool, fetched);
        Fixture f;
        f.start();
        const QString file = aasa ? Paths::AasaBanlistFile : Paths::AciBanlistFile;
        const QByteArray before = f.ws.read(file);
        aasa ? f.farm.serveAasaBanlist(published) : f.farm.serveAciBanlist(published);
        f.core.flags().StopRequested = 0;

        aasa ? f.core.banlistUpdate().CheckAASAbanlistversion() : f.core.banlistUpdate().CheckACIbanlistversion();

        QVERIFY(f.core.banlistUpdate().BanlistCheckDone);
        QCOMPARE(f.ws.read(file), fetched ? published : before);
        QCOMPARE(f.hits(aasa ? AasaPath : AciPath), fetched ? 2 : 1);
        QCOMPARE(aasa ? f.core.banlists().AasaBanCount() : f.core.banlists().AciBanCount(), fetched ? 2 : 1);
        // after a fetch a run in progress comes to its end
        QCOMPARE(f.core.flags().StopRequested, fetched ? 1 : 0);
        QCOMPARE(f.locks, fetched ? (QList<bool>{true, false}) : QList<bool>{});
    }

    void menuCommandFetchesBothLists_data()
    {
        QTest::addColumn<QByteArray>("aasa");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("both lists") << GameServerFarm::aasaBanlist("AASA Farm list 2", {{Cheater, "C", "Aimbot"}})
                                    << true;
        QTest::newRow("an error page does not replace the AASA list")
            << QByteArray("<html><body>404 Not Found</body></html>") << false;
    }

    void menuCommandFetchesBothLists()
    {
        QFETCH(QByteArray, aasa);
        QFETCH(bool, replaced);
        Fixture f;
        f.start();
        const QByteArray before = f.ws.read(Paths::AasaBanlistFile);
        const QByteArray aci = GameServerFarm::aciBanlist("[ACI] Farm list 2", {{Cheater, "C", "Wallhack"}});
        f.farm.serveAasaBanlist(aasa);
        f.farm.serveAciBanlist(aci);

        f.core.banlistUpdate().DownloadBanlists();

        QCOMPARE(f.ws.read(Paths::AasaBanlistFile), replaced ? aasa : before);
        QCOMPARE(f.core.banlists().AasaBanCount(), 1);
        QVERIFY(!f.ws.exists(QStringLiteral("temp/aasaprivbanguid.txt")));
        QCOMPARE(f.ws.read(Paths::AciBanlistFile), aci);
        QCOMPARE(f.core.banlists().AciBanCount(), 1);
        QCOMPARE(f.core.flags().StopRequested, 1);
    }

    void startupFetchesOnlyMissingLists()
    {
        Fixture f;
        QVERIFY(QFile::remove(f.ws.path(Paths::AasaBanlistFile)) && QFile::remove(f.ws.path(Paths::AciBanlistFile)));
        f.farm.serveAasaBanlist(GameServerFarm::aasaBanlist("AASA at start", {{Cheater, "C", "Aimbot"}}));
        f.start();
        QCOMPARE(f.hits("/aasaprivbanguid.txt") + f.hits(AciPath), 2);
        QCOMPARE(f.core.banlists().AasaBanCount(), 1);
        QCOMPARE(f.locks, (QList<bool>{true, false, true, false}));

        vh::app::AppCore again;
        again.startupLoad(QStringLiteral("/nowhere/tst"), f.ws.base());
        QCOMPARE(f.hits("/aasaprivbanguid.txt") + f.hits(AciPath), 2);
    }
};

QTEST_GUILESS_MAIN(TestBanlistUpdate)
#include "tst_banlistupdate.moc"
