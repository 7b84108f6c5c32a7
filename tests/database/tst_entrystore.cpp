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
    void fullTableRefusesTheNextEntry();
    void markByGuidMarksEveryEntryOfThePlayer();
    void saveAfterAVisit_data();
    void saveAfterAVisit();
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
    QTest::addColumn<QByteArray>("detected"); // a detected slot is marked
    QTest::addColumn<QString>("switches"); // "act": stop, report and sound on a detection; "colours": the colour check
    QTest::addColumn<bool>("added");
    QTest::addColumn<QByteArray>("found"); // the detection of the added entry, logged
    QTest::addColumn<bool>("acted");       // the run stopped, a report made, the sound played
    const QByteArray name = "NameChanger";
    QTest::newRow("no capture size") << 3 << qint16(0) << name << QStringLiteral("act") << false << QByteArray()
                                     << false;
    QTest::newRow("first entry is shown")
        << 0 << qint16(640) << QByteArray() << QString() << true << QByteArray() << false;
    QTest::newRow("detection, switches off") << 11 << qint16(800) << name << QString() << true << name << false;
    QTest::newRow("detection stops, reports, plays")
        << 11 << qint16(800) << name << QStringLiteral("act") << true << name << true;
    QTest::newRow("colour check finds a code")
        << 11 << qint16(800) << QByteArray() << QStringLiteral("colours") << true << QByteArray("SS_Cleaner") << false;
    QTest::newRow("marked slot is not checked again")
        << 11 << qint16(800) << name << QStringLiteral("colours") << true << name << false;
}

void TestEntryStore::addEntry()
{
    QFETCH(int, before);
    QFETCH(qint16, width);
    QFETCH(QByteArray, detected);
    QFETCH(QString, switches);
    QFETCH(bool, added);
    QFETCH(QByteArray, found);
    QFETCH(bool, acted);

    Fixture f;
    f.flags.StopRequested = 0;
    const auto on = [&switches](const char* name) {
        return switches == QLatin1String(name) ? QStringLiteral("1") : QStringLiteral("0");
    };
    for (Setting s : {Setting::StopOnDetection, Setting::ReportOnAutoDetect, Setting::PlayEnemySpotted})
        f.settings.setValue(s, on("act"));
    f.settings.setValue(Setting::ScanColorCodes, on("colours"));
    for (int i = 1; i <= before; ++i)
        f.db.append(test::sampleEntry(i));
    QList<int> reported;
    f.store.setReportCreator([&](int n) { reported << n; });
    f.store.setColourCodeCheck([&f](int slot) { f.db.intakeSlot(slot).AutoDetected = "SS_Cleaner"; });
    ScreenshotEntry slot = test::sampleEntry(before + 1);
    slot.CaptureWidth = width;
    slot.AutoDetected = detected;
    slot.Cheating = !detected.isEmpty();
    f.db.intakeSlot(17) = slot;
    QSignalSpy showSpy(&f.store, &EntryStore::showCurrentEntry);
    QSignalSpy addedSpy(&f.store, &EntryStore::entryAdded);

    QCOMPARE(f.store.AddEntry(17), added);
    QCOMPARE(f.db.EntryCount(), before + (added ? 1 : 0));
    QCOMPARE(addedSpy.size(), added ? 1 : 0);
    slot.AutoDetected = found;
    if (added)
        QCOMPARE(f.db.entry(before + 1), slot);
    // the first entry ever is shown at once
    QCOMPARE(showSpy.size(), before == 0 ? 1 : 0);
    QCOMPARE(f.messages().size(), found.isEmpty() ? 0 : 1);
    QCOMPARE(f.flags.StopRequested, acted ? 1 : 0);
    QCOMPARE(reported, acted ? QList<int>{before + 1} : QList<int>());
    QCOMPARE(f.sounds, acted ? QStringList{f.ws.base() + QStringLiteral("/EnemySpotted.wav")} : QStringList());
}

void TestEntryStore::fullTableRefusesTheNextEntry()
{
    Fixture f;
    f.db.reserve(Database::Capacity);
    for (int i = 0; i < Database::Capacity; ++i)
        f.db.append(ScreenshotEntry{});
    f.db.intakeSlot(3) = test::sampleEntry(9);
    QVERIFY(!f.store.AddEntry(3));
    QCOMPARE(f.db.EntryCount(), Database::Capacity);
}

void TestEntryStore::markByGuidMarksEveryEntryOfThePlayer()
{
    Fixture f;
    const QByteArray guid(32, 'G');
    // entries 1 and 3 are the player's; 2 has the GUID in small letters, 4 has none
    for (const QByteArray& g : {guid, guid.toLower(), guid, QByteArray()}) {
        f.db.append(test::sampleEntry(1));
        f.db.entry(f.db.EntryCount()).GUID = g;
    }
    QCOMPARE(f.store.MarkByGuid(guid, true), 2);
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(f.db.entry(i).Cheating, i == 1 || i == 3);
    QCOMPARE(f.store.MarkByGuid(guid, false), 2);
    QVERIFY(!f.db.entry(3).Cheating);
}

void TestEntryStore::saveAfterAVisit_data()
{
    QTest::addColumn<QString>("between"); // what happens between the first visit's save and the next one's
    QTest::newRow("entries only added") << QString();
    QTest::newRow("an empty file grown") << QStringLiteral("empty");
    QTest::newRow("an earlier entry marked") << QStringLiteral("mark");
    QTest::newRow("an earlier entry removed") << QStringLiteral("remove");
    QTest::newRow("the file replaced behind the program's back") << QStringLiteral("replace");
}

// Each visit's save writes what the table holds, whether it grew the last file (the loaded one first) or wrote
// the table anew.
void TestEntryStore::saveAfterAVisit()
{
    QFETCH(QString, between);
    Fixture f;
    Database one;
    if (between != QLatin1String("empty"))
        one.append(test::sampleEntry(1));
    f.ws.write(base::Paths::DatabaseFile, database::DatabaseFile::serialize(one));
    f.store.LoadDatabase();
    // two visits, of entries 2 to 5 and 6 to 9
    for (int next = 2; next <= 9; ++next) {
        f.db.intakeSlot(0) = test::sampleEntry(next);
        QVERIFY(f.store.AddEntry(0));
        if (next % 4 != 1)
            continue;
        QVERIFY(f.store.SaveDatabaseIfChanged());
        QCOMPARE(f.ws.read(base::Paths::DatabaseFile), database::DatabaseFile::serialize(f.db));
        if (between == QLatin1String("mark"))
            QCOMPARE(f.store.MarkByGuid(f.db.entry(2).GUID, true), 1);
        else if (between == QLatin1String("remove"))
            f.db.remove(2);
        else if (between == QLatin1String("replace"))
            f.ws.write(base::Paths::DatabaseFile, QByteArray(10, '\0'));
    }
}

QTEST_GUILESS_MAIN(TestEntryStore)
#include "tst_entrystore.moc"
