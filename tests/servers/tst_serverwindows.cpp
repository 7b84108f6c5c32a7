#include "app/AppCore.h"
#include "gui/MainWindow.h"
#include "gui/ServerSelectionPanel.h"
#include "gui/frmProvider.h"
#include "gui/frmServerInfo.h"
#include "util/TestWorkspace.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

using vh::base::Setting;

namespace {

// The main window over two providers and five servers of three maps, one of them unknown.
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
        core.serverDiscovery().LoadIpRanges();
        core.serverDiscovery().LoadServers();
        core.serverDiscovery().FillServerSelection();
    }
    vh::test::TestWorkspace ws;
    vh::app::AppCore core;
    vh::gui::MainWindow window{core};
};

template <typename T> T* child(QObject* parent, const char* name)
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
    void filtersAndServerInfo();
    void providerWindowEditsAndCloses();
};

void TestServerWindows::filtersAndServerInfo()
{
    Fixture f;
    auto* panel = f.window.serverPanel();
    auto* count = child<QLabel>(panel, "Label3");
    child<QListWidget>(panel, "List1")->item(0)->setSelected(true);
    QCOMPARE(count->text(), QStringLiteral("3 servers"));
    child<QListWidget>(panel, "List7")->item(1)->setSelected(false);
    QCOMPARE(count->text(), QStringLiteral("2 servers"));
    child<QListWidget>(panel, "List5")->setCurrentRow(2);
    QCOMPARE(count->text(), QStringLiteral("1 servers"));
    child<QMenu>(panel, "MnuTop4")->findChild<QAction*>(QStringLiteral("MnuClearSL"))->trigger();
    QCOMPARE(count->text(), QStringLiteral("0 servers"));

    child<QAction>(&f.window, "mnuServerInfo")->trigger();
    auto* info = f.window.findChild<vh::gui::frmServerInfo*>();
    QVERIFY(info);
    // "unknown" in any letter case is left out
    QCOMPARE(child<QTableView>(info, "MSFlexGrid1")->model()->rowCount(), 4);
}

void TestServerWindows::providerWindowEditsAndCloses()
{
    Fixture f;
    f.core.settings().setValue(Setting::ServerDiscovery, QStringLiteral("1"));
    f.core.applyDiscoveryTimer();
    bool stoppedWhileOpen = false;
    // the window waits until it is closed; a click that does not close it leaves the test to its time limit
    QTimer::singleShot(0, this, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* w = qobject_cast<vh::gui::frmProvider*>(top);
            if (!w)
                continue;
            stoppedWhileOpen = !f.core.discoveryTimer().isActive();
            QStringList answers{QStringLiteral("New"), QStringLiteral("http://%IP%/x")};
            w->setPrompt([&](const QString&, const QString&, const QString&) {
                return std::optional<QString>(answers.takeFirst());
            });
            child<QPushButton>(w, "cmdAddProvider")->click();
            child<QRadioButton>(w, "optMethod2")->setChecked(true);
            child<QPushButton>(w, "cmdClose")->click();
        }
    });
    child<QAction>(&f.window, "fProviders")->trigger();

    QVERIFY(stoppedWhileOpen);
    QVERIFY(f.ws.read(QStringLiteral("data/ipranges.dat")).endsWith("Provider:New\r\nProviderpath:http://%IP%/x\r\n"));
    QCOMPARE(f.core.settings().value(Setting::UseGameSpy), QStringLiteral("2"));
    QVERIFY(f.core.discoveryTimer().isActive());
}

QTEST_MAIN(TestServerWindows)
#include "tst_serverwindows.moc"
