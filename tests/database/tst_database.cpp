#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/DatabaseExport.h"
#include "database/DatabaseFile.h"
#include "database/PlayerSearch.h"
#include "database/VaultHousekeeping.h"
#include "util/LogLines.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <QtTest>

using namespace vh;
using database::Database;
using database::DatabaseFile;
using database::ScreenshotEntry;
using test::sampleEntry;
using ViewUpdate = database::VaultHousekeeping::ViewUpdate;

Q_DECLARE_METATYPE(ViewUpdate)

namespace {

QByteArray le32(qint32 v)
{
    QByteArray b(4, Qt::Uninitialized);
    qToLittleEndian<qint32>(v, b.data());
    return b;
}

Database tableOf(const QList<ScreenshotEntry>& entries)
{
    Database db;
    for (const ScreenshotEntry& e : entries)
        db.append(e);
    return db;
}

const QByteArray GuidA = QByteArray("0123456789abcdef0123456789abcdef");
const QByteArray GuidLong = QByteArray("0123456789abcdef0123456789abcdef01234567");
const QByteArray LongName = QByteArray("A player name longer than thirty letters, SNIPER");

// Entries 1..6 for the player search: names of GuidA and another GUID, a Latin-1 name, and a GUID and a name
// too long for the search keys; entry 3 is marked.
Database players()
{
    const QByteArray guidB = QByteArray("fedcba9876543210fedcba9876543210");
    const QList<QPair<QByteArray, QByteArray>> rows = {{GuidA, "=XY= Sniper"},    {guidB, "Medic"},
                                                       {GuidA, "Renamed SNIPER"}, {guidB, "\xc9lan"},
                                                       {GuidA, "=XY= Sniper"},    {GuidLong, LongName}};
    Database db;
    for (const auto& [guid, name] : rows) {
        ScreenshotEntry e;
        e.GUID = guid;
        e.PlayerName = name;
        db.append(e);
    }
    db.entry(3).Cheating = true;
    return db;
}

// Sample entries over a fresh workspace, each with its PNG in the vault unless told otherwise.
struct Vault
{
    test::TestWorkspace ws;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::Workspace workspace{ws.base()};
    Database db;
    database::VaultHousekeeping vault{db, log, workspace};

    explicit Vault(const QList<int>& withoutPng = {}, const QList<int>& cheating = {}, int count = 5)
    {
        workspace.createFolders();
        for (int i = 1; i <= count; ++i) {
            ScreenshotEntry e = sampleEntry(i);
            e.Cheating = cheating.contains(i);
            db.append(e);
            if (!withoutPng.contains(i))
                ws.write(vaultFile(i), "png of " + QByteArray::number(i));
        }
    }
    static QString vaultFile(int n) { return base::Paths::Vault + QLatin1Char('/') + name(n) + QStringLiteral(".png"); }
    static QString archived(int n, const QString& suffix = QStringLiteral(".png"))
    {
        return base::Paths::Archive + QLatin1Char('/') + name(n) + suffix;
    }
    static QString name(int n) { return QString::fromLatin1(sampleEntry(n).VaultName); }
    // The sample numbers of the entries left, in table order.
    QList<int> left() const
    {
        QList<int> out;
        for (int i = 1; i <= db.EntryCount(); ++i)
            out << db.entry(i).PlayerName.mid(6).toInt();
        return out;
    }
};

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutAndRoundTrip();
    void damagedFileKeepsIntactEntries_data();
    void damagedFileKeepsIntactEntries();
    void exportsQuoteAndKeepFormulasAsText();
    void search_data();
    void search();
    void searchFollowsChangesToTheTable();
    void searchModelShowsRows();
    void purgeMissingPng();
    void deleteEntry_data();
    void deleteEntry();
    void deleteAllShots();
    void archiveKeepsEarlierArchives();
    void archiveFailureKeepsEntryAndPicture();
};

