#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/RunFlags.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/EntryStore.h"
#include "database/VaultHousekeeping.h"
#include "review/ReviewSession.h"
#include "review/RunSummary.h"
#include "review/ViewGeometry.h"
#include "util/LogLines.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QtTest>

using namespace vh;
using review::DisplayMode;
using review::ReviewSession;

namespace {

// A table of entries (sample numbers 1..count) over a workspace, each with its PNG.
struct Fixture
{
    test::TestWorkspace ws;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::Workspace workspace{ws.base()};
    base::RunFlags flags;
    database::Database db;
    database::EntryStore store{db, settings, log, flags, workspace};
    database::VaultHousekeeping vault{db, log, workspace};
    banlists::Banlists banlists{log, workspace};
    ReviewSession session{db, store, vault, banlists, settings, log, workspace};

    explicit Fixture(int count, const QList<int>& cheating = {})
    {
        workspace.createFolders();
        QImage picture(660, 575, QImage::Format_RGB32);
        picture.fill(qRgb(20, 40, 64));
        for (int i = 1; i <= count; ++i) {
            database::ScreenshotEntry e = test::sampleEntry(i);
            e.Cheating = cheating.contains(i);
            db.append(e);
            picture.save(ws.path(base::Paths::Vault + QLatin1Char('/') + QString::fromLatin1(e.VaultName) +
                                 QStringLiteral(".png")));
        }
        session.ShowCurrentEntry();
    }
    // The sample number of the entry shown.
    int shownSample() const { return session.view().fields[7].mid(6).toInt(); }
};

} // namespace

class TestReviewSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void renderPlan_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QSize>("screenshot");
        QTest::addColumn<QSize>("capture");
        QTest::addColumn<int>("viewWidth");
        QTest::addColumn<QRect>("source");
        QTest::addColumn<QSize>("target");
        QTest::newRow("whole, 1:1") << 1 << QSize(660, 575) << QSize(640, 480) << 400 << QRect(0, 0, 660, 575)
                                    << QSize(660, 575);
        QTest::newRow("part of a 1000-wide shot")
            << 2 << QSize(1000, 800) << QSize(640, 480) << 400 << QRect(180, 10, 640, 480) << QSize(640, 480);
        QTest::newRow("scaled to a 400-wide view")
            << 3 << QSize(660, 575) << QSize(640, 480) << 400 << QRect(10, 10, 640, 480) << QSize(400, 300);
        QTest::newRow("left 10.5 rounds to 10")
            << 2 << QSize(661, 575) << QSize(640, 480) << 0 << QRect(10, 10, 640, 480) << QSize(640, 480);
        QTest::newRow("no capture height: whole shot scaled")
            << 3 << QSize(660, 575) << QSize(640, 0) << 330 << QRect(0, 0, 660, 575) << QSize(330, 288);
    }

    void renderPlan()
    {
        QFETCH(int, mode);
        QFETCH(QSize, screenshot);
        QFETCH(QSize, capture);
        QFETCH(int, viewWidth);
        const review::RenderPlan plan = review::planRender(static_cast<DisplayMode>(mode), screenshot, capture.width(),
                                                           capture.height(), viewWidth);
        QTEST(plan.source, "source");
        QTEST(plan.target, "target");
    }

    void gammaSliderRepaints()
    {
        QImage picture(1, 1, QImage::Format_RGB32);
        picture.setPixel(0, 0, qRgb(1, 128, 255));
        review::PicturePipeline pipeline;
        pipeline.setPicture(picture);
        // the neutral table raises odd values by one and holds 255
        QCOMPARE(pipeline.screenshot().pixel(0, 0), qRgb(2, 128, 255));
        pipeline.setGammaSlider(19);
        QCOMPARE(qGreen(pipeline.screenshot().pixel(0, 0)), 11);
        pipeline.setGammaSlider(1);
        QCOMPARE(pipeline.screenshot().pixel(0, 0), qRgb(77, 220, 255));
        // a new picture starts at the neutral position
        pipeline.setPicture(picture);
        QCOMPARE(pipeline.gammaSlider(), 10);
    }

    // Entries 2 and 5 are marked.
    void moveAndDelete_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("shown"); // sample number, 0 for a cleared view
        QTest::newRow("left with no mark before stays") << 6 << 2 << "CheatLeft" << 2;
        QTest::newRow("left from 4") << 6 << 4 << "CheatLeft" << 2;
        QTest::newRow("right from 2 skips unmarked") << 6 << 2 << "CheatRight" << 5;
        QTest::newRow("right past the last mark does not wrap") << 6 << 5 << "CheatRight" << 5;
        QTest::newRow("delete in the middle shows the next") << 5 << 3 << "DeleteEntry" << 4;
        QTest::newRow("delete the last shows the one before") << 5 << 5 << "DeleteEntry" << 4;
        QTest::newRow("delete the only entry clears") << 1 << 1 << "DeleteEntry" << 0;
        QTest::newRow("non-cheating goes to the first") << 5 << 4 << "DeleteNonCheating" << 2;
    }

    void moveAndDelete()
    {
        QFETCH(int, count);
        QFETCH(int, at);
        QFETCH(QString, action);
        QFETCH(int, shown);
        const QHash<QString, void (ReviewSession::*)()> actions{
            {QStringLiteral("CheatLeft"), &ReviewSession::CheatLeft},
            {QStringLiteral("CheatRight"), &ReviewSession::CheatRight},
            {QStringLiteral("DeleteEntry"), &ReviewSession::DeleteEntry},
            {QStringLiteral("DeleteNonCheating"), &ReviewSession::DeleteNonCheating}};
        Fixture f(count, {2, 5});
        f.session.sliderMoved(at);
        (f.session.*actions.value(action))();
        QCOMPARE(f.session.picture().isEmpty(), shown == 0);
        if (shown != 0)
            QCOMPARE(f.shownSample(), shown);
    }

    void newEntryKeepsTheShownOne()
    {
        Fixture f(0);
        QCOMPARE(f.session.view().label, QStringLiteral("PBSS"));
        for (int n = 1; n <= 3; ++n) {
            f.db.intakeSlot(0) = test::sampleEntry(n);
            QVERIFY(f.store.AddEntry(0));
            f.session.entryAdded(n);
            // the first entry ever is shown at once, later ones leave it shown; one entry leaves nothing to slide
            QCOMPARE(f.shownSample(), 1);
            // without its picture an entry still shows its details and ban status
            QVERIFY(f.session.picture().isEmpty() && f.session.view().banShown);
            QCOMPARE(f.session.slider().enabled, n > 1);
        }
        QCOMPARE(f.session.view().label, QStringLiteral("PBSS 1"));
        QCOMPARE(f.session.slider(), (review::SliderState{true, 3, 1}));
    }

    void slideshowStopsAtTheLastEntry()
    {
        Fixture f(2);
        f.session.startSlideshow();
        f.session.slideshowTick();
        QCOMPARE(f.shownSample(), 2);
        QVERIFY(f.session.slideshowRunning());
        f.session.slideshowTick();
        QVERIFY(!f.session.slideshowRunning());
    }

    void markingByGuid()
    {
        Fixture f(1);
        QCOMPARE(f.session.view().background, banlists::Banlists::CleanBackground);
        f.session.MarkByGuid(true);
        QCOMPARE(f.session.view().background, banlists::Banlists::CheatingBackground);
        QVERIFY(f.session.view().cheating);
    }

    void runSummaryCountsOnlyTheRun()
    {
        Fixture f(3);
        f.db.entry(3).AutoDetected = "NameChanger";
        review::RunSummary summary(f.db, f.log);
        summary.entryAdded(2);
        summary.runStarted();
        // entry 1 is the first shot of a database that was empty
        summary.entryAdded(1);
        summary.entryAdded(3);
        summary.runEnded(4);
        summary.runEnded(4);
        QCOMPARE(
            test::logMessages(f.log),
            QStringList{QStringLiteral("Inventory finished: 4 servers visited, 2 screenshots added, 1 detections")});
    }
};

QTEST_GUILESS_MAIN(TestReviewSession)
#include "tst_reviewsession.moc"
