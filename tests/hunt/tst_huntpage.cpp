#include "banlists/Banlist.h"
#include "hunt/HuntPage.h"
#include "hunt/PreyList.h"
#include "hunt/PreyMatcher.h"
#include "servers/ServerList.h"
#include "util/TestWorkspace.h"

#include <QtTest>

using vh::hunt::HuntPageScan;
using vh::hunt::PreyList;
using vh::hunt::PreyMatcher;
using Entries = QList<QByteArray>;

namespace {

const QByteArray Url = "http://127.0.0.1/srv/pbsvss.htm";

// An index line: the file stem at character 13, the shot number at character 40.
QByteArray line(int number, const QByteArray& name, const QByteArray& guid)
{
    const QByteArray num = QByteArray::number(number).rightJustified(6, '0');
    return "<p> <a href=pb" + num + ".htm target=_blank>" + num + "</a> \"" + name + "\" (W) GUID=" + guid +
           "(-) [2026.12.06 10:00:00]\r\n";
}

QByteArray guid(char c)
{
    return QByteArray(32, c);
}

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

class TestHunt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scan_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<Entries>("prey");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<Entries>("files"); // file names of the entries made
        QTest::addColumn<int>("examined");
        const QByteArray three = line(1, "Wolf", guid('a')) + line(2, "Bear", guid('B')) + line(3, "Fox", guid('c'));
        const int scanned = int(HuntPageScan::Outcome::Scanned);
        QTest::newRow("lower-case prey in a capital GUID")
            << three << Entries{guid('b')} << scanned << Entries{"pb000002.png"} << 3;
        QTest::newRow("two prey in one line, one entry")
            << three << Entries{"Fox", guid('c')} << scanned << Entries{"pb000003.png"} << 3;
        QTest::newRow("only ASCII letters fold") << line(1, "\xe4rger", guid('a')) << Entries{"\xc4rger"}
                                                 << int(HuntPageScan::Outcome::NoPrey) << Entries{} << 0;
        QTest::newRow("older cycle of numbers skipped")
            << QByteArray(line(7, "Wolf", guid('a')) + line(8, "Wolf", guid('a')) + line(1, "Wolf", guid('a')) +
                          line(8, "Wolf", guid('a')))
            << Entries{"wolf"} << scanned << (Entries{"pb000001.png", "pb000008.png"}) << 2;
        QTest::newRow("newest number found nowhere else: from line 0")
            << three << Entries{"wolf"} << scanned << Entries{"pb000001.png"} << 3;
        QTest::newRow("a prey ending inside a longer one")
            << line(1, "xabcx", guid('a')) << Entries{"xabd", "ab"} << scanned << Entries{"pb000001.png"} << 1;
        QTest::newRow("a prey failing late leaves a shorter one")
            << line(1, "xabcx", guid('a')) << Entries{"abd", "bc"} << scanned << Entries{"pb000001.png"} << 1;
        QTest::newRow("error page with the prey") << QByteArray("<html>Wolf</html>\r\n") << Entries{"wolf"}
                                                  << int(HuntPageScan::Outcome::NotIndex) << Entries{} << 0;
    }

    // Both ways of walking the automaton: its full table, and the failure links when the table is too large.
    void scan()
    {
        QFETCH(QByteArray, page);
        QFETCH(Entries, prey);
        QFETCH(int, outcome);
        QFETCH(Entries, files);
        QFETCH(int, examined);
        for (const std::size_t tableCells : {PreyMatcher::DefaultTableCells, std::size_t(0)}) {
            const PreyMatcher matcher(prey, tableCells);
            QCOMPARE(matcher.usesTable(), tableCells > 0);
            const HuntPageScan s = vh::hunt::ScanHuntPage(page, Url, matcher);
            QCOMPARE(int(s.outcome), outcome);
            QCOMPARE(s.examinedLines, examined);
            Entries made;
            for (const auto& e : s.entries) {
                made << e.FileName;
                QCOMPARE(e.BaseURL, QByteArray("http://127.0.0.1/srv"));
            }
            QCOMPARE(made, files);
        }
    }

    // Loading and saving again, or adding a GUID the way the review window does, mends the count line.
    void file_data()
    {
        QTest::addColumn<QByteArray>("before"); // empty: no file
        QTest::addColumn<bool>("addGuid");      // otherwise loaded and saved
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<int>("problems");
        const QByteArray two = " 2\r\nWolf\r\n" + G1 + "\r\n";
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

    void file()
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

    // An import of an empty line, a GUID listed twice, a banned one and a new one.
    void importCounts_data()
    {
        QTest::addColumn<bool>("addBanned");
        QTest::addColumn<QList<int>>("counts"); // added, banned, skipped, Hunt log lines
        QTest::newRow("banned skipped") << false << QList<int>{1, 1, 2, 1};
        QTest::newRow("Check1 ticked") << true << QList<int>{2, 0, 2, 0};
    }

    void importCounts()
    {
        QFETCH(bool, addBanned);
        PreyList list;
        list.add(G2);
        list.add(G2);
        const PreyList::ImportResult r = list.importLines({"", G2, Banned, G1}, aasaBans(), addBanned);
        QTEST((QList<int>{r.added, r.banned, r.skipped, int(r.huntLog.size())}), "counts");
        QCOMPARE(list.count(), 2 + r.added);
        if (addBanned)
            return;
        QCOMPARE(r.huntLog.first(), QString::fromLatin1(Banned + " already on banlist as: Old, banned for : Aimbot"));
        QCOMPARE(
            r.message(),
            QStringLiteral("Added to praylist: 1\r\nAlready on banlist: 1\r\nSkipped since already on Praylist: 2"));
    }

    // Named servers only, sorted by their first character, each page in the temp folder under a name no address
    // can steer.
    void queue()
    {
        vh::servers::ServerList servers;
        const QStringList named = {QStringLiteral("Zeta=127.0.0.2"),    QStringLiteral("alpha=127.0.0.3"),
                                   QStringLiteral("UnKnown=127.0.0.4"), QStringLiteral("Beta=127.0.0.5"),
                                   QStringLiteral("=127.0.0.6"),        QStringLiteral("Zulu=../../x")};
        for (int i = 0; i < named.size(); ++i) {
            const QString ip = named[i].section(QLatin1Char('='), 1);
            servers.appendServer(ip, 1, QStringLiteral("http://") + ip + QStringLiteral("/pbsvss.htm"));
            servers.at(i).ServerName = named[i].section(QLatin1Char('='), 0, 0);
        }
        QStringList order;
        for (const auto& r : vh::hunt::buildHuntQueue(servers, QStringLiteral("/base/temp"))) {
            order << r.ServerName;
            QVERIFY2(QFileInfo(r.PageFile).absolutePath() == QStringLiteral("/base/temp") &&
                         r.PageFile.endsWith(QLatin1String(".htm")) && !r.PageFile.contains(QLatin1String("..")),
                     qPrintable(r.PageFile));
        }
        QCOMPARE(order.join(QLatin1Char(' ')), QStringLiteral("Beta Zeta Zulu alpha"));
    }
};

QTEST_GUILESS_MAIN(TestHunt)
#include "tst_huntpage.moc"