void TestDatabase::layoutAndRoundTrip()
{
    ScreenshotEntry e;
    e.ShotFile = "ab";
    e.CaptureWidth = 640;
    e.CaptureHeight = 480;
    // the count, ShotFile with its 16-bit length, six empty strings, Cheating, four empty strings, the capture size
    const QByteArray expected = "01000000"
                                "02006162"
                                "000000000000000000000000"
                                "0000"
                                "0000000000000000"
                                "8002e001";
    QCOMPARE(DatabaseFile::serialize(tableOf({e})).toHex(), expected);

    QList<ScreenshotEntry> entries{sampleEntry(1), sampleEntry(2), ScreenshotEntry{}};
    entries[0].Cheating = true;
    entries[0].AutoDetected = "NoFog Bridge";
    entries[1].IndexText = QByteArray(70000, 'i'); // cut to what a 16-bit length holds
    entries[1].CaptureWidth = -2;
    entries[1].CaptureHeight = 32767;
    entries[2].CaptureWidth = 1;
    const QByteArray bytes = DatabaseFile::serialize(tableOf(entries));
    Database back;
    {
        QByteArray buffer(bytes.constData(), bytes.size());
        QVERIFY(DatabaseFile::parse(buffer, back).ok());
        // the caller's buffer goes away; the table must keep what its entries point into
        buffer.fill('z');
    }
    entries[1].IndexText.truncate(65535);
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(back.entry(i), entries[i - 1]);
    QCOMPARE(DatabaseFile::serialize(back), bytes);
}

void TestDatabase::damagedFileKeepsIntactEntries_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("intact");
    QTest::addColumn<int>("brokenEntry");
    const QByteArray two = DatabaseFile::serialize(tableOf({sampleEntry(1), sampleEntry(2)}));
    QTest::newRow("count beyond the end") << le32(3) + two.mid(4) << 2 << 3;
    QTest::newRow("string length beyond the end") << two.chopped(40) << 1 << 2;
    QTest::newRow("negative count") << le32(-1) + two.mid(4) << 0 << 0;
    QTest::newRow("one stray byte after the last entry") << two + QByteArray(1, '\0') << 2 << 3;
    // the smallest stored entry has every string empty: 28 bytes
    QTest::newRow("count above the capacity")
        << le32(Database::Capacity + 1) + QByteArray(qsizetype(Database::Capacity + 1) * 28, '\0') << Database::Capacity
        << Database::Capacity + 1;
}

void TestDatabase::damagedFileKeepsIntactEntries()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, intact);
    QFETCH(int, brokenEntry);
    Database db;
    const base::Checked<int> result = DatabaseFile::parse(bytes, db);
    QVERIFY(!result.ok());
    QCOMPARE(result.value, brokenEntry);
    QCOMPARE(db.EntryCount(), intact);
    QVERIFY(bytes.mid(4).startsWith(DatabaseFile::serialize(db).mid(4)));
}

void TestDatabase::exportsQuoteAndKeepFormulasAsText()
{
    ScreenshotEntry a = sampleEntry(1);
    a.PlayerName = "=cmd|' /C calc'!A0";
    a.ServerName = "Clan \"A\", \xe9";
    a.Cheating = true;
    a.CaptureHeight = -1;
    ScreenshotEntry b;
    b.ShotFile = "pb000124.png";
    const Database db = tableOf({a, b});

    const QList<QByteArray> lines = database::exportCsv(db).split('\n');
    QCOMPARE(lines.size(), 4); // header, two entries, the empty rest after the last line end
    QVERIFY(lines.at(0).startsWith("ShotFile,HeaderInfo,ServerAddress,ServerName,GUID,PlayerName,ServerURL,Cheating"));
    QVERIFY(lines.at(1).contains(",\"Clan \"\"A\"\", \xc3\xa9\",")); // Latin-1 text written as UTF-8
    QVERIFY(lines.at(1).contains(",\"'=cmd|' /C calc'!A0\",http://127.0.0.1/pb/svss,True,"));
    QVERIFY(lines.at(1).endsWith(",640,-1\r")); // numbers are not treated as formulas
    QVERIFY(lines.at(2).startsWith("pb000124.png,,,,,,,False,"));

    const QJsonObject first = QJsonDocument::fromJson(database::exportJson(db)).array().at(0).toObject();
    QCOMPARE(first.size(), 14);
    // no formula guard in JSON
    QCOMPARE(first.value(QStringLiteral("PlayerName")).toString(), QStringLiteral("=cmd|' /C calc'!A0"));
}

