#include "app/AppCore.h"
#include "gui/MainWindow.h"
#include "gui/ServerSelectionPanel.h"
#include "gui/frmProvider.h"
#include "gui/frmServerInfo.h"
#include "util/TestWorkspace.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

using vh::base::Setting;

namespace {

struct Fixture
{
    Fixture()
    {
        core.workspace().setBaseFolder(ws.base());
        ws.write(
            QStringLiteral("data/ipranges.dat"),
            "Provider:Old\r\nProviderpath:http://%ip%/pb\r\nRange:1.1.1.1-3\r\nProvider:Other\r\nRange:2.2.2.2-0\r\n");
        ws.write(QStringLiteral("data/servers.dat"), "AASA One\r\n1.1.1.1\r\nBridge\r\naci two\r\n1.1.1.2\r\nBridge\r\n"
                                                     "Third\r\n1.1.1.3\r\nDusk\r\nElse\r\n2.2.2.2\r\nBridge\r\n"
                                                     "Gone\r\n1.1.1.4\r\nunknown\r\n");
    }
    void load()
    {
        core.serverDiscovery().LoadIpRanges();
        core.serverDiscovery().LoadServers();
        core.serverDiscovery().FillServerSelection();
    }
    vh::test::TestWorkspace ws;
    vh::app::AppCore core;
};

template <typename T> T* child(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

} // namespace

class TestServerWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterListsRebuildTheSelection();
    void providerWindowEditsAndCloses();
    void serverInfoShowsKnownMaps();
};

void TestServerWindows::filterListsRebuildTheSelection()
{
    Fixture f;
    vh::gui::MainWindow window(f.core);
    f.load();
    auto* panel = window.serverPanel();
    auto* maps = child<QListWidget>(panel, "List1");
    auto* names = child<QListWidget>(panel, "List5");
    auto* providers = child<QListWidget>(panel, "List7");
    auto* list = child<QListView>(panel, "List6");
    auto* count = child<QLabel>(panel, "Label3");
    QAbstractItemModelTester tester(list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(child<QLabel>(&window, "StatusBar1Panel2")->text(), QStringLiteral("Number of servers: 5"));

    maps->item(0)->setSelected(true);
    QCOMPARE(count->text(), QStringLiteral("3 servers"));
    QCOMPARE(list->model()->index(2, 0).data(Qt::UserRole).toInt(), 4);

    providers->item(1)->setSelected(false);
    QCOMPARE(count->text(), QStringLiteral("2 servers"));
    names->setCurrentRow(2);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("aci two"));
    names->setCurrentRow(0);

    QSignalSpy rebuilt(&f.core.serverDiscovery(), &vh::servers::ServerDiscovery::selectionRebuilt);
    child<QMenu>(panel, "MnuTop4")->findChild<QAction*>(QStringLiteral("MnuFillSL"))->trigger();
    QCOMPARE(rebuilt.size(), 1);
    // the servers named "unknown" are only left out of the selection while their map reads "Unknown" exactly
    QCOMPARE(count->text(), QStringLiteral("4 servers"));
    child<QMenu>(panel, "MnuTop4")->findChild<QAction*>(QStringLiteral("MnuClearSL"))->trigger();
    QCOMPARE(rebuilt.size(), 2);
    QCOMPARE(count->text(), QStringLiteral("0 servers"));
}

