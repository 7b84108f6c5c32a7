#include "app/AppCore.h"
#include "base/Settings.h"
#include "collect/InventoryRun.h"

#include <QtTest>

#include <algorithm>

using vh::base::RunFlags;
using vh::base::Setting;
using vh::base::Settings;
using vh::collect::InventoryRun;

namespace {

// One run over a server selection list of the given length; the stop request starts cleared, as the run
// commands leave it.
struct Fixture
{
    Settings settings;
    RunFlags flags{.StopRequested = 0, .MinimumPassMs = 50}; // a short minimum pass time
    int size = 0;
    int selected = -1;
    int rebuilds = 0;
    bool enabled = true;
    bool visitedWhileEnabled = false;
    QList<int> visits;
    std::function<void(int)> onVisit = [](int) {};
    int passes = 0;

    explicit Fixture(int servers, bool loop = false) : size(servers)
    {
        settings.setValue(Setting::LoopScan, loop ? QStringLiteral("1") : QStringLiteral("0"));
    }
    void run(bool random)
    {
        InventoryRun run(settings, flags,
                         {[this] { return size; }, [this] { return selected; }, [this](int i) { selected = i; },
                          [this] {
                              ++rebuilds;
                              selected = -1;
                          },
                          [this](bool on) { enabled = on; },
                          [this](int i) {
                              visitedWhileEnabled = visitedWhileEnabled || enabled;
                              visits << i;
                              onVisit(i);
                              return true;
                          }});
        if (random)
            run.RunRandom();
        else
            run.RunInOrder();
        passes = run.passes();
    }
};

} // namespace

class TestInventoryRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inOrder_data()
    {
        QTest::addColumn<int>("servers");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("loop");
        QTest::addColumn<QPoint>("stopAt"); // (pass, item) after whose visit the stop request comes; none when negative
        QTest::addColumn<QList<int>>("visits");
        QTest::addColumn<int>("passes");
        QTest::newRow("starts at the selected item")
            << 10 << 5 << false << QPoint(-1, -1) << QList<int>{5, 6, 7, 8, 9} << 1;
        QTest::newRow("looping rebuilds and starts at zero")
            << 10 << 5 << true << QPoint(1, 2) << QList<int>{5, 6, 7, 8, 9, 0, 1, 2} << 2;
        // a banlist download between two visits leaves the stop request set: the run ends after that server
        QTest::newRow("stop after a server ends the run") << 4 << -1 << true << QPoint(0, 1) << QList<int>{0, 1} << 1;
    }

    void inOrder()
    {
        QFETCH(int, servers);
        QFETCH(int, selected);
        QFETCH(bool, loop);
        QFETCH(QPoint, stopAt);
        QFETCH(QList<int>, visits);
        QFETCH(int, passes);
        Fixture f(servers, loop);
        f.selected = selected;
        f.onVisit = [&f, stopAt](int i) {
            if (f.rebuilds == stopAt.x() && i == stopAt.y())
                f.flags.StopRequested = 1;
        };
        f.run(false);
        QCOMPARE(f.visits, visits);
        QCOMPARE(f.rebuilds, passes - 1);
        QCOMPARE(f.passes, passes);
        QCOMPARE(f.selected, visits.last());
        QCOMPARE(f.flags.StopRequested, 1);
        QVERIFY(f.enabled);
        QVERIFY(!f.visitedWhileEnabled);
    }

    void randomVisitsEachOnceInSeededOrder()
    {
        constexpr int Servers = 12000; // more than the order table of old held
        QList<QList<int>> runs;
        for (int seed : {1, 1, 2}) {
            Fixture f(Servers);
            f.settings.setValue(Setting::DiscoveryCursor, QString::number(seed));
            f.run(true);
            runs << f.visits;
        }
        QList<int> sorted = runs[0];
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted.size(), Servers);
        QVERIFY(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end());
        QCOMPARE(sorted.first(), 0);
        QCOMPARE(sorted.last(), Servers - 1);
        QCOMPARE(runs[1], runs[0]);
        QVERIFY(runs[2] != runs[0]);
    }
};

QTEST_GUILESS_MAIN(TestInventoryRun)
#include "tst_inventoryrun.moc"
