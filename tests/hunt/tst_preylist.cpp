#include "banlists/Banlist.h"
#include "hunt/PreyList.h"
#include "util/TestWorkspace.h"

#include <QtTest>

using vh::hunt::PreyList;
using Entries = QList<QByteArray>;

namespace {

const QByteArray G1 = "0123456789abcdef0123456789abcdef";
const QByteArray G2 = "00112233445566778899aabbccddeeff";
const QByteArray Banned = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

vh::banlists::Banlist aasaBans()
{
    vh::banlists::Banlist list;
    list.parseAasa("AASA list\r\n[d] " + Banned + " Old 1.2.3.4 Aimbot\r\n");
    return list;
}

} // namespace

class TestPreyList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void file_data();
    void file();
    void importCounts_data();
    void importCounts();
    void beta();
};

// Loading and saving again, or adding a GUID the way the review window does, mends the count line.
void TestPreyList::file_data()
{
    QTest::addColumn<QByteArray>("before"); // empty: no file
    QTest::addColumn<bool>("addGuid");      // otherwise loaded and saved
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("problems");
    const QByteArray two = " 2\r\nWolf\r\n" + G1 + "\r\n";
    QTest::newRow("two entries") << two << false << two << 0;
    QTest::newRow("count larger than the lines")
        << QByteArray(" 5\r\nA\r\nB\r\n") << false << QByteArray(" 2\r\nA\r\nB\r\n") << 1;
    QTest::newRow("missing file") << QByteArray() << false << QByteArray(" 0\r\n") << 1;
    Entries full;
    for (int i = 0; i < PreyList::AddGuidCapacity; ++i)
        full << QByteArray::number(i);
    const QByteArray fullFile = PreyList::fileContent(full);
    QTest::newRow("add, damaged count mended") << QByteArray("?\r\nWolf\r\n") << true << two << 1;
    QTest::newRow("add, 1001 entries is full") << fullFile << true << fullFile << 1;
    full.removeLast();
    QTest::newRow("add, 1000 entries take one more")
        << PreyList::fileContent(full) << true << PreyList::fileContent(full << G1) << 0;
}

void TestPreyList::file()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, addGuid);
    QFETCH(QByteArray, after);
    QFETCH(int, problems);
    vh::test::TestWorkspace ws;
    const QString path = ws.path(QStringLiteral("data/Pray.dat"));
    if (!before.isEmpty())
        ws.write(QStringLiteral("data/Pray.dat"), before);
    if (addGuid) {
        QCOMPARE(vh::hunt::AddPrayToFile(path, G1).size(), problems);
    } else {
        PreyList list;
        QCOMPARE(list.LoadPrayList(path).size(), problems);
        QVERIFY(list.SavePrayList(path).isEmpty());
    }
    QCOMPARE(ws.read(QStringLiteral("data/Pray.dat")), after);
}

void TestPreyList::importCounts_data()
{
    QTest::addColumn<bool>("addBanned");
    QTest::addColumn<Entries>("lines");
    QTest::addColumn<QList<int>>("counts"); // added, banned, skipped, Hunt log lines
    const Entries mixed{"", G2, Banned, G1};
    QTest::newRow("empty, twice listed, banned, new") << false << mixed << QList<int>{1, 1, 2, 1};
    QTest::newRow("Check1 ticked") << true << mixed << QList<int>{2, 0, 2, 0};
}

void TestPreyList::importCounts()
{
    QFETCH(bool, addBanned);
    QFETCH(Entries, lines);
    QFETCH(QList<int>, counts);
    PreyList list;
    list.add(G2);
    list.add(G2);
    const PreyList::ImportResult r = list.importLines(lines, aasaBans(), addBanned);
    QCOMPARE((QList<int>{r.added, r.banned, r.skipped, int(r.huntLog.size())}), counts);
    QCOMPARE(list.count(), 2 + r.added);
    if (!r.huntLog.isEmpty())
        QCOMPARE(r.huntLog.first(), QString::fromLatin1(Banned + " already on banlist as: Old, banned for : Aimbot"));
    if (r.banned == 1)
        QCOMPARE(r.message(), QStringLiteral("Added to praylist: 1\r\nAlready on banlist: 1\r\n"
                                             "Skipped since already on Praylist: 2"));
}

void TestPreyList::beta()
{
    PreyList list;
    list.add("old");
    const QStringList log = list.replaceWithTrollbait(
        "<a href='" + G1 + "'>" + G1 + "</a>\r\n\"" + Banned + "\" " + G2 + "x " + G2, aasaBans(), false);
    QCOMPARE(list.entries(), (Entries{G1, G2}));
    QCOMPARE(log.size(), 2);
    QCOMPARE(log.last(), QStringLiteral("2 added to praylist"));

    vh::banlists::Banlist aci;
    QByteArray text = "[ACI] list\r\nheader\r\n";
    text += "1 2 " + G1 + " A d PBSS-Wallhack 2026\r\n";
    text += "1 2 " + Banned + " B d pbss 2026\r\n";
    text += "1 2 " + G2 + " C d Aimbot 2026\r\n";
    aci.parseAci(text);
    list.replaceWithAci(aasaBans(), aci);
    QCOMPARE(list.entries(), Entries{G1});
}

QTEST_GUILESS_MAIN(TestPreyList)
#include "tst_preylist.moc"
