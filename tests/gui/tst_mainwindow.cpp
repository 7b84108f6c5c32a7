#include "app/AppCore.h"
#include "base/Paths.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "gui/FieldBox.h"
#include "gui/HuntModeLauncher.h"
#include "gui/MainWindow.h"
#include "gui/ReviewControls.h"
#include "gui/frmHuntMode.h"
#include "gui/frmOptions.h"
#include "review/ReviewSession.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

using vh::app::AppCore;
using vh::base::Paths::SettingsFile;
using vh::gui::MainWindow;
using vh::test::TestWorkspace;

namespace {

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

// A missing control ends the test with a null pointer.
template <typename T> T* child(const QWidget* w, const char* name)
{
    return w->findChild<T*>(QLatin1String(name));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startAndShutDown_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("viaMenu");
        QTest::newRow("800 wide refused, a close saves nothing") << 800 << false;
        QTest::newRow("801 wide, Exit") << 801 << true;
    }

    void startAndShutDown()
    {
        QFETCH(int, width);
        QFETCH(bool, viaMenu);
        const bool accepted = width > 800;
        TestWorkspace ws;
        ws.write(SettingsFile, "s17:1\r\n"); // the log file at exit: a shutdown that runs leaves it
        Harness h;
        QCOMPARE(h.window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), width), accepted);
        QCOMPARE(h.messages.size(), accepted ? 0 : 1);
        if (viaMenu)
            child<QAction>(&h.window, "Exit")->trigger();
        else
            h.window.close();
        // a refused start ends the process from main()
        QCOMPARE(h.endedWith, accepted ? QList<int>{0} : QList<int>{});
        QCOMPARE(ws.exists(QStringLiteral("Varnholt.log")), accepted);
    }

    // The review logic is tested on the session; here only that the window's controls reach it.
    void controlsReachTheCore()
    {
        TestWorkspace ws;
        QImage shot(660, 575, QImage::Format_RGB32);
        shot.fill(qRgb(2, 4, 6));
        QVERIFY(QDir().mkpath(ws.path(vh::base::Paths::Vault)));
        vh::database::Database db;
        for (int i = 1; i <= 4; ++i) {
            vh::database::ScreenshotEntry e = vh::test::sampleEntry(i);
            e.Cheating = i == 1 || i == 3;
            db.append(e);
            // an entry without its picture is dropped at start
            QVERIFY(shot.save(ws.path(vh::base::Paths::Vault + QLatin1Char('/') + QString::fromLatin1(e.VaultName) +
                                      QStringLiteral(".png"))));
        }
        ws.write(vh::base::Paths::DatabaseFile, vh::database::DatabaseFile::serialize(db));
        Harness h;
        QVERIFY(h.window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), 1280));
        auto* slider = child<QSlider>(&h.window, "Slider1");
        auto* player = child<vh::gui::FieldBox>(&h.window, "txtFields7");

        child<QPushButton>(&h.window, "CheatRight")->click();
        QCOMPARE(slider->value(), 3);
        child<QPushButton>(&h.window, "CheatLeft")->click();
        QCOMPARE(slider->value(), 1);
        slider->setValue(2);
        QCOMPARE(player->fullText(), QStringLiteral("Player000002"));

        child<QAction>(&h.window, "MnuCopyGuid")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(vh::test::sampleEntry(2).GUID));

        child<QPushButton>(&h.window, "Command2")->click(); // delete
        QCOMPARE(player->fullText(), QStringLiteral("Player000003"));

        child<QAction>(&h.window, "MnuPlaySlideShow")->trigger();
        QVERIFY(h.window.reviewControls()->session().slideshowRunning());
    }

    // The rules behind the controls are tested in base; here the controls' wiring to them and to the settings.
    void preferencesReachTheSettings()
    {
        TestWorkspace ws;
        AppCore core;
        QLineEdit completion;
        core.workspace().setBaseFolder(ws.base());
        ws.write(SettingsFile, "s1:1\r\ns4:0\r\ns15:12\r\ns28:1\r\ns8:2\r\ns18:15\r\n");
        core.LoadSettings();
        auto* w = new vh::gui::frmOptions(core, &completion, nullptr);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        child<QSlider>(w, "Slider1")->setValue(40);
        QTest::mouseClick(child<QCheckBox>(w, "Check16"), Qt::LeftButton);
        child<QRadioButton>(w, "Option3")->setChecked(true);
        child<QLineEdit>(w, "Text15")->setText(QStringLiteral("/usr/bin/browser"));
        QTest::mouseClick(child<QPushButton>(w, "cmdOK"), Qt::LeftButton);

        // closing writes the settings
        QCOMPARE(completion.text(), QStringLiteral("prefdone"));
        const QByteArray file = ws.read(SettingsFile);
        for (const QByteArray line :
             {"\r\ns15:40\r\n", "\r\ns28:0\r\n", "\r\ns8:3\r\n", "\r\ns18:15\r\n", "\r\ns25:/usr/bin/browser\r\n"})
            QVERIFY2(file.contains(line), line.constData());
    }

    void huntWindowOpensAddsHuntsAndCloses()
    {
        TestWorkspace ws;
        ws.write(QStringLiteral("data/Pray.dat"), " 1\r\nWolf\r\n");
        AppCore core;
        core.startupLoad(QStringLiteral("/nowhere/tst"), ws.base());
        QWidget mainWindow;
        QLineEdit text7(&mainWindow);
        mainWindow.show();
        vh::gui::HuntModeLauncher launcher(core, mainWindow, &text7);

        vh::gui::frmHuntMode* window = launcher.open();
        QVERIFY(!mainWindow.isEnabled() && window->isVisible());
        window->setDialogs({[] { return std::optional<QString>(QStringLiteral("Bear")); }, [] { return QString(); },
                            [](const QString&) {}});
        child<QPushButton>(window, "cmdAddPray")->click();
        QCOMPARE(child<QListWidget>(window, "PrayList")->count(), 2);
        // "Hunt" over no server: one pass
        child<QPushButton>(window, "StartHunting")->click();
        QVERIFY(child<QListView>(window, "List1")
                    ->model()
                    ->index(0, 0)
                    .data()
                    .toString()
                    .endsWith(QLatin1String(" : Hunt ended")));

        window->close();
        QCOMPARE(ws.read(QStringLiteral("data/Pray.dat")), QByteArray(" 2\r\nWolf\r\nBear\r\n"));
        QVERIFY(mainWindow.isEnabled() && text7.text().isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
