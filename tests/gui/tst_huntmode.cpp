#include "app/AppCore.h"
#include "gui/HuntModeLauncher.h"
#include "gui/frmHuntMode.h"
#include "util/TestWorkspace.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using vh::gui::frmHuntMode;

class TestHuntMode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openHuntAndClose();
};

void TestHuntMode::openHuntAndClose()
{
    vh::test::TestWorkspace ws;
    ws.write(QStringLiteral("data/Pray.dat"), " 1\r\nWolf\r\n");
    // a home without the marker file: no Beta-Menu
    qputenv("HOME", ws.path(QStringLiteral("home")).toLocal8Bit());
    vh::app::AppCore core;
    core.startupLoad(QStringLiteral("/nowhere/tst"), ws.base());
    QWidget mainWindow;
    QLineEdit text7(&mainWindow);
    mainWindow.show();
    vh::gui::HuntModeLauncher launcher(core, mainWindow, &text7);

    frmHuntMode* window = launcher.open();
    QVERIFY(!mainWindow.isEnabled() && window->isVisible());
    QVERIFY(window->findChild<QGroupBox*>(QStringLiteral("Frame2"))->isHidden());
    auto* prayList = window->findChild<QListWidget*>(QStringLiteral("PrayList"));
    window->setDialogs({[] { return std::optional<QString>(QStringLiteral("Bear")); }, [] { return QString(); },
                        [](const QString&) {}});
    window->findChild<QPushButton*>(QStringLiteral("cmdAddPray"))->click();
    QCOMPARE(prayList->count(), 2);

    // "Hunt" over no server: one pass, the buttons free again after it
    auto* hunt = window->findChild<QPushButton*>(QStringLiteral("StartHunting"));
    auto* stop = window->findChild<QPushButton*>(QStringLiteral("StopHunting"));
    hunt->click();
    QCOMPARE((QList<bool>{hunt->isEnabled(), prayList->isEnabled(), stop->isEnabled()}),
             (QList<bool>{true, true, false}));
    auto* log = window->findChild<QListView*>(QStringLiteral("List1"));
    QVERIFY(log->model()->index(0, 0).data().toString().endsWith(QLatin1String(" : Hunt ended")));

    window->close();
    QCOMPARE(ws.read(QStringLiteral("data/Pray.dat")), QByteArray(" 2\r\nWolf\r\nBear\r\n"));
    QVERIFY(mainWindow.isEnabled() && text7.text().isEmpty());
    QTRY_VERIFY(launcher.window() == nullptr);

    launcher.addGuid(QStringLiteral("0123456789abcdef0123456789abcdef"));
    QCOMPARE(ws.read(QStringLiteral("data/Pray.dat")),
             QByteArray(" 3\r\nWolf\r\nBear\r\n0123456789abcdef0123456789abcdef\r\n"));
}

QTEST_MAIN(TestHuntMode)
#include "tst_huntmode.moc"
