#include "app/AppCore.h"
#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "database/EntryStore.h"
#include "util/LogLines.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

using namespace vh;
using base::Setting;
using database::Database;
using database::EntryStore;
using database::ScreenshotEntry;

namespace {
// The pieces an EntryStore works on, over a fresh workspace.
struct Fixture
{
    test::TestWorkspace ws;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::RunFlags flags;
    base::Workspace workspace{ws.base()};
    Database db;
    EntryStore store{db, settings, log, flags, workspace};
    QStringList sounds;

    Fixture()
    {
        store.setSoundPlayer([this](const QString& path) { sounds << path; });
    }
    QStringList messages() const { return test::logMessages(log); }
};
} // namespace

class TestEntryStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingFileGivesEmptyDatabase();
    void damagedFileIsKeptAside();
    void addEntry_data();
    void addEntry();
    void addEntryRunsColourCheckOnlyWhenAsked_data();
    void addEntryRunsColourCheckOnlyWhenAsked();
    void fullTableRefusesTheNextEntry();
    void markByGuidMarksEveryEntryOfThePlayer();
};

void TestEntryStore::missingFileGivesEmptyDatabase()
{
    Fixture f;
    f.db.CurrentEntry = 7;
    f.store.LoadDatabase();
    QCOMPARE(f.db.EntryCount(), 0);
    QCOMPARE(f.db.CurrentEntry, 1);
    QVERIFY(f.ws.exists(base::Paths::DatabaseFile));
    QVERIFY(f.log.lines().empty());
}