void TestDatabase::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("entries");
    QTest::addColumn<QByteArrayList>("names"); // of the GUID; empty when not a GUID search
    QTest::newRow("name fragment, any case") << "sniper" << QList<int>{1, 3, 5, 6} << QByteArrayList{};
    QTest::newRow("blanks around are ignored") << "  medic " << QList<int>{2} << QByteArrayList{};
    QTest::newRow("Latin-1 capital matches small")
        << QString::fromLatin1("\xe9LAN") << QList<int>{4} << QByteArrayList{};
    QTest::newRow("GUID in capitals, every name it used") << QString::fromLatin1(GuidA.toUpper()) << QList<int>{1, 3, 5}
                                                          << QByteArrayList{"=XY= Sniper", "Renamed SNIPER"};
    QTest::newRow("GUID longer than 32 characters")
        << QString::fromLatin1(GuidLong.toUpper()) << QList<int>{6} << QByteArrayList{LongName};
    QTest::newRow("part of a GUID is no GUID")
        << QString::fromLatin1(GuidA.left(31)) << QList<int>{} << QByteArrayList{};
    QTest::newRow("blanks only find nothing") << "   " << QList<int>{} << QByteArrayList{};
}

void TestDatabase::search()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, entries);
    QFETCH(QByteArrayList, names);
    const database::SearchResult result = database::searchPlayers(players(), text);
    QCOMPARE(result.entries, entries);
    QCOMPARE(result.byGuid, !names.isEmpty());
    QCOMPARE(result.namesOfGuid, names);
}

void TestDatabase::searchFollowsChangesToTheTable()
{
    const auto found = [](const Database& db, const char* text) {
        return database::searchPlayers(db, QString::fromLatin1(text)).entries;
    };
    Database db = players();
    QCOMPARE(found(db, "medic"), QList<int>{2});
    db.entry(4).PlayerName = "Medic Two"; // written after a search
    db.remove(1);
    QCOMPARE(found(db, "medic"), (QList<int>{1, 3}));
    db.entry(1).ShotFile = Database::DeletedMarker;
    QCOMPARE(db.compact(), 1);
    QCOMPARE(found(db, "medic"), QList<int>{2});
    db.truncate(2);
    ScreenshotEntry added;
    added.PlayerName = "Sniper Three";
    db.append(added);
    QCOMPARE(found(db, "sniper"), (QList<int>{1, 3}));
}

void TestDatabase::searchModelShowsRows()
{
    const Database db = players();
    database::PlayerSearchModel model(db);
    model.search(QString::fromLatin1(GuidA));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.entryAt(1), 3);
    QCOMPARE(model.index(1, database::PlayerSearchModel::MarkedColumn).data().toString(), QStringLiteral("marked"));
}

void TestDatabase::purgeMissingPng()
{
    Vault f({2, 4});
    QCOMPARE(f.vault.PurgeMissingPng(), 2);
    QCOMPARE(f.left(), (QList<int>{1, 3, 5}));
}

void TestDatabase::deleteEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("current"); // 0: delete the entries not marked
    QTest::addColumn<QList<int>>("cheating");
    QTest::addColumn<QList<int>>("left");
    QTest::addColumn<ViewUpdate>("update");
    const ViewUpdate show{.showCurrent = true};
    QTest::newRow("last of five") << 5 << 5 << QList<int>{} << QList<int>{1, 2, 3, 4} << show;
    QTest::newRow("first of five") << 5 << 1 << QList<int>{} << QList<int>{2, 3, 4, 5} << show;
    QTest::newRow("none of none") << 0 << 1 << QList<int>{} << QList<int>{} << ViewUpdate{};
    QTest::newRow("not marked, 1 and 3 of three marked")
        << 3 << 0 << QList<int>{1, 3} << QList<int>{1, 3} << ViewUpdate{.showCurrent = true, .sliderToFirst = true};
    QTest::newRow("not marked, one of five marked")
        << 5 << 0 << QList<int>{4} << QList<int>{4} << ViewUpdate{.showCurrent = true, .clearView = true};
}

