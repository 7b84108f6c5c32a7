#include "hunt/HuntPage.h"
#include "hunt/PreyMatcher.h"
#include "servers/ServerList.h"

#include <QRandomGenerator>
#include <QtTest>

using vh::hunt::HuntPageScan;
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

} // namespace

class TestHuntPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scan_data();
    void scan();
    void tableAndLinksAgreeWithPlainSearch();
    void queue();
};

void TestHuntPage::scan_data()
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
    QTest::newRow("a prey keeps its blanks")
        << line(1, "Lone Wolf", guid('a')) << Entries{"Wolf "} << int(HuntPageScan::Outcome::NoPrey) << Entries{} << 0;
    QTest::newRow("only ASCII letters fold") << line(1, "\xe4rger", guid('a')) << Entries{"\xc4rger"}
                                             << int(HuntPageScan::Outcome::NoPrey) << Entries{} << 0;
    QTest::newRow("older cycle of numbers skipped")
        << QByteArray(line(7, "Wolf", guid('a')) + line(8, "Wolf", guid('a')) + line(1, "Wolf", guid('a')) +
                      line(8, "Wolf", guid('a')))
        << Entries{"wolf"} << scanned << (Entries{"pb000001.png", "pb000008.png"}) << 2;
    QTest::newRow("newest number found nowhere else: from line 0")
        << three << Entries{"wolf"} << scanned << Entries{"pb000001.png"} << 3;
    QTest::newRow("error page with the prey") << QByteArray("<html>Wolf</html>\r\n") << Entries{"wolf"}
                                              << int(HuntPageScan::Outcome::NotIndex) << Entries{} << 0;
}

void TestHuntPage::scan()
{
    QFETCH(QByteArray, page);
    QFETCH(Entries, prey);
    QFETCH(int, outcome);
    QFETCH(Entries, files);
    QFETCH(int, examined);
    const HuntPageScan s = vh::hunt::ScanHuntPage(page, Url, PreyMatcher(prey));
    QCOMPARE(int(s.outcome), outcome);
    QCOMPARE(s.examinedLines, examined);
    Entries made;
    for (const auto& e : s.entries) {
        made << e.FileName;
        QCOMPARE(e.BaseURL, QByteArray("http://127.0.0.1/srv"));
        QVERIFY(e.IndexText.startsWith(e.FileName.mid(2, 6) + " \"") && e.IndexText.contains("GUID=" + e.GUID));
    }
    QCOMPARE(made, files);
}

void TestHuntPage::tableAndLinksAgreeWithPlainSearch()
{
    // both ways of walking the automaton must give exactly what a plain search of every prey gives
    QRandomGenerator rng(7);
    const char alphabet[] = "abAB01 \"";
    const auto randomText = [&](int length) {
        QByteArray t;
        for (int i = 0; i < length; ++i)
            t += alphabet[rng.bounded(8)];
        return t;
    };
    for (int round = 0; round < 100; ++round) {
        Entries prey;
        for (int p = 0, n = 1 + int(rng.bounded(6)); p < n; ++p)
            prey << randomText(1 + int(rng.bounded(5)));
        const PreyMatcher table(prey);
        const PreyMatcher links(prey, 0);
        QVERIFY(table.usesTable() && !links.usesTable());
        for (int t = 0; t < 20; ++t) {
            const QByteArray text = randomText(int(rng.bounded(30)));
            bool expected = false;
            for (const QByteArray& p : prey)
                expected = expected || text.toLower().contains(p.toLower());
            QCOMPARE(table.occursIn(text), expected);
            QCOMPARE(links.occursIn(text), expected);
        }
    }
}

// Named servers only, sorted by name, each page in the temp folder under a name no address can steer.
void TestHuntPage::queue()
{
    vh::servers::ServerList servers;
    const QStringList named = {QStringLiteral("Zeta=127.0.0.2"),    QStringLiteral("alpha=127.0.0.3"),
                               QStringLiteral("UnKnown=127.0.0.4"), QStringLiteral("Beta=127.0.0.5"),
                               QStringLiteral("=127.0.0.6"),        QStringLiteral("Zulu=../../x"),
                               QStringLiteral("Bravo=::1"),         QStringLiteral("Bz=1.2.3")};
    for (const QString& server : named) {
        const QString ip = server.section(QLatin1Char('='), 1);
        servers.appendServer(ip, 1, QStringLiteral("http://") + ip + QStringLiteral("/pbsvss.htm"));
        servers.at(servers.ServerCount() - 1).ServerName = server.section(QLatin1Char('='), 0, 0);
    }
    QStringList order;
    QStringList files;
    for (const auto& r : vh::hunt::buildHuntQueue(servers, QStringLiteral("/base/temp"))) {
        order << r.ServerName;
        files << r.PageFile;
    }
    QCOMPARE(order.join(QLatin1Char(' ')), QStringLiteral("Beta Bravo Bz Zeta Zulu alpha"));
    QCOMPARE(files.at(0), QStringLiteral("/base/temp/127.0.0.5.htm"));
    for (const QString& f : files) {
        QCOMPARE(QFileInfo(f).absolutePath(), QStringLiteral("/base/temp"));
        QVERIFY2(!f.contains(QLatin1String("..")) && !f.contains(QLatin1Char(':')), qPrintable(f));
    }
}

QTEST_GUILESS_MAIN(TestHuntPage)
#include "tst_huntpage.moc"
