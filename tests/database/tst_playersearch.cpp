#include "database/Database.h"
#include "database/PlayerSearch.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace vh;
using database::Database;

namespace {

const QByteArray GuidA = QByteArray("0123456789abcdef0123456789abcdef");
const QByteArray GuidB = QByteArray("fedcba9876543210fedcba9876543210");
const QByteArray GuidLong = QByteArray("0123456789abcdef0123456789abcdef01234567");
const QByteArray LongName = QByteArray("A player name longer than thirty letters, SNIPER");

// Entries 1..6: names of GuidA and GuidB, a Latin-1 name, and a GUID and a name too long for the search keys.
Database table()
{
    Database db;
    const QList<QPair<QByteArray, QByteArray>> rows = {{GuidA, "=XY= Sniper"},    {GuidB, "Medic"},
                                                       {GuidA, "Renamed SNIPER"}, {GuidB, "\xc9lan"},
                                                       {GuidA, "=XY= Sniper"},    {GuidLong, LongName}};
    for (const auto& [guid, name] : rows) {
        database::ScreenshotEntry e;
        e.GUID = guid;
        e.PlayerName = name;
        e.ShotTime = "2026.12.06 10:00:00";
        e.ServerName = "Server";
        db.append(e);
    }
    db.entry(3).Cheating = true;
    return db;
}

} // namespace

class TestPlayerSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void finds_data();
    void finds();
    void followsChangesToTheTable();
    void modelShowsRows();
};

void TestPlayerSearch::finds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("entries");
    QTest::addColumn<QStringList>("names"); // of the GUID; empty when not a GUID search
    QTest::newRow("name fragment, any case") << "sniper" << QList<int>{1, 3, 5, 6} << QStringList{};
    QTest::newRow("blanks around are ignored") << "  medic " << QList<int>{2} << QStringList{};
    QTest::newRow("Latin-1 capital matches small") << QString::fromLatin1("\xe9LAN") << QList<int>{4} << QStringList{};
    QTest::newRow("GUID in capitals, every name it used")
        << QString::fromLatin1(GuidA.toUpper()) << QList<int>{1, 3, 5}
        << QStringList{QStringLiteral("=XY= Sniper"), QStringLiteral("Renamed SNIPER")};
    QTest::newRow("GUID longer than 32 characters")
        << QString::fromLatin1(GuidLong.toUpper()) << QList<int>{6} << QStringList{QString::fromLatin1(LongName)};
    QTest::newRow("part of a GUID is no GUID") << QString::fromLatin1(GuidA.left(31)) << QList<int>{} << QStringList{};
    QTest::newRow("blanks only find nothing") << "   " << QList<int>{} << QStringList{};
}

void TestPlayerSearch::finds()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, entries);
    QFETCH(QStringList, names);
    const Database db = table();
    const database::SearchResult result = database::searchPlayers(db, text);
    QCOMPARE(result.entries, entries);
    QCOMPARE(result.byGuid, !names.isEmpty());
    QStringList got;
    for (const QByteArray& name : result.namesOfGuid)
        got << QString::fromLatin1(name);
    QCOMPARE(got, names);
}

void TestPlayerSearch::followsChangesToTheTable()
{
    const auto found = [](const Database& db, const char* text) {
        return database::searchPlayers(db, QString::fromLatin1(text)).entries;
    };
    Database db = table();
    QCOMPARE(found(db, "medic"), QList<int>{2});
    db.entry(4).PlayerName = "Medic Two"; // written after a search
    db.remove(1);
    QCOMPARE(found(db, "medic"), (QList<int>{1, 3}));
    db.entry(1).ShotFile = Database::DeletedMarker;
    QCOMPARE(db.compact(), 1);
    QCOMPARE(found(db, "medic"), QList<int>{2});
    db.truncate(2);
    database::ScreenshotEntry added;
    added.PlayerName = "Sniper Three";
    db.append(added);
    QCOMPARE(found(db, "sniper"), (QList<int>{1, 3}));
}

void TestPlayerSearch::modelShowsRows()
{
    const Database db = table();
    database::PlayerSearchModel model(db);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.search(QString::fromLatin1(GuidA));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.entryAt(1), 3);
    QCOMPARE(model.index(1, database::PlayerSearchModel::MarkedColumn).data().toString(), QStringLiteral("marked"));
}

QTEST_GUILESS_MAIN(TestPlayerSearch)
#include "tst_playersearch.moc"
