#include "app/AppCore.h"
#include "app/Settings.h"
#include "collect/InventoryRun.h"
#include "collect/VisitOrder.h"

#include <QtTest>

#include <set>

using vh::app::RunFlags;
using vh::app::Setting;
using vh::app::Settings;
using vh::collect::InventoryRun;

namespace {

// A server selection list of names; "Unknown" items are passed over without a visit, like the real visit.
struct FakeList
{
    QStringList items;
    int selectedItem = -1;
    int rebuilds = 0;
    bool enabled = true;
    QList<int> visits;
    int visitsWhileEnabled = 0;
    std::function<void(int)> onVisit;

    InventoryRun::ServerList hooks()
    {
        InventoryRun::ServerList l;
        l.count = [this] { return int(items.size()); };
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
            if (items.at(i) == QLatin1String("Unknown"))
                return false;
            visits << i;
            if (onVisit)
                onVisit(i);
            return true;
        };
        return l;
    }
};

} // namespace

class TestInventoryRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inOrderStartsAtSelectedItem();
    void loopingRebuildsAndStartsAtZero();
    void unknownServersPassedOver();
    void stopAfterServerEndsRun();
    void randomVisitsEachOnce();
    void randomOrderDependsOnSeed();
    void visitOrderIsPermutation_data();
    void visitOrderIsPermutation();
    void emptyLoopingListDoesNotSpin();
};

void TestInventoryRun::inOrderStartsAtSelectedItem()
{
    Settings settings;
    RunFlags flags;
    flags.StopRequested = 0;
    FakeList list;
    for (int i = 0; i < 10; ++i)
        list.items << QStringLiteral("server %1").arg(i);
    list.selectedItem = 5;
    InventoryRun run(settings, flags, list.hooks());
    run.RunInOrder();
    QCOMPARE(list.visits, (QList<int>{5, 6, 7, 8, 9}));
    QCOMPARE(flags.StopRequested, 1);
    QCOMPARE(list.rebuilds, 0);
    QVERIFY(list.enabled);
    QCOMPARE(run.passes(), 1);
    QCOMPARE(list.visitsWhileEnabled, 0);
}

void TestInventoryRun::loopingRebuildsAndStartsAtZero()
{
    Settings settings;
    settings.setValue(Setting::LoopScan, QStringLiteral("1"));
    RunFlags flags;
    flags.StopRequested = 0;
    FakeList list;
    for (int i = 0; i < 10; ++i)
        list.items << QStringLiteral("server %1").arg(i);
    list.selectedItem = 5;
    // cancel in the middle of the second pass
    list.onVisit = [&](int i) {
        if (list.rebuilds == 1 && i == 2)
            flags.StopRequested = 1;
    };
    InventoryRun run(settings, flags, list.hooks());
    run.RunInOrder();
    QCOMPARE(list.visits, (QList<int>{5, 6, 7, 8, 9, 0, 1, 2}));
    QCOMPARE(list.rebuilds, 1);
    QCOMPARE(run.passes(), 2);
}

void TestInventoryRun::unknownServersPassedOver()
{
    Settings settings;
    RunFlags flags;
    flags.StopRequested = 0;
    FakeList list;
    list.items = {QStringLiteral("a"), QStringLiteral("Unknown"), QStringLiteral("c")};
    InventoryRun run(settings, flags, list.hooks());
    run.RunInOrder();
    QCOMPARE(list.visits, (QList<int>{0, 2}));
    QCOMPARE(list.selectedItem, 2);
}

void TestInventoryRun::stopAfterServerEndsRun()
{
    // a banlist download between two visits leaves the stop request set: the run ends after that server
    Settings settings;
    settings.setValue(Setting::LoopScan, QStringLiteral("1"));
    RunFlags flags;
    flags.StopRequested = 0;
    FakeList list;
    list.items = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")};
    list.onVisit = [&](int i) {
        if (i == 1)
            flags.StopRequested = 1;
    };
    InventoryRun run(settings, flags, list.hooks());
    run.RunInOrder();
    QCOMPARE(list.visits, (QList<int>{0, 1}));
    QCOMPARE(list.rebuilds, 0);
}

void TestInventoryRun::randomVisitsEachOnce()
{
    Settings settings;
    settings.setValue(Setting::DiscoveryCursor, QStringLiteral("17"));
    RunFlags flags;
    flags.StopRequested = 0;
    FakeList list;
    list.items = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    InventoryRun run(settings, flags, list.hooks());
    run.RunRandom();
    QCOMPARE(list.visits.size(), 3);
    QCOMPARE(std::set<int>(list.visits.begin(), list.visits.end()), (std::set<int>{0, 1, 2}));
    QCOMPARE(flags.StopRequested, 1);
}

void TestInventoryRun::randomOrderDependsOnSeed()
{
    std::set<QList<int>> orders;
    for (int seed = 0; seed < 12; ++seed) {
        Settings settings;
        settings.setValue(Setting::DiscoveryCursor, QString::number(seed));
        RunFlags flags;
        flags.StopRequested = 0;
        FakeList list;
        list.items = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        InventoryRun run(settings, flags, list.hooks());
        run.RunRandom();
        orders.insert(list.visits);
        // the same seed gives the same order again
        FakeList again;
        again.items = list.items;
        RunFlags flags2;
        flags2.StopRequested = 0;
        InventoryRun(settings, flags2, again.hooks()).RunRandom();
        QCOMPARE(again.visits, list.visits);
    }
    QVERIFY2(orders.size() >= 3, "different seeds should give different orders");
}

void TestInventoryRun::visitOrderIsPermutation_data()
{
    QTest::addColumn<int>("n");
    QTest::newRow("none") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("three") << 3;
    QTest::newRow("ten thousand") << 10000;
    QTest::newRow("beyond the old table") << 12000;
}

void TestInventoryRun::visitOrderIsPermutation()
{
    QFETCH(int, n);
    QRandomGenerator generator(42);
    const std::vector<int> order = vh::collect::drawVisitOrder(n, generator);
    QCOMPARE(int(order.size()), n);
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < n; ++i)
        QCOMPARE(sorted[std::size_t(i)], i + 1);
}

void TestInventoryRun::emptyLoopingListDoesNotSpin()
{
    Settings settings;
    settings.setValue(Setting::LoopScan, QStringLiteral("1"));
    RunFlags flags;
    flags.StopRequested = 0;
    FakeList list;
    list.items = {QStringLiteral("Unknown")};
    // Cancel arrives as an event while the run waits
    QTimer::singleShot(1500, [&] { flags.StopRequested = 1; });
    QElapsedTimer timer;
    timer.start();
    InventoryRun(settings, flags, list.hooks()).RunInOrder();
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY2(list.rebuilds <= 3, "a pass with nothing to visit waits instead of spinning");
}

QTEST_GUILESS_MAIN(TestInventoryRun)
#include "tst_inventoryrun.moc"
