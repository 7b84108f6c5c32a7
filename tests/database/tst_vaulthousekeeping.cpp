#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/VaultHousekeeping.h"
#include "util/LogLines.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QDir>
#include <QtTest>

using namespace vh;
using database::Database;
using database::ScreenshotEntry;
using database::VaultHousekeeping;
using ViewUpdate = VaultHousekeeping::ViewUpdate;

Q_DECLARE_METATYPE(ViewUpdate)

namespace {
// Five entries over a fresh workspace, each with its PNG in the vault unless told otherwise.
struct Fixture
{
    test::TestWorkspace ws;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::Workspace workspace{ws.base()};
    Database db;
    VaultHousekeeping vault{db, log, workspace};

    explicit Fixture(const QList<int>& withoutPng = {}, const QList<int>& cheating = {}, int count = 5)
    {
        workspace.createFolders();
        for (int i = 1; i <= count; ++i) {
            ScreenshotEntry e = test::sampleEntry(i);
            e.Cheating = cheating.contains(i);
            db.append(e);
            if (!withoutPng.contains(i))
                ws.write(vaultRelative(i), "png of " + QByteArray::number(i));
        }
    }
    static QString vaultRelative(int n)
    {
        return base::Paths::Vault + QLatin1Char('/') + QString::fromLatin1(test::sampleEntry(n).VaultName) +
               QStringLiteral(".png");
    }
    static QString archiveRelative(int n, const QString& suffix = QStringLiteral(".png"))
    {
        return base::Paths::Archive + QLatin1Char('/') + QString::fromLatin1(test::sampleEntry(n).VaultName) + suffix;
    }
    // The sample numbers of the entries left, in table order.
    QList<int> left() const
    {
        QList<int> out;
        for (int i = 1; i <= db.EntryCount(); ++i)
            out << db.entry(i).PlayerName.mid(6).toInt();
        return out;
    }
    QStringList messages() const { return test::logMessages(log); }
};
} // namespace

class TestVaultHousekeeping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void purgeMissingPng();
    void deleteEntry_data();
    void deleteEntry();
    void deleteAllShots();
    void deleteNonCheating_data();
    void deleteNonCheating();
    void archiveCurrentWritesDescription();
    void archiveNameTakenKeepsBothPictures();
    void archiveFailureKeepsEntryAndPicture();
    void archiveAll();
};

void TestVaultHousekeeping::purgeMissingPng()
{
    Fixture f({2, 4});
    QCOMPARE(f.vault.PurgeMissingPng(), 2);
    QCOMPARE(f.left(), (QList<int>{1, 3, 5}));
}

void TestVaultHousekeeping::deleteEntry_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("left");
    QTest::newRow("last of five") << 5 << QList<int>{1, 2, 3, 4};
    QTest::newRow("first of five") << 1 << QList<int>{2, 3, 4, 5};
}

void TestVaultHousekeeping::deleteEntry()
{
    QFETCH(int, current);
    QFETCH(QList<int>, left);
    Fixture f;
    QCOMPARE(f.vault.DeleteEntry(current), ViewUpdate{.showCurrent = true});
    QCOMPARE(f.left(), left);
    QCOMPARE(f.db.CurrentEntry, current);
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(f.ws.exists(Fixture::vaultRelative(i)), i != current);

    Fixture empty({}, {}, 0);
    QCOMPARE(empty.vault.DeleteEntry(1), ViewUpdate{});
}

void TestVaultHousekeeping::deleteAllShots()
{
    Fixture f;
    f.ws.write(base::Paths::Vault + QStringLiteral("/stray.png"), "x");
    f.ws.write(base::Paths::Vault + QStringLiteral("/notes.txt"), "x");
    QCOMPARE(f.vault.DeleteAllShots(), (ViewUpdate{.showCurrent = true, .clearView = true}));
    QCOMPARE(f.db.EntryCount(), 0);
    QCOMPARE(QDir(f.ws.path(base::Paths::Vault)).entryList(QDir::Files), QStringList{QStringLiteral("notes.txt")});
}

void TestVaultHousekeeping::deleteNonCheating_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("cheating");
    QTest::addColumn<ViewUpdate>("update");
    QTest::newRow("1 and 3 marked of three")
        << 3 << QList<int>{1, 3} << ViewUpdate{.showCurrent = true, .sliderToFirst = true};
    QTest::newRow("one marked of five") << 5 << QList<int>{4} << ViewUpdate{.showCurrent = true, .clearView = true};
}

