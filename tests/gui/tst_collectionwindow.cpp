#include "app/AppCore.h"
#include "gui/CollectionControls.h"
#include "gui/MainWindow.h"
#include "gui/ServerSelectionPanel.h"
#include "platform/EventWait.h"
#include "util/GameServerFarm.h"
#include "util/TestWorkspace.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using vh::app::AppCore;
using vh::gui::MainWindow;
using vh::test::GameServerFarm;
using Plant = GameServerFarm::Plant;

namespace {

const QByteArray Clean = "0123456789abcdef0123456789abcdef";
const QByteArray AasaBanned = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
const QByteArray AciBanned = "cccccccccccccccccccccccccccccccc";

struct Harness
{
    GameServerFarm farm{3};
    vh::test::TestWorkspace ws;
    AppCore core;
    MainWindow window{core};

    Harness()
    {
        window.setMessagePresenter([](const QString&) {});
        window.setProcessEnder([](int) {});
    }
    void start(const QMap<vh::base::Setting, QString>& settings = {})
    {
        farm.writeWorkspace(ws.base(), settings);
        QVERIFY(window.Startup(QStringLiteral("/nowhere/tst"), ws.base(), 1280));
        window.serverPanel()->selectAllMaps(true);
    }
    template <typename T> T* find(const char* name) const { return window.findChild<T*>(QLatin1String(name)); }
    QAction* action(const char* name) const { return find<QAction>(name); }
    QListView* list() const { return window.serverPanel()->serverList(); }
    QMenu* barMenu(const char* name) const
    {
        return window.menuBar()->findChild<QMenu*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    }
};

} // namespace

class TestCollectionWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuFollowsListAndSelection();
    void banlistFetchLocksTheWindow();
    void runButtons_data();
    void runButtons();
};

void TestCollectionWindow::menuFollowsListAndSelection()
{
    Harness h;
    h.farm.writeWorkspace(h.ws.base());
    QVERIFY(h.window.Startup(QStringLiteral("/nowhere/tst"), h.ws.base(), 1280));
    QAction* all = h.action("MnuInvServers");
    QAction* selected = h.action("MnuInvSelServer");
    QAction* random = h.action("mnuInvRanServer");
    const auto enabled = [&] { return QList<bool>{all->isEnabled(), selected->isEnabled(), random->isEnabled()}; };
    // no map chosen: an empty list offers nothing
    QCOMPARE(enabled(), (QList<bool>{false, false, false}));
    h.window.serverPanel()->selectAllMaps(true);
    QCOMPARE(enabled(), (QList<bool>{true, false, true}));
    h.list()->setCurrentIndex(h.list()->model()->index(1, 0));
    QCOMPARE(h.core.inventory().selectedItem(), 1);
    QVERIFY(selected->isEnabled());
    h.core.inventory().setSelectedItem(2);
    QCOMPARE(h.list()->currentIndex().row(), 2);
}

// The menu command fetches both lists, with the window locked meanwhile.
void TestCollectionWindow::banlistFetchLocksTheWindow()
{
    Harness h;
    for (int k = 0; k < 3; ++k)
        h.farm.addShot(k, Clean);
    h.farm.publish();
    h.start();
    h.farm.serveAasaBanlist(GameServerFarm::aasaBanlist("AASA Farm list 9", {{AasaBanned, "A", "Aimbot"}}));
    h.farm.serveAciBanlist(GameServerFarm::aciBanlist("[ACI] Farm list 9", {{AciBanned, "C", "Wallhack"}}));
    bool lockedWhileFetching = false;
    connect(&h.core.pool(), &vh::collect::DownloadPool::statusTextChanged, &h.window,
            [&] { lockedWhileFetching = lockedWhileFetching || !h.barMenu("File")->menuAction()->isEnabled(); });
    h.action("Download_AASA_Banlist")->trigger();
    QVERIFY(
        vh::platform::waitUntil([&] { return h.core.banlists().AciInfo().startsWith("[ACI] Farm list 9"); }, 20000));
    QCOMPARE(h.window.statusPanel(4)->text(), QStringLiteral("AASA Info: AASA Farm list 9"));
    QVERIFY(lockedWhileFetching);
    QVERIFY(h.barMenu("File")->menuAction()->isEnabled());
}

void TestCollectionWindow::runButtons_data()
{
    QTest::addColumn<QByteArray>("button"); // clicked while the first screenshot comes in
    QTest::addColumn<int>("visits");
    QTest::addColumn<int>("entries");
    QTest::newRow("Skip Server goes on with the next server") << QByteArray("Command3") << 3 << 3;
    QTest::newRow("Cancel Inventory ends the run") << QByteArray("Command12") << 1 << 1;
}

void TestCollectionWindow::runButtons()
{
    QFETCH(QByteArray, button);
    QFETCH(int, visits);
    QFETCH(int, entries);
    Harness h;
    for (int n = 0; n < 3; ++n)
        h.farm.addShot(0, Clean, Plant::None, "Player", "2026.12.06 10:0" + QByteArray::number(n) + ":00");
    h.farm.addShot(1, Clean, Plant::None, "Second");
    h.farm.addShot(2, Clean, Plant::None, "Third");
    h.farm.publish();
    // the first shot arrives slowly, so the click lands while it is under way
    const auto& first = h.farm.server(0).shots.first();
    h.farm.http().serveSlowly(h.farm.shotPath(0, first), h.farm.png(0, first), 32768, 20);
    h.start({{vh::base::Setting::Threads, QStringLiteral("1")}});
    bool clicked = false;
    connect(&h.core.pool(), &vh::collect::DownloadPool::handedOut, &h.window, [&] {
        if (!clicked) {
            clicked = true;
            QTimer::singleShot(0, h.find<QPushButton>(button.constData()), &QPushButton::click);
        }
    });

    h.action("MnuInvServers")->trigger();
    QVERIFY(vh::platform::waitUntil([&] { return clicked && !h.core.inventory().isRunning(); }, 30000));
    QCOMPARE(h.core.inventory().serversVisited(), visits);
    QCOMPARE(h.core.database().EntryCount(), entries);
}

QTEST_MAIN(TestCollectionWindow)
#include "tst_collectionwindow.moc"
