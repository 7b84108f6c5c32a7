#include "app/AppCore.h"
#include "util/GameServerFarm.h"
#include "util/TestWorkspace.h"

#include <QtTest>

using vh::test::GameServerFarm;

namespace {

const QByteArray Prey = "0123456789abcdef0123456789abcdef";
const QByteArray Other = "00112233445566778899aabbccddeeff";

} // namespace

class TestHuntRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void huntDownloadsOnlyThePreysShots()
    {
        GameServerFarm farm(4);
        farm.setServerName(0, QStringLiteral("Zeta"), QStringLiteral("Bridge Crossing"));
        farm.setServerName(1, QStringLiteral("alpha"), QStringLiteral("Bridge Crossing"));
        farm.setServerName(2, QStringLiteral("Beta"), QStringLiteral("Bridge Crossing"));
        farm.setServerName(3, QStringLiteral("unknown"), QStringLiteral("Bridge Crossing"));
        farm.addShot(0, Other, GameServerFarm::Plant::None, "Clean");
        const auto hunted = farm.addShot(0, Prey, GameServerFarm::Plant::None, "Hunted", "2026.12.06 10:01:00");
        const auto wolf = farm.addShot(1, Other, GameServerFarm::Plant::None, "Lone Wolf");
        farm.addShot(1, Other, GameServerFarm::Plant::None, "Sheep", "2026.12.06 10:01:00");
        farm.addShot(2, Other, GameServerFarm::Plant::None, "Sheep");
        farm.addShot(3, Prey, GameServerFarm::Plant::None, "Hunted");
        farm.publish();
        vh::test::TestWorkspace ws;
        farm.writeWorkspace(ws.base());

        vh::app::AppCore core;
        core.startupLoad(QStringLiteral("/nowhere/tst"), ws.base());
        core.startupLoadLists();
        vh::hunt::HuntRun& hunt = core.hunt();
        // a second pass finds the same shots in the database and takes nothing again
        hunt.setLoop(true);
        connect(&hunt, &vh::hunt::HuntRun::passEnded, this, [&hunt](int pass, int) {
            if (pass == 2)
                hunt.StopHunting();
        });
        hunt.StartHunting({Prey.toUpper(), "wolf", "Nobody"});

        QCOMPARE(hunt.passes(), 2);
        QCOMPARE(farm.http().hits(farm.shotPath(0, hunted)), 1);
        QCOMPARE(farm.http().hits(farm.shotPath(1, wolf)), 1);
        QCOMPARE(farm.http().hits(QStringLiteral("/127.0.0.5/pbsvss.htm")), 0); // "unknown" is never visited
        QCOMPARE(farm.http().hits(QStringLiteral("/127.0.0.4/pbsvss.htm")), 2);

        // the two shots downloaded are the only entries
        QCOMPARE(core.database().EntryCount(), 2);
    }
};

QTEST_GUILESS_MAIN(TestHuntRun)
#include "tst_huntrun.moc"