void TestVaultHousekeeping::deleteNonCheating()
{
    QFETCH(int, count);
    QFETCH(QList<int>, cheating);
    QFETCH(ViewUpdate, update);
    Fixture f({}, cheating, count);
    QCOMPARE(f.vault.DeleteNonCheating(), update);
    QCOMPARE(f.left(), cheating);
    for (int i = 1; i <= count; ++i)
        QCOMPARE(f.ws.exists(Fixture::vaultRelative(i)), cheating.contains(i));
}

void TestVaultHousekeeping::archiveCurrentWritesDescription()
{
    Fixture f;
    ScreenshotEntry& e = f.db.entry(2);
    e.Cheating = true;
    e.CaptureWidth = -3;
    e.AutoDetected = "NameChanger";
    // numbers as the old text conversion wrote them: a blank in place of a plus sign, one after
    const QList<QByteArray> expected = {e.AutoDetected, e.IndexText, e.HeaderInfo, "True",       e.VaultName,
                                        e.ShotFile,     e.ServerURL, e.GUID,       e.PlayerName, e.ServerAddress,
                                        e.ServerName,   e.ShotTime,  "-3 ",        " 480 "};

    QCOMPARE(f.vault.ArchiveCurrent(2), ViewUpdate{.showCurrent = true});
    QCOMPARE(f.left(), (QList<int>{1, 3, 4, 5}));
    QVERIFY(!f.ws.exists(Fixture::vaultRelative(2)));
    QCOMPARE(f.ws.read(Fixture::archiveRelative(2)), QByteArray("png of 2"));
    QCOMPARE(f.ws.read(Fixture::archiveRelative(2, QStringLiteral(".txt"))), expected.join("\r\n") + "\r\n");
}

void TestVaultHousekeeping::archiveNameTakenKeepsBothPictures()
{
    Fixture f({3});
    f.ws.write(Fixture::archiveRelative(1), "earlier picture");
    f.ws.write(Fixture::archiveRelative(1, QStringLiteral(".txt")), "earlier description");
    f.vault.ArchiveCurrent(1);
    QCOMPARE(f.left(), (QList<int>{2, 3, 4, 5}));
    QCOMPARE(f.ws.read(Fixture::archiveRelative(1)), QByteArray("earlier picture"));
    QCOMPARE(f.ws.read(Fixture::archiveRelative(1, QStringLiteral(".txt"))), QByteArray("earlier description"));
    QCOMPARE(f.ws.read(Fixture::archiveRelative(1, QStringLiteral("-2.png"))), QByteArray("png of 1"));
    QVERIFY(f.ws.read(Fixture::archiveRelative(1, QStringLiteral("-2.txt"))).startsWith("\r\n"));
    // an entry without its picture only leaves the table
    QCOMPARE(f.vault.ArchiveCurrent(2), ViewUpdate{.showCurrent = true});
    QCOMPARE(f.left(), (QList<int>{2, 4, 5}));
    QVERIFY(!f.ws.exists(Fixture::archiveRelative(3, QStringLiteral(".txt"))));
}

void TestVaultHousekeeping::archiveFailureKeepsEntryAndPicture()
{
    Fixture f;
    QDir(f.ws.path(base::Paths::Archive)).removeRecursively();
    f.vault.ArchiveCurrent(2);
    QCOMPARE(f.db.EntryCount(), 5);
    QVERIFY(f.ws.exists(Fixture::vaultRelative(2)));
    QCOMPARE(f.messages().size(), 1);

    QVERIFY(f.vault.ArchiveAll().sliderToFirst);
    QCOMPARE(f.db.EntryCount(), 5);
    QCOMPARE(f.messages().size(), 6);
}

void TestVaultHousekeeping::archiveAll()
{
    Fixture f({4});
    QCOMPARE(f.vault.ArchiveAll(), ViewUpdate{.showCurrent = true});
    QCOMPARE(f.db.EntryCount(), 0);
    for (int i = 1; i <= 5; ++i) {
        QVERIFY(!f.ws.exists(Fixture::vaultRelative(i)));
        QCOMPARE(f.ws.exists(Fixture::archiveRelative(i, QStringLiteral(".txt"))), i != 4);
    }
}

QTEST_GUILESS_MAIN(TestVaultHousekeeping)
#include "tst_vaulthousekeeping.moc"
