#include "app/AppCore.h"
#include "gui/MainWindow.h"
#include "review/StatusBarLayout.h"
#include "util/TestWorkspace.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QStatusBar>
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
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startupShowsLogInGrid();
    void screenCheck_data();
    void screenCheck();
    void shutsDownOnce_data();
    void shutsDownOnce();
    void statusPanelsFollowWidth();
};

void TestMainWindow::startupShowsLogInGrid()
{
    TestWorkspace ws;
    prepare(ws);
    Harness h;
    QVERIFY(h.window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), 1024));
    QVERIFY(h.window.isVisible());
    QVERIFY(h.window.isEnabled());
    QCOMPARE(h.window.windowTitle(), QStringLiteral("Varnholt 1.0.0"));

    auto* grid = h.window.findChild<QTableView*>(QStringLiteral("MSFlex1"));
    QVERIFY(grid);
    QCOMPARE(grid->model()->columnCount(), 1);
    QStringList rows;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        rows << grid->model()->index(row, 0).data().toString();
    const QString started = QStringLiteral(" : Application started from ") + QDir::toNativeSeparators(ws.base());
    QVERIFY2(std::any_of(rows.begin(), rows.end(), [&](const QString& r) { return r.endsWith(started); }),
             qPrintable(rows.join(QLatin1Char('\n'))));

    h.core.Log(QStringLiteral("red line"), 255);
    h.core.Log(QStringLiteral("newest"));
    QVERIFY(grid->model()->index(0, 0).data().toString().endsWith(QStringLiteral(" : newest")));
    QCOMPARE(grid->model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    QVERIFY(grid->model()->index(1, 0).data().toString().endsWith(QStringLiteral(" : red line")));
    QCOMPARE(grid->model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(grid->columnWidth(0), grid->viewport()->width());
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
        if (accepted) {
            QVERIFY(h.messages.isEmpty());
            return;
        }
        QCOMPARE(h.messages,
                 QStringList{QStringLiteral("Sorry, Varnholt will only start in resolutions higher then 800x600")});
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
    auto* exit = h.window.findChild<QAction*>(QStringLiteral("Exit"));
    QVERIFY(exit);
    if (viaMenu)
        exit->trigger();
    else
        QVERIFY(h.window.close());
    QCOMPARE(h.endedWith, QList<int>{0});
    QVERIFY(ws.read(QStringLiteral("data/Settings.dat")).startsWith("s1:\r\n"));
    QVERIFY(ws.read(QStringLiteral("Varnholt.log")).contains("Application started from"));

    // a second close or Exit saves nothing a second time
    QFile::remove(ws.path(QStringLiteral("data/Settings.dat")));
    QFile::remove(ws.path(QStringLiteral("Varnholt.log")));
    h.window.close();
    exit->trigger();
    QCOMPARE(h.endedWith, QList<int>{0});
    QVERIFY(!ws.exists(QStringLiteral("data/Settings.dat")));
    QVERIFY(!ws.exists(QStringLiteral("Varnholt.log")));
}

void TestMainWindow::statusPanelsFollowWidth()
{
    const int width = 960;
    TestWorkspace ws;
    prepare(ws);
    Harness h;
    QVERIFY(h.window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), 1024));
    QVERIFY(h.window.findChild<QStatusBar*>(QStringLiteral("StatusBar1")));
    h.window.resize(width, 700);
    QTest::qWait(50);
    // the panels never push the window wider than it was made
    QCOMPARE(h.window.width(), width);
    auto* bar = h.window.findChild<QStatusBar*>(QStringLiteral("StatusBar1"));
    QWidget* panels = h.window.statusPanel(1)->parentWidget();
    std::array<int, 6> expected{};
    QVERIFY(vh::review::statusPanelWidths(panels->width(), expected));
    for (int n = 1; n <= 5; ++n) {
        QLabel* panel = h.window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel%1").arg(n));
        QVERIFY(panel);
        QCOMPARE(panel, h.window.statusPanel(n));
        QCOMPARE(panel->width(), expected[std::size_t(n - 1)]);
    }
    // the sixth panel ends inside the bar, not behind its margin
    const QWidget* sixth = h.window.statusPanel(6);
    QVERIFY(sixth->mapTo(bar, QPoint(sixth->width(), 0)).x() <= bar->width());
    QVERIFY(std::abs(sixth->width() - expected[5]) <= 2);
    QVERIFY(panels->width() > width * 9 / 10);
    QVERIFY(h.window.statusPanel(1)->height() > 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
