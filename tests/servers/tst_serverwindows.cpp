#include "app/AppCore.h"
#include "gui/MainWindow.h"
#include "gui/ServerSelectionPanel.h"
#include "gui/frmProvider.h"
#include "gui/frmServerInfo.h"
#include "util/TestWorkspace.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
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
    auto* count = child<QLabel>(panel, "Label3");
    child<QListWidget>(panel, "List1")->item(0)->setSelected(true);
    QCOMPARE(count->text(), QStringLiteral("3 servers"));
    child<QListWidget>(panel, "List7")->item(1)->setSelected(false);
    QCOMPARE(count->text(), QStringLiteral("2 servers"));
    child<QListWidget>(panel, "List5")->setCurrentRow(2);
    QCOMPARE(count->text(), QStringLiteral("1 servers"));
    child<QMenu>(panel, "MnuTop4")->findChild<QAction*>(QStringLiteral("MnuClearSL"))->trigger();
    QCOMPARE(count->text(), QStringLiteral("0 servers"));
}

void TestServerWindows::providerWindowEditsAndCloses()
{
    Fixture f;
    f.core.settings().setValue(Setting::ServerDiscovery, QStringLiteral("1"));
    vh::gui::MainWindow window(f.core);
    f.load();
    f.core.applyDiscoveryTimer();
    bool checkedWhileOpen = false;
    QTimer::singleShot(0, this, [&] {
        vh::gui::frmProvider* w = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            w = w ? w : qobject_cast<vh::gui::frmProvider*>(top);
        QVERIFY(w);
        QVERIFY(!f.core.discoveryTimer().isActive());
        QStringList answers{QStringLiteral("New"), QStringLiteral("http://%IP%/x")};
        w->setPrompt([&](const QString&, const QString&, const QString&) {
            return std::optional<QString>(answers.takeFirst());
        });
        child<QPushButton>(w, "cmdAddProvider")->click();
        child<QRadioButton>(w, "optMethod2")->setChecked(true);
        checkedWhileOpen = true;
        child<QPushButton>(w, "cmdClose")->click();
    });
    // a failed check above leaves the window open; this still ends the wait
    QTimer::singleShot(20000, this, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (qobject_cast<vh::gui::frmProvider*>(top))
                top->close();
    });
    window.findChild<QAction*>(QStringLiteral("fProviders"))->trigger();

    QVERIFY(checkedWhileOpen);
    QVERIFY(f.ws.read(QStringLiteral("data/ipranges.dat")).endsWith("Provider:New\r\nProviderpath:http://%IP%/x\r\n"));
    QCOMPARE(f.core.settings().value(Setting::UseGameSpy), QStringLiteral("2"));
    QVERIFY(f.core.discoveryTimer().isActive());
}

void TestServerWindows::serverInfoShowsKnownMaps()
{
    Fixture f;
    vh::gui::MainWindow window(f.core);
    f.load();
    window.findChild<QAction*>(QStringLiteral("mnuServerInfo"))->trigger();
    auto* info = window.findChild<vh::gui::frmServerInfo*>();
    QVERIFY(info);
    QAbstractItemModel* model = child<QTableView>(info, "MSFlexGrid1")->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // "unknown" in any letter case is left out
    QCOMPARE(model->rowCount(), 4);
}

QTEST_MAIN(TestServerWindows)
#include "tst_serverwindows.moc"
