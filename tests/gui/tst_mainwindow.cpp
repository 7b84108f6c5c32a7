#include "app/AppCore.h"
#include "gui/MainWindow.h"
#include "review/StatusBarLayout.h"
#include "util/TestWorkspace.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTableView>
#include <QtTest>

using vh::app::AppCore;
using vh::gui::MainWindow;
using vh::test::TestWorkspace;

namespace {

// A workspace whose settings ask for the log file at exit, so a shutdown that runs leaves traces.
void prepare(const TestWorkspace& ws)
{
    ws.write(QStringLiteral("data/Links.dat"), "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n");
    ws.write(QStringLiteral("data/Settings.dat"), "s17:1\r\n");
    ws.write(QStringLiteral("banlists/aasaprivbanguid.txt"),
             "AASA v5\r\n[d] 0123456789abcdef0123456789abcdef N 1.2.3.4 r\r\n");
}

// A main window whose message boxes and process end are recorded instead of shown and done.
struct Harness
{
    AppCore core;
    MainWindow window{core};
    QStringList messages;
    QList<int> endedWith;

    Harness()
    {
        window.setMessagePresenter([this](const QString& text) { messages << text; });
        window.setProcessEnder([this](int code) { endedWith << code; });
    }
    template <typename T> T* find(const QString& name) const { return window.findChild<T*>(name); }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void widgetsFollowTheCore();
    void screenCheck_data();
    void screenCheck();
    void shutsDownOnce_data();
    void shutsDownOnce();
};

void TestMainWindow::widgetsFollowTheCore()
{
    TestWorkspace ws;
    prepare(ws);
    Harness h;
    QVERIFY(h.window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), 1024));
    auto* grid = h.find<QTableView>(QStringLiteral("MSFlex1"));
    QVERIFY(grid);
    h.core.Log(QStringLiteral("newest"));
    QVERIFY(grid->model()->index(0, 0).data().toString().endsWith(QStringLiteral(" : newest")));

    h.core.pool().setProgress(3, 12);
    h.core.pool().setStatusText(QStringLiteral("3 of 12"));
    QCOMPARE(h.find<QProgressBar>(QStringLiteral("prgBAR"))->value(), 3);
    QCOMPARE(h.find<QLabel>(QStringLiteral("Label7"))->text(), QStringLiteral("3 of 12"));
    QCOMPARE(h.find<QLabel>(QStringLiteral("StatusBar1Panel3"))->text(), QStringLiteral("AASA bans: 1"));

    // the status panels take the widths the layout gives them
    h.window.resize(960, 700);
    QTest::qWait(50);
    QCOMPARE(h.window.width(), 960);
    std::array<int, 6> expected{};
    QVERIFY(vh::review::statusPanelWidths(h.window.statusPanel(1)->parentWidget()->width(), expected));
    for (int n = 1; n <= 5; ++n) {
        QCOMPARE(h.find<QLabel>(QStringLiteral("StatusBar1Panel%1").arg(n)), h.window.statusPanel(n));
        QCOMPARE(h.window.statusPanel(n)->width(), expected[std::size_t(n - 1)]);
    }
    QVERIFY(h.messages.isEmpty());
}

void TestMainWindow::screenCheck_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("800 refused") << 800 << false;
    QTest::newRow("801 accepted") << 801 << true;
    QTest::newRow("no screen") << 0 << false;
}

void TestMainWindow::screenCheck()
{
    QFETCH(int, width);
    QFETCH(bool, accepted);
    TestWorkspace ws;
    prepare(ws);
    const QByteArray settings = ws.read(QStringLiteral("data/Settings.dat"));
    {
        Harness h;
        QCOMPARE(h.window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), width), accepted);
        QCOMPARE(h.window.isVisible(), accepted);
        QCOMPARE(h.messages.size(), accepted ? 0 : 1);
        if (accepted)
            return;
        // the process ends from main(); a close that still reaches the window must not save
        h.window.close();
        QVERIFY(h.endedWith.isEmpty());
    }
    QCOMPARE(ws.read(QStringLiteral("data/Settings.dat")), settings);
    QVERIFY(!ws.exists(QStringLiteral("Varnholt.log")));
}

void TestMainWindow::shutsDownOnce_data()
{
    QTest::addColumn<bool>("viaMenu");
    QTest::newRow("Exit") << true;
    QTest::newRow("close box") << false;
}

void TestMainWindow::shutsDownOnce()
{
    QFETCH(bool, viaMenu);
    TestWorkspace ws;
    prepare(ws);
    Harness h;
    QVERIFY(h.window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), 1024));
    auto* exit = h.find<QAction>(QStringLiteral("Exit"));
    QVERIFY(exit);
    if (viaMenu)
        exit->trigger();
    else
        QVERIFY(h.window.close());
    QCOMPARE(h.endedWith, QList<int>{0});
    QVERIFY(ws.exists(QStringLiteral("Varnholt.log")));

    // a second close or Exit saves nothing a second time
    QFile::remove(ws.path(QStringLiteral("Varnholt.log")));
    h.window.close();
    exit->trigger();
    QCOMPARE(h.endedWith, QList<int>{0});
    QVERIFY(!ws.exists(QStringLiteral("Varnholt.log")));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
