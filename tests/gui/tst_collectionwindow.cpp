#include "app/AppCore.h"
#include "gui/CollectionControls.h"
#include "gui/MainWindow.h"
#include "gui/ServerSelectionPanel.h"
#include "platform/EventWait.h"
#include "util/GameServerFarm.h"
#include "util/TestWorkspace.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using vh::app::AppCore;
using vh::gui::MainWindow;
using vh::test::GameServerFarm;

namespace {

const QByteArray Clean = "0123456789abcdef0123456789abcdef";

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
    // The menu command fetches both lists, with the window locked meanwhile.
    void banlistFetchLocksTheWindow()
    {
        Harness h;
        h.start();
        h.farm.serveAciBanlist(
            GameServerFarm::aciBanlist("[ACI] Farm list 9", {{QByteArray(32, 'c'), "C", "Wallhack"}}));
        bool lockedWhileFetching = false;
        connect(&h.core.pool(), &vh::collect::DownloadPool::statusTextChanged, &h.window,
                [&] { lockedWhileFetching = lockedWhileFetching || !h.barMenu("File")->menuAction()->isEnabled(); });
        h.action("Download_AASA_Banlist")->trigger();
        QVERIFY(vh::platform::waitUntil([&] { return h.core.banlists().AciInfo().startsWith("[ACI] Farm list 9"); },
                                        20000));
        QVERIFY(lockedWhileFetching);
        QVERIFY(h.barMenu("File")->menuAction()->isEnabled());
    }

    void runButtons_data()
    {
        QTest::addColumn<QByteArray>("button"); // clicked while the first screenshot comes in
        QTest::addColumn<int>("visits");
        QTest::addColumn<int>("entries");
        QTest::newRow("Skip Server goes on with the next server") << QByteArray("Command3") << 3 << 3;
        QTest::newRow("Cancel Inventory ends the run") << QByteArray("Command12") << 1 << 1;
    }

    void runButtons()
    {
        QFETCH(QByteArray, button);
        QFETCH(int, visits);
        QFETCH(int, entries);
        Harness h;
        // three shots on the first server, so a skip leaves two of them behind
        for (int n = 0; n < 3; ++n)
            h.farm.addShot(0, Clean, GameServerFarm::Plant::None, "P",
                           "2026.12.06 10:0" + QByteArray::number(n) + ":00");
        h.farm.addShot(1, Clean, GameServerFarm::Plant::None, "Second");
        h.farm.addShot(2, Clean, GameServerFarm::Plant::None, "Third");
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
};

QTEST_MAIN(TestCollectionWindow)
#include "tst_collectionwindow.moc"
