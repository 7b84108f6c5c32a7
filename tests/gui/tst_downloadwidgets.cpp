#include "app/AppCore.h"
#include "gui/MainWindow.h"
#include "util/TestWorkspace.h"

#include <QLabel>
#include <QProgressBar>
#include <QtTest>

class TestDownloadWidgets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void progressAndPanelsFollowTheCore();
};

void TestDownloadWidgets::progressAndPanelsFollowTheCore()
{
    vh::test::TestWorkspace ws;
    ws.write(QStringLiteral("banlists/aasaprivbanguid.txt"),
             "AASA v5\r\n[d] 0123456789abcdef0123456789abcdef N 1.2.3.4 r\r\n");
    vh::app::AppCore core;
    core.workspace().setBaseFolder(ws.base());
    vh::gui::MainWindow window(core);

    core.pool().setProgress(3, 12);
    core.pool().setStatusText(QStringLiteral("3 of 12"));
    auto* bar = window.findChild<QProgressBar*>(QStringLiteral("prgBAR"));
    auto* label = window.findChild<QLabel*>(QStringLiteral("Label7"));
    QVERIFY(bar && label);
    QCOMPARE(bar->maximum(), 12);
    QCOMPARE(bar->value(), 3);
    QCOMPARE(label->text(), QStringLiteral("3 of 12"));

    core.banlists().LoadAasaBanlist();
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel3"))->text(), QStringLiteral("AASA bans: 1"));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel4"))->text(),
             QStringLiteral("AASA Info: AASA v5"));
}

QTEST_MAIN(TestDownloadWidgets)
#include "tst_downloadwidgets.moc"
