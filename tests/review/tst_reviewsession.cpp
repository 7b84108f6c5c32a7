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

QByteArray screenshotPng()
{
    static const QByteArray png = [] {
        QImage image(660, 575, QImage::Format_RGB32);
        image.fill(qRgb(20, 40, 64));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }();
    return png;
}

// A table of entries (sample numbers 1..count) over a workspace, each with its PNG unless told otherwise.
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

    explicit Fixture(int count, const QList<int>& cheating = {}, const QList<int>& withoutPng = {})
    {
        workspace.createFolders();
        for (int i = 1; i <= count; ++i) {
            database::ScreenshotEntry e = test::sampleEntry(i);
            e.Cheating = cheating.contains(i);
            db.append(e);
            if (!withoutPng.contains(i))
                ws.write(base::Paths::Vault + QLatin1Char('/') + QString::fromLatin1(e.VaultName) +
                             QStringLiteral(".png"),
                         screenshotPng());
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
    void renderPlan_data();
    void renderPlan();
    void gammaSliderRepaints();
    void showsCurrentEntry_data();
    void showsCurrentEntry();
    void cheatJumps_data();
    void cheatJumps();
    void newEntryKeepsTheShownOne();
    void slideshowStopsAtTheLastEntry();
    void housekeepingShowsTheRightEntry_data();
    void housekeepingShowsTheRightEntry();
    void markingAndMissingPicture();
    void runSummaryCountsOnlyTheRun();
};

void TestReviewSession::renderPlan_data()
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
    QTest::newRow("left 11.5 rounds to 12")
        << 2 << QSize(663, 575) << QSize(640, 480) << 0 << QRect(12, 10, 640, 480) << QSize(640, 480);
    QTest::newRow("no capture height: whole shot scaled")
        << 3 << QSize(660, 575) << QSize(640, 0) << 330 << QRect(0, 0, 660, 575) << QSize(330, 288);
}

void TestReviewSession::renderPlan()
{
    QFETCH(int, mode);
    QFETCH(QSize, screenshot);
    QFETCH(QSize, capture);
    QFETCH(int, viewWidth);
    QFETCH(QRect, source);
    QFETCH(QSize, target);
    const review::RenderPlan plan =
        review::planRender(static_cast<DisplayMode>(mode), screenshot, capture.width(), capture.height(), viewWidth);
    QCOMPARE(plan.source, source);
    QCOMPARE(plan.target, target);
}

void TestReviewSession::gammaSliderRepaints()
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

void TestReviewSession::showsCurrentEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("sliderEnabled");
    QTest::newRow("no entries") << 0 << QStringLiteral("PBSS") << false;
    QTest::newRow("one entry") << 1 << QStringLiteral("PBSS 1") << false;
    QTest::newRow("three entries") << 3 << QStringLiteral("PBSS 1") << true;
}

void TestReviewSession::showsCurrentEntry()
{
    QFETCH(int, count);
    QFETCH(QString, label);
    QFETCH(bool, sliderEnabled);
    Fixture f(count);
    f.session.ShowCurrentEntry();
    QCOMPARE(f.session.view().label, label);
    QCOMPARE(f.session.slider().enabled, sliderEnabled);
    QCOMPARE(f.session.picture().isEmpty(), count == 0);
}

void TestReviewSession::cheatJumps_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("right");
    QTest::addColumn<int>("expected");
    // entries 2 and 5 of six are marked
    QTest::newRow("left with no mark before stays") << 2 << false << 2;
    QTest::newRow("left from 4") << 4 << false << 2;
    QTest::newRow("right from 2 skips unmarked") << 2 << true << 5;
    QTest::newRow("right past the last mark does not wrap") << 5 << true << 5;
}

void TestReviewSession::cheatJumps()
{
    QFETCH(int, from);
    QFETCH(bool, right);
    QFETCH(int, expected);
    Fixture f(6, {2, 5});
    f.session.sliderMoved(from);
    right ? f.session.CheatRight() : f.session.CheatLeft();
    QCOMPARE(f.session.slider().value, expected);
    QCOMPARE(f.shownSample(), expected);
}

void TestReviewSession::newEntryKeepsTheShownOne()
{
    Fixture f(0);
    for (int n = 1; n <= 3; ++n) {
        f.db.intakeSlot(0) = test::sampleEntry(n);
        QVERIFY(f.store.AddEntry(0));
        f.session.entryAdded(n);
        // the first entry ever is shown at once, later ones leave it shown
        QCOMPARE(f.shownSample(), 1);
    }
    QCOMPARE(f.session.slider(), (review::SliderState{true, 3, 1}));
}

void TestReviewSession::slideshowStopsAtTheLastEntry()
{
    Fixture f(2);
    f.settings.setValue(base::Setting::SlideshowTenths, QStringLiteral("7"));
    f.session.startSlideshow();
    QCOMPARE(f.session.slideshowTimer().interval(), 700);
    f.session.slideshowTick();
    QCOMPARE(f.shownSample(), 2);
    QVERIFY(f.session.slideshowRunning());
    f.session.slideshowTick();
    QVERIFY(!f.session.slideshowRunning());
}

void TestReviewSession::housekeepingShowsTheRightEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("at");
    QTest::addColumn<bool>("nonCheating"); // else: delete the entry shown
    QTest::addColumn<int>("shown");        // sample number, 0 for a cleared view
    // entries 2 and 5 are marked
    QTest::newRow("delete in the middle shows the next") << 5 << 3 << false << 4;
    QTest::newRow("delete the last shows the one before") << 5 << 5 << false << 4;
    QTest::newRow("delete the only entry clears") << 1 << 1 << false << 0;
    QTest::newRow("non-cheating goes to the first") << 5 << 4 << true << 2;
}

void TestReviewSession::housekeepingShowsTheRightEntry()
{
    QFETCH(int, count);
    QFETCH(int, at);
    QFETCH(bool, nonCheating);
    QFETCH(int, shown);
    Fixture f(count, {2, 5});
    f.session.sliderMoved(at);
    nonCheating ? f.session.DeleteNonCheating() : f.session.DeleteEntry();
    QCOMPARE(f.session.picture().isEmpty(), shown == 0);
    if (shown != 0)
        QCOMPARE(f.shownSample(), shown);
}

void TestReviewSession::markingAndMissingPicture()
{
    Fixture f(2, {}, {2});
    QCOMPARE(f.session.view().background, banlists::Banlists::CleanBackground);
    f.session.MarkByGuid(true);
    QCOMPARE(f.session.view().background, banlists::Banlists::CheatingBackground);
    QVERIFY(f.session.view().cheating);
    // an entry without its picture still shows its details and ban status
    f.session.sliderMoved(2);
    QCOMPARE(f.shownSample(), 2);
    QVERIFY(f.session.picture().isEmpty());
    QVERIFY(f.session.view().banShown);
}

void TestReviewSession::runSummaryCountsOnlyTheRun()
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
    QCOMPARE(test::logMessages(f.log),
             QStringList{QStringLiteral("Inventory finished: 4 servers visited, 2 screenshots added, 1 detections")});
}

QTEST_GUILESS_MAIN(TestReviewSession)
#include "tst_reviewsession.moc"
