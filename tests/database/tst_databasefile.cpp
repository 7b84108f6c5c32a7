#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "util/SampleEntries.h"

#include <QtEndian>
#include <QtTest>

using vh::database::Database;
using vh::database::DatabaseFile;
using vh::database::ScreenshotEntry;

class TestDatabaseFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void roundTripIsByteForByte();
    void overlongStringIsCutNotCorrupting();
    void damagedFileKeepsIntactEntries_data();
    void damagedFileKeepsIntactEntries();
    void countAboveCapacityLoadsTheCapacity();
    void loadedEntriesSurviveModification();
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
} // namespace

void TestDatabaseFile::layout_data()
{
    QTest::addColumn<QByteArray>("shotFile");
    QTest::addColumn<QByteArray>("stored"); // in hex, with its 16-bit length
    QTest::newRow("example entry of thirty bytes") << QByteArray("ab") << QByteArray("02006162");
    QTest::newRow("300 bytes have the length 012C") << QByteArray(300, 'x') << "2c01" + QByteArray(300, 'x').toHex();
}

void TestDatabaseFile::layout()
{
    QFETCH(QByteArray, shotFile);
    QFETCH(QByteArray, stored);
    ScreenshotEntry e;
    e.ShotFile = shotFile;
    e.CaptureWidth = 640;
    e.CaptureHeight = 480;
    // the count, ShotFile, six empty strings, Cheating, four empty strings, the capture size
    const QByteArray expected =
        "01000000" + stored + "000000000000000000000000" + "0000" + "0000000000000000" + "8002e001";
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
    const vh::base::Checked<int> result = DatabaseFile::parse(bytes, back);
    QVERIFY(result.ok());
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

void TestDatabaseFile::loadedEntriesSurviveModification()
{
    Database db;
    {
        QByteArray bytes = DatabaseFile::serialize(tableOf({vh::test::sampleEntry(1)}));
        DatabaseFile::parse(bytes, db);
        // the caller's buffer goes away; the table must keep what its entries point into
        bytes.fill('z');
    }
    QCOMPARE(db.entry(1), vh::test::sampleEntry(1));
}

QTEST_GUILESS_MAIN(TestDatabaseFile)
#include "tst_databasefile.moc"