void TestDatabase::deleteEntry()
{
    QFETCH(int, count);
    QFETCH(int, current);
    QFETCH(QList<int>, cheating);
    QFETCH(QList<int>, left);
    QFETCH(ViewUpdate, update);
    Vault f({}, cheating, count);
    QCOMPARE(current ? f.vault.DeleteEntry(current) : f.vault.DeleteNonCheating(), update);
    QCOMPARE(f.left(), left);
    QCOMPARE(f.db.CurrentEntry, current && count ? current : 1);
    for (int i = 1; i <= count; ++i)
        QCOMPARE(f.ws.exists(Vault::vaultFile(i)), left.contains(i));
}

void TestDatabase::deleteAllShots()
{
    Vault f;
    f.ws.write(base::Paths::Vault + QStringLiteral("/stray.png"), "x");
    f.ws.write(base::Paths::Vault + QStringLiteral("/notes.txt"), "x");
    QCOMPARE(f.vault.DeleteAllShots(), (ViewUpdate{.showCurrent = true, .clearView = true}));
    QCOMPARE(f.db.EntryCount(), 0);
    QCOMPARE(QDir(f.ws.path(base::Paths::Vault)).entryList(QDir::Files), QStringList{QStringLiteral("notes.txt")});
}

void TestDatabase::archiveKeepsEarlierArchives()
{
    Vault f({3});
    f.ws.write(Vault::archived(1), "earlier picture");
    f.ws.write(Vault::archived(1, QStringLiteral(".txt")), "earlier description");
    ScreenshotEntry& e = f.db.entry(1);
    e.Cheating = true;
    e.CaptureWidth = -3;
    e.AutoDetected = "NameChanger";
    // numbers as the old text conversion wrote them: a blank in place of a plus sign, one after
    const QList<QByteArray> description = {e.AutoDetected, e.IndexText, e.HeaderInfo, "True",       e.VaultName,
                                           e.ShotFile,     e.ServerURL, e.GUID,       e.PlayerName, e.ServerAddress,
                                           e.ServerName,   e.ShotTime,  "-3 ",        " 480 "};
    QCOMPARE(f.vault.ArchiveCurrent(1), ViewUpdate{.showCurrent = true});
    QCOMPARE(f.left(), (QList<int>{2, 3, 4, 5}));
    QVERIFY(!f.ws.exists(Vault::vaultFile(1)));
    QCOMPARE(f.ws.read(Vault::archived(1)), QByteArray("earlier picture"));
    QCOMPARE(f.ws.read(Vault::archived(1, QStringLiteral(".txt"))), QByteArray("earlier description"));
    QCOMPARE(f.ws.read(Vault::archived(1, QStringLiteral("-2.png"))), QByteArray("png of 1"));
    QCOMPARE(f.ws.read(Vault::archived(1, QStringLiteral("-2.txt"))), description.join("\r\n") + "\r\n");
    // an entry without its picture only leaves the table
    QCOMPARE(f.vault.ArchiveCurrent(2), ViewUpdate{.showCurrent = true});
    QCOMPARE(f.left(), (QList<int>{2, 4, 5}));
    QVERIFY(!f.ws.exists(Vault::archived(3, QStringLiteral(".txt"))));
}

void TestDatabase::archiveFailureKeepsEntryAndPicture()
{
    Vault f({4});
    QDir(f.ws.path(base::Paths::Archive)).removeRecursively();
    f.vault.ArchiveCurrent(2);
    QCOMPARE(f.db.EntryCount(), 5);
    QVERIFY(f.ws.exists(Vault::vaultFile(2)));
    QCOMPARE(test::logMessages(f.log).size(), 1);
    // the entry without its picture leaves; the others stay and the slider spans them again
    QVERIFY(f.vault.ArchiveAll().sliderToFirst);
    QCOMPARE(f.left(), (QList<int>{1, 2, 3, 5}));
    QCOMPARE(test::logMessages(f.log).size(), 5);

    f.workspace.createFolders();
    QCOMPARE(f.vault.ArchiveAll(), ViewUpdate{.showCurrent = true});
    QCOMPARE(f.db.EntryCount(), 0);
    QVERIFY(f.ws.exists(Vault::archived(5, QStringLiteral(".txt"))));
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