void TestEntryStore::damagedFileIsKeptAside()
{
    Fixture f;
    Database three;
    for (int i = 1; i <= 3; ++i)
        three.append(test::sampleEntry(i));
    const QByteArray damaged = database::DatabaseFile::serialize(three).chopped(30);
    f.ws.write(base::Paths::DatabaseFile, damaged);

    f.store.LoadDatabase();
    QCOMPARE(f.db.EntryCount(), 2);
    const QStringList aside =
        QDir(f.ws.path(QStringLiteral("data"))).entryList({QStringLiteral("database.dat.damaged-*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    // shutdown writes the intact entries; the damaged copy stays
    QVERIFY(f.store.SaveDatabase());
    QCOMPARE(f.ws.read(QStringLiteral("data/") + aside.first()), damaged);
    QCOMPARE(f.ws.read(base::Paths::DatabaseFile), database::DatabaseFile::serialize(f.db));
}

void TestEntryStore::addEntry_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<qint16>("width");
    QTest::addColumn<QByteArray>("detected");
    QTest::addColumn<bool>("switchesOn"); // stop, report and sound on a detection
    QTest::addColumn<bool>("added");
    QTest::addColumn<bool>("acted"); // the run stopped, a report made, the sound played

    QTest::newRow("no capture size") << 3 << qint16(0) << QByteArray("NameChanger") << true << false << false;
    QTest::newRow("first entry is shown") << 0 << qint16(640) << QByteArray() << false << true << false;
    QTest::newRow("detection, switches off")
        << 11 << qint16(800) << QByteArray("NameChanger") << false << true << false;
    QTest::newRow("detection stops, reports, plays")
        << 11 << qint16(800) << QByteArray("NameChanger") << true << true << true;
}

void TestEntryStore::addEntry()
{
    QFETCH(int, before);
    QFETCH(qint16, width);
    QFETCH(QByteArray, detected);
    QFETCH(bool, switchesOn);
    QFETCH(bool, added);
    QFETCH(bool, acted);

    Fixture f;
    f.flags.StopRequested = 0;
    if (switchesOn) {
        for (Setting s : {Setting::StopOnDetection, Setting::ReportOnAutoDetect, Setting::PlayEnemySpotted})
            f.settings.setValue(s, QStringLiteral("1"));
    }
    for (int i = 1; i <= before; ++i)
        f.db.append(test::sampleEntry(i));
    QList<int> reported;
    f.store.setReportCreator([&](int n) { reported << n; });
    ScreenshotEntry slot = test::sampleEntry(before + 1);
    slot.CaptureWidth = width;
    slot.AutoDetected = detected;
    f.db.intakeSlot(17) = slot;
    QSignalSpy showSpy(&f.store, &EntryStore::showCurrentEntry);
    QSignalSpy addedSpy(&f.store, &EntryStore::entryAdded);

    QCOMPARE(f.store.AddEntry(17), added);
    QCOMPARE(f.db.EntryCount(), before + (added ? 1 : 0));
    QCOMPARE(addedSpy.size(), added ? 1 : 0);
    if (added)
        QCOMPARE(f.db.entry(before + 1), slot);
    // the first entry ever is shown at once
    QCOMPARE(showSpy.size(), before == 0 ? 1 : 0);
    QCOMPARE(f.messages().size(), added && !detected.isEmpty() ? 1 : 0);
    QCOMPARE(f.flags.StopRequested, acted ? 1 : 0);
    QCOMPARE(reported, acted ? QList<int>{before + 1} : QList<int>());
    QCOMPARE(f.sounds, acted ? QStringList{f.ws.base() + QStringLiteral("/EnemySpotted.wav")} : QStringList());
}

void TestEntryStore::addEntryRunsColourCheckOnlyWhenAsked_data()
{
    QTest::addColumn<QString>("scanColorCodes");
    QTest::addColumn<bool>("alreadyCheating");
    QTest::addColumn<bool>("checked");
    QTest::newRow("switch on") << QStringLiteral("1") << false << true;
    QTest::newRow("switch off") << QStringLiteral("0") << false << false;
    QTest::newRow("already cheating") << QStringLiteral("1") << true << false;
}

void TestEntryStore::addEntryRunsColourCheckOnlyWhenAsked()
{
    QFETCH(QString, scanColorCodes);
    QFETCH(bool, alreadyCheating);
    QFETCH(bool, checked);
    Fixture f;
    f.settings.setValue(Setting::ScanColorCodes, scanColorCodes);
    f.store.setColourCodeCheck([&f](int slot) {
        f.db.intakeSlot(slot).AutoDetected = "SS_Cleaner";
        f.db.intakeSlot(slot).Cheating = true;
    });
    f.db.intakeSlot(0) = test::sampleEntry(1);
    f.db.intakeSlot(0).Cheating = alreadyCheating;
    QVERIFY(f.store.AddEntry(0));
    QCOMPARE(f.db.entry(1).AutoDetected, checked ? QByteArray("SS_Cleaner") : QByteArray());
    QCOMPARE(f.messages().size(), checked ? 1 : 0);
}

void TestEntryStore::fullTableRefusesTheNextEntry()
{
    Fixture f;
    ScreenshotEntry small;
    small.CaptureWidth = 1;
    f.db.reserve(Database::Capacity);
    for (int i = 0; i < Database::Capacity; ++i)
        f.db.append(small);
    f.db.intakeSlot(3) = test::sampleEntry(9);
    QVERIFY(!f.store.AddEntry(3));
    QCOMPARE(f.db.EntryCount(), Database::Capacity);
}

void TestEntryStore::markByGuidMarksEveryEntryOfThePlayer()
{
    Fixture f;
    const QByteArray guid(32, 'G');
    // entries 3, 7 and 9 are the player's; 5 has the GUID in small letters, 10 has none
    for (int i = 1; i <= 10; ++i) {
        ScreenshotEntry e = test::sampleEntry(i);
        e.GUID = (i == 3 || i == 7 || i == 9) ? guid : i == 5 ? guid.toLower() : i == 10 ? QByteArray() : e.GUID;
        f.db.append(e);
    }
    QCOMPARE(f.store.MarkByGuid(guid, true), 3);
    for (int i = 1; i <= 10; ++i)
        QCOMPARE(f.db.entry(i).Cheating, i == 3 || i == 7 || i == 9);
    QCOMPARE(f.store.MarkByGuid(guid, false), 3);
    QVERIFY(!f.db.entry(7).Cheating);
    QCOMPARE(f.store.MarkByGuid(QByteArray(), true), 1);
    QVERIFY(f.db.entry(10).Cheating);
}

QTEST_GUILESS_MAIN(TestEntryStore)
#include "tst_entrystore.moc"
