#include "app/AppCore.h"
#include "base/Paths.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "gui/FieldBox.h"
#include "gui/MainWindow.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
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
    void startAndShutDown_data();
    void startAndShutDown();
    void controlsReachTheCore();
};

void TestMainWindow::startAndShutDown_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("viaMenu");
    QTest::newRow("800 wide refused, a close saves nothing") << 800 << false;
    QTest::newRow("801 wide, Exit") << 801 << true;
}

void TestMainWindow::startAndShutDown()
{
    QFETCH(int, width);
    QFETCH(bool, viaMenu);
    const bool accepted = width > 800;
    TestWorkspace ws;
    prepare(ws);
    const QByteArray settings = ws.read(QStringLiteral("data/Settings.dat"));
    Harness h;
    QCOMPARE(h.window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), width), accepted);
    QCOMPARE(h.window.isVisible(), accepted);
    QCOMPARE(h.messages.size(), accepted ? 0 : 1);
    auto* exit = h.find<QAction>(QStringLiteral("Exit"));
    if (viaMenu)
        exit->trigger();
    else
        h.window.close();
    // a refused start ends the process from main()
    QCOMPARE(h.endedWith, accepted ? QList<int>{0} : QList<int>{});
    QCOMPARE(ws.exists(QStringLiteral("Varnholt.log")), accepted);
    if (!accepted) {
        QCOMPARE(ws.read(QStringLiteral("data/Settings.dat")), settings);
        return;
    }
    // a second close or Exit saves nothing a second time
    QFile::remove(ws.path(QStringLiteral("Varnholt.log")));
    h.window.close();
    exit->trigger();
    QCOMPARE(h.endedWith, QList<int>{0});
    QVERIFY(!ws.exists(QStringLiteral("Varnholt.log")));
}

// The review logic is tested on the session, the log and the progress on the core; here only that the window's
// controls reach them and show their state.
void TestMainWindow::controlsReachTheCore()
{
    TestWorkspace ws;
    prepare(ws);
    ws.write(QStringLiteral("data/Settings.dat"), "s8:3\r\n");
    QImage shot(660, 575, QImage::Format_RGB32);
    shot.fill(qRgb(2, 4, 6));
    QVERIFY(QDir().mkpath(ws.path(vh::base::Paths::Vault)));
    vh::database::Database db;
    for (int i = 1; i <= 4; ++i) {
        vh::database::ScreenshotEntry e = vh::test::sampleEntry(i);
        e.Cheating = i == 1 || i == 3;
        db.append(e);
        QVERIFY(shot.save(ws.path(vh::base::Paths::Vault + QLatin1Char('/') + QString::fromLatin1(e.VaultName) +
                                  QStringLiteral(".png"))));
    }
    ws.write(vh::base::Paths::DatabaseFile, vh::database::DatabaseFile::serialize(db));
    Harness h;
    QVERIFY(h.window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), 1280));
    const auto find = [&h](const char* name) { return h.find<QObject>(QLatin1String(name)); };
    auto* slider = qobject_cast<QSlider*>(find("Slider1"));
    auto* label = qobject_cast<QLabel*>(find("Label1"));
    auto* player = qobject_cast<vh::gui::FieldBox*>(find("txtFields7"));
    const auto newestLog = [&] { return h.core.log().index(0).data().toString().section(QStringLiteral(" : "), 1); };
    QCOMPARE(label->text(), QStringLiteral("PBSS 1"));

    qobject_cast<QPushButton*>(find("CheatRight"))->click();
    QCOMPARE(slider->value(), 3);
    QCOMPARE(label->text(), QStringLiteral("PBSS 3"));
    qobject_cast<QPushButton*>(find("CheatLeft"))->click();
    QCOMPARE(slider->value(), 1);
    slider->setValue(2);
    QCOMPARE(player->fullText(), QStringLiteral("Player000002"));

    qobject_cast<QAction*>(find("MnuCopyGuid"))->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(vh::test::sampleEntry(2).GUID));

    qobject_cast<QPushButton*>(find("Command2"))->click(); // delete
    QCOMPARE(player->fullText(), QStringLiteral("Player000003"));
    QCOMPARE(slider->maximum(), 3);

    slider->setValue(3);
    qobject_cast<QAction*>(find("MnuPlaySlideShow"))->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(newestLog(), QStringLiteral("Slideshow stopped"), 3000);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