void TestServerWindows::providerWindowEditsAndCloses()
{
    Fixture f;
    f.core.settings().setValue(Setting::ServerDiscovery, QStringLiteral("1"));
    f.core.settings().setValue(Setting::UseGameSpy, QStringLiteral("1"));
    vh::gui::MainWindow window(f.core);
    f.load();
    f.core.serverDiscovery().servers().at(0).Valid = true;
    f.core.applyDiscoveryTimer();
    bool checkedWhileOpen = false;
    QTimer::singleShot(0, this, [&] {
        vh::gui::frmProvider* w = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            w = w ? w : qobject_cast<vh::gui::frmProvider*>(top);
        QVERIFY(w);
        QVERIFY(!window.isEnabled());
        QVERIFY(!f.core.discoveryTimer().isActive());
        QVERIFY(child<QRadioButton>(w, "optMethod1")->isChecked());
        QStringList answers{QStringLiteral("New"), QStringLiteral("http://%IP%/x")};
        w->setPrompt([&](const QString&, const QString&, const QString&) {
            return std::optional<QString>(answers.takeFirst());
        });
        child<QPushButton>(w, "cmdAddProvider")->click();
        auto* ranges = child<QListWidget>(w, "lstRanges");
        child<QPushButton>(w, "cmdAddRange")->click();
        QCOMPARE(ranges->currentItem()->text(), QStringLiteral("0.0.0.0 - 0.0.0.0"));
        const char* from[] = {"txtFrom0", "txtFrom1", "txtFrom2", "txtFrom3"};
        const QString octets[] = {QStringLiteral("10"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("5")};
        for (int i = 0; i < 4; ++i)
            child<QLineEdit>(w, from[i])->setText(octets[i]);
        child<QLineEdit>(w, "txtTo3")->setText(QStringLiteral("7"));
        child<QPushButton>(w, "cmdApply")->click();
        QCOMPARE(ranges->currentItem()->text(), QStringLiteral("10.0.0.5 - 10.0.0.7"));
        child<QRadioButton>(w, "optMethod2")->setChecked(true);
        checkedWhileOpen = true;
        child<QPushButton>(w, "cmdClose")->click();
    });
    // a failed check above leaves the window open; this still ends the wait
    QTimer::singleShot(20000, this, [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (qobject_cast<vh::gui::frmProvider*>(top))
                top->close();
        }
    });
    window.findChild<QAction*>(QStringLiteral("fProviders"))->trigger();

    QVERIFY(checkedWhileOpen);
    QVERIFY(window.isEnabled());
    QCOMPARE(f.ws.read(QStringLiteral("data/ipranges.dat")),
             QByteArray("Provider:Old\r\nProviderpath:http://%ip%/pb\r\nRange:1.1.1.1-3\r\nProvider:Other\r\n"
                        "Providerpath:\r\nRange:2.2.2.2-0\r\nProvider:New\r\nProviderpath:http://%IP%/x\r\n"
                        "Range:10.0.0.5-2\r\n"));
    const vh::servers::ServerList& servers = f.core.serverDiscovery().servers();
    QCOMPARE(servers.ServerCount(), 8);
    QCOMPARE(servers.at(7).PageURL, QStringLiteral("http://10.0.0.7/x"));
    QVERIFY(!servers.at(0).Valid);
    QCOMPARE(f.core.settings().value(Setting::UseGameSpy), QStringLiteral("2"));
    QVERIFY(f.core.discoveryTimer().isActive());
    QCOMPARE(child<QListWidget>(window.serverPanel(), "List7")->count(), 3);
}

void TestServerWindows::serverInfoShowsKnownMaps()
{
    Fixture f;
    vh::gui::MainWindow window(f.core);
    f.load();
    window.findChild<QAction*>(QStringLiteral("mnuServerInfo"))->trigger();
    auto* info = window.findChild<vh::gui::frmServerInfo*>();
    QVERIFY(info);
    auto* grid = child<QTableView>(info, "MSFlexGrid1");
    QAbstractItemModelTester tester(grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QAbstractItemModel* model = grid->model();
    // "unknown" in any letter case is left out; the # column counts shown rows
    QCOMPARE(model->rowCount(), 4);
    QCOMPARE(model->index(3, 0).data().toString(), QStringLiteral("3"));
    QCOMPARE(model->index(3, 1).data().toString(), QStringLiteral("2.2.2.2"));

    // the window shows the list as it stood when it opened
    f.core.serverDiscovery().servers().at(0).RunningMap = QStringLiteral("UnKnOwN");
    window.findChild<QAction*>(QStringLiteral("mnuServerInfo"))->trigger();
    QCOMPARE(window.findChildren<vh::gui::frmServerInfo*>().size(), 1);
    QCOMPARE(model->rowCount(), 4);
    info->close();
    QTRY_VERIFY(window.findChildren<vh::gui::frmServerInfo*>().isEmpty());
    window.findChild<QAction*>(QStringLiteral("mnuServerInfo"))->trigger();
    QCOMPARE(child<QTableView>(window.findChild<vh::gui::frmServerInfo*>(), "MSFlexGrid1")->model()->rowCount(), 3);
}

QTEST_MAIN(TestServerWindows)
#include "tst_serverwindows.moc"
