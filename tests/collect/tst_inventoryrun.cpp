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

// A server selection list of the given length.
struct FakeList
{
    int size = 0;
    int selectedItem = -1;
    int rebuilds = 0;
    bool enabled = true;
    QList<int> visits;
    int visitsWhileEnabled = 0;
    std::function<void(int)> onVisit;

    InventoryRun::ServerList hooks()
    {
        InventoryRun::ServerList l;
        l.count = [this] { return size; };
        l.selected = [this] { return selectedItem; };
        l.select = [this](int i) { selectedItem = i; };
        l.rebuild = [this] {
            ++rebuilds;
            selectedItem = -1;
        };
        l.setEnabled = [this](bool on) { enabled = on; };
        l.visitItem = [this](int i) {
            if (enabled)
                ++visitsWhileEnabled;
            visits << i;
            if (onVisit)
                onVisit(i);
            return true;
        };
        return l;
    }
};

// One run over a fake list; the stop request starts cleared, as the run commands leave it.
struct Fixture
{
    Settings settings;
    RunFlags flags{.StopRequested = 0, .MinimumPassMs = 50}; // a short minimum pass time
    FakeList list;
    int passes = 0;

    explicit Fixture(int servers, bool loop = false)
    {
        list.size = servers;
        if (loop)
            settings.setValue(Setting::LoopScan, QStringLiteral("1"));
    }
    void inOrder()
    {
        InventoryRun run(settings, flags, list.hooks());
        run.RunInOrder();
        passes = run.passes();
    }
    void random(int seed)
    {
        settings.setValue(Setting::DiscoveryCursor, QString::number(seed));
        InventoryRun run(settings, flags, list.hooks());
        run.RunRandom();
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
        f.list.selectedItem = selected;
        f.list.onVisit = [&f, stopAt](int i) {
            if (f.list.rebuilds == stopAt.x() && i == stopAt.y())
                f.flags.StopRequested = 1;
        };
        f.inOrder();
        QCOMPARE(f.list.visits, visits);
        QCOMPARE(f.list.rebuilds, passes - 1);
        QCOMPARE(f.passes, passes);
        QCOMPARE(f.list.selectedItem, visits.last());
        QCOMPARE(f.flags.StopRequested, 1);
        QVERIFY(f.list.enabled);
        QCOMPARE(f.list.visitsWhileEnabled, 0);
    }

    void randomVisitsEachOnceInSeededOrder()
    {
        constexpr int Servers = 12000; // more than the order table of old held
        Fixture f(Servers), again(Servers), other(Servers);
        f.random(1);
        again.random(1);
        other.random(2);
        QList<int> sorted = f.list.visits;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted.size(), Servers);
        QVERIFY(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end());
        QCOMPARE(sorted.first(), 0);
        QCOMPARE(sorted.last(), Servers - 1);
        QCOMPARE(again.list.visits, f.list.visits);
        QVERIFY(other.list.visits != f.list.visits);
    }

    void loopingPassDoesNotSpin()
    {
        Fixture f(3, true);
        f.flags.MinimumPassMs = 200;
        // Cancel arrives as an event while the run waits, and ends the wait at once
        QTimer::singleShot(700, [&f] { f.flags.StopRequested = 1; });
        QElapsedTimer timer;
        timer.start();
        f.inOrder();
        QVERIFY2(timer.elapsed() < 1200, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(f.passes <= 5, qPrintable(QString::number(f.passes)));
    }
};

QTEST_GUILESS_MAIN(TestInventoryRun)
#include "tst_inventoryrun.moc"
