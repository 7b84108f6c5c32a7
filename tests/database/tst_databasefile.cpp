#include "database/Database.h"
#include "database/DatabaseExport.h"
#include "database/DatabaseFile.h"
#include "util/SampleEntries.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <QtTest>

using vh::database::Database;
using vh::database::DatabaseFile;
using vh::database::exportCsv;
using vh::database::exportJson;
using vh::database::ScreenshotEntry;

class TestDatabaseFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout();
    void roundTripIsByteForByte();
    void overlongStringIsCutNotCorrupting();
    void damagedFileKeepsIntactEntries_data();
    void damagedFileKeepsIntactEntries();
    void countAboveCapacityLoadsTheCapacity();
    void csvQuotesAndKeepsFormulasAsText();
    void jsonHoldsEveryMember();
};

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

// One entry with quotes, a formula-like name and Latin-1 text; one nearly empty.
Database twoEntries()
{
    Database db;
    ScreenshotEntry a;
    a.ShotFile = "pb000123.png";
    a.PlayerName = "=cmd|' /C calc'!A0";
    a.ServerName = "Clan \"A\", Server";
    a.GUID = "0123456789abcdef0123456789abcdef";
    a.Cheating = true;
    a.IndexText = "000123 \"Pl\xe4yer\" GUID=0123456789abcdef0123456789abcdef (-) 2026.12.01 10:00:00";
    a.CaptureWidth = 640;
    a.CaptureHeight = -1;
    db.append(a);
    ScreenshotEntry b;
    b.ShotFile = "pb000124.png";
    db.append(b);
    return db;
}

} // namespace

void TestDatabaseFile::layout()
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
}

void TestDatabaseFile::roundTripIsByteForByte()
{
    QList<ScreenshotEntry> entries;
    for (int i = 1; i <= 5; ++i)
        entries << vh::test::sampleEntry(i);
    entries[1].Cheating = true;
    entries[2].AutoDetected = "NoFog Bridge";
    entries[3].CaptureWidth = -2;
    entries[3].CaptureHeight = 32767;
    entries[4] = ScreenshotEntry{};
    entries[4].CaptureWidth = 1;
    const QByteArray bytes = DatabaseFile::serialize(tableOf(entries));

    Database back;
    {
        QByteArray buffer(bytes.constData(), bytes.size());
        QVERIFY(DatabaseFile::parse(buffer, back).ok());
        // the caller's buffer goes away; the table must keep what its entries point into
        buffer.fill('z');
    }
    QCOMPARE(back.EntryCount(), 5);
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(back.entry(i), entries[i - 1]);
    QCOMPARE(DatabaseFile::serialize(back), bytes);
}

void TestDatabaseFile::overlongStringIsCutNotCorrupting()
{
    ScreenshotEntry e = vh::test::sampleEntry(1);
    e.IndexText = QByteArray(70000, 'i');
    ScreenshotEntry next = vh::test::sampleEntry(2);
    Database back;
    QVERIFY(DatabaseFile::parse(DatabaseFile::serialize(tableOf({e, next})), back).ok());
    QCOMPARE(back.EntryCount(), 2);
    QCOMPARE(back.entry(1).IndexText, QByteArray(65535, 'i'));
    QCOMPARE(back.entry(1).VaultName, e.VaultName);
    QCOMPARE(back.entry(2), next);
}

void TestDatabaseFile::damagedFileKeepsIntactEntries_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("intact");
    QTest::addColumn<int>("brokenEntry");

    const QByteArray two = DatabaseFile::serialize(tableOf({vh::test::sampleEntry(1), vh::test::sampleEntry(2)}));
    const QByteArray body = two.mid(4);
    QTest::newRow("count beyond the end") << le32(3) + body << 2 << 3;
    QTest::newRow("string length beyond the end") << le32(2) + body.chopped(40) << 1 << 2;
    QTest::newRow("negative count") << le32(-1) + body << 0 << 0;
    QTest::newRow("bytes after the last entry") << le32(1) + body << 1 << 2;
    QTest::newRow("one stray byte after the last entry") << two + QByteArray(1, '\0') << 2 << 3;
}

void TestDatabaseFile::damagedFileKeepsIntactEntries()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, intact);
    QFETCH(int, brokenEntry);
    Database db;
    const vh::base::Checked<int> result = DatabaseFile::parse(bytes, db);
    QVERIFY(!result.ok());
    QVERIFY(!result.problems.value(0).isEmpty());
    QCOMPARE(result.value, brokenEntry);
    QCOMPARE(db.EntryCount(), intact);
    for (int i = 1; i <= intact; ++i)
        QCOMPARE(db.entry(i), vh::test::sampleEntry(i));
}

void TestDatabaseFile::countAboveCapacityLoadsTheCapacity()
{
    // the smallest stored entry: every string empty
    const QByteArray empty(28, '\0');
    QByteArray bytes = le32(Database::Capacity + 1);
    bytes.reserve(4 + qsizetype(Database::Capacity + 1) * 28);
    for (int i = 0; i <= Database::Capacity; ++i)
        bytes += empty;
    Database db;
    const vh::base::Checked<int> result = DatabaseFile::parse(bytes, db);
    QVERIFY(!result.ok());
    QCOMPARE(result.value, Database::Capacity + 1);
    QVERIFY(result.problems.value(0).contains(QLatin1String("capacity")));
    QCOMPARE(db.EntryCount(), Database::Capacity);
    QVERIFY(db.isFull());
}

void TestDatabaseFile::csvQuotesAndKeepsFormulasAsText()
{
    const QList<QByteArray> lines = exportCsv(twoEntries()).split('\n');
    QCOMPARE(lines.size(), 4); // header, two entries, the empty rest after the last line end
    QVERIFY(lines.at(0).startsWith("ShotFile,HeaderInfo,ServerAddress,ServerName,GUID,PlayerName,ServerURL,Cheating"));
    const QByteArray first = lines.at(1);
    QVERIFY(first.contains("\"Clan \"\"A\"\", Server\""));
    QVERIFY(first.contains("\"'=cmd|' /C calc'!A0\""));
    QVERIFY(first.contains(",True,"));
    QVERIFY(first.contains("Pl\xc3\xa4yer")); // Latin-1 text written as UTF-8
    QVERIFY(first.endsWith(",640,-1\r"));     // numbers are not treated as formulas
    QVERIFY(lines.at(2).startsWith("pb000124.png,,,,,,,False,"));
}

void TestDatabaseFile::jsonHoldsEveryMember()
{
    const QJsonArray entries = QJsonDocument::fromJson(exportJson(twoEntries())).array();
    QCOMPARE(entries.size(), 2);
    const QJsonObject first = entries.at(0).toObject();
    QCOMPARE(first.size(), 14);
    // no formula guard in JSON
    QCOMPARE(first.value(QStringLiteral("PlayerName")).toString(), QStringLiteral("=cmd|' /C calc'!A0"));
    QVERIFY(first.value(QStringLiteral("IndexText")).toString().contains(QStringLiteral("Pl\u00e4yer")));
}

QTEST_GUILESS_MAIN(TestDatabaseFile)
#include "tst_databasefile.moc"
