#include "app/AppCore.h"
#include "base/Settings.h"
#include "collect/InventoryRun.h"
#include "collect/VisitOrder.h"

#include <QtTest>

#include <set>

using vh::base::RunFlags;
using vh::base::Setting;
using vh::base::Settings;
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

QStringList names(int n)
{
    QStringList items;
    for (int i = 0; i < n; ++i)
        items << QStringLiteral("server %1").arg(i);
    return items;
}

// One run over a fake list; the stop request starts cleared, as the run commands leave it.
struct Fixture
{
    Settings settings;
    RunFlags flags{.StopRequested = 0, .MinimumPassMs = 50}; // a short minimum pass time
    FakeList list;
    int passes = 0;

    explicit Fixture(QStringList items, bool loop = false)
    {
        list.items = std::move(items);
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
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("loop");
        QTest::addColumn<QPoint>("stopAt"); // (pass, item) after whose visit the stop request comes; none when negative
        QTest::addColumn<QList<int>>("visits");
        QTest::addColumn<int>("passes");
        const QStringList three{QStringLiteral("a"), QStringLiteral("Unknown"), QStringLiteral("c")};
        QTest::newRow("starts at the selected item")
            << names(10) << 5 << false << QPoint(-1, -1) << QList<int>{5, 6, 7, 8, 9} << 1;
        QTest::newRow("looping rebuilds and starts at zero")
            << names(10) << 5 << true << QPoint(1, 2) << QList<int>{5, 6, 7, 8, 9, 0, 1, 2} << 2;
        QTest::newRow("unknown servers passed over") << three << -1 << false << QPoint(-1, -1) << QList<int>{0, 2} << 1;
        // a banlist download between two visits leaves the stop request set: the run ends after that server
        QTest::newRow("stop after a server ends the run")
            << names(4) << -1 << true << QPoint(0, 1) << QList<int>{0, 1} << 1;
    }

    void inOrder()
    {
        QFETCH(QStringList, items);
        QFETCH(int, selected);
        QFETCH(bool, loop);
        QFETCH(QPoint, stopAt);
        QFETCH(QList<int>, visits);
        QFETCH(int, passes);
        Fixture f(items, loop);
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
        std::set<QList<int>> orders;
        for (int seed = 0; seed < 6; ++seed) {
            Fixture f(names(3)), again(names(3));
            f.random(seed);
            again.random(seed);
            QCOMPARE(f.list.visits.size(), 3);
            QCOMPARE(std::set<int>(f.list.visits.begin(), f.list.visits.end()), (std::set<int>{0, 1, 2}));
            QCOMPARE(again.list.visits, f.list.visits); // the same seed gives the same order
            orders.insert(f.list.visits);
        }
        QVERIFY2(orders.size() >= 3, "different seeds should give different orders");
    }

    void visitOrderIsPermutation_data()
    {
        QTest::addColumn<int>("n");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("beyond the old table of 10000") << 12000;
    }

    void visitOrderIsPermutation()
    {
        QFETCH(int, n);
        QRandomGenerator generator(42);
        std::vector<int> sorted = vh::collect::drawVisitOrder(n, generator);
        QCOMPARE(int(sorted.size()), n);
        std::sort(sorted.begin(), sorted.end());
        for (int i = 0; i < n; ++i)
            QCOMPARE(sorted[std::size_t(i)], i + 1);
    }

    void loopingPassDoesNotSpin_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::newRow("nothing to visit") << QStringList{QStringLiteral("Unknown")};
        QTest::newRow("every visit fails at once") << names(3);
    }

    void loopingPassDoesNotSpin()
    {
        QFETCH(QStringList, items);
        Fixture f(items, true);
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
